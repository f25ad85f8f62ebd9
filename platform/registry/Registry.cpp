#include "platform/registry/Registry.h"

#include "platform/fs/FileLock.h"
#include "platform/fs/NoCase.h"
#include "platform/fs/Paths.h"
#include "platform/fs/RtError.h"
#include "platform/fs/Text.h"
#include "platform/profile/Profile.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace stdfs = std::filesystem;

namespace qm::registry {

using fs::startsWithNoCase;

namespace {

constexpr const char* kDefaultValueName = "@";

// "\\A\\\\B\\" -> "A\\B": no leading, trailing or doubled separators.
std::string normalizeKey(std::string_view path)
{
    std::string out;
    for (char c : path) {
        if (c == '\\' && (out.empty() || out.back() == '\\'))
            continue;
        out += c;
    }
    while (!out.empty() && out.back() == '\\')
        out.pop_back();
    return out;
}

std::string valueKey(std::string_view name)
{
    return name.empty() ? std::string(kDefaultValueName) : std::string(name);
}

bool isPlainText(std::string_view text)
{
    for (unsigned char c : text)
        if (c < 0x20 || c == 0x7f)
            return false;
    return text.empty() || (text.back() != ' ' && text.back() != '\t');
}

std::string hexBytes(std::string_view data)
{
    static const char* digits = "0123456789abcdef";
    std::string out;
    for (size_t i = 0; i < data.size(); ++i) {
        if (i)
            out += ',';
        auto b = static_cast<unsigned char>(data[i]);
        out += digits[b >> 4];
        out += digits[b & 15];
    }
    return out;
}

std::optional<std::string> parseHexBytes(std::string_view text)
{
    std::string out;
    std::string digits;
    auto flush = [&]() -> bool {
        if (digits.empty())
            return false;
        if (digits.size() > 2)
            return false;
        out += static_cast<char>(std::strtoul(digits.c_str(), nullptr, 16));
        digits.clear();
        return true;
    };
    bool any = false;
    for (char c : text) {
        if (std::isxdigit(static_cast<unsigned char>(c))) {
            digits += c;
            any = true;
        } else if (c == ',') {
            if (!flush())
                return std::nullopt;
        } else if (c != ' ' && c != '\t') {
            return std::nullopt;
        }
    }
    if (any && !flush())
        return std::nullopt;
    return out;
}

std::optional<std::uint32_t> parseDword(std::string_view text)
{
    std::string t(fs::trimBlanks(text));
    if (t.empty())
        return std::nullopt;
    bool negative = t[0] == '-';
    size_t start = negative ? 1 : 0;
    int base = 10;
    if (t.size() > start + 2 && t[start] == '0' && (t[start + 1] == 'x' || t[start + 1] == 'X')) {
        start += 2;
        base = 16;
    }
    if (start >= t.size())
        return std::nullopt;
    char* end = nullptr;
    unsigned long long v = std::strtoull(t.c_str() + start, &end, base);
    if (*end != '\0' || !std::isxdigit(static_cast<unsigned char>(t[start])))
        return std::nullopt;
    if (negative) {
        if (v > 0x80000000ull)
            return std::nullopt;
        return static_cast<std::uint32_t>(-static_cast<long long>(v));
    }
    if (v > 0xFFFFFFFFull)
        return std::nullopt;
    return static_cast<std::uint32_t>(v);
}

profile::IniDocument loadHive(const stdfs::path& file)
{
    try {
        return profile::loadDocumentOrEmpty(file);
    } catch (const qm::RtError&) {
        return {};
    }
}

stdfs::path requireHive(std::uint32_t root)
{
    stdfs::path file = hiveFile(root);
    if (file.empty())
        throw qm::RtError(5, "Invalid procedure call or argument: unknown registry root");
    return file;
}

std::string requireKey(std::string_view keyPath)
{
    std::string key = normalizeKey(keyPath);
    if (key.empty())
        throw qm::RtError(5, "Invalid procedure call or argument: empty registry key");
    return key;
}

// Runs `edit` on the hive under the update lock of its folder and saves the
// document when `edit` reports a change.
template <typename Edit>
bool changeHive(const stdfs::path& file, Edit edit)
{
    std::error_code ec;
    stdfs::create_directories(file.parent_path(), ec);
    auto lock = fs::lockForUpdate(file);
    profile::IniDocument doc = profile::loadDocumentOrEmpty(file);
    if (!edit(doc))
        return false;
    profile::saveDocument(file, doc);
    return true;
}

// True when `section` names a key below `key`.
bool isBelow(std::string_view section, std::string_view key)
{
    return section.size() > key.size() && section[key.size()] == '\\' && startsWithNoCase(section, key);
}

bool addKey(profile::IniDocument& doc, const std::string& key)
{
    if (doc.hasSection(key))
        return false;
    // A section is made by giving it a value and taking the value away.
    doc.setValue(key, kDefaultValueName, "");
    doc.removeKey(key, kDefaultValueName);
    return true;
}

// Removes the key with every key below it.
bool removeTree(profile::IniDocument& doc, const std::string& key)
{
    return doc.removeSectionsIf([&](std::string_view section) {
        return fs::equalsNoCase(section, key) || isBelow(section, key);
    }) > 0;
}

} // namespace

Value textValue(std::string_view text, std::uint32_t type)
{
    Value v{type, std::string(text)};
    v.data += '\0';
    return v;
}

Value dwordValue(std::uint32_t n)
{
    std::string data(4, '\0');
    for (int i = 0; i < 4; ++i)
        data[i] = static_cast<char>((n >> (8 * i)) & 0xff);
    return Value{regtype::Dword, data};
}

std::string encodeValue(const Value& v)
{
    if (v.type == regtype::Sz || v.type == regtype::ExpandSz) {
        std::string_view d = v.data;
        if (!d.empty() && d.back() == '\0' && isPlainText(d.substr(0, d.size() - 1)))
            return (v.type == regtype::Sz ? "sz:" : "expand_sz:") + std::string(d.substr(0, d.size() - 1));
    }
    if (v.type == regtype::Dword && v.data.size() == 4) {
        std::uint32_t n = 0;
        for (int i = 3; i >= 0; --i)
            n = (n << 8) | static_cast<unsigned char>(v.data[i]);
        return "dword:" + std::to_string(n);
    }
    if (v.type == regtype::Binary)
        return "hex:" + hexBytes(v.data);
    char type[16];
    std::snprintf(type, sizeof type, "hex(%x):", v.type); // the type number in hex, as .reg files write it
    return type + hexBytes(v.data);
}

Value decodeValue(std::string_view s)
{
    if (startsWithNoCase(s, "sz:"))
        return textValue(s.substr(3), regtype::Sz);
    if (startsWithNoCase(s, "expand_sz:"))
        return textValue(s.substr(10), regtype::ExpandSz);
    if (startsWithNoCase(s, "dword:")) {
        if (auto n = parseDword(s.substr(6)))
            return dwordValue(*n);
        return Value{regtype::None, std::string(s)};
    }
    if (startsWithNoCase(s, "hex:")) {
        if (auto bytes = parseHexBytes(s.substr(4)))
            return Value{regtype::Binary, *bytes};
        return Value{regtype::None, std::string(s)};
    }
    if (startsWithNoCase(s, "hex(")) {
        size_t close = s.find("):");
        if (close != std::string_view::npos) {
            std::string num(s.substr(4, close - 4));
            char* end = nullptr;
            unsigned long type = std::strtoul(num.c_str(), &end, 16);
            auto bytes = parseHexBytes(s.substr(close + 2));
            if (!num.empty() && *end == '\0' && type <= 0xFFFFFFFFul && bytes)
                return Value{static_cast<std::uint32_t>(type), *bytes};
        }
        return Value{regtype::None, std::string(s)};
    }
    return textValue(s, regtype::Sz);
}

stdfs::path hiveFile(std::uint32_t root)
{
    const char* name = nullptr;
    switch (root) {
    case hkey::ClassesRoot: name = "HKEY_CLASSES_ROOT"; break;
    case hkey::CurrentUser: name = "HKEY_CURRENT_USER"; break;
    case hkey::LocalMachine: name = "HKEY_LOCAL_MACHINE"; break;
    case hkey::Users: name = "HKEY_USERS"; break;
    case hkey::CurrentConfig: name = "HKEY_CURRENT_CONFIG"; break;
    default: return {};
    }
    return fs::platformDir() / "registry" / (std::string(name) + ".ini");
}

bool keyExists(std::uint32_t root, std::string_view keyPath)
{
    stdfs::path file = hiveFile(root);
    if (file.empty())
        return false;
    std::string key = normalizeKey(keyPath);
    if (key.empty())
        return true; // the root key itself
    profile::IniDocument doc = loadHive(file);
    if (doc.hasSection(key))
        return true;
    for (const auto& section : doc.sectionNames())
        if (isBelow(section, key))
            return true;
    return false;
}

std::optional<Value> queryValue(std::uint32_t root, std::string_view keyPath, std::string_view name)
{
    stdfs::path file = hiveFile(root);
    if (file.empty())
        return std::nullopt;
    profile::IniDocument doc = loadHive(file);
    auto raw = doc.rawValue(normalizeKey(keyPath), valueKey(name));
    if (!raw)
        return std::nullopt;
    return decodeValue(*raw);
}

void createKey(std::uint32_t root, std::string_view keyPath)
{
    apply(root, Batch().createKey(keyPath));
}

void setValue(std::uint32_t root, std::string_view keyPath, std::string_view name, const Value& value)
{
    apply(root, Batch().setValue(keyPath, name, value));
}

bool deleteValue(std::uint32_t root, std::string_view keyPath, std::string_view name)
{
    return apply(root, Batch().deleteValue(keyPath, name));
}

bool deleteKey(std::uint32_t root, std::string_view keyPath)
{
    return apply(root, Batch().deleteKey(keyPath));
}

Batch& Batch::createKey(std::string_view keyPath)
{
    steps_.push_back({Kind::CreateKey, std::string(keyPath), {}, {}});
    return *this;
}

Batch& Batch::setValue(std::string_view keyPath, std::string_view name, const Value& value)
{
    steps_.push_back({Kind::SetValue, std::string(keyPath), std::string(name), value});
    return *this;
}

Batch& Batch::deleteValue(std::string_view keyPath, std::string_view name)
{
    steps_.push_back({Kind::DeleteValue, std::string(keyPath), std::string(name), {}});
    return *this;
}

Batch& Batch::deleteKey(std::string_view keyPath)
{
    steps_.push_back({Kind::DeleteKey, std::string(keyPath), {}, {}});
    return *this;
}

bool apply(std::uint32_t root, const Batch& batch)
{
    stdfs::path file = requireHive(root);
    for (const auto& step : batch.steps())
        requireKey(step.key);
    // Every step edits the document in memory; a step that throws leaves the
    // file untouched.
    return changeHive(file, [&](profile::IniDocument& doc) {
        bool changed = false;
        for (const auto& step : batch.steps()) {
            std::string key = normalizeKey(step.key);
            switch (step.kind) {
            case Batch::Kind::CreateKey: changed |= addKey(doc, key); break;
            case Batch::Kind::SetValue:
                doc.setValue(key, valueKey(step.name), encodeValue(step.value));
                changed = true;
                break;
            case Batch::Kind::DeleteValue: changed |= doc.removeKey(key, valueKey(step.name)); break;
            case Batch::Kind::DeleteKey: changed |= removeTree(doc, key); break;
            }
        }
        return changed;
    });
}

} // namespace qm::registry
