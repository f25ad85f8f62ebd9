// The built Nightwick program, run offscreen on a program folder of its own
// with the clock set through QUILLMATE_FAKE_NOW. Archives are read back with
// Python's zipfile (method-18 entries decoded with the bzip2 library).
#include "ProgramHome.h"

#include "platform/datetime/DateText.h"
#include "platform/datetime/DateTime.h"
#include "platform/fs/FileOps.h"
#include "platform/profile/Profile.h"
#include "platform/zip/PavikZip.h"
#include "platform/zip/ResultCodes.h"
#include "runner/RunLock.h"

#include "WinAceStandIn.h"

#include <chrono>
#include <sstream>

namespace {

using qm::datetime::DateTime;

struct EntryCheck {
    int method = -1;
    bool encrypted = false;
    std::string verdict;
};

class NightwickProgram : public qm::test::RunnerHome {
protected:
    void SetUp() override
    {
        if (!std::filesystem::exists(qm::test::programDir() / "Nightwick"))
            GTEST_FAIL() << "Nightwick is not built in " << qm::test::programDir();
        if (!qm::test::haveProgram("python3"))
            GTEST_SKIP() << "python3 is needed to read the archives back";
    }

    // Runs Nightwick with "now" at `now` (ISO text); gives its exit status,
    // its standard output and error in `output`.
    int runNightwick(const std::string& now, const std::vector<std::string>& args = {},
                     std::string* output = nullptr)
    {
        qm::test::ScopedEnv fake("QUILLMATE_FAKE_NOW", now);
        std::vector<std::string> argv{"/bin/sh", "-c", "exec \"$0\" \"$@\" 2>&1",
                                      (qm::test::programDir() / "Nightwick").string()};
        argv.insert(argv.end(), args.begin(), args.end());
        std::string out;
        int status = qm::test::runCommand(argv, &out);
        if (output)
            *output = out;
        return status;
    }

    std::map<std::string, EntryCheck> readArchive(const std::string& rel, const std::string& root)
    {
        std::string out;
        const int status = qm::test::runCommand(
            {"python3", (qm::test::sourceDir() / "tests/runner/archive_peer.py").string(),
             native(rel).string(), root},
            &out);
        EXPECT_EQ(status, 0) << out;
        std::map<std::string, EntryCheck> entries;
        std::istringstream lines(out);
        std::string line;
        while (std::getline(lines, line)) {
            std::istringstream fields(line);
            std::string name, method, encrypted, verdict;
            std::getline(fields, name, '\t');
            std::getline(fields, method, '\t');
            std::getline(fields, encrypted, '\t');
            std::getline(fields, verdict, '\t');
            entries[name] = EntryCheck{std::stoi(method), encrypted == "1", verdict};
        }
        return entries;
    }

    std::string stamp(const std::string& project, const std::string& key)
    {
        return qm::profile::getString(native("Projects/" + project), "Files and Folders-QMT", key, "?");
    }

    static std::vector<std::string> names(const std::map<std::string, EntryCheck>& entries)
    {
        std::vector<std::string> out;
        for (const auto& [name, check] : entries)
            out.push_back(name);
        return out;
    }

    static std::string text(int kb, char seed)
    {
        std::string s;
        for (int i = 0; s.size() < size_t(kb) * 1024; ++i)
            s += "line " + std::to_string(i) + " of " + seed + " the quick brown fox jumps over the lazy dog\r\n";
        return s;
    }

