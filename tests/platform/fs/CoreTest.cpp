// Error map, atomic whole-file writes and the pure name helpers.
#include "platform/fs/AtomicFile.h"
#include "platform/fs/Errors.h"
#include "platform/fs/NoCase.h"
#include "platform/fs/OwnedTemp.h"
#include "platform/fs/Text.h"
#include "platform/fs/Wildcard.h"
#include "platform/fs/WinPath.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <sys/resource.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace qm::fs;
using qm::test::TempDir;
using qm::test::readFile;
using qm::test::writeFile;
namespace stdfs = std::filesystem;

namespace {


size_t entriesIn(const stdfs::path& dir)
{
    return static_cast<size_t>(std::distance(stdfs::directory_iterator(dir), stdfs::directory_iterator()));
}

} // namespace

TEST(ErrnoMap, ClassicNumbersAndDescriptions)
{
    struct { int err; int number; } cases[] = {
        {ENOENT, 53}, {ENOTDIR, 76}, {ENOSPC, 61}, {EDQUOT, 61}, {EFBIG, 61},
        {EACCES, 70}, {EPERM, 70}, {EROFS, 70}, {ENAMETOOLONG, 52}, {EINVAL, 52},
        {EIO, 75}, {EBUSY, 75}, {EEXIST, 75}, {ENXIO, 68}, {ENODEV, 68}, {ENOMEDIUM, 71},
    };
    for (auto c : cases)
        EXPECT_EQ(rtErrorFromErrno(c.err, "x").number, c.number) << "errno " << c.err;

    EXPECT_EQ(rtErrorFromErrno(ENOENT, "").description, "File not found");
    EXPECT_EQ(rtErrorFromErrno(ENOSPC, "D:\\a.zip").description, "Disk full: D:\\a.zip");
    EXPECT_EQ(rtErrorFromErrno(EACCES, "").description, "Permission denied");
}

TEST(ErrnoMap, MissingFileOrMissingFolder)
{
    TempDir t;
    EXPECT_EQ(rtErrorFromErrno(ENOENT, "f", t / "nofile").number, 53);
    EXPECT_EQ(rtErrorFromErrno(ENOENT, "f", t / "nodir" / "nofile").number, 76);
    writeFile(t / "file", "x");
    EXPECT_EQ(rtErrorFromErrno(ENOENT, "f", t / "file" / "x").number, 76);
}

