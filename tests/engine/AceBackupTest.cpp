// The manual ACE backups without a window: BackupArchive, MakeAce and
// MakeAceEXE with the WinAce stand-in installed in this test program's
// registry, over the manual backups' test set-up.
#include "BackupFixture.h"

#include "platform/datetime/DateText.h"
#include "platform/fs/CurrentFolder.h"
#include "platform/fs/FileOps.h"
#include "platform/registry/Registry.h"
#include "platform/zip/PavikZip.h"
#include "platform/zip/SfxBlock.h"
#include "restore/ActionLog.h"

#include "WinAceStandIn.h"

namespace {

using namespace qm::test::engine;
using F = qm::store::ProjectField;

class AceBackupTest : public BackupTest {
protected:
    AceBackupTest()
    {
        state_.Form1.WinAceLocation = winace_;
        windows_.engine.onSplitSize = [this](const std::string& mode) {
            state_.Form1.AceSplitSize = splitSize_;
            if (splitSize_ == "Abort") {
                splitSizeCancel(state_, mode);
                return false;
            }
            return true;
        };
        // The window reads the log as the real one does.
        windows_.restore.onActionLog = [](const std::string& at) { qm::restore::readActionLog(at); };
    }
    ~AceBackupTest() override
    {
        qm::fs::ChDir(qm::fs::fromNative(cwd_));
        qm::test::uninstallWinAce();
    }

    // The ACE project with its self-extracting twin going to "sfx", on the
    // next row of the list.
    qm::store::ProjectRecord aceSfxProject(const std::string& name) const
    {
        qm::store::ProjectRecord r = aceProject(name);
        r[F::ACEStorePathOption] = "-fp";
        r[F::ACESFXBackFile] = name + ".exe";
        r[F::ACESFXDefaultExtractFolder] = win("sfx");
        r[F::ACESFXDoSubFolders] = "yes";
        r[F::ACESFXFilesToProcess] = "*";
        return r;
    }
    void addAceProject(const std::string& name, const std::function<void(qm::store::ProjectRecord&)>& edit = {})
    {
        makeSource(name, {{"a.txt", "alpha"}, {"sub/b.txt", "beta"}});
        qm::store::ProjectRecord r = aceSfxProject(name);
        if (edit)
            edit(r);
        writeProject(name, r);
        view_.rows.push_back({name, "", "", "", "", ""});
    }
    std::vector<std::string> names(const std::string& archive, const std::string& password = {})
    {
        qm::zip::PavikZip z;
        qm::zip::ZipEventHandlers h;
        std::vector<std::string> found;
        h.onFileListed = [&](const qm::zip::ListedEntry& e) { found.push_back(e.name); };
        z.addEventSink(&h);
        z.ArchivePath = win(archive);
        z.Password = password;
        EXPECT_EQ(z.ListEntries(), 0) << archive;
        if (!password.empty()) {
            EXPECT_EQ(z.Test(), 0) << archive;
        }
        return found;
    }
    std::vector<std::string> startLines(const std::string& name, const std::string& archive) const
    {
        return {dashes(), "<Now>\tManual back-up started for " + name, "\t\t\tTarget File: " + win(archive)};
    }
    // A split backup, a file deleted from the source, then "Delete old
    // back-up and rebuild" (see the tests below).
    void splitRebuilds(int k)
    {
        const bool exe = k == kind::AceExeMulti;
        const std::string folder = exe ? "sfx" : "out";
        const std::string archive = folder + (exe ? "/Home.exe" : "/Home.ace");
        stdfs::create_directories(native(folder));
        addAceProject("Home", [](auto& r) { r[F::ACESFXFilesToProcess] = "*"; });
        // A self-extracting set's first part holds the whole program.
        makeSource("Home", {{"big.bin", noise(exe ? 400000 : 150000, 1)}, {"more.bin", noise(60000, 2)},
                            {"gone.txt", "deleted before the rebuild"}});
        splitSize_ = exe ? "730000" : "100000";
        backUp("Home", k);
        ASSERT_EQ(view_.rows[0][1], Now) << qm::test::actionLog(home_.path())[1];
        ASSERT_GT(filesIn(folder).size(), 1u); // a set of parts
        view_.rows[0][1] = "";

        stdfs::remove(native("src-Home/gone.txt"));
        backUp("Home", k, true);
        EXPECT_EQ(view_.rows[0][1], Now) << qm::test::actionLog(home_.path())[1];
        std::vector<std::string> held = names(archive);
        std::sort(held.begin(), held.end());
        EXPECT_EQ(held, (std::vector<std::string>{"a.txt", "big.bin", "more.bin", "sub\\", "sub\\b.txt"}));
        std::string output;
        EXPECT_EQ(qm::test::runCommand({qm::test::winAceCopy(home_.path()).string(), "t", win(archive)}, &output), 0)
            << output;
        const std::map<std::string, std::string> rebuilt = filesIn(folder);
        for (const auto& [name, bytes] : rebuilt)
            EXPECT_NE(name[0], '.') << name; // nothing hidden is left

        // WinAce fails after its set stood (a listed file is missing), or
        // before it made anything (the list is missing).
        view_.rows[0][1] = "";
        qm::store::ProjectRecord r = aceSfxProject("Home");
        r[F::ACEFilesToProcess] = "(list)";
        r[F::ACESFXFilesToProcess] = "";
        writeProject("Home", r);
        const std::string list = exe ? "Filelists/Home-ACEEXE" : "Filelists/Home-ACE";
        qm::test::writeFile(native(list), "big.bin\r\nmore.bin\r\nmissing.txt\r\n");
        backUp("Home", k, true);
        EXPECT_EQ(qm::test::actionLog(home_.path()).back(), "Done with 1 warning(s).");
        EXPECT_TRUE(filesIn(folder) == rebuilt) << "the set after WinAce failed differs";
        stdfs::remove(native(list));
        backUp("Home", k, true);
        EXPECT_EQ(qm::test::actionLog(home_.path()).back(), "Failed.");
        EXPECT_TRUE(filesIn(folder) == rebuilt) << "the set after WinAce failed differs";
        EXPECT_EQ(view_.rows[0][1], "");
    }
    // The files of a folder of the program folder with their bytes.
    std::map<std::string, std::string> filesIn(const std::string& folder) const
    {
        std::map<std::string, std::string> files;
        for (const auto& e : stdfs::directory_iterator(native(folder)))
            files[e.path().filename().string()] = qm::test::readFile(e.path());
        return files;
    }
    void setWinAceVersion(const std::string& version)
    {
        qm::registry::setValue(qm::registry::hkey::CurrentUser, R"(SOFTWARE\e-merge\WinAce)", "Version",
                               qm::registry::textValue(version));
    }

