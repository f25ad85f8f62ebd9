// The record editor window's logic without a window: a fake view records
// what the logic asks of the grid, a fake main window what it asks of that.
#include "editor/RecordEditor.h"

#include "app/ProgramState.h"
#include "editor/EditorView.h"

#include "FakeMainWindowView.h"
#include "FakeWindows.h"
#include "FakeUiServices.h"
#include "ProgramHome.h"

#include <gtest/gtest.h>

using namespace qm::editor;
using qm::store::ProjectField;
namespace mb = qm::ui::mb;

namespace {

struct FakeEditorView : EditorView {
    std::vector<std::string> calls;
    int context = 0;
    std::array<bool, EditorColumnCount + 1> visible{};
    std::array<bool, GroupCount> buttons{};
    void setItemCount(int n) override { calls.push_back("setItemCount " + std::to_string(n)); }
    void commitGridEdit() override { calls.push_back("commitGridEdit"); }
    void setColumnVisible(int c, bool on) override { visible.at(static_cast<std::size_t>(c)) = on; }
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
    void reReadGrid() override { calls.push_back("reReadGrid"); }
    void repaintGrid() override { calls.push_back("repaintGrid"); }
    int helpContext() const override { return context; }
    void setHelpContext(int c) override { context = c; }
    void focusGrid() override { calls.push_back("focusGrid"); }
    void selectTab(int index) override { calls.push_back("selectTab " + std::to_string(index)); }
    void closeWindow() override { calls.push_back("closeWindow"); }
};

class RecordEditorTest : public qm::test::ProgramHomeTest {
protected:
    RecordEditorTest() : ProgramHomeTest({"Projects", "Options", "Filelists"})
    {
        ui_.setUnscriptedResult(mb::OK);
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
        editor_ = std::make_unique<RecordEditor>(state_, main_, view_, pickers_, opening);
        editor_->selectGroup = [this](int g) { groups_.push_back(g); };
        editor_->Form_Load();
        return *editor_;
    }
    void list(const std::string& name) { qm::test::writeFile(native("Filelists/" + name), "C:\\a\r\n"); }
    bool listed(const std::string& name) { return std::filesystem::exists(native("Filelists/" + name)); }