TEST(AtomicFile, WritesReplacesAndKeepsPermissions)
{
    TempDir t;
    stdfs::path f = t / "User Options";
    writeFileAtomic(f, "one\r\n");
    EXPECT_EQ(readFileBytes(f), "one\r\n");

    ::chmod(f.c_str(), 0640);
    writeFileAtomic(f, std::string("two\0three", 9));
    EXPECT_EQ(readFileBytes(f), std::string("two\0three", 9));
    struct stat st {};
    ASSERT_EQ(::stat(f.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(entriesIn(t.path()), 1u); // no temporary file left behind

    // Written through a symlink: the link stays a link.
    stdfs::create_symlink(f, t / "link");
    writeFileAtomic(t / "link", "four");
    EXPECT_TRUE(stdfs::is_symlink(t / "link"));
    EXPECT_EQ(readFile(f), "four");
}

TEST(AtomicFile, FailedWriteKeepsTheOldFile)
{
    TempDir t;
    stdfs::path f = t / "Projects" / "alpha";
    writeFile(f, "old content");

    // The file-size limit makes the write itself fail half-way, also for root.
    int number = 0;
    {
        qm::test::FileSizeLimit limit(4096);
        number = qm::test::rtErrorNumber([&] { writeFileAtomic(f, std::string(100000, 'n')); });
    }

    EXPECT_EQ(number, 61);
    EXPECT_EQ(readFile(f), "old content");
    EXPECT_EQ(entriesIn(f.parent_path()), 1u);

    // A folder that is really a file, a missing folder, a folder as target.
    writeFile(t / "plain", "p");
    EXPECT_EQ(qm::test::rtErrorNumber([&] { writeFileAtomic(t / "plain" / "x", "y"); }), 76);
    EXPECT_EQ(qm::test::rtErrorNumber([&] { writeFileAtomic(t / "none" / "x", "y"); }), 76);
    EXPECT_EQ(qm::test::rtErrorNumber([&] { writeFileAtomic(t / "Projects", "y"); }), 75);
    EXPECT_TRUE(stdfs::is_directory(t / "Projects"));
    EXPECT_EQ(readFile(t / "plain"), "p");

    // A writer dropped before commit leaves the target as it was.
    {
        AtomicFileWriter w(f);
        w.write("partial");
    }
    EXPECT_EQ(readFile(f), "old content");
    EXPECT_EQ(entriesIn(f.parent_path()), 1u);
}

TEST(AtomicFile, ReadErrorsAndCopy)
{
    TempDir t;
    EXPECT_EQ(qm::test::rtErrorNumber([&] { readFileBytes(t / "missing"); }), 53);
    EXPECT_EQ(qm::test::rtErrorNumber([&] { readFileBytes(t / "nodir" / "missing"); }), 76);
    EXPECT_EQ(qm::test::rtErrorNumber([&] { readFileBytes(t.path()); }), 75);
    // A named pipe nobody writes to is refused at once, never waited on.
    ASSERT_EQ(::mkfifo((t / "pipe").c_str(), 0600), 0);
    EXPECT_EQ(qm::test::rtErrorNumber([&] { readFileBytes(t / "pipe"); }), 75);
    EXPECT_EQ(qm::test::rtErrorNumber([&] { copyFileAtomic(t / "pipe", t / "copy"); }), 75);

    writeFile(t / "src", "payload");
    ::chmod((t / "src").c_str(), 0604);
    struct timespec times[2] = {{1000, 0}, {1234567890, 123456789}};
    ::utimensat(AT_FDCWD, (t / "src").c_str(), times, 0);
    writeFile(t / "dst", "older and longer");
    copyFileAtomic(t / "src", t / "dst");
    struct stat st {};
    ASSERT_EQ(::stat((t / "dst").c_str(), &st), 0);
    EXPECT_EQ(readFile(t / "dst"), "payload");
    EXPECT_EQ(st.st_mode & 0777, 0604u);
    EXPECT_EQ(st.st_mtim.tv_sec, 1234567890);
    EXPECT_EQ(st.st_mtim.tv_nsec, 123456789);
}

TEST(OwnedTemp, LeftoversOfDeadWritersGoLiveOnesStay)
{
    TempDir t;
    std::string held, dead;
    const int live = createOwnedTemp(t.path(), ".alpha.~", held);
    ASSERT_GE(live, 0);
    EXPECT_TRUE(isOwnedTempName(held, ".alpha.~"));
    const int gone = createOwnedTemp(t.path(), ".alpha.~", dead);
    ASSERT_GE(gone, 0);
    ::close(gone); // its writer died: nothing holds it now
    for (const char* other : {".alpha.~0123456789abcdeg.tmp", ".alpha.~0123456789abcde.tmp", ".alpha.~0123456789abcdef.txt",
                              ".beta.~0123456789abcdef.tmp", "alpha"})
        writeFile(t / other, "not ours");

    EXPECT_EQ(removeStaleTemps(t.path(), ".alpha.~"), 1);
    EXPECT_FALSE(stdfs::exists(t / dead));
    EXPECT_TRUE(stdfs::exists(t / held));
    EXPECT_EQ(entriesIn(t.path()), 6u);
    ::close(live);

    // The next atomic write of a file clears what a killed writer of that file left.
    EXPECT_EQ(removeStaleTemps(t.path(), ".beta.~"), 1); // written by hand, held by no one
    writeFileAtomic(t / "alpha", "new");
    EXPECT_FALSE(stdfs::exists(t / held));
    EXPECT_EQ(readFile(t / "alpha"), "new");
    EXPECT_EQ(entriesIn(t.path()), 4u);
}

TEST(NoCase, FoldsLettersBeyondAscii)
{
    EXPECT_TRUE(equalsNoCase("Temp", "tEMP"));
    EXPECT_TRUE(equalsNoCase("ÄRGER.txt", "ärger.TXT"));
    EXPECT_TRUE(equalsNoCase("ŁÓDŹ", "łódź"));
    EXPECT_TRUE(equalsNoCase("ПАПКА", "папка"));
    EXPECT_FALSE(equalsNoCase("a", "ab"));
    EXPECT_TRUE(lessNoCase("apple", "Banana"));
    EXPECT_TRUE(lessNoCase("ABC", "abc")); // ties are broken by bytes
    EXPECT_FALSE(lessNoCase("abc", "ABC"));
    EXPECT_EQ(foldCase(std::string("A\xff" "B")), std::string("a\xff" "b")); // bad bytes kept
    // A bad byte is no Latin-1 letter: it neither folds nor equals one.
    EXPECT_EQ(foldCase("X\xcf"), "x\xcf");
    EXPECT_FALSE(equalsNoCase("\xcf", "\xef"));
    EXPECT_FALSE(equalsNoCase("\xef", "ï"));
    EXPECT_TRUE(equalsNoCase("a\xcf", "A\xcf"));
    EXPECT_FALSE(startsWithNoCase("\xcf" "x", "\xef"));
    EXPECT_FALSE(matchesMask("\xef.txt", "\xcf.*"));
    EXPECT_TRUE(matchesMask("\xcf.TXT", "?.txt"));
}

TEST(Text, FindLastChar)
{
    EXPECT_EQ(FindLastChar("abcde", '\\'), 0);
    EXPECT_EQ(FindLastChar("a\\b\\c", '\\'), 4);
    EXPECT_EQ(FindLastChar("\\", '\\'), 1);
    EXPECT_EQ(FindLastChar("", '\\'), 0);
}

TEST(Wildcard, WindowsMaskRules)
{
    EXPECT_TRUE(matchesMask("README", "*.*"));
    EXPECT_TRUE(matchesMask("a.b.c", "*.*"));
    EXPECT_TRUE(matchesMask(".hidden", "*"));
    EXPECT_TRUE(matchesMask("Report.TXT", "*.txt"));
    EXPECT_FALSE(matchesMask("Report.txt.bak", "*.txt"));
    EXPECT_TRUE(matchesMask("Makefile", "*."));
    EXPECT_FALSE(matchesMask("notes.txt", "*."));
    EXPECT_TRUE(matchesMask("alpha", "alpha.*"));
    EXPECT_TRUE(matchesMask("alpha.zip", "ALPHA.*"));
    EXPECT_TRUE(matchesMask("ab", "a?"));
    EXPECT_FALSE(matchesMask("a", "a?"));
    EXPECT_FALSE(matchesMask("abc", "a?"));
    EXPECT_TRUE(matchesMask("ü1", "Ü?")); // "?" is one character, not one byte
    EXPECT_TRUE(matchesMask("alpha-ZIP", "*-zip"));
    EXPECT_TRUE(matchesMask("aXbXc", "a*b*c"));
    EXPECT_FALSE(matchesMask("aXbXd", "a*b*c"));
}

TEST(WinPath, Parts)
{
    EXPECT_EQ(joinPath("C:\\home", "ann"), "C:\\home\\ann");
    EXPECT_EQ(joinPath("C:\\", "ann"), "C:\\ann");
    EXPECT_EQ(joinPath("C:\\home\\", "\\ann"), "C:\\home\\ann");
    EXPECT_EQ(parentFolder("C:\\a\\b"), "C:\\a");
    EXPECT_EQ(parentFolder("C:\\a\\b\\"), "C:\\a");
    EXPECT_EQ(parentFolder("C:\\a"), "C:\\");
    EXPECT_EQ(parentFolder("C:\\"), "");
    EXPECT_EQ(parentFolder("\\\\SRV\\share\\x"), "\\\\SRV\\share");
    EXPECT_EQ(parentFolder("\\\\SRV\\share"), "");
    EXPECT_EQ(parentFolder("c:/a/b"), "c:/a");
    EXPECT_EQ(fileNamePart("C:\\a\\b.txt"), "b.txt");
    EXPECT_EQ(fileNamePart("C:\\"), "");
    EXPECT_EQ(fileNamePart("D:x.zip"), "x.zip");
    EXPECT_EQ(extensionPart("C:\\a.b\\c.tar.gz"), "gz");
    EXPECT_EQ(extensionPart("C:\\a.b\\c"), "");
    EXPECT_EQ(driveRoot("e:\\Data\\x"), "e:\\");
    EXPECT_EQ(driveRoot("E:"), "E:\\");
    EXPECT_EQ(driveRoot("//SRV/share/x"), "\\\\SRV\\share\\");
    EXPECT_EQ(driveRoot("Desktop"), "");
    EXPECT_EQ(driveLetter("d:\\x"), 'D');
    EXPECT_EQ(driveLetter("My Computer"), '\0');
    EXPECT_TRUE(isDriveRoot("C:"));
    EXPECT_TRUE(isDriveRoot("c:/"));
    EXPECT_FALSE(isDriveRoot("C:\\a"));
    EXPECT_TRUE(isUncPath("\\\\SRV\\share"));
    EXPECT_FALSE(isUncPath("\\a"));
    EXPECT_EQ(withoutTrailingBackslash("C:\\a\\"), "C:\\a");
    EXPECT_EQ(withoutTrailingBackslash("C:"), "C:\\");
    EXPECT_EQ(withTrailingBackslash("C:\\a"), "C:\\a\\");
    EXPECT_EQ(toBackslashes("c:/a/b"), "c:\\a\\b");
}
