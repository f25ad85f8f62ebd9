// The restore command and the restore dialog's logic without a window:
// the dialog is a recording view, archives are made by our zip control and
// restored into temporary folders.
#include "restore/RestoreRun.h"

#include "platform/fs/CurrentFolder.h"
#include "restore/ActionLog.h"

#include "RestoreHome.h"
#include "WinAceStandIn.h"

namespace {

using namespace qm::restore;
using qm::ui::mb::Cancel;
using qm::ui::mb::OK;
using F = qm::store::ProjectField;

struct FakeRestoreView : RestoreView {
    std::vector<std::string> calls;
    bool unloaded = false;
    std::string skipped;
    void setCaption(const std::string& text) override { calls.push_back("caption " + text); }
    void showProgressWatch() override { calls.push_back("progress watch"); }
    void setProgress(int) override {}
    void setSkipped(const std::string& text) override { skipped = text; }
    void unload() override
    {
        unloaded = true;
        calls.push_back("unload");
    }
};

class RestoreRunTest : public qm::test::RestoreHome {
protected:
    // The restore command on `project`; the dialog's load, then `press` with
    // the choice its load leaves (the archive chosen in the file list).
    void restoreWith(const std::string& project, const std::function<void(RestoreRun&, RestoreChoice&)>& press)
    {
        select(project);
        windows_.restore.onRestore = [&](RestoreRun& run) {
            run.attach(&dialog_);
            const RestoreLoad load = run.Form_Load();
            RestoreChoice c{load.Label8, "", load.File1Path, project + ".qmt", load.txtTargetFolder,
                            load.SkipOption, load.DateOption};
            press(run, c);
            run.attach(nullptr);
        };
        restore_.RestoreArchive();
    }
    // A project restoring into the empty folder "target".
    void addTargetProject(const std::string& name, const std::map<std::string, std::string>& files,
                          const std::function<void(qm::store::ProjectRecord&)>& edit = {})
    {
        std::filesystem::create_directories(native("target"));
        addProject(name, files, [&](qm::store::ProjectRecord& r) {
            if (edit)
                edit(r);
        });
        qm::store::ProjectRecord r = zipProject(name);
        if (edit)
            edit(r);
        r[F::ProjectFolder] = win("target");
        writeProject(name, r);
    }

