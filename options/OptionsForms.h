#pragma once
// How the main window opens the user options window: through this
// interface, from app::Windows. There is one such window: opening it while
// it is open brings it forward.
namespace qm::options {

class OptionsForms {
public:
    virtual ~OptionsForms() = default;
    // The user options window with ParentForm "Form1": modal (the button
    // bar; returns when it closes) or not (the menu; returns at once).
    virtual void showUserOptions(bool modal) = 0;
};

} // namespace qm::options
