#pragma once
// The record editor window frmData as its logic (RecordEditor) sees it: the
// card grid GridEX1, the tab control and the window itself. The form
// implements it; tests pass a fake, so the logic runs without a display.
namespace qm::editor {

class EditorView {
public:
    virtual ~EditorView() = default;

    // ---- GridEX1
    virtual void setItemCount(int n) = 0;
    // Commits a cell still being edited, then the card reads the record afresh.
    virtual void reReadGrid() = 0;
    virtual void repaintGrid() = 0;
    virtual int helpContext() const = 0;
    virtual void setHelpContext(int context) = 0;
    virtual void focusGrid() = 0;

    // ---- vsIndexTab1: 0 "QMT/EXE", 1 "ACE/EXE"
    virtual void selectTab(int index) = 0;

    // ---- The window: unloads it (its unload handler follows)
    virtual void closeWindow() = 0;
};

} // namespace qm::editor
