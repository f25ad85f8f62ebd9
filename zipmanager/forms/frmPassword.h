#pragma once
// "Password protection": the password with which the next zip run protects
// the files it adds. OK writes it onto the zip control (an empty field
// clears it); Cancel writes nothing.
#include "zipmanager/forms/ToolServices.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace qm::zip {
class PavikZip;
}

namespace qm::zipmanager {

class frmPassword : public QDialog {
    Q_OBJECT
public:
    explicit frmPassword(ToolServices services, QWidget* parent = nullptr);

    void ShowForm(qm::zip::PavikZip& zip, bool& result);

    QLabel* lblPassword = nullptr;
    QLineEdit* txtPassword = nullptr;
    QLabel* lblPasswordExplanation = nullptr;
    QPushButton* cmdOk = nullptr;
    QPushButton* cmdCancel = nullptr;

private:
    ToolServices services_;
    bool confirmed_ = false;
};

} // namespace qm::zipmanager
