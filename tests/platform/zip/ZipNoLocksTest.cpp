// A file system without locks (flock fails, as on an NFS mount without its
// lock manager), stood for by a flock that fails in this program while
// `noLocks` is set. No keeper of a copy can be told there: a command that
// only reads never takes a copy for a killed run's, and a build does, as
// nothing else would ever settle it.
#include "ZipTestUtil.h"

#include "platform/zip/LeftAside.h"

#include <cerrno>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

bool noLocks = false;

} // namespace

extern "C" int flock(int fd, int operation) noexcept
{
    if (noLocks) {
        errno = ENOLCK;
        return -1;
    }
    return int(::syscall(SYS_flock, fd, operation));
}

namespace qm::zip::test {
namespace {

namespace stdfs = std::filesystem;
using qm::test::TempDir;

TEST(ZipNoLocks, OnlyABuildTakesTheCopiesOfASetForAKilledRunsAndSettlesThem)
{
    TempDir tmp{"qm-zip-nolocks"};
    const stdfs::path src = tmp.path() / "src";
    const stdfs::path sets = tmp.path() / "sets";
    makeFiles(src, {{"a.txt", textBytes(90000)}, {"b.bin", randomBytes(100000)}});
    stdfs::create_directories(sets);
    const stdfs::path last = sets / "backup.zip";
    PavikZip zip;
    zip.ArchivePath = win(last);
    zip.SourceFolder = win(src);
    zip.SplitPartSize = 65536;
    ASSERT_EQ(zip.Build(), result::Ok);
    std::vector<std::string> set;
    for (const auto& e : stdfs::directory_iterator(sets))
        set.push_back(e.path().filename().string());
    ASSERT_GT(set.size(), 1u);

    noLocks = true;
    // A run that has set the whole set aside, live or killed: it cannot be told.
    for (const std::string& n : set)
        stdfs::rename(sets / n, sets / asideName(last.filename().string(), n));
    {
        PavikZip reading;
        reading.ArchivePath = win(last);
        EXPECT_EQ(reading.ListEntries(), result::ArchiveNotFound);
        EXPECT_EQ(reading.Test(), result::ArchiveNotFound);
        settleLeftAside(win(last));
    }
    for (const std::string& n : set)
        EXPECT_TRUE(stdfs::exists(sets / asideName(last.filename().string(), n))) << n;

    // A build settles them first: the old set comes back, and is updated.
    makeFiles(src, {{"c.txt", "added"}});
    EXPECT_EQ(zip.Build(), result::Ok);
    noLocks = false;
    EXPECT_EQ(zip.Test(), result::Ok);
    for (const auto& e : stdfs::directory_iterator(sets))
        EXPECT_NE(e.path().filename().string()[0], '.') << e.path();
}

} // namespace
} // namespace qm::zip::test
