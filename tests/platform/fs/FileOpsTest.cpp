// Attributes, listings, times and file operations by Windows-form path,
// advisory locks, appending, and a file kept aside while its place is rebuilt.
#include "platform/fs/AppendFile.h"
#include "platform/fs/AtomicFile.h"
#include "platform/fs/CurrentFolder.h"
#include "platform/fs/Drives.h"
#include "platform/fs/FileLock.h"
#include "platform/fs/FileOps.h"
#include "platform/fs/Paths.h"
#include "platform/fs/SetAside.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace qm::fs;
using qm::test::TempDir;
using qm::test::readFile;
using qm::test::writeFile;
namespace stdfs = std::filesystem;

namespace {


// The test folder is drive T:, so paths read as the programs write them.
struct FileOpsTest : ::testing::Test {
    TempDir t{"qm-fileops"};
    void SetUp() override
    {
        stdfs::create_directories(platformDir());
        writeFileAtomic(drivesFile(), "[T:]\r\nPath=" + t.str() + "\r\nLabel=WORK\r\n");
    }
    void TearDown() override { writeFileAtomic(drivesFile(), ""); }
};

std::vector<std::string> names(const std::vector<FileEntry>& entries)
{
    std::vector<std::string> out;
    for (const FileEntry& e : entries)
        out.push_back(e.name);
    return out;
}

} // namespace

TEST_F(FileOpsTest, Attributes)
{
    writeFile(t / "doc.txt", "12345");
    writeFile(t / ".profile", "");
    stdfs::create_directories(t / "Folder");
    stdfs::create_symlink(t / "doc.txt", t / "link");
    stdfs::create_symlink(t / "Folder", t / "dirlink");

    EXPECT_EQ(getAttributes("T:\\doc.txt"), attr::Archive);
    EXPECT_EQ(getAttributes("T:\\.profile"), attr::Archive | attr::Hidden);
    EXPECT_EQ(getAttributes("t:\\folder"), attr::Directory);
    EXPECT_EQ(getAttributes("T:\\link"), attr::Archive | attr::Alias);
    EXPECT_EQ(getAttributes("T:\\dirlink"), attr::Directory | attr::Alias);
    EXPECT_EQ(getAttributes("T:\\"), attr::Directory);
    EXPECT_EQ(fileSize("T:\\link"), 5u);

    setAttributes("T:\\doc.txt", attr::ReadOnly | attr::Archive);
    EXPECT_EQ(getAttributes("T:\\doc.txt"), attr::ReadOnly | attr::Archive);
    EXPECT_EQ(stdfs::status(t / "doc.txt").permissions() & stdfs::perms::all & ~stdfs::perms::owner_read
                  & ~stdfs::perms::group_read & ~stdfs::perms::others_read, stdfs::perms::none);
    EXPECT_EQ(qm::test::rtErrorNumber([] { deleteFile("T:\\doc.txt"); }), 75); // read-only is protected
    setAttributes("T:\\doc.txt", attr::Normal);
    EXPECT_EQ(getAttributes("T:\\doc.txt"), attr::Archive);

    EXPECT_EQ(qm::test::rtErrorNumber([] { getAttributes("T:\\nothing"); }), 53);
    EXPECT_EQ(qm::test::rtErrorNumber([] { getAttributes("T:\\no\\nothing"); }), 76);
    EXPECT_TRUE(exists("T:\\DOC.TXT"));
    EXPECT_TRUE(isFolder("T:\\FOLDER\\"));
    EXPECT_FALSE(isFolder("T:\\doc.txt"));
    EXPECT_FALSE(exists("Q:\\doc.txt"));
    EXPECT_FALSE(exists("T:\\d*c.txt"));
}

