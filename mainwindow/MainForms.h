#pragma once
// The main window's own windows other than Form1, as the procedures show
// them: through this interface, so that they run and are tested without a
// display. The production implementation is mainwindow/forms/QtMainForms.h.
namespace qm::app {

class MainForms {
public:
    virtual ~MainForms() = default;
    // frmAbout, not modal; one at a time: while one is open it is brought
    // forward instead.
    virtual void showAbout() = 0;
};

} // namespace qm::app