    qm::test::ScopedEnv noDisplay_{"DISPLAY", std::nullopt};
    qm::test::ScopedEnv noWayland_{"WAYLAND_DISPLAY", std::nullopt};
};

const std::vector<std::string> successBlock(const std::string& name, const std::string& target)
{
    return {"<Now>\t" + name, "\t\t\tsuccessfully backed up to " + target};
}

// The ACE pass of a run without ACE projects.
std::vector<std::string> noAceDue()
{
    return {"<Now>\tQuillmate automated back up operation started ", "<Now>\tNo ACE records due for back up",
            std::string(72, '-')};
}

TEST_F(NightwickProgram, ADueProjectIsBackedUpLoggedStampedAndDueAgainTheNextDay)
{
    // "Notes.txt" and "notes.txt" are two files, each backed up.
    makeSource("Alpha", {{"notes.txt", text(24, 'n')}, {"Notes.txt", text(8, 'N')}, {"data/table.csv", text(12, 't')}});
    writeProject("Alpha", zipProject("Alpha"));
    const std::string before = projectText("Alpha");

    std::string output;
    EXPECT_EQ(runNightwick("2026-03-07 13:05:09", {"usemax"}, &output), 0);
    // No display: the completion message is written out instead of waiting for a click.
    EXPECT_NE(output.find("Archiving Done: Archive processing complete."), std::string::npos) << output;
    // And nothing else: no notes of the window system in a scheduled run's mail.
    EXPECT_EQ(output, "Archiving Done: Archive processing complete.\n"
                      "    You can view the log file to get the status. [OK]\n");

    const auto entries = readArchive("out/Alpha.qmt", native("src-Alpha").string());
    EXPECT_EQ(names(entries), (std::vector<std::string>{"Notes.txt", "data/", "data/table.csv", "notes.txt"}));
    for (const char* file : {"notes.txt", "Notes.txt", "data/table.csv"}) {
        EXPECT_EQ(entries.at(file).method, 18) << file;
        EXPECT_EQ(entries.at(file).verdict, "same") << file;
    }

    const std::string target = win("out");
    std::vector<std::string> expected{"<Now>\tQuillmate automated back up operation started "};
    for (const std::string& l : successBlock("Alpha", target))
        expected.push_back(l);
    for (const std::string& l : {std::string("<Now>\tEnd of back up operations"), std::string("<Now>\tSummary:"),
                                 std::string("\t\t\t1\tProjects due for back-up"),
                                 std::string("\t\t\t1\tProjects successfully backed up"), dashes()})
        expected.push_back(l);
    for (const std::string& l : noAceDue())
        expected.push_back(l);
    EXPECT_EQ(logLines(), expected);

    // The two stamps, and not another byte of the project file changed.
    const std::optional<DateTime> last = qm::datetime::parseDateTime(stamp("Alpha", "ZIPLastBackupDate"));
    ASSERT_TRUE(last);
    EXPECT_EQ(last->date(), (DateTime{2026, 3, 7, 0, 0, 0}));
    EXPECT_EQ(stamp("Alpha", "ZIPLastBackupFolder"), target);
    std::string stamped = before;
    const std::string dateLine = "ZIPLastBackupDate=\r\n";
    stamped.replace(stamped.find(dateLine), dateLine.size(),
                    "ZIPLastBackupDate=" + stamp("Alpha", "ZIPLastBackupDate") + "\r\n");
    const std::string folderLine = "ZIPLastBackupFolder=\r\n";
    stamped.replace(stamped.find(folderLine), folderLine.size(), "ZIPLastBackupFolder=" + target + "\r\n");
    EXPECT_EQ(projectText("Alpha"), stamped);

    // Later the same day: nothing is due.
    EXPECT_EQ(runNightwick("2026-03-07 23:59:00"), 0);
    std::vector<std::string> lines = logLines();
    ASSERT_EQ(lines.size(), expected.size() + 6);
    std::vector<std::string> nothingDue{"<Now>\tQuillmate automated back up operation started ",
                                        "<Now>\tNo records due for back up", dashes()};
    for (const std::string& l : noAceDue())
        nothingDue.push_back(l);
    EXPECT_EQ(std::vector<std::string>(lines.end() - 6, lines.end()), nothingDue);

    // The next day it is due again.
    EXPECT_EQ(runNightwick("2026-03-08 00:10:00"), 0);
    lines = logLines();
    ASSERT_EQ(lines.size(), expected.size() * 2 + 6);
    EXPECT_EQ(std::vector<std::string>(lines.end() - long(expected.size()), lines.end()), expected);
    EXPECT_EQ(qm::datetime::parseDateTime(stamp("Alpha", "ZIPLastBackupDate"))->date(),
              (DateTime{2026, 3, 8, 0, 0, 0}));
}

// Records hold archive passwords in clear: one that was readable by all is
// its owner's alone once Nightwick has stamped it.
TEST_F(NightwickProgram, AStampedRecordIsItsOwnersAlone)
{
    namespace stdfs = std::filesystem;
    makeSource("Alpha", {{"notes.txt", text(4, 'n')}});
    qm::store::ProjectRecord record = zipProject("Alpha");
    record[F::ZIPUsePassword] = "yes";
    record[F::ZIPDefaultPassword] = "secret";
    writeProject("Alpha", record);
    stdfs::permissions(native("Projects/Alpha"), stdfs::perms(0644));

    EXPECT_EQ(runNightwick("2026-03-07 13:05:09"), 0);
    EXPECT_EQ(stamp("Alpha", "ZIPLastBackupFolder"), win("out"));
    EXPECT_EQ(stdfs::status(native("Projects/Alpha")).permissions(), stdfs::perms(0600));
}

TEST_F(NightwickProgram, ThreeDueProjectsWithABrokenMiddleOne)
{
    makeSource("P1", {{"a.txt", "one"}});
    makeSource("P2", {{"a.txt", "two"}});
    makeSource("P3", {{"a.txt", "three"}});
    writeProject("P1", zipProject("P1"));
    qm::store::ProjectRecord broken = zipProject("P2");
    broken[F::ZIPDefaultRestoreFromFolder] = win("gone");
    writeProject("P2", broken);
    writeProject("P3", zipProject("P3"));
    const std::string p2 = projectText("P2");

    // The caller learns of the failure: the status, and the project and its
    // log's reason on standard error, after the run's completion message.
    std::string output;
    EXPECT_EQ(runNightwick("2026-03-07 13:05:09", {"usemax"}, &output), 1);
    EXPECT_EQ(output, "Archiving Done: Archive processing complete.\n"
                      "    You can view the log file to get the status. [OK]\n"
                      "Nightwick: P2 was not backed up: Target folder (" +
                          win("gone") + ") not found or drive not ready\n");
    const std::string target = win("out");
    EXPECT_EQ(logLines(), (std::vector<std::string>{
                              "<Now>\tQuillmate automated back up operation started ",
                              "<Now>\tP1",
                              "\t\t\tsuccessfully backed up to " + target,
                              "<Now>\tError backing up ZIP project: P2:",
                              "\t\t\tTarget folder (" + win("gone") + ")",
                              "\t\t\tnot found or drive not ready",
                              "<Now>\tP2 back-up cancelled",
                              dashes(),
                              "<Now>\tP3",
                              "\t\t\tsuccessfully backed up to " + target,
                              "<Now>\tEnd of back up operations",
                              "<Now>\tSummary:",
                              "\t\t\t3\tProjects due for back-up",
                              "\t\t\t2\tProjects successfully backed up",
                              dashes(),
                              "<Now>\tQuillmate automated back up operation started ",
                              "<Now>\tNo ACE records due for back up",
                              dashes(),
                          }));
    EXPECT_EQ(projectText("P2"), p2);
    EXPECT_TRUE(std::filesystem::exists(native("out/P1.qmt")));
    EXPECT_TRUE(std::filesystem::exists(native("out/P3.qmt")));
}

// Every project not backed up gets its own line, in the run's order, naming
// the folders that are missing; the log names the target for each.
TEST_F(NightwickProgram, EveryProjectNotBackedUpGetsItsLine)
{
    makeSource("P1", {{"a.txt", "one"}});
    writeProject("P1", zipProject("P1"));
    writeProject("P2", zipProject("P2")); // no source folder
    qm::store::ProjectRecord both = zipProject("P3");
    both[F::ZIPDefaultRestoreFromFolder] = win("gone");
    writeProject("P3", both);

    std::string output;
    EXPECT_EQ(runNightwick("2026-03-07 13:05:09", {}, &output), 1);
    EXPECT_EQ(output, "Nightwick: P2 was not backed up: Source folder (" + win("src-P2") +
                          ") not found or drive not ready\n"
                          "Nightwick: P3 was not backed up: Source folder (" +
                          win("src-P3") + ") and target folder (" + win("gone") + ") not found or drive not ready\n");
    const std::vector<std::string> lines = logLines();
    ASSERT_GE(lines.size(), 13u);
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 3, lines.begin() + 13),
              (std::vector<std::string>{
                  "<Now>\tError backing up ZIP project: P2:",
                  "\t\t\tTarget folder (" + win("out") + ")",
                  "\t\t\tnot found or drive not ready",
                  "<Now>\tP2 back-up cancelled",
                  dashes(),
                  "<Now>\tError backing up ZIP project: P3:",
                  "\t\t\tTarget folder (" + win("gone") + ")",
                  "\t\t\tnot found or drive not ready",
                  "<Now>\tP3 back-up cancelled",
                  dashes(),
              }));
    EXPECT_TRUE(std::filesystem::exists(native("out/P1.qmt")));
}

