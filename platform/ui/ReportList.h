#pragma once
// A list view in report form: a QTreeWidget without a tree, its columns
// built from a column table (Columns.h), its rows plain strings. Rows sort
// by the text of one column without regard to case (ties: with case); the
// columns are resizable by the user, the last one stretches, and fitting
// sizes each of the others to its texts (never below its starting width).
#include "platform/ui/Columns.h"

#include <QTreeWidget>

#include <span>
#include <string>
#include <vector>

namespace qm::ui {

using ReportRow = std::vector<std::string>;

class ReportList : public QTreeWidget {
    Q_OBJECT
public:
    ReportList(std::span<const ReportColumn> columns, QWidget* parent = nullptr);

    // Replaces every row; the rows keep their order (no sorting is applied).
    void setRows(const std::vector<ReportRow>& rows);
    // Inserts a row at `position` (0-based; past the end: appended).
    void insertRow(int position, const ReportRow& row);
    void addRow(const ReportRow& row) { insertRow(topLevelItemCount(), row); }
    // Removes the row at `position`; a position the list does not have is ignored.
    void removeRow(int position);
    // Sorts the rows by `column`.
    void sortByColumn(int column, bool descending);
    // Each column but the last as wide as its widest text (caption included),
    // at least its starting width.
    void fitColumns();

    // The positions of the selected rows, in the order shown.
    std::vector<int> selectedRowIndexes() const;
    // The text of a cell; empty for a row or column the list does not have.
    std::string cell(int row, int column) const;
    // Sets a cell; a row or column the list does not have is ignored.
    void setCell(int row, int column, const std::string& text);
    // The texts of one column, top to bottom.
    std::vector<std::string> columnTexts(int column) const;

private:
    std::vector<int> widths_;
};

} // namespace qm::ui
