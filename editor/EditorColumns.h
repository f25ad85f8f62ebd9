#pragma once
// The record editor's card: its 176 columns (EditorColumns.def) as a column
// table for the card grid, the help context each column gives, and where
// each column's field lives in the project file (store/ProjectLayout.h).
// Columns are numbered from 1; column n is EditorColumns[n - 1].
#include "editor/EditorLists.h"
#include "platform/ui/Columns.h"
#include "store/ProjectLayout.h"

#include <array>
#include <string_view>

namespace qm::editor {

inline constexpr int EditorColumnCount = 176;

namespace detail {

struct LineSpec {
    int fewest = 1;
    int most = 1;
    bool wrap = false;
};

// The words of the table file.
namespace words {
using namespace qm::editor::lists;
inline constexpr LineSpec One{1, 1, false};
constexpr LineSpec UpTo(int n) { return {1, n, false}; }
constexpr LineSpec Lines(int fewest, int most) { return {fewest, most, false}; }
inline constexpr LineSpec Wrapped{2, 2, true};
inline constexpr bool Button = true;
inline constexpr bool NoButton = false;
inline constexpr bool Hidden = true;
inline constexpr bool Shown = false;
inline constexpr int Unchanged = 0;
} // namespace words

// The key of `field` in the project file; empty when it has none. (A view
// rather than a pointer to the line: with GCC's undefined-behaviour checks a
// pointer into the table is no longer a constant expression.)
constexpr std::string_view keyOf(int field)
{
    for (const qm::store::ProjectLine& line : qm::store::ProjectLines)
        if (line.kind == qm::store::ProjectLine::Kind::Key && line.field == field)
            return line.text;
    return {};
}

// The section (as written) that holds the key of `field`; empty when none.
constexpr std::string_view sectionOf(int field)
{
    std::string_view section;
    for (const qm::store::ProjectLine& line : qm::store::ProjectLines) {
        if (line.kind == qm::store::ProjectLine::Kind::Section)
            section = line.text;
        else if (line.kind == qm::store::ProjectLine::Kind::Key && line.field == field)
            return section;
    }
    return {};
}

struct Row {
    qm::ui::GridColumn column;
    int help = 0;
};

inline constexpr std::array<Row, EditorColumnCount> Rows = [] {
    using namespace words;
    std::array<Row, EditorColumnCount> rows{};
    int next = 1;
    auto add = [&](int col, int field, std::string_view key, std::string_view caption, qm::ui::EditKind edit,
                   LineSpec lines, lists::List list, bool button, bool hidden, int help) {
        if (col != next++ || keyOf(field).empty())
            throw "the columns are numbered in order, each over a field with a key";
        qm::ui::GridColumn& c = rows[static_cast<std::size_t>(col - 1)].column;
        c.key = key.empty() ? keyOf(field) : key;
        c.caption = caption;
        c.edit = edit;
        c.values = list;
        c.field = field;
        c.button = button;
        c.lines = lines.most;
        c.minLines = lines.fewest;
        c.wrap = lines.wrap;
        c.hidden = hidden;
        rows[static_cast<std::size_t>(col - 1)].help = help;
    };
    auto tip = [&](int col, std::string_view text) { rows[static_cast<std::size_t>(col - 1)].column.tooltip = text; };
#define QM_COLUMN(col, field, key, caption, edit, lines, list, button, hidden, help) \
    add(col, field, key, caption, qm::ui::EditKind::edit, lines, list, button, hidden, help);
#define QM_TOOLTIP(col, text) tip(col, text);
#include "editor/EditorColumns.def"
#undef QM_COLUMN
#undef QM_TOOLTIP
    if (next != EditorColumnCount + 1)
        throw "every column is listed";
    return rows;
}();

} // namespace detail

// The card grid's columns, in column order.
inline constexpr std::array<qm::ui::GridColumn, EditorColumnCount> EditorColumns = [] {
    std::array<qm::ui::GridColumn, EditorColumnCount> columns{};
    for (std::size_t i = 0; i < columns.size(); ++i)
        columns[i] = detail::Rows[i].column;
    return columns;
}();

// The help context that column `column` gives; 0 when it leaves the context
// as it is (and for a number that is no column).
constexpr int helpContextOf(int column)
{
    return column >= 1 && column <= EditorColumnCount ? detail::Rows[static_cast<std::size_t>(column - 1)].help : 0;
}

// The section (as written) and the key that hold column `column`'s field in
// the project file.
constexpr std::string_view columnSection(int column)
{
    return detail::sectionOf(EditorColumns[static_cast<std::size_t>(column - 1)].field);
}
constexpr std::string_view columnFileKey(int column)
{
    return detail::keyOf(EditorColumns[static_cast<std::size_t>(column - 1)].field);
}

} // namespace qm::editor
