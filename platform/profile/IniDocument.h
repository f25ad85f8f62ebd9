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
//
// Reading a text finds its section headers and indexes their names; the
// lines of a section are taken apart (and their keys indexed) when the
// section is first used. A lookup or an edit costs what its own section
// holds, not what the whole text holds, so any number of edits to a large
// file costs about one read and one write of it. Reading takes sections
// apart, so one document is not read from two threads at once.
#include "platform/profile/NameIndex.h"

#include <cstddef>
#include <functional>
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
    std::string text() const;

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

    // Removes every section whose name `which` accepts, with all its lines;
    // the number removed.
    std::size_t removeSectionsIf(const std::function<bool(std::string_view name)>& which);

private:
    enum class Kind { Blank, Section, Key, Other };
    // A line of the text: where its bytes lie in bytes_, and what it is.
    struct Line {
        std::size_t begin = 0;      // first byte
        std::size_t contentEnd = 0; // end of the text, before CR LF / LF
        std::size_t end = 0;        // after the line end
        std::size_t nameBegin = 0;  // section name or key, trimmed
        std::size_t nameEnd = 0;
        std::size_t valueBegin = 0; // key lines: first byte after "="
        Kind kind = Kind::Other;
        bool hasLineEnd() const { return contentEnd < end; }
    };
    // The lines after a section's header, or those before the first section.
    // They are taken apart at their first use; until then they are written
    // as they were read.
    struct Body {
        std::size_t begin = 0; // the lines as read: bytes_ [begin, end)
        std::size_t end = 0;
        mutable bool parsed = false;
        mutable std::vector<Line> lines;
        mutable std::size_t contentLines = 0; // lines up to the last non-blank one
        mutable NameIndex keys;               // the first line of each key
    };
    struct Section {
        Line header;
        Body body;
        bool removed = false;
    };
    static constexpr std::size_t None = NameIndex::None;

    void parse();
    Line parseLine(std::size_t begin, std::size_t end) const;
    const std::vector<Line>& linesOf(const Body& body) const;
    void indexKeys(const Body& body) const;
    Line addLine(std::string_view text);
    void endLine(Line& line);
    std::string_view bytes(std::size_t from, std::size_t to) const;
    std::string_view nameOf(const Line& line) const { return bytes(line.nameBegin, line.nameEnd); }
    std::string_view sectionName(std::size_t i) const { return nameOf(sections_[i].header); }
    void indexSections();
    void dropSection(std::size_t at);
    std::size_t findSection(std::string_view name) const;
    std::size_t findKey(const Body& body, std::string_view key) const;
    Section* lastSection();
    std::optional<std::string_view> trimmedValue(std::string_view section, std::string_view key) const;

    // The text as read, followed by the lines that edits made; a line never
    // moves in it, and what edits replaced stays but is not written.
    std::string bytes_;
    bool bom_ = false;              // the text began with a byte order mark
    Body preamble_;                 // the lines before the first section
    std::vector<Section> sections_; // in file order; removed ones stay, unwritten
    NameIndex index_;               // the first section of each name
    bool repeatedNames_ = false;    // some section name occurs twice
};

} // namespace qm::profile
