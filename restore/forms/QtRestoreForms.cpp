#include "restore/forms/QtRestoreForms.h"

#include "app/MainWindowView.h"
#include "app/ProgramState.h"
#include "platform/ui/ReportList.h"
#include "restore/forms/frmViewZip.h"

namespace qm::restore {

QtRestoreForms::QtRestoreForms(qm::app::ProgramState& state, qm::app::MainWindowView& mainWindow)
    : state_(state), mainWindow_(mainWindow)
{
}

QtRestoreForms::~QtRestoreForms()
{
    // A window still open outlives this object: it must not call back.
    if (viewZip_)
        viewZip_->onUnload(nullptr);
}

frmViewZip& QtRestoreForms::viewZip()
{
    if (!viewZip_) {
        viewZip_ = new frmViewZip(state_.Form1);
        viewZip_->onUnload([this] { mainWindow_.showMainWindow(); });
    }
    return *viewZip_;
}

void QtRestoreForms::showContents(const std::string& ArchivePath)
{
    frmViewZip& v = viewZip();
    v.strRunCommand = ArchivePath;
    v.setWindowTitle(QString::fromStdString("Viewing: " + ArchivePath));
    v.show();
    v.ProjectName = ArchivePath;
}

void QtRestoreForms::addContentsRow(int index, const ViewZipRow& row)
{
    frmViewZip& v = viewZip();
    v.ListView1->setVisible(false);
    v.AddListedRow(index, row);
}

} // namespace qm::restore
