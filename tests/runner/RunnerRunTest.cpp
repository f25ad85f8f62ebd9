// The run without a window: start-up rules, the ZIP pass's log and stamps,
// the tail's order, Quit and the end of the run, with a scripted UI and a
// clock the test sets.
#include "ProgramHome.h"
#include "RunFailures.h"

#include "platform/datetime/Clock.h"
#include "platform/datetime/DateText.h"
#include "platform/profile/Profile.h"
#include "FakeUiServices.h"
#include "ZipTestUtil.h"
#include "runner/RunLock.h"
#include "runner/Runner.h"

namespace {

using qm::datetime::DateTime;
namespace mb = qm::ui::mb;

// The window as a list of what happened to it, shared with the run's own
// steps so their order can be checked.
struct Trace {
    std::vector<std::string> steps;
    bool has(const std::string& s) const { return std::find(steps.begin(), steps.end(), s) != steps.end(); }
};

class TraceView : public qm::runner::RunnerView {
public:
    explicit TraceView(Trace& t) : t_(t) {}
    void setCaption(const std::string& c) override { caption = c; }
    void setStatus(const std::string& s) override { status = s; }
    void setProgress(const std::string& text, int percent) override
    {
        progress = text;
        percents.push_back(percent);
    }
    void unloadMainWindow() override { t_.steps.push_back("unload main window"); }
    void unloadAllWindows() override { t_.steps.push_back("unload all"); }
    void endProcess() override { t_.steps.push_back("end"); }

    std::string caption = qm::runner::MainCaption;
    std::string status;
    std::string progress;
    std::vector<int> percents;

private:
    Trace& t_;
};

class TracedRunner : public qm::runner::Runner {
public:
    TracedRunner(qm::ui::UiServices& ui, const qm::datetime::Clock& clock, TraceView& view, Trace& t)
        : Runner(ui, clock, view), t_(t)
    {
        winAceLookup = [](std::string& path, std::string& version) {
            path.clear();
            version.clear();
        };
    }
    void MakeAce() override { t_.steps.push_back("ace pass"); }
    void BackupDataFiles(std::string& folder) override { t_.steps.push_back("data files " + folder); }
    bool DataFileBackupBuilt() const override { return true; }

private:
    Trace& t_;
};

using qm::test::failed;

class RunTest : public qm::test::RunnerHome {
protected:
    RunTest() { ui_.onProblem([](const std::string& p) { ADD_FAILURE() << p; }); }

    // Start-up and the timer's run, as the window would drive them.
    void run(const std::vector<std::string>& args = {})
    {
        runner_.Form_Load(args);
        runner_.Timer1_Timer();
    }
    // The next day's run, by a runner of its own (the fixture's has had its
    // run), and the log lines from `line` on (none when it is not there).
    std::vector<std::string> nextDayFrom(const std::string& line)
    {
        clock_.advanceDays(1);
        Trace t;
        TraceView v(t);
        TracedRunner r(ui_, clock_, v, t);
        r.Form_Load({});
        r.Timer1_Timer();
        const std::vector<std::string> lines = logLines();
        return {std::find(lines.begin(), lines.end(), line), lines.end()};
    }
    void userOptions(const std::string& text) { qm::test::writeFile(native("Options/User Options"), text); }
    // Two due projects: "Big", whose build yields to the window many times,
    // then "Next".
    void bigThenNext()
    {
        std::map<std::string, std::string> files;
        for (int i = 0; i < 40; ++i)
            files["f" + std::to_string(i) + ".txt"] = std::string(2000, char('a' + i % 26));
        makeSource("Big", files);
        writeProject("Big", zipProject("Big"));
        makeSource("Next", {{"n.txt", "n"}});
        writeProject("Next", zipProject("Next"));
    }

