#include "restore/forms/QtRestoreForms.h"

#include "app/MainWindowView.h"
#include "app/ProgramState.h"
#include "platform/ui/ReportList.h"
#include "platform/ui/UiServices.h"
#include "restore/RestoreRun.h"
#include "restore/ViewZipRows.h"
#include "restore/forms/RestoreFrm.h"
#include "restore/forms/frmAction.h"
#include "restore/forms/frmViewZip.h"

#include <QLabel>

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
        viewZip_ = new frmViewZip(state_, host_);
        viewZip_->onUnload([this] {
            viewZip_ = nullptr;
            mainWindow_.showMainWindow();
        });
    }
    return *viewZip_;
}

void QtRestoreForms::showRestore(RestoreRun& run)
{
    RestoreFrm dialog(state_.ui(), run);
    run.attach(&dialog);
    state_.ui().showModal(dialog);
    run.attach(nullptr);
}

void QtRestoreForms::showContents(const ContentsOpening& opening)
{
    frmViewZip& v = viewZip();
    v.ListView1->clear();
    ViewZip& logic = v.logic();
    logic.ProjectName = opening.ProjectName;
    logic.ParentForm = opening.ParentForm;
    logic.strRunCommand = opening.strRunCommand;
    v.setWindowTitle(QString::fromStdString(opening.caption));
    v.show();
}

void QtRestoreForms::unloadContents()
{
    if (viewZip_)
        viewZip_->close();
}

bool QtRestoreForms::contentsVisible() const { return viewZip_ && viewZip_->isVisible(); }

void QtRestoreForms::addContentsRow(int index, const qm::zip::ListedEntry& entry)
{
    frmViewZip& v = viewZip();
    v.ListView1->setVisible(false);
    v.AddListedRow(index, listedRow(entry));
}

void QtRestoreForms::setContentsComment(const std::string& text)
{
    viewZip().lblDescription->setText(QString::fromStdString(text));
}

void QtRestoreForms::setContentsSummary(const qm::session::ContentsSummary& labels)
{
    frmViewZip& v = viewZip();
    QLabel* const targets[] = {v.Label1, v.Label2, v.Label3, v.Label4, v.Label5,
                               v.Label6, v.Label7, v.Label8, v.Label9, v.Label10};
    for (std::size_t i = 0; i < labels.size(); ++i)
        targets[i]->setText(QString::fromStdString(labels[i]));
}

void QtRestoreForms::showContentsList()
{
    frmViewZip& v = viewZip();
    v.ListView1->setVisible(true);
    v.ListView1->repaint();
}

void QtRestoreForms::showActionLog(const std::string& WinAceLocation)
{
    frmAction form(state_.ui());
    form.WinAceLocation = WinAceLocation;
    form.Form_Load();
    state_.ui().showModal(form);
}

} // namespace qm::restore
