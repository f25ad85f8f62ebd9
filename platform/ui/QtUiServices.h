#pragma once
// The window runtime's services over Qt Widgets: QMessageBox, QInputDialog,
// modal shows, the application's override cursor, processEvents and
// single-shot timers. Needs a QApplication. While a box or a modal form waits
// for the user, the arrow shows over the busy pointer.
#include "platform/ui/UiServices.h"

namespace qm::ui {

class QtUiServices : public UiServices {
public:
    QtUiServices() = default;
    ~QtUiServices() override;
    QtUiServices(const QtUiServices&) = delete;
    QtUiServices& operator=(const QtUiServices&) = delete;

    // The box is application modal, its text shown as plain text (never as
    // markup); Esc or closing the box gives Cancel where the set has it.
    int msgBox(const std::string& prompt, int style = mb::OKOnly, const std::string& title = {}) override;
    std::string inputBox(const std::string& prompt, const std::string& title = {},
                         const std::string& defaultText = {}) override;
    // A QDialog runs its own exec(); any other widget is shown application
    // modal and a local event loop runs until it is hidden, closed or
    // deleted. Safe when the form deletes itself on close.
    void showModal(QWidget& form) override;
    void busyPointer() override;
    void normalPointer() override;
    bool isBusy() const override { return busy_; }
    void doEvents() override;
    void singleShot(int ms, std::function<void()> fn) override;

private:
    bool busy_ = false;
};

} // namespace qm::ui