    qm::ui::FakeUiServices ui_;
    qm::datetime::FixedClock clock_{DateTime{2026, 3, 7, 14, 5, 9}};
    Trace trace_;
    TraceView view_{trace_};
    TracedRunner runner_{ui_, clock_, view_, trace_};
};

TEST_F(RunTest, UseMaxExactlyAloneChangesTheCaptionAndShowsTheCompletionMessage)
{
    ui_.answer(mb::OK);
    run({"usemax"});
    EXPECT_EQ(view_.caption, "Archiving all Projects Due for Back-up");
    ASSERT_EQ(ui_.boxes().size(), 1u);
    EXPECT_EQ(ui_.boxes()[0].title, "Archiving Done");
    EXPECT_EQ(ui_.boxes()[0].prompt, "Archive processing complete.\r\nYou can view the log file to get the status.");
    EXPECT_EQ(ui_.boxes()[0].icon, qm::ui::Icon::Information);
    EXPECT_EQ(ui_.boxes()[0].buttons, mb::OKOnly);
    // The message comes before the windows go and the program ends.
    EXPECT_EQ(trace_.steps.back(), "end");
    EXPECT_TRUE(runner_.finished());
}

TEST_F(RunTest, OtherArgumentsRunQuietly)
{
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {}, {"USEMAX"}, {"usemax "}, {"usemax", "now"}, {"/usemax"}}) {
        Trace t;
        TraceView v(t);
        TracedRunner r(ui_, clock_, v, t);
        r.Form_Load(args);
        r.Timer1_Timer();
        EXPECT_EQ(v.caption, qm::runner::MainCaption);
        EXPECT_TRUE(r.finished());
        EXPECT_TRUE(t.has("ace pass"));
    }
    EXPECT_TRUE(ui_.boxes().empty());
}

TEST_F(RunTest, WinAceIsUsedFrom2_11On)
{
    const std::pair<const char*, bool> versions[] = {
        {"2.11", true}, {"2.5", true}, {"3", true}, {"2.1", false}, {"", false}, {"beta", false}};
    for (const auto& [version, used] : versions) {
        Trace t;
        TraceView v(t);
        TracedRunner r(ui_, clock_, v, t);
        r.winAceLookup = [v = std::string(version)](std::string& path, std::string& ver) {
            path = "C:\\Tools\\WinAce\\winace.exe";
            ver = v;
        };
        r.Form_Load({});
        EXPECT_EQ(r.state.Form1.WinAceLocation, used ? "C:\\Tools\\WinAce\\winace.exe" : "") << version;
    }
}

TEST_F(RunTest, StartUpMakesTempAndRunsOnlyOnce)
{
    std::filesystem::remove_all(native("Temp"));
    run();
    EXPECT_TRUE(std::filesystem::is_directory(native("Temp")));
    EXPECT_EQ(runner_.File1Path(), win("Projects"));
    const std::string log = logText();
    runner_.Timer1_Timer();
    EXPECT_EQ(logText(), log);
}

TEST_F(RunTest, EmptyProjectFolderAndNothingDue)
{
    run();
    EXPECT_EQ(logLines(), (std::vector<std::string>{"<Now>\tNo files found to process", dashes()}));
    EXPECT_TRUE(trace_.has("ace pass"));

    // A project that is not due, and a file that only looks like the due
    // pattern's first entry.
    std::filesystem::remove(native("autoback.log"));
    qm::store::ProjectRecord manual = zipProject("Manual");
    manual[F::ZIPBackupOption] = "manual";
    writeProject("Manual", manual);
    qm::store::ProjectRecord notDue = zipProject("Later.zzzz");
    notDue[F::ZIPLastBackupDate] = "3/7/2026 8:00:00 AM";
    makeSource("Later.zzzz", {{"x.txt", "x"}});
    writeProject("Later.zzzz", notDue);
    Trace t;
    TraceView v(t);
    TracedRunner again(ui_, clock_, v, t);
    again.Form_Load({});
    again.Timer1_Timer();
    EXPECT_EQ(logLines(), (std::vector<std::string>{"<Now>\tQuillmate automated back up operation started ",
                                                    "<Now>\tNo records due for back up", dashes()}));
    EXPECT_FALSE(std::filesystem::exists(native("out/Later.zzzz.qmt")));
    EXPECT_EQ(again.exitStatus(), 0);
}

