#pragma once
// "Filters...": the attribute, date and size filters of the zip control's
// zip and unzip runs. OK writes them straight onto the control once both
// dates read and both sizes are within range; otherwise a message shows and
// the dialog stays open. Cancel writes nothing.
#include "zipmanager/DialogFields.h"
#include "zipmanager/forms/ToolServices.h"

#include <QDialog>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;

namespace qm::zipmanager {

class frmFilters : public QDialog {
    Q_OBJECT
public:
    explicit frmFilters(ToolServices services, QWidget* parent = nullptr);

    void ShowForm(qm::zip::PavikZip& zip, bool& result);

    QGroupBox* fraAttributes = nullptr;
    QLabel* lblRequiredAttributes = nullptr;
    QTreeWidget* lstRequiredAttributes = nullptr;
    QLabel* lblExcludedAttributes = nullptr;
    QTreeWidget* lstExcludedAttributes = nullptr;
    QGroupBox* fraDates = nullptr;
    QLabel* lblMinDate = nullptr;
    QLineEdit* mebMinDateToProcess = nullptr;
    QLabel* lblMaxDate = nullptr;
    QLineEdit* mebMaxDateToProcess = nullptr;
    QGroupBox* fraSizes = nullptr;
    QLabel* lblMinSize = nullptr;
    QLineEdit* txtMinSizeToProcess = nullptr;
    QLabel* lblMaxSize = nullptr;
    QLineEdit* txtMaxSizeToProcess = nullptr;
    QPushButton* cmdOk = nullptr;
    QPushButton* cmdCancel = nullptr;

    void cmdOk_Click();

private:
    FilterFields fields() const;

    ToolServices services_;
    bool confirmed_ = false;
};

} // namespace qm::zipmanager