TEST_F(FileOpsTest, ListingOrderMasksAndDirSearch)
{
    for (const char* n : {"beta.zip", "Alpha.ZIP", "alpha-ZIP", "_first", "Gamma", ".hidden", "Zeta.txt"})
        writeFile(t / "Backups" / n, "x");
    stdfs::create_directories(t / "Backups" / "Sub");
    stdfs::create_directories(t / "Backups" / ".cache");

    EXPECT_EQ(names(listFolder("T:\\backups")),
              (std::vector<std::string>{".cache", ".hidden", "_first", "alpha-ZIP", "Alpha.ZIP", "beta.zip",
                                        "Gamma", "Sub", "Zeta.txt"}));
    EXPECT_EQ(names(listFolder("T:\\Backups", "*.zip")), (std::vector<std::string>{"Alpha.ZIP", "beta.zip"}));
    EXPECT_EQ(names(listFolder("T:\\Backups", "*.")),
              (std::vector<std::string>{"_first", "alpha-ZIP", "Gamma", "Sub"}));
    EXPECT_EQ(qm::test::rtErrorNumber([] { listFolder("T:\\missing"); }), 76);
    EXPECT_EQ(qm::test::rtErrorNumber([] { listFolder("T:\\Backups\\Gamma"); }), 76);

    EXPECT_EQ(dirNames("T:\\Backups\\*.*"),
              (std::vector<std::string>{"_first", "alpha-ZIP", "Alpha.ZIP", "beta.zip", "Gamma", "Zeta.txt"}));
    EXPECT_EQ(dirNames("T:\\Backups\\*.*", attr::Directory),
              (std::vector<std::string>{".", "..", "_first", "alpha-ZIP", "Alpha.ZIP", "beta.zip", "Gamma", "Sub",
                                        "Zeta.txt"}));
    EXPECT_EQ(dirNames("T:\\Backups\\", attr::Directory | attr::Hidden).size(), 11u);
    EXPECT_EQ(dirNames("T:\\BACKUPS\\gamma"), (std::vector<std::string>{"Gamma"}));
    EXPECT_EQ(dirNames("T:\\*.*", attr::Directory), (std::vector<std::string>{"Backups"})); // no dots at a root
    EXPECT_TRUE(dirNames("T:\\Nowhere\\*.*").empty());
    EXPECT_EQ(dirNames("T:\\", attr::Volume), (std::vector<std::string>{"WORK"}));
    EXPECT_EQ(qm::test::rtErrorNumber([] { dirNames("Q:\\*.*"); }), 68);
}

TEST_F(FileOpsTest, TimesAndSizes)
{
    writeFile(t / "a.bin", std::string(70000, 'a'));
    EXPECT_EQ(fileSize("T:\\A.BIN"), 70000u);
    FileTime when = FileTime(std::chrono::seconds(1700000000) + std::chrono::nanoseconds(123456789));
    setModifiedTime("T:\\a.bin", when);
    EXPECT_EQ(modifiedTime("T:\\a.bin"), when);
    FileTime old = FileTime(std::chrono::seconds(-86400)); // before 1970
    setModifiedTime("T:\\a.bin", old);
    EXPECT_EQ(modifiedTime("T:\\a.bin"), old);
    FileEntry e = fileInfo("T:\\a.bin");
    EXPECT_EQ(e.name, "a.bin");
    EXPECT_GT(e.created.time_since_epoch().count(), old.time_since_epoch().count());
    EXPECT_EQ(qm::test::rtErrorNumber([] { setModifiedTime("T:\\none", FileTime{}); }), 53);

    DiskSpace space = diskSpace("T:\\not\\yet\\made");
    EXPECT_GT(space.total, 0u);
    EXPECT_LE(space.available, space.total);
}

