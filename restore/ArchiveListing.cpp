// The main window's archive listings: a project's archive and an archive
// named on the command line.
#include "restore/Restore.h"

#include "app/BusySwitch.h"
#include "app/ErrorBox.h"
#include "app/MainWindowView.h"
#include "app/ProgramState.h"
#include "app/Windows.h"
#include "pickers/PickerForms.h"
#include "pickers/PickerWriters.h"
#include "platform/fs/Paths.h"
#include "platform/fs/WinPath.h"
#include "platform/ui/UiServices.h"
#include "restore/ArchiveSelection.h"
#include "restore/Folders.h"
#include "restore/RestoreForms.h"
#include "session/StatusView.h"
#include "session/ZipSession.h"
#include "store/ProjectRecord.h"
#include "store/SystemLookups.h"

#include <algorithm>

namespace qm::restore {

namespace {

using F = qm::store::ProjectField;
namespace mb = qm::ui::mb;

// The steps of a listing that may fail without stopping it: a failure is
// passed over and its number kept for the end.
struct PassOver {
    int number = 0;
    template <class Step>
    void operator()(Step step)
    {
        try {
            step();
        } catch (const std::exception& e) {
            number = qm::app::errorNumber(e);
        }
    }
};

} // namespace

bool Restore::listInto(const std::string& path)
{
    qm::ui::UiServices& ui = state_.ui();
    qm::zip::PavikZip& zip = session_.PavikZip1;
    zip.ArchivePath = path;
    int result = 0;
    {
        qm::app::BusySwitch::Operation listing = busy_.begin([&zip] { zip.AbortRequested = true; });
        result = zip.ListEntries();
    }
    if (result != qm::zip::result::Ok) {
        ui.msgBox(zip.ErrorText(qm::zip::textkind::Result, result), mb::OKOnly);
        windows_.restore.unloadContents();
        qm::store::NormalPointer(ui);
        return false;
    }
    std::string archive = path;
    session_.ViewArchiveInfo(archive);
    session_.status().unload();
    qm::store::NormalPointer(ui);
    windows_.restore.showContentsList();
    return true;
}

void Restore::ViewArchive()
{
    qm::ui::UiServices& ui = state_.ui();
    qm::app::Form1Variables& f = state_.Form1;
    f.mRowCount = 0;
    PassOver passOver;
    const std::optional<SelectedArchive> archive =
        ResolveProjectArchive(state_, view_, session_.operationForms(), ListingWords, [&] {
            passOver([&] { useFolder(state_.store.ProjectRecord(1)[F::ProjectFolder]); });
        });
    if (!archive)
        return;
    const qm::store::ProjectRecord& rec = state_.store.ProjectRecord(1);

    std::string path = archive->path;
    bool found = false;
    passOver([&] {
        path = locateArchive(*archive);
        found = archiveFound(path);
    });
    if (!found && ui.msgBox(rec[F::ProjectName] + " (" + path + ")\r\ncould not be located as defined in the "
                            "Quillmate database.\r\n\r\nClick the 'Cancel' button, then insert the correct disk "
                            "and try again.\r\n\r\nOr click 'Okay' to browse your system for the file.",
                            mb::OKCancel, "File Not Found!") != mb::OK)
        return;
    qm::store::BusyPointer(ui);
    if (!found) {
        passOver([] { useDriveRoot("C"); });
        // Only a file chosen in the picker goes on.
        f.ProjectName.clear();
        qm::pickers::Form1File(f, windows_.pickers.chooseFile(qm::pickers::Form1FileRequest(
                                      archive->fileName, "Locate '" + archive->fileName + "'")));
        path = f.ProjectName;
    }
    qm::store::NormalPointer(ui);
    if (path.empty())
        return;
    // A network path has no drive to make current.
    if (qm::fs::driveLetter(path))
        passOver([&] {
            useDriveRoot(path);
            if (archive->family == "zip" || archive->family == "ace")
                useFolder(archive->folder);
        });
    f.ShortName = rec[F::ProjectName];

    qm::store::BusyPointer(ui);
    view_.hideMainWindow();
    if (archive->isZipFormat()) {
        windows_.restore.showContents(
            {"Viewing: " + rec[F::ProjectName] + " (" + archive->path + ")", path, "Form1", ""});
        passOver([&] { listInto(path); });
    } else {
        view_.showMainWindow();
        passOver([&] { aceCommand(" l ", *archive, path); });
    }

    if (passOver.number == qm::rterr::DeviceUnavailable) {
        qm::app::showError(ui, DeviceUnavailableText);
    } else {
        passOver([] { useFolder(qm::fs::appPath()); });
    }
    qm::store::NormalPointer(ui);
    if (!windows_.restore.contentsVisible())
        view_.showMainWindow();
}

void Restore::ExplorerView(const std::string& ArchivePath)
{
    qm::ui::UiServices& ui = state_.ui();
    std::string unquoted = ArchivePath;
    std::erase(unquoted, '"');
    try {
        const std::string path = qm::fs::fromNative(unquoted);
        windows_.restore.showContents({"Viewing: " + ArchivePath, path, "", ArchivePath});
        state_.Form1.ProjectName = path;
        if (!listInto(path))
            return;
    } catch (const std::exception& e) {
        qm::store::NormalPointer(ui);
        if (qm::app::errorNumber(e) == qm::rterr::DeviceUnavailable) {
            qm::app::showError(ui, DeviceUnavailableText);
            return;
        }
        ui.msgBox(qm::app::errorLines(e), mb::OKOnly);
    }
    try {
        useFolder(qm::fs::appPath());
    } catch (const std::exception&) {
        // The program folder stays where it is; nothing to tell.
    }
}

} // namespace qm::restore