// The data-file backup is no project: when it fails, the run still ends
// with 0 and nothing on standard error, its failure in the log alone.
TEST_F(NightwickProgram, AFailedDataFileBackupLeavesTheStatusToTheProjects)
{
    std::filesystem::create_directories(native("db"));
    qm::test::writeFile(native("Options/User Options"), "[USER OPTIONS]\r\nProjectINIBackupPath=" + win("db") +
                                                             "\r\nUserBackINIOption=automatic\r\nUserBackINISchedule=1\r\n");
    makeSource("P1", {{"a.txt", "one"}});
    writeProject("P1", zipProject("P1"));

    // No stub in the program folder: the data-file archive cannot be built.
    std::string output;
    EXPECT_EQ(runNightwick("2026-03-07 13:05:09", {}, &output), 0);
    EXPECT_EQ(output, "");
    const std::vector<std::string> lines = logLines();
    const auto started = std::find(lines.begin(), lines.end(), "<Now>\tBack-up Data Files operation started");
    ASSERT_NE(started, lines.end());
    ASSERT_NE(started + 1, lines.end());
    EXPECT_EQ(*(started + 1), "<Now>\t" + qm::zip::PavikZip().ErrorText(0, qm::zip::result::SfxStubUnreadable));
    EXPECT_FALSE(std::filesystem::exists(native("db/QMBackupData.exe")));
    EXPECT_TRUE(std::filesystem::exists(native("out/P1.qmt")));
}

