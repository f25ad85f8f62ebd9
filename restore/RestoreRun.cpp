#include "restore/RestoreRun.h"

#include "app/BusySwitch.h"
#include "app/DiskPrompt.h"
#include "app/ErrorBox.h"
#include "app/MainWindowView.h"
#include "app/ProgramState.h"
#include "app/Windows.h"
#include "pickers/PickerForms.h"
#include "pickers/PickerWriters.h"
#include "pickers/TreeKeys.h"
#include "platform/fs/CurrentFolder.h"
#include "platform/fs/FileOps.h"
#include "platform/fs/NoCase.h"
#include "platform/fs/Text.h"
#include "platform/process/ShellCodes.h"
#include "platform/ui/UiServices.h"
#include "restore/ArchiveSelection.h"
#include "restore/Folders.h"
#include "restore/RestoreForms.h"
#include "session/StatusView.h"
#include "session/WinAce.h"
#include "store/Launcher.h"
#include "store/ProjectRecord.h"
#include "store/SystemLookups.h"

namespace qm::restore {

namespace {

using F = qm::store::ProjectField;
namespace mb = qm::ui::mb;

// A path whose attributes can be read and carry the folder bit.
bool existingFolder(const std::string& path)
{
    try {
        return (qm::fs::getAttributes(path) & qm::fs::attr::Directory) != 0;
    } catch (const std::exception&) {
        return false;
    }
}

std::string lastFourLower(const std::string& name)
{
    return qm::fs::foldCase(name.size() > 4 ? name.substr(name.size() - 4) : name);
}

// A self-extracting archive that did not start, as a run-time error.
qm::RtError notStarted(const std::string& archive, int shellCode)
{
    namespace sc = qm::process::shellcode;
    const int number = shellCode == sc::FileNotFound   ? qm::rterr::FileNotFound
                       : shellCode == sc::PathNotFound ? qm::rterr::PathNotFound
                                                       : qm::rterr::PathFileAccess;
    return qm::RtError(number, "The self-extracting archive " + archive + " could not be started (shell code " +
                                   std::to_string(shellCode) + ").");
}

} // namespace

RestoreLoad restoreLoad(const qm::store::ProjectRecord& rec)
{
    RestoreLoad load;
    const std::string& source = rec[F::ProjectFolder];
    if (existingFolder(source)) {
        load.txtTargetFolder = source;
    } else if (!source.empty()) {
        const std::string drive = source.substr(0, 2);
        load.txtTargetFolder = existingFolder(drive)
                                   ? "(Target Folder " + source + " does not exist. Please select another folder.)"
                                   : "(Target Drive " + drive + " does not exist. Please select a valid drive.)";
    }
    const std::string& from = rec[F::ZIPDefaultRestoreFromFolder];
    load.Label5 = "If in list, please select:";
    if (existingFolder(from)) {
        load.Label4 = from;
        load.Label6 = rec[F::ZIPBackFile] + ", " + rec[F::ACEBackFile] + " or the .EXE version of archive file.";
        load.File1Path = from;
    } else {
        load.Label4 = from.empty() ? "(no back-up folder defined or located)"
                                   : "(Defined back-up folder not located: " + from + ")";
        load.Label6 = "'" + rec[F::ZIPBackFile] + "' or the .EXE version of archive file.";
        load.File1Path = "C:";
    }
    load.Label8 = load.Label4;
    load.SkipOption = rec[F::ZIPSkipIfExisting] == "yes" ? 1 : rec[F::ZIPSkipIfNotExisting] == "yes" ? 2 : 0;
    if (rec[F::ZIPSkipIfOlderDate] == "yes")
        load.DateOption = 0;
    else if (rec[F::ZIPSkipIfOlderVersion] == "yes")
        load.DateOption = 1;
    return load;
}

bool isAceArchive(const std::string& fileName) { return lastFourLower(fileName) == ".ace"; }

RestoreRun::RestoreRun(qm::app::ProgramState& state, qm::app::MainWindowView& mainWindow, qm::app::Windows& windows,
                       qm::app::BusySwitch& busy, qm::session::StatusView& progress)
    : state_(state), mainWindow_(mainWindow), windows_(windows), busy_(busy), progress_(progress)
{
    PavikZip1.addEventSink(this);
    PavikZip1.setYieldHook([this] { state_.ui().doEvents(); });
}

RestoreRun::~RestoreRun() { PavikZip1.removeEventSink(this); }

RestoreLoad RestoreRun::Form_Load() const { return restoreLoad(state_.store.ProjectRecord(1)); }

std::optional<std::string> RestoreRun::Command1_Click()
{
    const qm::pickers::FolderAnswer answer = windows_.pickers.chooseTargetDir(qm::pickers::RestoreTargetRequest());
    return qm::pickers::RestoreTarget(state_, answer);
}

bool RestoreRun::CancelBut_Click()
{
    if (running_) {
        PavikZip1.AbortRequested = true;
        return false;
    }
    unload();
    return true;
}

void RestoreRun::unload()
{
    if (view_)
        view_->unload();
    mainWindow_.showMainWindow();
}

void RestoreRun::RestoreArchive(const RestoreChoice& choice)
{
    if (running_)
        return;
    qm::ui::UiServices& ui = state_.ui();
    std::string archive;
    try {
        const bool network = choice.Label8.starts_with("\\\\");
        const std::string key = network ? choice.networkKey : choice.File1FileName;
        if (key.empty() || (network && (qm::pickers::KeyAttributes(key) & qm::fs::attr::Directory))) {
            qm::app::showError(ui, "Please select a file to restore\r\nfrom " + choice.Label8);
            return;
        }
        archive = network ? key
                          : choice.File1Path + (choice.File1Path.ends_with('\\') ? "" : "\\") + choice.File1FileName;
    } catch (const std::exception& e) {
        qm::app::showError(ui, std::string("Error: \r\n") + e.what() + "\r\n\r\nOr not a valid filename.");
        return;
    }
    if (choice.txtTargetFolder.find("does not exist") != std::string::npos) {
        qm::app::showError(ui, "The target folder entry is undefined or empty.\r\nPlease select another folder.");
        return;
    }
    if (!existingFolder(choice.txtTargetFolder)) {
        qm::app::showError(ui, "The target folder is not in proper format,\r\nor does not exist.\r\n"
                               "Please select another folder.");
        return;
    }
    const std::string& target = choice.txtTargetFolder;

    const std::string kind = lastFourLower(archive);
    if (kind != ".qmt" && kind != ".zip" && kind != ".ace" && kind != ".exe") {
        qm::app::showError(ui, "Not a valid filename to restore.");
        return;
    }
    // As for the other checks before a run, the dialog stays open.
    if (kind == ".ace" && !qm::session::WinAceFound(ui, state_.Form1))
        return;
    running_ = true;
    stopAsked_ = false;
    std::optional<int> result;
    std::optional<std::string> failure;
    qm::app::BusySwitch::Operation restoring = busy_.begin([this] {
        stopAsked_ = true;
        PavikZip1.AbortRequested = true;
    });
    try {
        if (kind == ".exe") {
            const int code = qm::store::startProgram(state_.launcher(), archive, {});
            if (!qm::process::shellcode::succeeded(code))
                throw notStarted(archive, code);
            running_ = false;
            return;
        }
        if (kind == ".ace")
            failure = aceRoad(archive, target, choice);
        else
            result = zipRoad(archive, target, choice);
    } catch (const std::exception& e) {
        failure = qm::app::errorLines(e);
    }
    running_ = false;
    restoring.end();
    endOfRun(result, failure);
}

int RestoreRun::zipRoad(const std::string& archive, const std::string& target, const RestoreChoice& choice)
{
    if (view_) {
        view_->setCaption("Restoring");
        view_->showProgressWatch();
    }
    qm::store::BusyPointer(state_.ui());
    qm::zip::PavikZip& z = PavikZip1;
    z.ArchivePath = archive;
    z.ExtractFolder = target;
    z.IncludeSubfolders = true;
    z.SkipWhenExisting = choice.SkipOption == 1;
    z.SkipWhenMissing = choice.SkipOption == 2;
    z.SkipWhenOlderDate = choice.DateOption == 0;
    z.SkipWhenOlderVersion = choice.DateOption == 1;
    if (std::optional<std::string> password = projectPassword(state_.store.ProjectRecord(1), false))
        z.Password = *password;
    return z.Extract();
}

// WinAce extracts into the current folder: the target for relative paths,
// its drive for paths stored without a drive ("-fp"), and wherever the
// paths say for paths stored with their drive ("-fpd").
std::optional<std::string> RestoreRun::aceRoad(const std::string& archive, const std::string& target,
                                               const RestoreChoice& choice)
{
    const qm::store::ProjectRecord& rec = state_.store.ProjectRecord(1);
    qm::store::AceCommand command(choice.SkipOption == 0 ? " x -y -yo " : " x ");
    const std::string_view paths = qm::fs::trimBlanks(rec[F::ACEStorePathOption]);
    if (paths.empty())
        useFolder(target);
    else if (paths == "-fp")
        qm::fs::ChDrive(target);
    std::string list;
    const qm::store::ProgramRun run = OpAce(command, archive, rec[F::ACEDefaultRestoreFromFolder], list);
    if (!run.started)
        return qm::session::launchFailedText(state_.Form1.WinAceLocation, run.shellCode);
    if (run.exitCode != 0)
        return "WinAce ended with exit code " + std::to_string(run.exitCode.value_or(-1)) +
               ": the archive was not restored completely.\r\nThe action log tells which files are missing.";
    return std::nullopt;
}

qm::store::ProgramRun RestoreRun::OpAce(qm::store::AceCommand& strCommand, const std::string& archive,
                                        const std::string& /*folder*/, std::string& strList)
{
    const std::string program = qm::session::LocateWinAce(state_.Form1);
    strCommand.collapse();
    if (!strList.empty())
        strList.insert(0, " ");
    const std::string letter = qm::store::AceCommandLetter(strCommand.text());
    const std::string parameters =
        qm::store::AceParameterText(strCommand.text(), archive, strList, qm::store::AceLetters::Restore);
    const qm::store::ProgramRun run = DoWait(program, parameters, AppDone);
    if (run.started && letter != "l" && !stopAsked_)
        windows_.restore.showActionLog(state_.Form1.WinAceLocation);
    return run;
}

qm::store::ProgramRun RestoreRun::DoWait(const std::string& program, const std::string& parameters, bool& done)
{
    return qm::store::DoWait(state_.ui(), "", program, parameters, done);
}

void RestoreRun::endOfRun(std::optional<int> result, const std::optional<std::string>& failure)
{
    qm::ui::UiServices& ui = state_.ui();
    qm::store::NormalPointer(ui);
    progress_.unload();
    const int code = result.value_or(0);
    if (failure) {
        qm::app::showError(ui, *failure);
    } else if (code == qm::zip::result::Ok) {
        ui.msgBox("Restore operation successful.", mb::OKOnly, "Success!");
    } else if (code == qm::zip::result::UserAbort) {
        ui.msgBox("Restore process aborted by user", mb::OKOnly | mb::Exclamation, "Compression Halted");
    } else if (code == qm::zip::result::Halted) {
        ui.msgBox("Processing Halted. Project not restored due to error or user abort", mb::OKOnly | mb::Exclamation,
                  "Abort!");
    } else {
        ui.msgBox(PavikZip1.ErrorText(qm::zip::textkind::Result, code), mb::OKOnly, qm::ui::DefaultTitle);
        qm::store::NormalPointer(ui);
    }
    unload();
}

// ---- The control's events

void RestoreRun::PavikZip1_TotalProgress(int percent)
{
    if (view_)
        view_->setProgress(percent);
}

void RestoreRun::PavikZip1_DiskRequest(int disk, bool& ready) { ready = qm::app::askForDisk(state_.ui(), disk); }

void RestoreRun::PavikZip1_FileSkipped(const std::string& name, int reason)
{
    const std::string text = name + ": \r\n" + PavikZip1.ErrorText(qm::zip::textkind::Skip, reason);
    progress_.setSkipped(text);
    if (view_)
        view_->setSkipped(text);
}

void RestoreRun::TotalProgress(int percent) { PavikZip1_TotalProgress(percent); }
void RestoreRun::DiskRequest(int disk, bool& ready) { PavikZip1_DiskRequest(disk, ready); }
void RestoreRun::FileSkipped(const std::string& name, const std::string&, const std::string&, int reason)
{
    PavikZip1_FileSkipped(name, reason);
}

} // namespace qm::restore
