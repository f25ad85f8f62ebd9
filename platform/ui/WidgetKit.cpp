#include "platform/ui/WidgetKit.h"

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

} // namespace qm::ui
