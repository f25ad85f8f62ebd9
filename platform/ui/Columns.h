#pragma once
// Column tables as data, without Qt: the logic of a window lists its
// columns once and the form builds its widget from the list.
//  - ReportColumn: a column of a report list (a list view in report form,
//    see ReportList.h): the project list, the archive contents.
//  - GridColumn: a column of a card grid, where each column is one field of
//    a record shown on one card: the record editor, the user options.
#include <span>
#include <string>
#include <string_view>

namespace qm::ui {

struct ReportColumn {
    std::string_view key;
    std::string_view caption;
    int width = 100; // starting width in pixels; fitting never makes it narrower
};

// How a card grid's cell is edited.
enum class EditKind {
    ReadOnly, // shown, not editable
    Text,     // free text
    DropDown, // one entry of the column's value list
};

// An entry of a drop-down column: what the record stores and what the cell shows.
struct ValueChoice {
    std::string_view stored;
    std::string_view shown;
};

struct GridColumn {
    std::string_view key;
    std::string_view caption;
    std::string_view tooltip;               // the caption's tool tip; empty: none
    EditKind edit = EditKind::Text;
    std::span<const ValueChoice> values;    // DropDown: the entries in order
    int field = -1;                         // the record field the column shows; -1 none
    bool button = false;                    // the cell has a button that opens a dialog
    int lines = 1;                          // most lines the card gives the cell
    int minLines = 1;                       // fewest lines the card gives the cell
    bool wrap = false;                      // long text wraps
    bool hidden = false;                    // hidden until made visible

    // A cell of several lines: line breaks may be typed into it.
    constexpr bool multiLine() const { return lines > 1 || wrap; }
};

// The values behind a card grid: column `column` (1-based, the table's
// order) of row `row` (1-based), as text. The grid keeps no value of its
// own beyond the edit in progress: it reads a card's values when it shows or
// re-reads it and writes one cell back when its edit ends.
class GridRowSource {
public:
    virtual ~GridRowSource() = default;
    virtual std::string value(int row, int column) const = 0;
    virtual void setValue(int row, int column, const std::string& text) = 0;
};

} // namespace qm::ui
