#pragma once
// The main window as its procedures see it (mainwindow/Procedures,
// engine/Backup, restore/Restore, mainwindow/RecordOps): the project list's
// selected rows and cells, the list as a whole, the command surfaces and the
// window itself. Form1 implements it; tests pass a fake that records every
// call (tests/support/FakeMainWindowView.h), so a procedure runs and is
// tested without a window.
#include <string>
#include <vector>

namespace qm::app {

// A row of the project list ListView1 as the user sees it.
struct ListRow {
    int index = 0;     // 0-based position in the list as it is shown (sorted or not)
    std::string text;  // the row's text: the project name
};

class MainWindowView {
public:
    virtual ~MainWindowView() = default;

    // ---- The project list
    // The selected rows, in the order they are shown; empty when none is.
    virtual std::vector<ListRow> selectedRows() const = 0;
    // The position of the row whose text is `text` (exactly), as shown; -1
    // when the list has none.
    virtual int findRow(const std::string& text) const = 0;
    // Sets column `column` (0 the project name, 1 "Last Back-up" ... 5
    // "Target Folder") of the row at `index`; a row or column the list does
    // not have is ignored.
    virtual void setCell(int index, int column, const std::string& text) = 0;
    // Removes the row at `index`; the rows below move up. A row the list
    // does not have is ignored.
    virtual void removeRow(int index) = 0;
    // Adds a row at the end: its cells from column 0 (the project name) on.
    virtual void appendRow(const std::vector<std::string>& cells) = 0;
    // Sorts by the project name from now on; the direction stays as it was.
    virtual void sortByName() = 0;
    // Reads the project files that File1 lists into the list afresh, one row
    // each in File1's order (the list timer's work at start-up).
    virtual void rebuildList() = 0;
    virtual void repaintList() = 0;

    // ---- Command surfaces (button bar, menus, pop-up menu, the list's double click)
    // Off while an operation runs: every command but Help and Exit refuses,
    // painting goes on. On again: each surface as its command's availability
    // says. Operations do not call it themselves: they hold the busy switch
    // (app/BusySwitch.h), which calls it and makes Exit wait for them.
    virtual void enableCommands(bool enabled) = 0;

    // ---- The window
    virtual void hideMainWindow() = 0;
    // Shows the window again, not modal; once it has been closed (Exit or
    // its frame) it stays closed.
    virtual void showMainWindow() = 0;
    // Every other window of the program is closed, then this one; a window
    // that closes meanwhile does not bring this one back.
    virtual void unloadAllWindows() = 0;
    // Every other window of the program is closed (the record editor, the
    // contents window, the about box, ...); this one stays.
    virtual void unloadOtherWindows() = 0;
    // The program ends as soon as control returns to its event loop.
    virtual void endProgram() = 0;
};

} // namespace qm::app
