#pragma once
// The ZIP manager's main window as its logic (zipmanager/ZipManager.h) sees
// it, for tests without a window: what it shows is kept as it is now, the
// rows' selection is set by the test, each results window shown is kept as
// its text, and the dialogs answer through the test's functions (Cancel
// when there is none).
//
//   FakeZipManagerView view;
//   view.onAddFiles = [](qm::zip::PavikZip& zip) { ...; return true; }; // "&Zip!"
//   ZipManager manager(ui, files, view);
#include "zipmanager/ZipManagerView.h"

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace qm::test {

struct FakeZipManagerView : qm::zipmanager::ZipManagerView {
    std::string caption, status;
    int progress = 0;
    bool fileMenu = true, actionsMenu = false, helpMenu = true; // as the window is designed
    bool busy = false;                                         // Abort enabled, progress shown
    bool removeEnabled = true;
    bool listVisible = true;
    std::vector<qm::zipmanager::ZipListRow> list;              // lstMain
    std::vector<std::string> results;                          // the text of each results window shown
    // Runs as a results window shows, with its text.
    std::function<void(const std::string&)> onResults;
    std::function<bool(qm::zip::PavikZip&)> onAddFiles;
    std::function<bool(qm::zip::PavikZip&, const std::vector<qm::zipmanager::ZipListRow>&)> onUnzip;
    std::function<bool(qm::zip::PavikZip&)> onOptions;
    std::vector<std::string> dialogs;                          // "AddFiles", "Unzip", "Options"
    int closes = 0;

    // The names of the rows, in order.
    std::vector<std::string> names() const
    {
        std::vector<std::string> out;
        for (const qm::zipmanager::ZipListRow& row : list)
            out.push_back(row.text());
        return out;
    }

    void setCaption(const std::string& text) override { caption = text; }
    void setStatus(const std::string& text) override { status = text; }
    void setProgress(int percent) override { progress = percent; }
    void setMenusEnabled(bool file, bool actions, bool help) override
    {
        fileMenu = file;
        actionsMenu = actions;
        helpMenu = help;
    }
    void setBusyControls(bool on) override { busy = on; }
    void setRemoveEnabled(bool enabled) override { removeEnabled = enabled; }
    void clearRows() override { list.clear(); }
    void setListVisible(bool visible) override { listVisible = visible; }
    void addRow(int position, const qm::zipmanager::ZipListRow& row) override
    {
        const std::size_t at = std::min<std::size_t>(position < 1 ? 0 : std::size_t(position - 1), list.size());
        list.insert(list.begin() + static_cast<std::ptrdiff_t>(at), row);
    }
    std::vector<qm::zipmanager::ZipListRow> rows() const override { return list; }

    std::unique_ptr<qm::zipmanager::ResultsWindow> createResults() override
    {
        return std::make_unique<Results>(*this);
    }
    bool showAddFiles(qm::zip::PavikZip& zip) override
    {
        dialogs.push_back("AddFiles");
        return onAddFiles && onAddFiles(zip);
    }
    bool showUnzip(qm::zip::PavikZip& zip, const std::vector<qm::zipmanager::ZipListRow>& rows) override
    {
        dialogs.push_back("Unzip");
        return onUnzip && onUnzip(zip, rows);
    }
    bool showOptions(qm::zip::PavikZip& zip) override
    {
        dialogs.push_back("Options");
        return onOptions && onOptions(zip);
    }
    void closeWindow() override { ++closes; }

private:
    // frmResults: its lines end CR LF, as the window's text does.
    struct Results : qm::zipmanager::ResultsWindow {
        explicit Results(FakeZipManagerView& view) : view_(view) {}
        void AddMessage(const std::string& line) override { text_ += line + "\r\n"; }
        bool HasMessages() const override { return !text_.empty(); }
        void ShowModal() override
        {
            view_.results.push_back(text_);
            if (view_.onResults)
                view_.onResults(text_);
        }
        FakeZipManagerView& view_;
        std::string text_;
    };
};

} // namespace qm::test
