#pragma once
// The ZIP manager's main window as its logic (ZipManager) sees it, and the
// results window that collects what the zip control reports during one
// operation.
#include "zipmanager/ZipListRow.h"

#include <memory>
#include <string>
#include <vector>

namespace qm::zip {
class PavikZip;
}

namespace qm::zipmanager {

// frmResults: lines collected during one operation, shown afterwards.
class ResultsWindow {
public:
    virtual ~ResultsWindow() = default;
    virtual void AddMessage(const std::string& line) = 0;
    virtual bool HasMessages() const = 0;
    // Shows the window modally; returns when the user has closed it.
    virtual void ShowModal() = 0;
};

class ZipManagerView {
public:
    virtual ~ZipManagerView() = default;
    virtual void setCaption(const std::string& caption) = 0;
    // lblStatusBar
    virtual void setStatus(const std::string& text) = 0;
    // prbGlobalProgress, 0..100
    virtual void setProgress(int percent) = 0;
    // The three top-level menus.
    virtual void setMenusEnabled(bool file, bool actions, bool help) = 0;
    // Busy: the Abort button enabled, the progress bar and its label shown.
    virtual void setBusyControls(bool busy) = 0;
    // "&Delete file(s)..."
    virtual void setRemoveEnabled(bool enabled) = 0;

    // lstMain
    virtual void clearRows() = 0;
    virtual void setListVisible(bool visible) = 0;
    // Adds a row at the 1-based position (past the end: appended).
    virtual void addRow(int position, const ZipListRow& row) = 0;
    // Every row, in order, with its selection.
    virtual std::vector<ZipListRow> rows() const = 0;

    // A new, empty results window.
    virtual std::unique_ptr<ResultsWindow> createResults() = 0;
    // The dialogs: each is created, shown through its ShowForm and destroyed;
    // the answer is ShowForm's result.
    virtual bool showAddFiles(qm::zip::PavikZip& zip) = 0;
    virtual bool showUnzip(qm::zip::PavikZip& zip, const std::vector<ZipListRow>& rows) = 0;
    virtual bool showOptions(qm::zip::PavikZip& zip) = 0;

    // The window closes now (the tool ends).
    virtual void closeWindow() = 0;
};

} // namespace qm::zipmanager
