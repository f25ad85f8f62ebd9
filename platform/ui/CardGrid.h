#pragma once
// A card grid: each row of a record array shown as one card, one line per
// column (caption, then the cell), over a column table (Columns.h) and a row
// source that holds the values. The grid keeps nothing but the edit in
// progress: a card reads its values when it is made and at every reRead(),
// and an edited cell is written back alone, when its edit ends.
//
//   CardGrid grid(Columns, rows);            // 1-based columns, in table order
//   grid.setCardCaption("", 1);              // the header shows column 1's value
//   grid.onEditEnded([&](int, int) { grid.reRead(); });
//   grid.setItemCount(1);
//
// Edits: a text cell takes free text (a cell of several lines takes line
// breaks, given back as a single CR each), at most the text limit in bytes
// (whole UTF-8 sequences); a drop-down cell shows its entries' texts and
// gives back the entry's stored value; a value that is not among the entries
// shows as stored and stays until the user picks an entry. A read-only cell
// is shown only. Before a cell's edit begins (the first key that changes it,
// a click into it) the before-edit notification may refuse the edit; a cell
// button gives its own notification. Before a typed value is written the
// before-update notification may refuse it: the cell then keeps the text for
// the user to mend, and offers it again at every commit.
#include "platform/ui/Columns.h"

#include <QScrollArea>

#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

class QLabel;
class QToolButton;

namespace qm::ui {

class CardGrid : public QScrollArea {
    Q_OBJECT
public:
    CardGrid(std::span<const GridColumn> columns, GridRowSource& rows, QWidget* parent = nullptr);
    ~CardGrid() override;

    // ---- Columns, numbered from 1 in the table's order
    int columnCount() const { return static_cast<int>(columns_.size()); }
    const GridColumn& column(int c) const { return columns_[static_cast<std::size_t>(c - 1)]; }
    // A column out of 1..columnCount() is ignored (not visible).
    void setColumnVisible(int c, bool visible);
    // Column c shown when visible[c - 1] is true, hidden otherwise; columns
    // past the end of `visible` are left as they are.
    void setColumnsVisible(std::span<const bool> visible);
    bool columnVisible(int c) const;

    // ---- Cards
    // The header of every card: `text`, then the value of column `column`
    // (0: none).
    void setCardCaption(const std::string& text, int column = 0);
    std::string cardCaption(int row) const;
    // One card for each row 1..n (0: none); new cards read their values.
    void setItemCount(int n);
    int itemCount() const { return static_cast<int>(cards_.size()); }
    // Commits an edit still open, then every card reads its values afresh;
    // a cell whose value was refused keeps its text, and the result is false.
    bool reRead();
    // Writes a cell whose edit is still open back to the rows (edit ended
    // follows); false when no cell was written.
    bool commitEdit();
    // Text cells keep at most this many bytes; 0: no limit.
    void setTextLimit(int bytes) { textLimit_ = bytes; }

    // ---- The current cell (0, 0 before the user or setCurrentColumn chose one)
    int currentRow() const { return currentRow_; }
    int currentColumn() const { return currentColumn_; }
    // Makes column `c` of the current row (row 1 when none) current and
    // gives it the focus; current cell changed follows.
    void setCurrentColumn(int c);

    // ---- What the owner keeps in the grid
    void setHelpContext(int context) { helpContext_ = context; }
    int helpContext() const { return helpContext_; }
    // Locked: no cell takes input (the cards stay visible).
    void setInputLocked(bool locked);
    bool inputLocked() const { return locked_; }

    // ---- Notifications (row and column 1-based)
    void onCurrentCellChanged(std::function<void(int row, int column)> fn) { currentChanged_ = std::move(fn); }
    // Returns false to refuse the edit: the key or click that began it is dropped.
    void onBeforeEdit(std::function<bool(int row, int column)> fn) { beforeEdit_ = std::move(fn); }
    void onCellButton(std::function<void(int row, int column)> fn) { cellButton_ = std::move(fn); }
    // Returns false to refuse a cell's new value: nothing is written.
    void onBeforeUpdate(std::function<bool(int row, int column, const std::string& value)> fn)
    {
        beforeUpdate_ = std::move(fn);
    }
    // A cell's new value has been written to the rows.
    void onEditEnded(std::function<void(int row, int column)> fn) { editEnded_ = std::move(fn); }

    // ---- The widgets of a cell (nullptr for a cell the grid does not have)
    QWidget* cellEditor(int row, int column) const;
    QToolButton* cellButton(int row, int column) const;
    QLabel* captionLabel(int row, int column) const;
    // The text a cell shows (a drop-down: its entry's text).
    std::string cellText(int row, int column) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Cell;
    struct Card;

    // Columns first, first + 1, ... as `visible` says.
    void setColumnsVisible(std::span<const bool> visible, int first);
    Card& makeCard(int row);
    void makeCell(Cell& cell, QWidget* card);
    // False when a cell kept a refused value instead.
    bool load(int row);
    void load(Cell& cell, const std::string& value);
    void restripe();
    Cell* cellAt(int row, int column) const;
    Cell* cellOf(QObject* watched) const;
    // The user starts editing the cell: before edit, unless already begun.
    bool begin(Cell& cell);
    // False when the value was refused.
    bool commit(Cell& cell);
    void textChanged(Cell& cell);
    void picked(Cell& cell, int index);
    void makeCurrent(int row, int column);
    void fitLines(Cell& cell);

    std::vector<GridColumn> columns_;
    GridRowSource& rows_;
    std::vector<bool> visible_;
    std::vector<std::unique_ptr<Card>> cards_;
    QWidget* body_ = nullptr;
    std::string captionText_;
    int captionColumn_ = 0;
    int captionWidth_ = 0;
    int textLimit_ = 0;
    int currentRow_ = 0;
    int currentColumn_ = 0;
    int helpContext_ = 0;
    bool locked_ = false;
    bool loading_ = false;
    bool offering_ = false; // a value is before its update notification
    std::function<void(int, int)> currentChanged_;
    std::function<bool(int, int)> beforeEdit_;
    std::function<void(int, int)> cellButton_;
    std::function<void(int, int)> editEnded_;
    std::function<bool(int, int, const std::string&)> beforeUpdate_;
};

} // namespace qm::ui
