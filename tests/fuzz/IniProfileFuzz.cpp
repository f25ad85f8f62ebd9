// The INI profile engine over any text. The input is a section name, a key
// and a value (one a line) and then the file. Rules besides not crashing:
// after a single-key write the key reads back as written and every other
// key of the file reads as before; the file written is the text the
// in-memory edit gives.
#include "FuzzScratch.h"
#include "platform/fs/NoCase.h"
#include "platform/fs/RtError.h"
#include "platform/profile/Profile.h"

#include <map>
#include <string_view>

namespace {

namespace pf = qm::profile;

std::string_view takeLine(std::string_view& in)
{
    size_t n = in.find('\n');
    std::string_view line = in.substr(0, n);
    in = n == std::string_view::npos ? std::string_view() : in.substr(n + 1);
    return line;
}

std::string_view trimmed(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

// Every key of every section, by folded names, as the reader sees them.
std::map<std::pair<std::string, std::string>, std::string> allKeys(const pf::IniDocument& doc)
{
    std::map<std::pair<std::string, std::string>, std::string> keys;
    for (const std::string& s : doc.sectionNames())
        for (const std::string& k : doc.keyNames(s))
            keys[{qm::fs::foldCase(s), qm::fs::foldCase(k)}] = doc.value(s, k).value_or("<missing>");
    return keys;
}

const qm::fuzz::Scratch& scratch()
{
    static const qm::fuzz::Scratch s("ini");
    return s;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string_view in(reinterpret_cast<const char*>(data), size);
    const std::string section(takeLine(in));
    const std::string key(takeLine(in));
    const std::string value(takeLine(in));
    const std::string text(in);

    const pf::IniDocument before(text);
    pf::IniDocument after(text);
    try {
        after.setValue(section, key, value);
    } catch (const qm::RtError&) {
        if (after.text() != text)
            qm::fuzz::fail("a refused write changed the text");
        return 0;
    }
    const std::string expected(pf::dropQuotes(trimmed(pf::storedValue(value))));
    if (after.value(section, key) != expected)
        qm::fuzz::fail("the key does not read back as written");
    auto old = allKeys(before);
    auto now = allKeys(after);
    const std::pair<std::string, std::string> changed{qm::fs::foldCase(trimmed(section)),
                                                      qm::fs::foldCase(trimmed(key))};
    old.erase(changed);
    now.erase(changed);
    if (old != now)
        qm::fuzz::fail("another key changed");

    const std::filesystem::path file = scratch().put("profile.ini", data + (size - text.size()), text.size());
    pf::writeString(file, section, key, value);
    if (pf::loadDocument(file).text() != after.text())
        qm::fuzz::fail("the file differs from the edit");
    if (pf::getString(file, section, key, "") != pf::cutUtf8(expected, pf::MaxValueLength))
        qm::fuzz::fail("the file's key does not read back as written");
    return 0;
}
