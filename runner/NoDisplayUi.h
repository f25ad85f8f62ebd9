#pragma once
// The window services of a run that has no display to show boxes on (a
// scheduled start without a desktop session): nobody could answer a box, so
// each one is written to standard error and answered at once with its
// default button (an input box with the empty text). Everything else goes
// to the services it wraps.
#include "platform/ui/UiServices.h"

#include <ostream>

namespace qm::runner {

class NoDisplayUiServices : public qm::ui::UiServices {
public:
    NoDisplayUiServices(qm::ui::UiServices& inner, std::ostream& out) : inner_(inner), out_(out) {}

    int msgBox(const std::string& prompt, int style = qm::ui::mb::OKOnly, const std::string& title = {}) override;
    std::string inputBox(const std::string& prompt, const std::string& title = {},
                         const std::string& defaultText = {}) override;
    void showModal(QWidget& form) override { inner_.showModal(form); }
    void busyPointer() override { inner_.busyPointer(); }
    void normalPointer() override { inner_.normalPointer(); }
    bool isBusy() const override { return inner_.isBusy(); }
    void doEvents() override { inner_.doEvents(); }
    void singleShot(int ms, std::function<void()> fn) override { inner_.singleShot(ms, std::move(fn)); }

private:
    qm::ui::UiServices& inner_;
    std::ostream& out_;
};

} // namespace qm::runner
