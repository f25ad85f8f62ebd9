// Every archive kind the kind window offers, end to end, through the
// procedures the main window's commands call (engine/Backup, restore/Restore,
// restore/RestoreRun), with only the windows faked: a backup, a change in the
// source, a plain backup, Test, View and a restore into an empty folder; and
// "Delete old back-up and rebuild" over an existing archive.
//
// The spanned QMT and EXE kinds go to removable drive A:, one path whose
// medium changes at each disk request (mounted on it, where the test may
// mount, and taken out by a plain unmount), its label one for the letter. Each
// medium is a small tmpfs where the test may mount one (as root), so that a
// set takes several disks; elsewhere the media are plain folders. The ACE
// spanned kinds write to the ACE target folders, whatever drive is chosen.
// A self-extracting kind is restored by the restore dialog, which starts the
// program, and then by the program itself, run as its user would run it:
// from the disk in the drive for a spanned set (in this process, so that
// the test can change the disk it asks for), a copy without prompts run
// headless beside its parts otherwise.
#include "engine/Backup.h"

#include "app/BusySwitch.h"
#include "app/ProgramState.h"
#include "platform/datetime/Clock.h"
#include "platform/fs/CurrentFolder.h"
#include "restore/ActionLog.h"
#include "restore/Restore.h"
#include "restore/RestoreRun.h"
#include "platform/zip/PavikZip.h"
#include "platform/zip/ResultCodes.h"
#include "session/ArchiveKinds.h"
#include "session/BackupType.h"
#include "session/ZipSession.h"
#include "sfxstub/Inflate.h"
#include "sfxstub/Session.h"

#include "FakeMainWindowView.h"
#include "FakeSfxUi.h"
#include "FakeUiServices.h"
#include "FakeWindows.h"
#include "HeadlessSfx.h"
#include "ProgramHome.h"
#include "RecordingLauncher.h"
#include "WinAceStandIn.h"
#include "ZipTestUtil.h"

#include <random>
#include <set>
#include <sys/mount.h>

namespace {

namespace stdfs = std::filesystem;
namespace kind = qm::session::kind;
using F = qm::store::ProjectField;
using Files = std::map<std::string, std::string>;

enum class Family { Qmt, Exe, Ace, AceExe };

// One kind of the kind window: what the backup makes and where.
struct Kind {
    const char* name;
    int index;          // the kind window's option
    Family family;
    bool split;
    bool onDrive;       // the set goes to the removable drive
    bool keepsDeleted;  // a plain backup keeps the entries of deleted files
};

// "EXE split size" is never offered.
constexpr Kind Kinds[] = {
    {"QmtSingle", kind::Zip, Family::Qmt, false, false, true},
    {"QmtSplit", kind::ZipMulti, Family::Qmt, true, false, true},
    {"QmtSpanned", kind::ZipSpan, Family::Qmt, false, true, false},
    {"ExeSingle", kind::Exe, Family::Exe, false, false, true},
    {"ExeSpanned", kind::ExeSpan, Family::Exe, false, true, false},
    {"AceSingle", kind::Ace, Family::Ace, false, false, true},
    {"AceSplit", kind::AceMulti, Family::Ace, true, false, true},
    {"AceSpanned", kind::AceSpan, Family::Ace, false, false, true},
    {"AceExeSingle", kind::AceExe, Family::AceExe, false, false, true},
    {"AceExeSplit", kind::AceExeMulti, Family::AceExe, true, false, true},
    {"AceExeSpanned", kind::AceExeSpan, Family::AceExe, false, false, true},
};
static_assert(std::size(Kinds) == qm::session::ArchiveKindCount - 1);

std::string noise(std::size_t n)
{
    std::mt19937 gen(7);
    std::string s(n, '\0');
    for (char& c : s)
        c = char(gen());
    return s;
}

void PrintTo(const Kind& k, std::ostream* os) { *os << k.name; }

// Relative path (with "\") -> bytes of every file below `folder`.
Files tree(const stdfs::path& folder)
{
    Files out;
    for (const auto& e : stdfs::recursive_directory_iterator(folder))
        if (e.is_regular_file()) {
            std::string rel = stdfs::relative(e.path(), folder).string();
            std::replace(rel.begin(), rel.end(), '/', '\\');
            out[rel] = qm::test::readFile(e.path());
        }
    return out;
}

std::set<std::string> namesOf(const Files& files)
{
    std::set<std::string> out;
    for (const auto& [name, bytes] : files)
        out.insert(name);
    return out;
}

// Removable drive A:, one path whose medium (disk1, disk2, ...) changes
// under it. `lastDisk` is the last disk of the set written last.
class OnePathDrive {
public:
    static constexpr int Disks = 6;