// The hidden temporary of a writer's atomic rewrite, left in the Projects
// folder, is no project, even when it holds one that is due.
TEST_F(RunTest, HiddenPartialFilesAreNoProjects)
{
    makeSource("Work", {{"a.txt", "a"}});
    writeProject("Work", zipProject("Work"));
    makeSource("Partial", {{"b.txt", "b"}});
    writeProject(".Work.~x1Y2z3", zipProject("Partial"));
    run();
    const std::vector<std::string> lines = logLines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), "\t\t\t1\tProjects due for back-up"), lines.end());
    EXPECT_TRUE(std::filesystem::exists(native("out/Work.qmt")));
    EXPECT_FALSE(std::filesystem::exists(native("out/Partial.qmt")));
}

TEST_F(RunTest, LogLinesCarryTheClocksDateText)
{
    run();
    EXPECT_EQ(logText().substr(0, 21), "3/7/2026 2:05:09 PM\tN");
}

TEST_F(RunTest, ProjectsAreBackedUpInOrderWithCheckMessagesAndFailures)
{
    // "A": a missing source; "B": backed up although its check fails (no
    // subfolder option); "C": a file list that is missing; "D": nothing to zip.
    qm::store::ProjectRecord a = zipProject("A");
    writeProject("A", a);
    qm::store::ProjectRecord b = zipProject("B");
    b[F::ZIPDoSubFolders] = "";
    b[F::ZIPComments] = "the comment";
    b[F::ZIPUseComments] = "yes";
    makeSource("B", {{"one.txt", "1"}});
    writeProject("B", b);
    qm::store::ProjectRecord c = zipProject("C");
    c[F::ZIPFilesToProcess] = "(list)";
    makeSource("C", {{"one.txt", "1"}});
    writeProject("C", c);
    qm::store::ProjectRecord d = zipProject("D");
    d[F::ZIPFilesToProcess] = "*.none";
    makeSource("D", {{"one.txt", "1"}});
    writeProject("D", d);

    run();
    const std::string target = win("out");
    EXPECT_EQ(logLines(),
              (std::vector<std::string>{
                  "<Now>\tQuillmate automated back up operation started ",
                  "<Now>\tError backing up ZIP project: A:",
                  "\t\t\tTarget folder (" + target + ")",
                  "\t\t\tnot found or drive not ready",
                  "<Now>\tA back-up cancelled",
                  dashes(),
                  "<Now>\tThe Process Subfolders option has not been set.",
                  "<Now>\tB",
                  "\t\t\tsuccessfully backed up to " + target,
                  "<Now>\tError backing up ZIP project: C:",
                  "\t\t\tFile list (" + win("Filelists") + "\\C-ZIP)",
                  "\t\t\tnot found or could not be read",
                  "<Now>\tC back-up cancelled",
                  dashes(),
                  "<Now>\t" + runner_.PavikZip1.ErrorText(0, qm::zip::result::NothingToDo) + " for D",
                  "<Now>\tEnd of back up operations",
                  "<Now>\tSummary:",
                  "\t\t\t4\tProjects due for back-up",
                  "\t\t\t1\tProjects successfully backed up",
                  dashes(),
              }));
    // Only B is stamped; the comment came from the record; the window followed.
    EXPECT_EQ(qm::profile::getString(native("Projects/B"), "Files and Folders-QMT", "ZIPLastBackupDate", "?"),
              "3/7/2026 2:05:09 PM");
    EXPECT_EQ(qm::profile::getString(native("Projects/A"), "Files and Folders-QMT", "ZIPLastBackupDate", "?"), "");
    EXPECT_EQ(qm::profile::getString(native("Projects/C"), "Files and Folders-QMT", "ZIPLastBackupDate", "?"), "");
    // The archive's comment is the last thing in its file.
    const std::string archiveB = qm::test::readFile(native("out/B.qmt"));
    EXPECT_EQ(archiveB.substr(archiveB.size() - 11), "the comment");
    EXPECT_EQ(view_.status, "Compressing D files");
    EXPECT_EQ(runner_.state.Form1.ProjectName, target + "\\D.qmt");
    EXPECT_FALSE(view_.percents.empty());
    EXPECT_NE(view_.progress.find(target + "\\"), std::string::npos);
    EXPECT_NE(view_.progress.find("% complete"), std::string::npos);
    EXPECT_TRUE(ui_.boxes().empty());
    // A, C and D failed, each with its log's reason (A's names the folder
    // that is missing); B, backed up, does not count.
    EXPECT_EQ(failed(runner_), (std::vector<std::string>{
                                   "A: Source folder (" + win("src-A") + ") not found or drive not ready",
                                   "C: File list (" + win("Filelists") + "\\C-ZIP) not found or could not be read",
                                   "D: " + runner_.PavikZip1.ErrorText(0, qm::zip::result::NothingToDo) + " for D",
                               }));
    EXPECT_EQ(runner_.exitStatus(), 1);
}

