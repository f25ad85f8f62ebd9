#pragma once
// "Unzip files": the target folder, the entries, the folder and skip options
// and the password of the next unzip run. "&Unzip!" writes them onto the
// zip control; Cancel writes nothing (filters changed through "&Filters..."
// stay changed).
#include "zipmanager/DialogFields.h"
#include "zipmanager/forms/ToolServices.h"

#include <QDialog>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace qm::zipmanager {

class frmUnzip : public QDialog {
    Q_OBJECT
public:
    explicit frmUnzip(ToolServices services, QWidget* parent = nullptr);

    // `rows`: the main window's list; its selected rows become the files field.
    void ShowForm(qm::zip::PavikZip& zip, const std::vector<ZipListRow>& rows, bool& result);

    QLabel* lblExtractDirectory = nullptr;
    QLineEdit* txtExtractDirectory = nullptr;
    QPushButton* cmdExtractDirectory = nullptr;
    QLabel* lblFilesToProcess = nullptr;
    QPlainTextEdit* txtFilesToProcess = nullptr;
    QGroupBox* fraFolders = nullptr;
    QCheckBox* chkPreservePaths = nullptr;
    QCheckBox* chkProcessSubFolders = nullptr;
    QGroupBox* fraSkip = nullptr;
    QCheckBox* chkSkipIfExisting = nullptr;
    QCheckBox* chkSkipIfNotExisting = nullptr;
    QCheckBox* chkSkipIfOlderDate = nullptr;
    QCheckBox* chkSkipIfOlderVersion = nullptr;
    QGroupBox* fraPassword = nullptr;
    QLabel* lblDefaultPassword = nullptr;
    QLineEdit* txtDefaultPassword = nullptr;
    QPushButton* cmdFilters = nullptr;
    QPushButton* cmdExtract = nullptr;
    QPushButton* cmdCancel = nullptr;

    void cmdExtractDirectory_Click();
    void cmdFilters_Click();

private:
    std::array<QCheckBox*, 4> skipBoxes() const
    {
        return {chkSkipIfExisting, chkSkipIfNotExisting, chkSkipIfOlderDate, chkSkipIfOlderVersion};
    }
    UnzipFields fields() const;

    ToolServices services_;
    qm::zip::PavikZip* zip_ = nullptr;
    bool confirmed_ = false;
};

} // namespace qm::zipmanager
