#pragma once
// Window factories for procedures under test: each records what it was
// asked to show, and the pickers answer from a script (nothing once the
// script is used up, as Cancel would). FakeWindows bundles them into the
// app::Windows the procedures take.
//
//   FakeWindows w;
//   w.pickers.folders.push_back(FolderAnswer::okay("F:\\Back ups")); // the next folder chosen
//   Procedures p(state, view, w.windows);
#include "app/Windows.h"
#include "editor/EditorForms.h"
#include "session/BackupType.h"
#include "engine/EngineForms.h"
#include "session/StatusView.h"
#include "options/OptionsForms.h"
#include "pickers/PickerForms.h"
#include "platform/zip/ZipEvents.h"
#include "restore/RestoreForms.h"

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace qm::test {

// The progress window: its texts as they are now, every call in order
// ("show", "unload", "caption <text>", "percent 100", ...), and the cancel
// action the owner gave (cancel() presses the window's Cancel).
struct FakeStatusView : qm::session::StatusView {
    std::vector<std::string> calls;
    bool visible = false;
    std::string caption, banner, archiveFile, filename, skipped = "(none)";
    int percent = 0;
    bool bannerSmall = false;
    std::function<void()> cancelAction;
    // Cancel as the window's button: the owner's action, then the window unloads.
    void cancel()
    {
        if (cancelAction)
            cancelAction();
        unload();
    }
    void show() override { visible = true; calls.push_back("show"); }
    void unload() override { visible = false; calls.push_back("unload"); }
    void setCaption(const std::string& t) override { caption = t; calls.push_back("caption " + t); }
    void setBanner(const std::string& t) override { banner = t; calls.push_back("banner " + t); }
    void setBannerSmall() override { bannerSmall = true; calls.push_back("bannerSmall"); }
    void setArchiveFile(const std::string& t) override { archiveFile = t; }
    void setFilename(const std::string& t) override { filename = t; }
    void setPercent(int p) override { percent = p; calls.push_back("percent " + std::to_string(p)); }
    void setSkipped(const std::string& t) override { skipped = t; calls.push_back("skipped " + t); }
    void onCancel(std::function<void()> c) override { cancelAction = std::move(c); }
};

// Answers are written into the program state by `onBackupType` and
// `onSplitSize`, as a user's choice would be.
struct FakeEngineForms : qm::engine::EngineForms {
    std::vector<std::string> shown; // "BackupType <frame caption>", "SplitSize <type> <parent>"
    std::function<void(const qm::session::BackupTypeSetup&)> onBackupType;
    std::function<bool(const std::string&)> onSplitSize;
    void showBackupType(const qm::session::BackupTypeSetup& setup) override
    {
        shown.push_back("BackupType " + setup.frameCaption);
        if (onBackupType)
            onBackupType(setup);
    }
    // Okay unless `onSplitSize` answers Cancel (false).
    bool showSplitSize(const std::string& ArchiveType, const std::string& ParentForm) override
    {
        shown.push_back("SplitSize " + ArchiveType + " " + ParentForm);
        return !onSplitSize || onSplitSize(ArchiveType);
    }
    FakeStatusView statusView;
    qm::session::StatusView& status() override { return statusView; }
};

// The restore dialog runs `onRestore` (which attaches a view to the run
// and presses its buttons); the contents window is a record of what it was
// asked to show.
struct FakeRestoreForms : qm::restore::RestoreForms {
    int restores = 0;                                 // restore dialogs shown
    std::function<void(qm::restore::RestoreRun&)> onRestore;
    std::vector<std::string> shown;                   // captions of the contents windows opened
    std::vector<qm::restore::ContentsOpening> openings;
    bool contentsOpen = false;
    int contentsUnloads = 0;
    std::vector<std::pair<int, qm::zip::ListedEntry>> rows; // entries listed since the last opening, with their index
    std::string comment;                              // lblDescription
    qm::session::ContentsSummary summary;             // Label1 to Label10
    bool listVisible = true;                          // ListView1
    std::vector<std::string> actionLogs;              // WinAceLocation of each action log shown
    // Runs before an action log shows; throwing stops it, as a missing log does.
    std::function<void(const std::string&)> onActionLog;
    void showRestore(qm::restore::RestoreRun& run) override
    {
        ++restores;
        if (onRestore)
            onRestore(run);
    }
    void showContents(const qm::restore::ContentsOpening& opening) override
    {
        shown.push_back(opening.caption);
        openings.push_back(opening);
        rows.clear();
        contentsOpen = true;
    }
    void unloadContents() override
    {
        contentsOpen = false;
        ++contentsUnloads;
    }
    bool contentsVisible() const override { return contentsOpen; }
    void addContentsRow(int index, const qm::zip::ListedEntry& entry) override
    {
        listVisible = false;
        rows.emplace_back(index, entry);
    }
    void setContentsComment(const std::string& text) override { comment = text; }
    void setContentsSummary(const qm::session::ContentsSummary& labels) override { summary = labels; }
    void showContentsList() override { listVisible = true; }
    void showActionLog(const std::string& WinAceLocation) override
    {
        if (onActionLog)
            onActionLog(WinAceLocation);
        actionLogs.push_back(WinAceLocation);
    }
};

// A picker answers Cancel once its script is used up.
struct FakePickerForms : qm::pickers::PickerForms {
    std::deque<qm::pickers::FolderAnswer> folders; // next answers of chooseTargetDir
    std::deque<qm::pickers::FileAnswer> files;     // next answers of chooseFile
    std::vector<qm::pickers::FolderRequest> folderRequests;
    std::vector<qm::pickers::FileRequest> fileRequests;
    qm::pickers::FolderAnswer chooseTargetDir(const qm::pickers::FolderRequest& request) override
    {
        folderRequests.push_back(request);
        return next(folders, qm::pickers::FolderAnswer::cancel());
    }
    qm::pickers::FileAnswer chooseFile(const qm::pickers::FileRequest& request) override
    {
        fileRequests.push_back(request);
        return next(files, qm::pickers::FileAnswer::cancel());
    }
    std::vector<std::string> driveDialogs; // "frmNetworkMap", "frmUnMapDrive <ParentForm>"
    qm::pickers::Ending showNetworkMap() override
    {
        driveDialogs.push_back("frmNetworkMap");
        return qm::pickers::Ending::Cancel;
    }
    qm::pickers::Ending showUnMapDrive(const std::string& ParentForm) override
    {
        driveDialogs.push_back("frmUnMapDrive " + ParentForm);
        return qm::pickers::Ending::Cancel;
    }

private:
    template <class A>
    static A next(std::deque<A>& answers, A cancel)
    {
        if (answers.empty())
            return cancel;
        A a = answers.front();
        answers.pop_front();
        return a;
    }
};

struct FakeEditorForms : qm::editor::EditorForms {
    std::vector<qm::editor::EditorOpening> openings;
    void showEditor(const qm::editor::EditorOpening& opening) override { openings.push_back(opening); }
};

struct FakeOptionsForms : qm::options::OptionsForms {
    std::vector<bool> openings; // modal or not, per opening
    void showUserOptions(bool modal) override { openings.push_back(modal); }
};

struct FakeWindows {
    FakeEngineForms engine;
    FakeRestoreForms restore;
    FakePickerForms pickers;
    FakeEditorForms editor;
    FakeOptionsForms options;
    qm::app::Windows windows{engine, restore, pickers, editor, options};
};

} // namespace qm::test
