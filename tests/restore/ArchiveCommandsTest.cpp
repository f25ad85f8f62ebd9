// The main window's archive test and listings without a window: archives
// made by our zip control, tested and listed through the main window's
// control, the windows faked.
#include "session/ArchiveKinds.h"
#include "session/BackupType.h"
#include "restore/ArchiveSelection.h"
#include "restore/RestoreRun.h"

#include "platform/fs/CurrentFolder.h"
#include "platform/fs/SetAside.h"

#include "RestoreHome.h"
#include "WinAceStandIn.h"

#include <regex>

namespace {

using namespace qm::restore;
using qm::ui::mb::Cancel;
using qm::ui::mb::OK;
using F = qm::store::ProjectField;

class ArchiveCommandsTest : public qm::test::RestoreHome {
protected:
    // The kind dialog answers with option `kind`.
    void answerKind(int kind)
    {
        windows_.engine.onBackupType = [this, kind](const qm::session::BackupTypeSetup&) {
            std::array<bool, qm::session::ArchiveKindCount> set{};
            set[size_t(kind)] = true;
            qm::session::backupTypeOkay(state_.Form1, set, false);
        };
    }
    std::string archivePath(const std::string& name) const { return win("out") + "\\" + name + ".qmt"; }
};

TEST_F(ArchiveCommandsTest, AGoodArchiveTestsOkayAndIsLogged)
{
    addProject("Home", {{"a.txt", "alpha"}, {"docs/b.txt", "beta"}});
    select("Home");
    restore_.TestArchive();
    ASSERT_EQ(ui_.boxes().size(), 1u);
    EXPECT_EQ(prompts()[0], "Test complete!: " + archivePath("Home") + " tests okay.");
    EXPECT_EQ(ui_.boxes()[0].icon, qm::ui::Icon::Information);
    EXPECT_EQ(logLines(), (std::vector<std::string>{"<Now>\tTesting " + archivePath("Home"), "<Now>\tArchive tests okay."}));
    EXPECT_EQ(state_.Form1.ShortName, "Home");
    EXPECT_EQ(state_.Form1.ProjectType, "zip");
    EXPECT_FALSE(ui_.isBusy());
    EXPECT_TRUE(view_.commandsEnabled);
}

TEST_F(ArchiveCommandsTest, AFlippedDataByteFailsTheTestWithTheControlsCode)
{
    addProject("Home", {{"a.txt", "the quick brown fox jumps over the lazy dog"}});
    const std::filesystem::path file = native("out/Home.qmt");
    std::string bytes = qm::test::readFile(file);
    const std::size_t at = bytes.find("quick");
    ASSERT_NE(at, std::string::npos);
    bytes[at] ^= 0x01;
    qm::test::writeFile(file, bytes);

    select("Home");
    restore_.TestArchive();
    // The entry that failed is logged as skipped between the two lines.
    const std::vector<std::string> lines = logLines();
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], "<Now>\tTesting " + archivePath("Home"));
    EXPECT_EQ(lines[1], "<Now>\ta.txt skipped: ");
    std::smatch m;
    ASSERT_TRUE(std::regex_match(lines[3], m, std::regex("<Now>\tError  (5\\d\\d) (.+)"))) << lines[1];
    const int code = std::stoi(m[1]);
    EXPECT_EQ(m[2].str(), session_.PavikZip1.ErrorText(0, code));
    ASSERT_EQ(ui_.boxes().size(), 1u);
    EXPECT_EQ(prompts()[0], "Error!: Unsuccessful. Error # " + std::to_string(code) + " occurred. Description: " +
                                session_.PavikZip1.ErrorText(0, code));
}

