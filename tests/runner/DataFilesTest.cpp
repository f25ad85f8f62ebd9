// The run's data-file step with the real zip control: QMBackupData.exe made
// from the Projects folder, its log lines byte for byte, the two stamps, and
// the program run headless to put the project files back.
#include "HeadlessSfx.h"
#include "ProgramHome.h"

#include "platform/datetime/Clock.h"
#include "platform/profile/Profile.h"
#include "runner/Runner.h"
#include "sfxstub/ExitStatus.h"

namespace {

using qm::datetime::DateTime;
namespace stdfs = std::filesystem;

struct QuietView : qm::runner::RunnerView {
    std::function<void()> onProgress;
    void setCaption(const std::string&) override {}
    void setStatus(const std::string&) override {}
    void setProgress(const std::string&, int) override
    {
        if (onProgress)
            onProgress();
    }
    void unloadMainWindow() override {}
    void unloadAllWindows() override {}
    void endProcess() override {}
};

// The run without its ACE passes, which are not the subject here.
struct DataRunner : qm::runner::Runner {
    using Runner::Runner;
    void MakeAce() override {}
};

class DataFilesTest : public qm::test::RunnerHome {
protected:
    DataFilesTest()
    {
        stdfs::create_directories(native("databk"));
        // Two project files that are not due, and a folder below them.
        project("Home", {"[Backup Options]", "ZIPBackupOption=manual"});
        project("Work", {"[Backup Options]", "ZIPBackupOption=manual", "[SOURCES]", "ProjectName=Work"});
        qm::test::writeFile(native("Projects/old/Gone"), "kept below");
        view_.onProgress = [this] { clock_.advanceSeconds(60); }; // the build takes its time
    }
    void withStub()
    {
        stdfs::copy_file(qm::test::programDir() / "pvksfxbz.bin", native("pvksfxbz.bin"));
    }
    void options(const std::string& schedule = "7", const std::string& last = "2/28/2026 11:00:00 PM")
    {
        qm::test::writeFile(native("Options/User Options"),
                            "[USER OPTIONS]\r\nProjectINIBackupPath=" + win("databk") +
                                "\r\nUserBackINIOption=automatic\r\nUserBackINISchedule=" + schedule +
                                "\r\nUserLastINIBackup=" + last + "\r\n");
    }
    void run()
    {
        runner_.Form_Load({});
        runner_.Timer1_Timer();
    }
    std::string stamp() const
    {
        return qm::profile::getString(native("Options/User Options"), "User Options", "UserLastINIBackup", "?");
    }
    // Whether the data step wrote its opening line of 50 dashes.
    bool dataStepLogged() const
    {
        const std::vector<std::string> lines = logLines();
        return std::find(lines.begin(), lines.end(), dashes(50)) != lines.end();
    }

    qm::ui::FakeUiServices ui_;
    qm::datetime::FixedClock clock_{DateTime{2026, 3, 7, 14, 5, 9}};
    QuietView view_;
    DataRunner runner_{ui_, clock_, view_};
};

TEST_F(DataFilesTest, ADueBackupIsLoggedStampedTwiceAndRestoresTheProjects)
{
    withStub();
    options();
    const std::string home = projectText("Home");
    const std::string work = projectText("Work");
    run();
    const std::vector<std::string> lines = logLines();
    ASSERT_GE(lines.size(), 4u);
    const std::vector<std::string> tail(lines.end() - 4, lines.end());
    EXPECT_EQ(tail, (std::vector<std::string>{dashes(50), "<Now>\tBack-up Data Files operation started",
                                              "<Now>\tQuillmate data files backed up successfully to",
                                              "\t\t\t" + win("databk") + "\\QMBackupData.exe"}));
    // The second stamp, written after the build: later than the first.
    EXPECT_NE(stamp(), "3/7/2026 2:05:09 PM");
    EXPECT_TRUE(ui_.boxes().empty());
    EXPECT_EQ(stdfs::status(native("databk/QMBackupData.exe")).permissions(), stdfs::perms(0700));

    stdfs::remove(native("Projects/Home"));
    qm::test::writeFile(native("Projects/Work"), "changed");
    std::string out;
    qm::test::copyHeadlessSfx(native("databk/QMBackupData.exe"), native("databk/run.exe"));
    EXPECT_EQ(qm::sfxstub::resultOfExitStatus(qm::test::runSfx(native("databk/run.exe"), &out)), 0) << out;
    EXPECT_EQ(projectText("Home"), home);
    EXPECT_EQ(projectText("Work"), work);
}

TEST_F(DataFilesTest, AFailedBuildKeepsOnlyTheFirstStamp)
{
    options(); // no stub in the program folder: the control says why it cannot build
    run();
    qm::zip::PavikZip z;
    const std::vector<std::string> lines = logLines();
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(std::vector<std::string>(lines.end() - 3, lines.end()),
              (std::vector<std::string>{dashes(50), "<Now>\tBack-up Data Files operation started",
                                        "<Now>\t" + z.ErrorText(0, qm::zip::result::SfxStubUnreadable)}));
    EXPECT_EQ(stamp(), "3/7/2026 2:05:09 PM");
    EXPECT_FALSE(stdfs::exists(native("databk/QMBackupData.exe")));
    // The data files are no project: the run's status stays as its projects make it.
    EXPECT_TRUE(runner_.failures().empty());
    EXPECT_EQ(runner_.exitStatus(), 0);

    // An error raised during the build: its number and description, then 48 dashes.
    withStub();
    options();
    stdfs::remove(native("autoback.log"));
    view_.onProgress = [] { throw qm::RtError(70, "Permission denied: the window"); };
    DataRunner second{ui_, clock_, view_};
    second.Form_Load({});
    second.Timer1_Timer();
    const std::vector<std::string> raised = logLines();
    ASSERT_GE(raised.size(), 5u);
    EXPECT_EQ(std::vector<std::string>(raised.end() - 5, raised.end()),
              (std::vector<std::string>{dashes(50), "<Now>\tBack-up Data Files operation started", "<Now>\tError 70",
                                        "\t\t\tPermission denied: the window", dashes(48)}));
    EXPECT_TRUE(second.failures().empty());
    EXPECT_EQ(second.exitStatus(), 0);
}

TEST_F(DataFilesTest, WhenTheDataFilesAreDue)
{
    withStub();
    options("0", "");
    run();
    EXPECT_FALSE(dataStepLogged()); // a schedule of 0 days is never due
    EXPECT_EQ(stamp(), "");

    options("7", "");
    DataRunner second{ui_, clock_, view_};
    second.Form_Load({});
    second.Timer1_Timer();
    EXPECT_TRUE(dataStepLogged()); // never backed up: due
    EXPECT_TRUE(stdfs::exists(native("databk/QMBackupData.exe")));
}

} // namespace
