#pragma once
// The windows of restore, test and archive viewing shown for real. The
// archive contents window is made on first use and lives until it is
// closed; when it unloads, the main window shows itself again (unless the
// user has closed the main window meanwhile), and the next listing makes a
// new one. The restore dialog lives while it is shown.
#include "restore/RestoreForms.h"
#include "restore/ViewZip.h"

#include <QPointer>

namespace qm::app {
class MainWindowView;
class ProgramState;
}

namespace qm::restore {

class frmViewZip;

class QtRestoreForms : public RestoreForms {
public:
    QtRestoreForms(qm::app::ProgramState& state, qm::app::MainWindowView& mainWindow);
    ~QtRestoreForms() override;
    QtRestoreForms(const QtRestoreForms&) = delete;
    QtRestoreForms& operator=(const QtRestoreForms&) = delete;

    // What contents windows made from now on need of the program (the busy
    // switch, the listing after a delete).
    void setContentsHost(ViewZipHost host) { host_ = std::move(host); }

    void showRestore(RestoreRun& run) override;
    void showContents(const ContentsOpening& opening) override;
    void unloadContents() override;
    bool contentsVisible() const override;
    void addContentsRow(int index, const qm::zip::ListedEntry& entry) override;
    void setContentsComment(const std::string& text) override;
    void setContentsSummary(const qm::session::ContentsSummary& labels) override;
    void showContentsList() override;
    void showActionLog(const std::string& WinAceLocation) override;

    // The archive contents window, made when there is none.
    frmViewZip& viewZip();

private:
    qm::app::ProgramState& state_;
    qm::app::MainWindowView& mainWindow_;
    ViewZipHost host_;
    QPointer<frmViewZip> viewZip_;
};

} // namespace qm::restore