TEST_F(ArchiveCommandsTest, APasswordEndingInABlankIsHandedOverAsStored)
{
    addProject("Home", {{"a.txt", "alpha"}}, [](qm::store::ProjectRecord& r) {
        r[F::ZIPUsePassword] = " yes ";
        r[F::ZIPDefaultPassword] = "secret ";
    });
    // In the project file the blank is kept between quotes.
    std::string text = projectText("Home");
    const std::string stored = "ZIPDefaultPassword=secret \r\n";
    ASSERT_NE(text.find(stored), std::string::npos);
    text.replace(text.find(stored), stored.size(), "ZIPDefaultPassword=\"secret \"\r\n");
    qm::test::writeFile(native("Projects/Home"), text);
    select("Home");
    restore_.TestArchive();
    ASSERT_EQ(ui_.boxes().size(), 1u);
    EXPECT_EQ(ui_.boxes()[0].title, "Test complete!");
    EXPECT_EQ(session_.PavikZip1.Password, "secret ");
}

TEST_F(ArchiveCommandsTest, TheSelectionStopsWithItsMessages)
{
    addProject("Home", {{"a.txt", "alpha"}});
    addProject("Work", {{"a.txt", "alpha"}}, [](auto& r) { r[F::ACEBackFile] = "Work.ace"; r[F::ACEDefaultRestoreFromFolder] = r[F::ZIPDefaultRestoreFromFolder]; });
    addProject("Bare", {{"a.txt", "alpha"}}, [](auto& r) { r[F::ZIPDefaultRestoreFromFolder].clear(); }, false);

    // Two selected rows: the first one's project stays current.
    view_.selected = {0, 1};
    restore_.TestArchive();
    EXPECT_EQ(prompts().back(), "Error!: Cannot select more than one project at a time for testing.");
    EXPECT_EQ(state_.store.CurrentProjectIni, win("Projects/Home"));

    // No project current at all.
    view_.selected.clear();
    state_.store.CurrentProjectIni.clear();
    restore_.ViewArchive();
    EXPECT_EQ(prompts().back(), "Error!: No project selected");

    // Two archives: the kind dialog; an EXE kind without its file name.
    answerKind(qm::session::kind::Exe);
    select("Work");
    restore_.TestArchive();
    EXPECT_EQ(windows_.engine.shown.back(), "BackupType Archive Type");
    EXPECT_EQ(prompts().back(), "Error!: No back-up file name is stored for 'Work'\r\nNothing to do!");

    // The dialog cancelled.
    windows_.engine.onBackupType = [this](const auto&) { qm::session::backupTypeCancel(state_.Form1); };
    restore_.ViewArchive();
    EXPECT_EQ(prompts().back(), "Quillmate: Archive operation cancelled.");

    // No archive counted: the operation stops instead of taking an earlier kind.
    select("Bare");
    restore_.ViewArchive();
    EXPECT_EQ(prompts().back(), "Error!: No back-up file name is stored for 'Bare'\r\nNothing to view!");
    EXPECT_TRUE(windows_.restore.openings.empty());
    EXPECT_TRUE(logText().empty());
    EXPECT_TRUE(view_.visible);
}

TEST_F(ArchiveCommandsTest, AMissingArchiveIsReportedAndAnExeMayBeLookedFor)
{
    addProject("Home", {{"a.txt", "alpha"}}, {}, false);
    select("Home");
    restore_.TestArchive();
    EXPECT_EQ(prompts().back(), "Error!: Home\r\n (" + archivePath("Home") +
                                    ")\r\nnot found. Please insert the correct disk,\r\nor re-build the archive file.");
    EXPECT_TRUE(windows_.pickers.fileRequests.empty());

    // The EXE: offered to browse; Cancel ends without a log line.
    qm::store::ProjectRecord r = zipProject("Home");
    r[F::SFXBackFile] = "Home.exe";
    r[F::ZIPBackFile].clear();
    writeProject("Home", r);
    ui_.answer(Cancel);
    restore_.TestArchive();
    EXPECT_EQ(ui_.boxes().back().buttons, qm::ui::mb::OKCancel);
    EXPECT_TRUE(windows_.pickers.fileRequests.empty());

    // OK, and the picker confirmed without a file: nothing more.
    state_.Form1.ProjectName = "C:\\stale.exe";
    const size_t boxes = ui_.boxes().size();
    windows_.pickers.files.push_back(qm::pickers::FileAnswer::okay({}));
    restore_.TestArchive();
    ASSERT_EQ(windows_.pickers.fileRequests.size(), 1u);
    EXPECT_EQ(windows_.pickers.fileRequests[0].ParentForm, "Form1");
    EXPECT_EQ(ui_.boxes().size(), boxes + 1);
    EXPECT_TRUE(logText().empty());

    // A file chosen there is tested.
    makeArchive(win("src-Home"), win("out/found.exe"));
    windows_.pickers.files.push_back(qm::pickers::FileAnswer::okay({win("out/found.exe")}));
    restore_.TestArchive();
    EXPECT_EQ(prompts().back(), "Test complete!: " + win("out/found.exe") + " tests okay.");
}

