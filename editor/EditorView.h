#pragma once
// The record editor window frmData as its logic (RecordEditor) sees it: the
// card grid GridEX1, the tab control and the window itself. The form
// implements it; tests pass a fake, so the logic runs without a display.
#include <span>
#include <string>

namespace qm::editor {

class EditorView {
public:
    virtual ~EditorView() = default;

    // ---- GridEX1
    virtual void setItemCount(int n) = 0;
    // Writes a cell still being edited back to the record.
    virtual void commitGridEdit() = 0;
    // Commits a cell still being edited, then the card reads the record
    // afresh. False when the cell's value was refused (it keeps its text).
    virtual bool reReadGrid() = 0;
    virtual void repaintGrid() = 0;
    virtual int helpContext() const = 0;
    virtual void setHelpContext(int context) = 0;
    virtual void focusGrid() = 0;
    // Column c of the card shown when visible[c - 1] is true, hidden otherwise.
    virtual void setColumnsVisible(std::span<const bool> visible) = 0;
    // The key Up: the current cell moves to the nearest shown column above.
    virtual void moveUp() = 0;

    // ---- Frame2, the exclude-types editor, with its box Text1 (line
    // breaks as CR LF)
    virtual void showFrame2(bool visible) = 0;
    virtual std::string excludeText() const = 0;
    virtual void setExcludeText(const std::string& text) = 0;
    // While the exclude-types editor is open: Frame1, cmdInsDefaults,
    // cmdHelp, cmdSave and cmdClose disabled and the grid locked; false
    // gives them back.
    virtual void lockForFrame2(bool locked) = 0;

    // ---- The group buttons Option1(0..42), on the two pages of the tab
    // control. Switching a button on switches the other buttons of its page
    // off; switching it off touches no other button. Neither raises a click.
    virtual bool groupButton(int index) const = 0;
    virtual void setGroupButton(int index, bool on) = 0;

    // ---- vsIndexTab1: 0 "QMT/EXE", 1 "ACE/EXE"
    virtual void selectTab(int index) = 0;

    // ---- The window: unloads it (its unload handler follows)
    virtual void closeWindow() = 0;
};

} // namespace qm::editor