    FakeRestoreView dialog_;
};

TEST_F(RestoreRunTest, TheCommandRefusesTwoProjectsAndAsksWhenNoneIsCurrent)
{
    addProject("Home", {{"a.txt", "alpha"}});
    addProject("Work", {{"a.txt", "alpha"}});
    view_.selected = {0, 1};
    restore_.RestoreArchive();
    EXPECT_EQ(prompts(), std::vector<std::string>{"Error!: Cannot select more than one project at a time for restoring."});
    EXPECT_FALSE(ui_.isBusy());
    EXPECT_TRUE(view_.visible);
    EXPECT_EQ(windows_.restore.restores, 0);

    view_.selected.clear();
    state_.store.CurrentProjectIni.clear();
    ui_.answer(Cancel);
    restore_.RestoreArchive();
    EXPECT_EQ(ui_.boxes().back().title, "Please confirm!");
    EXPECT_EQ(windows_.restore.restores, 0);
    EXPECT_FALSE(ui_.isBusy());

    // OK: the dialog opens on the empty record, over a hidden main window.
    bool hiddenMeanwhile = false;
    windows_.restore.onRestore = [&](RestoreRun& run) {
        hiddenMeanwhile = !view_.visible;
        EXPECT_EQ(run.Form_Load().Label4, "(no back-up folder defined or located)");
        EXPECT_EQ(run.Form_Load().txtTargetFolder, "");
        EXPECT_EQ(run.ParentForm, "Form1");
    };
    restore_.RestoreArchive();
    EXPECT_EQ(windows_.restore.restores, 1);
    EXPECT_TRUE(hiddenMeanwhile);

    // A project made current earlier opens without the question.
    const size_t boxes = ui_.boxes().size();
    state_.store.CurrentProjectIni = win("Projects/Work");
    windows_.restore.onRestore = [&](RestoreRun& run) { EXPECT_EQ(run.Form_Load().Label4, win("out")); };
    restore_.RestoreArchive();
    EXPECT_EQ(ui_.boxes().size(), boxes);
    EXPECT_EQ(windows_.restore.restores, 2);
}

TEST_F(RestoreRunTest, TheLoadShowsFoldersAndRulesFromTheRecord)
{
    qm::store::ProjectRecord r = zipProject("Home");
    r[F::ZIPDefaultRestoreFromFolder] = win("backups");
    std::filesystem::create_directories(native("src-Home"));
    RestoreLoad load = restoreLoad(r);
    EXPECT_EQ(load.txtTargetFolder, win("src-Home"));
    EXPECT_EQ(load.Label4, "(Defined back-up folder not located: " + win("backups") + ")");
    EXPECT_EQ(load.Label8, load.Label4);
    EXPECT_EQ(load.Label6, "'Home.qmt' or the .EXE version of archive file.");
    EXPECT_EQ(load.File1Path, "C:");
    EXPECT_EQ(load.SkipOption, 0);
    EXPECT_FALSE(load.DateOption);

    std::filesystem::create_directories(native("backups"));
    r[F::ACEBackFile] = "Home.ace";
    r[F::ProjectFolder] = "Q:\\nowhere";
    r[F::ZIPSkipIfExisting] = r[F::ZIPSkipIfNotExisting] = "yes";
    r[F::ZIPSkipIfOlderDate] = "Yes";
    r[F::ZIPSkipIfOlderVersion] = "yes";
    load = restoreLoad(r);
    EXPECT_EQ(load.txtTargetFolder, "(Target Drive Q: does not exist. Please select a valid drive.)");
    EXPECT_EQ(load.Label4, win("backups"));
    EXPECT_EQ(load.Label6, "Home.qmt, Home.ace or the .EXE version of archive file.");
    EXPECT_EQ(load.File1Path, win("backups"));
    EXPECT_EQ(load.SkipOption, 1);
    EXPECT_EQ(load.DateOption, 1);

    r[F::ProjectFolder] = win("gone");
    EXPECT_EQ(restoreLoad(r).txtTargetFolder,
              "(Target Folder " + win("gone") + " does not exist. Please select another folder.)");

    EXPECT_TRUE(isAceArchive("OLD.ACE"));
    EXPECT_FALSE(isAceArchive("old.qmt"));
    EXPECT_FALSE(isAceArchive("ace"));
}

TEST_F(RestoreRunTest, AQmtRestoresIntoAnEmptyTargetWhole)
{
    const std::map<std::string, std::string> files{
        {"a.txt", "alpha"}, {"docs/b.txt", "beta"}, {"docs/deep/c.bin", std::string(70000, 'c')}};
    addTargetProject("Home", files);
    restoreWith("Home", [&](RestoreRun& run, RestoreChoice& c) {
        EXPECT_EQ(c.txtTargetFolder, win("target"));
        run.RestoreArchive(c);
    });
    EXPECT_EQ(qm::test::runCommand({"diff", "-r", native("src-Home").string(), native("target").string()}), 0);
    EXPECT_EQ(prompts(), std::vector<std::string>{"Success!: Restore operation successful."});
    EXPECT_EQ(dialog_.calls, (std::vector<std::string>{"caption Restoring", "progress watch", "unload"}));
    EXPECT_TRUE(view_.visible);
    EXPECT_FALSE(ui_.isBusy());
    EXPECT_EQ(view_.calls.back(), "showMainWindow");
}

TEST_F(RestoreRunTest, SkipIfExistsKeepsAChangedTargetFileAndShowsTheSkip)
{
    addTargetProject("Home", {{"a.txt", "alpha"}, {"b.txt", "beta"}}, [](auto& r) { r[F::ZIPSkipIfExisting] = "yes"; });
    qm::test::writeFile(native("target/a.txt"), "changed");
    restoreWith("Home", [&](RestoreRun& run, RestoreChoice& c) {
        EXPECT_EQ(c.SkipOption, 1);
        run.RestoreArchive(c);
    });
    EXPECT_EQ(qm::test::readFile(native("target/a.txt")), "changed");
    EXPECT_EQ(qm::test::readFile(native("target/b.txt")), "beta");
    EXPECT_EQ(dialog_.skipped.rfind("a.txt: \r\n", 0), 0u) << dialog_.skipped;
    EXPECT_EQ(windows_.engine.statusView.skipped, dialog_.skipped);
}

TEST_F(RestoreRunTest, APasswordArchiveRestores)
{
    addTargetProject("Home", {{"a.txt", "alpha"}}, [](auto& r) {
        r[F::ZIPUsePassword] = "yes";
        r[F::ZIPDefaultPassword] = "open sesame";
    });
    restoreWith("Home", [&](RestoreRun& run, RestoreChoice& c) { run.RestoreArchive(c); });
    EXPECT_EQ(qm::test::readFile(native("target/a.txt")), "alpha");
    EXPECT_EQ(ui_.boxes().back().title, "Success!");
}

TEST_F(RestoreRunTest, AnAbortedRestoreSaysSoAndBringsTheMainWindowBack)
{
    std::map<std::string, std::string> files;
    for (int i = 0; i < 20; ++i)
        files["f" + std::to_string(i)] = "x";
    addTargetProject("Home", files);
    restoreWith("Home", [&](RestoreRun& run, RestoreChoice& c) {
        ui_.onDoEvents([&] { run.PavikZip1.AbortRequested = true; });
        run.RestoreArchive(c);
    });
    EXPECT_EQ(prompts().back(), "Compression Halted: Restore process aborted by user");
    EXPECT_EQ(ui_.boxes().back().icon, qm::ui::Icon::Exclamation);
    EXPECT_TRUE(dialog_.unloaded);
    EXPECT_TRUE(view_.visible);
    EXPECT_TRUE(view_.commandsEnabled);
}

TEST_F(RestoreRunTest, RefusalsBeforeTheRoadKeepTheDialog)
{
    addTargetProject("Home", {{"a.txt", "alpha"}});
    qm::test::writeFile(native("out/notes.txt"), "x");
    const std::string select = "Error!: Please select a file to restore\r\nfrom ";
    std::vector<std::string> expected;
    restoreWith("Home", [&](RestoreRun& run, RestoreChoice c) {
        const RestoreChoice good = c;
        c.File1FileName.clear();
        run.RestoreArchive(c);
        expected.push_back(select + win("out"));

        c = good;
        c.txtTargetFolder = "(Target Folder C:\\x does not exist. Please select another folder.)";
        run.RestoreArchive(c);
        expected.push_back("Error!: The target folder entry is undefined or empty.\r\nPlease select another folder.");

        for (const std::string& target : {std::string(), win("out/notes.txt")}) {
            c.txtTargetFolder = target;
            run.RestoreArchive(c);
            expected.push_back("Error!: The target folder is not in proper format,\r\nor does not exist.\r\n"
                               "Please select another folder.");
        }

        c = good;
        c.File1FileName = "notes.txt";
        run.RestoreArchive(c);
        expected.push_back("Error!: Not a valid filename to restore.");

        // The network road: a folder node, no node, a node that is no path.
        c = good;
        c.Label8 = "\\\\SRV\\share";
        for (const std::string& key : {std::string(), win("out")}) {
            c.networkKey = key;
            run.RestoreArchive(c);
            expected.push_back(select + "\\\\SRV\\share");
        }
        c.networkKey = "_ROOT";
        run.RestoreArchive(c);
        EXPECT_EQ(prompts().back().rfind("Error!: Error: \r\n", 0), 0u) << prompts().back();
        EXPECT_TRUE(prompts().back().ends_with("\r\n\r\nOr not a valid filename."));
        expected.push_back(prompts().back());
        EXPECT_FALSE(dialog_.unloaded);
        EXPECT_FALSE(view_.visible);

        // An upper-case extension takes the zip road.
        std::filesystem::rename(native("out/Home.qmt"), native("out/HOME.QMT"));
        c = good;
        c.File1FileName = "HOME.QMT";
        run.RestoreArchive(c);
    });
    std::vector<std::string> shown = prompts();
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.back(), "Success!: Restore operation successful.");
    shown.pop_back();
    EXPECT_EQ(shown, expected);
    EXPECT_EQ(qm::test::readFile(native("target/a.txt")), "alpha");
}

