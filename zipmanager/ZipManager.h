#pragma once
// The ZIP manager's main window without the window: it owns the tool's one
// zip control, xZip, lists the archive named by its ArchivePath, runs the
// File and Actions commands and turns the control's events into status
// texts, progress and results lines. The window is reached through
// ZipManagerView, boxes through UiServices, file prompts through FileDialogs.
//
// While a command runs, a request to close the window (QueryUnload) asks the
// control to stop and is carried out once the control's method has returned:
// nothing is destroyed under a running call.
#include "platform/zip/PavikZip.h"
#include "platform/zip/ZipEvents.h"
#include "zipmanager/ZipManagerView.h"

#include <memory>
#include <optional>
#include <string>

namespace qm::ui {
class UiServices;
}

namespace qm::zipmanager {

class FileDialogs;

inline constexpr const char* IdleCaption = "Quillmate ZIP Manager";
inline constexpr const char* NoArchiveStatus = "No zip file currently opened.";
inline constexpr const char* RemoveQuestion =
    "The selected file(s) will be removed from the zip file. Continue?";

class ZipManager : public qm::zip::ZipEvents {
public:
    ZipManager(qm::ui::UiServices& ui, FileDialogs& files, ZipManagerView& view);
    ~ZipManager() override;
    ZipManager(const ZipManager&) = delete;
    ZipManager& operator=(const ZipManager&) = delete;

    qm::zip::PavikZip xZip;

    // ---- The window's handlers
    // The window loads: the archive named by xZip.ArchivePath (if any) is listed.
    void Form_Load();
    void mnuFileNew_Click();
    void mnuFileOpen_Click();
    void mnuFileSettings_Click();
    // "C&lose" and the Close button.
    void mnuFileExit_Click();
    // The Actions menu opens: Delete is enabled when a row is selected.
    void mnuActions_Click();
    void mnuActionsAdd_Click();
    void mnuActionsExtract_Click();
    void mnuActionsRemove_Click();
    void mnuActionsTest_Click();
    void cmdAbort_Click();
    // The window is about to close: true when it may close now; false while a
    // command runs (the control is asked to stop; the window closes after).
    bool QueryUnload();

    void DisableInterface();
    void EnableInterface();
    bool running() const { return depth_ > 0; }

private:
    class Command;

    void ListArchive();
    bool ConfirmRemove();
    // Add; `replaced` is set when File New chose the name: the archive path
    // that was open before, to go back to when nothing is added.
    void addFiles(const std::optional<std::string>& replaced);
    // One control call in the busy state, its results shown afterwards.
    template <class Call>
    void runWithResults(const char* status, Call call);
    void addResult(const std::string& line);
    void backTo(const std::string& archivePath);

public:
    // ---- Events of the control (xZip's sink)
    void FileListed(const qm::zip::ListedEntry& entry) override;
    void DiskRequest(int disk, bool& ready) override;
    void BeforeZip(const std::string& name, bool& skip) override;
    void BeforeUnzip(const std::string& name, bool& skip) override;
    void BeforeRemove(const std::string& name) override;
    void BeforeTest(const std::string& name) override;
    void FileSkipped(const std::string& name, const std::string& source, const std::string& target,
                     int reason) override;
    void FileProgress(const std::string& name, int percent) override;
    void TotalProgress(int percent) override;
    void OperationDone(int result) override;
    void Warning(const std::string& name, int code) override;
    void ListingProgress(int percent) override;

private:
    qm::ui::UiServices& ui_;
    FileDialogs& files_;
    ZipManagerView& view_;
    std::unique_ptr<ResultsWindow> results_;
    int rowCounter_ = 0;
    int depth_ = 0;
    bool closePending_ = false;
};

// The stub a self-extractor build uses: `stubPath` when a file is there,
// else the program folder's pvksfx32.bin when that exists, else `stubPath`.
std::string stubForBuild(const std::string& stubPath, const std::string& programFolder);

// The archive named on the tool's command line, in Windows form: a drive or
// network path as given, a host path (absolute or from the current folder)
// through the drive table.
std::string archiveFromCommandLine(const std::string& argument);

} // namespace qm::zipmanager
