// The user options window's logic without a window: the Save decision over
// the store, the column buttons through scripted pickers, Close, and the
// card following a reload of the options.
#include "options/UserOptionsLogic.h"

#include "app/ProgramState.h"
#include "options/OptionsColumns.h"
#include "options/SaveOptions.h"

#include "FakeUiServices.h"
#include "FakeWindows.h"
#include "ProgramHome.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

using namespace qm::options;
namespace mb = qm::ui::mb;
using qm::pickers::FileAnswer;
using qm::pickers::FolderAnswer;

namespace {

struct FakeOptionsView : UserOptionsView {
    std::vector<std::string> calls;
    void selectTab(int index) override { calls.push_back("selectTab " + std::to_string(index)); }
    bool commitGrid() override
    {
        calls.push_back("commitGrid");
        return true;
    }
    void refreshGrid() override { calls.push_back("refreshGrid"); }
    void closeWindow() override { calls.push_back("closeWindow"); }
};

// Only what the options tab reaches; the scheduling tab has no scheduler here.
struct NoTasksView : TaskTabView {
    void clearTaskList() override {}
    void addTaskName(const std::string&) override {}
    void selectTaskEntry(int) override {}
    int selectedTaskEntry() const override { return -1; }
    void setText(TaskField, const std::string&) override {}
    std::string text(TaskField) const override { return {}; }
    void enableTaskButtons(bool) override {}
    void setAgentText(const std::string&) override {}
    void showNewTaskForm() override {}
    void showTriggersForm() override {}
};

class UserOptionsTest : public qm::test::ProgramHomeTest {
protected:
    UserOptionsTest() : ProgramHomeTest({"Options"}) { ui_.setUnscriptedResult(mb::OK); }

    qm::store::UserOptionsRecord& options() { return state_.store.UserOptionsRecord(1); }
    std::string file() { return qm::test::readFile(native("Options/User Options")); }
    bool saved() { return std::filesystem::exists(native("Options/User Options")); }
    // Save with WinAce answering `path` and `version`; counts the lookups.
    bool save(const std::string& path, const std::string& version)
    {
        return SaveOptions(state_.store, [&](std::string& p, std::string& v) {
            ++lookups_;
            p = path;
            v = version;
        });
    }
    UserOptionsLogic& window()
    {
        logic_ = std::make_unique<UserOptionsLogic>(state_, pickers_, view_, tasksView_,
                                                    [] { return ComPtr<IScheduler>(); }, TaskAgent{});
        logic_->Form_Load();
        return *logic_;
    }