TEST_F(FileOpsTest, FolderAndFileOperations)
{
    makeFolder("T:\\Projects");
    EXPECT_EQ(qm::test::rtErrorNumber([] { makeFolder("T:\\projects"); }), 75);
    EXPECT_EQ(qm::test::rtErrorNumber([] { makeFolder("T:\\a\\b"); }), 76);
    makeFolders("T:\\PROJECTS\\Temp\\deep");
    EXPECT_TRUE(stdfs::is_directory(t / "Projects" / "Temp" / "deep"));
    makeFolders("T:\\Projects\\Temp");

    writeFile(t / "Projects" / "alpha", "A");
    writeFile(t / "Projects" / "beta", "B");
    EXPECT_EQ(qm::test::rtErrorNumber([] { renameFile("T:\\Projects\\alpha", "T:\\Projects\\BETA"); }), 58);
    renameFile("T:\\Projects\\alpha", "T:\\Projects\\Alpha"); // a change of case only
    EXPECT_TRUE(stdfs::exists(t / "Projects" / "Alpha"));
    EXPECT_FALSE(stdfs::exists(t / "Projects" / "alpha"));
    renameFile("T:\\projects\\ALPHA", "T:\\Projects\\Temp\\gamma");
    EXPECT_EQ(readFile(t / "Projects" / "Temp" / "gamma"), "A");
    EXPECT_EQ(qm::test::rtErrorNumber([] { renameFile("T:\\Projects\\none", "T:\\Projects\\x"); }), 53);
    EXPECT_EQ(qm::test::rtErrorNumber([] { renameFile("T:\\Projects\\beta", "T:\\none\\x"); }), 76);

    copyFile("T:\\Projects\\beta", "T:\\Projects\\Temp\\GAMMA"); // replaces the existing "gamma"
    EXPECT_EQ(readFile(t / "Projects" / "Temp" / "gamma"), "B");
    EXPECT_EQ(qm::test::rtErrorNumber([] { copyFile("T:\\Projects\\beta", "T:\\Projects\\Temp"); }), 75);
    EXPECT_EQ(qm::test::rtErrorNumber([] { copyFile("T:\\Projects\\none", "T:\\Projects\\x"); }), 53);
    // Onto itself, by its own name or through a link: refused, the file unchanged.
    stdfs::create_symlink(t / "Projects" / "beta", t / "Projects" / "Temp" / "beta-link");
    for (const char* same : {"T:\\Projects\\BETA", "T:\\Projects\\Temp\\beta-link"})
        EXPECT_EQ(qm::test::rtErrorNumber([&] { copyFile("T:\\Projects\\beta", same); }), 75) << same;
    EXPECT_EQ(readFile(t / "Projects" / "beta"), "B");
    EXPECT_TRUE(stdfs::is_symlink(t / "Projects" / "Temp" / "beta-link"));

    EXPECT_EQ(qm::test::rtErrorNumber([] { removeFolder("T:\\Projects\\Temp"); }), 75);
    EXPECT_EQ(qm::test::rtErrorNumber([] { removeFolder("T:\\Projects\\gone"); }), 76);

    writeFile(t / "Temp" / "a.tmp", "");
    writeFile(t / "Temp" / "B.TMP", "");
    writeFile(t / "Temp" / ".c.tmp", "");
    writeFile(t / "Temp" / "keep.txt", "");
    deleteFile("T:\\Temp\\*.tmp");
    EXPECT_EQ(names(listFolder("T:\\Temp")), (std::vector<std::string>{".c.tmp", "keep.txt"}));
    EXPECT_EQ(qm::test::rtErrorNumber([] { deleteFile("T:\\Temp\\*.tmp"); }), 53);
    EXPECT_EQ(qm::test::rtErrorNumber([] { deleteFile("T:\\Temp\\none.txt"); }), 53);
    EXPECT_EQ(qm::test::rtErrorNumber([] { deleteFile("T:\\Projects"); }), 75);
    deleteFile("T:\\temp\\KEEP.TXT");
    EXPECT_FALSE(stdfs::exists(t / "Temp" / "keep.txt"));
}

TEST(FileLockTest, ExclusiveSharedAndRelease)
{
    TempDir t;
    stdfs::path f = t / "Nightwick.lock";
    EXPECT_FALSE(isFileLocked(f)); // missing file: nothing to hold
    EXPECT_THROW(FileLock::tryAcquire(f), qm::RtError);

    FileLock first = FileLock::tryAcquire(f, FileLock::Mode::Exclusive, true);
    ASSERT_TRUE(first);
    EXPECT_TRUE(isFileLocked(f));
    EXPECT_FALSE(FileLock::tryAcquire(f));
    EXPECT_FALSE(FileLock::tryAcquire(f, FileLock::Mode::Shared));

    FileLock moved = std::move(first);
    EXPECT_FALSE(first.locked());
    EXPECT_TRUE(isFileLocked(f));
    moved.release();
    EXPECT_FALSE(isFileLocked(f));

    FileLock a = FileLock::tryAcquire(f, FileLock::Mode::Shared);
    FileLock b = FileLock::tryAcquire(f, FileLock::Mode::Shared);
    EXPECT_TRUE(a && b);
    EXPECT_TRUE(isFileLocked(f));

    ::chmod(f.c_str(), 0444); // a read-only file can still be locked
    {
        FileLock c;
        a.release();
        b.release();
        c = FileLock::acquire(f);
        EXPECT_TRUE(c);
    }
    EXPECT_FALSE(isFileLocked(f));
}

