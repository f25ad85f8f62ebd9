// The commands' owner and the entry of the restore dialog.
#include "restore/Restore.h"

#include "app/ErrorBox.h"
#include "app/MainWindowView.h"
#include "app/ProgramState.h"
#include "app/Windows.h"
#include "platform/fs/Paths.h"
#include "platform/ui/UiServices.h"
#include "restore/ArchiveSelection.h"
#include "restore/RestoreForms.h"
#include "restore/RestoreRun.h"
#include "session/ZipSession.h"
#include "store/SystemLookups.h"

namespace qm::restore {

namespace mb = qm::ui::mb;

Restore::Restore(qm::app::ProgramState& state, qm::app::MainWindowView& view, qm::app::Windows& windows,
                 qm::app::BusySwitch& busy, qm::session::ZipSession& session)
    : state_(state), view_(view), windows_(windows), busy_(busy), session_(session)
{
}

void Restore::RestoreArchive()
{
    qm::ui::UiServices& ui = state_.ui();
    qm::store::Store& store = state_.store;
    qm::store::BusyPointer(ui);
    int count = 0;
    for (const qm::app::ListRow& row : view_.selectedRows()) {
        if (++count == 2) {
            qm::app::showError(ui, "Cannot select more than one project at a time for restoring.");
            qm::store::NormalPointer(ui);
            return;
        }
        store.CurrentProjectIni = qm::fs::appPath() + "\\Projects\\" + row.text;
    }
    if (!isDrivePath(store.CurrentProjectIni) &&
        ui.msgBox("No project selected. Click 'okay'\r\nto browse your system for the restore\r\n"
                  "file. Or click 'Cancel' to abort.",
                  mb::OKCancel, "Please confirm!") != mb::OK) {
        qm::store::NormalPointer(ui);
        return;
    }
    store.LoadProject();
    store.LoadUserOptions();
    // An archive a killed run left under its hidden name is listed again.
    settleProjectArchives(store.ProjectRecord(1));
    view_.hideMainWindow();
    qm::store::NormalPointer(ui);

    RestoreRun run(state_, view_, windows_, busy_, session_.status());
    run.ParentForm = "Form1";
    windows_.restore.showRestore(run);
}

} // namespace qm::restore
