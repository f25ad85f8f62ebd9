#include "platform/ui/WidgetKit.h"

#include <QScreen>

#include <algorithm>

namespace qm::ui {

void chainTabOrder(std::span<QWidget* const> widgets)
{
    QWidget* previous = nullptr;
    for (QWidget* w : widgets) {
        if (previous)
            QWidget::setTabOrder(previous, w);
        previous = w;
    }
}

void placeOnScreen(QWidget& window)
{
    const QScreen* screen = window.screen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    // The frame the window system adds is not known before the first show;
    // room is left for a title bar and borders.
    const QSize frame(16, 40);
    window.resize(std::min(window.width(), std::max(area.width() - frame.width(), 1)),
                  std::min(window.height(), std::max(area.height() - frame.height(), 1)));
    QRect r(QPoint(0, 0), window.size() + frame);
    r.moveCenter(area.center());
    window.move(std::max(r.left(), area.left()), std::max(r.top(), area.top()));
}

} // namespace qm::ui
