#include "mainwindow/forms/ButtonBar.h"

#include <QToolButton>
#include <QVBoxLayout>

namespace qm::app {

ButtonBar::ButtonBar(QWidget* parent)
    : QToolBox(parent)
{
    setObjectName("ButtonBar1");
}

void ButtonBar::addGroup(const QString& caption, const QString& key, const QString& tooltip)
{
    auto* page = new QWidget(this);
    page->setObjectName(key);
    page->setProperty("groupKey", key);
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(2);
    layout->addStretch(1);
    const int index = QToolBox::addItem(page, caption);
    setItemToolTip(index, tooltip);
}

QWidget* ButtonBar::group(const QString& key) const
{
    for (int i = 0; i < count(); ++i)
        if (widget(i)->property("groupKey").toString() == key)
            return widget(i);
    return nullptr;
}

QToolButton* ButtonBar::addItem(const QString& groupKey, const QString& caption, const QString& key,
                                const QString& tooltip, const QIcon& icon)
{
    QWidget* page = group(groupKey);
    if (!page)
        return nullptr;
    auto* layout = static_cast<QVBoxLayout*>(page->layout());
    const int position = layout->count(); // the stretch stays last
    auto* b = new QToolButton(page);
    b->setObjectName(key);
    b->setText(caption);
    b->setToolTip(tooltip);
    b->setIcon(icon);
    b->setIconSize(QSize(32, 32));
    b->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    b->setAutoRaise(true);
    b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    b->setProperty("position", position);
    layout->insertWidget(position - 1, b);
    connect(b, &QToolButton::clicked, this, [this, groupKey, position] { emit ItemClick(groupKey, position); });
    return b;
}

QToolButton* ButtonBar::item(const QString& groupKey, int position) const
{
    QWidget* page = group(groupKey);
    if (!page)
        return nullptr;
    for (QToolButton* b : page->findChildren<QToolButton*>())
        if (b->property("position").toInt() == position)
            return b;
    return nullptr;
}

int ButtonBar::itemCount(const QString& groupKey) const
{
    QWidget* page = group(groupKey);
    return page ? static_cast<int>(page->findChildren<QToolButton*>().size()) : 0;
}

} // namespace qm::app
