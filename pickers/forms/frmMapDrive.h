#pragma once
// The log-in dialog of a mapping, "Mapped Network Drive Log-in": the
// letters offered from the first free one (Combo1), the network path
// (lblNetworkPath) and an optional user name and password (Frame1). The
// map-drive command sets DrvLtr, lets it load, sets lblNetworkPath and
// ParentForm and shows it modally; afterwards closingStepsRan() says
// whether Okay went through to its end (mapped, refused or failed).
#include "pickers/forms/TreeParts.h"

#include <QDialog>

#include <string>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace qm::ui {
class UiServices;
}

namespace qm::pickers {

class frmMapDrive : public QDialog {
    Q_OBJECT
public:
    explicit frmMapDrive(qm::ui::UiServices& ui, QWidget* parent = nullptr);

    std::string DrvLtr;
    std::string ParentForm;

    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QComboBox* Combo1 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* lblNetworkPath = nullptr;
    QGroupBox* Frame1 = nullptr;
    QLabel* Label4 = nullptr;
    QLineEdit* txtUsername = nullptr;
    QLabel* Label5 = nullptr;
    QLineEdit* txtPassword = nullptr; // shows no typed character
    QPushButton* cmdOkay = nullptr;
    QPushButton* cmdCancel = nullptr;

    // The letters from DrvLtr on; runs once, when first shown if not before.
    void Form_Load();
    void cmdOkay_Click();
    void cmdCancel_Click();

    bool closingStepsRan() const { return closingSteps_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    qm::ui::UiServices& ui_;
    bool loaded_ = false;
    bool closingSteps_ = false;
};

// The map-drive command of the program: frmMapDrive opened over the host
// for the node selected in its network tree (after the command's checks),
// and, once its Okay has run to its end, a picker host reloaded.
MapDriveCommand networkDriveCommand(qm::ui::UiServices& ui);

} // namespace qm::pickers
