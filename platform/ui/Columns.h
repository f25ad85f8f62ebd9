#pragma once
// Column tables as data, without Qt: the logic of a window lists its
// columns once and the form builds its widget from the list.
//  - ReportColumn: a column of a report list (a list view in report form,
//    see ReportList.h): the project list, the archive contents.
//  - GridColumn: a column of a card grid, where each column is one field of
//    a record shown on one card: the record editor, the user options.
#include <span>
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
    std::string_view tooltip;               // empty: none
    EditKind edit = EditKind::Text;
    std::span<const ValueChoice> values;    // DropDown: the entries in order
    int field = -1;                         // the record field the column shows; -1 none
    int group = -1;                         // the column group it belongs to; -1 none
    bool button = false;                    // the cell has a button that opens a dialog
    int lines = 1;                          // lines the card gives the cell
};

} // namespace qm::ui
