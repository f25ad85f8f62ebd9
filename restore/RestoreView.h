#pragma once
// The restore dialog as its logic (restore/RestoreRun.h) sees it: what its
// load shows, what its controls hold when Restore is pressed, and what the
// run asks of it.
#include <optional>
#include <string>

namespace qm::store {
struct ProjectRecord;
}

namespace qm::restore {

// The file list's pattern.
inline constexpr const char* RestorePattern = "*.ace;*.qmt;*.exe;*.zip";

// The dialog's controls as its load sets them from the project record.
struct RestoreLoad {
    std::string txtTargetFolder;
    std::string Label4, Label5, Label6, Label8;
    std::string File1Path;          // the folder the file list shows
    int SkipOption = 0;             // the SkipOptions button on
    std::optional<int> DateOption;  // the DateOptions button on; none: no date rule
};
RestoreLoad restoreLoad(const qm::store::ProjectRecord& record);

// A click on an archive of the file list: true for an ACE archive (any
// case), whose restore honours neither the date rules nor "Skip if Not
// Exists": those controls are disabled while it is chosen.
bool isAceArchive(const std::string& fileName);

// What the dialog's controls hold when Restore is pressed.
struct RestoreChoice {
    std::string Label8;             // where the archive is taken from
    std::string networkKey;         // the selected node of tvwNetwork ("" none)
    std::string File1Path;          // the file list's folder
    std::string File1FileName;      // its selected file ("" none)
    std::string txtTargetFolder;
    int SkipOption = 0;
    std::optional<int> DateOption;
};

// What the run asks of the dialog.
class RestoreView {
public:
    virtual ~RestoreView() = default;
    virtual void setCaption(const std::string& text) = 0;
    // "Progress Watch": the choosing controls hidden, Frame5 shown.
    virtual void showProgressWatch() = 0;
    virtual void setProgress(int percent) = 0;             // vsElastic1
    virtual void setSkipped(const std::string& text) = 0;  // SkippedTxt
    // The dialog closes (the run brings the main window back itself).
    virtual void unload() = 0;
};

} // namespace qm::restore
