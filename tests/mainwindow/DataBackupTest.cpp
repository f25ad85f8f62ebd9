// BackUpDB and RestoreDB on a temporary program folder: the data backup made
// with the built stub and run headless, the stamp, and what RestoreDB starts.
#include "app/ProgramState.h"
#include "mainwindow/Procedures.h"

#include "FakeMainWindowView.h"
#include "FakeWindows.h"
#include "HeadlessSfx.h"
#include "ProgramHome.h"
#include "RecordingLauncher.h"

#include "platform/profile/Profile.h"
#include "sfxstub/ExitStatus.h"

using namespace qm::app;

namespace {

namespace stdfs = std::filesystem;

class DataBackupTest : public qm::test::ProgramHomeTest {
protected:
    DataBackupTest() : ProgramHomeTest({"Projects", "Options", "Temp", "databk"})
    {
        ui_.setUnscriptedResult(qm::ui::mb::OK);
        setBackupFolder(win("databk"));
        project("Home", {"[SOURCES]", "ProjectName=Home"});
        project("Work", {"[SOURCES]", "ProjectName=Work"});
        qm::test::writeFile(native("Projects/old/Archived"), "below Projects");
    }
    void setBackupFolder(const std::string& folder)
    {
        qm::test::writeFile(native("Options/User Options"),
                            "[USER OPTIONS]\r\nProjectINIBackupPath=" + folder + "\r\nUserLastINIBackup=earlier\r\n");
        state_.store.UserOptionsRecord(1).ProjectINIBackupPath = folder;
    }
    std::string stamp() const
    {
        return qm::profile::getString(native("Options/User Options"), "User Options", "UserLastINIBackup", "?");
    }

