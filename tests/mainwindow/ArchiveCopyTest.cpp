// SendQMT and SendEXE: an archive of the selected project copied into a
// folder the picker answers, on a temporary program folder.
#include "app/ProgramState.h"
#include "mainwindow/Procedures.h"
#include "platform/fs/SetAside.h"
#include "platform/zip/PavikZip.h"

#include "FakeMainWindowView.h"
#include "FakeWindows.h"
#include "ProgramHome.h"
#include "ZipTestUtil.h"
#include "ZipVolumeFixture.h"

#include <random>
#include <sys/stat.h>

using namespace qm::app;

namespace {

namespace stdfs = std::filesystem;

class ArchiveCopyTest : public qm::test::ProgramHomeTest {
protected:
    ArchiveCopyTest() : ProgramHomeTest({"Projects", "out", "disk", "src"})
    {
        ui_.setUnscriptedResult(qm::ui::mb::OK);
        for (const char* name : {"Home", "Work"}) {
            qm::store::ProjectRecord r = zipProject(name);
            r[F::SFXBackFile] = std::string(name) + ".exe";
            writeProject(name, r);
            view_.rows.push_back({name, "", "", "", "", ""});
        }
        qm::test::writeFile(native("out/Home.qmt"), "the archive");
        qm::test::writeFile(native("out/Home.exe"), "the program");
        stdfs::permissions(native("out/Home.exe"), stdfs::perms::owner_all);
        view_.selected = {0};
    }
    std::vector<std::string> prompts() const { return ui_.titledPrompts(); }

    // The split set `name` (in the program folder), of as many 64 KiB parts
    // as `bytes` of noise take; with `program`, a self-extracting one.
    void makeSet(const std::string& name, size_t bytes, bool program = false)
    {
        stdfs::remove_all(native("src"));
        qm::test::writeFile(native("src/a.bin"), qm::zip::test::randomBytes(bytes, unsigned(bytes)));
        if (program)
            qm::test::writeFile(native("stub.bin"), "\x7f" "ELF extractor" + qm::zip::test::randomBytes(2000, 8));
        qm::zip::PavikZip z;
        z.ArchivePath = win(name);
        z.SourceFolder = win("src");
        z.SplitPartSize = 65536;
        z.SfxStubPath = program ? win("stub.bin") : "";
        ASSERT_EQ(z.Build(), 0);
    }
    // Sends the selected project's QMT archive (or program) into `folder`.
    void sendTo(const std::string& folder, bool program = false)
    {
        ui_.clearRecords();
        windows_.pickers.folders = {qm::pickers::FolderAnswer::okay(folder)};
        program ? procs_.SendEXE() : procs_.SendQMT();
    }
    // That `copy` holds the files `names` of `from`, byte for byte, and nothing else.
    static void expectCopyOf(const stdfs::path& copy, const stdfs::path& from, const std::vector<std::string>& names)
    {
        EXPECT_EQ(qm::zip::test::namesIn(copy), names);
        for (const std::string& n : names)
            EXPECT_TRUE(qm::test::readFile(copy / n) == qm::test::readFile(from / n)) << n;
    }

