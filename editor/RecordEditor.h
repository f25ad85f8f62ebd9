#pragma once
// The logic of the record editor window frmData: what it does when it loads,
// becomes active, unloads and when its start-up timer fires, its Save,
// Cancel and Help buttons, and the card grid's notifications. It edits
// element 1 of the shared ProjectRecord, read from the file that
// CurrentProjectIni names; it keeps the record as loaded only to tell the
// back-up stamps it left alone, which Save takes from the file as it is then.
//
// While the editor is up the main window is hidden; every way out shows it
// again.
#include "editor/EditorForms.h"
#include "editor/EditorGroups.h"
#include "editor/SlotEditor.h"
#include "store/ProjectRecord.h"

#include <functional>
#include <memory>
#include <string>

namespace qm::app {
class ProgramState;
class MainWindowView;
} // namespace qm::app
namespace qm::pickers {
class PickerForms;
}

namespace qm::editor {

class EditorView;

class RecordEditor {
public:
    // `pickers` opens the target folder dialog for the folder cells and
    // the file picker for the file lists, `dialogs` the editor's own.
    RecordEditor(qm::app::ProgramState& state, qm::app::MainWindowView& mainWindow, EditorView& view,
                 qm::pickers::PickerForms& pickers, EditorDialogs& dialogs, const EditorOpening& opening);
    ~RecordEditor();
    RecordEditor(const RecordEditor&) = delete;
    RecordEditor& operator=(const RecordEditor&) = delete;

    // ---- Public variables of frmData
    bool AddMode = false;
    std::string ParentForm;
    // A file list's working copy ("-hold") written while the window is open.
    bool NewZip = false;
    bool NewZIPEXE = false;
    bool NewACE = false;
    bool NewACEEXE = false;

    // ---- Hooks
    // A group chosen by code (the start-up timer): group button `index`
    // (0 to 42) is switched on and the click handler runs, as for a click.
    std::function<void(int index)> selectGroup;
    // Opens the help viewer at help context `context`.
    std::function<void(int context)> showHelp;

    // ---- Window events
    // Busy pointer, working-copy flags off, the record loaded into an empty
    // grid, the starting tab ("ACE/EXE" when the default compression is
    // "ACE"), and Timer1 started: it fires once, 1000 ms later.
    void Form_Load();
    // Normal pointer; the main window is hidden.
    void Form_Activate();
    // The user's preferred group (UserView, a whole number 0 to 42; anything
    // else is ignored); for an existing record without UseTempFolder the
    // "Required" group and the "Old Version" message.
    void Timer1_Timer();
    // However the window closes: AddMode off, the main window shown again.
    void Form_Unload();

    // ---- The group buttons Option1
    // A click on group button `index`: a button of one page switches every
    // button of the other page off; then GetColumns.
    void Option1_Click(int index);
    // A mouse button pressed over group button `index` (1 left, 2 right):
    // the right one calls GetComments.
    void Option1_MouseDown(int index, int button);
    // Under the busy pointer, the card shows exactly the columns of the group
    // whose button is on (the first in GroupSearchOrder); with none on,
    // nothing changes.
    void GetColumns();
    // The comment editor of a "Comments" group (4, 12, 29, 36), opened on
    // that group's kind; every other index does nothing.
    void GetComments(int index);

    // ---- Buttons
    // Commits the card, checks the record (required values for a project,
    // the archive name's extension, the form of its folders, no value longer
    // than the file gives back), writes it to CurrentProjectIni and commits
    // its file lists. A refused record, or a cell whose value is refused,
    // shows its one message and the editor stays open. A failed write shows
    // "Error saving the data: " and its reason, touches no list and keeps the
    // editor open with its edits.
    // Otherwise the outcome is reported, the editor closes and the main
    // window comes back with its list read afresh.
    void cmdSave_Click();
    // Discards the edit: this project's file-list working copies are
    // deleted, in AddMode also the project file just created (never the
    // defaults file); the editor closes, File1 is read afresh and
    // CurrentProjectIni emptied. Errors are passed over.
    void cmdClose_Click();
    // The help viewer at the grid's help context.
    void cmdHelp_Click();
    // After a Yes to "Warning!", every field but ProjectName, the unused
    // field 167 and AutoBackupFormat takes the defaults record's value (empty
    // where it has none) and the card shows them; nothing is written. A
    // defaults file that cannot be read changes nothing and is reported.
    void cmdInsDefaults_Click();

    // ---- GridEX1's notifications
    // The current column sets the help context (a column without one leaves it).
    void GridEX1_SelectionChange(int column);
    // A cell's typed value is about to go into the record: true lets it. One
    // that the file would give back cut is refused with its message.
    bool GridEX1_BeforeColUpdate(int column, const std::string& value);
    // A cell's edit has ended: the card is re-read and repainted.
    void GridEX1_AfterColEdit(int column);
    // A cell's edit begins: true lets it begin. The cells edited through a
    // dialog open it instead (the exclude types of 5 and 52 in Frame2 with
    // the rest of the window locked, the associations of 121, the group
    // items of 125 once 124 holds a group, the file lists of 9, 56, 137 and
    // 158), and the edit does not begin.
    bool GridEX1_BeforeColEdit(int column);
    // A cell's button: the folder cells (2, 4, 51, 134, 155) open the target
    // folder dialog; 5 Frame2 on the stored text; the comments (6, 53, 135,
    // 156) the comment editor; 91 the icon file dialog; 121 and 125 their
    // list editors.
    void GridEX1_ColButtonClick(int column);

    // ---- Frame2
    // Okay: Text1's lines joined by "|" into the field of CurrentGridColumn
    // (5: ZIPBackupExcludeTypes, 52: SFXExcludeFileTypes, else none); the
    // window given back, Frame2 hidden. A list longer than the project file
    // keeps whole is refused and the frame stays as it is.
    void cmdExcludeOkay_Click();
    // A click on the window's background: Frame2 hidden, its text dropped,
    // the window given back.
    void Form_Click();

private:
    void chooseFolder(int column);
    // Frame2 on the field of column 5 or 52: `locked` the full opening.
    void openExcludeEditor(int column, bool locked);
    void openSlotEditor(SlotKind kind);
    void openFileList(int column);
    void chooseIcon();

    qm::app::ProgramState& state_;
    qm::app::MainWindowView& mainWindow_;
    EditorView& view_;
    qm::pickers::PickerForms& pickers_;
    EditorDialogs& dialogs_;
    // Shared with the start-up timer, which does nothing once the window is gone.
    std::shared_ptr<bool> loaded_;
    qm::store::ProjectRecord asLoaded_;
};

} // namespace qm::editor
