#pragma once
// The archive contents window. Its opener sets the caption and public values
// and shows it; the main window's listing adds one row per archive entry
// (AddListedRow) and fills the summary labels. Closing it, by its Close
// button or otherwise, unloads it (the object is deleted) and sets the main
// window's mRowCount back to 0.
#include "restore/ViewZipRow.h"

#include <QWidget>
#include <functional>
#include <string>

class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace qm::app {
struct Form1Variables;
}
namespace qm::ui {
class ReportList;
}

namespace qm::restore {

class frmViewZip : public QWidget {
    Q_OBJECT
public:
    explicit frmViewZip(qm::app::Form1Variables& form1, QWidget* parent = nullptr);
    ~frmViewZip() override;

    // Public values.
    std::string ProjectName;
    int SkipOptions = 0;
    int DateOptions = 0;
    std::string ParentForm;
    std::string strRunCommand;

    // Called once when the window unloads (the main window shows itself again).
    void onUnload(std::function<void()> fn) { onUnload_ = std::move(fn); }

    // Adds a row at the 1-based position `index` (past the end: appended).
    void AddListedRow(int index, const ViewZipRow& row);

    qm::ui::ReportList* ListView1 = nullptr;
    QPushButton* cmdOpen = nullptr;
    QPushButton* cmdExtract = nullptr;
    QPushButton* cmdDelete = nullptr;
    QPushButton* cmdSelectAll = nullptr;
    QPushButton* cmdUnselectAll = nullptr;
    QPushButton* cmdClose = nullptr;
    QLabel* Label1 = nullptr;   // "Files:"
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;   // "Compressed size:"
    QLabel* Label4 = nullptr;
    QLabel* Label5 = nullptr;   // "Uncompressed size:"
    QLabel* Label6 = nullptr;
    QLabel* Label7 = nullptr;   // "Ratio:"
    QLabel* Label8 = nullptr;
    QLabel* Label9 = nullptr;   // "Spanned:"
    QLabel* Label10 = nullptr;
    QLabel* Label11 = nullptr;  // "Archive Comment:"
    QLabel* lblDescription = nullptr;
    QGroupBox* Frame5 = nullptr; // "Progress Watch", shown while extracting
    QLabel* Label12 = nullptr;
    QProgressBar* vsElastic2 = nullptr;
    QLabel* Label13 = nullptr;
    QLineEdit* SkippedTxt = nullptr;

    void cmdClose_Click();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void unload();

    qm::app::Form1Variables& form1_;
    std::function<void()> onUnload_;
    bool unloaded_ = false;
};

} // namespace qm::restore
