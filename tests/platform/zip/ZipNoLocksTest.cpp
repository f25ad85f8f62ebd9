// File systems whose locks are not a local one's, stood for by a flock of
// this program's own:
// - while `noLocks` is set, flock fails, as on an NFS mount without its lock
//   manager. No keeper of a copy can be told there: a command that only
//   reads never takes a copy for a killed run's, and a build does, as
//   nothing else would ever settle it;
// - while `rangeLocks` is set, flock on a file is granted as NFS grants it
//   through byte-range locks: an exclusive lock only through a descriptor
//   open for writing, a shared one only through one open for reading
//   (EBADF otherwise). Keepers are told there as on a local disk.
#include "ZipTestUtil.h"

#include "platform/fs/FileLock.h"
#include "platform/zip/LeftAside.h"

#include <cerrno>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

bool noLocks = false;
bool rangeLocks = false;

} // namespace

extern "C" int flock(int fd, int operation) noexcept
{
    if (noLocks) {
        errno = ENOLCK;
        return -1;
    }
    struct stat st {};
    if (rangeLocks && ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        const int access = ::fcntl(fd, F_GETFL) & O_ACCMODE;
        if (((operation & LOCK_EX) && access == O_RDONLY) || ((operation & LOCK_SH) && access == O_WRONLY)) {
            errno = EBADF;
            return -1;
        }
    }
    return int(::syscall(SYS_flock, fd, operation));
}

