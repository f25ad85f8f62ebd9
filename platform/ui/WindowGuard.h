#pragma once
// Guards a window that yields (DoEvents, a box, a wait for a program)
// against having been closed or deleted while it yielded:
//
//   WindowGuard guard(this);
//   ui.doEvents();
//   if (guard.closed())
//       return;            // the user closed the window meanwhile
//
// Create it on the stack around the yielding code; it watches the window
// only while it lives.
#include <QObject>
#include <QPointer>
#include <QWidget>

#include <functional>

namespace qm::ui {

class UiServices;

class WindowGuard : public QObject {
public:
    explicit WindowGuard(QWidget* window);
    ~WindowGuard() override;
    WindowGuard(const WindowGuard&) = delete;
    WindowGuard& operator=(const WindowGuard&) = delete;

    // The window object no longer exists.
    bool deleted() const { return window_.isNull(); }
    // The window no longer exists, or it was closed (a close that it
    // accepted: it is hidden since) and not shown again.
    bool closed() const;
    // The window, or nullptr once deleted.
    QWidget* window() const { return window_.data(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QWidget> window_;
    bool closeRequested_ = false;
};

// A yield for logic that `window` runs step by step: each call lets pending
// events run (ui.doEvents()) and says whether the window is still open:
// false once it has been deleted or closed, or hidden while it was shown.
std::function<bool()> yieldWithin(QWidget* window, UiServices& ui);

} // namespace qm::ui
