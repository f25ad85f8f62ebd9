// The main window's procedures without a window: a fake main window and
// fake window factories stand in for Form1 and the other windows.
#include "app/ProgramState.h"
#include "session/ArchiveKinds.h"
#include "session/BackupType.h"
#include "mainwindow/Procedures.h"
#include "restore/RestoreRun.h"
#include "FakeUiServices.h"

#include "FakeMainWindowView.h"
#include "FakeWindows.h"
#include "ProgramHome.h"

#include <algorithm>
#include <stdexcept>

using namespace qm::app;

namespace {

class ProceduresTest : public qm::test::ProgramHomeTest {
protected:
    ProceduresTest() { ui_.setUnscriptedResult(qm::ui::mb::OK); }

    qm::ui::FakeUiServices ui_;
    ProgramState state_{ui_};
    qm::test::FakeMainWindowView view_;
    qm::test::FakeWindows windows_;
    Procedures procs_{state_, view_, windows_.windows};
};

TEST_F(ProceduresTest, ProgramsThatCannotStartAreReported)
{
    procs_.Form_Load("", nullptr);
    state_.Form1.mRowCount = 4;
    dispatch(procs_, Command::BackupAllDue);
    ASSERT_EQ(ui_.boxes().size(), 1u);
    EXPECT_EQ(ui_.boxes()[0].title, "Error!");
    EXPECT_EQ(ui_.boxes()[0].icon, qm::ui::Icon::Critical);
    EXPECT_NE(ui_.boxes()[0].prompt.find("\\Nightwick.exe usemax"), std::string::npos);

    dispatch(procs_, Command::ZipManager);
    EXPECT_EQ(state_.Form1.mRowCount, 0);
    ASSERT_EQ(ui_.boxes().size(), 2u);
    EXPECT_NE(ui_.boxes()[1].prompt.find("\\glidepack.exe"), std::string::npos);

    dispatch(procs_, Command::Help);
    ASSERT_EQ(ui_.boxes().size(), 3u);
    EXPECT_NE(ui_.boxes()[2].prompt.find("Quillmate.html"), std::string::npos);
}

TEST_F(ProceduresTest, BackUpAllDueStartsTheRunnerWithoutWaiting)
{
    // A stand-in runner that records its arguments and runs until released:
    // it cannot have ended when the call returns, unless the call waited.
    const std::filesystem::path runner = native("Nightwick");
    qm::test::writeProgramUntilReleased(runner, native("release"), "echo \"$@\" > \"$(dirname \"$0\")/started\"",
                                        "touch \"$(dirname \"$0\")/ended\"");
    procs_.BackupAllDue();
    EXPECT_FALSE(std::filesystem::exists(native("ended"))) << "the runner was waited for";
    EXPECT_TRUE(ui_.boxes().empty());
    qm::test::writeFile(native("release"), "");
    EXPECT_TRUE(qm::test::eventually([&] { return std::filesystem::exists(native("ended")); }));
    EXPECT_EQ(qm::test::readFile(native("started")), "usemax\n");
}

TEST_F(ProceduresTest, ExitClosesEveryWindowThenEndsTheProgram)
{
    dispatch(procs_, Command::ExitProgram);
    EXPECT_EQ(view_.calls, (std::vector<std::string>{"unloadAllWindows", "endProgram"}));
}

TEST_F(ProceduresTest, TheDriveCommandsOpenTheirDialogs)
{
    dispatch(procs_, Command::NetworkMap);
    dispatch(procs_, Command::UnMapDrive);
    EXPECT_EQ(windows_.pickers.driveDialogs, (std::vector<std::string>{"frmNetworkMap", "frmUnMapDrive Form1"}));
    EXPECT_TRUE(ui_.boxes().empty());
}

TEST_F(ProceduresTest, TheListTimerRebuildsUnderTheBusyPointerAndReportsAFailure)
{
    bool busyMeanwhile = false;
    view_.onRebuild = [&] { busyMeanwhile = ui_.isBusy(); };
    procs_.Timer2_Timer();
    EXPECT_TRUE(busyMeanwhile);
    EXPECT_FALSE(ui_.isBusy());
    EXPECT_TRUE(ui_.boxes().empty());

    view_.onRebuild = [] { throw std::runtime_error("disk gone"); };
    procs_.Timer2_Timer();
    ASSERT_EQ(ui_.boxes().size(), 1u);
    EXPECT_FALSE(ui_.boxes()[0].busy);
    EXPECT_EQ(ui_.boxes()[0].prompt, "The project list could not be filled: disk gone");
    EXPECT_EQ(ui_.boxes()[0].title, "Error!");
    EXPECT_FALSE(ui_.isBusy());
}

TEST_F(ProceduresTest, TheCommandLineArchiveOpensInTheContentsWindowAndIsListed)
{
    // An archive of two files in a folder whose name has a blank, named on
    // the command line by its host path in quotes.
    makeSource("x", {{"a.txt", "alpha"}, {"b.txt", "beta"}});
    std::filesystem::create_directories(native("Back ups"));
    qm::zip::PavikZip zip;
    zip.SourceFolder = win("src-x");
    zip.ArchivePath = win("Back ups/x.qmt");
    ASSERT_EQ(zip.Build(), 0);
    const std::string argument = "\"" + native("Back ups/x.qmt").string() + "\"";

    state_.Form1.strRunCommand = argument;
    procs_.Timer1_Timer();
    EXPECT_EQ(windows_.restore.shown, std::vector<std::string>{"Viewing: " + argument});
    EXPECT_EQ(state_.Form1.ProjectName, win("Back ups/x.qmt"));
    ASSERT_EQ(windows_.restore.rows.size(), 2u);
    EXPECT_EQ(windows_.restore.rows[1].first, 2);
    EXPECT_EQ(windows_.restore.rows[1].second.name, "b.txt");
    EXPECT_EQ(state_.Form1.mRowCount, 2);
}

TEST_F(ProceduresTest, ExitDuringABackupStopsItAndExitsOnceItHasEnded)
{
    std::map<std::string, std::string> files;
    for (int i = 0; i < 50; ++i)
        files["f" + std::to_string(i)] = "x";
    makeSource("Home", files);
    std::filesystem::create_directories(native("out"));
    writeProject("Home", zipProject("Home"));
    view_.rows = {{"Home", "", "", "", "", ""}};
    view_.selected = {0};
    windows_.engine.onBackupType = [this](const auto&) {
        std::array<bool, qm::session::ArchiveKindCount> zip{true};
        qm::session::backupTypeOkay(state_.Form1, zip, false);
    };
    std::vector<std::string> callsAtExit;
    ui_.atDoEvents(10, [&] {
        dispatch(procs_, Command::ExitProgram);
        callsAtExit = view_.calls;
    });
    dispatch(procs_, Command::BackupArchive);
    // Exit came while the commands were off; nothing closed until the run ended.
    EXPECT_EQ(callsAtExit, std::vector<std::string>{"enableCommands off"});
    EXPECT_EQ(view_.calls, (std::vector<std::string>{"enableCommands off", "enableCommands on", "unloadAllWindows",
                                                     "endProgram"}));
    EXPECT_EQ(ui_.lastBox().prompt, "Back-up process aborted by user");
    EXPECT_FALSE(std::filesystem::exists(native("out/Home.qmt")));
    // Without a run, Exit does not wait.
    view_.calls.clear();
    dispatch(procs_, Command::ExitProgram);
    EXPECT_EQ(view_.calls, (std::vector<std::string>{"unloadAllWindows", "endProgram"}));
}

// Every operation that yields to the event loop does so under the one busy
// switch: at each of its yields the main window's commands are off, and
// they are on again when it has ended.
TEST_F(ProceduresTest, EveryOperationThatYieldsHoldsTheBusySwitchWhileItYields)
{
    std::map<std::string, std::string> files;
    for (int i = 0; i < 20; ++i)
        files["f" + std::to_string(i)] = std::string(2000, 'x');
    makeSource("Home", files);
    std::filesystem::create_directories(native("out"));
    std::filesystem::create_directories(native("databk"));
    for (const char* folder : {"Temp", "Options"})
        std::filesystem::create_directories(native(folder));
    for (const char* stub : {"pvksfxbz.bin", "pvksfx32.bin"})
        std::filesystem::copy_file(qm::test::programDir() / stub, native(stub));
    qm::store::ProjectRecord home = zipProject("Home");
    home[qm::store::ProjectField::SFXBackFile] = "Home.exe";
    writeProject("Home", home);
    for (int i = 0; i < 20; ++i) // for the data-file back-up to pack
        project("P" + std::to_string(i), {"[SOURCES]", "ProjectName=P" + std::to_string(i)});
    view_.rows = {{"Home", "", "", "", "", ""}};
    auto kind = [this](int index) {
        windows_.engine.onBackupType = [this, index](const auto&) {
            std::array<bool, qm::session::ArchiveKindCount> chosen{};
            chosen[static_cast<std::size_t>(index)] = true;
            qm::session::backupTypeOkay(state_.Form1, chosen, false);
        };
    };
    std::filesystem::create_directories(native("target"));
    windows_.restore.onRestore = [this](qm::restore::RestoreRun& run) {
        const qm::restore::RestoreLoad load = run.Form_Load();
        run.RestoreArchive({load.Label8, "", load.File1Path, "Home.qmt", win("target"), 0, std::nullopt});
    };
    struct Operation {
        std::string what;
        std::function<void()> run;
        std::string box; // what the last box says
    };
    const std::vector<Operation> operations = {
        {"QMT back-up", [&] { kind(0); dispatch(procs_, Command::BackupArchive); }, "Back-up operation su"},
        {"EXE back-up", [&] { kind(1); dispatch(procs_, Command::BackupArchive); }, "Back-up operation su"},
        {"data-file back-up",
         [&] {
             state_.store.UserOptionsRecord(1).ProjectINIBackupPath = win("databk");
             dispatch(procs_, Command::BackUpDB);
         },
         "Quillmate data files"},
        {"archive test", [&] { kind(0); dispatch(procs_, Command::TestArchive); }, "tests okay."},
        {"restore", [&] { kind(0); dispatch(procs_, Command::RestoreArchive); }, "Restore operation su"},
    };
    int yields = 0, yieldsWhileOn = 0;
    ui_.onDoEvents([&] {
        ++yields;
        yieldsWhileOn += procs_.busy().isOn() && !view_.commandsEnabled;
    });
    for (const Operation& op : operations) {
        yields = yieldsWhileOn = 0;
        view_.selected = {0};
        view_.calls.clear();
        op.run();
        EXPECT_GT(yields, 0) << op.what;
        EXPECT_EQ(yieldsWhileOn, yields) << op.what;
        EXPECT_FALSE(procs_.busy().isOn()) << op.what;
        EXPECT_TRUE(view_.commandsEnabled) << op.what;
        const auto off = std::find(view_.calls.rbegin(), view_.calls.rend(), "enableCommands off");
        EXPECT_NE(std::find(view_.calls.rbegin(), off, "enableCommands on"), off) << op.what;
        EXPECT_NE(ui_.lastBox().prompt.find(op.box), std::string::npos) << op.what;
    }
    EXPECT_TRUE(std::filesystem::exists(native("target/f7")));
}

} // namespace