    qm::ui::FakeUiServices ui_;
    ProgramState state_{ui_};
    qm::test::FakeMainWindowView view_;
    qm::test::FakeWindows windows_;
    Procedures procs_{state_, view_, windows_.windows};
};

TEST_F(ArchiveCopyTest, TheArchiveAndTheProgramGoIntoThePickedFolder)
{
    qm::test::writeFile(native("disk/Home.qmt"), "an older copy");
    windows_.pickers.folders = {qm::pickers::FolderAnswer::okay(win("disk")), qm::pickers::FolderAnswer::okay(win("disk"))};
    procs_.SendQMT();
    procs_.SendEXE();
    EXPECT_EQ(prompts(), (std::vector<std::string>{"Copy Done: File copied successfully.",
                                                   "Copy Done: File copied successfully."}));
    EXPECT_EQ(ui_.lastBox().icon, qm::ui::Icon::Information);
    EXPECT_EQ(qm::test::readFile(native("disk/Home.qmt")), "the archive"); // replaced
    EXPECT_EQ(qm::test::readFile(native("disk/Home.exe")), "the program");
    struct stat st {};
    ASSERT_EQ(::stat(native("disk/Home.exe").c_str(), &st), 0);
    EXPECT_TRUE(st.st_mode & S_IXUSR);
    EXPECT_EQ(state_.Form1.TargetCopy, "");
    EXPECT_EQ(state_.store.CurrentProjectIni, qm::fs::appPath() + "\\Projects\\Home");
    ASSERT_EQ(windows_.pickers.folderRequests.size(), 2u);
    EXPECT_EQ(windows_.pickers.folderRequests[0].ParentForm, "Form1");
    EXPECT_FALSE(ui_.isBusy());
}

TEST_F(ArchiveCopyTest, SelectionMissingArchiveAndCancel)
{
    view_.selected = {0, 1};
    procs_.SendEXE();
    view_.selected = {};
    procs_.SendQMT();
    view_.selected = {1}; // Work has no archive yet
    procs_.SendEXE();
    const std::string missing = win("out") + "\\Work.exe";
    EXPECT_EQ(prompts(), (std::vector<std::string>{
                             "Error!: Cannot select more than one project at a time for back-up.",
                             "Error!: No project selected",
                             "Error!: QMT file not found: \r\n\r\n" + missing +
                                 "\r\n\r\nPlease insert the correct disk and try again."}));
    EXPECT_TRUE(windows_.pickers.folderRequests.empty());

    ui_.clearRecords();
    view_.selected = {0};
    procs_.SendQMT(); // the picker is cancelled
    EXPECT_TRUE(ui_.boxes().empty());
    EXPECT_EQ(state_.Form1.TargetCopy, "_");
    EXPECT_FALSE(stdfs::exists(native("disk/Home.qmt")));
}

TEST_F(ArchiveCopyTest, ARecordThatNamesNoArchiveIsToldSoWithoutAPicker)
{
    // The target folder holds files, as a real one does.
    qm::store::ProjectRecord r = zipProject("Work");
    r[F::SFXBackFile] = "";
    r[F::ZIPBackFile] = " ";
    writeProject("Work", r);
    view_.selected = {1};
    windows_.pickers.folders = {qm::pickers::FolderAnswer::okay(win("disk")),
                                qm::pickers::FolderAnswer::okay(win("disk"))};
    procs_.SendEXE();
    procs_.SendQMT();
    EXPECT_EQ(prompts(), (std::vector<std::string>{
                             "Error!: The project Work has no self-extracting archive: \r\n\r\nits record names no "
                             "EXE file.\r\n\r\nPlease enter the EXE Filename and make a self-extracting back-up first.",
                             "Error!: The project Work has no QMT archive: \r\n\r\nits record names no QMT file."
                             "\r\n\r\nPlease enter the QMT Filename and make a QMT back-up first."}));
    EXPECT_EQ(ui_.lastBox().icon, qm::ui::Icon::Critical);
    EXPECT_TRUE(windows_.pickers.folderRequests.empty());
    EXPECT_TRUE(stdfs::is_empty(native("disk")));
}

TEST_F(ArchiveCopyTest, TheArchiveItselfIsNotATarget)
{
    stdfs::create_symlink(native("out/Home.qmt"), native("disk/Home.qmt"));
    for (const char* folder : {"out", "disk", "none"})
        windows_.pickers.folders.push_back(qm::pickers::FolderAnswer::okay(win(folder)));
    procs_.SendQMT();
    procs_.SendQMT();
    procs_.SendQMT();
    ASSERT_EQ(ui_.boxes().size(), 3u);
    const std::string failed = "Quillmate: The file could not be copied: " + win("out") + "\\Home.qmt\r\n";
    for (const qm::ui::BoxRecord& b : ui_.boxes()) {
        EXPECT_EQ(("Quillmate: " + b.prompt).substr(0, failed.size()), failed) << b.prompt;
        EXPECT_EQ(b.icon, qm::ui::Icon::Critical);
    }
    EXPECT_NE(ui_.boxes()[0].prompt.find("the same file"), std::string::npos);
    EXPECT_EQ(qm::test::readFile(native("out/Home.qmt")), "the archive");
    EXPECT_TRUE(stdfs::is_symlink(native("disk/Home.qmt")));
}

// A split set under the name its backup writes goes whole, as its records
// count it, the last part last; one that is not whole, or one whose part
// would go over another set's there, is not sent at all; an archive a
// killed run left under its hidden name is put back and sent.
TEST_F(ArchiveCopyTest, ASetGoesWithAllItsPartsAndAnArchiveLeftAsideComesBack)
{
    stdfs::remove(native("out/Home.qmt"));
    std::mt19937 gen(5);
    std::string noise(150000, '\0');
    for (char& c : noise)
        c = char(gen());
    qm::test::writeFile(native("src/a.bin"), noise);
    auto makeSet = [&](const std::string& name) {
        qm::zip::PavikZip z;
        z.ArchivePath = win(name);
        z.SourceFolder = win("src");
        z.SplitPartSize = 65536;
        ASSERT_EQ(z.Build(), 0);
    };
    makeSet("out/Home.qmt.zip");
    qm::test::writeFile(native("out/Home.qmt.z03"), "an older set's"); // past the last part: none of this set
    const std::vector<std::string> set{"Home.qmt.z01", "Home.qmt.z02", "Home.qmt.zip"};
    auto send = [&] {
        ui_.clearRecords();
        windows_.pickers.folders = {qm::pickers::FolderAnswer::okay(win("disk"))};
        procs_.SendQMT();
    };
    send();
    EXPECT_EQ(prompts(), std::vector<std::string>{"Copy Done: File copied successfully."});
    std::vector<std::string> sent;
    for (const auto& e : stdfs::directory_iterator(native("disk")))
        sent.push_back(e.path().filename().string());
    std::sort(sent.begin(), sent.end());
    EXPECT_EQ(sent, set);
    for (const std::string& part : set)
        EXPECT_TRUE(qm::test::readFile(native("disk/" + part)) == qm::test::readFile(native("out/" + part))) << part;

    // The last part goes last: a part before it that cannot be copied stops it.
    stdfs::remove_all(native("disk"));
    stdfs::create_directories(native("disk/Home.qmt.z02"));
    send();
    ASSERT_EQ(prompts().size(), 1u);
    EXPECT_NE(prompts()[0].find("could not be copied: " + win("out") + "\\Home.qmt.z02"), std::string::npos)
        << prompts()[0];
    EXPECT_FALSE(stdfs::exists(native("disk/Home.qmt.zip")));
    // Another archive's set there, whose part this set's would replace.
    stdfs::remove_all(native("disk"));
    stdfs::create_directories(native("disk"));
    makeSet("disk/Home.qmt.ace");
    send();
    ASSERT_EQ(prompts().size(), 1u);
    EXPECT_NE(prompts()[0].find(win("disk") + "\\Home.qmt.z01, a part of the archive " + win("disk") +
                                "\\Home.qmt.ace"),
              std::string::npos)
        << prompts()[0];
    EXPECT_FALSE(stdfs::exists(native("disk/Home.qmt.zip")));
    // A part missing: named, and nothing copied.
    stdfs::remove_all(native("disk"));
    stdfs::create_directories(native("disk"));
    stdfs::rename(native("out/Home.qmt.z01"), native("Home.qmt.z01"));
    send();
    ASSERT_EQ(prompts().size(), 1u);
    EXPECT_NE(prompts()[0].find("The part: " + win("out") + "\\Home.qmt.z01"), std::string::npos) << prompts()[0];
    EXPECT_TRUE(stdfs::is_empty(native("disk")));

    const stdfs::path program = native("out/Home.exe");
    stdfs::rename(program, qm::fs::SetAside::asideName(program));
    windows_.pickers.folders = {qm::pickers::FolderAnswer::okay(win("disk"))};
    procs_.SendEXE();
    EXPECT_EQ(prompts().back(), "Copy Done: File copied successfully.");
    EXPECT_EQ(qm::test::readFile(native("disk/Home.exe")), "the program");
    EXPECT_EQ(qm::test::readFile(program), "the program");
    EXPECT_FALSE(stdfs::exists(qm::fs::SetAside::asideName(program)));
}

// A set sent where a copy of it lies already goes as one change: the folder
// holds the old copy whole until the new one is, and the new one whole after.
TEST_F(ArchiveCopyTest, ASetSentOverAnOlderCopyLeavesItWholeOrReplacesItWhole)
{
    stdfs::remove(native("out/Home.qmt"));
    const std::vector<std::string> two{"Home.qmt.z01", "Home.qmt.zip"};
    const std::vector<std::string> four{"Home.qmt.z01", "Home.qmt.z02", "Home.qmt.z03", "Home.qmt.zip"};
    makeSet("out/Home.qmt.zip", 230000);
    sendTo(win("disk"));
    expectCopyOf(native("disk"), native("out"), four);

    // Over an older, longer copy: none of its parts stays.
    makeSet("out/Home.qmt.zip", 100000);
    sendTo(win("disk"));
    EXPECT_EQ(prompts(), std::vector<std::string>{"Copy Done: File copied successfully."});
    expectCopyOf(native("disk"), native("out"), two);
    const std::string oldLast = qm::test::readFile(native("disk/Home.qmt.zip"));

    // A folder in the way of the third part of a longer set: the two-part
    // copy stays as it was, and the box says so.
    makeSet("out/Home.qmt.zip", 230000);
    stdfs::create_directories(native("disk/Home.qmt.z03"));
    sendTo(win("disk"));
    ASSERT_EQ(prompts().size(), 1u);
    EXPECT_NE(prompts()[0].find("could not be copied: " + win("out") + "\\Home.qmt.z03"), std::string::npos)
        << prompts()[0];
    EXPECT_NE(prompts()[0].find(win("disk") + " keeps what it held: no part of the set was put in place."),
              std::string::npos)
        << prompts()[0];
    EXPECT_EQ(qm::zip::test::namesIn(native("disk")),
              (std::vector<std::string>{"Home.qmt.z01", "Home.qmt.z03", "Home.qmt.zip"}));
    EXPECT_TRUE(qm::test::readFile(native("disk/Home.qmt.zip")) == oldLast);
    qm::zip::PavikZip z;
    z.ArchivePath = win("disk") + "\\Home.qmt.zip";
    EXPECT_EQ(z.Test(), 0);
    stdfs::remove(native("disk/Home.qmt.z03"));
    sendTo(win("disk"));
    expectCopyOf(native("disk"), native("out"), four);

    // The set itself is no target: its own folder, or a link to its last part.
    stdfs::create_directories(native("linked"));
    stdfs::create_symlink(native("out/Home.qmt.zip"), native("linked/Home.qmt.zip"));
    for (const char* folder : {"out", "linked"}) {
        sendTo(win(folder));
        ASSERT_EQ(prompts().size(), 1u) << folder;
        EXPECT_NE(prompts()[0].find("The source and the target are the same file"), std::string::npos) << prompts()[0];
    }
    expectCopyOf(native("disk"), native("out"), four); // the set as it was
    EXPECT_EQ(qm::zip::test::namesIn(native("linked")), std::vector<std::string>{"Home.qmt.zip"});
    // A link to an older copy elsewhere: the set goes where the link leads, as a backup's does.
    stdfs::remove(native("linked/Home.qmt.zip"));
    stdfs::create_symlink(native("disk/Home.qmt.zip"), native("linked/Home.qmt.zip"));
    makeSet("out/Home.qmt.zip", 100000);
    sendTo(win("linked"));
    EXPECT_EQ(prompts(), std::vector<std::string>{"Copy Done: File copied successfully."});
    expectCopyOf(native("disk"), native("out"), two);
    EXPECT_TRUE(stdfs::is_symlink(native("linked/Home.qmt.zip")));

    // A self-extracting program's set over an older, longer copy: the
    // program stays a program.
    stdfs::remove(native("out/Home.exe"));
    stdfs::create_directories(native("exe"));
    makeSet("out/Home.exe", 300000, /*program*/ true);
    sendTo(win("exe"), true);
    makeSet("out/Home.exe", 140000, true);
    sendTo(win("exe"), true);
    EXPECT_EQ(prompts(), std::vector<std::string>{"Copy Done: File copied successfully."});
    expectCopyOf(native("exe"), native("out"), {"Home.exe", "Home.z02", "Home.z03"});
    struct stat st {};
    ASSERT_EQ(::stat(native("exe/Home.exe").c_str(), &st), 0);
    EXPECT_TRUE(st.st_mode & S_IXUSR);
}

// A Send into a folder where a build of that archive is under way: while the
// build holds the name to put its set in place, the Send changes nothing,
// and its box says that another copy is being written there, not that the
// folder keeps what it held; a Send that comes first puts its set in, and
// the build then leaves it. Either way one set stands whole.
TEST_F(ArchiveCopyTest, ASendAndABuildOfOneSetAtOnceLeaveOneOfThemWhole)
{
    stdfs::remove(native("out/Home.qmt"));
    const std::vector<std::string> four{"Home.qmt.z01", "Home.qmt.z02", "Home.qmt.z03", "Home.qmt.zip"};
    makeSet("out/Home.qmt.zip", 100000);
    sendTo(win("disk")); // an older copy there
    makeSet("out/Home.qmt.zip", 230000);
    stdfs::create_directories(native("other"));
    qm::test::writeFile(native("other/b.bin"), qm::zip::test::randomBytes(150000, 9));
    qm::zip::PavikZip build;
    build.ArchivePath = win("disk") + "\\Home.qmt.zip";
    build.SourceFolder = win("other");
    build.SplitPartSize = 65536;
    bool sent = false;
    auto sendOnce = [&] {
        if (!sent)
            sendTo(win("disk"));
        sent = true;
    };

    qm::zip::IoFaults placing;
    placing.beforeNameChange = [&](const stdfs::path&) { sendOnce(); };
    build.setIoFaultsForTesting(placing);
    EXPECT_EQ(build.Build(true), qm::zip::result::Ok);
    build.setIoFaultsForTesting({});
    ASSERT_EQ(prompts().size(), 1u);
    const std::string box = prompts()[0];
    EXPECT_NE(box.find("could not be copied: " + win("out") + "\\Home.qmt.zip\r\nAnother copy of that archive is "
                       "being written there now.\r\n\r\n" +
                       win("disk") + " is left to that copy: no part of this set was put in place."),
              std::string::npos)
        << box;
    EXPECT_EQ(box.find("keeps what it held"), std::string::npos) << box;
    EXPECT_EQ(qm::zip::test::namesIn(native("disk")), (std::vector<std::string>{"Home.qmt.z01", "Home.qmt.z02",
                                                                              "Home.qmt.zip"}));
    qm::zip::PavikZip test;
    test.ArchivePath = build.ArchivePath;
    EXPECT_EQ(test.Test(), qm::zip::result::Ok);
    EXPECT_FALSE(qm::test::readFile(native("disk/Home.qmt.zip")) == qm::test::readFile(native("out/Home.qmt.zip")));

    sent = false;
    qm::zip::ZipEventHandlers making;
    making.onFileProgress = [&](const std::string&, int) { sendOnce(); };
    build.addEventSink(&making);
    EXPECT_EQ(build.Build(true), qm::zip::result::ArchiveReplaced);
    build.removeEventSink(&making);
    EXPECT_EQ(prompts(), std::vector<std::string>{"Copy Done: File copied successfully."});
    expectCopyOf(native("disk"), native("out"), four);
}

// Disks of a fixed size: a set sent onto one that fills up on the way leaves
// what the disk held, and the box says how much room the set needs.
TEST_F(ArchiveCopyTest, ASetSentToADiskThatFillsUpLeavesWhatTheDiskHeld)
{
    constexpr uint64_t DiskBytes = 256 * 1024;
    qm::zip::test::DiskSwapper swapper(native("media"), /*onePath*/ false, DiskBytes);
    if (!swapper.fixedSize())
        GTEST_SKIP() << "the disks are mounts of their own size, which this process may not make";
    stdfs::remove(native("out/Home.qmt"));
    const std::vector<std::string> two{"Home.qmt.z01", "Home.qmt.zip"};
    makeSet("out/Home.qmt.zip", 100000);
    sendTo("A:");
    EXPECT_EQ(prompts(), std::vector<std::string>{"Copy Done: File copied successfully."});
    expectCopyOf(swapper.folder("disk1"), native("out"), two);
    std::map<std::string, std::string> held;
    for (const std::string& n : two)
        held[n] = qm::test::readFile(swapper.folder("disk1") / n);

    // Five parts: the third finds the disk full beside the old copy; an
    // empty disk is too small for all five.
    makeSet("out/Home.qmt.zip", 300000);
    uint64_t needed = 0;
    for (const std::string& n : qm::zip::test::namesIn(native("out")))
        if (n.rfind("Home.qmt.", 0) == 0)
            needed += stdfs::file_size(native("out") / n);
    for (const char* disk : {"disk1", "disk2"}) {
        swapper.insert(disk);
        sendTo("A:");
        ASSERT_EQ(prompts().size(), 1u) << disk;
        const std::string box = prompts()[0];
        const std::string stopped = disk == std::string("disk1") ? "\\Home.qmt.z03\r\nDisk full: A:\\Home.qmt.z03"
                                                                 : "\\Home.qmt."; // a later part
        EXPECT_NE(box.find("could not be copied: " + win("out") + stopped), std::string::npos) << box;
        EXPECT_NE(box.find("A: keeps what it held: no part of the set was put in place."), std::string::npos) << box;
        EXPECT_NE(box.find("The copy needs " + std::to_string(needed) + " bytes of free room there; "),
                  std::string::npos)
            << box;
    }
    EXPECT_TRUE(qm::zip::test::namesIn(swapper.folder("disk2")).empty());
    swapper.insert("disk1");
    EXPECT_EQ(qm::zip::test::namesIn(swapper.folder("disk1")), two);
    for (const auto& [n, bytes] : held)
        EXPECT_TRUE(qm::test::readFile(swapper.folder("disk1") / n) == bytes) << n;
    qm::zip::PavikZip z;
    z.ArchivePath = "A:\\Home.qmt.zip";
    EXPECT_EQ(z.Test(), 0);
}

// A spanned set on a drive of one path whose label never changes: only the
// disk in the drive is there, the last or another, so nothing is copied and
// no box says it was.
TEST_F(ArchiveCopyTest, ASpannedSetIsNotSentFromTheOneDiskInTheDrive)
{
    qm::zip::test::DiskSwapper swapper(native("media"), /*onePath*/ true);
    swapper.labelsFollow = false;
    qm::test::writeFile(native("src/a.bin"), qm::zip::test::randomBytes(150000, 4));
    qm::zip::ZipEventHandlers disks;
    disks.onDiskRequest = [&](int disk, bool& ready) {
        swapper.insert("disk" + std::to_string(disk));
        ready = true;
    };
    qm::zip::PavikZip z;
    z.addEventSink(&disks);
    z.ArchivePath = "A:\\Home.qmt.zip";
    z.SourceFolder = win("src");
    z.SpanMode = 1;
    z.SplitPartSize = 65536;
    ASSERT_EQ(z.Build(), 0);
    qm::store::ProjectRecord r = zipProject("Home");
    r[F::ZIPDefaultRestoreFromFolder] = "A:";
    writeProject("Home", r);
    for (const char* in : {"disk3", "disk1"}) {
        swapper.insert(in);
        ui_.clearRecords();
        procs_.SendQMT();
        ASSERT_EQ(prompts().size(), 1u) << in;
        EXPECT_NE(prompts()[0].find("is spanned over several disks"), std::string::npos) << prompts()[0];
        EXPECT_TRUE(windows_.pickers.folderRequests.empty());
        EXPECT_TRUE(stdfs::is_empty(native("disk"))) << in;
    }
}

} // namespace
