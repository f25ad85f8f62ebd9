#include "mainwindow/forms/QtMainForms.h"

namespace qm::app {

QtMainForms::~QtMainForms() { delete about_.data(); }

void QtMainForms::showAbout()
{
    // One that has been closed is on its way out: a new one takes its place.
    if (!about_ || !about_->isVisible())
        about_ = new frmAbout(state_);
    about_->show();
    about_->raise();
    about_->activateWindow();
}

} // namespace qm::app
