#include "options/OptionsColumns.h"

#include "store/Store.h"

namespace qm::options {

std::string* OptionsRows::fieldOf(int row, int column) const
{
    if (row != 1 || column < 1 || column > OptionsColumnCount || store_.UserOptionsRecord.size() < 1)
        return nullptr;
    const int field = OptionsColumns[static_cast<std::size_t>(column - 1)].field;
    return field < 0 ? nullptr : &store_.UserOptionsRecord(1).field(field);
}

std::string OptionsRows::value(int row, int column) const
{
    const std::string* f = fieldOf(row, column);
    return f ? *f : std::string();
}

void OptionsRows::setValue(int row, int column, const std::string& text)
{
    if (std::string* f = fieldOf(row, column))
        *f = text;
}

} // namespace qm::options
