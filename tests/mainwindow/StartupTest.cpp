// Start-up of the main window on a temporary program folder: the folders it
// prepares, the Temp purge, the scheduled job file, the user options, the
// WinAce rule and the command line.
#include "app/FileListBox.h"
#include "mainwindow/ProjectList.h"
#include "app/ProgramState.h"
#include "mainwindow/NightwickJob.h"
#include "mainwindow/Startup.h"
#include "platform/tasksched/Job.h"
#include "platform/tasksched/TasksFolder.h"
#include "platform/fs/FileLock.h"
#include "platform/registry/Registry.h"
#include "FakeUiServices.h"

#include "ProgramHome.h"

#include <set>
#include <sys/stat.h>

using namespace qm::app;
using qm::tasksched::tasksFolderNative;
namespace fs = std::filesystem;
using qm::test::readFile;
using qm::test::writeFile;

namespace {

class StartupTest : public qm::test::ProgramHomeTest {
protected:
    StartupResult load(const std::string& commandLine = {}, const WinAceLookup& lookup = nullptr)
    {
        return FormLoad(state_, File1_, commandLine, lookup);
    }
    void options(const std::string& body)
    {
        fs::create_directories(native("Options"));
        writeFile(native("Options/User Options"), "[USER OPTIONS]\r\n" + body);
    }

    // A model job whose comment is `comment`, naming a folder of its own.
    static std::string model(const std::string& comment)
    {
        return "[Task]\r\nApplicationName=C:\\opt\\model\\Nightwick\r\nWorkingDirectory=C:\\opt\\model\r\n"
               "Comment=" + comment + "\r\n\r\n[Trigger0]\r\nType=1\r\nStartHour=21\r\nWord1=1\r\n";
    }
    // The job in the tasks folder.
    static qm::tasksched::Job jobIn(const fs::path& tasksFolder)
    {
        const std::optional<qm::tasksched::Job> job = qm::tasksched::loadJob(tasksFolder / "Nightwick.job");
        if (!job)
            ADD_FAILURE() << "no job in " << tasksFolder;
        return job.value_or(qm::tasksched::Job{});
    }
    qm::tasksched::Job placedJob() const { return jobIn(tasks()); }

