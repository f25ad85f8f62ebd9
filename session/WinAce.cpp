#include "session/WinAce.h"

#include "app/BusySwitch.h"
#include "app/ErrorBox.h"
#include "app/ProgramState.h"
#include "platform/fs/FileOps.h"
#include "platform/ui/Display.h"
#include "session/SessionForms.h"
#include "store/ProjectRecord.h"
#include "store/SystemLookups.h"

namespace qm::session {

namespace {

bool programThere(const std::string& path)
{
    return !path.empty() && qm::fs::exists(path) && !qm::fs::isFolder(path);
}

} // namespace

std::string launchFailedText(const std::string& program, int shellCode)
{
    return "WinAce could not be started: " + program + "\r\n\r\nShell error code: " + std::to_string(shellCode);
}

const std::string& LocateWinAce(qm::app::Form1Variables& f)
{
    if (!programThere(f.WinAceLocation)) {
        f.WinAceLocation = qm::store::UsableWinAcePath();
        if (!programThere(f.WinAceLocation))
            f.WinAceLocation.clear();
    }
    return f.WinAceLocation;
}

bool WinAceFound(qm::ui::UiServices& ui, qm::app::Form1Variables& f)
{
    if (!LocateWinAce(f).empty())
        return true;
    qm::app::showError(ui, NoWinAceText);
    return false;
}

qm::store::ProgramRun WinAceRunner::OpAce(qm::store::AceCommand& strCommand, const std::string& ProjectName,
                                          const std::string& /*BackupFolder*/, std::string& strList)
{
    qm::app::Form1Variables& f = state_.Form1;
    if (!WinAceFound(state_.ui(), f))
        return {};
    const std::string program = f.WinAceLocation;
    strCommand.collapse();
    if (!strList.empty())
        strList.insert(0, " ");
    const std::string letter = qm::store::AceCommandLetter(strCommand.text());
    const std::string parameters = qm::store::AceParameterText(strCommand.text(), ProjectName, strList);

    bool exitAsked = false;
    qm::app::BusySwitch::Operation running = busy_.begin([&exitAsked] { exitAsked = true; });
    const qm::store::ProgramRun run = DoWait(program, parameters, f.AppDone);
    if (!run.started) {
        qm::app::showError(state_.ui(), launchFailedText(program, run.shellCode));
        return run;
    }
    // A listing is shown in WinAce's own window; without a display WinAce
    // had none, and its action log holds the listing instead.
    if ((letter != "l" || qm::ui::NoDisplay()) && !exitAsked)
        forms_.showActionLog(f.WinAceLocation);
    return run;
}

qm::store::ProgramRun WinAceRunner::DoWait(const std::string& strApp, const std::string& strTargetFile, bool& AppDone)
{
    return qm::store::DoWait(state_.ui(), state_.store.ProjectRecord(1)[qm::store::ProjectField::ProjectFolder], strApp,
                             strTargetFile, AppDone);
}

} // namespace qm::session
