// The manual backup without a window: BackupArchive and MakeZip over a
// temporary program folder, archives made by our zip control, the main
// window and its dialogs faked, boxes scripted, the clock fixed.
#include "BackupFixture.h"
#include "ZipTestUtil.h"

#include "platform/zip/ZipEvents.h"

namespace {

using namespace qm::engine;
using namespace qm::session;
using qm::test::engine::BackupTest;
using qm::test::engine::noise;
using qm::test::engine::Now;
namespace stdfs = std::filesystem;

TEST_F(BackupTest, LogLinesByteForByteAndASecondRunAppends)
{
    addProject("Home", {{"a.txt", "alpha"}, {"b.txt", "beta"}},
               [](auto& r) { r[qm::store::ProjectField::ZIPSkipIfExisting] = "yes"; });
    backUp("Home");
    backUp("Home"); // both files are in the archive already: skipped
    session_.PavikZip1_Warning("c.txt", qm::zip::warning::FileChanged); // no operation holds the log
    const std::string start = std::string(72, '-') + "\r\n" + Now + "\tManual back-up started for Home\r\n" +
                              "\t\t\tTarget File: " + win("out") + "\\Home.qmt\r\n";
    const std::string skipWhy = backup_.PavikZip1.ErrorText(2, qm::zip::skip::AlreadyInArchive);
    EXPECT_EQ(logText(), start + Now + "\tHome successfully backed up.\r\n" + start + Now + "\ta.txt skipped: \r\n" +
                             "\t\t\t" + skipWhy + "\r\n" + Now + "\tb.txt skipped: \r\n\t\t\t" + skipWhy + "\r\n" +
                             Now + "\tHome successfully backed up.\r\n" + Now + "\tc.txt warning.\r\n\t\t\t" +
                             backup_.PavikZip1.ErrorText(2, qm::zip::warning::FileChanged) + "\r\n");
    EXPECT_EQ(status_.skipped, "b.txt: \r\n" + skipWhy);
}

TEST_F(BackupTest, AbortHaltAndOtherResultsAreLoggedAndBoxed)
{
    addProject("Home", {{"a.txt", "alpha"}});
    const std::pair<int, std::string> roads[] = {
        {518, "Compression Halted: Back-up process aborted by user|Back-up process aborted by user."},
        {519, "Abort!: Processing Halted. QMT file not created due to error or user abort|"
              "Processing halted due to error or user abort."},
        {507, "Quillmate: " + backup_.PavikZip1.ErrorText(0, 507) + "|" + backup_.PavikZip1.ErrorText(0, 507)},
        {506, "Error!: Target Drive/Directory has insufficient space to store your database. Choose another "
              "location and try again.|Target Drive/Directory has insufficient space to store your database. "
              "Choose another location and try again."}};
    for (const auto& [result, expected] : roads) {
        ui_.clearRecords();
        std::filesystem::remove(native("autoback.log"));
        backup_.setBuildForTesting([r = result] { return r; });
        backUp("Home");
        const std::vector<std::string> lines = logLines();
        ASSERT_EQ(lines.size(), 4u);
        ASSERT_EQ(ui_.boxes().size(), 1u);
        EXPECT_EQ(prompts()[0] + "|" + lines[3].substr(6), expected);
        EXPECT_EQ(state_.store.ProjectRecord(1)[qm::store::ProjectField::ZIPLastBackupDate], "");
        EXPECT_FALSE(ui_.isBusy());
        EXPECT_FALSE(status_.visible);
    }
    EXPECT_TRUE(view_.commandsEnabled);
    EXPECT_EQ(view_.rows[0][1], "");
}

TEST_F(BackupTest, SuccessStampsTheRecordAndTheBackedUpProjectsRow)
{
    addProject("Home", {{"a.txt", "alpha"}});
    addProject("Work", {{"w.txt", "work"}}, [](auto& r) { r[qm::store::ProjectField::ZIPArchiveDate] = "latest"; });
    const auto newest = stdfs::file_time_type::clock::now() - std::chrono::hours(24 * 400);
    stdfs::last_write_time(native("src-Work/w.txt"), newest);
    bool commandsOffMeanwhile = false;
    ui_.onDoEvents([&] {
        commandsOffMeanwhile = !view_.commandsEnabled;
        view_.selected = {0}; // the user moves the selection during the run
    });
    state_.Form1.mRowCount = 5;
    backUp("Work");
    EXPECT_TRUE(commandsOffMeanwhile);
    EXPECT_TRUE(view_.commandsEnabled);
    EXPECT_EQ(view_.rows[1][1], Now);
    EXPECT_EQ(view_.rows[0][1], "");
    EXPECT_EQ(prompts(), std::vector<std::string>{"Success!: Back-up operation successful."});
    EXPECT_EQ(ui_.boxes()[0].icon, qm::ui::Icon::None);
    EXPECT_EQ(state_.Form1.mRowCount, 0);      // the stamp's listing fills no contents window
    EXPECT_TRUE(windows_.restore.rows.empty());
    EXPECT_EQ(state_.Form1.OpType, "");
    const std::string file = projectText("Work");
    EXPECT_NE(file.find(std::string("ZIPLastBackupDate=") + Now + "\r\n"), std::string::npos);
    EXPECT_NE(file.find("ZIPLastBackupFolder=" + win("out") + "\r\n"), std::string::npos);
    // "latest": the archive carries its newest entry's date (to the two seconds an entry keeps).
    const auto stamped = stdfs::last_write_time(native("out/Work.qmt"));
    EXPECT_LE(std::chrono::abs(stamped - newest), std::chrono::seconds(2));
}

TEST_F(BackupTest, RecordSettingsReachTheControl)
{
    using F = qm::store::ProjectField;
    addProject("Home", {{"a.txt", "alpha"}, {"sub/b.txt", "beta"}}, [](auto& r) {
        r[F::ZIPSpanOption] = "auto-detect";
        r[F::ZIPFilesToProcess] = "(list)";
        r[F::ZIPExcludeAttribHidden] = "yes";
        r[F::ZIPExcludeAttribAlias] = "yes";
    });
    qm::test::writeFile(native("Filelists/Home-ZIP"), "a.txt\r\nsub\\b.txt\r\n");
    backUp("Home");
    qm::zip::PavikZip& z = backup_.PavikZip1;
    EXPECT_EQ(z.Level, 9);
    EXPECT_EQ(z.SpanMode, 0);
    EXPECT_EQ(z.ExcludedAttributes, 2 | 1024);
    EXPECT_EQ(z.SourceFolder, win("src-Home"));
    EXPECT_EQ(entries(native("out/Home.qmt")), (std::vector<std::string>{"a.txt", "sub\\b.txt"}));

    // Full paths in the list: no base folder; each file is stored under its path.
    qm::test::writeFile(native("Filelists/Home-ZIP"), win("src-Home") + "\\a.txt\r\n");
    qm::store::ProjectRecord r = zipProject("Home");
    r[F::ZIPFilesToProcess] = "(list)";
    r[F::ZIPCompressionLevel] = "medium";
    writeProject("Home", r);
    backUp("Home", kind::Zip, true);
    EXPECT_EQ(z.Level, 6);
    EXPECT_EQ(z.SourceFolder, "");
    const std::vector<std::string> names = entries(native("out/Home.qmt"));
    ASSERT_EQ(names.size(), 1u);
    EXPECT_TRUE(names[0].ends_with("src-Home\\a.txt")) << names[0];
}

TEST_F(BackupTest, NoPasswordOfOneProjectReachesTheNextArchive)
{
    using F = qm::store::ProjectField;
    addProject("Secret", {{"a.txt", "alpha"}}, [](auto& r) {
        r[F::ZIPUsePassword] = "yes";
        r[F::ZIPDefaultPassword] = "s3cret";
    });
    addProject("Open", {{"b.txt", "beta"}});
    backUp("Secret");
    backUp("Open");
    bool encrypted = false;
    entries(native("out/Secret.qmt"), &encrypted);
    EXPECT_TRUE(encrypted);
    entries(native("out/Open.qmt"), &encrypted);
    EXPECT_FALSE(encrypted);
}

TEST_F(BackupTest, RebuildReplacesExactlyTheFilesOfTheRun)
{
    addProject("Home", {{"a.txt", noise(150000, 1)}});
    qm::test::writeFile(native("out/Other.qmt"), "not ours");
    backUp("Home");
    backUp("Home", kind::ZipMulti);
    ASSERT_TRUE(stdfs::exists(native("out/Home.qmt.z01")));
    stdfs::remove(native("src-Home/a.txt"));
    qm::test::writeFile(native("src-Home/b.txt"), noise(150000, 2));

    backUp("Home", kind::Zip); // without the flag the archive is updated
    EXPECT_EQ(entries(native("out/Home.qmt")), (std::vector<std::string>{"a.txt", "b.txt"}));
    backUp("Home", kind::Zip, true);
    EXPECT_EQ(entries(native("out/Home.qmt")), std::vector<std::string>{"b.txt"});
    EXPECT_EQ(state_.Form1.Check1.value(), 0);

    const std::string single = qm::test::readFile(native("out/Home.qmt"));
    backUp("Home", kind::ZipMulti, true);
    EXPECT_EQ(entries(native("out/Home.qmt.zip")), std::vector<std::string>{"b.txt"});
    EXPECT_EQ(qm::test::readFile(native("out/Home.qmt")), single);
    EXPECT_EQ(qm::test::readFile(native("out/Other.qmt")), "not ours");
    for (const auto& e : stdfs::directory_iterator(native("out")))
        EXPECT_FALSE(e.path().filename().string().starts_with(".")) << e.path(); // nothing left aside
}

// A file under a hidden name that a split backup needs and no settle may
// take away: the box and the run log name it, and the set stays as it was.
TEST_F(BackupTest, AFileInTheWayOfASplitSetIsNamedInTheBoxAndTheLog)
{
    addProject("Home", {{"a.txt", noise(150000, 1)}});
    backUp("Home", kind::ZipMulti);
    ASSERT_TRUE(stdfs::exists(native("out/Home.qmt.z01")));
    const std::string last = qm::test::readFile(native("out/Home.qmt.zip"));
    stdfs::create_directories(native("out/.Home.qmt.zip.z01.previous"));
    ui_.clearRecords();
    backUp("Home", kind::ZipMulti, true);
    const std::string text = backup_.PavikZip1.ErrorText(0, qm::zip::result::WriteFailed);
    EXPECT_NE(text.find(win("out") + "\\.Home.qmt.zip.z01.previous"), std::string::npos) << text;
    EXPECT_EQ(prompts(), std::vector<std::string>{"Quillmate: " + text});
    EXPECT_EQ(logLines().back(), "<Now>\t" + text);
    EXPECT_EQ(qm::test::readFile(native("out/Home.qmt.zip")), last);
}

TEST_F(BackupTest, RebuildDeletesNothingWhenTheRunStopsBeforeItsBuild)
{
    using F = qm::store::ProjectField;
    addProject("Home", {{"a.txt", noise(100000, 3)}});
    backUp("Home");
    backUp("Home", kind::ZipMulti);
    const std::string single = qm::test::readFile(native("out/Home.qmt"));
    const std::string split = qm::test::readFile(native("out/Home.qmt.zip"));
    ui_.clearRecords();

    splitOkay_ = false;
    backUp("Home", kind::ZipMulti, true); // Cancel in the split-size dialog: quietly
    EXPECT_TRUE(ui_.boxes().empty());
    splitOkay_ = true;
    qm::store::ProjectRecord r = zipProject("Home");
    r[F::ZIPUseComments] = "yes"; // without a comment: the record fails its checks
    writeProject("Home", r);
    backUp("Home", kind::Zip, true);
    EXPECT_EQ(prompts(), std::vector<std::string>{"Quillmate: You have checked the Use Comments box but have not "
                                                  "entered any text in the comment box."});
    EXPECT_EQ(qm::test::readFile(native("out/Home.qmt")), single);
    EXPECT_EQ(qm::test::readFile(native("out/Home.qmt.zip")), split);

    // A build that fails (the disk fills up) puts the old archive back.
    writeProject("Home", zipProject("Home"));
    {
        qm::test::FileSizeLimit limit(40000);
        backUp("Home", kind::Zip, true);
    }
    EXPECT_EQ(qm::test::readFile(native("out/Home.qmt")), single);
    EXPECT_EQ(logLines().back(), "<Now>\tTarget Drive/Directory has insufficient space to store your database. "
                                 "Choose another location and try again.");
    EXPECT_EQ(ui_.lastBox().title, "Error!");
    EXPECT_EQ(state_.store.ProjectRecord(1)[F::ZIPLastBackupDate], "");
}

TEST_F(BackupTest, CancelDuringALargeBuildKeepsThePreviousArchive)
{
    std::map<std::string, std::string> files;
    for (int i = 0; i < 500; ++i)
        files["f" + std::to_string(i) + ".txt"] = "file " + std::to_string(i);
    addProject("Home", files);
    backUp("Home");
    const std::string before = qm::test::readFile(native("out/Home.qmt"));
    qm::test::writeFile(native("src-Home/new.txt"), "new");
    int yields = -1; // counted while a run is watched
    ui_.onDoEvents([&] {
        if (yields >= 0 && ++yields == 100)
            status_.cancel(); // the progress window's Cancel
    });
    for (bool deleteOld : {false, true}) {
        ui_.clearRecords();
        yields = 0;
        backUp("Home", kind::Zip, deleteOld);
        EXPECT_GE(yields, 100);
        yields = -1;
        EXPECT_EQ(prompts(), std::vector<std::string>{"Compression Halted: Back-up process aborted by user"});
        EXPECT_EQ(logLines().back(), "<Now>\tBack-up process aborted by user.");
        EXPECT_EQ(qm::test::readFile(native("out/Home.qmt")), before);
    }
}

// A run killed while "Delete old back-up and rebuild" held the old archive
// aside left it under its hidden name.
TEST_F(BackupTest, WhatAKilledRebuildLeftAsideComesBackButNeverOverANewerArchive)
{
    addProject("Home", {{"a.txt", "alpha"}});
    backUp("Home");
    const stdfs::path archive = native("out/Home.qmt"), aside = native("out/.Home.qmt.previous");
    const std::string first = qm::test::readFile(archive);
    stdfs::rename(archive, aside);
    // With its place free, it comes back and is updated: a.txt, gone from the source, stays in it.
    stdfs::remove(native("src-Home/a.txt"));
    qm::test::writeFile(native("src-Home/b.txt"), "beta");
    backUp("Home");
    EXPECT_EQ(entries(archive), (std::vector<std::string>{"a.txt", "b.txt"}));
    EXPECT_FALSE(stdfs::exists(aside));

    // Beside a whole archive it is older: a rebuild that fails (nothing left
    // to back up) leaves the newer one.
    const std::string newer = qm::test::readFile(archive);
    qm::test::writeFile(aside, first);
    stdfs::remove(native("src-Home/b.txt"));
    backUp("Home", kind::Zip, true);
    EXPECT_EQ(prompts().back(), "Quillmate: " + backup_.PavikZip1.ErrorText(0, qm::zip::result::NothingToDo));
    EXPECT_EQ(qm::test::readFile(archive), newer);
    EXPECT_FALSE(stdfs::exists(aside));
}

TEST_F(BackupTest, FailuresInsideTheRunAreReportedAndChangeNothing)
{
    addProject("Home", {{"a.txt", "alpha"}},
               [](auto& r) { r[qm::store::ProjectField::ZIPFilesToProcess] = "(list)"; });
    backUp("Home");
    const std::string text = "Error: 53. File not found: " + win("Filelists") + "\\Home-ZIP";
    EXPECT_EQ(prompts(), std::vector<std::string>{"Error!: " + text});
    EXPECT_EQ(logLines().back(), "<Now>\t" + text);
    EXPECT_FALSE(stdfs::exists(native("out/Home.qmt")));
    EXPECT_EQ(projectText("Home").find("ZIPLastBackupDate=3"), std::string::npos);

    ui_.clearRecords();
    qm::store::ProjectRecord r = zipProject("Home");
    r[qm::store::ProjectField::ZIPMaxFileDate] = "soon";
    writeProject("Home", r);
    backUp("Home");
    EXPECT_EQ(prompts(), std::vector<std::string>{"Error!: Error: 13. Type mismatch: ZIPMaxFileDate is not a date "
                                                  "or size"});
}

TEST_F(BackupTest, TheArchivesPassThePeers)
{
    using F = qm::store::ProjectField;
    addProject("Home", {{"a.txt", noise(150000, 4)}, {"b.txt", "beta"}}, [](auto& r) {
        r[F::ZIPUseComments] = "yes";
        r[F::ZIPComments] = "Weekly set";
    });
    backUp("Home");
    backUp("Home", kind::ZipMulti);
    std::string out;
    if (qm::test::haveProgram("unzip")) {
        EXPECT_EQ(qm::test::runCommand({"unzip", "-tq", native("out/Home.qmt").string()}, &out), 0) << out;
    }
    if (qm::test::haveProgram("7zz")) {
        EXPECT_EQ(qm::test::runCommand({"7zz", "t", native("out/Home.qmt.zip").string()}, &out), 0) << out;
    }
    if (qm::test::haveProgram("python3")) {
        EXPECT_EQ(qm::test::runCommand({"python3", "-c",
                                        "import sys, zipfile; print(zipfile.ZipFile(sys.argv[1]).comment.decode())",
                                        native("out/Home.qmt").string()},
                                       &out),
                  0);
        EXPECT_EQ(out, "Weekly set\n");
    }
}

TEST_F(BackupTest, TheDispatcherChecksSelectionKindTargetAndSource)
{
    using F = qm::store::ProjectField;
    for (const char* name : {"A", "B", "C"})
        addProject(name, {{"a.txt", "a"}});
    view_.selected = {0, 1, 2};
    backup_.BackupArchive();
    view_.selected = {};
    backup_.BackupArchive();
    EXPECT_EQ(prompts(), (std::vector<std::string>{"Error!: Cannot select more than one project at a time for back-up.",
                                                   "Error!: No project selected"}));
    EXPECT_TRUE(windows_.engine.shown.empty());
    EXPECT_EQ(state_.store.CurrentProjectIni, "");
    EXPECT_FALSE(ui_.isBusy());

    ui_.clearRecords();
    windows_.engine.onBackupType = [this](const BackupTypeSetup& setup) {
        EXPECT_EQ(setup.frameCaption, "Select type of archive to create");
        EXPECT_EQ(setup.preset, kind::Zip);
        backupTypeCancel(state_.Form1);
    };
    state_.Form1.Check1.setValue(1);
    backUp("A");
    EXPECT_EQ(prompts(), std::vector<std::string>{"Quillmate: Archive operation cancelled."});
    EXPECT_EQ(ui_.lastBox().icon, qm::ui::Icon::Information);
    EXPECT_EQ(state_.Form1.Check1.value(), 0);

    ui_.clearRecords();
    windows_.engine.onBackupType = [this](const BackupTypeSetup&) { state_.Form1.ProjectType = "zip"; };
    state_.Form1.ZipTypeBut.setValue(kind::Zip, true);
    qm::store::ProjectRecord r = zipProject("A");
    r[F::ZIPDefaultRestoreFromFolder] = win("gone") + "\\";
    writeProject("A", r);
    backUp("A");
    r[F::ZIPDefaultRestoreFromFolder] = win("out");
    r[F::ProjectFolder] = win("no-source");
    writeProject("A", r);
    backUp("A");
    EXPECT_EQ(prompts(), (std::vector<std::string>{
                             "Error!: Device or drive not ready!\r\n\r\nPlease insert disk containing:\r\n\r\n" +
                                 win("gone") + "\\\\A.qmt\r\nor the disk where you wish to create a new archive.",
                             "Error!: Could not locate source folder as defined\r\nin the Quillmate data file: "
                             "\r\n\r\n" + win("no-source")}));
    EXPECT_EQ(state_.store.CurrentProjectIni, "");
}

TEST_F(BackupTest, KindsThatStopBeforeTheirBuildDeleteNothing)
{
    using F = qm::store::ProjectField;
    addProject("A", {{"a.txt", "a"}}, [this](auto& r) {
        r[F::ZIPDefaultRestoreFromFolder] = win("gone"); // the EXE kind asks for a folder instead
        r[F::SFXBackFile] = "A.exe";
        r[F::ACEBackFile] = "A.ace";
        r[F::ACEDefaultRestoreFromFolder] = win("out");
    });
    qm::test::writeFile(native("out/A.ace"), "old ace");
    backUp("A", kind::Ace, true);
    backUp("A", kind::Exe, true);
    EXPECT_EQ(prompts(), (std::vector<std::string>{"Error!: Cannot find an installed version of WinAce (2.11 or higher)",
                                                   "Operation aborted.: No file or folder chosen."}));
    EXPECT_EQ(qm::test::readFile(native("out/A.ace")), "old ace");
    EXPECT_EQ(state_.Form1.Check1.value(), 0);
}

TEST_F(BackupTest, TheSpannedKindAsksForItsFolderFirst)
{
    addProject("Home", {{"a.txt", "alpha"}});
    state_.ChosenFolder = win("out"); // from an earlier dialog
    backUp("Home", kind::ZipSpan);    // the picker is closed without a choice
    EXPECT_TRUE(ui_.boxes().empty());
    EXPECT_EQ(logText(), "");
    EXPECT_EQ(state_.ChosenFolder, "");
    ASSERT_EQ(windows_.pickers.folderRequests.size(), 1u);
    EXPECT_EQ(windows_.pickers.folderRequests[0].ParentForm, "Form1");

    stdfs::create_directories(native("disk"));
    windows_.pickers.folders.push_back(qm::pickers::FolderAnswer::okay(win("disk")));
    backUp("Home", kind::ZipSpan);
    EXPECT_EQ(backup_.PavikZip1.SpanMode, 1);
    EXPECT_EQ(entries(native("disk/Home.qmt.zip")), std::vector<std::string>{"a.txt"});
    EXPECT_EQ(ui_.lastBox().title, "Success!");
}

// "Delete old back-up and rebuild" of a spanned set on a removable drive
// that is one folder whatever disk is in it, as a real drive is.
TEST_F(BackupTest, ASpannedRebuildLeavesNoCopyOfTheOldArchiveOnTheFirstDisk)
{
    qm::zip::test::DiskSwapper swapper(native("media"), true);
    addProject("Home", {{"big.bin", noise(200000, 3)}});
    backUp("Home");
    stdfs::copy_file(native("out/Home.qmt"), native("media/disk1/Home.qmt.zip"));
    windows_.pickers.folders.push_back(qm::pickers::FolderAnswer::okay("A:\\"));
    ui_.onDoEvents([this] { backup_.PavikZip1.SplitPartSize = 65536; }); // what one disk takes
    for (int disk = 1; disk <= 4; ++disk)
        ui_.answerWith([&swapper, disk](qm::ui::BoxRecord& box) {
            swapper.insert("disk" + std::to_string(disk));
            box.result = qm::ui::mb::OK;
        });
    ui_.answer(qm::ui::mb::OK);
    backUp("Home", kind::ZipSpan, true);
    EXPECT_EQ(ui_.lastBox().title, "Success!");
    EXPECT_EQ(qm::zip::test::allFiles(native("media/disk1")), std::vector<std::string>{"Home.qmt.zip"});
    EXPECT_EQ(qm::test::readFile(native("media/disk1/Home.qmt.zip")).substr(0, 4), std::string("PK\x07\x08", 4));
}

} // namespace
