#include "mainwindow/ArchiveCopy.h"

#include "app/ErrorBox.h"
#include "app/MainWindowView.h"
#include "app/ProgramState.h"
#include "app/Windows.h"
#include "pickers/PickerForms.h"
#include "pickers/PickerWriters.h"
#include "platform/fs/Drives.h"
#include "platform/fs/FileOps.h"
#include "platform/fs/Paths.h"
#include "platform/fs/Text.h"
#include "platform/fs/WinPath.h"
#include "platform/ui/UiServices.h"
#include "platform/zip/PavikZip.h"
#include "platform/zip/ResultCodes.h"
#include "platform/zip/SetCopy.h"
#include "platform/zip/SetFiles.h"
#include "platform/zip/Volumes.h"
#include "restore/ArchiveSelection.h"
#include "store/SystemLookups.h"

namespace qm::app {

namespace {

using F = qm::store::ProjectField;
using namespace qm::ui;

// Whether the archive is there as a plain file (not hidden, not a system
// file); a drive that is not ready counts as not there.
bool archiveFound(const std::string& path)
{
    try {
        return !qm::fs::dirNames(path, qm::fs::attr::Normal).empty();
    } catch (const std::exception&) {
        return false;
    }
}

// The box of a project whose record names no file of the kind asked for:
// there is nothing to look for, so no folder is asked for either.
std::string noArchiveText(const std::string& project, F fileField)
{
    const bool program = fileField == F::SFXBackFile;
    const std::string kind = program ? "self-extracting" : "QMT";
    const std::string file = program ? "EXE" : "QMT";
    return "The project " + project + " has no " + kind + " archive: \r\n\r\nits record names no " + file +
           " file.\r\n\r\nPlease enter the " + file + " Filename and make a " + kind + " back-up first.";
}

// What Send copies: the files, first to last, or why nothing is copied.
struct ToSend {
    std::vector<std::string> files;
    std::string refusal;
    uint32_t firstPart = 0; // of a set of parts: 1 for a split set, 2 for a program's
    std::optional<qm::zip::SetFiles> set = std::nullopt; // the set of parts, copied as one change
};

// The files of the set the archive at `path` names, as its records count
// them, the file that names the set last (for a split set its last part):
// one file alone when it has no parts; nothing, and why, when its set is
// not whole, or spans disks, of which only the one in the drive is there.
ToSend setToSend(const std::string& path)
{
    std::filesystem::path native;
    try {
        native = qm::fs::toNative(path);
    } catch (const std::exception&) {
        return {{path}, {}};
    }
    const qm::zip::SetFiles set = qm::zip::setFilesOf(native);
    const bool removable = qm::fs::driveType(qm::fs::driveRoot(path)) == qm::fs::drivetype::Removable;
    if (set.layout() == qm::zip::sets::Layout::Spanned ||
        (removable && set.layout() == qm::zip::sets::Layout::Program))
        return {{}, "The archive " + path + " is spanned over several disks, and only the disk in the drive "
                    "is there: it cannot be sent, and nothing was copied.\r\n\r\nRestore it from its disks, "
                    "or make a single-file or split back-up to send."};
    if (!set.beside())
        return {{path}, {}};
    if (!set.whole()) {
        const int code = set.members.fault == qm::zip::sets::Members::Fault::Missing ? qm::zip::result::PartMissing
                                                                                      : qm::zip::result::ArchiveDamaged;
        return {{}, "The archive " + path + " cannot be sent, and nothing was copied: " +
                        qm::zip::resultTextNaming(code, qm::fs::fromNative(set.faulty))};
    }
    ToSend out;
    out.firstPart = set.layout() == qm::zip::sets::Layout::Split ? 1 : 2;
    for (const std::filesystem::path& p : set.paths)
        if (p != native)
            out.files.push_back(qm::fs::fromNative(p));
    out.files.push_back(path);
    out.set = set;
    return out;
}

// The files of the archive at `path` to send (setToSend), settled first;
// where nothing stands there, for the QMT archive, the set a split or
// spanned backup writes under the name with ".zip" appended. Nothing when
// neither is there.
ToSend filesToSend(const std::string& path, F fileField)
{
    qm::restore::settleArchive(path);
    if (archiveFound(path))
        return setToSend(path);
    if (fileField != F::ZIPBackFile)
        return {};
    const std::string set = qm::restore::qmtSetName(path);
    qm::restore::settleArchive(set);
    if (!archiveFound(set))
        return {};
    return setToSend(set);
}

std::string fileNameOf(const std::string& path) { return path.substr(path.rfind('\\') + 1); }

using Left = qm::zip::SetCopyFailure::Left;

// What a copy that failed says of the folder it went to: it holds what it
// held, as a copy goes whole or not at all, unless another writer's copy of
// the archive stands there; when its disk was full, how much room the files
// need there and how much it has.
std::string leftText(const std::string& folder, const std::vector<std::string>& files, Left left, bool full)
{
    if (left == Left::OtherCopy)
        return folder + " is left to that copy: no part of this set was put in place.";
    if (left == Left::Changed)
        return folder + " holds what the other program left there.";
    std::string text = files.size() > 1 ? folder + " keeps what it held: no part of the set was put in place."
                                        : folder + " keeps what it held.";
    if (!full)
        return text;
    try {
        uint64_t needed = 0;
        for (const std::string& file : files)
            needed += qm::fs::fileSize(file);
        text += "\r\n\r\nThe copy needs " + std::to_string(needed) + " bytes of free room there; " +
                std::to_string(qm::fs::diskSpace(folder).available) + " bytes are free.";
    } catch (const qm::RtError&) {
        // The sizes cannot be had: the box says what it knows.
    }
    return text;
}

} // namespace

void SendArchive(ProgramState& state, MainWindowView& view, Windows& windows, F fileField)
{
    UiServices& ui = state.ui();
    Form1Variables& f = state.Form1;
    const std::vector<ListRow> rows = view.selectedRows();
    if (rows.size() > 1) {
        showError(ui, "Cannot select more than one project at a time for back-up.");
        return;
    }
    if (rows.empty()) {
        showError(ui, "No project selected");
        return;
    }
    state.store.CurrentProjectIni = qm::fs::appPath() + "\\Projects\\" + rows[0].text;
    state.store.LoadProject();
    const qm::store::ProjectRecord& rec = state.store.ProjectRecord(1);
    const std::string& fileName = rec[fileField];
    const std::string archive = rec[F::ZIPDefaultRestoreFromFolder] + "\\" + fileName;

    if (qm::fs::trimBlanks(fileName).empty()) {
        showError(ui, noArchiveText(rows[0].text, fileField));
        return;
    }
    const ToSend sending = filesToSend(archive, fileField);
    const std::vector<std::string>& files = sending.files;
    if (!sending.refusal.empty()) {
        showError(ui, sending.refusal);
        return;
    }
    if (files.empty()) {
        showError(ui, "QMT file not found: \r\n\r\n" + archive + "\r\n\r\nPlease insert the correct disk and try again.");
        return;
    }
    // TargetCopy is "_" while the picker is open and stays so when nothing is chosen.
    const qm::pickers::FolderRequest request = qm::pickers::CopyTargetRequest(state);
    qm::pickers::Form1Folder(state, windows.pickers.chooseTargetDir(request));
    const std::optional<std::string> target = qm::pickers::CopyTarget(f);
    if (!target)
        return;
    // A set's parts never go over a part of another archive's set there.
    if (sending.firstPart > 0)
        if (const std::optional<qm::zip::OtherSetsFile> clash =
                qm::zip::otherSetsPart(*target + "\\" + fileNameOf(files.back()), sending.firstPart)) {
            f.TargetCopy.clear();
            showError(ui, qm::zip::resultTextNaming(qm::zip::result::PartOfAnotherSet, qm::fs::fromNative(clash->file),
                                                    qm::fs::fromNative(clash->owner)));
            return;
        }

    qm::store::BusyPointer(ui);
    std::optional<qm::RtError> failure;
    std::string copying = files.back();
    Left left = Left::Held;
    try {
        if (sending.set)
            qm::zip::copySet(*sending.set, *target);
        else
            qm::fs::copyFile(files.back(), *target + "\\" + fileNameOf(files.back()));
    } catch (const qm::zip::SetCopyFailure& e) {
        copying = e.file;
        left = e.left;
        failure = e;
    } catch (const qm::RtError& e) {
        failure = e;
    } catch (const std::exception& e) {
        failure = qm::RtError(qm::rterr::PathFileAccess, e.what());
    }
    qm::store::NormalPointer(ui);
    f.TargetCopy.clear();
    if (!failure)
        ui.msgBox("File copied successfully.", mb::OKOnly | mb::Information, "Copy Done");
    else
        ui.msgBox("The file could not be copied: " + copying + "\r\n" + failure->description + "\r\n\r\n" +
                      leftText(*target, files, left, failure->number == qm::rterr::DiskFull),
                  mb::OKOnly | mb::Critical);
}

} // namespace qm::app
