// The runner's ACE pass without a window: due projects archived by the
// WinAce stand-in (installed in this test program's registry), the log's
// lines byte for byte and the stamps, with a scripted UI and a set clock.
#include "ProgramHome.h"
#include "RunFailures.h"

#include "platform/datetime/Clock.h"
#include "platform/fs/CurrentFolder.h"
#include "platform/profile/Profile.h"
#include "runner/Runner.h"

#include "WinAceStandIn.h"

namespace {

using qm::datetime::DateTime;

struct QuietView : qm::runner::RunnerView {
    void setCaption(const std::string&) override {}
    void setStatus(const std::string&) override {}
    void setProgress(const std::string&, int) override {}
    void unloadMainWindow() override {}
    void unloadAllWindows() override {}
    void endProcess() override { ended = true; }
    bool ended = false;
};

using qm::test::failed;

class AcePassTest : public qm::test::RunnerHome {
protected:
    AcePassTest()
    {
        runner_.winAceLookup = [this](std::string& path, std::string& version) {
            path = winace_;
            version = "2.11";
        };
    }
    ~AcePassTest() override { qm::fs::ChDir(qm::fs::fromNative(cwd_)); }

    // A due ACE project (ProgramHome's aceProject) and its source.
    void addProject(const std::string& name, const std::function<void(qm::store::ProjectRecord&)>& edit = {})
    {
        makeSource(name, {{"a.txt", "alpha " + name}, {"sub/b.txt", "beta"}});
        qm::store::ProjectRecord r = aceProject(name);
        if (edit)
            edit(r);
        writeProject(name, r);
    }
    std::string key(const std::string& project, const std::string& section, const std::string& k) const
    {
        return qm::profile::getString(native("Projects/" + project), section, k, "?");
    }
    void pass()
    {
        runner_.Form_Load({});
        runner_.MakeAce();
    }
    static std::vector<std::string> summary(int due, int done)
    {
        return {"<Now>\tEnd of ACE back up operations", "<Now>\tSummary:",
                "\t\t\t" + std::to_string(due) + "\tProjects due for back-up",
                "\t\t\t" + std::to_string(done) + "\tProjects successfully backed up", dashes()};
    }