TEST_F(RestoreRunTest, ASelfExtractingArchiveIsStartedAndTheDialogStays)
{
    addTargetProject("Home", {{"a.txt", "alpha"}});
    const std::filesystem::path exe = native("out/Home.exe");
    qm::test::writeFile(exe, "#!/bin/sh\ntouch \"$(dirname \"$0\")/started\"\n");
    std::filesystem::permissions(exe, std::filesystem::perms::owner_all);
    qm::test::writeFile(native("out/broken.exe"), "not a program");
    restoreWith("Home", [&](RestoreRun& run, RestoreChoice& c) {
        c.File1FileName = "Home.exe";
        run.RestoreArchive(c);
        EXPECT_TRUE(ui_.boxes().empty());
        EXPECT_FALSE(dialog_.unloaded);
        EXPECT_TRUE(qm::test::eventually([&] { return std::filesystem::exists(native("out/started")); }));

        // One that cannot start is a failure of the run: reported, the dialog closes.
        c.File1FileName = "broken.exe";
        run.RestoreArchive(c);
    });
    ASSERT_EQ(ui_.boxes().size(), 1u);
    EXPECT_EQ(ui_.boxes()[0].title, "Error!");
    EXPECT_NE(ui_.boxes()[0].prompt.find("broken.exe"), std::string::npos);
    EXPECT_TRUE(dialog_.unloaded);
    EXPECT_TRUE(view_.visible);
}

