#pragma once
// The folder and file picker, "Choose Drive, Directory, and File": the
// drive-and-folder tree with a file list beside it on its "Local" tab (File1
// for one file, File2 for several), the network tree on its "Network" tab.
// The opener sets ParentForm (and GridColumn for "UserOptions"), then,
// after it has loaded, its own settings (apply), and shows it modally;
// afterwards answer() says how it ended and what was chosen. Its close box,
// and Esc, count as a close that writes nothing.
#include "app/FileListBox.h"
#include "pickers/PickerForms.h"
#include "pickers/forms/PickerTrees.h"

#include <QDialog>

#include <string>

class QLabel;
class QListWidget;
class QPushButton;
class QTabWidget;

namespace qm::pickers {

class PickDirFrm : public QDialog {
    Q_OBJECT
public:
    explicit PickDirFrm(qm::ui::UiServices& ui, MapDriveCommand mapNetworkDrive = {}, QWidget* parent = nullptr);

    std::string ParentForm;
    int GridColumn = 0; // "UserOptions": the options grid's current column

    QWidget* vsElastic1 = nullptr; // the whole window
    QWidget* vsElastic2 = nullptr; // the tabs
    QWidget* vsElastic3 = nullptr; // the buttons
    QTabWidget* vsIndexTab1 = nullptr;
    qm::ui::TreeView* SSTree1 = nullptr;
    qm::ui::TreeView* tvwNetwork = nullptr;
    qm::ui::ImageList* imlNWImages = nullptr;
    QListWidget* File1 = nullptr; // one file
    QListWidget* File2 = nullptr; // several files, in File1's place
    QLabel* Label1 = nullptr;
    QPushButton* Command1 = nullptr; // Okay
    QPushButton* cmdCancel = nullptr;
    QPushButton* Command2 = nullptr;

    // What the two lists hold; their selection follows the lists shown.
    qm::app::FileListBox File1List{false};
    qm::app::FileListBox File2List{true};

    // Loads the dialog now (showing it loads it otherwise): trees, "Local"
    // tab, and the lists as ParentForm asks.
    void Form_Load();
    // The opener's settings made after the load: Form1's pattern and
    // caption, frmAddFiles' list folder and whether the trees can be used.
    void apply(const FileRequest& request);
    void SSTree1_NodeClick(const std::string& key);
    void Command1_Click();
    void cmdCancel_Click();
    void Command2_Click();

    const FileAnswer& answer() const { return answer_; }
    bool reloadWanted() const { return reload_; }

public slots:
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    bool event(QEvent* event) override;

private:
    void finish(FileAnswer answer);
    void showList(QListWidget* view, qm::app::FileListBox& list);
    void takeSelection(QListWidget* view, qm::app::FileListBox& list);
    bool multiple() const { return ParentForm == "frmAddFiles"; }

    qm::ui::UiServices& ui_;
    PickerTrees trees_;
    FileAnswer answer_;
    bool loaded_ = false;
    bool answered_ = false;
    bool reload_ = false;
};

} // namespace qm::pickers