TEST_F(ArchiveCommandsTest, AListingFillsTheContentsWindowAndStartsAgainEachTime)
{
    addProject("Home", {{"a.txt", "alpha"}, {"docs/b.txt", "beta"}},
               [](auto& r) { r[F::ZIPComments] = "weekly"; });
    select("Home");
    state_.Form1.ZipTypeBut.setValue(qm::session::kind::Zip, true);
    for (int pass = 0; pass < 2; ++pass) {
        restore_.ViewArchive();
        ASSERT_EQ(windows_.restore.openings.size(), size_t(pass + 1));
        const ContentsOpening& o = windows_.restore.openings.back();
        EXPECT_EQ(o.caption, "Viewing: Home (" + archivePath("Home") + ")");
        EXPECT_EQ(o.ProjectName, archivePath("Home"));
        EXPECT_EQ(o.ParentForm, "Form1");
        ASSERT_EQ(windows_.restore.rows.size(), 3u) << pass; // a.txt, docs\, docs\b.txt
        EXPECT_EQ(windows_.restore.rows[0].first, 1);
        EXPECT_EQ(windows_.restore.rows[2].first, 3);
        EXPECT_EQ(windows_.restore.rows[2].second.name, "docs\\b.txt");
    }
    EXPECT_EQ(windows_.restore.summary[0], "Files: ");
    EXPECT_EQ(windows_.restore.summary[1], "2"); // files, not folders
    EXPECT_EQ(windows_.restore.comment, "weekly");
    EXPECT_TRUE(windows_.restore.listVisible);
    EXPECT_FALSE(view_.visible); // the contents window stands in for the main window
    EXPECT_TRUE(ui_.boxes().empty());
}

TEST_F(ArchiveCommandsTest, ANonArchiveIsRefusedAndTheWindowCloses)
{
    addProject("Home", {{"a.txt", "alpha"}}, {}, false);
    qm::test::writeFile(native("out/Home.qmt"), "not an archive at all");
    select("Home");
    restore_.ViewArchive();
    ASSERT_EQ(ui_.boxes().size(), 1u);
    EXPECT_EQ(ui_.boxes()[0].title, "Quillmate");
    EXPECT_EQ(ui_.boxes()[0].prompt, session_.PavikZip1.ErrorText(0, qm::zip::result::NotAnArchive));
    EXPECT_EQ(windows_.restore.contentsUnloads, 1);
    EXPECT_TRUE(view_.visible);

    // The same from the command line.
    restore_.ExplorerView("\"" + native("out/Home.qmt").string() + "\"");
    EXPECT_EQ(windows_.restore.contentsUnloads, 2);
    EXPECT_EQ(ui_.boxes().size(), 2u);
}

TEST_F(ArchiveCommandsTest, AMissingListedArchiveMayBeLookedForUnderItsName)
{
    addProject("Home", {{"a.txt", "alpha"}}, {}, false);
    select("Home");
    ui_.answer(Cancel);
    restore_.ViewArchive();
    EXPECT_EQ(ui_.boxes()[0].title, "File Not Found!");
    EXPECT_TRUE(windows_.pickers.fileRequests.empty());
    EXPECT_TRUE(view_.visible);
    EXPECT_EQ(view_.calls, std::vector<std::string>{});

    makeArchive(win("src-Home"), win("Home.qmt"));
    windows_.pickers.files.push_back(qm::pickers::FileAnswer::okay({win("Home.qmt")}));
    restore_.ViewArchive();
    ASSERT_EQ(windows_.pickers.fileRequests.size(), 1u);
    EXPECT_EQ(windows_.pickers.fileRequests[0].pattern, "Home.qmt");
    EXPECT_EQ(windows_.pickers.fileRequests[0].caption, "Locate 'Home.qmt'");
    ASSERT_EQ(windows_.restore.openings.size(), 1u);
    EXPECT_EQ(windows_.restore.openings[0].ProjectName, win("Home.qmt"));
    EXPECT_EQ(windows_.restore.rows.size(), 1u);
}

