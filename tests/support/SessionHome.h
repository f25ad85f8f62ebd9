#pragma once
// The main window's operations' test set-up: a program folder of their own
// (ProgramHomeTest, with every data folder and "out" made), the main window
// and its other windows faked, boxes scripted (Okay when nothing else is),
// the clock fixed at 3/7/2026 2:05:09 PM, and the main window's zip session
// over them. The tests of the session, the backups (tests/engine) and
// restore (tests/restore) start here; they link qm_session.
#include "app/BusySwitch.h"
#include "app/ProgramState.h"
#include "platform/datetime/Clock.h"
#include "session/ZipSession.h"

#include "FakeMainWindowView.h"
#include "FakeUiServices.h"
#include "FakeWindows.h"
#include "ProgramHome.h"

namespace qm::test {

class SessionHome : public ProgramHomeTest {
protected:
    SessionHome() : ProgramHomeTest({"Projects", "Options", "Filelists", "Temp", "out"})
    {
        ui_.setUnscriptedResult(qm::ui::mb::OK);
    }

    qm::ui::FakeUiServices ui_;
    qm::app::ProgramState state_{ui_};
    FakeMainWindowView view_;
    FakeWindows windows_;
    qm::app::BusySwitch busy_{view_};
    qm::datetime::FixedClock clock_{qm::datetime::DateTime{2026, 3, 7, 14, 5, 9}};
    qm::session::ZipSession session_{state_, busy_, windows_.engine, windows_.restore, clock_};
};

} // namespace qm::test
