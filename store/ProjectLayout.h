#pragma once
// The layout of a project file (and of the defaults file), line by line, in
// the order written. The one definition behind loading, saving and the
// template of a new project file; other readers (e.g. copying the defaults
// into a record) find each key's section and spelling here.
#include "store/ProjectRecord.h"

#include <array>
#include <cstddef>
#include <iterator>
#include <string_view>

namespace qm::store {

struct ProjectLine {
    enum class Kind { Section, Key, EmptyKey, Blank };
    Kind kind = Kind::Blank;
    // Section lines: the name in brackets; key lines: the key before "=".
    std::string_view text;
    // Key lines: the field the value belongs to; -1 for other lines.
    int field = -1;
    // Section and key lines: the section name the loader asks for. Key
    // lines: the key spelling the loader asks for.
    std::string_view loadSection;
    std::string_view loadKey;
};

namespace detail {

// The lines as the table lists them, with one extra entry (templateEnd)
// where the template of a new project file ends.
struct RawLine : ProjectLine {
    bool templateEnd = false;
};

inline constexpr RawLine RawProjectLines[] = {
#define QM_SECTION(written, asked) {{ProjectLine::Kind::Section, written, -1, asked, {}}},
#define QM_KEY(name, number) {{ProjectLine::Kind::Key, #name, number, {}, #name}},
#define QM_KEY_AS(name, number, section, key) {{ProjectLine::Kind::Key, #name, number, section, key}},
#define QM_EMPTY_KEY(key) {{ProjectLine::Kind::EmptyKey, key, -1, {}, {}}},
#define QM_BLANK() {{ProjectLine::Kind::Blank, {}, -1, {}, {}}},
#define QM_TEMPLATE_END() {{}, true},
#include "store/ProjectLines.def"
#undef QM_SECTION
#undef QM_KEY
#undef QM_KEY_AS
#undef QM_EMPTY_KEY
#undef QM_BLANK
#undef QM_TEMPLATE_END
};

inline constexpr std::size_t TemplateLineCount = [] {
    std::size_t n = 0;
    while (!RawProjectLines[n].templateEnd)
        ++n;
    return n;
}();

} // namespace detail

// Every line of a project file, in order; key lines carry the section the
// loader asks for (the enclosing section's unless the line says otherwise).
inline constexpr auto ProjectLines = [] {
    std::array<ProjectLine, std::size(detail::RawProjectLines) - 1> lines{};
    std::string_view section;
    std::size_t i = 0;
    for (const detail::RawLine& raw : detail::RawProjectLines) {
        if (raw.templateEnd)
            continue;
        lines[i] = raw;
        if (lines[i].kind == ProjectLine::Kind::Section)
            section = lines[i].loadSection;
        else if (lines[i].kind == ProjectLine::Kind::Key && lines[i].loadSection.empty())
            lines[i].loadSection = section;
        ++i;
    }
    return lines;
}();

// A new project file holds the first TemplateLineCount lines.
inline constexpr std::size_t TemplateLineCount = detail::TemplateLineCount;

static_assert(ProjectLines.size() == 221);
static_assert(TemplateLineCount == 74);

} // namespace qm::store
