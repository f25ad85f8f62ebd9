// The record editor's cells that are edited through a dialog: what the
// grid's before-edit and cell-button notifications open, what the opener
// hands the dialog and what it takes back, and the exclude-types editor
// Frame2 inside the window.
#include "editor/RecordEditor.h"

#include "app/ErrorBox.h"
#include "app/ProgramState.h"
#include "app/ValueLimit.h"
#include "editor/CloneComment.h"
#include "editor/EditorView.h"
#include "editor/FileListEditor.h"
#include "pickers/PickerForms.h"
#include "pickers/PickerWriters.h"
#include "store/FileLists.h"

#include <array>

namespace qm::editor {

using qm::app::refuseOverlong;

namespace {

using F = qm::store::ProjectField;

// The files-to-process columns, with their list kinds (FileListKinds' order).
constexpr std::array<int, 4> FilesColumns{9, 56, 137, 158};

// The comment group of each comment cell.
struct CommentCell {
    int column;
    int group;
};
constexpr std::array<CommentCell, 4> CommentCells{{{6, 4}, {53, 12}, {135, 29}, {156, 36}}};

std::string replaced(std::string text, std::string_view from, std::string_view to)
{
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

// The field the exclude-types editor edits for a column; nothing for others.
std::optional<F> excludeField(int column)
{
    if (column == 5)
        return F::ZIPBackupExcludeTypes;
    if (column == 52)
        return F::SFXExcludeFileTypes;
    return std::nullopt;
}

} // namespace

bool RecordEditor::GridEX1_BeforeColEdit(int column)
{
    qm::store::Store& store = state_.store;
    bool begins = true;
    if (excludeField(column)) {
        openExcludeEditor(column, true);
        begins = false;
    } else if (column == 121) {
        openSlotEditor(SlotKind::Extensions);
        begins = false;
    } else if (column == 125) {
        if (store.ProjectRecord(1)[F::SFXAddGroupItemApp].empty()) {
            qm::app::showError(state_.ui(), "First you must enter text in the 'EXE Add Program Group' field");
            view_.moveUp();
            return false;
        }
        openSlotEditor(SlotKind::ProgramGroup);
        begins = false;
    }
    store.CurrentGridColumn = column;
    for (int files : FilesColumns)
        if (files == column) {
            openFileList(column);
            begins = false;
        }
    return begins;
}

void RecordEditor::GridEX1_ColButtonClick(int column)
{
    switch (column) {
    case 2:
    case 4:
    case 51:
    case 134:
    case 155:
        chooseFolder(column);
        return;
    case 5:
        view_.commitGridEdit();
        state_.store.CurrentGridColumn = 5;
        openExcludeEditor(5, false);
        return;
    case 91:
        chooseIcon();
        return;
    case 121:
        openSlotEditor(SlotKind::Extensions);
        return;
    case 125:
        openSlotEditor(SlotKind::ProgramGroup);
        return;
    default:
        break;
    }
    for (const CommentCell& cell : CommentCells)
        if (cell.column == column)
            GetComments(cell.group);
}

void RecordEditor::chooseFolder(int column)
{
    // A cell still being edited is written first, so the value the dialog
    // puts in is not overwritten by it.
    view_.commitGridEdit();
    const qm::pickers::FolderAnswer answer = pickers_.chooseTargetDir(
        qm::pickers::EditorFolderRequest(column == 2 ? "Choose Source Drive and/or Source Folder" : ""));
    if (answer.ending == qm::pickers::Ending::Okay && refuseOverlong(state_.ui(), "The folder's path", answer.path))
        return;
    if (qm::pickers::EditorFolder(state_, column, answer))
        view_.reReadGrid();
}

void RecordEditor::chooseIcon()
{
    view_.commitGridEdit();
    const std::optional<std::string> icon =
        dialogs_.chooseOpenFile({.title = "Choose an icon file", .defaultExtension = ".ico", .fileName = "*.ico",
                                 .filter = "*.ico"});
    if (!icon || refuseOverlong(state_.ui(), "The icon file's path", *icon))
        return;
    state_.store.ProjectRecord(1)[F::SFXProjectIcon] = *icon;
    view_.reReadGrid();
    view_.repaintGrid();
}

void RecordEditor::GetComments(int index)
{
    const std::optional<int> source = commentSourceOf(index);
    if (!source)
        return;
    view_.commitGridEdit();
    CloneComment dialog(state_, view_);
    dialog.Option1_Click(*source);
    dialog.Check[static_cast<std::size_t>(*source)] = false;
    dialogs_.showCloneComment(dialog);
}

void RecordEditor::openSlotEditor(SlotKind kind)
{
    view_.commitGridEdit();
    SlotEditor dialog(state_, view_, kind);
    dialog.ParentForm = "frmData";
    dialogs_.showSlots(dialog);
}

void RecordEditor::openFileList(int column)
{
    qm::store::Store& store = state_.store;
    std::size_t k = 0;
    while (FilesColumns[k] != column)
        ++k;
    const F field = qm::store::FilesToProcessFields[k];
    store.CurrentFilesToProcess = store.ProjectRecord(1)[field];
    FileListEditor dialog(state_, pickers_, dialogs_.frmAddFiles, {NewZip, NewZIPEXE, NewACE, NewACEEXE});
    if (store.CurrentFilesToProcess == "(all files)" || store.CurrentFilesToProcess == "*") {
        dialog.setCheck1(true);
        dialog.List1Enabled = false;
    }
    dialog.lblProjectName = store.ProjectRecord(1)[F::ProjectName];
    dialog.members.ParentForm = "frmData";
    dialog.members.GridCol = column;
    dialog.members.strArchiveType = qm::store::FileListKinds[k];
    dialogs_.showAddFiles(dialog);
    if (!store.CurrentFilesToProcess.empty()) {
        store.ProjectRecord(1)[field] = store.CurrentFilesToProcess;
        view_.reReadGrid();
        view_.repaintGrid();
    }
    store.CurrentFilesToProcess.clear();
}

// ---- Frame2

void RecordEditor::openExcludeEditor(int column, bool locked)
{
    const std::string& stored = state_.store.ProjectRecord(1)[*excludeField(column)];
    view_.showFrame2(true);
    if (locked)
        view_.lockForFrame2(true);
    // The full opening shows an entry a line; the simple one the text as stored.
    view_.setExcludeText(locked ? replaced(stored, "|", "\r\n") : stored);
}

void RecordEditor::cmdExcludeOkay_Click()
{
    const std::string stored = replaced(view_.excludeText(), "\r\n", "|");
    const std::optional<F> field = excludeField(state_.store.CurrentGridColumn);
    // A list the project file would cut keeps the frame open for shortening.
    if (field && refuseOverlong(state_.ui(), "The list of excluded file types", stored))
        return;
    view_.lockForFrame2(false);
    if (field)
        state_.store.ProjectRecord(1)[*field] = stored;
    view_.reReadGrid();
    view_.showFrame2(false);
}

void RecordEditor::Form_Click()
{
    view_.showFrame2(false);
    view_.lockForFrame2(false);
}

} // namespace qm::editor
