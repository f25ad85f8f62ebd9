#pragma once
// The logic of the record editor window frmData: what it does when it loads,
// becomes active, unloads and when its start-up timer fires, its Save,
// Cancel and Help buttons, and the card grid's notifications. It edits
// element 1 of the shared ProjectRecord, read from the file that
// CurrentProjectIni names, and keeps no copy of it.
//
// While the editor is up the main window is hidden; every way out shows it
// again.
#include "editor/EditorForms.h"

#include <functional>
#include <memory>
#include <string>

namespace qm::app {
class ProgramState;
class MainWindowView;
} // namespace qm::app

namespace qm::editor {

class EditorView;

// The number of group buttons Option1 (0 to 42) and the "Required" group of
// the QMT/EXE tab, which shows UseTempFolder.
inline constexpr int GroupCount = 43;
inline constexpr int RequiredGroup = 25;

class RecordEditor {
public:
    RecordEditor(qm::app::ProgramState& state, qm::app::MainWindowView& mainWindow, EditorView& view,
                 const EditorOpening& opening);
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
    // Switches group button `index` (0 to 42) on and shows its columns; until
    // the group buttons are there nothing is switched.
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

    // ---- Buttons
    // Commits the card and writes the record to CurrentProjectIni. Success:
    // "Project data saved successfully.", the editor closes and the main
    // window comes back with its list read afresh. A failure is reported and
    // the editor stays open with its edits.
    void cmdSave_Click();
    // Discards the edit: this project's file-list working copies are
    // deleted, in AddMode also the project file just created (never the
    // defaults file); the editor closes, File1 is read afresh and
    // CurrentProjectIni emptied. Errors are passed over.
    void cmdClose_Click();
    // The help viewer at the grid's help context.
    void cmdHelp_Click();

    // ---- GridEX1's notifications
    // The current column sets the help context (a column without one leaves it).
    void GridEX1_SelectionChange(int column);
    // A cell's edit has ended: the card is re-read and repainted.
    void GridEX1_AfterColEdit(int column);
    // A cell's edit begins: true lets it begin. No cell has a dialog behind
    // its edit yet, so every edit may begin.
    bool GridEX1_BeforeColEdit(int column);
    // A cell's button: no cell button opens a dialog yet.
    void GridEX1_ColButtonClick(int column);

private:
    qm::app::ProgramState& state_;
    qm::app::MainWindowView& mainWindow_;
    EditorView& view_;
    // Shared with the start-up timer, which does nothing once the window is gone.
    std::shared_ptr<bool> loaded_;
};

} // namespace qm::editor