    qm::ui::FakeUiServices ui_;
    qm::test::RecordingLauncher launcher_;
    ProgramState state_{ui_, &launcher_};
    qm::test::FakeMainWindowView view_;
    qm::test::FakeWindows windows_;
    Procedures procs_{state_, view_, windows_.windows};
};

TEST_F(DataBackupTest, AMissingFolderIsExplained)
{
    for (const std::string& folder : {win("nowhere"), std::string()}) {
        setBackupFolder(folder);
        procs_.BackUpDB();
        EXPECT_EQ(ui_.lastBox().prompt,
                  "Folder does not exist as defined in the database.\r\nPlease insert disk containing folder " + folder +
                      "\r\nor click on User Options at the Quillmate main window\r\nand change the location of your "
                      "database backup.\r\n\r\nNOTE: You can also create a new directory\r\nthrough the options menu.");
        EXPECT_EQ(ui_.lastBox().title, "File not found!");
        EXPECT_EQ(ui_.lastBox().icon, qm::ui::Icon::Critical);
    }
    EXPECT_EQ(stamp(), "earlier");
}

TEST_F(DataBackupTest, TheBackupRestoresTheProjectFilesAndIsStampedAfterItsBox)
{
    // A project file readable by all (an older copy) comes back its owner's alone.
    stdfs::permissions(native("Projects/Work"), stdfs::perms(0644));
    // Without its stub the build fails: the control's text, no stamp.
    procs_.BackUpDB();
    qm::zip::PavikZip z;
    EXPECT_EQ(ui_.lastBox().prompt, z.ErrorText(0, qm::zip::result::SfxStubUnreadable));
    EXPECT_EQ(ui_.lastBox().title, "Quillmate");
    EXPECT_EQ(stamp(), "earlier");

    stdfs::copy_file(qm::test::programDir() / "pvksfxbz.bin", native("pvksfxbz.bin"));
    std::string stampWhileShown;
    ui_.answerWith([&](qm::ui::BoxRecord& box) {
        stampWhileShown = stamp();
        box.result = qm::ui::mb::OK;
    });
    procs_.BackUpDB();
    EXPECT_EQ(ui_.lastBox().prompt, "Quillmate data files backed up successfully to " + win("databk") +
                                        "\\QMBackupData.exe");
    EXPECT_EQ(ui_.lastBox().icon, qm::ui::Icon::None);
    EXPECT_EQ(stampWhileShown, "earlier");
    EXPECT_NE(stamp(), "earlier");
    EXPECT_EQ(state_.store.UserOptionsRecord(1).UserLastINIBackup, stamp());
    EXPECT_TRUE(view_.commandsEnabled);
    EXPECT_EQ(logText(), ""); // the data backup keeps no log of its own
    // The program holds every password in clear: its owner's alone, also over one readable by all.
    EXPECT_EQ(stdfs::status(native("databk/QMBackupData.exe")).permissions(), stdfs::perms(0700));
    stdfs::permissions(native("databk/QMBackupData.exe"), stdfs::perms(0755));
    procs_.BackUpDB();
    EXPECT_EQ(stdfs::status(native("databk/QMBackupData.exe")).permissions(), stdfs::perms(0700));

    const std::string home = projectText("Home");
    const std::string work = projectText("Work");
    stdfs::remove(native("Projects/Home"));
    stdfs::remove(native("Projects/Work"));
    stdfs::remove_all(native("Projects/old"));
    std::string out;
    qm::test::copyHeadlessSfx(native("databk/QMBackupData.exe"), native("databk/run.exe"));
    EXPECT_EQ(qm::sfxstub::resultOfExitStatus(qm::test::runSfx(native("databk/run.exe"), &out)), 0) << out;
    EXPECT_EQ(projectText("Home"), home);
    EXPECT_EQ(projectText("Work"), work);
    EXPECT_EQ(stdfs::status(native("Projects/Work")).permissions(), stdfs::perms(0600));
    EXPECT_FALSE(stdfs::exists(native("Projects/old"))); // files below Projects are left out
}

TEST_F(DataBackupTest, RestoreStartsTheFoundOrThePickedProgram)
{
    // A script stands in for the data backup program.
    const stdfs::path found = native("databk/QMBackupData.exe");
    qm::test::writeFile(found, "#!/bin/sh\nexit 0\n");
    stdfs::permissions(found, stdfs::perms::owner_all);
    procs_.RestoreDB();
    EXPECT_EQ(view_.calls,
              (std::vector<std::string>{"unloadOtherWindows", "enableCommands off", "enableCommands on"}));
    ASSERT_EQ(launcher_.starts.size(), 1u);
    EXPECT_EQ(launcher_.starts[0], std::vector<std::string>{found.string()});
    EXPECT_TRUE(windows_.pickers.fileRequests.empty());
    EXPECT_TRUE(ui_.boxes().empty());

    // Not there: the picker, then the file it gives; nothing after Cancel.
    setBackupFolder(win("nowhere"));
    stdfs::create_directories(native("elsewhere"));
    stdfs::rename(found, native("elsewhere/QMBackupData.exe"));
    windows_.pickers.files.push_back(qm::pickers::FileAnswer::okay({win("elsewhere") + "\\QMBackupData.exe"}));
    procs_.RestoreDB();
    ASSERT_EQ(windows_.pickers.fileRequests.size(), 1u);
    const qm::pickers::FileRequest& asked = windows_.pickers.fileRequests[0];
    EXPECT_EQ(asked.caption + "|" + asked.pattern + "|" + asked.ParentForm,
              "Navigate to folder containing QMBackupData.exe|QMBackupData.exe|Form1");
    ASSERT_EQ(launcher_.starts.size(), 2u);
    EXPECT_EQ(launcher_.starts[1], std::vector<std::string>{native("elsewhere/QMBackupData.exe").string()});
    EXPECT_EQ(state_.Form1.ProjectName, win("elsewhere") + "\\QMBackupData.exe");

    procs_.RestoreDB();
    EXPECT_EQ(ui_.lastBox().prompt, "Operation cancelled. Error in selecting folder.");
    EXPECT_EQ(ui_.lastBox().title + "|" + std::to_string(int(ui_.lastBox().icon)),
              "Error!|" + std::to_string(int(qm::ui::Icon::Information)));
    windows_.pickers.files.push_back(qm::pickers::FileAnswer::okay({win("elsewhere") + "\\gone.exe"}));
    procs_.RestoreDB();
    EXPECT_EQ(ui_.lastBox().prompt.substr(0, 18), "Error number: 53\r\n");
    EXPECT_EQ(ui_.lastBox().title, "Quillmate");
    EXPECT_EQ(launcher_.starts.size(), 2u);
}

TEST_F(DataBackupTest, RestoreWaitsForTheProgramThenLeavesTheDataFilesTheirOwnersAlone)
{
    // An older data backup, played by a script, puts the files back readable by all, and
    // one of them only after a while; a link in Projects is not followed.
    qm::test::writeFile(native("Options/My Data Defaults"), "[SOURCES]\r\n");
    qm::test::writeFile(native("elsewhere"), "not ours");
    stdfs::create_symlink(native("elsewhere"), native("Projects/Link"));
    const stdfs::path program = native("databk/QMBackupData.exe");
    qm::test::writeFile(program, "#!/bin/sh\ncd '" + native("").string() +
                                     "' && chmod 644 Projects/Home 'Options/User Options' 'Options/My Data Defaults' "
                                     "elsewhere\nsleep 0.3\necho '[SOURCES]' > Projects/Late && chmod 755 Projects/Late\n");
    stdfs::permissions(program, stdfs::perms::owner_all);
    ProgramState running{ui_};
    running.store.UserOptionsRecord(1).ProjectINIBackupPath = win("databk");
    Procedures procs{running, view_, windows_.windows};
    bool commandsOff = false;
    ui_.onDoEvents([&] { commandsOff = commandsOff || !view_.commandsEnabled; });
    procs.RestoreDB();
    EXPECT_TRUE(commandsOff);
    EXPECT_TRUE(view_.commandsEnabled);
    for (const char* file : {"Projects/Home", "Projects/Work", "Projects/Late", "Options/User Options",
                             "Options/My Data Defaults"})
        EXPECT_EQ(stdfs::status(native(file)).permissions(), stdfs::perms(0600)) << file;
    EXPECT_EQ(stdfs::status(native("elsewhere")).permissions(), stdfs::perms(0644));
    EXPECT_TRUE(ui_.boxes().empty());
}

} // namespace