TEST_F(NightwickProgram, SchedulesPasswordsFileListsAndTheLatestDate)
{
    // Every 7 days: 6 days ago is not due, 7 days ago is.
    qm::store::ProjectRecord fresh = zipProject("Fresh7");
    fresh[F::ZIPBackupFrequency] = "7";
    fresh[F::ZIPLastBackupDate] = "3/1/2026 11:00:00 PM";
    makeSource("Fresh7", {{"a.txt", "a"}});
    writeProject("Fresh7", fresh);
    qm::store::ProjectRecord week = zipProject("Week7");
    week[F::ZIPBackupFrequency] = "7";
    week[F::ZIPLastBackupDate] = "2/28/2026 11:00:00 PM";
    makeSource("Week7", {{"a.txt", "a"}});
    writeProject("Week7", week);
    // A file that only resembles the due pattern, not due itself.
    qm::store::ProjectRecord loose = zipProject("Loose.zzzz");
    loose[F::ZIPBackupOption] = "manual";
    makeSource("Loose.zzzz", {{"a.txt", "a"}});
    writeProject("Loose.zzzz", loose);

    // A password on one project, none on the next.
    qm::store::ProjectRecord locked = zipProject("Locked");
    locked[F::ZIPUsePassword] = "yes";
    locked[F::ZIPDefaultPassword] = "s3cret";
    makeSource("Locked", {{"secret.txt", text(4, 's')}});
    writeProject("Locked", locked);
    makeSource("Open", {{"plain.txt", text(4, 'p')}});
    writeProject("Open", zipProject("Open"));

    // File lists: relative to the source folder, and full paths.
    qm::store::ProjectRecord rel = zipProject("ListRel");
    rel[F::ZIPFilesToProcess] = "(list)";
    makeSource("ListRel", {{"a.txt", "a"}, {"sub/b.txt", text(2, 'b')}, {"c.txt", "not listed"}});
    qm::test::writeFile(native("Filelists/ListRel-ZIP"), "a.txt\r\nsub\\b.txt\r\n");
    writeProject("ListRel", rel);
    qm::store::ProjectRecord abs = zipProject("ListAbs");
    abs[F::ZIPFilesToProcess] = "(list)";
    const std::string absSource = makeSource("ListAbs", {{"x.txt", "x"}, {"y.txt", text(2, 'y')}, {"z.txt", "z"}});
    qm::test::writeFile(native("Filelists/ListAbs-ZIP"), absSource + "\\x.txt\r\n" + absSource + "\\y.txt\r\n");
    writeProject("ListAbs", abs);

    // "latest": the archive takes its newest entry's time.
    qm::store::ProjectRecord latest = zipProject("Latest");
    latest[F::ZIPArchiveDate] = "latest";
    makeSource("Latest", {{"old.txt", "old"}, {"new.txt", "new"}});
    const DateTime newest{2024, 5, 6, 7, 8, 10};
    qm::fs::setModifiedTime(win("src-Latest") + "\\old.txt",
                            std::chrono::system_clock::from_time_t(qm::datetime::toTimeT(DateTime{2023, 1, 2, 3, 4, 6})));
    qm::fs::setModifiedTime(win("src-Latest") + "\\new.txt",
                            std::chrono::system_clock::from_time_t(qm::datetime::toTimeT(newest)));
    writeProject("Latest", latest);

    EXPECT_EQ(runNightwick("2026-03-07 06:00:00"), 0);

    const std::string target = win("out");
    std::vector<std::string> expected{"<Now>\tQuillmate automated back up operation started "};
    for (const char* name : {"Latest", "ListAbs", "ListRel", "Locked", "Open", "Week7"})
        for (const std::string& l : successBlock(name, target))
            expected.push_back(l);
    for (const std::string& l : {std::string("<Now>\tEnd of back up operations"), std::string("<Now>\tSummary:"),
                                 std::string("\t\t\t6\tProjects due for back-up"),
                                 std::string("\t\t\t6\tProjects successfully backed up"), dashes()})
        expected.push_back(l);
    for (const std::string& l : noAceDue())
        expected.push_back(l);
    EXPECT_EQ(logLines(), expected);
    EXPECT_FALSE(std::filesystem::exists(native("out/Fresh7.qmt")));
    EXPECT_FALSE(std::filesystem::exists(native("out/Loose.zzzz.qmt")));
    EXPECT_EQ(stamp("Fresh7", "ZIPLastBackupDate"), "3/1/2026 11:00:00 PM");

    const auto lockedEntries = readArchive("out/Locked.qmt", native("src-Locked").string());
    ASSERT_EQ(lockedEntries.size(), 1u);
    EXPECT_TRUE(lockedEntries.at("secret.txt").encrypted);
    const auto openEntries = readArchive("out/Open.qmt", native("src-Open").string());
    ASSERT_EQ(openEntries.size(), 1u);
    EXPECT_FALSE(openEntries.at("plain.txt").encrypted);
    EXPECT_EQ(openEntries.at("plain.txt").verdict, "same");

    const auto relEntries = readArchive("out/ListRel.qmt", native("src-ListRel").string());
    EXPECT_EQ(names(relEntries), (std::vector<std::string>{"a.txt", "sub/b.txt"}));
    for (const auto& [name, check] : relEntries)
        EXPECT_EQ(check.verdict, "same") << name;

    // Full paths keep their folders (below the drive's root).
    const auto absEntries = readArchive("out/ListAbs.qmt", "/");
    const std::string folder = native("src-ListAbs").string().substr(1);
    EXPECT_EQ(names(absEntries), (std::vector<std::string>{folder + "/x.txt", folder + "/y.txt"}));
    for (const auto& [name, check] : absEntries)
        EXPECT_EQ(check.verdict, "same") << name;

    EXPECT_EQ(qm::fs::modifiedTime(win("out") + "\\Latest.qmt"),
              std::chrono::system_clock::from_time_t(qm::datetime::toTimeT(newest)));
}

