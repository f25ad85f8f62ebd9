#pragma once
// "Self-extracting zip file options": whether the next zip run writes a
// self-extracting program, with which stub, texts, folder, readme and icon.
// OK with the box checked writes the settings; Cancel, or OK with the box
// cleared, clears the stub path so that the next run writes a plain archive.
#include "zipmanager/DialogFields.h"
#include "zipmanager/forms/ToolServices.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace qm::zipmanager {

class frmSfx : public QDialog {
    Q_OBJECT
public:
    explicit frmSfx(ToolServices services, QWidget* parent = nullptr);

    void ShowForm(qm::zip::PavikZip& zip, bool& result);

    QCheckBox* chkMakeSfx = nullptr;
    QLabel* lblSelfBinModule = nullptr;
    QComboBox* cmbSelfBinModule = nullptr;
    QGroupBox* fraStrings = nullptr;
    QLabel* lblWindowTitle = nullptr;
    QLineEdit* txtSWindowTitle = nullptr;
    QLabel* lblIntro = nullptr;
    QLineEdit* txtIntro = nullptr;
    QLabel* lblSuccess = nullptr;
    QLineEdit* txtSuccess = nullptr;
    QLabel* lblDefaultFolder = nullptr;
    QLineEdit* txtDefaultFolder = nullptr;
    QLabel* lblReadme = nullptr;
    QLineEdit* txtReadme = nullptr;
    QPushButton* cmbReadme = nullptr;
    QLabel* lblIcon = nullptr;
    QLineEdit* txtIcon = nullptr;
    QPushButton* cmdIcon = nullptr;
    QPushButton* cmdOk = nullptr;
    QPushButton* cmdCancel = nullptr;

    void chkMakeSfx_Click();
    void cmbReadme_Click();
    void cmdIcon_Click();

private:
    SfxFields fields() const;
    // The file dialog dlgSelect for the readme and icon fields.
    void selectInto(QLineEdit* target, const char* filter, const char* title);

    ToolServices services_;
    bool confirmed_ = false;
};

} // namespace qm::zipmanager
