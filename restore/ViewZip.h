#pragma once
// The archive contents window frmViewZip in plain C++: its public values,
// its own zip control with its events, and what its commands do: Extract
// (into a folder chosen in ViewZipRestore), Delete, Open (one entry, with
// the program that handles it), sorting by a column and CheckWork. The
// form (restore/forms/frmViewZip) shows the rows and hands them over
// through ViewZipView; the listing that fills them is the main window's.
//
// The entries an operation takes are the selected rows in the order they
// were listed, whatever order the list is sorted in on screen.
#include "platform/datetime/Clock.h"
#include "platform/zip/PavikZip.h"
#include "platform/zip/ZipEvents.h"
#include "restore/ViewZipView.h"
#include "store/AutobackLog.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace qm::app {
class BusySwitch;
class ProgramState;
} // namespace qm::app

namespace qm::restore {

// How the list is sorted after a click on a column header.
struct SortOrder {
    int column = 0;
    bool descending = false;
};

class ViewZip : private qm::zip::ZipEvents {
public:
    ViewZip(qm::app::ProgramState& state, ViewZipView& view, ViewZipHost host,
            const qm::datetime::Clock& clock = qm::datetime::systemClock());
    ~ViewZip() override;
    ViewZip(const ViewZip&) = delete;
    ViewZip& operator=(const ViewZip&) = delete;

    // ---- Public values
    std::string ProjectName;   // the archive shown (Windows form); every operation reads it
    int SkipOptions = 0;       // the target dialog's last overwrite choice
    int DateOptions = 0;       // and its last date choice
    std::string ParentForm;    // "Form1" when a project's listing opened the window
    std::string strRunCommand; // the command-line argument of a command-line listing

    // The window's own zip control; its settings last as long as the window.
    qm::zip::PavikZip PavikZip1;

    void Extract();
    void Delete();
    void Open();
    // The Temp folder of the program folder emptied of its files.
    void CheckWork();
    // A click on the header captioned `headerText`: that column (another
    // caption keeps the column) and the order flipped, one order for all.
    SortOrder columnClick(const std::string& headerText);

    // ---- The handlers of PavikZip1's events
    void PavikZip1_DiskRequest(int disk, bool& ready);
    void PavikZip1_FileSkipped(const std::string& name, int reason);
    void PavikZip1_TotalProgress(int percent);

private:
    std::vector<std::string> selectedNames() const;
    void setPassword();
    void openExtracted(std::string name);

    void DiskRequest(int disk, bool& ready) override;
    void FileSkipped(const std::string& name, const std::string& source, const std::string& target,
                     int reason) override;
    void TotalProgress(int percent) override;

    qm::app::ProgramState& state_;
    ViewZipView& view_;
    ViewZipHost host_;
    const qm::datetime::Clock& clock_;
    qm::store::AutobackLog log_;
    SortOrder sort_;
};

} // namespace qm::restore