    explicit OnePathDrive(const stdfs::path& root) : root_(root)
    {
        for (int n = 1; n <= Disks; ++n) {
            const stdfs::path medium = root / ("disk" + std::to_string(n));
            stdfs::create_directories(medium);
            if (::mount("qm-every-kind", medium.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, "size=768k,mode=0755") == 0)
                mounted_.push_back(medium);
        }
        // Where the test may mount, each medium is mounted on the drive's
        // folder in turn, so that a medium held by anything cannot come out.
        swapper_ = std::make_unique<qm::zip::test::DiskSwapper>(root, /*onePath*/ true, 0, /*mounts*/ true);
        if (!swapper_->mounted()) {
            swapper_.reset();
            stdfs::remove_all(root / "drive");
            swapper_ = std::make_unique<qm::zip::test::DiskSwapper>(root, /*onePath*/ true);
        }
        swapper_->labelsFollow = false;
    }
    ~OnePathDrive()
    {
        swapper_.reset();
        for (const stdfs::path& m : mounted_)
            ::umount2(m.c_str(), MNT_DETACH);
    }
    // Disk `n` into the drive; 0: the last disk of the set.
    void insert(int n)
    {
        if (n == 0)
            n = lastDisk;
        highest_ = std::max(highest_, n);
        swapper_->insert("disk" + std::to_string(n));
    }
    void writing() { highest_ = 0; }
    void written() { lastDisk = std::max(highest_, 1); }
    stdfs::path medium(int n) const { return root_ / ("disk" + std::to_string(n)); }

    int lastDisk = 1;

private:
    stdfs::path root_;
    std::vector<stdfs::path> mounted_;
    std::unique_ptr<qm::zip::test::DiskSwapper> swapper_;
    int highest_ = 0;
};

// The main program's boxes, the zip control's disk requests answered by
// putting the disk asked for into the drive.
class DriveUi : public qm::ui::FakeUiServices {
public:
    std::function<void(int)> insert;
    int msgBox(const std::string& prompt, int style, const std::string& title) override
    {
        static const std::string disk = "Please insert disk #";
        if (insert && prompt.rfind(disk, 0) == 0) {
            insert(std::stoi(prompt.substr(disk.size())));
            return qm::ui::mb::OK;
        }
        if (insert && prompt.find("the last disk of the set") != std::string::npos) {
            insert(0);
            return qm::ui::mb::OK;
        }
        return FakeUiServices::msgBox(prompt, style, title);
    }
};

// The self-extractor's boxes, its disk requests answered the same way.
struct DriveSfxUi : qm::sfxstub::test::FakeSfxUi {
    std::function<void(int)> insert;
    int SfxMessageBox(const qm::sfxstub::BoxRequest& box) override
    {
        if (box.memory != qm::sfxstub::Slot::InsertDisk)
            return FakeSfxUi::SfxMessageBox(box);
        boxes.push_back(box);
        const std::size_t digit = box.text.find_first_of("0123456789");
        insert(box.text == config->InsertLastDiskText || digit == std::string::npos ? 0
                                                                                     : std::stoi(box.text.substr(digit)));
        return qm::sfxstub::button::Ok;
    }
};

class EveryKind : public qm::test::ProgramHomeTest, public ::testing::WithParamInterface<Kind> {
protected:
    EveryKind() : ProgramHomeTest({"Projects", "Options", "Filelists", "Temp", "out", "restored"})
    {
        for (const char* stub : {"pvksfxbz.bin", "pvksfx32.bin"})
            stdfs::copy_file(qm::test::programDir() / stub, native(stub), stdfs::copy_options::overwrite_existing);
        state_.Form1.WinAceLocation = qm::test::installWinAce(home_.path());
        ui_.setUnscriptedResult(qm::ui::mb::OK);
        ui_.insert = [this](int n) { drive_.insert(n); };
        windows_.restore.onActionLog = [](const std::string& at) { qm::restore::readActionLog(at); };
        windows_.engine.onBackupType = [this](const qm::session::BackupTypeSetup&) {
            std::array<bool, qm::session::ArchiveKindCount> set{};
            set[size_t(k.index)] = true;
            qm::session::backupTypeOkay(state_.Form1, set, deleteOld_);
        };
        windows_.engine.onSplitSize = [this](const std::string& mode) {
            if (mode == "ZIP") {
                state_.ChosenFolder = win("out");
                state_.Form1.ZipSplitSize = "300000";
            } else { // more than the self-extractor's program, which the first part holds
                state_.Form1.AceSplitSize = mode == "ACE" ? aceSplitSize_ : "700000";
            }
            return true;
        };

        makeSource("Home", source_);
        writeRecord();
        view_.rows.push_back({"Home", "", "", "", "", ""});
        view_.selected = {0};
    }
    // The project's record for the kind `k`.
    void writeRecord()
    {
        qm::store::ProjectRecord r = zipProject("Home");
        r[F::ZIPDefaultRestoreFromFolder] = k.onDrive ? "A:\\" : win("out");
        r[F::SFXBackFile] = "Home.exe";
        r[F::SFXDefaultExtractFolder] = win("restored");
        r[F::SFXDoSubFolders] = "yes";
        r[F::SFXPreservePaths] = "yes";
        r[F::ACEBackFile] = "Home.ace";
        r[F::ACEDefaultRestoreFromFolder] = win("out");
        r[F::ACEDoSubFolders] = "yes";
        r[F::ACESFXBackFile] = "Home.exe";
        // The ACE EXE Target Folder is where the program goes; Test and View
        // look for it in the ACE Target Folder: the same folder here.
        r[F::ACESFXDefaultExtractFolder] = win("out");
        r[F::ACESFXDoSubFolders] = "yes";
        r[F::ACESFXFilesToProcess] = "*";
        writeProject("Home", r);
    }
    ~EveryKind() override
    {
        qm::fs::ChDir(qm::fs::fromNative(cwd_));
        qm::test::uninstallWinAce();
    }

