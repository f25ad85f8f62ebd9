#include "editor/RecordRows.h"

#include "editor/EditorColumns.h"
#include "store/Store.h"

namespace qm::editor {

namespace {

std::string* fieldOf(qm::store::Store& store, int row, int column)
{
    if (row < 1 || row > store.ProjectRecord.size() || column < 1 || column > EditorColumnCount)
        return nullptr;
    return &store.ProjectRecord(row).field(EditorColumns[static_cast<std::size_t>(column - 1)].field);
}

} // namespace

std::string RecordRows::value(int row, int column) const
{
    const std::string* f = fieldOf(store_, row, column);
    return f ? *f : std::string();
}

void RecordRows::setValue(int row, int column, const std::string& text)
{
    if (std::string* f = fieldOf(store_, row, column))
        *f = text;
}

void GridEX1_RowAdded(qm::store::Store& store, const std::string& column1, const std::string& column2,
                      const std::string& column3)
{
    using F = qm::store::ProjectField;
    store.RecordCount += 1;
    store.ProjectRecord.redimPreserve(store.RecordCount);
    // Empty also when the array kept an element that was deleted before.
    qm::store::ProjectRecord& added = store.ProjectRecord(store.RecordCount);
    added = {};
    added[F::ProjectName] = column1;
    added[F::ProjectFolder] = column2;
    added[F::ZIPBackFile] = column3;
}

void GridEX1_RowDeleted(qm::store::Store& store, int row)
{
    if (row < 1 || row > store.RecordCount || row > store.ProjectRecord.size())
        return;
    for (int i = row; i < store.RecordCount; ++i)
        store.ProjectRecord(i) = store.ProjectRecord(i + 1);
    store.RecordCount -= 1;
    if (store.RecordCount >= 1)
        store.ProjectRecord.redimPreserve(store.RecordCount);
}

} // namespace qm::editor
