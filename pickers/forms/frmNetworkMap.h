#pragma once
// The network browser, "Map Network Drive": the network tree, from which
// Command2 maps the selected folder to a drive letter. Okay closes it on a
// folder; nothing is handed back. The main window shows it modally.
#include "pickers/PickerForms.h"
#include "pickers/forms/TreeParts.h"

#include <QDialog>

class QPushButton;

namespace qm::ui {
class ImageList;
class TreeView;
class UiServices;
} // namespace qm::ui

namespace qm::pickers {

class frmNetworkMap : public QDialog {
    Q_OBJECT
public:
    // Without `mapNetworkDrive`, Command2 is disabled.
    explicit frmNetworkMap(qm::ui::UiServices& ui, MapDriveCommand mapNetworkDrive = {}, QWidget* parent = nullptr);

    QPushButton* Command2 = nullptr;
    QPushButton* cmdOkay = nullptr;
    QPushButton* cmdCancel = nullptr;
    QWidget* vsElastic1 = nullptr;
    qm::ui::ImageList* imlNWImages = nullptr;
    qm::ui::TreeView* tvwNetwork = nullptr;

    void Form_Load();
    void Command2_Click();
    void cmdOkay_Click();
    void cmdCancel_Click();

    // Okay, Cancel, or Closed for the frame's close box and Esc.
    Ending ending() const { return ending_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    qm::ui::UiServices& ui_;
    MapDriveCommand mapNetworkDrive_;
    NetworkRoot network_;
    Ending ending_ = Ending::Closed;
    bool loaded_ = false;
};

} // namespace qm::pickers