    stdfs::path cwd_ = stdfs::current_path();
    std::string winace_ = qm::test::installWinAce(home_.path());
    std::string splitSize_ = "1457000";
};

TEST_F(AceBackupTest, AceBackupStampsTheRecordAndTheRowAndLogsSuccess)
{
    addAceProject("Other");
    addAceProject("Home", [](auto& r) {
        r[F::ACEUsePassword] = "yes";
        r[F::ACEDefaultPassword] = "my  secret";
        r[F::ACEUseComments] = "yes";
        r[F::ACEComments] = "Weekly";
    });
    bool commandsOffMeanwhile = false;
    ui_.onDoEvents([&] { commandsOffMeanwhile = commandsOffMeanwhile || !view_.commandsEnabled; });
    backUp("Home", kind::Ace);

    EXPECT_TRUE(prompts().empty()) << prompts().front();
    EXPECT_TRUE(commandsOffMeanwhile);
    EXPECT_TRUE(view_.commandsEnabled);
    EXPECT_EQ(windows_.restore.actionLogs, std::vector<std::string>{winace_});
    EXPECT_EQ(names("out/Home.ace", "my  secret"), (std::vector<std::string>{"a.txt", "sub\\", "sub\\b.txt"}));
    EXPECT_EQ(qm::test::actionLog(home_.path()).back(), "Done.");
    EXPECT_FALSE(stdfs::exists(native("Temp/comment.txt"))); // written for the run, gone after it
    std::string comment;
    qm::test::runCommand({"python3", "-c", "import sys, zipfile; print(zipfile.ZipFile(sys.argv[1]).comment.decode())",
                          native("out/Home.ace").string()},
                         &comment);
    EXPECT_EQ(comment, "Weekly\n");
    EXPECT_EQ(view_.rows[1][1], Now);
    EXPECT_EQ(view_.rows[0][1], "");
    const std::string file = projectText("Home");
    EXPECT_NE(file.find(std::string("ACELastBackupDate=") + Now + "\r\n"), std::string::npos);
    EXPECT_NE(file.find("ACELastBackupFolder=" + win("out") + "\r\n"), std::string::npos);
    std::vector<std::string> expected = startLines("Home", "out/Home.ace");
    expected.push_back("<Now>\tHome successfully backed up.");
    EXPECT_EQ(logLines(), expected);
    EXPECT_FALSE(ui_.isBusy());
    EXPECT_EQ(qm::fs::CurDir(), win("src-Home")); // WinAce ran in the source folder
}

TEST_F(AceBackupTest, SelfExtractingBackupWritesItsOptionsAndRecordsThePlainFolder)
{
    addAceProject("Home", [](auto& r) {
        r[F::ACESFXFilesToProcess] = ""; // the list is used
        r[F::ACESFXProjectCaption] = "Home files";
        r[F::ACESFXProjectIntro] = "Unpacks the home files.";
    });
    stdfs::create_directories(native("sfx"));
    qm::test::writeFile(native("Filelists/Home-ACEEXE"), "a.txt\r\n");
    backUp("Home", kind::AceExe);

    EXPECT_TRUE(prompts().empty()) << prompts().front();
    EXPECT_EQ(qm::test::readFile(native("sfxopt.ini")),
              "[OPTIONS]\r\nTITLE=Home files\r\nSFXFILE=" + win("WinAce") +
                  "\\SFXFILES\\WGUI_EN.SFX\r\nINFO=Unpacks the home files.\r\n");
    EXPECT_EQ(names("sfx/Home.exe"), std::vector<std::string>{"a.txt"});
    const std::optional<qm::sfx::SfxConfig> config = qm::sfx::loadFromFile(native("sfx/Home.exe").string());
    ASSERT_TRUE(config);
    EXPECT_EQ(config->Caption, "Home files");
    EXPECT_NE(stdfs::status(native("sfx/Home.exe")).permissions() & stdfs::perms::owner_exec, stdfs::perms::none);
    const std::string file = projectText("Home");
    EXPECT_NE(file.find("ACELastBackupFolder=" + win("out") + "\r\n"), std::string::npos);
    EXPECT_EQ(logLines().back(), "<Now>\tHome successfully backed up.");
    EXPECT_EQ(logLines()[2], "\t\t\tTarget File: " + win("sfx") + "\\Home.exe");

    // An empty extract folder is refused before anything runs.
    ui_.clearRecords();
    stdfs::remove(native("autoback.log"));
    qm::store::ProjectRecord r = aceSfxProject("Home");
    r[F::ACESFXDefaultExtractFolder] = "";
    writeProject("Home", r);
    backUp("Home", kind::AceExe);
    EXPECT_EQ(prompts(), std::vector<std::string>{"Error!: The Target folder for your project, Home has not been defined."});
    EXPECT_EQ(logText(), "");
}

TEST_F(AceBackupTest, RegisteredWinAceIsCheckedAgainForTheSelfExtractorsOptions)
{
    addAceProject("Home", [](auto& r) { r[F::ACESFXProjectCaption] = "Home"; });
    stdfs::create_directories(native("sfx"));
    const std::pair<std::string, std::string> versions[] = {
        {"2.1", "Error!: ACE compression requires WinAce version 2.11 or later.\r\nYour installed version is 2.1"},
        {"two", "Error!: ACE compression requires WinAce version 2.11 or later.\r\nYour installed version is two"},
        {"", ""}, // an empty version passes
    };
    for (const auto& [version, box] : versions) {
        ui_.clearRecords();
        setWinAceVersion(version);
        backUp("Home", kind::AceExe);
        EXPECT_EQ(prompts(), box.empty() ? std::vector<std::string>{} : std::vector<std::string>{box}) << version;
        EXPECT_FALSE(ui_.isBusy());
    }
    EXPECT_TRUE(stdfs::exists(native("sfx/Home.exe")));

    ui_.clearRecords();
    qm::registry::deleteKey(qm::registry::hkey::CurrentUser, R"(SOFTWARE\e-merge\WinAce)");
    stdfs::remove(native("autoback.log"));
    backUp("Home", kind::AceExe);
    EXPECT_EQ(prompts(), std::vector<std::string>{"Error!: ACE compression requires that you have installed\r\n"
                                                  "WinACE 2.11 or later. Quillmate could not\r\n"
                                                  "locate that program on your system."});
    EXPECT_EQ(logLines(), startLines("Home", "sfx/Home.exe")); // its start lines stay
}

TEST_F(AceBackupTest, WithoutWinAceOrWithALaunchThatFailsNothingIsLost)
{
    addAceProject("Home");
    backUp("Home", kind::Ace);
    const std::string before = qm::test::readFile(native("out/Home.ace"));
    const std::string record = projectText("Home");
    windows_.restore.actionLogs.clear();

    state_.Form1.WinAceLocation.clear();
    qm::test::uninstallWinAce();
    backUp("Home", kind::Ace, true);
    EXPECT_EQ(prompts(), std::vector<std::string>{"Error!: Cannot find an installed version of WinAce (2.11 or higher)"});
    EXPECT_EQ(qm::test::readFile(native("out/Home.ace")), before);

    ui_.clearRecords();
    stdfs::remove(native("autoback.log"));
    // A program that is there but cannot run.
    qm::test::writeFile(native("nowhere/WinAce"), "not a program");
    state_.Form1.WinAceLocation = win("nowhere/WinAce");
    backUp("Home", kind::Ace, true);
    EXPECT_EQ(prompts(), std::vector<std::string>{"Error!: WinAce could not be started: " + win("nowhere/WinAce") +
                                                  "\r\n\r\nShell error code: 31"});
    EXPECT_TRUE(windows_.restore.actionLogs.empty()); // no old log
    EXPECT_EQ(qm::test::readFile(native("out/Home.ace")), before);
    EXPECT_EQ(projectText("Home"), record);
    EXPECT_EQ(logLines(), startLines("Home", "out/Home.ace"));
    EXPECT_FALSE(ui_.isBusy());
    EXPECT_TRUE(view_.commandsEnabled);
}

// Start-up looks WinAce up only when the default compression is ACE: an
// ACE backup with no location looks it up again, and keeps it. So does one
// whose WinAce was moved since it was found.
TEST_F(AceBackupTest, WinAceIsLookedUpAgainWhenStartUpLeftNoLocationOrItsProgramIsGone)
{
    addAceProject("Home");
    for (const std::string& known : {std::string(), win("moved/WinAce")}) {
        state_.Form1.WinAceLocation = known;
        backUp("Home", kind::Ace);
        EXPECT_TRUE(prompts().empty()) << prompts().front();
        EXPECT_EQ(state_.Form1.WinAceLocation, winace_);
        EXPECT_EQ(view_.rows[0][1], Now);
    }
}

TEST_F(AceBackupTest, AFailingWinAceOrAnUnchangedArchiveIsNoSuccess)
{
    addAceProject("Home", [](auto& r) { r[F::ACEArchiveDate] = "latest"; });
    for (const char* f : {"src-Home/a.txt", "src-Home/sub/b.txt"})
        qm::fs::setModifiedTime(win(f), std::chrono::system_clock::from_time_t(
                                            qm::datetime::toTimeT(DateTime{2024, 1, 2, 3, 4, 5})));
    backUp("Home", kind::Ace);
    ASSERT_EQ(view_.rows[0][1], Now);
    view_.rows[0][1] = "";
    const std::string before = qm::test::readFile(native("out/Home.ace"));

    // Nothing changed: WinAce leaves the archive with its newest entry's
    // time, before the last backup's date.
    clock_.advanceDays(1);
    backUp("Home", kind::Ace);
    EXPECT_EQ(view_.rows[0][1], "");
    EXPECT_EQ(logLines().size(), 7u);

    // WinAce makes the archive but reports a listed file missing (exit code 1).
    qm::store::ProjectRecord r = aceSfxProject("Home");
    r[F::ACEFilesToProcess] = "(list)";
    r[F::ACEBackFile] = "Listed.ace";
    writeProject("Home", r);
    qm::test::writeFile(native("Filelists/Home-ACE"), "a.txt\r\nmissing.txt\r\n");
    backUp("Home", kind::Ace);
    EXPECT_EQ(names("out/Listed.ace"), std::vector<std::string>{"a.txt"});
    EXPECT_EQ(view_.rows[0][1], "");

    // WinAce fails (its list file is missing): the old archive comes back.
    stdfs::remove(native("Filelists/Home-ACE"));
    r[F::ACEBackFile] = "Home.ace";
    writeProject("Home", r);
    backUp("Home", kind::Ace, true);
    EXPECT_EQ(qm::test::actionLog(home_.path())[1], "Error: list file not found: " + win("Filelists") + "\\Home-ACE");
    EXPECT_EQ(qm::test::readFile(native("out/Home.ace")), before);
    EXPECT_EQ(view_.rows[0][1], "");
    EXPECT_EQ(logLines().back(), "\t\t\tTarget File: " + win("out") + "\\Home.ace");
    EXPECT_TRUE(prompts().empty());
}

TEST_F(AceBackupTest, ARebuildDropsACopyAKilledRunLeftAsideAndTakesTheFilesAlone)
{
    addAceProject("Home");
    backUp("Home", kind::Ace);
    // An older copy a killed run left aside beside the whole archive: it
    // goes, and the rebuild sets the archive aside and starts afresh.
    qm::test::writeFile(native("out/.Home.ace.previous"), qm::test::readFile(native("out/Home.ace")));
    stdfs::remove(native("src-Home/a.txt"));
    backUp("Home", kind::Ace, true);
    EXPECT_EQ(names("out/Home.ace"), (std::vector<std::string>{"sub\\", "sub\\b.txt"}));
    EXPECT_FALSE(stdfs::exists(native("out/.Home.ace.previous")));
}

// "Delete old back-up and rebuild" of the split kinds over a set already
// there: WinAce makes the new set of the files alone in the places of the
// old one, which waits aside meanwhile. A WinAce that fails, before its set
// stands or after, leaves the old set whole, and nothing beside it.
TEST_F(AceBackupTest, SplitRebuildReplacesTheSetAndAFailingWinAceLeavesTheOldSetWhole)
{
    splitRebuilds(kind::AceMulti);
}

TEST_F(AceBackupTest, SelfExtractingSplitRebuildReplacesTheSetAndAFailingWinAceLeavesTheOldSetWhole)
{
    splitRebuilds(kind::AceExeMulti);
}

// WinAce that fills the disk ends the run as a full disk ends a ZIP
// backup: its box and log line; the old archive and the record stay.
TEST_F(AceBackupTest, AFullDiskDuringWinAcesRunShowsTheDiskFullBoxAndLogsIt)
{
    addAceProject("Home");
    backUp("Home", kind::Ace);
    const std::string before = qm::test::readFile(native("out/Home.ace"));
    const std::string record = projectText("Home");
    qm::test::writeFile(native("src-Home/big.bin"), noise(200000, 7));
    ui_.clearRecords();
    {
        qm::test::FileSizeLimit limit(before.size() + 20000);
        backUp("Home", kind::Ace, true);
    }
    const std::string full = "Target Drive/Directory has insufficient space to store your database. Choose "
                             "another location and try again.";
    EXPECT_EQ(qm::test::actionLog(home_.path()).back(), "Failed.");
    EXPECT_EQ(prompts(), std::vector<std::string>{"Error!: " + full});
    EXPECT_EQ(ui_.lastBox().icon, qm::ui::Icon::Critical);
    EXPECT_EQ(logLines().back(), "<Now>\t" + full);
    EXPECT_EQ(qm::test::readFile(native("out/Home.ace")), before);
    EXPECT_EQ(projectText("Home"), record);
}

TEST_F(AceBackupTest, SplitSizeAnswersAndExitWhileWinAceRuns)
{
    addAceProject("Home");
    splitSize_ = "Abort";
    backUp("Home", kind::AceMulti);
    splitSize_ = "";
    backUp("Home", kind::AceMulti);
    EXPECT_EQ(prompts(), (std::vector<std::string>{"User abort: Operation cancelled.",
                                                   "Error!: No Split Size set. Aborting operation."}));
    EXPECT_EQ(ui_.boxes()[0].icon, qm::ui::Icon::Information);
    EXPECT_EQ(logText(), "");
    EXPECT_EQ(windows_.engine.shown.back(), "SplitSize ACE Form1");

    // Spanned: the folder picker only lets the user cancel; the archive
    // goes to the record's folder.
    backUp("Home", kind::AceSpan); // cancelled
    EXPECT_EQ(logText(), "");
    windows_.pickers.folders.push_back(qm::pickers::FolderAnswer::okay(win("Temp")));
    backUp("Home", kind::AceSpan);
    EXPECT_EQ(windows_.pickers.folderRequests.back().ParentForm, "Form1");
    EXPECT_EQ(state_.ChosenFolder, win("Temp"));
    EXPECT_EQ(view_.rows[0][1], Now);
    EXPECT_EQ(names("out/Home.ace").size(), 3u);
    view_.rows[0][1] = "";
    windows_.restore.actionLogs.clear();

    // Exit while WinAce runs: it waits for WinAce, and no action log shows.
    ui_.clearRecords();
    splitSize_ = "1457000";
    bool exited = false;
    bool asked = false;
    ui_.onDoEvents([&] {
        if (!asked)
            asked = busy_.deferExit([&] { exited = true; });
    });
    backUp("Home", kind::AceMulti);
    EXPECT_TRUE(asked);
    EXPECT_TRUE(exited);
    EXPECT_TRUE(windows_.restore.actionLogs.empty());
    EXPECT_EQ(view_.rows[0][1], Now); // the archive was made all the same
    EXPECT_EQ(names("out/Home.ace").size(), 3u);
}

} // namespace
