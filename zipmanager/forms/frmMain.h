#pragma once
// The ZIP manager's main window: menus, the entry list lstMain, the status
// line, progress and the Abort and Close buttons. Its logic is ZipManager,
// which owns the tool's zip control xZip; the window forwards its menus and
// buttons there and paints what it is told. Closing the window while an
// operation runs stops the operation first (see ZipManager::QueryUnload).
#include "zipmanager/ZipManagerView.h"
#include "zipmanager/forms/ToolServices.h"

#include <QMainWindow>
#include <memory>

class QAction;
class QLabel;
class QMenu;
class QProgressBar;
class QPushButton;
class QTreeWidget;

namespace qm::zipmanager {

class ZipManager;

class frmMain : public QMainWindow, public ZipManagerView {
    Q_OBJECT
public:
    explicit frmMain(ToolServices services, QWidget* parent = nullptr);
    ~frmMain() override;

    // Lists the archive named by xZip.ArchivePath, if any.
    void Form_Load();

    ZipManager& manager() { return *manager_; }

    QMenu* mnuFile = nullptr;
    QAction* mnuFileNew = nullptr;
    QAction* mnuFileOpen = nullptr;
    QAction* mnuFileSettings = nullptr;
    QAction* mnuFileExit = nullptr;
    QMenu* mnuActions = nullptr;
    QAction* mnuActionsAdd = nullptr;
    QAction* mnuActionsExtract = nullptr;
    QAction* mnuActionsRemove = nullptr;
    QAction* mnuActionsTest = nullptr;
    QMenu* mnuHelp = nullptr;
    QTreeWidget* lstMain = nullptr;
    QLabel* lblStatusBar = nullptr;
    QLabel* lblProgress = nullptr;
    QProgressBar* prbGlobalProgress = nullptr;
    QPushButton* cmdAbort = nullptr;
    QPushButton* cmdClose = nullptr;

    // ---- ZipManagerView
    void setCaption(const std::string& caption) override;
    void setStatus(const std::string& text) override;
    void setProgress(int percent) override;
    void setMenusEnabled(bool file, bool actions, bool help) override;
    void setBusyControls(bool busy) override;
    void setRemoveEnabled(bool enabled) override;
    void clearRows() override;
    void setListVisible(bool visible) override;
    void addRow(int position, const ZipListRow& row) override;
    std::vector<ZipListRow> rows() const override;
    std::unique_ptr<ResultsWindow> createResults() override;
    bool showAddFiles(qm::zip::PavikZip& zip) override;
    bool showUnzip(qm::zip::PavikZip& zip, const std::vector<ZipListRow>& rows) override;
    bool showOptions(qm::zip::PavikZip& zip) override;
    void closeWindow() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    ToolServices services_;
    std::unique_ptr<ZipManager> manager_;

public:
    // The tool's zip control.
    qm::zip::PavikZip& xZip;
};

} // namespace qm::zipmanager
