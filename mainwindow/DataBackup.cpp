#include "mainwindow/DataBackup.h"

#include "app/BusySwitch.h"
#include "app/MainWindowView.h"
#include "app/ProgramState.h"
#include "app/Windows.h"
#include "pickers/PickerForms.h"
#include "pickers/PickerWriters.h"
#include "platform/datetime/DateText.h"
#include "platform/fs/Errors.h"
#include "platform/fs/FileOps.h"
#include "platform/fs/Paths.h"
#include "platform/process/ShellCodes.h"
#include "platform/ui/UiServices.h"
#include "session/StatusView.h"
#include "session/ZipSession.h"
#include "store/DataFileZip.h"
#include "store/Launcher.h"
#include "store/ProgramFolders.h"

#include <optional>

namespace qm::app {

namespace {

using namespace qm::ui;

bool folderThere(const std::string& path)
{
    try {
        return !path.empty() && (qm::fs::getAttributes(path) & qm::fs::attr::Directory) != 0;
    } catch (const std::exception&) {
        return false;
    }
}

void showRunError(UiServices& ui, const qm::RtError& e)
{
    ui.msgBox("Error number: " + std::to_string(e.number) + "\r\n" + e.description, mb::OKOnly, DefaultTitle);
}

qm::RtError asRtError(const std::exception& e)
{
    if (const auto* rt = dynamic_cast<const qm::RtError*>(&e))
        return *rt;
    return qm::RtError(51, e.what());
}

// The run-time error of a program that could not be started.
qm::RtError launchError(int code, const std::string& program)
{
    namespace sc = qm::process::shellcode;
    switch (code) {
    case sc::FileNotFound:
        return qm::fs::makeRtError(qm::rterr::FileNotFound, program);
    case sc::PathNotFound:
        return qm::fs::makeRtError(qm::rterr::PathNotFound, program);
    case sc::AccessDenied:
        return qm::fs::makeRtError(qm::rterr::PermissionDenied, program);
    default:
        return qm::RtError(5, "The program could not be started: " + program);
    }
}

} // namespace

void BackUpDB(ProgramState& state, qm::session::ZipSession& session, BusySwitch& busy)
{
    UiServices& ui = state.ui();
    qm::store::UserOptionsRecord& u = state.store.UserOptionsRecord(1);
    const std::string folder = u.ProjectINIBackupPath;
    const std::string app = qm::fs::appPath();
    if (!folderThere(folder)) {
        ui.msgBox("Folder does not exist as defined in the database.\r\nPlease insert disk containing folder " + folder +
                      "\r\nor click on User Options at the Quillmate main window\r\nand change the location of your "
                      "database backup.\r\n\r\nNOTE: You can also create a new directory\r\nthrough the options menu.",
                  mb::OKOnly | mb::Critical, "File not found!");
        return;
    }
    qm::store::EnterProjectsFolder(app);

    qm::zip::PavikZip& zip = session.PavikZip1;
    std::optional<qm::RtError> error;
    int result = qm::zip::result::Ok;
    {
        BusySwitch::Operation running = busy.begin([&zip] { zip.AbortRequested = true; });
        try {
            qm::store::DataFileSetup setup;
            setup.backupFolder = folder;
            setup.appPath = app;
            setup.tempFolder = qm::store::ProgramTempFolder(app);
            setup.iconFile = "Compres5.ico";
            qm::store::SetDataFileProperties(zip, setup);
            result = zip.Build();
        } catch (const std::exception& e) {
            error = asRtError(e);
        }
        // The build's progress may have made a progress window; none is shown.
        session.status().unload();
    }
    if (error) {
        showRunError(ui, *error);
    } else if (result != qm::zip::result::Ok) {
        ui.msgBox(zip.ErrorText(qm::zip::textkind::Result, result), mb::OKOnly, DefaultTitle);
    } else {
        ui.msgBox("Quillmate data files backed up successfully to " + qm::store::dataBackupPath(folder), mb::OKOnly,
                  DefaultTitle);
        const std::string now = qm::datetime::formatDateTime(session.Now());
        if (state.store.WriteIni("User Options", "UserLastINIBackup", now, app + "\\Options\\User Options"))
            u.UserLastINIBackup = now;
    }
}

void RestoreDB(ProgramState& state, MainWindowView& view, Windows& windows, BusySwitch& busy)
{
    UiServices& ui = state.ui();
    view.unloadOtherWindows();
    const std::string folder = state.store.UserOptionsRecord(1).ProjectINIBackupPath;
    std::string program = qm::store::dataBackupPath(folder);
    bool found = false;
    try {
        found = !folder.empty() && !qm::fs::dirNames(program, qm::fs::attr::Normal).empty();
    } catch (const std::exception&) {
    }
    try {
        if (!found) {
            // Emptied first: a close of the picker leaves no earlier path to start.
            state.Form1.ProjectName.clear();
            const qm::pickers::FileRequest request = qm::pickers::Form1FileRequest(
                qm::store::DataBackupFile, std::string("Navigate to folder containing ") + qm::store::DataBackupFile);
            qm::pickers::Form1File(state.Form1, windows.pickers.chooseFile(request));
            program = state.Form1.ProjectName;
        }
        if (program.empty() || (found && !folderThere(folder))) {
            ui.msgBox("Operation cancelled. Error in selecting folder.", mb::OKOnly | mb::Information, "Error!");
            return;
        }
        int code = 0;
        {
            // An Exit meanwhile waits for the restore, so that what it put back is seen to.
            BusySwitch::Operation running = busy.begin([] {});
            code = qm::store::runProgramAndWait(state.launcher(), program, {}, [&ui] { ui.doEvents(); });
        }
        if (!qm::process::shellcode::succeeded(code))
            throw launchError(code, program);
        // A data backup made before project files were recorded owner-only
        // puts them back readable by all.
        qm::store::KeepDataFilesPrivate(qm::fs::appPath());
    } catch (const std::exception& e) {
        showRunError(ui, asRtError(e));
    }
}

} // namespace qm::app
