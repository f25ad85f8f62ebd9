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