    bool zipFormat() const { return k.family == Family::Qmt || k.family == Family::Exe; }
    bool selfExtracting() const { return k.family == Family::Exe || k.family == Family::AceExe; }
    // Where the set lies, and the name the restore dialog's list shows for it.
    std::string setFolder() const { return k.onDrive ? "A:\\" : win("out"); }
    std::string setName() const
    {
        if (k.family == Family::Qmt)
            return k.split || k.index == kind::ZipSpan ? "Home.qmt.zip" : "Home.qmt";
        return k.family == Family::Ace ? "Home.ace" : "Home.exe";
    }

    void changeSource(const Files& files, const std::vector<std::string>& gone = {})
    {
        for (const auto& [name, bytes] : files)
            qm::test::writeFile(native("src-Home/" + name), bytes);
        for (const std::string& name : gone)
            stdfs::remove(native("src-Home/" + name));
    }

    // "Back up Single" with the row's kind; what went wrong, if anything.
    std::string backUp(bool deleteOld = false)
    {
        ui_.clearRecords();
        stdfs::remove(native("autoback.log"));
        deleteOld_ = deleteOld;
        if (k.index == kind::ZipSpan || k.index == kind::ExeSpan || k.index == kind::AceSpan ||
            k.index == kind::AceExeSpan)
            windows_.pickers.folders.push_back(qm::pickers::FolderAnswer::okay("A:\\"));
        drive_.writing();
        backup_.BackupArchive();
        drive_.written();
        const std::vector<std::string> lines = logLines();
        std::string trouble;
        for (const qm::ui::BoxRecord& b : ui_.boxes())
            if (b.title != "Success!")
                trouble += "box " + b.title + ": " + b.prompt + "\n";
        if (lines.empty() || lines.back().find("successfully") == std::string::npos)
            trouble += "log: " + (lines.empty() ? std::string("(none)") : lines.back()) + "\n";
        if (!trouble.empty() && !zipFormat())
            for (const std::string& l : qm::test::actionLog(home_.path()))
                trouble += "WinAce: " + l + "\n";
        return trouble;
    }

    // The Test command; what went wrong, if anything.
    std::string testArchive()
    {
        ui_.clearRecords();
        restore_.TestArchive();
        std::string trouble;
        for (const std::string& p : ui_.titledPrompts())
            if (!zipFormat() || p.rfind("Test complete!: ", 0) != 0 || p.find(" tests okay.") == std::string::npos)
                trouble += "box " + p + "\n";
        if (zipFormat() && ui_.boxes().empty())
            trouble += "no box\n";
        if (!zipFormat()) {
            const std::vector<std::string> log = qm::test::actionLog(home_.path());
            if (std::find(log.begin(), log.end(), "Done.") == log.end())
                for (const std::string& l : log)
                    trouble += "WinAce: " + l + "\n";
        }
        return trouble;
    }

