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

#include <algorithm>
#include <cctype>
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
    void removeRow(int index) override
    {
        calls.push_back("removeRow " + std::to_string(index));
        if (index >= 0 && index < static_cast<int>(rows.size()))
            rows.erase(rows.begin() + index);
    }
    void appendRow(const std::vector<std::string>& cells) override
    {
        calls.push_back("appendRow " + (cells.empty() ? std::string() : cells[0]));
        rows.push_back(cells);
    }
    // Sorts by column 0 without regard to ASCII case, ascending.
    void sortByName() override
    {
        calls.push_back("sortByName");
        auto key = [](const std::vector<std::string>& row) {
            std::string k = row.empty() ? std::string() : row[0];
            for (char& c : k)
                c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            return k;
        };
        std::stable_sort(rows.begin(), rows.end(), [&](const auto& a, const auto& b) { return key(a) < key(b); });
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
    void unloadOtherWindows() override { calls.push_back("unloadOtherWindows"); }
    void endProgram() override { calls.push_back("endProgram"); }
};

} // namespace qm::test