    qm::ui::FakeUiServices ui_;
    qm::app::ProgramState state_{ui_};
    qm::test::FakePickerForms pickers_;
    FakeOptionsView view_;
    NoTasksView tasksView_;
    std::unique_ptr<UserOptionsLogic> logic_;
    int lookups_ = 0;
};

TEST_F(UserOptionsTest, AceNeedsWinAceAtVersionTwoElevenOrAnEmptyVersion)
{
    options().UserDefaultCompression = "ACE";
    EXPECT_FALSE(save("", "2.5"));
    EXPECT_EQ(ui_.lastBox().prompt, WinAceMissingMessage);
    EXPECT_EQ(ui_.lastBox().title, "Error!");
    EXPECT_EQ(ui_.lastBox().icon, qm::ui::Icon::Critical);
    EXPECT_FALSE(saved());

    for (const char* version : {"2.1", "abc", "2.10"}) {
        EXPECT_FALSE(save("C:\\WinAce\\winace.exe", version)) << version;
        EXPECT_EQ(ui_.lastBox().prompt, std::string("ACE compression requires WinAce version 2.11 or later.\r\n"
                                                     "Your installed version is ") + version);
        EXPECT_FALSE(saved()) << version;
    }
    for (const char* version : {"2.11", "", "3"}) {
        ui_.clearRecords();
        EXPECT_TRUE(save("C:\\WinAce\\winace.exe", version)) << version;
        EXPECT_EQ(ui_.lastBox().prompt, "User Options saved") << version;
    }
    EXPECT_NE(file().find("UserDefaultCompression=ACE\r\n"), std::string::npos);
}

TEST_F(UserOptionsTest, ZipOrNoDefaultCompressionSavesWithoutLookingWinAceUp)
{
    for (const char* format : {"ZIP", "", "ace"}) {
        options().UserDefaultCompression = format;
        EXPECT_TRUE(save("", "")) << format;
    }
    EXPECT_EQ(lookups_, 0);
    EXPECT_NE(file().find("UserDefaultCompression=ace\r\n"), std::string::npos);
}

TEST_F(UserOptionsTest, TemporaryFolderFollowsTheOptionOrIsTheProgramFoldersTemp)
{
    options().UserTempFolder = "";
    save("", "");
    EXPECT_EQ(state_.store.TempFolder, win("Temp"));
    // Also when the save is refused: the folder is taken first.
    options().UserTempFolder = "D:\\Scratch";
    options().UserDefaultCompression = "ACE";
    EXPECT_FALSE(save("", ""));
    EXPECT_EQ(state_.store.TempFolder, "D:\\Scratch");
}

TEST_F(UserOptionsTest, FailedSaveIsReportedAndKeepsTheEditsAndTheWindow)
{
    std::filesystem::remove_all(native("Options"));
    UserOptionsLogic& w = window();
    options().UserSplitSize = "730000";
    w.cmdSave_Click();
    EXPECT_EQ(view_.calls, (std::vector<std::string>{"selectTab 0", "commitGrid"}));
    EXPECT_EQ(ui_.lastBox().title, "Error!");
    EXPECT_EQ(ui_.lastBox().prompt.rfind("Error: 76. ", 0), 0u) << ui_.lastBox().prompt;
    EXPECT_EQ(options().UserSplitSize, "730000");
    EXPECT_EQ(w.CurrentForm, "UserOptions");
}

TEST_F(UserOptionsTest, OnlyTheFourPathColumnsOpenTheirPickersAsUserOptions)
{
    UserOptionsLogic& w = window();
    for (int column : {4, 5, 6, 7, 9, 10, 11})
        w.GridEX1_ColButtonClick(column);
    EXPECT_TRUE(pickers_.fileRequests.empty());
    EXPECT_TRUE(pickers_.folderRequests.empty());

    pickers_.files = {FileAnswer::okay({"C:\\bin\\zipper.exe"}), FileAnswer::okay({"C:\\bin\\fav.exe"})};
    pickers_.folders = {FolderAnswer::okay("D:\\Backups"), FolderAnswer::okay("C:\\tmp")};
    view_.calls.clear();
    for (int column : {1, 2, 3, 8})
        w.GridEX1_ColButtonClick(column);
    ASSERT_EQ(pickers_.fileRequests.size(), 2u);
    ASSERT_EQ(pickers_.folderRequests.size(), 2u);
    for (int i : {0, 1}) {
        EXPECT_EQ(pickers_.fileRequests[i].ParentForm, "UserOptions");
        EXPECT_EQ(pickers_.fileRequests[i].GridColumn, i + 1);
        EXPECT_EQ(pickers_.folderRequests[i].ParentForm, "UserOptions");
    }
    EXPECT_EQ(options().UserZIPShellPath, "C:\\bin\\zipper.exe");
    EXPECT_EQ(options().UserFavoriteAppPath, "C:\\bin\\fav.exe");
    EXPECT_EQ(options().ProjectINIBackupPath, "D:\\Backups");
    EXPECT_EQ(options().UserTempFolder, "C:\\tmp");
    EXPECT_EQ(view_.calls, std::vector<std::string>(4, "refreshGrid"));

    // Cancel writes nothing and the card stays as it is.
    view_.calls.clear();
    w.GridEX1_ColButtonClick(1);
    w.GridEX1_ColButtonClick(8);
    EXPECT_EQ(options().UserZIPShellPath, "C:\\bin\\zipper.exe");
    EXPECT_EQ(options().UserTempFolder, "C:\\tmp");
    EXPECT_TRUE(view_.calls.empty());
}

TEST_F(UserOptionsTest, CloseKeepsTheEditsUnsavedAndReloadsRefreshOnlyAnOpenCard)
{
    UserOptionsLogic& w = window();
    EXPECT_EQ(w.CurrentForm, "UserOptions");
    options().UserView = "42";
    state_.store.LoadUserOptions(); // the restore command, say: the card shows the file's values
    EXPECT_EQ(view_.calls.back(), "refreshGrid");
    EXPECT_EQ(options().UserView, "");

    options().UserView = "7";
    w.cmdClose_Click();
    EXPECT_EQ(view_.calls.back(), "closeWindow");
    EXPECT_EQ(w.CurrentForm, "");
    EXPECT_EQ(options().UserView, "7");
    EXPECT_FALSE(saved());
    w.Form_Unload();
    view_.calls.clear();
    state_.store.LoadUserOptions();
    EXPECT_TRUE(view_.calls.empty());
}

TEST_F(UserOptionsTest, CardColumnsShowTheirFieldsAndTheDefaultCompressionTakesColumnTen)
{
    OptionsRows rows(state_.store);
    for (int column = 1; column <= 10; ++column)
        rows.setValue(1, column, "v" + std::to_string(column));
    for (int field = 0; field < 10; ++field)
        EXPECT_EQ(options().field(field), "v" + std::to_string(field + 1));
    EXPECT_EQ(OptionsColumns[9].key, "DefaultCompressionFormat");
    rows.setValue(1, 11, "x");
    rows.setValue(2, 1, "x");
    EXPECT_EQ(rows.value(1, 11), "");
    EXPECT_EQ(rows.value(2, 1), "");
    EXPECT_EQ(options().UserZIPShellPath, "v1");
    EXPECT_TRUE(OptionsColumns[10].hidden);
}

// A value too long for the file is refused with a box that names the file
// it goes into: the user options, not a project.
TEST_F(UserOptionsTest, AnOverlongValueIsRefusedNamingTheUserOptionsFile)
{
    EXPECT_FALSE(window().GridEX1_BeforeColUpdate(3, "C:\\" + std::string(269, 'd')));
    ASSERT_EQ(ui_.boxes().size(), 1u);
    EXPECT_EQ(ui_.lastBox().title, "Error!");
    EXPECT_EQ(ui_.lastBox().prompt,
              "The field \"Data File Back-up Drive/Folder\" is too long to be saved: it takes 272 bytes, and the "
              "user options file keeps at most 255 bytes of a field (a plain letter, digit or sign takes one "
              "byte).\r\n\r\nPlease shorten it.");
}

TEST_F(UserOptionsTest, AgentInstallRunsTheProgramFoldersAgentAndGivesItsWords)
{
    AgentAnswer missing = systemTaskAgent().install();
    EXPECT_FALSE(missing.ok);
    EXPECT_EQ(missing.message.rfind("The scheduler agent could not be started", 0), 0u) << missing.message;

    std::filesystem::create_symlink(qm::test::programDir() / "quillmate-task-agent", native("quillmate-task-agent"));
    qm::test::TempDir empty("qm-nopath");
    qm::test::ScopedEnv path("PATH", empty.str());
    qm::test::ScopedEnv config("XDG_CONFIG_HOME", empty.str());
    const AgentAnswer none = systemTaskAgent().install();
    EXPECT_FALSE(none.ok);
    EXPECT_EQ(none.message, "no scheduler backend: install cron or run a systemd user session");
    EXPECT_FALSE(systemTaskAgent().installed());
}

} // namespace