// The log's lines of a folder check are the same whichever folder is
// missing; the failure names the missing ones.
TEST_F(RunTest, AFailedFolderCheckNamesTheMissingFoldersAndLogsAsEver)
{
    qm::store::ProjectRecord both = zipProject("Both");
    both[F::ZIPDefaultRestoreFromFolder] = win("gone");
    writeProject("Both", both);
    qm::store::ProjectRecord source = zipProject("Source");
    writeProject("Source", source);
    qm::store::ProjectRecord target = zipProject("Target");
    target[F::ZIPDefaultRestoreFromFolder] = win("out/gone");
    makeSource("Target", {{"a.txt", "a"}});
    writeProject("Target", target);
    qm::store::ProjectRecord unnamed = zipProject("Unnamed");
    unnamed[F::ProjectFolder] = "";
    writeProject("Unnamed", unnamed);

    run();
    const auto cancelled = [this](const std::string& name, const std::string& folder) {
        return std::vector<std::string>{"<Now>\tError backing up ZIP project: " + name + ":",
                                        "\t\t\tTarget folder (" + folder + ")", "\t\t\tnot found or drive not ready",
                                        "<Now>\t" + name + " back-up cancelled", dashes()};
    };
    std::vector<std::string> expected{"<Now>\tQuillmate automated back up operation started "};
    for (const auto& [name, folder] : std::vector<std::pair<std::string, std::string>>{
             {"Both", win("gone")}, {"Source", win("out")}, {"Target", win("out/gone")}, {"Unnamed", win("out")}})
        for (const std::string& l : cancelled(name, folder))
            expected.push_back(l);
    for (const std::string& l : {std::string("<Now>\tEnd of back up operations"), std::string("<Now>\tSummary:"),
                                 std::string("\t\t\t4\tProjects due for back-up"),
                                 std::string("\t\t\t0\tProjects successfully backed up"), dashes()})
        expected.push_back(l);
    EXPECT_EQ(logLines(), expected);
    EXPECT_EQ(failed(runner_),
              (std::vector<std::string>{
                  "Both: Source folder (" + win("src-Both") + ") and target folder (" + win("gone") +
                      ") not found or drive not ready",
                  "Source: Source folder (" + win("src-Source") + ") not found or drive not ready",
                  "Target: Target folder (" + win("out/gone") + ") not found or drive not ready",
                  "Unnamed: Source folder () not found or drive not ready",
              }));
}

TEST_F(RunTest, TwoProjectsWritingOneArchiveLeaveItWhole)
{
    // The second brings its files into the archive the first has just made.
    for (const char* name : {"One", "Two"}) {
        qm::store::ProjectRecord p = zipProject(name);
        p[F::ZIPBackFile] = "shared.qmt";
        makeSource(name, {{std::string(name) + ".txt", name}});
        writeProject(name, p);
    }
    run();
    qm::zip::PavikZip& zip = runner_.PavikZip1;
    zip.ResetToDefaults();
    zip.ArchivePath = win("out") + "\\shared.qmt";
    int64_t count = 0, packed = 0, size = 0;
    int ratio = 0;
    bool spanned = false;
    EXPECT_EQ(zip.ArchiveInfo(count, packed, size, ratio, spanned), 0);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(zip.Test(), 0);
    for (const char* name : {"One", "Two"})
        EXPECT_EQ(qm::profile::getString(native(std::string("Projects/") + name), "Files and Folders-QMT",
                                         "ZIPLastBackupFolder", ""),
                  win("out"));
    EXPECT_TRUE(runner_.failures().empty());
    EXPECT_EQ(runner_.exitStatus(), 0);
}

