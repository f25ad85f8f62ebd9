#pragma once
// The record editor's logic opened on a project of a program folder of its
// own: a fake view records what the logic asks of the grid and holds the
// group buttons and the columns shown, a fake main window records what it
// asks of that, and scripted boxes and pickers answer.
#include "editor/CloneComment.h"
#include "editor/EditorView.h"
#include "editor/FileListEditor.h"
#include "editor/RecordEditor.h"
#include "editor/SlotEditor.h"

#include "app/ProgramState.h"

#include "FakeMainWindowView.h"
#include "FakeUiServices.h"
#include "FakeWindows.h"
#include "ProgramHome.h"

#include <algorithm>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace qm::editor::test {

struct FakeEditorView : EditorView {
    std::vector<std::string> calls;
    int context = 0;
    std::array<bool, EditorColumnCount + 1> visible{};
    std::array<bool, GroupCount> buttons{};
    void setItemCount(int n) override { calls.push_back("setItemCount " + std::to_string(n)); }
    void commitGridEdit() override { calls.push_back("commitGridEdit"); }
    void setColumnsVisible(std::span<const bool> on) override { std::copy(on.begin(), on.end(), visible.begin() + 1); }
    bool groupButton(int index) const override { return buttons.at(static_cast<std::size_t>(index)); }
    // As the page's container: one button of a page is on at most.
    void setGroupButton(int index, bool on) override
    {
        if (on)
            for (int g = 0; g < GroupCount; ++g)
                if ((g <= RequiredGroup) == (index <= RequiredGroup))
                    buttons.at(static_cast<std::size_t>(g)) = false;
        buttons.at(static_cast<std::size_t>(index)) = on;
    }
    bool reReadGrid() override
    {
        calls.push_back("reReadGrid");
        return true;
    }
    void repaintGrid() override { calls.push_back("repaintGrid"); }
    int helpContext() const override { return context; }
    void setHelpContext(int c) override { context = c; }
    void focusGrid() override { calls.push_back("focusGrid"); }
    void selectTab(int index) override { calls.push_back("selectTab " + std::to_string(index)); }
    void closeWindow() override { calls.push_back("closeWindow"); }
    void moveUp() override { calls.push_back("moveUp"); }
    // Frame2
    bool frame2 = false;
    bool locked = false;
    std::string text1;
    void showFrame2(bool visible) override { frame2 = visible; }
    std::string excludeText() const override { return text1; }
    void setExcludeText(const std::string& text) override { text1 = text; }
    void lockForFrame2(bool on) override { locked = on; }
};

// The editor's dialogs: each records that it was shown and hands its logic
// to the test's script, which acts as the user would.
struct FakeEditorDialogs : EditorDialogs {
    std::vector<std::string> shown; // "AddFiles", "CloneComment", "Extensions", "ProgramGroup", "OpenFile <title>"
    std::function<void(FileListEditor&)> onAddFiles;
    std::function<void(CloneComment&)> onCloneComment;
    std::function<void(SlotEditor&)> onSlots;
    std::optional<std::string> openFile; // the icon dialog's answer
    OpenFileRequest openFileRequest;
    void showAddFiles(FileListEditor& d) override
    {
        shown.push_back("AddFiles");
        if (onAddFiles)
            onAddFiles(d);
    }
    void showCloneComment(CloneComment& d) override
    {
        shown.push_back("CloneComment");
        if (onCloneComment)
            onCloneComment(d);
    }
    void showSlots(SlotEditor& d) override
    {
        shown.push_back(d.kind() == SlotKind::Extensions ? "Extensions" : "ProgramGroup");
        if (onSlots)
            onSlots(d);
    }
    std::optional<std::string> chooseOpenFile(const OpenFileRequest& request) override
    {
        shown.push_back("OpenFile " + request.title);
        openFileRequest = request;
        return openFile;
    }
};

class EditorFixture : public qm::test::ProgramHomeTest {
protected:
    EditorFixture() : ProgramHomeTest({"Projects", "Options", "Filelists"})
    {
        ui_.setUnscriptedResult(qm::ui::mb::OK);
        record_[F::ProjectName] = "Work";
        record_[F::UseTempFolder] = "yes";
        record_[F::ProjectFolder] = "C:\\data";
        record_[F::AutoBackupFormat] = "ZIP";
        record_[F::ZIPBackFile] = "work.qmt";
        record_[F::ZIPDefaultRestoreFromFolder] = "D:\\backups";
    }

    // The editor opened on Projects\<name> (written from record_ first).
    RecordEditor& open(const std::string& name, EditorOpening opening = {})
    {
        writeProject(name, record_);
        state_.store.CurrentProjectIni = win("Projects/" + name);
        editor_ = std::make_unique<RecordEditor>(state_, main_, view_, pickers_, dialogs_, opening);
        if (recordGroups_)
            editor_->selectGroup = [this](int g) { groups_.push_back(g); };
        editor_->Form_Load();
        return *editor_;
    }
    void list(const std::string& name) { qm::test::writeFile(native("Filelists/" + name), "C:\\a\r\n"); }
    bool listed(const std::string& name) { return std::filesystem::exists(native("Filelists/" + name)); }
    std::string listText(const std::string& name) { return qm::test::readFile(native("Filelists/" + name)); }
    void listOf(const std::string& name, const std::string& text)
    {
        qm::test::writeFile(native("Filelists/" + name), text);
    }

    qm::ui::FakeUiServices ui_;
    qm::app::ProgramState state_{ui_};
    qm::test::FakeMainWindowView main_;
    qm::test::FakePickerForms pickers_;
    FakeEditorView view_;
    FakeEditorDialogs dialogs_;
    qm::store::ProjectRecord record_;
    std::unique_ptr<RecordEditor> editor_;
    // Groups chosen by code are recorded in groups_ instead of being chosen.
    bool recordGroups_ = true;
    std::vector<int> groups_;
};

} // namespace qm::editor::test
