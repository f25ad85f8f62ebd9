#pragma once
// The record editor window frmData, "Quillmate version 3.0": the card grid
// GridEX1 over element 1 of ProjectRecord, the frame "View" with the tab
// control of the two archive families, the buttons Save, Cancel, Help and
// Insert my Default Values, and the exclude-types frame Frame2 (hidden until
// used). Shown not modal; it loads the record when it is made, hides the
// main window while it is active and shows it again however it closes.
//
// The window holds widgets only; RecordEditor decides.
#include "editor/EditorForms.h"
#include "editor/EditorView.h"
#include "editor/RecordEditor.h"
#include "editor/RecordRows.h"

#include <QWidget>

#include <array>
#include <functional>

class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;

namespace qm::app {
class MainWindowView;
class ProgramState;
} // namespace qm::app
namespace qm::pickers {
class PickerForms;
}
namespace qm::ui {
class CardGrid;
}

namespace qm::editor {

class frmData : public QWidget, public EditorView {
    Q_OBJECT
public:
    // Loads the record CurrentProjectIni names; `pickers` opens the folder
    // and file pickers of the cells, `dialogs` the editor's own dialogs,
    // `showHelp` the help viewer at a help context.
    frmData(qm::app::ProgramState& state, qm::app::MainWindowView& mainWindow, qm::pickers::PickerForms& pickers,
            EditorDialogs& dialogs, const EditorOpening& opening, std::function<void(int context)> showHelp = {});
    ~frmData() override;

    RecordEditor& logic() { return logic_; }

    // ---- Controls, by their names
    qm::ui::CardGrid* GridEX1 = nullptr;
    QGroupBox* Frame1 = nullptr;
    QTabWidget* vsIndexTab1 = nullptr;
    // The group buttons, on the page of their group (EditorGroups.def).
    std::array<QRadioButton*, GroupCount> Option1{};
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label6 = nullptr;
    QPushButton* cmdSave = nullptr;
    QPushButton* cmdClose = nullptr;
    QPushButton* cmdHelp = nullptr;
    QPushButton* cmdInsDefaults = nullptr;
    QGroupBox* Frame2 = nullptr;
    QPlainTextEdit* Text1 = nullptr;
    QPushButton* cmdExcludeOkay = nullptr;

    // ---- EditorView
    void setItemCount(int n) override;
    void commitGridEdit() override;
    bool reReadGrid() override;
    void repaintGrid() override;
    int helpContext() const override;
    void setHelpContext(int context) override;
    void focusGrid() override;
    void setColumnsVisible(std::span<const bool> visible) override;
    void moveUp() override;
    void showFrame2(bool visible) override;
    std::string excludeText() const override;
    void setExcludeText(const std::string& text) override;
    void lockForFrame2(bool locked) override;
    bool groupButton(int index) const override;
    void setGroupButton(int index, bool on) override;
    void selectTab(int index) override;
    void closeWindow() override;

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    // A page of vsIndexTab1: its group buttons laid out by row and side under
    // its two headings, and the note at the bottom.
    QWidget* makePage(GroupPage page, QLabel* first, QLabel* second, QLabel* note);

    RecordRows rows_;
    RecordEditor logic_;
    bool unloaded_ = false;
};

} // namespace qm::editor
