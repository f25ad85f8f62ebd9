#pragma once
// How the procedures show the windows of restore, test and archive viewing:
// through this interface, from app::Windows, so that they run and are
// tested without a display. The production implementation is
// restore/forms/QtRestoreForms.h.
#include "restore/ViewZipRow.h"

#include <string>

namespace qm::restore {

class RestoreForms {
public:
    virtual ~RestoreForms() = default;
    // frmViewZip, the archive contents window: one at a time, made when there
    // is none, shown not modal with the caption "Viewing: " & ArchivePath and
    // its strRunCommand and ProjectName set to ArchivePath (as given, quotes
    // and all). When it unloads the main window shows itself again.
    virtual void showContents(const std::string& ArchivePath) = 0;
    // A listed entry becomes the row at the 1-based position `index` of the
    // contents window (made, not shown, when there is none); its list stays
    // hidden while rows come in.
    virtual void addContentsRow(int index, const ViewZipRow& row) = 0;
};

} // namespace qm::restore