TEST_F(ArchiveCommandsTest, ACommandLineArchiveIsListedWithItsSummary)
{
    makeSource("x", {{"a b.txt", "alpha"}, {"c.txt", "gamma"}});
    std::filesystem::create_directories(native("Back ups"));
    makeArchive(win("src-x"), win("Back ups/x y.qmt"));
    const std::string argument = "\"" + native("Back ups/x y.qmt").string() + "\"";
    restore_.ExplorerView(argument);
    ASSERT_EQ(windows_.restore.openings.size(), 1u);
    const ContentsOpening& o = windows_.restore.openings[0];
    EXPECT_EQ(o.caption, "Viewing: " + argument);
    EXPECT_EQ(o.ProjectName, win("Back ups/x y.qmt"));
    EXPECT_EQ(o.strRunCommand, argument);
    EXPECT_EQ(o.ParentForm, "");
    EXPECT_EQ(windows_.restore.rows.size(), 2u);
    EXPECT_EQ(windows_.restore.summary[1], "2");
    EXPECT_EQ(windows_.restore.summary[9], "False");
    EXPECT_TRUE(windows_.restore.comment.empty()); // no project comment for a command-line archive
    EXPECT_TRUE(ui_.boxes().empty());
    // The main window is neither hidden nor shown (its commands were off meanwhile).
    EXPECT_EQ(view_.calls, (std::vector<std::string>{"enableCommands off", "enableCommands on"}));
}

TEST_F(ArchiveCommandsTest, AceRoadsOfTestAndListing)
{
    const std::filesystem::path cwd = std::filesystem::current_path();
    addProject("Home", {{"a.txt", "alpha"}}, [](qm::store::ProjectRecord& r) {
        r[F::ZIPBackFile].clear();
        r[F::ACEBackFile] = "Home.ace";
        r[F::ACEDefaultRestoreFromFolder] = r[F::ZIPDefaultRestoreFromFolder];
    }, false);
    makeArchive(win("src-Home"), win("out/Home.ace"));
    select("Home");

    // No WinAce: the backups' box for the test and the listing, and no
    // action log.
    restore_.TestArchive();
    restore_.ViewArchive();
    const std::string noWinAce = "Error!: Cannot find an installed version of WinAce (2.11 or higher)";
    EXPECT_EQ(prompts(), (std::vector<std::string>{noWinAce, noWinAce}));
    EXPECT_TRUE(windows_.restore.actionLogs.empty());
    EXPECT_FALSE(ui_.isBusy());
    EXPECT_TRUE(view_.visible);
    ui_.clearRecords();

    // The test: WinAce, installed since start-up, looked up and run from
    // the source folder, its log shown, nothing in autoback.log.
    const std::string winace = qm::test::installWinAce(home_.path());
    restore_.TestArchive();
    EXPECT_EQ(state_.Form1.WinAceLocation, winace);
    EXPECT_EQ(state_.Form1.ProjectType, "ace");
    EXPECT_EQ(windows_.restore.actionLogs, std::vector<std::string>{winace});
    std::vector<std::string> log = qm::test::actionLog(home_.path());
    EXPECT_EQ(log[0], "Archive: " + win("out") + "\\Home.ace");
    EXPECT_NE(std::find(log.begin(), log.end(), "1 file(s) tested, the archive is sound"), log.end());
    EXPECT_EQ(qm::fs::CurDir(), win("src-Home"));
    EXPECT_EQ(logText(), "");
    EXPECT_TRUE(ui_.boxes().empty());
    EXPECT_FALSE(ui_.isBusy());
    EXPECT_TRUE(view_.commandsEnabled);

    // The listing: WinAce's own, no contents window; without a display
    // WinAce lists into its action log, which is shown.
    restore_.ViewArchive();
    log = qm::test::actionLog(home_.path());
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log[1].rfind("a.txt\t5\t", 0), 0u) << log[1];
    EXPECT_EQ(windows_.restore.actionLogs, (std::vector<std::string>{winace, winace}));
    EXPECT_TRUE(windows_.restore.openings.empty());
    EXPECT_TRUE(view_.visible);
    EXPECT_TRUE(ui_.boxes().empty());
    qm::fs::ChDir(qm::fs::fromNative(cwd));
}