TEST_F(NightwickProgram, ASecondStartFindsTheFirstAndEndsWithoutARun)
{
    makeSource("P", {{"a.txt", "a"}});
    writeProject("P", zipProject("P"));
    bool unavailable = false;
    qm::fs::FileLock first = qm::runner::takeRunLock(unavailable);
    ASSERT_TRUE(first.locked());

    std::string output;
    EXPECT_EQ(runNightwick("2026-03-07 13:05:09", {"usemax"}, &output), 2);
    EXPECT_NE(output.find("another run is in progress"), std::string::npos) << output;
    EXPECT_EQ(logText(), "");
    EXPECT_FALSE(std::filesystem::exists(native("out/P.qmt")));

    // Once the first has ended, the next one runs, also when it is handed a
    // display that cannot be reached (a session that has ended).
    first.release();
    qm::test::ScopedEnv gone("DISPLAY", ":9173");
    qm::test::ScopedEnv platform("QT_QPA_PLATFORM", std::nullopt);
    EXPECT_EQ(runNightwick("2026-03-07 13:05:09", {"usemax"}, &output), 0) << output;
    EXPECT_TRUE(std::filesystem::exists(native("out/P.qmt")));
    EXPECT_NE(output.find("Archiving Done: Archive processing complete."), std::string::npos) << output;
}

