#include "platform/ui/WindowGuard.h"

#include "platform/ui/UiServices.h"

#include <QEvent>

namespace qm::ui {

WindowGuard::WindowGuard(QWidget* window) : window_(window)
{
    if (window)
        window->installEventFilter(this);
}

WindowGuard::~WindowGuard()
{
    if (window_)
        window_->removeEventFilter(this);
}

bool WindowGuard::closed() const
{
    return window_.isNull() || (closeRequested_ && !window_->isVisible());
}

bool WindowGuard::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == window_.data()) {
        if (event->type() == QEvent::Close)
            closeRequested_ = true;
        else if (event->type() == QEvent::Show)
            closeRequested_ = false;
    }
    return false;
}

std::function<bool()> yieldWithin(QWidget* window, UiServices& ui)
{
    return [window = QPointer<QWidget>(window), &ui] {
        if (!window)
            return false;
        WindowGuard guard(window.data());
        const bool shown = window->isVisible();
        ui.doEvents();
        return !guard.closed() && !(shown && !window->isVisible());
    };
}

} // namespace qm::ui