TEST_F(RestoreRunTest, TheTargetButtonAndCancel)
{
    addTargetProject("Home", {{"a.txt", "alpha"}});
    windows_.pickers.folders.push_back(qm::pickers::FolderAnswer::okay("D:\\restore here"));
    restoreWith("Home", [&](RestoreRun& run, RestoreChoice&) {
        EXPECT_EQ(run.Command1_Click(), "D:\\restore here");
        EXPECT_EQ(run.Command1_Click(), std::nullopt); // Cancel
        EXPECT_TRUE(run.CancelBut_Click());
    });
    ASSERT_EQ(windows_.pickers.folderRequests.size(), 2u);
    EXPECT_EQ(windows_.pickers.folderRequests[0].LoadedFromForm, "RestoreFrm");
    EXPECT_TRUE(dialog_.unloaded);
    EXPECT_TRUE(view_.visible);
    EXPECT_TRUE(ui_.boxes().empty());
}

class AceRestoreTest : public RestoreRunTest {
protected:
    AceRestoreTest()
    {
        windows_.restore.onActionLog = [this](const std::string& at) {
            boxesBeforeLog = ui_.boxes().size();
            qm::restore::readActionLog(at);
        };
    }
    ~AceRestoreTest() override { qm::fs::ChDir(qm::fs::fromNative(cwd_)); }

    // "Home" with its ACE archive "out\Home.ace" (paths relative), restoring
    // into the empty folder "target"; the dialog restores `archive`.
    void restoreAce(int skipOption, const std::string& archive = "Home.ace")
    {
        restoreWith("Home", [&](RestoreRun& run, RestoreChoice& c) {
            c.File1FileName = archive;
            c.SkipOption = skipOption;
            run.RestoreArchive(c);
        });
    }
    void addAceProject(const std::string& storePaths = "")
    {
        addTargetProject("Home", {{"a.txt", "alpha"}, {"docs/b.txt", "beta"}}, [&](auto& r) {
            r[F::ACEDefaultRestoreFromFolder] = r[F::ZIPDefaultRestoreFromFolder];
            r[F::ACEStorePathOption] = storePaths;
        });
        makeArchive(win("src-Home"), win("out/Home.ace"));
    }