    qm::ui::FakeUiServices ui_;
    qm::app::ProgramState state_{ui_};
    qm::test::FakeMainWindowView main_;
    qm::test::FakePickerForms pickers_;
    FakeEditorView view_;
    qm::store::ProjectRecord record_;
    std::unique_ptr<RecordEditor> editor_;
    std::vector<int> groups_;
};

TEST_F(RecordEditorTest, LoadShowsTheRecordInAnEmptyGridAndActivationHidesTheMainWindow)
{
    record_[F::ZIPComments] = "weekly";
    state_.store.UserOptionsRecord(1).UserDefaultCompression = "ACE";
    RecordEditor& e = open("Work", {.AddMode = true});
    EXPECT_EQ(view_.calls, (std::vector<std::string>{"setItemCount 0", "setItemCount 1", "selectTab 1"}));
    EXPECT_EQ(state_.store.ProjectRecord(1)[F::ZIPComments], "weekly");
    EXPECT_TRUE(ui_.isBusy());
    e.Form_Activate();
    EXPECT_FALSE(ui_.isBusy());
    EXPECT_FALSE(main_.visible);
    e.Form_Unload();
    EXPECT_FALSE(e.AddMode);
    EXPECT_TRUE(main_.visible);

    view_.calls.clear();
    state_.store.UserOptionsRecord(1).UserDefaultCompression = "ZIP";
    open("Work");
    EXPECT_EQ(view_.calls.back(), "selectTab 0");
}

TEST_F(RecordEditorTest, OldVersionMessageComesASecondAfterLoadForAnOldRecordOnly)
{
    record_[F::UseTempFolder] = "";
    state_.store.UserOptionsRecord(1).UserView = " 7 ";
    open("Old");
    ui_.advance(999);
    EXPECT_TRUE(ui_.boxes().empty());
    ui_.advance(1);
    ASSERT_EQ(ui_.boxes().size(), 1u);
    EXPECT_EQ(ui_.boxes()[0].title, "Old Version");
    EXPECT_EQ(ui_.boxes()[0].icon, qm::ui::Icon::Information);
    EXPECT_EQ(ui_.boxes()[0].prompt, "This record apparently was created in\r\na previous version of Quillmate.\r\n\r\n"
                                     "Please enter a value in 'Use Temporary File Folder'\r\nand re-save the record.");
    EXPECT_EQ(groups_, (std::vector<int>{7, RequiredGroup}));
    EXPECT_EQ(ui_.fireTimers(), 0); // once only

    // A new record, and a record with the value, show nothing.
    groups_.clear();
    open("New", {.AddMode = true});
    ui_.fireTimers();
    record_[F::UseTempFolder] = "no";
    open("Current");
    ui_.fireTimers();
    EXPECT_EQ(ui_.boxes().size(), 1u);
    EXPECT_EQ(groups_, (std::vector<int>{7, 7}));
}

TEST_F(RecordEditorTest, UserViewThatIsNoGroupIsIgnoredAndAClosedEditorsTimerDoesNothing)
{
    for (const char* view : {"99", "43", "-1", "2.5", "x", ""}) {
        state_.store.UserOptionsRecord(1).UserView = view;
        open("Work");
        ui_.fireTimers();
        EXPECT_TRUE(groups_.empty()) << view;
    }
    state_.store.UserOptionsRecord(1).UserView = "42";
    open("Work").Form_Unload();
    record_[F::UseTempFolder] = "";
    open("Old");
    editor_.reset();
    ui_.fireTimers();
    EXPECT_TRUE(groups_.empty());
    EXPECT_TRUE(ui_.boxes().empty());
}

TEST_F(RecordEditorTest, CancelDeletesThisProjectsWorkingCopiesAndANewProjectsFile)
{
    for (const char* f : {"Work-ZIP-hold", "Work-ACEEXE-hold", "Work-ZIP", "Work-Old-ZIP-hold", "W*-ZIP"})
        list(f);
    record_[F::ProjectName] = "W*";
    open("W*", {.AddMode = true}).cmdClose_Click(); // taken literally: the lists of Work stay
    EXPECT_TRUE(listed("Work-ZIP-hold"));
    EXPECT_TRUE(listed("Work-ACEEXE-hold"));

    record_[F::ProjectName] = "Work";
    RecordEditor& e = open("Work", {.AddMode = true});
    e.cmdClose_Click();
    EXPECT_FALSE(std::filesystem::exists(native("Projects/Work")));
    EXPECT_FALSE(listed("Work-ZIP-hold"));
    EXPECT_FALSE(listed("Work-ACEEXE-hold"));
    EXPECT_TRUE(listed("Work-ZIP"));
    EXPECT_TRUE(listed("Work-Old-ZIP-hold"));
    EXPECT_EQ(view_.calls.back(), "closeWindow");
    EXPECT_EQ(state_.store.CurrentProjectIni, "");
    EXPECT_TRUE(ui_.boxes().empty());

    // An existing project keeps its file.
    list("Work-ACE-hold");
    open("Work").cmdClose_Click();
    EXPECT_TRUE(std::filesystem::exists(native("Projects/Work")));
    EXPECT_FALSE(listed("Work-ACE-hold"));
}

TEST_F(RecordEditorTest, CancelOnTheDefaultsRecordInAddModeDeletesNothing)
{
    record_[F::ProjectName] = "";
    list("-ZIP-hold");
    writeProject("../Options/My Data Defaults", record_);
    state_.store.CurrentProjectIni = qm::store::Store::defaultsPath();
    RecordEditor e(state_, main_, view_, pickers_, {.AddMode = true, .defaults = true});
    e.Form_Load();
    e.cmdClose_Click();
    EXPECT_TRUE(std::filesystem::exists(native("Options/My Data Defaults")));
    EXPECT_TRUE(listed("-ZIP-hold"));
}

TEST_F(RecordEditorTest, SaveWritesTheRecordAndBringsTheMainWindowBackOrKeepsTheEditorOpen)
{
    RecordEditor& e = open("Work");
    state_.store.ProjectRecord(1)[F::ZIPComments] = "typed";
    e.cmdSave_Click();
    EXPECT_EQ(view_.calls.at(3), "reReadGrid");
    ASSERT_EQ(ui_.boxes().size(), 1u);
    EXPECT_EQ(ui_.boxes()[0].title, "Success!");
    EXPECT_EQ(ui_.boxes()[0].prompt, "Project data saved successfully.");
    EXPECT_EQ(view_.calls.back(), "closeWindow");
    EXPECT_EQ(main_.calls.back(), "rebuildList");
    EXPECT_NE(projectText("Work").find("ZIPComments=typed\r\n"), std::string::npos);

    view_.calls.clear();
    state_.store.CurrentProjectIni = win("Missing/Work");
    e.cmdSave_Click();
    ASSERT_EQ(ui_.boxes().size(), 2u);
    EXPECT_EQ(ui_.boxes()[1].title, "Error!");
    EXPECT_EQ(ui_.boxes()[1].prompt.rfind("Error saving the data: \r\n\r\n", 0), 0u);
    EXPECT_EQ(view_.calls, (std::vector<std::string>{"reReadGrid"}));
    EXPECT_EQ(state_.store.ProjectRecord(1)[F::ZIPComments], "typed");
}

TEST_F(RecordEditorTest, HelpFollowsTheCurrentColumn)
{
    RecordEditor& e = open("Work");
    std::vector<int> opened;
    e.showHelp = [&](int c) { opened.push_back(c); };
    e.GridEX1_SelectionChange(50);
    e.GridEX1_SelectionChange(55); // no context of its own
    e.cmdHelp_Click();
    EXPECT_EQ(opened, std::vector<int>{3});
    EXPECT_EQ(view_.calls.back(), "focusGrid");
    e.GridEX1_AfterColEdit(7);
    EXPECT_EQ(view_.calls.back(), "repaintGrid");
}

} // namespace
