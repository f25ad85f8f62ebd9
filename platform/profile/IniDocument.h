#pragma once
// An INI-format text held in memory, read and edited the way the classic
// profile functions treat it:
// - a line ends at LF; a CR right before the LF belongs to the line end, any
//   other CR belongs to the line (packed lists keep lone CRs in values);
// - "[name]" opens a section; "key=value" is a key line; lines starting with
//   ";" and lines without "=" are kept but are no keys;
// - section and key names compare without regard to case (qm::fs::equalsNoCase);
// - the first section of a name and the first key of a name in it win;
// - blanks (spaces, tabs) around section names, keys and values are dropped.
// Edits change only the lines they concern and keep every other byte; lines
// they add end with CR LF.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qm::profile {

// Text without one pair of enclosing quotation marks (both double or both
// single); unchanged otherwise.
std::string_view dropQuotes(std::string_view s);

// At most `maxBytes` bytes of `s`, never ending inside a UTF-8 sequence.
std::string_view cutUtf8(std::string_view s, std::size_t maxBytes);

// The form in which a value is stored on its line: every line break inside it
// (CR LF or LF) becomes a single CR, so a value never splits its line.
std::string storedValue(std::string_view value);

class IniDocument {
public:
    IniDocument() = default;
    explicit IniDocument(std::string text);

    // The whole text, as read or as edited.
    const std::string& text() const { return text_; }

    // The whole value of `key` in `section`: blanks trimmed, one pair of
    // enclosing quotes dropped, no length limit. Nothing when the section or
    // the key is missing.
    std::optional<std::string> value(std::string_view section, std::string_view key) const;
    // As value(), but with enclosing quotes kept.
    std::optional<std::string> rawValue(std::string_view section, std::string_view key) const;

    bool hasSection(std::string_view section) const;
    // Every section name once (first spelling), in file order.
    std::vector<std::string> sectionNames() const;
    // The keys of the first section of that name, each once, in file order.
    std::vector<std::string> keyNames(std::string_view section) const;

    // Sets `key` in `section` to storedValue(value). An existing key keeps
    // its line and everything before the "="; a missing key goes after the
    // last non-blank line of its section; a missing section goes at the end
    // (after a blank line when the text does not already end with one).
    // Throws qm::RtError 5 for a section or key that cannot be written as a
    // line (line breaks, a key with "=" or empty, a key starting "[" or ";").
    void setValue(std::string_view section, std::string_view key, std::string_view value);

    // Removes the first line of `key` in `section`; false when there is none.
    bool removeKey(std::string_view section, std::string_view key);
    // Removes the first section of that name with all its lines; false when
    // there is none.
    bool removeSection(std::string_view section);

private:
    enum class Kind { Blank, Section, Key, Other };
    struct Line {
        std::size_t begin = 0;      // first byte of the line
        std::size_t contentEnd = 0; // end of the text, before CR LF / LF
        std::size_t end = 0;        // after the line end
        Kind kind = Kind::Other;
        std::string name;           // section name or key, trimmed
        std::size_t valueBegin = 0; // key lines: first byte after "="
    };
    struct Section {
        std::string name;
        std::size_t header = 0;      // index of its "[name]" line
        std::size_t lastContent = 0; // index of its last non-blank line
        std::size_t endLine = 0;     // index one past its last line
    };

    void parse();
    const Section* findSection(std::string_view name) const;
    const Line* findKey(const Section& s, std::string_view key) const;
    std::optional<std::string_view> trimmedValue(std::string_view section, std::string_view key) const;

    std::string text_;
    std::vector<Line> lines_;
    std::vector<Section> sections_;
};

} // namespace qm::profile
