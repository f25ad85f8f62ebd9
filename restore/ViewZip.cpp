#include "restore/ViewZip.h"

#include "app/BusySwitch.h"
#include "app/DiskPrompt.h"
#include "app/ErrorBox.h"
#include "app/OpenFailure.h"
#include "app/ProgramState.h"
#include "platform/fs/FileOps.h"
#include "platform/fs/NoCase.h"
#include "platform/fs/Paths.h"
#include "platform/ui/UiServices.h"
#include "platform/zip/Names.h"
#include "restore/ArchiveSelection.h"
#include "restore/Folders.h"
#include "restore/ViewZipRow.h"
#include "store/Launcher.h"
#include "store/ProjectRecord.h"
#include "store/SystemLookups.h"

namespace qm::restore {

namespace {

using F = qm::store::ProjectField;
namespace mb = qm::ui::mb;

std::string tempFolder() { return qm::fs::appPath() + "\\Temp"; }

std::string lastThreeLower(const std::string& name)
{
    return qm::fs::foldCase(name.size() > 3 ? name.substr(name.size() - 3) : name);
}

// The files (not folders) of the Temp folder.
std::vector<std::string> tempFiles()
{
    std::vector<std::string> names;
    for (const qm::fs::FileEntry& e : qm::fs::listFolder(tempFolder()))
        if (!(e.attributes & qm::fs::attr::Directory))
            names.push_back(e.name);
    return names;
}

std::string entryList(const std::vector<std::string>& names)
{
    std::string list;
    for (const std::string& n : names)
        list += n + "\r\n";
    return list;
}

// The busy switch held for one operation of the window, when there is one.
std::optional<qm::app::BusySwitch::Operation> holdBusy(const ViewZipHost& host, qm::zip::PavikZip& zip)
{
    std::optional<qm::app::BusySwitch::Operation> op;
    if (host.busy)
        op.emplace(host.busy->begin([&zip] { zip.AbortRequested = true; }));
    return op;
}

} // namespace

ViewZip::ViewZip(qm::app::ProgramState& state, ViewZipView& view, ViewZipHost host, const qm::datetime::Clock& clock)
    : state_(state), view_(view), host_(std::move(host)), clock_(clock),
      log_(qm::store::AutobackLog::defaultPath())
{
    PavikZip1.addEventSink(this);
    PavikZip1.setYieldHook([this] { state_.ui().doEvents(); });
}

ViewZip::~ViewZip() { PavikZip1.removeEventSink(this); }

std::vector<std::string> ViewZip::selectedNames() const
{
    std::vector<std::string> names;
    for (const ViewZipEntry& e : view_.entries())
        if (e.selected)
            names.push_back(e.name);
    return names;
}

// Open's rule, which Extract follows too: the QMT password for a ".qmt"
// archive, the EXE password for an ".exe" one; otherwise the control keeps
// the password it has.
void ViewZip::setPassword()
{
    const qm::store::ProjectRecord& rec = state_.store.ProjectRecord(1);
    const std::string ending = lastThreeLower(ProjectName);
    std::optional<std::string> password;
    if (ending == "qmt")
        password = projectPassword(rec, false);
    if (!password && ending == "exe")
        password = projectPassword(rec, true);
    if (password)
        PavikZip1.Password = *password;
}

void ViewZip::Extract()
{
    qm::ui::UiServices& ui = state_.ui();
    try {
        const std::vector<std::string> names = selectedNames();
        if (names.empty() &&
            ui.msgBox("You have not selected any files to extract.\r\n\r\nClick 'Okay' to extract all files,\r\n"
                      "or 'Cancel' to abort operation.",
                      mb::OKCancel, "No files selected.") != mb::OK)
            return;

        // A caption that names a drive path (or a host path, on drive C:)
        // makes that drive's root current; otherwise the dialog starts with
        // the project's back-up folder as its current-folder text.
        const std::string caption = view_.caption();
        std::optional<std::string> Label3;
        if (caption.size() >= 12 && caption.compare(10, 2, ":\\") == 0)
            useDriveRoot(caption.substr(9, 1));
        else if (caption.starts_with("Viewing: /"))
            useDriveRoot("C");
        else
            Label3 = state_.store.ProjectRecord(1)[F::ZIPDefaultRestoreFromFolder];

        state_.ChosenFolder.clear();
        const ExtractTargetAnswer answer = view_.chooseExtractTarget(Label3);
        if (answer.folder) {
            SkipOptions = answer.SkipOptions.value_or(SkipOptions);
            DateOptions = answer.DateOptions.value_or(DateOptions);
            state_.ChosenFolder = *answer.folder;
        }
        if (state_.ChosenFolder.empty())
            return;

        qm::zip::PavikZip& z = PavikZip1;
        z.ArchivePath = ProjectName;
        z.ExtractFolder = state_.ChosenFolder;
        // Entries land in their folders, whatever an Open set before.
        z.KeepFolderNames = true;
        // Chosen rows name exactly themselves: with subfolders a row
        // "a.txt" would also take every "a.txt" further down.
        z.IncludeSubfolders = names.empty();
        z.FileMask = names.empty() ? "*" : entryList(names);
        z.SkipWhenExisting = SkipOptions == 1;
        z.SkipWhenMissing = SkipOptions == 2;
        z.SkipWhenOlderDate = DateOptions == 1;
        z.SkipWhenOlderVersion = DateOptions == 2;
        setPassword();

        view_.showProgressWatch(true);
        int result = 0;
        {
            auto extracting = holdBusy(host_, z);
            result = z.Extract();
        }
        view_.showProgressWatch(false);
        if (result != qm::zip::result::Ok)
            ui.msgBox(z.ErrorText(qm::zip::textkind::Result, result), mb::OKOnly);
        else
            ui.msgBox("Files unzipped successfully.", mb::OKOnly);
    } catch (const std::exception& e) {
        view_.showProgressWatch(false);
        qm::store::NormalPointer(ui);
        ui.msgBox(qm::app::errorLines(e), mb::OKOnly);
    }
}

void ViewZip::Delete()
{
    qm::ui::UiServices& ui = state_.ui();
    if (view_.spannedText() == "True") {
        qm::app::showError(ui, "This archive file was created using the span method.\r\n"
                               "Spanned back-ups cannot be updated in any way,\r\n"
                               "including deletion of files from the archive.\r\n"
                               "You can re-build the archive by deleting the original\r\n"
                               "and re-setting the archive span option to 'never' in the database.");
        return;
    }
    const std::vector<std::string> names = selectedNames();
    if (names.empty()) {
        ui.msgBox("You have not selected any files to delete.", mb::OKOnly);
        return;
    }
    qm::store::BusyPointer(ui);
    qm::zip::PavikZip& z = PavikZip1;
    z.FileMask = entryList(names);
    z.ArchivePath = ProjectName;
    z.UseTempArchive = true;
    z.TempArchiveFolder = tempFolder();
    z.IncludeSubfolders = false; // exactly the chosen entries, as Extract
    z.SpanMode = 0;
    int result = 0;
    {
        auto deleting = holdBusy(host_, z);
        result = z.Remove();
    }
    qm::store::NormalPointer(ui);
    if (result != qm::zip::result::Ok) {
        ui.msgBox("Unsuccessful. Error # " + signedText(result) + " occurred.", mb::OKOnly);
        return;
    }
    ui.msgBox("File(s) successfully deleted.", mb::OKOnly);
    // The window goes; the listing that shows the archive again runs from
    // the event loop once this window's work is over.
    auto relist = host_.relist;
    const std::string parent = ParentForm, command = strRunCommand;
    view_.unload();
    if (relist)
        ui.singleShot(0, [relist, parent, command] { relist(parent, command); });
}

void ViewZip::Open()
{
    qm::ui::UiServices& ui = state_.ui();
    const std::vector<std::string> names = selectedNames();
    if (names.empty())
        return;
    std::string name = names.back();
    try {
        if (!qm::zip::names::safeComponents(name)) {
            qm::app::showError(ui, "The entry " + name + " cannot be opened: its name leads out of the folder "
                                   "it would be extracted to.");
            return;
        }
        const std::string ending = lastThreeLower(name);
        if (!qm::fs::foldCase(name.substr(0, 6)).starts_with("readme") && (ending == "exe" || ending == "bat") &&
            ui.msgBox("File you have launched is an executable program or batch file.\r\n"
                      "There may be other files in the archive that the program needs\r\n"
                      "in order to function properly.\r\n\r\nDo you want to want to continue?",
                      mb::YesNo, "Executable File Selected") != mb::Yes)
            return;
        CheckWork();

        qm::store::BusyPointer(ui);
        qm::zip::PavikZip& z = PavikZip1;
        z.IncludeSubfolders = false;
        z.SkipWhenExisting = false;
        z.ExtractFolder = tempFolder();
        z.ArchivePath = ProjectName;
        z.FileMask = name;
        z.KeepFolderNames = false;
        setPassword();
        int result = 0;
        {
            auto extracting = holdBusy(host_, z);
            result = z.Extract();
        }
        if (result != qm::zip::result::Ok) {
            ui.msgBox(z.ErrorText(qm::zip::textkind::Result, result), mb::OKOnly);
            qm::store::NormalPointer(ui);
            return;
        }
        if (const std::vector<std::string> files = tempFiles(); !files.empty())
            name = files.front();
        openExtracted(name);
    } catch (const std::exception& e) {
        if (qm::app::errorNumber(e) == qm::rterr::FileNotFound) {
            ui.msgBox("The filename extension (" + (name.size() > 3 ? name.substr(name.size() - 3) : name) +
                          ") of " + name + "\r\nis not a registered file type in Windows.\r\n"
                          "You will have to extract the file\r\nfrom the Quillmate archive, then open it\r\n"
                          "from the application that created it.",
                      mb::OKOnly | mb::Critical, "Invalid file type");
            try {
                CheckWork();
            } catch (const std::exception&) {
            }
        } else {
            ui.msgBox(qm::app::errorLines(e, ""), mb::OKOnly);
        }
    }
    qm::store::NormalPointer(ui);
}

// Text files go to the text editor, which the window waits for; any other
// file to the program the desktop opens it with. Either gets the file as
// one argument; a file that nothing opened is reported.
void ViewZip::openExtracted(std::string name)
{
    const std::string path = tempFolder() + "\\" + name;
    const std::string ending = lastThreeLower(name);
    qm::store::NormalPointer(state_.ui());
    const int code =
        ending == "txt" || ending == "diz" || ending == "1st" || ending == "log"
            ? qm::store::runProgramAndWait(state_.launcher(), "Notepad.exe", {qm::fs::toNative(path).string()})
            : qm::store::StartDoc(state_.launcher(), path);
    qm::app::opened(state_.ui(), code, "The file", path);
}

void ViewZip::CheckWork()
{
    for (const std::string& file : tempFiles())
        qm::fs::deleteNamedFile(tempFolder() + "\\" + file);
}

SortOrder ViewZip::columnClick(const std::string& headerText)
{
    for (std::size_t i = 0; i < ViewZipColumns.size(); ++i)
        if (headerText == ViewZipColumns[i].caption)
            sort_.column = static_cast<int>(i);
    sort_.descending = !sort_.descending;
    return sort_;
}

// ---- The control's events

void ViewZip::PavikZip1_DiskRequest(int disk, bool& ready) { ready = qm::app::askForDisk(state_.ui(), disk); }

void ViewZip::PavikZip1_FileSkipped(const std::string& name, int reason)
{
    const std::string why = PavikZip1.ErrorText(qm::zip::textkind::Skip, reason);
    view_.setSkipped(name + ": \r\n" + why);
    if (ParentForm == "Form1")
        log_.event(clock_.now(), name + " skipped: " + why);
}

void ViewZip::PavikZip1_TotalProgress(int percent) { view_.setProgress(percent); }

void ViewZip::DiskRequest(int disk, bool& ready) { PavikZip1_DiskRequest(disk, ready); }
void ViewZip::FileSkipped(const std::string& name, const std::string&, const std::string&, int reason)
{
    PavikZip1_FileSkipped(name, reason);
}
void ViewZip::TotalProgress(int percent) { PavikZip1_TotalProgress(percent); }

} // namespace qm::restore