TEST_F(RunTest, TheTailStampsAndBacksUpDueDataFilesBetweenTheAcePasses)
{
    std::filesystem::create_directories(native("databk"));
    userOptions("[USER OPTIONS]\r\nProjectINIBackupPath=" + win("databk") +
                "\r\nUserBackINIOption=automatic\r\nUserBackINISchedule=7\r\nUserLastINIBackup=2/28/2026 11:00:00 PM\r\n");
    run();
    EXPECT_EQ(trace_.steps, (std::vector<std::string>{"ace pass", "unload main window", "data files " + win("databk"),
                                                      "ace pass", "unload all", "end"}));
    EXPECT_EQ(qm::profile::getString(native("Options/User Options"), "User Options", "UserLastINIBackup", ""),
              "3/7/2026 2:05:09 PM");
}

TEST_F(RunTest, ADataBackupThatFailsLeavesTheRunsStamp)
{
    std::filesystem::create_directories(native("databk"));
    const std::string due = "[USER OPTIONS]\r\nProjectINIBackupPath=" + win("databk") +
                            "\r\nUserBackINIOption=automatic\r\nUserBackINISchedule=7\r\n"
                            "UserLastINIBackup=2/28/2026 11:00:00 PM\r\n";
    userOptions(due);
    Trace t;
    TraceView v(t);
    qm::runner::Runner r(ui_, clock_, v);
    r.winAceLookup = [](std::string& path, std::string& version) {
        path.clear();
        version.clear();
    };
    r.Form_Load({});
    r.Timer1_Timer();
    // No stub in the program folder: the backup fails, the stamp before it stands.
    std::string stamped = due;
    stamped.replace(stamped.find("2/28/2026 11:00:00 PM"), 21, "3/7/2026 2:05:09 PM");
    EXPECT_EQ(qm::test::readFile(native("Options/User Options")), stamped);
    EXPECT_FALSE(std::filesystem::exists(native("databk/QMBackupData.exe")));
}

TEST_F(RunTest, DataFilesNotDueOrManualAreLeftAlone)
{
    std::filesystem::create_directories(native("databk"));
    const std::string sixDays = "[USER OPTIONS]\r\nProjectINIBackupPath=" + win("databk") +
                                "\r\nUserBackINIOption=automatic\r\nUserBackINISchedule=7\r\n"
                                "UserLastINIBackup=3/1/2026 11:00:00 PM\r\n";
    userOptions(sixDays);
    run();
    EXPECT_EQ(trace_.steps, (std::vector<std::string>{"ace pass", "unload main window", "ace pass", "unload all", "end"}));
    EXPECT_EQ(qm::test::readFile(native("Options/User Options")), sixDays);

    const std::string manual = "[USER OPTIONS]\r\nProjectINIBackupPath=" + win("databk") +
                               "\r\nUserBackINIOption=manual\r\nUserBackINISchedule=1\r\n";
    userOptions(manual);
    Trace t;
    TraceView v(t);
    TracedRunner r(ui_, clock_, v, t);
    r.Form_Load({});
    r.Timer1_Timer();
    EXPECT_EQ(t.steps, (std::vector<std::string>{"ace pass", "unload main window", "ace pass", "unload all", "end"}));
    EXPECT_EQ(qm::test::readFile(native("Options/User Options")), manual);
}

TEST_F(RunTest, AMissingDataFolderEndsTheRunAfterTheFirstAcePass)
{
    userOptions("[USER OPTIONS]\r\nProjectINIBackupPath=" + win("nowhere") +
                "\r\nUserBackINIOption=automatic\r\nUserBackINISchedule=1\r\n");
    ui_.answer(mb::OK);
    run({"usemax"});
    EXPECT_EQ(trace_.steps, (std::vector<std::string>{"ace pass", "unload all", "end"}));
    EXPECT_EQ(ui_.boxes().size(), 1u);
    EXPECT_EQ(qm::profile::getString(native("Options/User Options"), "User Options", "UserLastINIBackup", "?"), "?");
}

