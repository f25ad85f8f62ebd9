// The main window's archive test.
#include "restore/Restore.h"

#include "app/BusySwitch.h"
#include "app/ErrorBox.h"
#include "app/ProgramState.h"
#include "app/Windows.h"
#include "pickers/PickerForms.h"
#include "pickers/PickerWriters.h"
#include "platform/ui/UiServices.h"
#include "restore/ArchiveSelection.h"
#include "session/StatusView.h"
#include "session/ZipSession.h"
#include "store/ProjectRecord.h"
#include "store/SystemLookups.h"

namespace qm::restore {

namespace {

using F = qm::store::ProjectField;
namespace mb = qm::ui::mb;

} // namespace

void Restore::TestArchive()
{
    qm::ui::UiServices& ui = state_.ui();
    qm::app::Form1Variables& f = state_.Form1;
    const std::optional<SelectedArchive> archive =
        ResolveProjectArchive(state_, view_, session_.operationForms(), TestWords);
    if (!archive)
        return;
    const qm::store::ProjectRecord& rec = state_.store.ProjectRecord(1);
    qm::store::AutobackLog& log = session_.log();
    try {
        std::string path = locateArchive(*archive);
        if (!archiveFound(path)) {
            const std::string missing = rec[F::ProjectName] + "\r\n (" + path + ")\r\n";
            if (!archive->isSelfExtracting()) {
                qm::app::showError(ui, missing + "not found. Please insert the correct disk,\r\n"
                                                 "or re-build the archive file.");
                return;
            }
            if (ui.msgBox(missing + "not found. Click 'Okay' to browse\r\nyour system, or 'Cancel' to abort.",
                          mb::OKCancel, "Error!") != mb::OK)
                return;
            // Only a file chosen in the picker goes on.
            f.ProjectName.clear();
            qm::pickers::Form1File(f, windows_.pickers.chooseFile(qm::pickers::Form1FileRequest("")));
            path = f.ProjectName;
            if (path.empty())
                return;
        }
        f.ShortName = rec[F::ProjectName];
        qm::store::BusyPointer(ui);
        if (archive->isAce())
            aceCommand(" t ", *archive, path);
        else
            testZip(*archive, path);
    } catch (const std::exception& e) {
        qm::store::NormalPointer(ui);
        if (qm::app::errorNumber(e) == qm::rterr::DeviceUnavailable) {
            qm::app::showError(ui, DeviceUnavailableText);
        } else {
            ui.msgBox(qm::app::errorLines(e), mb::OKOnly);
            log.event(session_.Now(), "Error " + std::to_string(qm::app::errorNumber(e)) + ": " + e.what());
        }
        log.close();
        return;
    }
    qm::store::NormalPointer(ui);
}

void Restore::testZip(const SelectedArchive& archive, const std::string& path)
{
    qm::ui::UiServices& ui = state_.ui();
    qm::zip::PavikZip& zip = session_.PavikZip1;
    qm::store::AutobackLog& log = session_.log();
    const qm::store::ProjectRecord& rec = state_.store.ProjectRecord(1);

    log.open();
    log.event(session_.Now(), "Testing " + path);
    zip.ArchivePath = path;
    zip.SourceFolder = rec[F::ZIPDefaultRestoreFromFolder];
    if (std::optional<std::string> password = projectPassword(rec, archive.family == "exe"))
        zip.Password = *password;
    int result = 0;
    {
        qm::app::BusySwitch::Operation testing = busy_.begin([&zip] { zip.AbortRequested = true; });
        result = zip.Test(true);
    }
    session_.status().unload();
    qm::store::NormalPointer(ui);
    if (result == qm::zip::result::Ok) {
        ui.msgBox(zip.ArchivePath + " tests okay.", mb::OKOnly | mb::Information, "Test complete!");
        log.event(session_.Now(), "Archive tests okay.");
    } else {
        const std::string text = zip.ErrorText(qm::zip::textkind::Result, result);
        qm::app::showError(ui, "Unsuccessful. Error #" + signedText(result) + " occurred. Description: " + text);
        log.event(session_.Now(), "Error " + signedText(result) + " " + text);
    }
    log.close();
}

void Restore::aceCommand(const std::string& command, const SelectedArchive& archive, const std::string& path)
{
    qm::store::AceCommand text(command);
    std::string list;
    session_.winAce().OpAce(text, path, archive.folder, list);
}

} // namespace qm::restore
