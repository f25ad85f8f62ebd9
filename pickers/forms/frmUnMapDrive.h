#pragma once
// The disconnect dialog, "Select Mapped Drive to Disconnect": the drive
// tree, whose selected network drive Unmap (cmdOkay) disconnects. The main
// window sets ParentForm ("Form1") and shows it modally; nothing is handed
// back.
#include "pickers/PickerForms.h"

#include <QDialog>

#include <string>

class QPushButton;

namespace qm::ui {
class TreeView;
class UiServices;
} // namespace qm::ui

namespace qm::pickers {

class frmUnMapDrive : public QDialog {
    Q_OBJECT
public:
    explicit frmUnMapDrive(qm::ui::UiServices& ui, QWidget* parent = nullptr);

    std::string ParentForm;

    QPushButton* cmdOkay = nullptr; // "&Unmap"
    QPushButton* cmdCancel = nullptr;
    QWidget* vsElastic1 = nullptr;
    qm::ui::TreeView* SSTree1 = nullptr;

    void Form_Load();
    // One node per drive below "My Computer".
    void GetDrives();
    void cmdOkay_Click();
    void cmdCancel_Click();

    // Okay (unmapped), Cancel, or Closed for the frame's close box and Esc.
    Ending ending() const { return ending_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    qm::ui::UiServices& ui_;
    Ending ending_ = Ending::Closed;
    bool loaded_ = false;
};

} // namespace qm::pickers
