#include "mainwindow/OutsidePrograms.h"

#include "app/ErrorBox.h"
#include "platform/fs/Paths.h"
#include "platform/process/Shell.h"

#include <filesystem>

namespace qm::app {

namespace {

std::string hostPath(const std::string& winPath) { return qm::fs::toNative(winPath).string(); }

} // namespace

bool StartProgram(qm::ui::UiServices& ui, const std::string& commandLine, const std::string& what)
{
    const qm::process::ShellResult r = qm::process::startCommandLine(commandLine, hostPath);
    if (qm::process::shellcode::succeeded(r.code))
        return true;
    showError(ui, "Could not start " + what + ":\r\n\r\n" + commandLine);
    return false;
}

void OpenHelpFile(qm::ui::UiServices& ui, const std::string& HelpFile)
{
    qm::process::ShellRequest request("open", HelpFile);
    const qm::process::ShellResult r = qm::process::shellExecute(request, hostPath);
    if (!qm::process::shellcode::succeeded(r.code))
        showError(ui, "The help file could not be opened:\r\n\r\n" + HelpFile);
}

} // namespace qm::app