// A kill while an archive was being replaced left it under its hidden name
// only: each command puts it back under its own before it looks for it.
TEST_F(ArchiveCommandsTest, AnArchiveAKilledRunLeftAsideIsFoundAgain)
{
    addProject("Home", {{"a.txt", "alpha"}});
    const std::filesystem::path archive = native("out/Home.qmt");
    const std::filesystem::path aside = qm::fs::SetAside::asideName(archive);
    const auto leaveAside = [&] { std::filesystem::rename(archive, aside); };
    select("Home");

    leaveAside();
    restore_.TestArchive();
    EXPECT_EQ(prompts(), std::vector<std::string>{"Test complete!: " + archivePath("Home") + " tests okay."});
    EXPECT_TRUE(std::filesystem::exists(archive));
    EXPECT_FALSE(std::filesystem::exists(aside));

    leaveAside();
    restore_.ViewArchive();
    ASSERT_EQ(windows_.restore.openings.size(), 1u);
    EXPECT_EQ(windows_.restore.rows.size(), 1u);
    EXPECT_TRUE(std::filesystem::exists(archive));

    // The restore dialog lists the folder: the archive is back before it opens.
    leaveAside();
    bool listed = false;
    windows_.restore.onRestore = [&](RestoreRun&) { listed = std::filesystem::exists(archive); };
    restore_.RestoreArchive();
    EXPECT_TRUE(listed);
    EXPECT_FALSE(std::filesystem::exists(aside));
    EXPECT_EQ(prompts().size(), 1u);
}

// A split or spanned QMT backup writes its set under the record's name with
// ".zip" appended: the commands take it there when nothing stands under the
// name itself, and the name itself first.
TEST_F(ArchiveCommandsTest, AQmtSetIsTestedAndListedUnderTheNameItsBackupWrites)
{
    std::string noise(150000, '\0');
    for (std::size_t i = 0; i < noise.size(); ++i)
        noise[i] = char((i * 2654435761u) >> 13);
    addProject("Home", {{"a.txt", "alpha"}, {"big.bin", noise}}, {}, false);
    {
        qm::zip::PavikZip z;
        z.SourceFolder = win("src-Home");
        z.ArchivePath = archivePath("Home") + ".zip";
        z.Level = 0;
        z.SplitPartSize = 65536;
        ASSERT_EQ(z.Build(), 0);
    }
    ASSERT_TRUE(std::filesystem::exists(native("out/Home.qmt.z02")));
    select("Home");
    restore_.TestArchive();
    EXPECT_EQ(prompts(), std::vector<std::string>{"Test complete!: " + archivePath("Home") + ".zip tests okay."});
    restore_.ViewArchive();
    ASSERT_EQ(windows_.restore.openings.size(), 1u);
    EXPECT_EQ(windows_.restore.openings[0].ProjectName, archivePath("Home") + ".zip");
    EXPECT_EQ(windows_.restore.rows.size(), 2u);
    EXPECT_EQ(prompts().size(), 1u);

    // An archive under the record's name comes first.
    makeArchive(win("src-Home"), archivePath("Home"));
    restore_.TestArchive();
    EXPECT_EQ(prompts().back(), "Test complete!: " + archivePath("Home") + " tests okay.");
}

} // namespace
