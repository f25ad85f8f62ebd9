#pragma once
// "Add file(s) to the zip file": what the next zip run adds to the open
// archive. ShowForm loads the fields from the zip control, shows the dialog
// modally and writes back only when it is left with "&Zip!"; Cancel, Esc and
// the frame's close write nothing. The filter, password and self-extractor
// dialogs edit the same control, and what they change stays changed.
#include "zipmanager/DialogFields.h"
#include "zipmanager/forms/ToolServices.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace qm::zipmanager {

class frmZip : public QDialog {
    Q_OBJECT
public:
    explicit frmZip(ToolServices services, QWidget* parent = nullptr);

    void ShowForm(qm::zip::PavikZip& zip, bool& result);

    QLabel* lblFilesToProcess = nullptr;
    QPlainTextEdit* txtFilesToProcess = nullptr;
    QPushButton* cmdFilesToProcess = nullptr;
    QLabel* lblCompLevel = nullptr;
    QComboBox* cmbCompLevel = nullptr;
    QGroupBox* fraFolders = nullptr;
    QCheckBox* chkProcessSubFolders = nullptr;
    QCheckBox* chkPreservePaths = nullptr;
    QGroupBox* fraSkip = nullptr;
    QCheckBox* chkSkipIfExisting = nullptr;
    QCheckBox* chkSkipIfNotExisting = nullptr;
    QCheckBox* chkSkipIfOlderDate = nullptr;
    QCheckBox* chkSkipIfOlderVersion = nullptr;
    QGroupBox* fraSplitting = nullptr;
    QCheckBox* chkSplitting = nullptr;
    QLabel* lblSplitSize = nullptr;
    QLineEdit* txtSplitSize = nullptr;
    QLabel* lblKbytes = nullptr;
    QPushButton* cmdFilters = nullptr;
    QPushButton* cmdPasswordProtect = nullptr;
    QPushButton* cmdSfx = nullptr;
    QPushButton* cmdZip = nullptr;
    QPushButton* cmdCancel = nullptr;

    void cmdFilesToProcess_Click();
    void cmdFilters_Click();
    void cmdPasswordProtect_Click();
    void cmdSfx_Click();
    void cmdZip_Click();
    void chkSplitting_Click();

private:
    std::array<QCheckBox*, 4> skipBoxes() const
    {
        return {chkSkipIfExisting, chkSkipIfNotExisting, chkSkipIfOlderDate, chkSkipIfOlderVersion};
    }
    AddFilesFields fields() const;

    ToolServices services_;
    qm::zip::PavikZip* zip_ = nullptr;
    std::array<int, 4> levels_{};
    bool confirmed_ = false;
};

} // namespace qm::zipmanager
