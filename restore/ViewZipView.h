#pragma once
// The archive contents window as its logic (restore/ViewZip.h) sees it.
#include "restore/ExtractTarget.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace qm::app {
class BusySwitch;
}

namespace qm::restore {

// A row of the list: the entry's name as stored (its text) and whether it
// is selected.
struct ViewZipEntry {
    std::string name;
    bool selected = false;
};

// What the window's operations ask of the form.
class ViewZipView {
public:
    virtual ~ViewZipView() = default;
    virtual std::string caption() const = 0;
    // Every row, in the order the rows were listed.
    virtual std::vector<ViewZipEntry> entries() const = 0;
    // Label10: "True" for an archive written in spanned mode.
    virtual std::string spannedText() const = 0;
    // Frame5, "Progress Watch", shown or hidden.
    virtual void showProgressWatch(bool shown) = 0;
    virtual void setProgress(int percent) = 0;            // vsElastic2
    virtual void setSkipped(const std::string& text) = 0; // SkippedTxt
    // ViewZipRestore, shown modally with "Overwrite all" and "No date
    // checks" selected and, when given, `Label3` as its current-folder text.
    virtual ExtractTargetAnswer chooseExtractTarget(const std::optional<std::string>& Label3) = 0;
    // The window closes (and the main window shows itself again).
    virtual void unload() = 0;
};

// What the window needs of the rest of the program: the busy switch its
// operations hold, and the listing that shows the archive afresh after a
// delete (ParentForm "Form1": the project's listing; otherwise the
// command-line listing of strRunCommand).
struct ViewZipHost {
    qm::app::BusySwitch* busy = nullptr;
    std::function<void(const std::string& ParentForm, const std::string& strRunCommand)> relist;
};

} // namespace qm::restore
