// The drive table, mapping Windows-form paths to host paths and back, and
// the program and platform folders.
#include "platform/fs/AtomicFile.h"
#include "platform/fs/Drives.h"
#include "platform/fs/Paths.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>

using namespace qm::fs;
using qm::test::ScopedEnv;
using qm::test::TempDir;
namespace stdfs = std::filesystem;

namespace {

std::string readFileText(const stdfs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Each test writes its own drives file; atomic writes give the file a new
// identity, so the table is re-read.
void setDrives(const std::string& ini)
{
    stdfs::create_directories(platformDir());
    writeFileAtomic(drivesFile(), ini);
}

struct PathsTest : ::testing::Test {
    TempDir t{"qm-paths"};
    stdfs::path usb = t / "media" / "usb0";
    stdfs::path data = t / "data";
    void SetUp() override
    {
        stdfs::create_directories(usb);
        stdfs::create_directories(data / "Backups" / "Temp");
        setDrives("[d:]\r\nPath=" + usb.string() + "\r\nType=removable\r\nLabel=PKBACK# 001\r\n"
                  "Serial=1A2B-3C4D\r\n\r\n[E:]\r\nPath=" + (t / "cdrom").string() + "\r\nType=CDROM\r\n"
                  "[F:]\r\nPath=" + data.string() + "/\r\n[G]\r\nPath=" + data.string() + "\r\nType=ramdisk\r\n"
                  "[H:]\r\nPath=" + data.string() + "\r\nType=floppy\r\n[K:]\r\nType=fixed\r\n"
                  "[C:]\r\nPath=/elsewhere\r\nLabel=SYSTEM\r\n[Settings]\r\nPath=/x\r\n");
    }
    void TearDown() override
    {
        setConnectedDriveSource({});
        setUncResolver({});
        setDrives("");
    }
};

} // namespace

TEST_F(PathsTest, DriveTableFromTheDrivesFile)
{
    std::vector<std::string> roots = driveRoots();
    EXPECT_EQ(roots, (std::vector<std::string>{"C:\\", "D:\\", "E:\\", "F:\\", "G:\\", "H:\\"}));

    std::optional<Drive> c = findDrive('c');
    ASSERT_TRUE(c);
    EXPECT_EQ(c->root, "/"); // C: cannot be moved, only labelled
    EXPECT_EQ(c->label, "SYSTEM");
    std::optional<Drive> d = findDrive('D');
    ASSERT_TRUE(d);
    EXPECT_EQ(d->label, "PKBACK# 001");
    EXPECT_EQ(d->serial, 0x1A2B3C4Du);
    EXPECT_EQ(findDrive('F')->root, data); // no trailing "/"

    EXPECT_EQ(driveType("C:\\"), drivetype::Fixed);
    EXPECT_EQ(driveType("d:"), drivetype::Removable);
    EXPECT_EQ(driveType("E:/"), drivetype::CdRom);
    EXPECT_EQ(driveType("F:\\"), drivetype::Fixed);
    EXPECT_EQ(driveType("G:\\"), drivetype::RamDisk);
    EXPECT_EQ(driveType("H:\\"), drivetype::Unknown);
    EXPECT_EQ(driveType("K:\\"), drivetype::NoRootDir); // a section without a folder
    EXPECT_EQ(driveType("Z:\\"), drivetype::NoRootDir);
    EXPECT_EQ(driveType("My Computer"), drivetype::NoRootDir);
    EXPECT_EQ(driveType("F:\\Backups"), drivetype::NoRootDir);

    EXPECT_TRUE(driveReady(*d));
    EXPECT_FALSE(driveReady(*findDrive('E'))); // no medium
}

TEST_F(PathsTest, ConnectedDrivesAndShares)
{
    setConnectedDriveSource([&] {
        return std::vector<Drive>{{'n', data / "Backups", drivetype::Remote, "", 0},
                                  {'D', data, drivetype::Remote, "", 0}};
    });
    EXPECT_EQ(driveType("N:\\"), drivetype::Remote);
    EXPECT_EQ(driveType("D:\\"), drivetype::Removable); // the drives file keeps its letters
    EXPECT_EQ(toNative("N:\\temp"), data / "Backups" / "Temp");

    EXPECT_EQ(qm::test::rtErrorNumber([] { toNative("\\\\FILESRV\\public\\x"); }), 76);
    setUncResolver([&](const std::string& server, const std::string& share) -> std::optional<stdfs::path> {
        if (server == "FILESRV" && share == "public")
            return data;
        return std::nullopt;
    });
    EXPECT_EQ(toNative("\\\\FILESRV\\public\\backups\\x.zip"), data / "Backups" / "x.zip");
    EXPECT_EQ(driveType("\\\\FILESRV\\public\\"), drivetype::Remote);
    EXPECT_EQ(qm::test::rtErrorNumber([] { toNative("\\\\OTHER\\share"); }), 76);
    EXPECT_EQ(qm::test::rtErrorNumber([] { toNative("\\\\FILESRV"); }), 52);
}

TEST_F(PathsTest, TheTableIsReadAgainWhenItsFileChangesAndOnceWhileHeld)
{
    // A later rewrite in place, of the same size, is noticed as well.
    EXPECT_TRUE(findDrive('D'));
    const std::string before = readFileText(drivesFile());
    std::string moved = before;
    moved.replace(moved.find("[d:]"), 4, "[m:]");
    {
        std::ofstream(drivesFile(), std::ios::binary | std::ios::trunc) << moved;
    }
    struct timespec later[2] = {{::time(nullptr) + 5, 0}, {::time(nullptr) + 5, 0}};
    ::utimensat(AT_FDCWD, drivesFile().c_str(), later, 0);
    EXPECT_FALSE(findDrive('D'));
    EXPECT_TRUE(findDrive('M'));

    int asked = 0;
    setConnectedDriveSource([&] {
        ++asked;
        return std::vector<Drive>{{'N', data, drivetype::Remote, "", 0}};
    });
    {
        const DriveTableHold hold;
        const DriveTableHold nested;
        EXPECT_TRUE(findDrive('N'));
        setDrives(before); // unseen while held
        EXPECT_TRUE(findDrive('M'));
        EXPECT_FALSE(findDrive('D'));
        EXPECT_EQ(driveType("N:\\"), drivetype::Remote);
        EXPECT_EQ(asked, 1);
    }
    asked = 0;
    EXPECT_TRUE(findDrive('D')); // checked again at each lookup
    EXPECT_EQ(asked, 1);
    EXPECT_FALSE(findDrive('M'));
}

TEST_F(PathsTest, ATableThatCannotBeReadIsEmptyAndSaidOnce)
{
    // A folder in its place, then a named pipe (neither is read, even by root).
    testing::internal::CaptureStderr();
    stdfs::remove(drivesFile());
    stdfs::create_directory(drivesFile());
    EXPECT_EQ(driveRoots(), std::vector<std::string>{"C:\\"});
    EXPECT_EQ(toNative("C:\\usr"), "/usr");
    stdfs::remove(drivesFile());
    ASSERT_EQ(::mkfifo(drivesFile().c_str(), 0600), 0);
    EXPECT_EQ(driveType("D:"), drivetype::NoRootDir);
    stdfs::remove(drivesFile());
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(said.rfind("The drive table cannot be read (Path/File access error: " + drivesFile().string() + ")"),
              0u)
        << said;
    setDrives("[D:]\r\nPath=" + usb.string() + "\r\n");
    EXPECT_EQ(findDrive('D')->root, usb);
}

TEST_F(PathsTest, ComponentsMatchWithoutCase)
{
    EXPECT_EQ(toNative("F:\\backups\\temp\\new.txt"), data / "Backups" / "Temp" / "new.txt");
    EXPECT_EQ(toNative("f:/BACKUPS/TEMP"), data / "Backups" / "Temp");
    EXPECT_EQ(toNative("F:"), data);
    EXPECT_EQ(toNative("F:\\Backups\\.\\x\\..\\..\\..\\Backups"), data / "Backups");

    // Several spellings: the exact one wins, else the first in case-free order.
    stdfs::create_directories(data / "abc");
    stdfs::create_directories(data / "ABC");
    stdfs::create_directories(data / "Abc");
    EXPECT_EQ(toNative("F:\\abc"), data / "abc");
    EXPECT_EQ(toNative("F:\\aBC"), data / "ABC");
    // Below a missing folder, names stay as written.
    EXPECT_EQ(toNative("F:\\Missing\\TEMP"), data / "Missing" / "TEMP");
}

TEST_F(PathsTest, BadNamesAndUnavailableDrives)
{
    for (const char* bad : {"", "F:\\a*b", "F:\\a?", "F:\\a|b", "F:\\<x>", "F:\\\"q\"", "F:\\a\tb",
                            "1:\\x", ":\\x", "F:\\a:b", "foo:bar"})
        EXPECT_EQ(qm::test::rtErrorNumber([&] { toNative(bad); }), 52) << bad;
    EXPECT_EQ(qm::test::rtErrorNumber([] { toNative("Q:\\x"); }), 68);
    EXPECT_EQ(qm::test::rtErrorNumber([] { toNative("E:\\setup.exe"); }), 71);
    stdfs::remove(usb);
    EXPECT_EQ(qm::test::rtErrorNumber([] { toNative("D:\\"); }), 71); // removable, not ready
}

TEST_F(PathsTest, RoundTrips)
{
    EXPECT_EQ(fromNative("/"), "C:\\");
    EXPECT_EQ(fromNative("/usr/bin/env"), "C:\\usr\\bin\\env");
    EXPECT_EQ(fromNative(usb), "D:\\");
    EXPECT_EQ(fromNative(usb / "PKBACK" / "a.zip"), "D:\\PKBACK\\a.zip");
    // Roots compare by whole components.
    stdfs::create_directories(t / "media" / "usb01");
    EXPECT_EQ(fromNative(t / "media" / "usb01" / "x").substr(0, 3), "C:\\");
    // Of F: and G: on the same folder the first letter wins.
    EXPECT_EQ(fromNative(data / "Backups"), "F:\\Backups");

    for (std::string win : {"C:\\", "D:\\PKBACK\\a.zip", "F:\\Backups\\Temp", "C:\\usr\\lib"})
        EXPECT_EQ(fromNative(toNative(win)), win);
    for (const stdfs::path& native : {stdfs::path("/"), usb / "x", data / "Backups" / "Temp", t / "media"})
        EXPECT_EQ(toNative(fromNative(native)), native);
}

TEST(Folders, AppPathAndPlatformDir)
{
    {
        ScopedEnv home("QUILLMATE_HOME", "/opt/quillmate/");
        EXPECT_EQ(appPath(), "C:\\opt\\quillmate");
    }
    {
        ScopedEnv home("QUILLMATE_HOME", "c:/Program Files/Quillmate\\");
        EXPECT_EQ(appPath(), "C:\\Program Files\\Quillmate");
    }
    {
        ScopedEnv home("QUILLMATE_HOME", std::nullopt);
        stdfs::path exe = stdfs::read_symlink("/proc/self/exe");
        EXPECT_EQ(toNative(appPath()), exe.parent_path());
        EXPECT_NE(appPath().back(), '\\');
    }
    {
        ScopedEnv p("QUILLMATE_PLATFORM_DIR", std::nullopt);
        ScopedEnv x("XDG_CONFIG_HOME", "/tmp/cfg");
        EXPECT_EQ(platformDir(), "/tmp/cfg/quillmate");
        ScopedEnv x2("XDG_CONFIG_HOME", std::nullopt);
        ScopedEnv h("HOME", "/home/ann");
        EXPECT_EQ(platformDir(), "/home/ann/.config/quillmate");
    }
}