    // The View command: the names of the files listed.
    std::set<std::string> viewArchive()
    {
        ui_.clearRecords();
        windows_.restore.rows.clear();
        restore_.ViewArchive();
        std::set<std::string> names;
        if (zipFormat()) {
            for (const auto& [index, entry] : windows_.restore.rows)
                if (!entry.name.ends_with('\\'))
                    names.insert(entry.name);
        } else {
            for (const std::string& l : qm::test::actionLog(home_.path()))
                if (const std::size_t tab = l.find('\t'); tab != std::string::npos && l[tab - 1] != '\\')
                    names.insert(l.substr(0, tab));
        }
        for (const std::string& p : ui_.titledPrompts())
            names.insert("box " + p);
        return names;
    }

    // The restore dialog on the project's set into the empty folder
    // "restored", then, for a self-extracting set, the program it starts;
    // the files restored.
    Files restoreAll()
    {
        ui_.clearRecords();
        launcher_.starts.clear();
        windows_.restore.onRestore = [this](qm::restore::RestoreRun& run) {
            run.attach(&dialog_);
            const qm::restore::RestoreLoad load = run.Form_Load();
            run.RestoreArchive({load.Label8, "", setFolder(), setName(), win("restored"), 0, load.DateOption});
            run.attach(nullptr);
        };
        if (k.onDrive && selfExtracting())
            drive_.insert(1); // the program is on the first disk, as its user knows
        restore_.RestoreArchive();
        if (!selfExtracting()) {
            EXPECT_EQ(ui_.titledPrompts(), std::vector<std::string>{"Success!: Restore operation successful."});
            return tree(native("restored"));
        }
        const stdfs::path program = qm::fs::toNative(setFolder() + "\\" + setName());
        EXPECT_EQ(launcher_.starts, std::vector<std::vector<std::string>>{{program.string()}});
        EXPECT_TRUE(ui_.boxes().empty()) << ui_.titledPrompts().front();
        return k.onDrive ? runFromDrive(program) : runBeside(program);
    }

    // The program on disk 1, run as it is.
    Files runFromDrive(const stdfs::path& program)
    {
        DriveSfxUi ui;
        ui.insert = [this](int n) { drive_.insert(n); };
        ui.destinations = {win("restored")};
        qm::sfxstub::Methods methods;
        methods.deflate = qm::sfxstub::makeInflateDecoder;
        qm::sfxstub::SfxSession session(ui, program.string(), methods);
        EXPECT_EQ(session.run(), 0) << (ui.boxes.empty() ? std::string() : ui.boxes.back().text);
        return tree(native("restored"));
    }

    // A copy of the program without prompts, with copies of the parts beside
    // it, run headless in the empty folder; the set's files are left out.
    Files runBeside(const stdfs::path& program)
    {
        std::vector<std::string> set;
        for (const auto& e : stdfs::directory_iterator(program.parent_path()))
            if (e.is_regular_file() && e.path().filename().string().starts_with("Home.") && e.path() != program) {
                stdfs::copy_file(e.path(), native("restored") / e.path().filename());
                set.push_back(e.path().filename().string());
            }
        qm::test::copyHeadlessSfx(program, native("restored") / program.filename());
        set.push_back(program.filename().string());
        std::string output;
        EXPECT_EQ(qm::test::runSfx(native("restored") / program.filename(), &output), 0) << output;
        Files files = tree(native("restored"));
        for (const std::string& name : set)
            files.erase(name);
        return files;
    }

