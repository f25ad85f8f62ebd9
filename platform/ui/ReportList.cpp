#include "platform/ui/ReportList.h"

#include "platform/ui/WidgetKit.h"

#include <QHeaderView>

#include <algorithm>

namespace qm::ui {

namespace {

// Rows compare by their texts, without regard to case first.
class ReportItem : public QTreeWidgetItem {
public:
    using QTreeWidgetItem::QTreeWidgetItem;
    bool operator<(const QTreeWidgetItem& other) const override
    {
        const int column = treeWidget() ? treeWidget()->sortColumn() : 0;
        const QString a = text(column), b = other.text(column);
        const int c = QString::compare(a, b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : QString::compare(a, b, Qt::CaseSensitive) < 0;
    }
};

QStringList texts(const ReportRow& row)
{
    QStringList out;
    for (const std::string& s : row)
        out << qs(s);
    return out;
}

} // namespace

ReportList::ReportList(std::span<const ReportColumn> columns, QWidget* parent) : QTreeWidget(parent)
{
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    QStringList headers;
    for (const ReportColumn& c : columns) {
        headers << qs(c.caption);
        widths_.push_back(c.width);
    }
    setHeaderLabels(headers);
    header()->setSectionsClickable(true);
    header()->setSortIndicatorShown(false);
    header()->setSectionResizeMode(QHeaderView::Interactive);
    header()->setStretchLastSection(true);
    for (int i = 0; i < static_cast<int>(widths_.size()); ++i)
        setColumnWidth(i, widths_[static_cast<std::size_t>(i)]);
}

void ReportList::setRows(const std::vector<ReportRow>& rows)
{
    clear();
    QList<QTreeWidgetItem*> items;
    for (const ReportRow& row : rows)
        items << new ReportItem(texts(row));
    addTopLevelItems(items);
}

void ReportList::insertRow(int position, const ReportRow& row)
{
    insertTopLevelItem(std::clamp(position, 0, topLevelItemCount()), new ReportItem(texts(row)));
}

void ReportList::removeRow(int position)
{
    if (position >= 0 && position < topLevelItemCount())
        delete takeTopLevelItem(position);
}

void ReportList::sortByColumn(int column, bool descending)
{
    sortItems(column, descending ? Qt::DescendingOrder : Qt::AscendingOrder);
}

void ReportList::fitColumns()
{
    for (int i = 0; i + 1 < columnCount(); ++i) {
        resizeColumnToContents(i);
        const int least = i < static_cast<int>(widths_.size()) ? widths_[static_cast<std::size_t>(i)] : 0;
        setColumnWidth(i, std::max(columnWidth(i), least));
    }
}

std::vector<int> ReportList::selectedRowIndexes() const
{
    std::vector<int> rows;
    for (int i = 0; i < topLevelItemCount(); ++i)
        if (topLevelItem(i)->isSelected())
            rows.push_back(i);
    return rows;
}

std::string ReportList::cell(int row, int column) const
{
    const QTreeWidgetItem* item = topLevelItem(row);
    return item && column >= 0 && column < columnCount() ? str(item->text(column)) : std::string();
}

void ReportList::setCell(int row, int column, const std::string& text)
{
    if (QTreeWidgetItem* item = topLevelItem(row); item && column >= 0 && column < columnCount())
        item->setText(column, qs(text));
}

std::vector<std::string> ReportList::columnTexts(int column) const
{
    std::vector<std::string> out;
    for (int i = 0; i < topLevelItemCount(); ++i)
        out.push_back(cell(i, column));
    return out;
}

} // namespace qm::ui