TEST_F(RunTest, QuitStopsTheRunningBackupAndEndsTheRun)
{
    bigThenNext();
    ui_.onDoEvents([this] {
        if (!trace_.has("unload all"))
            runner_.Command1_Click();
    });
    ui_.answer(mb::OK);
    run({"usemax"});
    EXPECT_EQ(logLines(), (std::vector<std::string>{"<Now>\tQuillmate automated back up operation started ",
                                                    "<Now>\tBig backup operations aborted by user", dashes()}));
    // No second project, no tail; the completion message still comes.
    EXPECT_EQ(trace_.steps, (std::vector<std::string>{"unload all", "unload all", "end"}));
    EXPECT_EQ(ui_.boxes().size(), 1u);
    EXPECT_FALSE(std::filesystem::exists(native("out/Big.qmt")));
    EXPECT_FALSE(std::filesystem::exists(native("out/Next.qmt")));
    EXPECT_EQ(qm::profile::getString(native("Projects/Big"), "Files and Folders-QMT", "ZIPLastBackupDate", "?"), "");
    EXPECT_EQ(failed(runner_), std::vector<std::string>{"Big: backup operations aborted by user"});
    EXPECT_EQ(runner_.exitStatus(), 1);
}

TEST_F(RunTest, AStopWithoutQuitFailsThatProjectOnly)
{
    bigThenNext();
    // The control stops on its own (as when a further disk cannot be had).
    ui_.onDoEvents([this] {
        if (runner_.state.Form1.ShortName == "Big")
            runner_.PavikZip1.AbortRequested = true;
    });
    run();
    EXPECT_EQ(logLines(), (std::vector<std::string>{
                              "<Now>\tQuillmate automated back up operation started ",
                              "<Now>\tBig processing halted due to error.",
                              dashes(),
                              "<Now>\tNext",
                              "\t\t\tsuccessfully backed up to " + win("out"),
                              "<Now>\tEnd of back up operations",
                              "<Now>\tSummary:",
                              "\t\t\t2\tProjects due for back-up",
                              "\t\t\t1\tProjects successfully backed up",
                              dashes(),
                          }));
    EXPECT_TRUE(trace_.has("ace pass"));
    EXPECT_EQ(failed(runner_), std::vector<std::string>{"Big: processing halted due to error"});
    EXPECT_EQ(runner_.exitStatus(), 1);
}

TEST_F(RunTest, ASpannedArchiveGoesOnTheDiskInTheDriveOrLeavesThePreviousOne)
{
    qm::store::ProjectRecord spanned = zipProject("Span");
    spanned[F::ZIPSpanOption] = "always";
    makeSource("Span", {{"a.txt", std::string(5000, 'a')}});
    writeProject("Span", spanned);
    run();
    EXPECT_EQ(logLines().at(1), "<Now>\tSpan");
    runner_.PavikZip1.ResetToDefaults();
    runner_.PavikZip1.ArchivePath = win("out") + "\\Span.qmt";
    int64_t count = 0, packed = 0, size = 0;
    int ratio = 0;
    bool isSpanned = false;
    EXPECT_EQ(runner_.PavikZip1.ArchiveInfo(count, packed, size, ratio, isSpanned), 0);
    EXPECT_EQ(count, 1);

    // The next day the archive needs more than the disk in the drive holds:
    // nobody can put in a second disk, and the first one must not be left
    // holding the start of a set in place of the archive that was there.
    const std::string previous = qm::test::readFile(native("out/Span.qmt"));
    const std::string stamp = projectText("Span");
    std::string noise;
    for (uint32_t x = 12345; noise.size() < 200000;) {
        x = x * 1103515245u + 12345u;
        noise += char(x >> 24);
    }
    makeSource("Span", {{"b.bin", noise}});
    clock_.advanceDays(1);
    Trace t;
    TraceView v(t);
    TracedRunner r(ui_, clock_, v, t);
    ui_.onDoEvents([&r] { r.PavikZip1.SplitPartSize = 65536; });
    r.Form_Load({});
    r.Timer1_Timer();
    const std::vector<std::string> lines = logLines();
    ASSERT_EQ(lines.size(), 18u);
    // The run says what the first disk holds: the archive it held, again.
    EXPECT_EQ(lines.at(lines.size() - 9), "<Now>\t" + win("out") + "\\Span.qmt warning.");
    EXPECT_EQ(lines.at(lines.size() - 8),
              "\t\t\t" + r.PavikZip1.ErrorText(1, qm::zip::warning::FirstDiskRestored));
    EXPECT_EQ(lines.at(lines.size() - 7), "<Now>\tSpan processing halted due to error.");
    EXPECT_TRUE(qm::test::readFile(native("out/Span.qmt")) == previous);
    EXPECT_EQ(projectText("Span"), stamp);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(native("out")), {}), 1);
    EXPECT_EQ(failed(r), std::vector<std::string>{"Span: processing halted due to error"});
    EXPECT_EQ(r.exitStatus(), 1);
}

