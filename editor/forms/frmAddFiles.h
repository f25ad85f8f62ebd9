#pragma once
// The file list editor frmAddFiles, "Files for Backing Up", shown modally
// over the record editor: the entries of one archive kind's file list, the
// scope of the files, the picker that adds files, and the lists of the
// other kinds to start from. The window holds widgets only; its logic
// (FileListEditor) decides, and the window shows it after every call.
// Its close box (and Esc) hands back whatever CurrentFilesToProcess holds.
#include "editor/FileListEditor.h"

#include <QDialog>

#include <array>

class QButtonGroup;
class QCheckBox;
class QLabel;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace qm::editor {

class frmAddFiles : public QDialog {
    Q_OBJECT
public:
    explicit frmAddFiles(FileListEditor& logic, QWidget* parent = nullptr);

    FileListEditor& logic() { return logic_; }

    QLabel* Label1 = nullptr;
    QLabel* lblProjectName = nullptr;
    QLabel* Label6 = nullptr;
    QLabel* lblProjectFolder = nullptr;
    QLabel* Label3 = nullptr;
    QCheckBox* Check1 = nullptr;
    QListWidget* List1 = nullptr;
    QLabel* Label4 = nullptr;
    std::array<QRadioButton*, 2> Option1{};
    QLabel* Label2 = nullptr;
    std::array<QRadioButton*, 4> OptCloneList{};
    QPushButton* cmdAdd = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* cmdClear = nullptr;
    QPushButton* cmdOkay = nullptr;
    QPushButton* cmdCancel = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    // The logic's controls onto the widgets.
    void refresh();
    // Runs a handler of the logic, then shows its controls.
    template <class Fn>
    void run(Fn&& fn)
    {
        fn();
        refresh();
    }

    FileListEditor& logic_;
    QButtonGroup* scope_ = nullptr;
    bool shown_ = false;
};

} // namespace qm::editor
