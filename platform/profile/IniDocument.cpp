#include "platform/profile/IniDocument.h"

#include "platform/fs/NoCase.h"
#include "platform/fs/RtError.h"
#include "platform/fs/Text.h"

namespace qm::profile {

using qm::fs::equalsNoCase;
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
    : text_(std::move(text))
{
    parse();
}

void IniDocument::parse()
{
    lines_.clear();
    sections_.clear();
    std::size_t pos = text_.starts_with(Utf8Bom) ? Utf8Bom.size() : 0;
    while (pos < text_.size()) {
        Line line;
        line.begin = pos;
        std::size_t lf = text_.find('\n', pos);
        if (lf == std::string::npos) {
            line.contentEnd = line.end = text_.size();
        } else {
            line.end = lf + 1;
            line.contentEnd = (lf > pos && text_[lf - 1] == '\r') ? lf - 1 : lf;
        }
        pos = line.end;

        std::string_view content(text_.data() + line.begin, line.contentEnd - line.begin);
        std::string_view body = trimBlanks(content);
        if (body.empty()) {
            line.kind = Kind::Blank;
        } else if (body.front() == '[') {
            line.kind = Kind::Section;
            std::size_t close = body.rfind(']');
            std::string_view inner = close == std::string_view::npos ? body.substr(1) : body.substr(1, close - 1);
            line.name = std::string(trimBlanks(inner));
        } else if (body.front() == ';') {
            line.kind = Kind::Other;
        } else if (std::size_t eq = content.find('='); eq != std::string_view::npos) {
            line.kind = Kind::Key;
            line.name = std::string(trimBlanks(content.substr(0, eq)));
            line.valueBegin = line.begin + eq + 1;
        }
        lines_.push_back(std::move(line));
    }

    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const Line& l = lines_[i];
        if (l.kind == Kind::Section) {
            if (!sections_.empty())
                sections_.back().endLine = i;
            sections_.push_back(Section{l.name, i, i, lines_.size()});
        } else if (l.kind != Kind::Blank && !sections_.empty()) {
            sections_.back().lastContent = i;
        }
    }
}

const IniDocument::Section* IniDocument::findSection(std::string_view name) const
{
    name = trimBlanks(name);
    for (const Section& s : sections_)
        if (equalsNoCase(s.name, name))
            return &s;
    return nullptr;
}

const IniDocument::Line* IniDocument::findKey(const Section& s, std::string_view key) const
{
    key = trimBlanks(key);
    for (std::size_t i = s.header + 1; i < s.endLine; ++i)
        if (lines_[i].kind == Kind::Key && equalsNoCase(lines_[i].name, key))
            return &lines_[i];
    return nullptr;
}

std::optional<std::string_view> IniDocument::trimmedValue(std::string_view section,
                                                          std::string_view key) const
{
    const Section* s = findSection(section);
    if (!s)
        return std::nullopt;
    const Line* l = findKey(*s, key);
    if (!l)
        return std::nullopt;
    return trimBlanks(std::string_view(text_).substr(l->valueBegin, l->contentEnd - l->valueBegin));
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

bool IniDocument::hasSection(std::string_view section) const { return findSection(section) != nullptr; }

std::vector<std::string> IniDocument::sectionNames() const
{
    std::vector<std::string> names;
    for (const Section& s : sections_)
        if (findSection(s.name) == &s)
            names.push_back(s.name);
    return names;
}

std::vector<std::string> IniDocument::keyNames(std::string_view section) const
{
    std::vector<std::string> names;
    const Section* s = findSection(section);
    if (!s)
        return names;
    for (std::size_t i = s->header + 1; i < s->endLine; ++i)
        if (lines_[i].kind == Kind::Key && findKey(*s, lines_[i].name) == &lines_[i])
            names.push_back(lines_[i].name);
    return names;
}

void IniDocument::setValue(std::string_view section, std::string_view key, std::string_view value)
{
    checkWritable(section, key);
    const std::string stored = storedValue(value);
    const std::string_view k = trimBlanks(key);

    if (const Section* s = findSection(section)) {
        if (const Line* l = findKey(*s, k)) {
            // A value's last CR before a bare LF would be read as part of
            // the line end: that line then ends CR LF instead.
            const bool bareLf = l->end - l->contentEnd == 1 && text_[l->contentEnd] == '\n';
            const bool keepCr = bareLf && !stored.empty() && stored.back() == '\r';
            text_.replace(l->valueBegin, l->contentEnd - l->valueBegin, keepCr ? stored + "\r" : stored);
        } else {
            const Line& last = lines_[s->lastContent];
            std::string add = std::string(k) + "=" + stored + "\r\n";
            if (last.end == last.contentEnd) // the file's last line has no line end yet
                add.insert(0, "\r\n");
            text_.insert(last.end, add);
        }
    } else {
        std::string add;
        if (!lines_.empty()) {
            if (lines_.back().end == lines_.back().contentEnd)
                add += "\r\n";
            if (lines_.back().kind != Kind::Blank)
                add += "\r\n";
        }
        add += "[" + std::string(trimBlanks(section)) + "]\r\n" + std::string(k) + "=" + stored + "\r\n";
        text_ += add;
    }
    parse();
}

bool IniDocument::removeKey(std::string_view section, std::string_view key)
{
    const Section* s = findSection(section);
    const Line* l = s ? findKey(*s, key) : nullptr;
    if (!l)
        return false;
    text_.erase(l->begin, l->end - l->begin);
    parse();
    return true;
}

bool IniDocument::removeSection(std::string_view section)
{
    const Section* s = findSection(section);
    if (!s)
        return false;
    std::size_t from = lines_[s->header].begin;
    std::size_t to = s->endLine < lines_.size() ? lines_[s->endLine].begin : text_.size();
    text_.erase(from, to - from);
    parse();
    return true;
}

} // namespace qm::profile