    std::filesystem::path cwd_ = std::filesystem::current_path();
    std::string winace_ = qm::test::installWinAce(home_.path());
    qm::ui::FakeUiServices ui_;
    qm::datetime::FixedClock clock_{DateTime{2026, 3, 7, 14, 5, 9}};
    QuietView view_;
    qm::runner::Runner runner_{ui_, clock_, view_};
};

TEST_F(AcePassTest, NoProjectFilesAtAll)
{
    pass();
    EXPECT_EQ(logLines(), (std::vector<std::string>{"<Now>\tNo ACE files found to process", dashes(),
                                                    "<Now>\tQuillmate automated back up operation started ",
                                                    "<Now>\tNo ACE records due for back up", dashes()}));
}

TEST_F(AcePassTest, SwitchesListClausesMissingFoldersAndFailuresAreLoggedAndStamped)
{
    addProject("A1", [](auto& r) {
        r[F::ACEFilesToProcess] = "(list)";
        r[F::ACEUseComments] = "yes";
        r[F::ACEComments] = "Nightly";
        r[F::ACEUsePassword] = "yes";
        r[F::ACEDefaultPassword] = "two  blanks";
    });
    qm::test::writeFile(native("Filelists/A1-ACE"), "a.txt\r\n");
    addProject("B2", [this](auto& r) { r[F::ACEDefaultRestoreFromFolder] = win("gone"); });
    addProject("C3", [](auto& r) { r[F::ACEFilesToProcess] = "(list)"; }); // its list is missing
    addProject("D4", [](auto& r) { r[F::ACEBackupOption] = "Automatic"; });  // not due
    pass();

    const std::string out = win("out");
    std::vector<std::string> expected{"<Now>\tQuillmate automated back up operation started ", "<Now>\tA1",
                                      "\t\t\tsuccessfully backed up to " + out,
                                      "<Now>\tError locating ACE either Source or Target folder",
                                      "<Now>\tWinAce ended with exit code 2"};
    for (const std::string& l : summary(3, 1))
        expected.push_back(l);
    EXPECT_EQ(logLines(), expected);
    EXPECT_FALSE(std::filesystem::exists(native("Temp/comment.txt")));
    // The log's line names no folder; the failure names the one missing.
    const std::vector<std::string> failures{"B2: Target folder (" + win("gone") + ") not found or drive not ready",
                                            "C3: WinAce ended with exit code 2"};
    EXPECT_EQ(failed(runner_), failures);

    // A1: both sections; B2: nothing; C3: only the attempt.
    const std::string now = "3/7/2026 2:05:09 PM";
    EXPECT_EQ(key("A1", "ACE Files and Folders", "ACELastBackupDate"), now);
    EXPECT_EQ(key("A1", "ACE Files and Folders", "ACELastBackupFolder"), out);
    EXPECT_EQ(key("A1", "ACE Backup Options", "ACELastBackupDate"), now);
    EXPECT_EQ(key("B2", "ACE Backup Options", "ACELastBackupDate"), "");
    EXPECT_EQ(key("C3", "ACE Files and Folders", "ACELastBackupDate"), "?");
    EXPECT_EQ(key("C3", "ACE Backup Options", "ACELastBackupDate"), now);

    // A1's archive: only the listed file, the comment, the password with its blanks.
    std::string peer;
    ASSERT_EQ(qm::test::runCommand({"python3", "-c",
                                    "import sys, zipfile\n"
                                    "z = zipfile.ZipFile(sys.argv[1])\n"
                                    "print(z.namelist(), z.comment.decode(), z.read('a.txt', pwd=b'two  blanks').decode())",
                                    native("out/A1.ace").string()},
                                   &peer),
              0);
    EXPECT_EQ(peer, "['a.txt'] Nightly alpha A1\n");

    // The second pass tries again only what did not succeed.
    std::filesystem::remove(native("autoback.log"));
    runner_.MakeAce();
    ASSERT_EQ(logLines().size(), 8u);
    EXPECT_EQ(logLines()[1], "<Now>\tError locating ACE either Source or Target folder");
    EXPECT_EQ(logLines()[2], "<Now>\tWinAce ended with exit code 2");
    EXPECT_EQ(logLines()[5], "\t\t\t2\tProjects due for back-up");
    // Failed in both passes: still one failure each.
    EXPECT_EQ(failed(runner_), failures);
    EXPECT_EQ(runner_.exitStatus(), 1);
}

TEST_F(AcePassTest, WithoutWinAceTheFailureLineAndOnlyTheAttemptsStamp)
{
    addProject("Home");
    const std::string before = projectText("Home");
    runner_.winAceLookup = [](std::string& path, std::string& version) {
        path = "C:\\nowhere\\WinAce";
        version = "2.10"; // too old: not used
    };
    pass();
    std::vector<std::string> expected{"<Now>\tQuillmate automated back up operation started ",
                                      "<Now>\tWinAce could not be started: "};
    for (const std::string& l : summary(1, 0))
        expected.push_back(l);
    EXPECT_EQ(logLines(), expected);
    EXPECT_EQ(key("Home", "ACE Files and Folders", "ACELastBackupDate"), "?");
    std::string stamped = before;
    const std::string line = "ACELastBackupDate=\r\n";
    stamped.replace(stamped.find(line), line.size(), "ACELastBackupDate=3/7/2026 2:05:09 PM\r\n");
    EXPECT_EQ(projectText("Home"), stamped);
    EXPECT_TRUE(ui_.boxes().empty());
    EXPECT_EQ(failed(runner_), std::vector<std::string>{"Home: WinAce could not be started: "});
    EXPECT_EQ(runner_.exitStatus(), 1);

    // WinAce is there for the second pass: the project is backed up after all.
    runner_.state.Form1.WinAceLocation = winace_;
    runner_.MakeAce();
    EXPECT_EQ(key("Home", "ACE Files and Folders", "ACELastBackupDate"), "3/7/2026 2:05:09 PM");
    EXPECT_TRUE(runner_.failures().empty());
    EXPECT_EQ(runner_.exitStatus(), 0);
}

// WinAce that fills the disk fails as a ZIP backup onto a full disk does:
// its exit code, then the disk-full line; the old archive stays.
TEST_F(AcePassTest, AFullDiskDuringWinAcesRunIsLoggedAsOne)
{
    addProject("Home");
    pass();
    const std::string old = qm::test::readFile(native("out/Home.ace"));
    std::string big(300000, '\0');
    uint32_t x = 7;
    for (char& c : big)
        c = char((x = x * 1103515245u + 12345u) >> 24); // does not shrink
    makeSource("Home", {{"big.bin", big}});
    writeProject("Home", aceProject("Home")); // due again
    const size_t before = logLines().size();
    {
        qm::test::FileSizeLimit limit(old.size() + 20000);
        pass();
    }
    const std::vector<std::string> lines = logLines();
    ASSERT_GE(lines.size(), before + 3);
    EXPECT_EQ(lines[before + 1], "<Now>\tWinAce ended with exit code 3");
    EXPECT_EQ(lines[before + 2], std::string("<Now>\t") + qm::runner::DiskFullLine);
    EXPECT_EQ(qm::test::readFile(native("out/Home.ace")), old);
}

TEST_F(AcePassTest, QuitBetweenProjectsEndsTheRun)
{
    addProject("First");
    addProject("Second");
    ui_.onDoEvents([this] { runner_.Command1_Click(); }); // while WinAce runs for the first
    runner_.Form_Load({});
    runner_.Timer1_Timer();
    EXPECT_EQ(logLines(), (std::vector<std::string>{"<Now>\tQuillmate automated back up operation started ",
                                                    "<Now>\tNo records due for back up", dashes(),
                                                    "<Now>\tQuillmate automated back up operation started ",
                                                    "<Now>\tFirst", "\t\t\tsuccessfully backed up to " + win("out"),
                                                    "<Now>\tACE back up operations aborted by user", dashes()}));
    EXPECT_TRUE(runner_.finished());
    EXPECT_TRUE(view_.ended);
    EXPECT_FALSE(std::filesystem::exists(native("out/Second.ace")));
    EXPECT_EQ(runner_.exitStatus(), 1);
}

} // namespace