TEST(FileLockTest, TimesAreSetOnlyOnAWritableUnlockedFile)
{
    TempDir t;
    const stdfs::path f = t / "a.qmt";
    writeFile(f, "zip");
    const auto accessed = std::chrono::system_clock::from_time_t(1'600'000'000);
    const auto modified = std::chrono::system_clock::from_time_t(1'700'000'000);
    {
        FileLock held = FileLock::tryAcquire(f);
        EXPECT_FALSE(setTimesUnlessLocked(f, accessed, modified));
    }
    ASSERT_TRUE(setTimesUnlessLocked(f, accessed, modified));
    std::optional<FileEntry> e = nativeInfo(f);
    ASSERT_TRUE(e);
    EXPECT_EQ(e->modified, modified);
    EXPECT_EQ(e->accessed, accessed);
    EXPECT_EQ(readFile(f), "zip");

    ::chmod(f.c_str(), 0444); // read-only, whoever runs the test
    EXPECT_FALSE(setTimesUnlessLocked(f, accessed, accessed));
    EXPECT_EQ(nativeInfo(f)->modified, modified);
    EXPECT_FALSE(setTimesUnlessLocked(t.path(), accessed, modified));
    EXPECT_FALSE(setTimesUnlessLocked(t / "missing", accessed, modified));
}

TEST(AppendFileTest, AppendsAndNeverThrows)
{
    TempDir t;
    const stdfs::path log = t / "autoback.log";
    writeFile(log, "old\r\n");
    AppendFile a;
    EXPECT_FALSE(a.write("lost"));
    ASSERT_TRUE(a.open(log));
    AppendFile b;
    ASSERT_TRUE(b.open(log));
    EXPECT_TRUE(a.write("one\r\n"));
    EXPECT_TRUE(b.write("two\r\n")); // a second writer appends after the first, never over it
    a.close();
    EXPECT_FALSE(a.write("lost"));
    EXPECT_EQ(readFile(log), "old\r\none\r\ntwo\r\n");
    EXPECT_FALSE(AppendFile().open(t / "no such folder" / "x.log"));
}

TEST(SetAsideTest, TheOldFileIsDroppedAfterSuccessAndBackAfterAFailure)
{
    TempDir t;
    const stdfs::path target = t / "p.qmt";
    writeFile(target, "previous");
    {
        SetAside aside(target);
        ASSERT_TRUE(aside.holds());
        EXPECT_FALSE(stdfs::exists(target));
        EXPECT_EQ(readFile(SetAside::asideName(target)), "previous");
        writeFile(target, "half a new one");
        aside.settle(false);
        EXPECT_FALSE(aside.holds());
    }
    EXPECT_EQ(readFile(target), "previous");
    EXPECT_FALSE(stdfs::exists(SetAside::asideName(target)));

    {
        SetAside aside(target);
        writeFile(target, "new");
        aside.settle(true);
    }
    EXPECT_EQ(readFile(target), "new");
    EXPECT_FALSE(stdfs::exists(SetAside::asideName(target)));

    {
        SetAside forgotten(target); // never settled: the old file comes back
        writeFile(target, "partial");
    }
    EXPECT_EQ(readFile(target), "new");

    // While it waits its keeper holds it: a later run can tell it from a
    // copy a killed run left.
    {
        SetAside aside(target);
        EXPECT_TRUE(SetAside::inUse(SetAside::asideName(target)));
    }
    EXPECT_FALSE(SetAside::inUse(target));

    // A copy a killed run left aside, not settled: nothing is set aside over
    // it, and neither file moves.
    writeFile(SetAside::asideName(target), "last good");
    writeFile(target, "unfinished");
    EXPECT_FALSE(SetAside::inUse(SetAside::asideName(target)));
    EXPECT_FALSE(SetAside(target).holds());
    EXPECT_EQ(readFile(SetAside::asideName(target)), "last good");
    EXPECT_EQ(readFile(target), "unfinished");

    // A free place held by a mark: what takes it goes again on a failure,
    // also when a later run settles the mark a killed one left.
    stdfs::remove(SetAside::asideName(target));
    stdfs::remove(target);
    {
        SetAside mark(target, {}, true);
        ASSERT_TRUE(mark.holds());
        writeFile(target, "half a new one");
    }
    EXPECT_FALSE(stdfs::exists(target));
    writeFile(SetAside::asideName(target), "");
    writeFile(target, "half a new one");
    SetAside::settleLeft(target, SetAside::asideName(target), false);
    EXPECT_FALSE(stdfs::exists(target));
    EXPECT_FALSE(stdfs::exists(SetAside::asideName(target)));

    // Nothing there, or a folder: nothing is held, nothing is moved.
    EXPECT_FALSE(SetAside(t / "missing.qmt").holds());
    stdfs::create_directories(t / "folder.qmt");
    EXPECT_FALSE(SetAside(t / "folder.qmt").holds());
    EXPECT_TRUE(stdfs::is_directory(t / "folder.qmt"));
}

// One place held by one keeper at a time: a second one holds nothing and
// says the place is taken, whatever the first holds it as (its old file
// aside, the mark of a free place, or the mark of the name alone beside the
// file); a keeper for another run's build is told from one that holds its
// place alone; a settling run claims only a copy that no run keeps.
TEST(SetAsideTest, APlaceIsHeldByOneKeeperAtATime)
{
    TempDir t;
    const stdfs::path target = t / "p.qmt";
    const stdfs::path aside = SetAside::asideName(target);
    using Hold = SetAside::Hold;
    writeFile(target, "previous");
    for (const Hold hold : {Hold::Alone, Hold::NameOnly, Hold::Cover}) {
        SetAside first(target, aside, {}, true, hold);
        ASSERT_TRUE(first.holds()) << int(hold);
        EXPECT_EQ(stdfs::exists(target), hold == Hold::NameOnly);
        for (const Hold again : {Hold::Alone, Hold::NameOnly}) {
            SetAside second(target, aside, {}, true, again);
            EXPECT_FALSE(second.holds());
            EXPECT_TRUE(second.taken());
            EXPECT_EQ(second.error(), 0);
        }
        EXPECT_EQ(SetAside::keeperOf(aside), hold == Hold::Cover ? SetAside::Keeper::Covering : SetAside::Keeper::Live);
        EXPECT_FALSE(SetAside::Claim(aside, true).claimed());
        first.settle(false);
        EXPECT_EQ(readFile(target), "previous") << int(hold);
        EXPECT_FALSE(stdfs::exists(aside));
    }
    {
        // A name alone held over a file: either settling drops the mark alone.
        SetAside name(target, aside, {}, true, Hold::NameOnly);
        writeFile(target, "new");
        name.settle(false);
    }
    EXPECT_EQ(readFile(target), "new");
    EXPECT_FALSE(stdfs::exists(aside));
    stdfs::remove(target);
    {
        SetAside mark(target, aside, {}, true);
        ASSERT_TRUE(mark.holds());
        EXPECT_TRUE(mark.marksFreePlace());
        EXPECT_TRUE(SetAside(target, aside, {}, true).taken());
        mark.release(); // as a killed run leaves it
    }
    EXPECT_TRUE(SetAside::Claim(aside, false).claimed());
}

TEST_F(FileOpsTest, EachDriveKeepsItsCurrentFolder)
{
    stdfs::create_directories(t / "Projects" / "Sub");
    const stdfs::path before = stdfs::current_path();
    ChDrive("C");
    ChDir("C:\\");
    ChDir("T:\\Projects"); // another drive: the process stays where it is
    EXPECT_EQ(stdfs::current_path(), "/");
    EXPECT_EQ(CurDir("t"), "T:\\Projects");
    ChDrive("t:");
    EXPECT_EQ(stdfs::current_path(), t / "Projects");
    ChDir("Sub");  // from the drive's current folder
    EXPECT_EQ(stdfs::current_path(), t / "Projects" / "Sub");
    ChDir("\\");  // the drive's root
    EXPECT_EQ(CurDir(), "T:\\");
    EXPECT_EQ(qm::test::rtErrorNumber([] { ChDir("T:\\none"); }), 76);
    EXPECT_EQ(qm::test::rtErrorNumber([] { ChDrive("Q"); }), 68);
    EXPECT_EQ(qm::test::rtErrorNumber([] { ChDrive("\\\\srv"); }), 5);
    EXPECT_EQ(CurDir(), "T:\\"); // failures change nothing
    ChDrive("C");
    stdfs::current_path(before);
}

// While a disk is asked for, the process works in no folder of the current
// drive; after, it is back in that drive's current folder, a subfolder too,
// or at the root when that folder is not on the medium then in.
TEST_F(FileOpsTest, AwayFromADriveAndBackToItsCurrentFolder)
{
    stdfs::create_directories(t / "Projects" / "Sub");
    const stdfs::path before = stdfs::current_path();
    ChDrive("T");
    ChDir("T:\\Projects\\Sub");
    {
        const AwayFromDrive away('t');
        EXPECT_EQ(stdfs::current_path(), "/");
        EXPECT_EQ(CurDir(), "T:\\Projects\\Sub"); // the drive keeps its folder
    }
    EXPECT_EQ(stdfs::current_path(), t / "Projects" / "Sub");
    EXPECT_EQ(CurDir(), "T:\\Projects\\Sub");

    // Another drive than the current one: the process stays where it is.
    {
        const AwayFromDrive away('C');
        EXPECT_EQ(stdfs::current_path(), t / "Projects" / "Sub");
    }

    // Another medium, without that folder, in when it comes back.
    {
        const AwayFromDrive away('T');
        stdfs::remove_all(t / "Projects");
    }
    EXPECT_EQ(stdfs::current_path(), t.path());
    EXPECT_EQ(CurDir(), "T:\\");
    ChDrive("C");
    stdfs::current_path(before);
}
