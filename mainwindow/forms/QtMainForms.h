#pragma once
// The main window's own windows shown for real. The about box is made when
// none is open and lives until it is closed.
#include "mainwindow/MainForms.h"
#include "mainwindow/forms/frmAbout.h"

#include <QPointer>

namespace qm::app {

class ProgramState;

class QtMainForms : public MainForms {
public:
    explicit QtMainForms(ProgramState& state) : state_(state) {}
    ~QtMainForms() override;
    QtMainForms(const QtMainForms&) = delete;
    QtMainForms& operator=(const QtMainForms&) = delete;

    void showAbout() override;
    // The open about box; null when none is.
    frmAbout* about() const { return about_; }

private:
    ProgramState& state_;
    QPointer<frmAbout> about_;
};

} // namespace qm::app
