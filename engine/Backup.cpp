// The backup's owner and the dispatcher of every manual backup.
#include "engine/Backup.h"

#include "app/BusySwitch.h"
#include "app/ErrorBox.h"
#include "app/MainWindowView.h"
#include "app/ProgramState.h"
#include "app/Windows.h"
#include "engine/CheckValues.h"
#include "engine/EngineForms.h"
#include "engine/RunParts.h"
#include "pickers/PickerForms.h"
#include "pickers/PickerWriters.h"
#include "platform/datetime/DateText.h"
#include "platform/fs/FileOps.h"
#include "platform/fs/Paths.h"
#include "platform/fs/WinPath.h"
#include "platform/ui/UiServices.h"
#include "session/ArchiveKinds.h"
#include "session/BackupType.h"
#include "session/StatusView.h"
#include "session/WinAce.h"
#include "store/ProjectRecord.h"
#include "store/SystemLookups.h"

namespace qm::engine {

namespace {

using F = qm::store::ProjectField;
using namespace qm::ui;
namespace kind = qm::session::kind;

// The operation kind CheckValues gets for the kind ZipTypeBut records.
std::string checkKind(const qm::app::OptionGroup& kinds)
{
    if (kinds.isAnyOf({kind::Exe, kind::ExeSpan}))
        return "exe";
    if (kinds.isAnyOf({kind::AceExe, kind::AceExeMulti, kind::AceExeSpan}))
        return "aceexe";
    if (kinds.isAnyOf({kind::Ace, kind::AceMulti, kind::AceSpan}))
        return "ace";
    return "zip";
}

} // namespace

bool readableFolder(const std::string& path)
{
    try {
        return (qm::fs::getAttributes(path) & qm::fs::attr::Directory) != 0;
    } catch (const std::exception&) {
        return false;
    }
}

void showDiskFull(qm::ui::UiServices& ui) { qm::app::showError(ui, DiskFullText); }

std::string runErrorText(const std::exception& e)
{
    return "Error: " + std::to_string(qm::app::errorNumber(e)) + ". " + e.what();
}

Backup::Backup(qm::app::ProgramState& state, qm::app::MainWindowView& view, qm::app::Windows& windows,
               qm::app::BusySwitch& busy, qm::session::ZipSession& session)
    : PavikZip1(session.PavikZip1), state_(state), view_(view), windows_(windows), busy_(busy), session_(session),
      log_(session.log())
{
}

void Backup::BackupArchive()
{
    UiServices& ui = state_.ui();
    qm::store::Store& store = state_.store;
    qm::app::Form1Variables& f = state_.Form1;

    qm::store::BusyPointer(ui);
    const std::vector<qm::app::ListRow> rows = view_.selectedRows();
    if (rows.size() > 1) {
        qm::app::showError(ui, "Cannot select more than one project at a time for back-up.");
        qm::store::NormalPointer(ui);
        return;
    }
    if (rows.empty()) {
        qm::store::NormalPointer(ui);
        qm::app::showError(ui, "No project selected");
        return;
    }
    store.CurrentProjectIni = qm::fs::appPath() + "\\Projects\\" + rows[0].text;
    store.LoadProject();
    qm::store::NormalPointer(ui);

    windows_.engine.showBackupType(qm::session::setupForBackup());
    // The delete flag holds for this run only: the procedure gets it, the
    // main window forgets it on every road from here.
    const bool deleteOld = f.Check1.value() == 1;
    f.Check1.setValue(0);
    if (f.ProjectType == "Cancel") {
        ui.msgBox("Archive operation cancelled.", mb::OKOnly | mb::Information, DefaultTitle);
        return;
    }

    try {
        const qm::store::ProjectRecord& rec = store.ProjectRecord(1);
        const std::string kind = checkKind(f.ZipTypeBut);
        if (kind == "zip" && !readableFolder(rec[F::ZIPDefaultRestoreFromFolder])) {
            qm::app::showError(ui, "Device or drive not ready!\r\n\r\nPlease insert disk containing:\r\n\r\n" +
                                       rec[F::ZIPDefaultRestoreFromFolder] + "\\" + rec[F::ZIPBackFile] +
                                       "\r\nor the disk where you wish to create a new archive.");
            return;
        }
        if (!readableFolder(rec[F::ProjectFolder])) {
            qm::app::showError(ui, "Could not locate source folder as defined\r\nin the Quillmate data file: \r\n\r\n" +
                                       rec[F::ProjectFolder]);
            store.CurrentProjectIni.clear();
            return;
        }
        bool failed = false;
        std::string msg;
        CheckValues(rec, failed, kind, msg);
        if (failed) {
            ui.msgBox(msg, mb::OKOnly | mb::Critical, DefaultTitle);
            return;
        }

        const qm::app::OptionGroup& k = f.ZipTypeBut;
        if (k.isAnyOf({kind::Zip, kind::ZipMulti, kind::ZipSpan})) {
            MakeZip(deleteOld);
        } else if (k.isAnyOf({kind::Exe, kind::ExeSpan})) {
            MakeEXE(deleteOld);
        } else if (k.isAnyOf({kind::Ace, kind::AceMulti, kind::AceSpan})) {
            if (qm::session::WinAceFound(ui, f))
                MakeAce(deleteOld);
        } else if (k.isAnyOf({kind::AceExe, kind::AceExeMulti, kind::AceExeSpan})) {
            if (qm::session::WinAceFound(ui, f))
                MakeAceEXE(deleteOld);
        }
    } catch (const std::exception& e) {
        qm::store::NormalPointer(ui);
        qm::app::showError(ui, runErrorText(e));
    }
}

bool Backup::recordPasses(const char* kind)
{
    bool failed = false;
    std::string msg;
    CheckValues(state_.store.ProjectRecord(1), failed, kind, msg);
    if (failed)
        qm::app::showError(state_.ui(), msg);
    return !failed;
}

void Backup::logRunStart(const std::string& targetFile)
{
    log_.open();
    log_.dashes(qm::store::AutobackLog::PassSeparator);
    log_.event(Now(), "Manual back-up started for " + state_.Form1.ShortName);
    log_.more("Target File: " + targetFile);
}

qm::session::StatusView& Backup::showProgress()
{
    qm::session::StatusView& status = windows_.engine.status();
    status.setCaption("Compressing " + state_.Form1.ShortName + " files");
    status.setBanner("Compressing");
    status.show();
    return status;
}

std::string Backup::chooseTargetFolder()
{
    // ChosenFolder is emptied first: closing the picker by its frame ends the
    // run, and no folder of an earlier run is taken.
    const qm::pickers::FolderRequest request = qm::pickers::BackupFolderRequest(state_);
    qm::pickers::Form1Folder(state_, windows_.pickers.chooseTargetDir(request));
    return state_.ChosenFolder;
}

void Backup::reportTargetFull()
{
    log_.event(Now(), DiskFullText);
    log_.close();
    showDiskFull(state_.ui());
}

void Backup::recordSuccess(F dateField, F folderField, const std::string& folder)
{
    qm::store::Store& store = state_.store;
    qm::store::ProjectRecord& rec = store.ProjectRecord(1);
    const std::string now = qm::datetime::formatDateTime(Now());
    const std::string oldDate = rec[dateField];
    const std::string oldFolder = rec[folderField];
    rec[dateField] = now;
    rec[folderField] = folder;
    try {
        store.SaveProject();
    } catch (const std::exception&) {
        // The archive is made, but the record could not be stamped: no success.
        rec[dateField] = oldDate;
        rec[folderField] = oldFolder;
        throw;
    }
    // The row of the project backed up, wherever the selection went meanwhile.
    const int row = view_.findRow(qm::fs::fileNamePart(store.CurrentProjectIni));
    if (row >= 0)
        view_.setCell(row, 1, now);
    view_.repaintList();
    log_.event(Now(), state_.Form1.ShortName + " successfully backed up.");
}

} // namespace qm::engine