    std::filesystem::path cwd_ = std::filesystem::current_path();
    std::string winace_ = qm::test::installWinAce(home_.path());
    std::size_t boxesBeforeLog = 99;
};

TEST_F(AceRestoreTest, WinAceExtractsIntoTheTargetThenTheLogThenSuccess)
{
    addAceProject();
    state_.Form1.WinAceLocation = winace_;
    // During the wait a second Restore is ignored and Cancel waits.
    bool cancelled = true;
    bool once = true;
    restoreWith("Home", [&](RestoreRun& run, RestoreChoice& c) {
        c.File1FileName = "Home.ace";
        ui_.onDoEvents([&] {
            if (std::exchange(once, false)) {
                run.RestoreArchive(c);
                cancelled = run.CancelBut_Click();
            }
        });
        run.RestoreArchive(c);
    });
    EXPECT_FALSE(cancelled);
    EXPECT_EQ(qm::test::runCommand({"diff", "-r", native("src-Home").string(), native("target").string()}), 0);
    EXPECT_EQ(windows_.restore.actionLogs, std::vector<std::string>{winace_});
    EXPECT_EQ(boxesBeforeLog, 0u); // the success box waits for the log's window
    EXPECT_EQ(prompts(), std::vector<std::string>{"Success!: Restore operation successful."});
    EXPECT_EQ(qm::fs::CurDir(), win("target"));
    EXPECT_TRUE(dialog_.unloaded);
    EXPECT_TRUE(view_.visible);
    EXPECT_TRUE(view_.commandsEnabled);

    // " x " keeps a changed file; " x -y -yo " (Overwrite all) replaces it.
    qm::test::writeFile(native("target/a.txt"), "changed");
    restoreAce(1);
    EXPECT_EQ(qm::test::readFile(native("target/a.txt")), "changed");
    restoreAce(0);
    EXPECT_EQ(qm::test::readFile(native("target/a.txt")), "alpha");
}

TEST_F(AceRestoreTest, WinAceFailuresAreErrorsNeverSuccess)
{
    addAceProject();
    qm::test::writeFile(native("out/bad.ace"), "not an archive");

    // No WinAce: the backups' box, no log shown (not even an old one), and
    // the dialog stays open as for the other checks before a run.
    qm::test::uninstallWinAce();
    restoreAce(0);
    EXPECT_EQ(prompts(), std::vector<std::string>{"Error!: Cannot find an installed version of WinAce (2.11 or higher)"});
    EXPECT_TRUE(windows_.restore.actionLogs.empty());
    EXPECT_FALSE(dialog_.unloaded);
    EXPECT_FALSE(ui_.isBusy());

    // WinAce fails: its log, then an error.
    state_.Form1.WinAceLocation = winace_;
    restoreAce(0, "bad.ace");
    EXPECT_EQ(windows_.restore.actionLogs.size(), 1u);
    EXPECT_EQ(qm::test::actionLog(home_.path()).back(), "Failed.");
    EXPECT_EQ(ui_.boxes().back().title, "Error!");
    EXPECT_NE(ui_.boxes().back().prompt.find("exit code 2"), std::string::npos) << ui_.boxes().back().prompt;

    // A log that cannot be read is a failure of the run.
    windows_.restore.onActionLog = [](const std::string&) { throw qm::RtError(53, "File not found"); };
    restoreAce(0);
    EXPECT_EQ(ui_.boxes().back().title, "Error!");
    EXPECT_NE(ui_.boxes().back().prompt.find("53"), std::string::npos) << ui_.boxes().back().prompt;
    for (const qm::ui::BoxRecord& b : ui_.boxes())
        EXPECT_NE(b.title, "Success!");
}

TEST_F(AceRestoreTest, FullPathsWithoutDriveLeaveTheCurrentFolder)
{
    addAceProject("-fp");
    state_.Form1.WinAceLocation = winace_;
    qm::fs::ChDir(win("out"));
    restoreAce(0);
    EXPECT_EQ(qm::fs::CurDir(), win("out"));
    EXPECT_EQ(prompts().back(), "Success!: Restore operation successful.");
}

} // namespace