TEST_F(RunTest, AnOldEntryFoundDamagedIsMadeAnewAndLogged)
{
    // A flipped data byte leaves the entry's CRC as it was: the next day's
    // update finds it by the data, makes the entry anew and logs it.
    makeSource("Home", {{"a.txt", std::string(3000, 'a') + "end"}, {"b.txt", "bee"}});
    writeProject("Home", zipProject("Home"));
    run();
    qm::zip::test::damageEntryData(native("out/Home.qmt"), {"a.txt"});
    const std::vector<std::string> at = nextDayFrom("<Now>\ta.txt warning.");
    ASSERT_GE(at.size(), 3u);
    EXPECT_EQ(at[1], "\t\t\tThe file's entry in the old archive was damaged; it was made anew from the file.");
    EXPECT_EQ(at[2], "<Now>\tHome");
    qm::zip::PavikZip zip;
    zip.ArchivePath = win("out") + "\\Home.qmt";
    EXPECT_EQ(zip.Test(), 0);
}

TEST_F(RunTest, ADamagedEntryOfADeletedFileIsKeptAndLogged)
{
    // Its file is gone, so the entry cannot be made anew: the update keeps
    // it, as what a restore of the file would give back, and logs it.
    makeSource("Home", {{"a.txt", "alpha"}, {"b.txt", std::string(3000, 'b') + "end"}});
    writeProject("Home", zipProject("Home"));
    run();
    qm::zip::test::damageEntryData(native("out/Home.qmt"), {"b.txt"});
    std::filesystem::remove(native("src-Home/b.txt"));
    const std::vector<std::string> at = nextDayFrom("<Now>\tb.txt warning.");
    ASSERT_GE(at.size(), 3u);
    EXPECT_EQ(at[1], "\t\t\tThe file's entry in the old archive is damaged and could not be made anew, as the file "
                     "was not backed up this time; the archive keeps the damaged entry.");
    EXPECT_EQ(at[2], "<Now>\tHome");
}

TEST_F(RunTest, AnArchiveAKilledRunLeftAsideComesBackAndIsUpdated)
{
    // The old archive waits under its hidden name and its place is free: the
    // next day's backup brings it back first, so a.txt, gone from the source,
    // stays in it.
    makeSource("Home", {{"a.txt", "alpha"}});
    writeProject("Home", zipProject("Home"));
    run();
    std::filesystem::rename(native("out/Home.qmt"), native("out/.Home.qmt.previous"));
    std::filesystem::remove(native("src-Home/a.txt"));
    makeSource("Home", {{"b.txt", "beta"}});
    const std::vector<std::string> at = nextDayFrom("<Now>\tHome");
    ASSERT_GE(at.size(), 2u);
    std::vector<std::string> names;
    qm::zip::PavikZip zip;
    qm::zip::ZipEventHandlers listed;
    listed.onFileListed = [&names](const qm::zip::ListedEntry& e) { names.push_back(e.name); };
    zip.addEventSink(&listed);
    zip.ArchivePath = win("out") + "\\Home.qmt";
    EXPECT_EQ(zip.ListEntries(), 0);
    EXPECT_EQ(names, (std::vector<std::string>{"a.txt", "b.txt"}));
    EXPECT_FALSE(std::filesystem::exists(native("out/.Home.qmt.previous")));
}

