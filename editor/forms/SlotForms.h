#pragma once
// The self-extractor's two list editors, shown modally over the record
// editor: frmExtensions (file associations, three boxes a slot) and
// frmProgramGroup (program group items, two boxes a slot). Both are one
// window over the slot editor's logic (SlotEditor): eight rows of boxes
// Text1, "Remove item #" with Combo1 and cmdGo, Save and Cancel. The window
// holds widgets only; the logic decides, and the window shows it after
// every call. Cancel and the close box store nothing.
#include "editor/SlotEditor.h"

#include <QDialog>

#include <vector>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace qm::editor {

class SlotForm : public QDialog {
    Q_OBJECT
public:
    SlotEditor& logic() { return logic_; }

    std::vector<QLineEdit*> Text1; // slot k's boxes from parts() * (k - 1)
    QGroupBox* Frame1 = nullptr;   // "Remove item #"
    QComboBox* Combo1 = nullptr;
    QPushButton* cmdGo = nullptr;
    QPushButton* cmdSave = nullptr;
    QPushButton* cmdCancel = nullptr;
    QLabel* Label15 = nullptr;     // frmProgramGroup only: the record's name

protected:
    SlotForm(SlotEditor& logic, const char* name, QWidget* parent);
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void refresh();

    SlotEditor& logic_;
};

class frmExtensions : public SlotForm {
    Q_OBJECT
public:
    explicit frmExtensions(SlotEditor& logic, QWidget* parent = nullptr);
};

class frmProgramGroup : public SlotForm {
    Q_OBJECT
public:
    explicit frmProgramGroup(SlotEditor& logic, QWidget* parent = nullptr);
};

} // namespace qm::editor
