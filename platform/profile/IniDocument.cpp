#include "platform/profile/IniDocument.h"

#include "platform/fs/NoCase.h"
#include "platform/fs/RtError.h"
#include "platform/fs/Text.h"

#include <algorithm>

namespace qm::profile {

using qm::fs::trimBlanks;

namespace {

constexpr std::string_view Utf8Bom = "\xEF\xBB\xBF";
constexpr int InvalidArgument = 5;

bool isContinuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

bool hasLineBreak(std::string_view s) { return s.find_first_of("\r\n") != std::string_view::npos; }

[[noreturn]] void refuse(const std::string& what)
{
    throw qm::RtError(InvalidArgument, "Invalid procedure call or argument: " + what);
}

void checkWritable(std::string_view section, std::string_view key)
{
    if (hasLineBreak(section))
        refuse("section name with a line break");
    std::string_view k = trimBlanks(key);
    if (k.empty())
        refuse("empty key");
    if (hasLineBreak(key) || key.find('=') != std::string_view::npos)
        refuse("key \"" + std::string(k) + "\" cannot be written as a line");
    if (k.front() == '[' || k.front() == ';')
        refuse("key \"" + std::string(k) + "\" would not read back as a key");
}

} // namespace

std::string_view dropQuotes(std::string_view s)
{
    if (s.size() >= 2 && (s.front() == '"' || s.front() == '\'') && s.back() == s.front())
        return s.substr(1, s.size() - 2);
    return s;
}

std::string_view cutUtf8(std::string_view s, std::size_t maxBytes)
{
    if (s.size() <= maxBytes)
        return s;
    std::size_t cut = maxBytes;
    // Step back over continuation bytes to the lead byte of the character
    // that would be split; a UTF-8 character has at most 3 of them.
    std::size_t pos = cut;
    int steps = 0;
    while (pos > 0 && isContinuation(s[pos]) && steps < 4) {
        --pos;
        ++steps;
    }
    if (steps > 0 && steps < 4 && !isContinuation(s[pos]))
        cut = pos;
    return s.substr(0, cut);
}

std::string storedValue(std::string_view value)
{
    std::string out;
    out.reserve(value.size());
    for (std::size_t i = 0; i < value.size(); ++i) {
        char c = value[i];
        if (c == '\r' && i + 1 < value.size() && value[i + 1] == '\n') {
            out += '\r';
            ++i;
        } else if (c == '\n') {
            out += '\r';
        } else {
            out += c;
        }
    }
    return out;
}

IniDocument::IniDocument(std::string text)
    : bytes_(std::move(text))
{
    parse();
}

std::string_view IniDocument::bytes(std::size_t from, std::size_t to) const
{
    return std::string_view(bytes_).substr(from, to - from);
}

IniDocument::Line IniDocument::parseLine(std::size_t begin, std::size_t end) const
{
    Line line;
    line.begin = begin;
    line.end = end;
    line.contentEnd = end;
    if (end > begin && bytes_[end - 1] == '\n')
        line.contentEnd = (end - 1 > begin && bytes_[end - 2] == '\r') ? end - 2 : end - 1;
    const std::string_view content = bytes(begin, line.contentEnd);
    const std::string_view body = trimBlanks(content);
    auto setName = [&](std::string_view name) {
        line.nameBegin = static_cast<std::size_t>(name.data() - bytes_.data());
        line.nameEnd = line.nameBegin + name.size();
    };
    if (body.empty()) {
        line.kind = Kind::Blank;
    } else if (body.front() == '[') {
        line.kind = Kind::Section;
        std::size_t close = body.rfind(']');
        setName(trimBlanks(close == std::string_view::npos ? body.substr(1) : body.substr(1, close - 1)));
    } else if (body.front() == ';') {
        line.kind = Kind::Other;
    } else if (std::size_t eq = content.find('='); eq != std::string_view::npos) {
        line.kind = Kind::Key;
        setName(trimBlanks(content.substr(0, eq)));
        line.valueBegin = begin + eq + 1;
    }
    return line;
}

// Only the section headers are found here; the lines between them wait for
// their first use (linesOf).
void IniDocument::parse()
{
    std::size_t pos = 0;
    if (std::string_view(bytes_).starts_with(Utf8Bom)) {
        bom_ = true;
        pos = Utf8Bom.size();
    }
    preamble_.begin = pos;
    Body* open = &preamble_;
    while (pos < bytes_.size()) {
        const std::size_t lf = bytes_.find('\n', pos);
        const std::size_t end = lf == std::string::npos ? bytes_.size() : lf + 1;
        const std::string_view body = trimBlanks(bytes(pos, end));
        if (!body.empty() && body.front() == '[') {
            open->end = pos;
            sections_.push_back(Section{parseLine(pos, end), {}, false});
            open = &sections_.back().body;
            open->begin = end;
        }
        pos = end;
    }
    open->end = bytes_.size();
    indexSections();
}

const std::vector<IniDocument::Line>& IniDocument::linesOf(const Body& body) const
{
    if (!body.parsed) {
        for (std::size_t pos = body.begin; pos < body.end;) {
            const std::size_t lf = bytes_.find('\n', pos);
            const std::size_t end = lf == std::string::npos || lf >= body.end ? body.end : lf + 1;
            body.lines.push_back(parseLine(pos, end));
            if (body.lines.back().kind != Kind::Blank)
                body.contentLines = body.lines.size();
            pos = end;
        }
        body.parsed = true;
        indexKeys(body);
    }
    return body.lines;
}

void IniDocument::indexKeys(const Body& body) const
{
    body.keys.clear();
    auto nameAt = [&](std::size_t i) { return nameOf(body.lines[i]); };
    for (std::size_t i = 0; i < body.lines.size(); ++i)
        if (body.lines[i].kind == Kind::Key)
            body.keys.add(nameOf(body.lines[i]), i, nameAt);
}

// A line of new bytes, kept after everything else.
IniDocument::Line IniDocument::addLine(std::string_view text)
{
    const std::size_t begin = bytes_.size();
    bytes_ += text;
    return parseLine(begin, bytes_.size());
}

// Gives the file's last line, which has none, its line end.
void IniDocument::endLine(Line& line)
{
    if (!line.hasLineEnd())
        line = addLine(std::string(bytes(line.begin, line.end)) + "\r\n");
}

void IniDocument::indexSections()
{
    index_.clear();
    index_.reserve(sections_.size());
    repeatedNames_ = false;
    auto nameAt = [this](std::size_t i) { return sectionName(i); };
    for (std::size_t i = 0; i < sections_.size(); ++i)
        if (!sections_[i].removed && !index_.add(sectionName(i), i, nameAt))
            repeatedNames_ = true;
}

std::string IniDocument::text() const
{
    std::string out;
    auto add = [&](const Body& b) {
        if (!b.parsed) {
            out += bytes(b.begin, b.end);
            return;
        }
        for (const Line& l : b.lines)
            out += bytes(l.begin, l.end);
    };
    out.reserve(bytes_.size()); // the text never holds more than that
    if (bom_)
        out += Utf8Bom;
    add(preamble_);
    for (const Section& s : sections_) {
        if (s.removed)
            continue;
        out += bytes(s.header.begin, s.header.end);
        add(s.body);
    }
    return out;
}

std::size_t IniDocument::findSection(std::string_view name) const
{
    return index_.find(trimBlanks(name), [this](std::size_t i) { return sectionName(i); });
}

std::size_t IniDocument::findKey(const Body& body, std::string_view key) const
{
    const std::vector<Line>& lines = linesOf(body);
    return body.keys.find(trimBlanks(key), [&](std::size_t i) { return nameOf(lines[i]); });
}

IniDocument::Section* IniDocument::lastSection()
{
    for (auto it = sections_.rbegin(); it != sections_.rend(); ++it)
        if (!it->removed)
            return &*it;
    return nullptr;
}

std::optional<std::string_view> IniDocument::trimmedValue(std::string_view section,
                                                          std::string_view key) const
{
    const std::size_t si = findSection(section);
    if (si == None)
        return std::nullopt;
    const Body& body = sections_[si].body;
    const std::size_t li = findKey(body, key);
    if (li == None)
        return std::nullopt;
    return trimBlanks(bytes(body.lines[li].valueBegin, body.lines[li].contentEnd));
}

std::optional<std::string> IniDocument::value(std::string_view section, std::string_view key) const
{
    if (auto v = trimmedValue(section, key))
        return std::string(dropQuotes(*v));
    return std::nullopt;
}

std::optional<std::string> IniDocument::rawValue(std::string_view section, std::string_view key) const
{
    if (auto v = trimmedValue(section, key))
        return std::string(*v);
    return std::nullopt;
}

bool IniDocument::hasSection(std::string_view section) const { return findSection(section) != None; }

std::vector<std::string> IniDocument::sectionNames() const
{
    std::vector<std::string> names;
    for (std::size_t i = 0; i < sections_.size(); ++i)
        if (!sections_[i].removed && findSection(sectionName(i)) == i)
            names.emplace_back(sectionName(i));
    return names;
}

std::vector<std::string> IniDocument::keyNames(std::string_view section) const
{
    std::vector<std::string> names;
    const std::size_t si = findSection(section);
    if (si == None)
        return names;
    const Body& body = sections_[si].body;
    const std::vector<Line>& lines = linesOf(body);
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (lines[i].kind == Kind::Key && findKey(body, nameOf(lines[i])) == i)
            names.emplace_back(nameOf(lines[i]));
    return names;
}

void IniDocument::setValue(std::string_view section, std::string_view key, std::string_view value)
{
    checkWritable(section, key);
    const std::string stored = storedValue(value);
    const std::string_view k = trimBlanks(key);
    const std::string keyLine = std::string(k) + "=" + stored + "\r\n";

    const std::size_t si = findSection(section);
    if (si == None) {
        // A new section at the end, after a blank line.
        Section* tail = lastSection();
        Body& body = tail ? tail->body : preamble_;
        linesOf(body);
        if (Line* last = !body.lines.empty() ? &body.lines.back() : tail ? &tail->header : nullptr) {
            endLine(*last);
            if (last->kind != Kind::Blank)
                body.lines.push_back(addLine("\r\n"));
        }
        Section added{addLine("[" + std::string(trimBlanks(section)) + "]\r\n"), {}, false};
        added.body.parsed = true;
        added.body.lines.push_back(addLine(keyLine));
        added.body.contentLines = 1;
        indexKeys(added.body);
        sections_.push_back(std::move(added));
        index_.add(sectionName(sections_.size() - 1), sections_.size() - 1,
                   [this](std::size_t i) { return sectionName(i); });
        return;
    }

    Body& body = sections_[si].body;
    if (const std::size_t li = findKey(body, k); li != None) {
        const Line& l = body.lines[li];
        // A value's last CR before a bare LF would be read as part of the
        // line end: that line then ends CR LF instead.
        const bool bareLf = l.end - l.contentEnd == 1;
        const bool keepCr = bareLf && !stored.empty() && stored.back() == '\r';
        body.lines[li] = addLine(std::string(bytes(l.begin, l.valueBegin)) + stored + (keepCr ? "\r" : "") +
                                 std::string(bytes(l.contentEnd, l.end)));
        return;
    }
    // A missing key after the section's last non-blank line; only blank
    // lines follow that, so no key moves.
    endLine(body.contentLines == 0 ? sections_[si].header : body.lines[body.contentLines - 1]);
    body.lines.insert(body.lines.begin() + static_cast<std::ptrdiff_t>(body.contentLines), addLine(keyLine));
    body.keys.add(k, body.contentLines, [&](std::size_t i) { return nameOf(body.lines[i]); });
    ++body.contentLines;
}

bool IniDocument::removeKey(std::string_view section, std::string_view key)
{
    const std::size_t si = findSection(section);
    if (si == None)
        return false;
    Body& body = sections_[si].body;
    const std::size_t li = findKey(body, key);
    if (li == None)
        return false;
    body.lines.erase(body.lines.begin() + static_cast<std::ptrdiff_t>(li));
    body.contentLines = std::min(body.contentLines, body.lines.size());
    while (body.contentLines > 0 && body.lines[body.contentLines - 1].kind == Kind::Blank)
        --body.contentLines;
    indexKeys(body);
    return true;
}

void IniDocument::dropSection(std::size_t at)
{
    Section& s = sections_[at];
    s.removed = true;
    s.body = Body{};
    if (!repeatedNames_)
        index_.erase(nameOf(s.header), at);
}

bool IniDocument::removeSection(std::string_view section)
{
    const std::size_t si = findSection(section);
    if (si == None)
        return false;
    dropSection(si);
    // A later section of the same name counts now.
    if (repeatedNames_)
        indexSections();
    return true;
}

std::size_t IniDocument::removeSectionsIf(const std::function<bool(std::string_view name)>& which)
{
    std::size_t removed = 0;
    for (std::size_t i = 0; i < sections_.size(); ++i)
        if (!sections_[i].removed && which(sectionName(i))) {
            dropSection(i);
            ++removed;
        }
    if (removed > 0 && repeatedNames_)
        indexSections();
    return removed;
}

} // namespace qm::profile
