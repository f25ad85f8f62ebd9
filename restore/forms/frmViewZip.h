#pragma once
// The archive contents window. Its opener sets the caption and public values
// (logic()) and shows it; the main window's listing adds one row per archive
// entry (AddListedRow) and fills the summary labels. Its commands are the
// logic's (restore/ViewZip.h): Open (also a double click), Extract, Delete,
// Select All, Unselect All, the same on the list's pop-up menu (right
// button), and sorting by a click on a column's header. Closing it, by its
// Close button or otherwise, unloads it (the object is deleted) and sets the
// main window's mRowCount back to 0; while one of its commands runs it
// stays open.
#include "restore/ViewZipView.h"
#include "restore/ViewZipRow.h"

#include <QWidget>
#include <functional>
#include <memory>
#include <string>

class QAction;
class QGroupBox;
class QMenu;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace qm::app {
class ProgramState;
}
namespace qm::ui {
class ReportList;
}

namespace qm::restore {

class ViewZip;

class frmViewZip : public QWidget, public ViewZipView {
    Q_OBJECT
public:
    explicit frmViewZip(qm::app::ProgramState& state, ViewZipHost host = {}, QWidget* parent = nullptr);
    ~frmViewZip() override;

    // The window's logic, with its public values (ProjectName, ParentForm, ...).
    ViewZip& logic() { return *logic_; }

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
    QMenu* List1PopUpMnu = nullptr; // "List1Menu"
    QAction* SelectAllMnu = nullptr;
    QAction* UnSelectAllMnu = nullptr;
    QAction* OpenMnu = nullptr;
    QAction* ExtractMnu = nullptr;
    QAction* DeleteMnu = nullptr;
    QAction* CloseMnu = nullptr;

    void cmdOpen_Click();
    void cmdExtract_Click();
    void cmdDelete_Click();
    void cmdSelectAll_Click();
    void cmdUnselectAll_Click();
    void cmdClose_Click();
    void ListView1_ColumnClick(int column);

    // ---- ViewZipView
    std::string caption() const override;
    std::vector<ViewZipEntry> entries() const override;
    std::string spannedText() const override;
    void showProgressWatch(bool shown) override;
    void setProgress(int percent) override;
    void setSkipped(const std::string& text) override;
    ExtractTargetAnswer chooseExtractTarget(const std::optional<std::string>& Label3) override;
    void unload() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Runs one of the logic's commands; the window stays open meanwhile.
    void command(void (ViewZip::*operation)());
    void unloadNow();

    qm::app::ProgramState& state_;
    std::unique_ptr<ViewZip> logic_;
    std::function<void()> onUnload_;
    int working_ = 0;
    bool closeWanted_ = false;
    bool unloaded_ = false;
};

} // namespace qm::restore