TEST_F(RunTest, QuitWhileAnArchiveIsDatedEndsTheRunBeforeAnythingElse)
{
    for (const char* quitAt : {"A", "B"}) {
        std::filesystem::remove_all(native("out"));
        std::filesystem::create_directories(native("out"));
        std::filesystem::remove(native("autoback.log"));
        for (const char* name : {"A", "B"}) {
            qm::store::ProjectRecord p = zipProject(name);
            p[F::ZIPArchiveDate] = "latest";
            makeSource(name, {{"f.txt", name}});
            writeProject(name, p);
        }
        Trace t;
        TraceView v(t);
        TracedRunner r(ui_, clock_, v, t);
        // Quit is served while the archive is listed (a long listing
        // yields to the window between entries).
        qm::zip::ZipEventHandlers quit;
        quit.onFileListed = [&](const qm::zip::ListedEntry&) {
            if (r.state.Form1.ShortName == quitAt && !t.has("unload all"))
                r.Command1_Click();
        };
        r.PavikZip1.addEventSink(&quit);
        r.Form_Load({});
        r.Timer1_Timer();

        std::vector<std::string> expected{"<Now>\tQuillmate automated back up operation started ", "<Now>\tA",
                                          "\t\t\tsuccessfully backed up to " + win("out")};
        if (std::string(quitAt) == "A") {
            // The next project is not started.
            expected.insert(expected.end(), {"<Now>\tB backup operations aborted by user", dashes()});
        } else {
            expected.insert(expected.end(), {"<Now>\tB", "\t\t\tsuccessfully backed up to " + win("out"),
                                             "<Now>\tEnd of back up operations", "<Now>\tSummary:",
                                             "\t\t\t2\tProjects due for back-up",
                                             "\t\t\t2\tProjects successfully backed up", dashes()});
        }
        EXPECT_EQ(logLines(), expected) << quitAt;
        EXPECT_EQ(std::filesystem::exists(native("out/B.qmt")), std::string(quitAt) == "B");
        // Nothing of the tail; the run ended.
        EXPECT_EQ(t.steps, (std::vector<std::string>{"unload all", "unload all", "end"})) << quitAt;
        // Quit at B stopped no build, but the run all the same.
        const std::vector<std::string> stopped{"B: backup operations aborted by user"};
        EXPECT_EQ(failed(r), std::string(quitAt) == "A" ? stopped : std::vector<std::string>{}) << quitAt;
        EXPECT_EQ(r.exitStatus(), 1) << quitAt;
        r.PavikZip1.removeEventSink(&quit);
    }
}

TEST_F(RunTest, QuitBeforeTheTimerEndsWithoutARun)
{
    writeProject("P", zipProject("P"));
    runner_.Form_Load({"usemax"});
    runner_.Command1_Click();
    runner_.Timer1_Timer();
    EXPECT_EQ(trace_.steps, (std::vector<std::string>{"unload all", "end"}));
    EXPECT_EQ(logText(), "");
    EXPECT_TRUE(ui_.boxes().empty());
    EXPECT_EQ(runner_.exitStatus(), 1); // the due project was not backed up
}

TEST_F(RunTest, OneRunAtATime)
{
    bool unavailable = true;
    qm::fs::FileLock first = qm::runner::takeRunLock(unavailable);
    EXPECT_TRUE(first.locked());
    EXPECT_FALSE(unavailable);
    qm::fs::FileLock second = qm::runner::takeRunLock(unavailable);
    EXPECT_FALSE(second.locked());
    EXPECT_FALSE(unavailable);
    first.release();
    EXPECT_TRUE(qm::runner::takeRunLock(unavailable).locked());

    // No lock file can be made there: the program folder is locked instead.
    std::filesystem::remove(native(".nightwick.lock"));
    std::filesystem::create_symlink(native("gone/lock"), native(".nightwick.lock"));
    first = qm::runner::takeRunLock(unavailable);
    EXPECT_TRUE(first.locked());
    EXPECT_FALSE(qm::runner::takeRunLock(unavailable).locked());
    EXPECT_FALSE(unavailable);
}

} // namespace
