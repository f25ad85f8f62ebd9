// Files and folders held open: reading a file at offsets, folders reached
// through their parent without following links, removing a tree, files that
// take their name only when complete, and the DOS code page.
#include "platform/fs/Handles.h"
#include "platform/fs/Text.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace qm::fs;
using qm::test::readFile;
using qm::test::TempDir;
using qm::test::writeFile;
namespace stdfs = std::filesystem;

TEST(InputFile, ReadsRegularFilesAtOffsetsOnly)
{
    TempDir tmp("qm-handles");
    writeFile(tmp.path() / "a.bin", "0123456789");
    InputFile f;
    ASSERT_EQ(f.open(tmp.path() / "a.bin"), 0);
    EXPECT_EQ(f.size(), 10u);
    char buf[8] = {};
    EXPECT_EQ(f.readAt(6, buf, sizeof buf), 4u); // fewer only at the end
    EXPECT_EQ(std::string(buf, 4), "6789");
    EXPECT_EQ(f.readAt(10, buf, sizeof buf), 0u);

    EXPECT_EQ(f.open(tmp.path() / "missing"), ENOENT);
    EXPECT_FALSE(f.isOpen());
    EXPECT_EQ(f.open(tmp.path()), ENOENT); // a folder
    ASSERT_EQ(::mkfifo((tmp.path() / "pipe").c_str(), 0600), 0);
    EXPECT_EQ(f.open(tmp.path() / "pipe"), ENOENT); // refused without waiting for a writer
}

TEST(FolderHandle, ChildrenAreNeverReachedThroughALink)
{
    TempDir tmp("qm-handles");
    const stdfs::path root = tmp.path() / "root", outside = tmp.path() / "outside";
    stdfs::create_directories(root);
    stdfs::create_directories(outside);
    writeFile(outside / "keep.txt", "keep");
    stdfs::create_directory_symlink(outside, root / "link");
    writeFile(root / "file.txt", "x");

    FolderHandle dir;
    ASSERT_EQ(dir.open(root), 0);
    FolderHandle child;
    EXPECT_EQ(dir.openChild("sub", child), ENOENT);
    EXPECT_EQ(dir.makeChild("sub"), 0);
    EXPECT_EQ(dir.makeChild("sub"), EEXIST);
    EXPECT_EQ(dir.openChild("sub", child), 0);
    EXPECT_NE(dir.openChild("link", child), 0);
    EXPECT_TRUE(child.isOpen()); // a failed open leaves what was held

    EXPECT_FALSE(dir.entry("none"));
    EXPECT_EQ(dir.entry("sub")->kind, FolderHandle::Kind::Folder);
    EXPECT_EQ(dir.entry("link")->kind, FolderHandle::Kind::Link);
    EXPECT_EQ(dir.entry("file.txt")->kind, FolderHandle::Kind::File);
    const struct timespec when[2] = {{1'000'000'000, 5}, {1'000'000'000, 5}};
    ASSERT_EQ(::utimensat(AT_FDCWD, (root / "file.txt").c_str(), when, 0), 0);
    EXPECT_EQ(dir.entry("file.txt")->modified,
              std::chrono::system_clock::from_time_t(1'000'000'000) + std::chrono::nanoseconds(5));

    // A tree goes with everything in it; a link inside goes as itself.
    writeFile(root / "sub" / "deep" / "d.txt", "d");
    stdfs::create_directory_symlink(outside, root / "sub" / "deep" / "back");
    dir.removeTree("sub");
    dir.removeTree("link");
    EXPECT_FALSE(stdfs::exists(root / "sub"));
    EXPECT_FALSE(stdfs::is_symlink(root / "link"));
    EXPECT_EQ(readFile(outside / "keep.txt"), "keep");
}

TEST(PendingFile, TakesItsNameOnlyWhenCommitted)
{
    TempDir tmp("qm-handles");
    FolderHandle dir;
    ASSERT_EQ(dir.open(tmp.path()), 0);
    writeFile(tmp.path() / "target", "target");
    stdfs::create_symlink(tmp.path() / "target", tmp.path() / "out.txt");

    PendingFile f;
    ASSERT_TRUE(f.create(dir, "out.txt"));
    EXPECT_EQ(f.tempName()[0], '.');
    EXPECT_EQ(stdfs::status(tmp.path() / f.tempName()).permissions(), stdfs::perms::owner_read | stdfs::perms::owner_write);
    ASSERT_TRUE(f.write("new", 3));
    const auto when = std::chrono::system_clock::from_time_t(1'000'000'000);
    ASSERT_TRUE(f.commit(0640, when));
    // The link is replaced, not written through.
    EXPECT_FALSE(stdfs::is_symlink(tmp.path() / "out.txt"));
    EXPECT_EQ(readFile(tmp.path() / "out.txt"), "new");
    EXPECT_EQ(readFile(tmp.path() / "target"), "target");
    struct stat st {};
    ASSERT_EQ(::stat((tmp.path() / "out.txt").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(st.st_mtime, 1'000'000'000);

    // Not committed: nothing is left, the old file stays.
    {
        PendingFile g;
        ASSERT_TRUE(g.create(dir, "out.txt"));
        ASSERT_TRUE(g.write("lost", 4));
    }
    EXPECT_EQ(readFile(tmp.path() / "out.txt"), "new");
    EXPECT_EQ(std::distance(stdfs::directory_iterator(tmp.path()), stdfs::directory_iterator()), 2);
}

TEST(HostFolders, MadeOnceWithTheirPermissions)
{
    TempDir tmp("qm-handles");
    EXPECT_EQ(makeHostFolder(tmp.path() / "a" / "b"), FolderMade::ParentMissing);
    EXPECT_EQ(makeHostFolder(tmp.path() / "a", 0700), FolderMade::Made);
    EXPECT_EQ(stdfs::status(tmp.path() / "a").permissions(), stdfs::perms::owner_all);
    EXPECT_EQ(makeHostFolder(tmp.path() / "a"), FolderMade::Exists);
    writeFile(tmp.path() / "f", "");
    EXPECT_EQ(makeHostFolder(tmp.path() / "f" / "x"), FolderMade::Failed);

    const mode_t old = ::umask(027);
    EXPECT_EQ(newFileMode(), 0640u);
    ::umask(old);
}

TEST(Text, DosCodePageToUtf8)
{
    EXPECT_EQ(dosToUtf8("plain.txt"), "plain.txt");
    EXPECT_EQ(dosToUtf8("\x84\x94\x81\xE1.txt"), "\xC3\xA4\xC3\xB6\xC3\xBC\xC3\x9F.txt"); // äöüß
}
