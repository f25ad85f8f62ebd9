#include "zipmanager/ZipManager.h"

#include "platform/fs/FileOps.h"
#include "platform/fs/Paths.h"
#include "platform/fs/RtError.h"
#include "platform/fs/WinPath.h"
#include "platform/ui/UiServices.h"
#include "zipmanager/FileDialogs.h"
#include "zipmanager/ZipManagerText.h"

namespace qm::zipmanager {

namespace {

namespace op = qm::zip::operation;
namespace mb = qm::ui::mb;

// For the length of one build: a stub path that names no file is replaced
// by the stand-in of the program folder, and set back afterwards.
class StubStandIn {
public:
    explicit StubStandIn(qm::zip::PavikZip& z) : z_(z), kept_(z.SfxStubPath)
    {
        if (!kept_.empty())
            z_.SfxStubPath = stubForBuild(kept_, qm::fs::appPath());
    }
    ~StubStandIn() { z_.SfxStubPath = kept_; }
    StubStandIn(const StubStandIn&) = delete;
    StubStandIn& operator=(const StubStandIn&) = delete;

private:
    qm::zip::PavikZip& z_;
    std::string kept_;
};

} // namespace

// Marks the time a command of the window runs; a close asked for meanwhile
// is carried out when the outermost command ends.
class ZipManager::Command {
public:
    explicit Command(ZipManager& m) : m_(m) { ++m_.depth_; }
    ~Command()
    {
        if (--m_.depth_ == 0 && m_.closePending_) {
            m_.closePending_ = false;
            m_.view_.closeWindow();
        }
    }
    Command(const Command&) = delete;
    Command& operator=(const Command&) = delete;

private:
    ZipManager& m_;
};

std::string stubForBuild(const std::string& stubPath, const std::string& programFolder)
{
    if (stubPath.empty() || qm::fs::exists(stubPath))
        return stubPath;
    const std::string standIn = programFolder + "\\pvksfx32.bin";
    return qm::fs::exists(standIn) ? standIn : stubPath;
}

std::string archiveFromCommandLine(const std::string& argument)
{
    if (argument.empty() || qm::fs::driveLetter(argument) != '\0' || qm::fs::isUncPath(argument))
        return argument;
    return qm::fs::fromNative(argument);
}

ZipManager::ZipManager(qm::ui::UiServices& ui, FileDialogs& files, ZipManagerView& view)
    : ui_(ui), files_(files), view_(view)
{
    xZip.addEventSink(this);
    xZip.setYieldHook([this] { ui_.doEvents(); });
}

ZipManager::~ZipManager()
{
    xZip.setYieldHook({});
    xZip.removeEventSink(this);
}

// ---- Busy and idle

void ZipManager::DisableInterface()
{
    view_.setMenusEnabled(false, false, false);
    view_.setBusyControls(true);
}

void ZipManager::EnableInterface()
{
    view_.setMenusEnabled(true, !xZip.ArchivePath.empty(), true);
    view_.setBusyControls(false);
}

bool ZipManager::QueryUnload()
{
    if (!running())
        return true;
    xZip.AbortRequested = true;
    closePending_ = true;
    return false;
}

// ---- Listing

void ZipManager::Form_Load()
{
    Command command(*this);
    ListArchive();
}

void ZipManager::ListArchive()
{
    view_.clearRows();
    if (xZip.ArchivePath.empty()) {
        view_.setCaption(IdleCaption);
        EnableInterface();
        return;
    }
    DisableInterface();
    results_ = view_.createResults();
    xZip.FileMask.clear();
    view_.setListVisible(false);
    rowCounter_ = 0;
    const int result = xZip.ListEntries();
    view_.setListVisible(true);
    if (results_->HasMessages() && !closePending_)
        results_->ShowModal();
    results_.reset();
    const std::string path = xZip.ArchivePath;
    if (result == qm::zip::result::Ok || result == 526 || result == 527) {
        view_.setStatus(path + " opened.");
        view_.setCaption(path + " - " + IdleCaption);
    } else {
        view_.setStatus("Could not read " + path);
        xZip.ArchivePath.clear();
        view_.setCaption(IdleCaption);
    }
    EnableInterface();
}

void ZipManager::backTo(const std::string& archivePath)
{
    xZip.ArchivePath = archivePath;
    ListArchive();
}

// ---- File menu

void ZipManager::mnuFileNew_Click()
{
    Command command(*this);
    const std::string name = ShowFileDialog(files_, 1);
    if (name.empty())
        return;
    ListArchive();
    if (closePending_)
        return;
    const std::string previous = xZip.ArchivePath;
    xZip.ArchivePath = name;
    addFiles(previous);
}

void ZipManager::mnuFileOpen_Click()
{
    Command command(*this);
    const std::string name = ShowFileDialog(files_, 0);
    if (name.empty())
        return;
    xZip.ArchivePath = name;
    ListArchive();
}

void ZipManager::mnuFileSettings_Click() { view_.showOptions(xZip); }

void ZipManager::mnuFileExit_Click() { view_.closeWindow(); }

// ---- Actions menu

void ZipManager::mnuActions_Click()
{
    bool selected = false;
    for (const ZipListRow& row : view_.rows()) {
        if (row.Selected) {
            selected = true;
            break;
        }
    }
    view_.setRemoveEnabled(selected);
}

template <class Call>
void ZipManager::runWithResults(const char* status, Call call)
{
    DisableInterface();
    results_ = view_.createResults();
    if (status)
        view_.setStatus(status);
    call();
    if (!closePending_)
        results_->ShowModal();
    results_.reset();
    EnableInterface();
}

void ZipManager::mnuActionsAdd_Click()
{
    Command command(*this);
    addFiles(std::nullopt);
}

void ZipManager::addFiles(const std::optional<std::string>& replaced)
{
    const bool confirmed = view_.showAddFiles(xZip);
    if (closePending_)
        return;
    if (!confirmed) {
        if (replaced)
            backTo(*replaced);
        return;
    }
    // New on an existing name: the new archive takes the old file's place
    // only when it is whole, so the old one stays there until then (a
    // spanned archive's first disk keeps it until the set no longer needs
    // that disk). Anything else there (a read-only file, a link, a folder)
    // is deleted now, or refused with the reason.
    if (replaced && qm::fs::exists(xZip.ArchivePath)) {
        try {
            const int attributes = qm::fs::getAttributes(xZip.ArchivePath);
            if (attributes & (qm::fs::attr::ReadOnly | qm::fs::attr::Alias | qm::fs::attr::Directory))
                qm::fs::deleteFile(xZip.ArchivePath);
        } catch (const qm::RtError& e) {
            ui_.msgBox("The file " + xZip.ArchivePath + " could not be replaced:\r\n\r\n" + e.description,
                       mb::OKOnly | mb::Critical, "Error!");
            backTo(*replaced);
            return;
        }
    }
    runWithResults("Scanning files to zip...", [this, &replaced] {
        StubStandIn stub(xZip);
        xZip.Build(replaced.has_value());
    });
    if (!closePending_)
        ListArchive();
}

void ZipManager::mnuActionsExtract_Click()
{
    Command command(*this);
    if (!view_.showUnzip(xZip, view_.rows()) || closePending_)
        return;
    runWithResults("Reading zip file...", [this] { xZip.Extract(); });
}

bool ZipManager::ConfirmRemove()
{
    if (ui_.msgBox(RemoveQuestion, mb::OKCancel) != mb::OK)
        return false;
    xZip.IncludeSubfolders = false;
    xZip.FileMask = ListItemsToText(view_.rows(), true);
    return true;
}

void ZipManager::mnuActionsRemove_Click()
{
    Command command(*this);
    if (!ConfirmRemove())
        return;
    runWithResults(nullptr, [this] { xZip.Remove(); });
    if (!closePending_)
        ListArchive();
}

void ZipManager::mnuActionsTest_Click()
{
    Command command(*this);
    runWithResults(nullptr, [this] { xZip.Test(); });
}

void ZipManager::cmdAbort_Click() { xZip.AbortRequested = true; }

// ---- Events of the control

void ZipManager::addResult(const std::string& line)
{
    if (results_)
        results_->AddMessage(line);
}

void ZipManager::FileListed(const qm::zip::ListedEntry& entry)
{
    ++rowCounter_;
    view_.addRow(rowCounter_, listedRow(entry));
}

void ZipManager::DiskRequest(int disk, bool& ready)
{
    const std::string text = disk == 0 ? "This zip file is part of a multiple disks zip file. Please insert the "
                                         "last disk of the set."
                                       : "Please insert disk #" + std::to_string(disk);
    ready = ui_.msgBox(text, mb::OKCancel | mb::Information) == mb::OK;
}

void ZipManager::BeforeZip(const std::string& name, bool& skip)
{
    if (!skip)
        addResult("Zipping " + name);
}

void ZipManager::BeforeUnzip(const std::string& name, bool& skip)
{
    if (!skip)
        addResult("Unzipping " + name);
}

void ZipManager::BeforeRemove(const std::string& name) { addResult("Removing " + name); }

void ZipManager::BeforeTest(const std::string& name) { addResult("Testing " + name); }

void ZipManager::FileSkipped(const std::string& name, const std::string&, const std::string&, int reason)
{
    addResult("Skipping " + name + ": " + xZip.ErrorText(qm::zip::textkind::Skip, reason));
}

void ZipManager::FileProgress(const std::string& name, int percent)
{
    const std::string share = " (" + std::to_string(percent) + "%)";
    switch (xZip.CurrentOperation()) {
    case op::Zip: view_.setStatus("Zipping file " + name + share); break;
    case op::Unzip: view_.setStatus("Unzipping file " + name + share); break;
    case op::Test: view_.setStatus("Testing file " + name + share); break;
    case op::Remove: view_.setStatus("Removing file " + name); break;
    default: break;
    }
}

void ZipManager::TotalProgress(int percent) { view_.setProgress(percent); }

void ZipManager::ListingProgress(int percent)
{
    if (xZip.CurrentOperation() == op::List)
        view_.setProgress(percent);
}

void ZipManager::OperationDone(int result)
{
    const std::string text = xZip.ErrorText(qm::zip::textkind::Result, result);
    const char* what = nullptr;
    switch (xZip.CurrentOperation()) {
    case op::Zip: what = "Zipping"; break;
    case op::Unzip: what = "Unzipping"; break;
    case op::Remove: what = "Removing"; break;
    case op::Test: what = "Testing"; break;
    default: return;
    }
    addResult(std::string(what) + " completed: " + text);
    view_.setStatus(std::string(what) + " completed.");
}

void ZipManager::Warning(const std::string&, int code)
{
    addResult("Warning: " + xZip.ErrorText(qm::zip::textkind::Warning, code));
}

} // namespace qm::zipmanager
