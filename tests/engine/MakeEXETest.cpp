// The self-extracting backup end to end: programs made with the built stubs
// in a temporary program folder, checked by the peers and run offscreen.
#include "BackupFixture.h"

#include "HeadlessSfx.h"
#include "platform/zip/ArchiveReader.h"
#include "sfxstub/ExitStatus.h"

#include <sys/stat.h>

namespace {

using namespace qm::engine;
using namespace qm::session;
using qm::test::engine::BackupTest;
using qm::test::engine::noise;
using qm::test::engine::Now;
using F = qm::store::ProjectField;
namespace stdfs = std::filesystem;

class MakeEXETest : public BackupTest {
protected:
    void SetUp() override
    {
        for (const char* stub : {"pvksfxbz.bin", "pvksfx32.bin"}) {
            const stdfs::path built = qm::test::programDir() / stub;
            if (!stdfs::exists(built))
                GTEST_FAIL() << stub << " is not built in " << qm::test::programDir();
            stdfs::copy_file(built, native(stub));
        }
    }
    // A project whose self-extracting program is out\<name>.exe.
    void addExeProject(const std::string& name, const std::map<std::string, std::string>& files,
                       const std::function<void(qm::store::ProjectRecord&)>& edit = {})
    {
        addProject(name, files, [&](qm::store::ProjectRecord& r) {
            r[F::SFXBackFile] = name + ".exe";
            r[F::SFXDoSubFolders] = "yes";
            r[F::SFXPreservePaths] = "yes";
            if (edit)
                edit(r);
        });
    }
    // The program run headless in a fresh folder, which it fills.
    int restoreInto(const stdfs::path& program, const std::string& folder, std::string* out)
    {
        stdfs::create_directories(native(folder));
        qm::test::copyHeadlessSfx(program, native(folder + "/setup.exe"));
        return qm::test::runSfx(native(folder + "/setup.exe"), out);
    }
    bool sameTree(const std::string& a, const std::string& b)
    {
        return qm::test::runCommand({"diff", "-r", "-x", "setup.exe", native(a).string(), native(b).string()}) == 0;
    }
    int methodOf(const stdfs::path& program, const std::string& entry)
    {
        qm::zip::ArchiveReader r;
        r.open(program);
        for (const auto& e : r.entries())
            if (e.name() == entry)
                return e.method;
        return -1;
    }
    std::string start(const std::string& target) const
    {
        return dashes() + "\r\n" + Now + "\tManual back-up started for Home\r\n\t\t\tTarget File: " + target + "\r\n";
    }
};

TEST_F(MakeEXETest, EachMethodMakesAProgramThatThePeersReadAndThatRestoresItsFiles)
{
    const std::map<std::string, std::string> files{
        {"notes.txt", std::string(40000, 'n')}, {"raw/noise.bin", noise(30000, 7)}, {"raw/empty.txt", ""}};
    const std::tuple<const char*, int, const char*> runs[] = {
        {"pvzStored", 0, "pvksfx32.bin"}, {"pvzDeflated", 8, "pvksfx32.bin"}, {"pvzBurrowsWheeler", 18, "pvksfxbz.bin"}};
    for (const auto& [word, method, stub] : runs) {
        SCOPED_TRACE(word);
        stdfs::remove_all(native("src-Home"));
        view_.rows.clear();
        addExeProject("Home", files, [w = word](auto& r) { r[F::SFXCompressionMethod] = w; });
        std::filesystem::remove(native("autoback.log"));
        ui_.clearRecords();
        backUp("Home", kind::Exe, true);
        ASSERT_EQ(prompts(), std::vector<std::string>{"Success!: Back-up operation successful."});
        EXPECT_EQ(logText(), start(win("out") + "\\Home.exe") + Now + "\t\tHome self-extract file created successfully.\r\n");

        const stdfs::path program = native("out/Home.exe");
        struct stat st {};
        ASSERT_EQ(::stat(program.c_str(), &st), 0);
        EXPECT_TRUE(st.st_mode & S_IXUSR);
        // The stub in front is the one that decodes the method.
        const std::string head = qm::test::readFile(native(stub));
        EXPECT_EQ(qm::test::readFile(program).compare(0, head.size(), head), 0);
        EXPECT_EQ(methodOf(program, "notes.txt"), method);
        std::string out;
        if (method == 18) {
            EXPECT_EQ(qm::test::runCommand({"python3", (qm::test::sourceDir() / "tests/interop/zippeer.py").string(),
                                            "bw", program.string()},
                                           &out),
                      0)
                << out;
        } else if (qm::test::haveProgram("unzip")) {
            EXPECT_EQ(qm::test::runCommand({"unzip", "-tq", program.string()}, &out), 0) << out;
        }
        const std::string folder = std::string("restored-") + word;
        EXPECT_EQ(qm::sfxstub::resultOfExitStatus(restoreInto(program, folder, &out)), 0) << out;
        EXPECT_TRUE(sameTree("src-Home", folder));
    }
    // A self-extracting backup records nothing.
    EXPECT_EQ(projectText("Home").find("ZIPLastBackupDate=3"), std::string::npos);
    EXPECT_EQ(view_.rows[0][1], "");
}

TEST_F(MakeEXETest, ResultRoadsLogTheirLinesWithTwoTabs)
{
    // Paths not kept: the project's folder is the current one for the build.
    addExeProject("Home", {{"a.txt", "alpha"}}, [](auto& r) { r[F::ZIPPreservePaths] = "no"; });
    const std::string failed = backup_.PavikZip1.ErrorText(0, 507);
    const std::pair<int, std::string> roads[] = {
        {518, "Compression Halted: Back-up process aborted by user|<Now>\t\tHome self-extract creation aborted by user."},
        {519, "Abort!: Processing Halted. Back-up file not created due to error or user abort|"},
        {507, "Quillmate: " + failed + "|<Now>\t\tHome self-extract creation failed: " + failed}};
    for (const auto& [result, expected] : roads) {
        ui_.clearRecords();
        std::filesystem::remove(native("autoback.log"));
        backup_.setBuildForTesting([r = result] { return r; });
        backUp("Home", kind::Exe);
        const std::vector<std::string> lines = logLines();
        ASSERT_EQ(ui_.boxes().size(), 1u);
        EXPECT_EQ(prompts()[0] + "|" + (lines.size() > 3 ? lines[3] : ""), expected);
        EXPECT_LE(lines.size(), 4u);
        EXPECT_FALSE(ui_.isBusy());
        EXPECT_FALSE(status_.visible);
        EXPECT_EQ(state_.Form1.OpType, "");
    }
    EXPECT_TRUE(view_.commandsEnabled);
    EXPECT_EQ(stdfs::current_path(), native("src-Home"));
}

TEST_F(MakeEXETest, TheFolderComesFromThePickerOfThisRunWhenTheTargetCannotBeUsed)
{
    addExeProject("Home", {{"a.txt", "alpha"}}, [this](auto& r) { r[F::ZIPDefaultRestoreFromFolder] = win("gone"); });
    state_.ChosenFolder = win("out"); // from an earlier dialog: not taken
    backUp("Home", kind::Exe);
    EXPECT_EQ(prompts(), std::vector<std::string>{"Operation aborted.: No file or folder chosen."});
    EXPECT_EQ(ui_.lastBox().icon, qm::ui::Icon::Critical);
    backUp("Home", kind::ExeSpan); // the spanned kind always asks
    EXPECT_EQ(ui_.boxes().size(), 2u);
    EXPECT_EQ(logText(), "");
    EXPECT_EQ(windows_.pickers.folderRequests.size(), 2u);

    stdfs::create_directories(native("picked"));
    windows_.pickers.folders.push_back(qm::pickers::FolderAnswer::okay(win("picked")));
    backUp("Home", kind::Exe);
    EXPECT_EQ(ui_.lastBox().title, "Success!");
    EXPECT_TRUE(stdfs::exists(native("picked/Home.exe")));
    EXPECT_EQ(logLines()[2], "\t\t\tTarget File: " + win("picked") + "\\Home.exe");

    // Spanned: the program goes to the chosen folder; the log names the record's.
    windows_.pickers.folders.push_back(qm::pickers::FolderAnswer::okay(win("picked") + "\\"));
    backUp("Home", kind::ExeSpan, true);
    EXPECT_EQ(ui_.lastBox().title, "Success!");
    EXPECT_EQ(backup_.PavikZip1.SpanMode, 2);
    EXPECT_EQ(backup_.PavikZip1.ArchivePath, win("picked") + "\\Home.exe");
    EXPECT_EQ(logLines().end()[-2], "\t\t\tTarget File: " + win("gone") + "\\Home.exe");
    EXPECT_EQ(state_.ChosenFolder, win("picked") + "\\");
}

TEST_F(MakeEXETest, PasswordCommentAndDateReachOnlyTheirOwnProgram)
{
    addExeProject("Secret", {{"a.txt", "alpha"}}, [](auto& r) {
        r[F::SFXUsePassword] = "yes";
        r[F::SFXDefaultPassword] = "s3cret";
        r[F::SFXUseComments] = "yes";
        r[F::SFXComments] = "Data of Secret";
        r[F::ZIPUseComments] = "yes"; // the ZIP comment is not the program's
        r[F::ZIPComments] = "ZIP comment";
        r[F::SFXArchiveDate] = "latest";
    });
    addExeProject("Open", {{"b.txt", "beta"}});
    const auto newest = stdfs::file_time_type::clock::now() - std::chrono::hours(24 * 300);
    stdfs::last_write_time(native("src-Secret/a.txt"), newest);
    backUp("Secret", kind::Exe);
    backUp("Open", kind::Exe);
    bool encrypted = false;
    entries(native("out/Secret.exe"), &encrypted);
    EXPECT_TRUE(encrypted);
    entries(native("out/Open.exe"), &encrypted);
    EXPECT_FALSE(encrypted);
    EXPECT_LE(std::chrono::abs(stdfs::last_write_time(native("out/Secret.exe")) - newest), std::chrono::seconds(2));
    EXPECT_TRUE(windows_.restore.rows.empty()); // the stamp's listing fills no contents window
    std::string out;
    if (qm::test::haveProgram("python3")) {
        ASSERT_EQ(qm::test::runCommand({"python3", "-c",
                                        "import sys, zipfile\n"
                                        "for a in sys.argv[1:]: print(repr(zipfile.ZipFile(a).comment.decode()))",
                                        native("out/Secret.exe").string(), native("out/Open.exe").string()},
                                       &out),
                  0);
        EXPECT_EQ(out, "'Data of Secret'\n''\n");
    }
}

TEST_F(MakeEXETest, RebuildKeepsTheOldProgramWhenTheBuildFails)
{
    addExeProject("Home", {{"a.txt", noise(120000, 9)}});
    backUp("Home", kind::Exe);
    const std::string before = qm::test::readFile(native("out/Home.exe"));
    qm::test::writeFile(native("src-Home/b.txt"), noise(120000, 10));
    ui_.clearRecords();
    {
        qm::test::FileSizeLimit limit(static_cast<off_t>(before.size() + 20000));
        backUp("Home", kind::Exe, true);
    }
    // The control's own result for a full disk: logged with its text, and
    // the disk-full box that the ZIP backup shows too.
    const std::string full = backup_.PavikZip1.ErrorText(0, qm::zip::result::DiskFull);
    EXPECT_EQ(prompts(), std::vector<std::string>{"Error!: Target Drive/Directory has insufficient space to store "
                                                  "your database. Choose another location and try again."});
    EXPECT_EQ(ui_.lastBox().icon, qm::ui::Icon::Critical);
    EXPECT_EQ(logLines().back(), "<Now>\t\tHome self-extract creation failed: " + full);
    EXPECT_EQ(qm::test::readFile(native("out/Home.exe")), before);

    // A failure other than a full disk: its text is shown and logged.
    ui_.clearRecords();
    stdfs::remove(native("pvksfxbz.bin"));
    qm::store::ProjectRecord r = zipProject("Home");
    r[F::SFXBackFile] = "Home.exe";
    r[F::SFXFilesToProcess] = "(list)";
    writeProject("Home", r);
    backUp("Home", kind::Exe, true);
    const std::string text = "Error: 53. File not found: " + win("Filelists") + "\\Home-ZIPEXE";
    EXPECT_EQ(prompts(), std::vector<std::string>{"Error!: " + text});
    EXPECT_EQ(logLines().back(), "<Now>\t" + text);
    EXPECT_EQ(qm::test::readFile(native("out/Home.exe")), before);
    for (const auto& e : stdfs::directory_iterator(native("out")))
        EXPECT_FALSE(e.path().filename().string().starts_with(".")) << e.path();
}

TEST_F(MakeEXETest, AProgramAKilledRunLeftAsideComesBackAndIsUpdated)
{
    addExeProject("Home", {{"a.txt", "alpha"}});
    backUp("Home", kind::Exe);
    const stdfs::path program = native("out/Home.exe"), aside = native("out/.Home.exe.previous");
    stdfs::rename(program, aside);
    stdfs::remove(native("src-Home/a.txt"));
    qm::test::writeFile(native("src-Home/b.txt"), "beta");
    backUp("Home", kind::Exe);
    EXPECT_EQ(ui_.lastBox().title, "Success!");
    EXPECT_EQ(entries(program), (std::vector<std::string>{"a.txt", "b.txt"}));
    EXPECT_FALSE(stdfs::exists(aside));
}

} // namespace
