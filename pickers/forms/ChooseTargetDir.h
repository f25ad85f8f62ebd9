#pragma once
// The target folder dialog, "Choose Target Drive and/or Target Folder": the
// drive-and-folder tree on its "Local" tab, the network tree on its
// "Network" tab, and a row to make a new folder. The opener sets ParentForm
// or LoadedFromForm and shows it modally; afterwards answer() says how it
// ended and what was chosen (the caller's writer puts it where it belongs).
// Its close box, and Esc, count as a close that writes nothing.
#include "pickers/PickerForms.h"
#include "pickers/forms/PickerTrees.h"

#include <QDialog>

#include <string>

class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;

namespace qm::ui {
class ImageList;
class TreeView;
class UiServices;
} // namespace qm::ui

namespace qm::pickers {

class ChooseTargetDir : public QDialog {
    Q_OBJECT
public:
    // Without `mapNetworkDrive`, Command2 is disabled.
    explicit ChooseTargetDir(qm::ui::UiServices& ui, MapDriveCommand mapNetworkDrive = {},
                             QWidget* parent = nullptr);

    std::string ParentForm;
    std::string LoadedFromForm;

    QWidget* vsElastic1 = nullptr; // the whole window
    QWidget* vsElastic2 = nullptr; // the tabs
    QWidget* vsElastic3 = nullptr; // the buttons and the new-folder row
    QTabWidget* vsIndexTab1 = nullptr;
    qm::ui::TreeView* SSTree1 = nullptr;
    qm::ui::TreeView* tvwNetwork = nullptr;
    qm::ui::ImageList* imlNWImages = nullptr;
    QPushButton* cmdOkay = nullptr;
    QPushButton* cmdCancel = nullptr;
    QPushButton* cmdNewDir = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* Text1 = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;

    void Form_Load();
    void cmdOkay_Click();
    void cmdCancel_Click();
    void cmdNewDir_Click();
    void Command1_Click();
    void Command2_Click();

    const FolderAnswer& answer() const { return answer_; }
    // The map-drive command mapped a drive: show the dialog again.
    bool reloadWanted() const { return reload_; }

public slots:
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void finish(FolderAnswer answer);

    qm::ui::UiServices& ui_;
    PickerTrees trees_;
    FolderAnswer answer_;
    bool loaded_ = false;
    bool answered_ = false;
    bool reload_ = false;
};

} // namespace qm::pickers
