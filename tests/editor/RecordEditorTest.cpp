// The record editor window's logic without a window: a fake view records
// what the logic asks of the grid, a fake main window what it asks of that.
#include "editor/RecordEditor.h"

#include "EditorFixture.h"

#include <gtest/gtest.h>

using namespace qm::editor;
using qm::store::ProjectField;
namespace mb = qm::ui::mb;

namespace {

class RecordEditorTest : public qm::editor::test::EditorFixture {};

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
    RecordEditor e(state_, main_, view_, pickers_, dialogs_, {.AddMode = true, .defaults = true});
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

namespace {

// The columns the fake view shows.
std::vector<int> shown(const qm::editor::test::FakeEditorView& view)
{
    std::vector<int> out;
    for (int c = 1; c <= EditorColumnCount; ++c)
        if (view.visible[static_cast<std::size_t>(c)])
            out.push_back(c);
    return out;
}

TEST_F(RecordEditorTest, AGroupClickSwitchesTheOtherPageOffAndShowsItsColumnsOnly)
{
    RecordEditor& e = open("Work");
    // Nothing on: the design's visibility stays.
    view_.visible.fill(true);
    e.GetColumns();
    EXPECT_EQ(shown(view_).size(), 176u);

    ui_.clearRecords();
    view_.setGroupButton(RequiredGroup, true);
    e.Option1_Click(RequiredGroup);
    EXPECT_EQ(shown(view_), (std::vector<int>{1, 2, 3, 4, 132, 176}));
    EXPECT_EQ(ui_.events(), (std::vector<std::string>{"busy", "normal"}));

    // An ACE group after a QMT one: only the ACE button stays on.
    view_.setGroupButton(41, true);
    e.Option1_Click(41);
    EXPECT_FALSE(view_.buttons[RequiredGroup]);
    EXPECT_TRUE(view_.buttons[41]);
    EXPECT_EQ(shown(view_), (std::vector<int>{163, 164}));
    view_.setGroupButton(1, true);
    e.Option1_Click(1);
    EXPECT_FALSE(view_.buttons[41]);
    EXPECT_EQ(shown(view_).size(), 173u);
}

TEST_F(RecordEditorTest, TheStartUpGroupIsChosenAsAClickWouldChooseIt)
{
    recordGroups_ = false;
    state_.store.UserOptionsRecord(1).UserView = "8";
    open("Work");
    ui_.fireTimers();
    EXPECT_TRUE(view_.buttons[8]);
    EXPECT_EQ(shown(view_), (std::vector<int>{38, 39, 40, 41, 45}));

    // An old record then opens on "Required"; the hidden group 42 on its column.
    record_[F::UseTempFolder] = "";
    state_.store.UserOptionsRecord(1).UserView = "42";
    open("Old");
    ui_.fireTimers();
    EXPECT_TRUE(view_.buttons[RequiredGroup]);
    EXPECT_FALSE(view_.buttons[42]);
    EXPECT_EQ(shown(view_), (std::vector<int>{1, 2, 3, 4, 132, 176}));
    record_[F::UseTempFolder] = "yes";
    open("Work");
    ui_.fireTimers();
    EXPECT_EQ(shown(view_), std::vector<int>{165});
}

class InsertDefaultsTest : public RecordEditorTest {
protected:
    InsertDefaultsTest()
    {
        for (int f = 0; f < qm::store::ProjectFieldCount; ++f)
            record_.field(f) = "project " + std::to_string(f);
        record_[F::ZIPLastBackupDate] = "3/7/2026 2:05:09 PM";
    }
    std::string& field(F f) { return state_.store.ProjectRecord(1)[f]; }
};

TEST_F(InsertDefaultsTest, EveryFieldButThreeTakesTheDefaultsValue)
{
    qm::test::writeFile(native("Options/My Data Defaults"), "[Miscellaneous]\r\nZIPCompressionLevel=low\r\n"
                                                            "[Ace SFX]\r\nACESFXAVSignature=yes\r\n"
                                                            "[SOURCES]\r\nProjectName=Defaults\r\n"
                                                            "[Backup Options]\r\nAutoBackupFormat=ACE\r\n");
    RecordEditor& e = open("Work");
    field(F::SFXPasswordPromptMsg) = "prompt"; // never in a project file
    const std::string before = projectText("Work");
    ui_.answer(mb::No);
    e.cmdInsDefaults_Click();
    EXPECT_EQ(field(F::ZIPCompressionLevel), "project 43");
    EXPECT_EQ(ui_.boxes().size(), 1u);
    EXPECT_EQ(ui_.boxes()[0].prompt, "Do you want to overwrite the current values for project 0?");
    EXPECT_EQ(ui_.boxes()[0].title, "Warning!");
    EXPECT_EQ(ui_.boxes()[0].buttons, mb::YesNo);
    EXPECT_EQ(ui_.boxes()[0].icon, qm::ui::Icon::None);

    view_.calls.clear();
    ui_.answer(mb::Yes);
    e.cmdInsDefaults_Click();
    EXPECT_EQ(field(F::ZIPCompressionLevel), "low");
    EXPECT_EQ(field(F::ACESFXAVSignature), "yes");
    EXPECT_EQ(state_.store.ProjectRecord(1).field(175), "yes");
    int emptied = 0;
    for (int f = 0; f < qm::store::ProjectFieldCount; ++f)
        emptied += f != 167 && state_.store.ProjectRecord(1).field(f).empty();
    EXPECT_EQ(emptied, 173);
    EXPECT_EQ(field(F::ProjectName), "project 0");
    EXPECT_EQ(field(F::AutoBackupFormat), "project 177");
    EXPECT_EQ(field(F::ZIPLastBackupDate), "");
    EXPECT_EQ(field(F::SFXPasswordPromptMsg), "");
    EXPECT_EQ(view_.calls.back(), "reReadGrid");
    EXPECT_EQ(ui_.lastBox().title, "Default values insertion complete");
    EXPECT_EQ(ui_.lastBox().icon, qm::ui::Icon::Information);
    EXPECT_EQ(ui_.lastBox().prompt, "Defaults added succcessfully!\r\n\r\nClick the save button\r\n"
                                    "to store your new values permanently.\r\n\r\n"
                                    "If you get an error message, you will need\r\n"
                                    "to enter values in certain required fields as prompted.");
    EXPECT_EQ(projectText("Work"), before);
}

TEST_F(InsertDefaultsTest, AMissingDefaultsFileChangesNothing)
{
    RecordEditor& e = open("Work");
    ui_.answer(mb::Yes);
    e.cmdInsDefaults_Click();
    EXPECT_EQ(field(F::ZIPCompressionLevel), "project 43");
    EXPECT_EQ(ui_.lastBox().title, "Error!");
    EXPECT_EQ(ui_.lastBox().icon, qm::ui::Icon::Critical);
    EXPECT_EQ(ui_.lastBox().prompt.rfind("There was an error inserting the default values: \r\nFile not found", 0),
              0u);
}

TEST_F(RecordEditorTest, AFolderCellsButtonPutsTheChosenFolderIntoItsField)
{
    RecordEditor& e = open("Work");
    view_.calls.clear();
    pickers_.folders = {qm::pickers::FolderAnswer::okay("E:\\src"), qm::pickers::FolderAnswer::cancel(),
                        qm::pickers::FolderAnswer::okay("\\\\SRV\\x")};
    e.GridEX1_ColButtonClick(2);
    e.GridEX1_ColButtonClick(4);
    e.GridEX1_ColButtonClick(155);
    e.GridEX1_ColButtonClick(7); // no button
    ASSERT_EQ(pickers_.folderRequests.size(), 3u);
    EXPECT_EQ(pickers_.folderRequests[0].caption, "Choose Source Drive and/or Source Folder");
    EXPECT_EQ(pickers_.folderRequests[0].ParentForm, "frmData");
    EXPECT_EQ(pickers_.folderRequests[1].caption, "");
    const qm::store::ProjectRecord& r = state_.store.ProjectRecord(1);
    EXPECT_EQ(r[F::ProjectFolder], "E:\\src");
    EXPECT_EQ(r[F::ZIPDefaultRestoreFromFolder], "D:\\backups");
    EXPECT_EQ(r[F::ACESFXDefaultExtractFolder], "\\\\SRV\\x");
    EXPECT_EQ(view_.calls, (std::vector<std::string>{"commitGridEdit", "reReadGrid", "commitGridEdit",
                                                     "commitGridEdit", "reReadGrid"}));
}

} // namespace