    Kind k = GetParam();
    std::string aceSplitSize_ = "700000";
    // With names that differ only in case, each its own file.
    const Files source_{{"a.txt", "alpha"}, {"A.txt", "ALPHA"}, {"sub/b.txt", "beta"}, {"Sub/b.txt", "BETA"},
                        {"gone.txt", "to be deleted"}, {"big.bin", noise(1200000)}};
    OnePathDrive drive_{native("media")};
    DriveUi ui_;
    qm::test::RecordingLauncher launcher_;
    qm::app::ProgramState state_{ui_, &launcher_};
    qm::test::FakeMainWindowView view_;
    qm::test::FakeWindows windows_;
    qm::app::BusySwitch busy_{view_};
    qm::datetime::FixedClock clock_{qm::datetime::DateTime{2026, 3, 7, 14, 5, 9}};
    qm::session::ZipSession session_{state_, busy_, windows_.engine, windows_.restore, clock_};
    qm::engine::Backup backup_{state_, view_, windows_.windows, busy_, session_};
    qm::restore::Restore restore_{state_, view_, windows_.windows, busy_, session_};
    struct : qm::restore::RestoreView {
        void setCaption(const std::string&) override {}
        void showProgressWatch() override {}
        void setProgress(int) override {}
        void setSkipped(const std::string&) override {}
        void unload() override {}
    } dialog_;
    stdfs::path cwd_ = stdfs::current_path();
    bool deleteOld_ = false;
};

// A backup, a change, a plain backup, Test, View and a restore: the files
// as the source holds them, and a deleted file as the kind keeps it.
TEST_P(EveryKind, BackupChangeBackupTestViewRestore)
{
    ASSERT_EQ(backUp(), "");
    changeSource({{"a.txt", "alpha, changed"}, {"new.txt", "added"}}, {"gone.txt"});
    ASSERT_EQ(backUp(), "");

    Files expected = tree(native("src-Home"));
    if (k.keepsDeleted)
        expected["gone.txt"] = source_.at("gone.txt");
    EXPECT_EQ(testArchive(), "");
    EXPECT_EQ(viewArchive(), namesOf(expected));
    const Files restored = restoreAll();
    EXPECT_EQ(namesOf(restored), namesOf(expected));
    EXPECT_TRUE(restored == expected);
    if (!k.onDrive) { // nothing on the drive, whatever drive was chosen
        EXPECT_TRUE(tree(drive_.medium(1)).empty());
    }
}

// "Delete old back-up and rebuild" over an existing archive: the new set
// holds the files alone and tests sound.
TEST_P(EveryKind, RebuildOverAnExistingArchive)
{
    ASSERT_EQ(backUp(), "");
    changeSource({}, {"gone.txt"});
    ASSERT_EQ(backUp(true), "");
    EXPECT_EQ(testArchive(), "");
    EXPECT_EQ(viewArchive(), namesOf(tree(native("src-Home"))));
}

// Every kind in turn in one project whose target folders are one folder,
// the ACE and ACE EXE split kinds taking part names of one stem ("Home.z01",
// ... beside "Home.ace"; "Home.z02", ... beside "Home.exe"); the spanned QMT
// and EXE kinds, which write to the drive alone, aside. After each,
// every set made before under another name still tests sound, and so does
// its own, or the backup was refused, naming the file in its way and the
// archive whose set holds it.
TEST_P(EveryKind, EachKindInTurnLeavesEverySetOfAnotherNameSound)
{
    if (k.index != kind::Zip)
        GTEST_SKIP() << "one pass over every kind";
    auto kindNamed = [](const std::string& name) {
        return *std::find_if(std::begin(Kinds), std::end(Kinds), [&](const Kind& c) { return c.name == name; });
    };
    struct Step {
        const char* kind;
        bool deleteOld;
        const char* inTheWay; // the part of another set that stops it, or none
        const char* owner;
    };
    const Step steps[] = {
        {"QmtSingle", false, nullptr, nullptr},   {"QmtSplit", false, nullptr, nullptr},
        {"ExeSingle", false, nullptr, nullptr},   {"AceSplit", false, nullptr, nullptr},
        {"AceExeSingle", false, nullptr, nullptr}, {"AceExeSingle", true, nullptr, nullptr},
        {"AceExeSpanned", true, nullptr, nullptr}, {"AceExeSplit", false, "Home.z02", "Home.ace"},
        {"AceSingle", false, nullptr, nullptr},   {"AceExeSplit", true, nullptr, nullptr},
        {"AceSplit", true, "Home.z02", "Home.exe"}, {"AceSpanned", false, nullptr, nullptr},
    };
    aceSplitSize_ = "400000"; // "Home.ace" and three parts: the program's set takes the names of two
    std::map<std::string, Kind> made; // set (folder and name) -> the kind that made it last
    for (const Step& step : steps) {
        k = kindNamed(step.kind);
        writeRecord();
        const std::string set = setFolder() + "\\" + setName();
        const std::string trouble = backUp(step.deleteOld);
        if (step.inTheWay) {
            const std::string said = qm::zip::resultTextNaming(qm::zip::result::PartOfAnotherSet,
                                                               win("out") + "\\" + step.inTheWay,
                                                               win("out") + "\\" + step.owner);
            EXPECT_EQ(ui_.titledPrompts(), std::vector<std::string>{"Error!: " + said}) << step.kind;
            EXPECT_EQ(logLines().back(), "<Now>\t" + said) << step.kind;
        } else {
            EXPECT_EQ(trouble, "") << step.kind;
            made[set] = k;
        }
        for (const auto& [other, by] : made) {
            k = by;
            writeRecord();
            EXPECT_EQ(testArchive(), "") << by.name << " after " << step.kind;
        }
    }
    EXPECT_EQ(made.size(), 4u);
}

INSTANTIATE_TEST_SUITE_P(, EveryKind, ::testing::ValuesIn(Kinds),
                         [](const ::testing::TestParamInfo<Kind>& info) { return std::string(info.param.name); });

} // namespace
