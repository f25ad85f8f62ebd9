#pragma once
// The editor's card grid over the shared record array: card n is element n
// of ProjectRecord, column k the field the column table gives it. The grid's
// item count is the store's RecordCount; the two grid row handlers keep the
// array in step when a row is added or deleted.
#include "platform/ui/Columns.h"

#include <string>

namespace qm::store {
class Store;
}

namespace qm::editor {

class RecordRows : public qm::ui::GridRowSource {
public:
    explicit RecordRows(qm::store::Store& store) : store_(store) {}

    // The field of column `column` of element `row`, as it holds it; empty
    // for an element or column the array and the table do not have.
    std::string value(int row, int column) const override;
    // Sets that one field; an element or column that is not there is ignored.
    void setValue(int row, int column, const std::string& text) override;

private:
    qm::store::Store& store_;
};

// A row added to the grid: the array grows by one element keeping the
// others; the new element takes the values of columns 1 to 3 (ProjectName,
// ProjectFolder, ZIPBackFile), its other fields stay empty.
void GridEX1_RowAdded(qm::store::Store& store, const std::string& column1, const std::string& column2,
                      const std::string& column3);

// Row `row` deleted from the grid: the elements after it move down by one,
// RecordCount goes down by one; the array keeps its size when none is left.
// A row that is not there changes nothing.
void GridEX1_RowDeleted(qm::store::Store& store, int row);

} // namespace qm::editor
