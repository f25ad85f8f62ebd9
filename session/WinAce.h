#pragma once
// The main window's WinAce runner (ZipSession::winAce), shared by the ACE
// backups and the test and listing of ACE archives. OpAce turns a command
// text and an archive path into WinAce's parameter text
// (store/AceCommandLine.h), runs WinAce (LocateWinAce) through DoWait and
// then shows the action log WinAce left in its folder
// (ReportForms::showActionLog): for every command letter but "l", and for
// "l" too when there is no display (platform/ui/Display.h), as WinAce then
// lists into its log instead of its own window.
// DoWait starts a program from the loaded project's source folder and waits
// for it to end while the window runtime keeps the window alive.
//
// While WinAce runs the main window's commands are off (the busy switch);
// an Exit meanwhile waits for WinAce to end and skips the action log.
#include "store/AceCommandLine.h"
#include "store/ShellExecute.h"

#include <string>

namespace qm::app {
class BusySwitch;
class ProgramState;
struct Form1Variables;
} // namespace qm::app

namespace qm::ui {
class UiServices;
}

namespace qm::session {

class ReportForms;

// The box of every ACE step (backup, test, listing, restore) when no usable
// WinAce is installed.
inline constexpr const char* NoWinAceText = "Cannot find an installed version of WinAce (2.11 or higher)";

// The WinAce of an ACE operation: the main window's WinAceLocation while
// its program is there. When it is empty (start-up looks WinAce up only for
// the default compression "ACE") or its program is gone (WinAce moved since
// it was found), WinAce is looked up again (store::UsableWinAcePath) and
// kept there when its program is there. "" when no usable WinAce is
// installed.
const std::string& LocateWinAce(qm::app::Form1Variables& f);
// LocateWinAce, and the critical "Error!" box NoWinAceText when it finds
// none; false then.
bool WinAceFound(qm::ui::UiServices& ui, qm::app::Form1Variables& f);

// The box of a launch that failed: "WinAce could not be started: <program>"
// and the shell's code.
std::string launchFailedText(const std::string& program, int shellCode);

class WinAceRunner {
public:
    WinAceRunner(qm::app::ProgramState& state, ReportForms& forms, qm::app::BusySwitch& busy)
        : state_(state), forms_(forms), busy_(busy)
    {
    }

    // `strCommand` is collapsed in place and `strList`, when not empty, gets
    // one blank in front. With no WinAce found (WinAceFound) nothing starts;
    // a launch that fails shows the critical "Error!" box of
    // launchFailedText and no action log. The source folder that
    // cannot be made current, and an action log that cannot be read (53),
    // end OpAce with their qm::RtError. `BackupFolder` is not used.
    qm::store::ProgramRun OpAce(qm::store::AceCommand& strCommand, const std::string& ProjectName,
                    const std::string& BackupFolder, std::string& strList);

    // qm::store::DoWait from the loaded record's ProjectFolder.
    qm::store::ProgramRun DoWait(const std::string& strApp, const std::string& strTargetFile, bool& AppDone);

private:
    qm::app::ProgramState& state_;
    ReportForms& forms_;
    qm::app::BusySwitch& busy_;
};

} // namespace qm::session
