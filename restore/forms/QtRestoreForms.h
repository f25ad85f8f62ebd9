#pragma once
// The windows of restore, test and archive viewing shown for real. The
// archive contents window is made on first use and lives until it is
// closed; when it unloads, the main window shows itself again (unless the
// user has closed the main window meanwhile).
#include "restore/RestoreForms.h"

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

    void showContents(const std::string& ArchivePath) override;
    void addContentsRow(int index, const ViewZipRow& row) override;
    void setContentsComment(const std::string& text) override;
    void setContentsSummary(const ContentsSummary& labels) override;
    void showContentsList() override;
    void showActionLog(const std::string& WinAceLocation) override;

    // The archive contents window, made when there is none.
    frmViewZip& viewZip();

private:
    qm::app::ProgramState& state_;
    qm::app::MainWindowView& mainWindow_;
    QPointer<frmViewZip> viewZip_;
};

} // namespace qm::restore