    qm::ui::FakeUiServices ui_;
    ProgramState state_{ui_};
    FileListBox File1_;
};

TEST_F(StartupTest, CreatesProjectsAndTempAndSetsTheStartValues)
{
    state_.Form1.AppDone = true;
    state_.Form1.TargetCopy = "_";
    state_.ChosenFolder = "D:\\old";
    const StartupResult r = load();

    EXPECT_TRUE(fs::is_directory(native("Projects")));
    EXPECT_TRUE(fs::is_directory(native("Temp")));
    EXPECT_FALSE(fs::exists(native("Filelists"))); // nothing else is made
    EXPECT_FALSE(state_.Form1.AppDone);
    EXPECT_EQ(state_.Form1.TargetCopy, "");
    EXPECT_EQ(state_.ChosenFolder, "");
    EXPECT_EQ(state_.OSFamily, "NT");
    EXPECT_EQ(state_.TasksFolder, qm::fs::fromNative(tasks()));
    EXPECT_EQ(state_.store.UserOptionsIni, win("Options") + "\\User Options");
    EXPECT_EQ(state_.HelpFile, win("Quillmate.html"));
    EXPECT_EQ(File1_.Path(), win("Projects"));
    EXPECT_EQ(File1_.ListCount(), 0);
    EXPECT_FALSE(r.Timer1Enabled);
    EXPECT_EQ(state_.Form1.strRunCommand, "");
    EXPECT_TRUE(ui_.boxes().empty());
}

TEST_F(StartupTest, TempLosesEveryFileButKeepsSubfoldersAndLockedFiles)
{
    fs::create_directories(native("Temp/sub"));
    writeFile(native("Temp/normal.txt"), "n");
    writeFile(native("Temp/.hidden"), "h");
    writeFile(native("Temp/readonly.txt"), "r");
    fs::permissions(native("Temp/readonly.txt"), fs::perms::owner_read, fs::perm_options::replace);
    writeFile(native("Temp/sub/inner.txt"), "i");
    writeFile(native("Temp/locked.txt"), "l");
    writeFile(native("Temp/zlast.txt"), "z");
    qm::fs::FileLock lock = qm::fs::FileLock::acquire(native("Temp/locked.txt"));
    ASSERT_TRUE(lock.locked());
    // A link to a file outside Temp: the link goes, what it leads to stays.
    qm::test::TempDir outside("qm-mw-outside");
    writeFile(outside / "precious.txt", "p");
    fs::create_symlink(outside / "precious.txt", native("Temp/link.txt"));

    load();

    std::set<std::string> left;
    for (const auto& e : fs::directory_iterator(native("Temp")))
        left.insert(e.path().filename().string());
    EXPECT_EQ(left, (std::set<std::string>{"locked.txt", "sub"}));
    EXPECT_EQ(readFile(native("Temp/sub/inner.txt")), "i");
    EXPECT_EQ(readFile(outside / "precious.txt"), "p");
}

TEST_F(StartupTest, PurgeLooksAtEachFileOnceAndReportsWhatItLeft)
{
    fs::create_directories(native("Temp"));
    writeFile(native("Temp/a"), "a");
    writeFile(native("Temp/b"), "b");
    qm::fs::FileLock lock = qm::fs::FileLock::acquire(native("Temp/a"));
    const PurgeResult r = PurgeHidden(win("Temp"));
    EXPECT_EQ(r.deleted, 1);
    EXPECT_EQ(r.skipped, std::vector<std::string>{"a"});
    EXPECT_TRUE(fs::exists(native("Temp/a")));
    // A missing folder is no failure.
    EXPECT_EQ(PurgeHidden(win("NoSuchTemp")).deleted, 0);
}

TEST_F(StartupTest, JobFileIsPlacedOnceAndNeverReplacedByAnotherModel)
{
    writeFile(native("Nightwick.job"), model("first"));
    load();
    ASSERT_TRUE(fs::exists(tasks() / "Nightwick.job"));
    const std::string placed = readFile(tasks() / "Nightwick.job");
    EXPECT_EQ(placedJob().Comment, "first");
    EXPECT_EQ(fs::status(tasks()).permissions() & fs::perms::all, fs::perms::owner_all);

    writeFile(native("Nightwick.job"), model("second"));
    ProgramState again(ui_);
    FileListBox list;
    FormLoad(again, list, "", nullptr);
    EXPECT_EQ(readFile(tasks() / "Nightwick.job"), placed);
}

TEST_F(StartupTest, BuiltJobFileIsCopiedAsATask)
{
    fs::copy_file(qm::test::programDir() / "Nightwick.job", native("Nightwick.job"));
    fs::permissions(native("Nightwick.job"), fs::perms::group_write | fs::perms::others_write, fs::perm_options::add);
    load();
    EXPECT_EQ(fs::status(tasks() / "Nightwick.job").permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
    const auto job = qm::tasksched::loadJob(tasks() / "Nightwick.job");
    ASSERT_TRUE(job);
    ASSERT_EQ(job->triggers.size(), 1u);
    EXPECT_EQ(job->triggers[0].wStartHour, 21);
}

TEST_F(StartupTest, ThePlacedJobRunsTheNightwickOfTheProgramFolderItRunsFrom)
{
    fs::copy_file(qm::test::programDir() / "Nightwick.job", native("Nightwick.job"));
    load();
    const qm::tasksched::Job job = placedJob();
    EXPECT_EQ(job.ApplicationName, win("Nightwick"));
    EXPECT_EQ(job.WorkingDirectory, qm::fs::appPath());
    // Everything else is the model's.
    qm::tasksched::Job built = jobIn(home_.path());
    built.ApplicationName = job.ApplicationName;
    built.WorkingDirectory = job.WorkingDirectory;
    EXPECT_EQ(job, built);
}

TEST_F(StartupTest, StartUpsOwnJobFollowsTheProgramFolderQuillmateRunsFrom)
{
    writeFile(native("Nightwick.job"), model("daily"));
    load();
    // The program folder copied elsewhere, as an install does, and started there.
    qm::test::TempDir installed("qm-installed");
    fs::copy_file(native("Nightwick.job"), installed / "Nightwick.job");
    writeFile(tasks() / "Nightwick.job.state", "[State]\r\nExitCode=0\r\n");
    {
        qm::test::ScopedEnv home("QUILLMATE_HOME", installed.str());
        ProgramState state(ui_);
        FileListBox list;
        FormLoad(state, list, "", nullptr);
    }
    EXPECT_EQ(placedJob().ApplicationName, qm::fs::fromNative(installed / "Nightwick"));
    EXPECT_EQ(placedJob().WorkingDirectory, qm::fs::fromNative(installed.path()));
    EXPECT_EQ(placedJob().Comment, "daily");
    EXPECT_EQ(fs::status(tasks() / "Nightwick.job").permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
    // The task's run state is the task's, wherever its program lives.
    EXPECT_EQ(readFile(tasks() / "Nightwick.job.state"), "[State]\r\nExitCode=0\r\n");

    // Started from the first folder again, the job comes back with it.
    ProgramState again(ui_);
    FileListBox list;
    FormLoad(again, list, "", nullptr);
    EXPECT_EQ(placedJob().ApplicationName, win("Nightwick"));
}

TEST_F(StartupTest, AJobTheUserMadeOrChangedIsNeverReplaced)
{
    using namespace qm::tasksched;
    writeFile(native("Nightwick.job"), model("daily"));
    fs::create_directories(tasks());
    // What start-up placed from another program folder.
    const std::string elsewhere = "C:\\opt\\quillmate";
    const std::string placed = placedJobText(*parseJob(model("daily")), elsewhere);
    const std::string mark = placed.substr(0, placed.find("\r\n") + 2);
    std::string retimed = placed;
    retimed.replace(retimed.find("StartHour=21"), 12, "StartHour=22");

    const std::pair<const char*, std::string> cases[] = {
        {"a trigger changed by hand", retimed},
        {"saved by the task property sheet", formatJob(*unchangedPlacedJob(placed))},
        {"a job of the user's own", model("mine")},
        {"another job under start-up's line", mark + formatJob(*parseJob(model("mine")))},
        {"start-up's line alone", mark},
        {"no job at all", "text\r\n"},
    };
    for (const auto& [what, text] : cases) {
        writeFile(tasks() / "Nightwick.job", text);
        ProgramState state(ui_);
        FileListBox list;
        FormLoad(state, list, "", nullptr);
        EXPECT_EQ(readFile(tasks() / "Nightwick.job"), text) << what;
    }

    // A link to start-up's job is not start-up's job.
    qm::test::TempDir outside("qm-mw-outside");
    writeFile(outside / "linked.job", placed);
    fs::remove(tasks() / "Nightwick.job");
    fs::create_symlink(outside / "linked.job", tasks() / "Nightwick.job");
    load();
    EXPECT_TRUE(fs::is_symlink(tasks() / "Nightwick.job"));
    EXPECT_EQ(readFile(outside / "linked.job"), placed);

    // Unchanged, it is start-up's own and comes to this program folder.
    fs::remove(tasks() / "Nightwick.job");
    writeFile(tasks() / "Nightwick.job", placed);
    ProgramState again(ui_);
    FileListBox list;
    FormLoad(again, list, "", nullptr);
    EXPECT_EQ(placedJob().ApplicationName, win("Nightwick"));
}

TEST_F(StartupTest, APipeInPlaceOfTheJobIsNeverWaitedOn)
{
    writeFile(native("Nightwick.job"), model("daily"));
    fs::create_directories(tasks());
    ASSERT_EQ(::mkfifo((tasks() / "Nightwick.job").c_str(), 0600), 0);
    EXPECT_TRUE(finishesWithoutWriters({tasks() / "Nightwick.job"}, [&] { load(); }));
    EXPECT_TRUE(fs::is_fifo(tasks() / "Nightwick.job"));
}

TEST_F(StartupTest, MissingJobFileInTheProgramFolderIsPassedOver)
{
    load();
    EXPECT_FALSE(fs::exists(tasks() / "Nightwick.job"));
    EXPECT_EQ(state_.OSFamily, "NT");
    EXPECT_TRUE(ui_.boxes().empty());
}

TEST_F(StartupTest, TasksFolderFollowsTheXdgRule)
{
    EXPECT_EQ(tasksFolderNative(), data_ / "quillmate" / "Tasks");
    qm::test::ScopedEnv relative("XDG_DATA_HOME", "relative/path");
    qm::test::ScopedEnv home("HOME", "/home/someone");
    EXPECT_EQ(tasksFolderNative(), fs::path("/home/someone/.local/share/quillmate/Tasks"));
}

TEST_F(StartupTest, UserOptionsAreLoaded)
{
    options("UserTempFolder=D:\\scratch\r\nUserDefaultCompression=ZIP\r\n");
    load();
    EXPECT_EQ(state_.store.UserOptionsRecord(1).UserDefaultCompression, "ZIP");
    EXPECT_EQ(state_.store.TempFolder, "D:\\scratch");
}

TEST_F(StartupTest, WinAceIsAcceptedFromVersion211)
{
    struct Case {
        std::string version;
        bool accepted;
    } cases[] = {{"2.11", true}, {"3", true},     {"2.2", true},   {"2.5", true},  {"211", true},
                 {" 2.11 ", true}, {"2.10", false}, {"2.1", false}, {"", false},   {"abc", false},
                 {"2.11b", false}, {"v3", false},   {"-3", false}};
    options("UserDefaultCompression=ACE\r\n");
    for (const Case& c : cases) {
        ProgramState state(ui_);
        FileListBox list;
        FormLoad(state, list, "", [&](std::string& path, std::string& version) {
            path = "C:\\Program Files\\WinAce\\winace.exe";
            version = c.version;
        });
        EXPECT_EQ(state.Form1.WinAceLocation, c.accepted ? "C:\\Program Files\\WinAce\\winace.exe" : "")
            << "version \"" << c.version << "\"";
    }
}

TEST_F(StartupTest, WinAceIsLookedUpOnlyForExactlyAce)
{
    for (const char* compression : {"ace", "ZIP", ""}) {
        options(std::string("UserDefaultCompression=") + compression + "\r\n");
        bool asked = false;
        ProgramState state(ui_);
        FileListBox list;
        FormLoad(state, list, "", [&](std::string& path, std::string& version) {
            asked = true;
            path = "C:\\winace.exe";
            version = "3";
        });
        EXPECT_FALSE(asked) << compression;
        EXPECT_EQ(state.Form1.WinAceLocation, "");
    }
}

TEST_F(StartupTest, WinAceIsLookedUpInTheRegistryByDefault)
{
    using namespace qm::registry;
    options("UserDefaultCompression=ACE\r\n");
    FormLoad(state_, File1_, "");
    EXPECT_EQ(state_.Form1.WinAceLocation, "");

    setValue(hkey::CurrentUser, "SOFTWARE\\e-merge\\WinAce", "Path", textValue("C:\\Ace\\winace.exe"));
    setValue(hkey::CurrentUser, "SOFTWARE\\e-merge\\WinAce", "Version", dwordValue(211));
    ProgramState state(ui_);
    FormLoad(state, File1_, "");
    EXPECT_EQ(state.Form1.WinAceLocation, "C:\\Ace\\winace.exe");

    setValue(hkey::CurrentUser, "SOFTWARE\\e-merge\\WinAce", "Version", textValue("2.10"));
    ProgramState refused(ui_);
    FormLoad(refused, File1_, "");
    EXPECT_EQ(refused.Form1.WinAceLocation, "");
}

TEST_F(StartupTest, CommandLinePathIsTrimmedWithItsQuotesKept)
{
    const StartupResult r = load("   \"C:\\My Backups\\week 1.qmt\" \t");
    EXPECT_TRUE(r.Timer1Enabled);
    EXPECT_EQ(state_.Form1.strRunCommand, "\"C:\\My Backups\\week 1.qmt\"");

    EXPECT_EQ(commandLineText({"C:\\My", "Backups\\x.qmt"}), "C:\\My Backups\\x.qmt");
    EXPECT_EQ(commandLineText({}), "");

    // Nothing but blanks names no archive.
    ProgramState state(ui_);
    FileListBox list;
    EXPECT_FALSE(FormLoad(state, list, "   ", nullptr).Timer1Enabled);
    EXPECT_EQ(state.Form1.strRunCommand, "");
}

TEST_F(StartupTest, FileListHoldsTheProjectFilesOnly)
{
    project("beta", {"[SOURCES]"});
    project("Alpha", {"[SOURCES]"});
    project(".hidden", {"[SOURCES]"});
    fs::create_directories(native("Projects/folder"));
    load();
    EXPECT_EQ(File1_.names(), (std::vector<std::string>{"Alpha", "beta"}));
    EXPECT_TRUE(File1_.contains("ALPHA"));
    EXPECT_EQ(File1_.List(5), "");
}

TEST_F(StartupTest, StartUpNeverWaitsOnNamedPipes)
{
    // Pipes nobody writes to: in Temp, linked from Temp, among the projects,
    // in place of the job file and of the user options. Opening any of them
    // would wait for ever.
    qm::test::TempDir outside("qm-mw-outside");
    for (const char* folder : {"Temp", "Projects", "Options"})
        fs::create_directories(native(folder));
    const std::vector<fs::path> fifos{native("Temp/pipe"), outside / "pipe", native("Projects/pipe"),
                                      native("Nightwick.job"), native("Options/User Options")};
    for (const fs::path& f : fifos)
        ASSERT_EQ(::mkfifo(f.c_str(), 0600), 0) << f;
    fs::create_symlink(outside / "pipe", native("Temp/link"));
    project("Alpha", {"[SOURCES]", "ProjectName=Alpha"});
    fs::create_symlink(native("Projects/Alpha"), native("Projects/Linked"));

    std::vector<ProjectRow> rows;
    EXPECT_TRUE(finishesWithoutWriters(fifos, [&] {
        load();
        rows = PopulateList(state_, File1_);
    }));
    EXPECT_FALSE(fs::exists(fs::symlink_status(native("Temp/pipe"))));
    EXPECT_FALSE(fs::exists(fs::symlink_status(native("Temp/link"))));
    EXPECT_TRUE(fs::is_fifo(outside / "pipe"));
    EXPECT_FALSE(fs::exists(tasks() / "Nightwick.job"));
    EXPECT_EQ(state_.store.UserOptionsRecord(1).UserDefaultCompression, "");
    // The pipe among the projects gives an empty row; a link to a project
    // file reads as that file.
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].text, "Alpha");
    EXPECT_EQ(rows[1].text, "Alpha");
    EXPECT_EQ(rows[2].text, "");
}

} // namespace
