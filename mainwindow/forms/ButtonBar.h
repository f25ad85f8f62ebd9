#pragma once
// ButtonBar1: the main window's bar of large-icon buttons in groups, one
// group open at a time. Each group has a caption, a key and a tooltip; each
// item a caption, a key (its object name), a tooltip and an icon. A click
// reports the item's group key and its 1-based position in the group.
#include <QIcon>
#include <QToolBox>

class QToolButton;

namespace qm::app {

class ButtonBar : public QToolBox {
    Q_OBJECT
public:
    explicit ButtonBar(QWidget* parent = nullptr);

    void addGroup(const QString& caption, const QString& key, const QString& tooltip);
    // Appends an item to the group of that key; its position is the number
    // of items the group had before, plus one.
    QToolButton* addItem(const QString& groupKey, const QString& caption, const QString& key,
                         const QString& tooltip, const QIcon& icon);
    // The item at that group and position, or nullptr.
    QToolButton* item(const QString& groupKey, int position) const;
    int itemCount(const QString& groupKey) const;

signals:
    void ItemClick(const QString& groupKey, int position);

private:
    QWidget* group(const QString& key) const;
};

} // namespace qm::app
