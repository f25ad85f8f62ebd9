#include "mainwindow/forms/HelpKey.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

namespace qm::app {

HelpKey::HelpKey(std::function<void(QWidget& window)> open, QObject* parent) : QObject(parent), open_(std::move(open))
{
    qApp->installEventFilter(this);
}

HelpKey::~HelpKey() { qApp->removeEventFilter(this); }

bool HelpKey::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType())
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() != Qt::Key_F1 || key->modifiers() != Qt::NoModifier)
        return false;
    QWidget& window = *static_cast<QWidget*>(watched)->window();
    auto* own = window.findChild<QAbstractButton*>("cmdHelp");
    if (own && own->isVisible() && own->isEnabled())
        own->click();
    else
        open_(window);
    return true;
}

} // namespace qm::app
