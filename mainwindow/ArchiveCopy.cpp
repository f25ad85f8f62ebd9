#include "mainwindow/ArchiveCopy.h"

#include "app/ErrorBox.h"
#include "app/MainWindowView.h"
#include "app/ProgramState.h"
#include "app/Windows.h"
#include "pickers/PickerForms.h"
#include "pickers/PickerWriters.h"
#include "platform/fs/FileOps.h"
#include "platform/fs/Paths.h"
#include "platform/fs/Text.h"
#include "platform/ui/UiServices.h"
#include "platform/zip/PartNames.h"
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

// The files of the archive at `path` to send, the last part last: the
// archive settled and alone when it is there; else, for the QMT archive, the
// set a split or spanned backup writes under the name with ".zip" appended,
// with the parts that stand beside it (".z01", ".z02", ...). Nothing when
// neither is there.
std::vector<std::string> filesToSend(const std::string& path, F fileField)
{
    qm::restore::settleArchive(path);
    if (archiveFound(path))
        return {path};
    if (fileField != F::ZIPBackFile)
        return {};
    const std::string set = qm::restore::qmtSetName(path);
    qm::restore::settleArchive(set);
    if (!archiveFound(set))
        return {};
    std::vector<std::string> files;
    const std::string stem = set.substr(0, set.size() - 4);
    for (uint32_t index = 0;; ++index) {
        const std::string name = stem + qm::zip::partExtension(index, false);
        if (archiveFound(name))
            files.push_back(name);
        else if (archiveFound(stem + qm::zip::partExtension(index, true)))
            files.push_back(stem + qm::zip::partExtension(index, true));
        else
            break;
    }
    files.push_back(set);
    return files;
}

std::string fileNameOf(const std::string& path) { return path.substr(path.rfind('\\') + 1); }

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
    const std::vector<std::string> files = filesToSend(archive, fileField);
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

    qm::store::BusyPointer(ui);
    std::optional<std::string> failure;
    std::string copying;
    try {
        for (const std::string& file : files) {
            copying = file;
            qm::fs::copyFile(file, *target + "\\" + fileNameOf(file));
        }
    } catch (const qm::RtError& e) {
        failure = e.description;
    } catch (const std::exception& e) {
        failure = e.what();
    }
    qm::store::NormalPointer(ui);
    f.TargetCopy.clear();
    if (!failure)
        ui.msgBox("File copied successfully.", mb::OKOnly | mb::Information, "Copy Done");
    else
        ui.msgBox("The file could not be copied: " + copying + "\r\n" + *failure, mb::OKOnly | mb::Critical);
}

} // namespace qm::app
