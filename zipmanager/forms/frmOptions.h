#pragma once
// "Zip Manager Options": temporary files, disk spanning and the extra
// information stored in the archive, edited on the zip control. OK writes
// them back; Cancel writes nothing.
#include "zipmanager/DialogFields.h"
#include "zipmanager/forms/ToolServices.h"

#include <QDialog>

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace qm::zipmanager {

class frmOptions : public QDialog {
    Q_OBJECT
public:
    explicit frmOptions(ToolServices services, QWidget* parent = nullptr);

    void ShowForm(qm::zip::PavikZip& zip, bool& result);

    QGroupBox* fraTempFiles = nullptr;
    QCheckBox* chkUseTempFolder = nullptr;
    QLineEdit* txtTempFolder = nullptr;
    QPushButton* cmdBrowseTempFolder = nullptr;
    QGroupBox* fraSpanning = nullptr;
    QRadioButton* optNever = nullptr;
    QRadioButton* optAlways = nullptr;
    QRadioButton* optRemovableDrives = nullptr;
    QGroupBox* fraExtraInfo = nullptr;
    QCheckBox* chkExtraExtTimeStamp = nullptr;
    QCheckBox* chkExtraFileTimes = nullptr;
    QCheckBox* chkExtraSecurityDsc = nullptr;
    QCheckBox* chkExtraUnicode = nullptr;
    QPushButton* cmdOk = nullptr;
    QPushButton* cmdCancel = nullptr;

    void chkUseTempFolder_Click();
    void cmdBrowseTempFolder_Click();

private:
    std::array<QCheckBox*, 4> headerBoxes() const
    {
        return {chkExtraExtTimeStamp, chkExtraFileTimes, chkExtraSecurityDsc, chkExtraUnicode};
    }
    OptionsFields fields() const;

    ToolServices services_;
    QButtonGroup* span_ = nullptr;
    bool confirmed_ = false;
};

} // namespace qm::zipmanager