TEST_F(NightwickProgram, ADueAceProjectIsArchivedLoggedStampedInBothSectionsAndNotDueAgain)
{
    qm::test::installWinAce(home_.path());
    // The data-file folder is there (so the second ACE pass runs); its backup is not due.
    std::filesystem::create_directories(native("db"));
    qm::test::writeFile(native("Options/User Options"),
                        "[USER OPTIONS]\r\nProjectINIBackupPath=" + win("db") + "\r\nUserBackINIOption=manual\r\n");
    makeSource("Ace1", {{"notes.txt", text(4, 'a')}, {"sub/more.txt", "more"}});
    writeProject("Ace1", aceProject("Ace1"));
    const std::string before = projectText("Ace1");

    EXPECT_EQ(runNightwick("2026-03-07 13:05:09"), 0);
    const auto entries = readArchive("out/Ace1.ace", native("src-Ace1").string());
    EXPECT_EQ(names(entries), (std::vector<std::string>{"notes.txt", "sub/", "sub/more.txt"}));
    EXPECT_EQ(entries.at("notes.txt").verdict, "same");

    const std::string target = win("out");
    std::vector<std::string> expected{"<Now>\tQuillmate automated back up operation started ",
                                      "<Now>\tNo records due for back up", dashes(),
                                      "<Now>\tQuillmate automated back up operation started "};
    for (const std::string& l : successBlock("Ace1", target))
        expected.push_back(l);
    for (const std::string& l : {std::string("<Now>\tEnd of ACE back up operations"), std::string("<Now>\tSummary:"),
                                 std::string("\t\t\t1\tProjects due for back-up"),
                                 std::string("\t\t\t1\tProjects successfully backed up"), dashes()})
        expected.push_back(l);
    for (const std::string& l : noAceDue()) // the second pass finds it done
        expected.push_back(l);
    EXPECT_EQ(logLines(), expected);

    // Stamped key by key in both sections; not another byte changed.
    const std::string date =
        qm::profile::getString(native("Projects/Ace1"), "ACE Files and Folders", "ACELastBackupDate", "?");
    const std::optional<DateTime> last = qm::datetime::parseDateTime(date);
    ASSERT_TRUE(last);
    EXPECT_EQ(last->date(), (DateTime{2026, 3, 7, 0, 0, 0}));
    std::string stamped = before;
    const std::string optionLine = "ACELastBackupDate=\r\n";
    stamped.replace(stamped.find(optionLine), optionLine.size(), "ACELastBackupDate=" + date + "\r\n");
    const std::string folderLine = "ACEDefaultRestoreFromFolder=" + target + "\r\n";
    stamped.insert(stamped.find(folderLine) + folderLine.size(),
                   "ACELastBackupDate=" + date + "\r\nACELastBackupFolder=" + target + "\r\n");
    EXPECT_EQ(projectText("Ace1"), stamped);
}

TEST_F(NightwickProgram, AnAceProjectThatFailsInBothPassesIsReportedOnce)
{
    qm::test::installWinAce(home_.path());
    std::filesystem::create_directories(native("db")); // the second ACE pass runs
    qm::test::writeFile(native("Options/User Options"),
                        "[USER OPTIONS]\r\nProjectINIBackupPath=" + win("db") + "\r\nUserBackINIOption=manual\r\n");
    qm::store::ProjectRecord lost = aceProject("Ace1");
    lost[F::ACEDefaultRestoreFromFolder] = win("gone");
    makeSource("Ace1", {{"notes.txt", "notes"}});
    writeProject("Ace1", lost);

    std::string output;
    EXPECT_EQ(runNightwick("2026-03-07 13:05:09", {}, &output), 1);
    EXPECT_EQ(output, "Nightwick: Ace1 was not backed up: Target folder (" + win("gone") +
                          ") not found or drive not ready\n");
    const std::vector<std::string> lines = logLines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "<Now>\tError locating ACE either Source or Target folder"), 2);
}

} // namespace