namespace qm::zip::test {
namespace {

namespace stdfs = std::filesystem;
using qm::fs::SetAside;
using qm::test::TempDir;

// Builds the split set `tmp`/sets/backup.zip of `tmp`/src; gives the names of its files.
std::vector<std::string> buildSplitSet(const TempDir& tmp, PavikZip& zip)
{
    makeFiles(tmp / "src", {{"a.txt", textBytes(90000)}, {"b.bin", randomBytes(100000)}});
    stdfs::create_directories(tmp / "sets");
    zip.ArchivePath = win(tmp / "sets" / "backup.zip");
    zip.SourceFolder = win(tmp / "src");
    zip.SplitPartSize = 65536;
    EXPECT_EQ(zip.Build(), result::Ok);
    std::vector<std::string> set;
    for (const auto& e : stdfs::directory_iterator(tmp / "sets"))
        set.push_back(e.path().filename().string());
    EXPECT_GT(set.size(), 1u);
    return set;
}

// Gives what `look` gives (0 to 254) when run by an account that may read the
// file `native` but not write it: in a process of its own, as nobody when
// this one is root, whom no mode keeps from writing.
int withoutWriteAccess(const stdfs::path& native, const std::function<int()>& look)
{
    stdfs::permissions(native, stdfs::perms::owner_read | stdfs::perms::group_read | stdfs::perms::others_read);
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(255);
        ::_exit(look());
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(ZipNoLocks, OnlyABuildTakesTheCopiesOfASetForAKilledRunsAndSettlesThem)
{
    TempDir tmp{"qm-zip-nolocks"};
    const stdfs::path sets = tmp.path() / "sets";
    const stdfs::path last = sets / "backup.zip";
    PavikZip zip;
    const std::vector<std::string> set = buildSplitSet(tmp, zip);

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
    makeFiles(tmp / "src", {{"c.txt", "added"}});
    EXPECT_EQ(zip.Build(), result::Ok);
    noLocks = false;
    EXPECT_EQ(zip.Test(), result::Ok);
    for (const auto& e : stdfs::directory_iterator(sets))
        EXPECT_NE(e.path().filename().string()[0], '.') << e.path();
}

TEST(ZipRangeLocks, ALiveRunsCopiesAreLeftAloneAndAKilledRunsSettled)
{
    TempDir tmp{"qm-zip-rangelocks"};
    const stdfs::path sets = tmp.path() / "sets";
    const stdfs::path last = sets / "backup.zip";
    PavikZip zip;
    const std::vector<std::string> set = buildSplitSet(tmp, zip);
    const std::map<std::string, std::string> before = filesBelow(sets);
    auto modified = [](const stdfs::path& p) {
        std::error_code ec;
        return stdfs::last_write_time(p, ec);
    };

    rangeLocks = true;
    std::vector<std::unique_ptr<SetAside>> keepers;
    std::vector<stdfs::file_time_type> times;
    for (const std::string& n : set) {
        times.push_back(modified(sets / n));
        keepers.push_back(std::make_unique<SetAside>(sets / n, sets / asideName("backup.zip", n), nullptr, false));
        ASSERT_TRUE(keepers.back()->holds()) << n;
    }
    for (const std::string& n : set)
        EXPECT_EQ(SetAside::keeperOf(sets / asideName("backup.zip", n)), SetAside::Keeper::Live) << n;
    settleLeftAside(win(last), Settler::Reading);
    settleLeftAside(win(last), Settler::Writing);
    for (size_t i = 0; i < set.size(); ++i) {
        const stdfs::path copy = sets / asideName("backup.zip", set[i]);
        EXPECT_TRUE(qm::test::readFile(copy) == before.at(set[i])) << copy;
        EXPECT_EQ(modified(copy), times[i]) << copy; // kept and told, never written
        EXPECT_FALSE(stdfs::exists(sets / set[i]));
    }

    // Killed: what only reads puts the set back.
    for (auto& k : keepers)
        k->release();
    for (const std::string& n : set)
        EXPECT_EQ(SetAside::keeperOf(sets / asideName("backup.zip", n)), SetAside::Keeper::Nobody) << n;
    settleLeftAside(win(last), Settler::Reading);
    EXPECT_TRUE(filesBelow(sets) == before);
    EXPECT_EQ(zip.Test(), result::Ok);
    rangeLocks = false;
}

TEST(ZipRangeLocks, ACopyThatCannotBeWrittenHereIsStillTold)
{
    TempDir tmp{"qm-zip-rangelocks"};
    stdfs::permissions(tmp.path(), stdfs::perms::group_exec | stdfs::perms::others_exec, stdfs::perm_options::add);
    const stdfs::path copy = SetAside::asideName(tmp / "backup.zip");
    qm::test::writeFile(tmp / "backup.zip", "old archive");
    auto keeper = [&] { return int(SetAside::keeperOf(copy)); };
    for (const bool ranges : {false, true}) {
        rangeLocks = ranges;
        auto live = std::make_unique<SetAside>(tmp / "backup.zip");
        EXPECT_EQ(withoutWriteAccess(copy, keeper), int(SetAside::Keeper::Live)) << ranges;
        live->release();
        // A keeper that could not write it could not lock it there either.
        EXPECT_EQ(withoutWriteAccess(copy, keeper),
                  int(ranges ? SetAside::Keeper::NoLocks : SetAside::Keeper::Nobody)) << ranges;
        SetAside::settleLeft(tmp / "backup.zip", copy, false);
        stdfs::permissions(tmp / "backup.zip", stdfs::perms::owner_write, stdfs::perm_options::add);
    }

    // Exclusive file locks the same; a file that cannot be written is still
    // locked where locks are flock's own.
    rangeLocks = true;
    const stdfs::path file = tmp / "state.lock";
    qm::test::writeFile(file, "");
    {
        qm::fs::FileLock held = qm::fs::FileLock::tryAcquire(file);
        EXPECT_TRUE(held.locked());
        EXPECT_TRUE(qm::fs::isFileLocked(file));
    }
    EXPECT_FALSE(qm::fs::isFileLocked(file));
    rangeLocks = false;
    EXPECT_EQ(withoutWriteAccess(file, [&] { return int(qm::fs::FileLock::tryAcquire(file).locked()); }), 1);
}

} // namespace
} // namespace qm::zip::test
