#pragma once
// A main window for procedures under test: a list of rows held as plain
// texts, a selection the test sets, and every call recorded in order
// ("rebuildList", "setCell 0 1 3/7/2026", "enableCommands off", ...).
//
//   FakeMainWindowView view;
//   view.rows = {{"Home", "", ...}, {"Work", ...}};
//   view.selected = {1};
//   procedures.BackupArchive();
//   EXPECT_EQ(view.rows[1][1], "3/7/2026 2:05:09 PM");
#include "app/MainWindowView.h"

#include <functional>
#include <string>
#include <vector>

namespace qm::test {

class FakeMainWindowView : public qm::app::MainWindowView {
public:
    std::vector<std::vector<std::string>> rows; // column texts of each row, in list order
    std::vector<int> selected;                   // indexes of the selected rows
    std::vector<std::string> calls;
    bool visible = true;
    bool closed = false;
    bool commandsEnabled = true;
    // What rebuildList does (the test fills `rows`); nothing by default.
    std::function<void()> onRebuild;

    std::vector<qm::app::ListRow> selectedRows() const override
    {
        std::vector<qm::app::ListRow> out;
        for (int i : selected)
            if (i >= 0 && i < static_cast<int>(rows.size()) && !rows[size_t(i)].empty())
                out.push_back({i, rows[size_t(i)][0]});
        return out;
    }
    int findRow(const std::string& text) const override
    {
        for (size_t i = 0; i < rows.size(); ++i)
            if (!rows[i].empty() && rows[i][0] == text)
                return static_cast<int>(i);
        return -1;
    }
    void setCell(int index, int column, const std::string& text) override
    {
        calls.push_back("setCell " + std::to_string(index) + " " + std::to_string(column) + " " + text);
        if (index >= 0 && index < static_cast<int>(rows.size()) && column >= 0)
            if (std::vector<std::string>& row = rows[size_t(index)]; column < static_cast<int>(row.size()))
                row[size_t(column)] = text;
    }
    void rebuildList() override
    {
        calls.push_back("rebuildList");
        if (onRebuild)
            onRebuild();
    }
    void repaintList() override { calls.push_back("repaintList"); }
    void enableCommands(bool enabled) override
    {
        commandsEnabled = enabled;
        calls.push_back(enabled ? "enableCommands on" : "enableCommands off");
    }
    void hideMainWindow() override
    {
        visible = false;
        calls.push_back("hideMainWindow");
    }
    void showMainWindow() override
    {
        if (!closed)
            visible = true;
        calls.push_back("showMainWindow");
    }
    void unloadAllWindows() override
    {
        closed = true;
        visible = false;
        calls.push_back("unloadAllWindows");
    }
    void endProgram() override { calls.push_back("endProgram"); }
};

} // namespace qm::test
