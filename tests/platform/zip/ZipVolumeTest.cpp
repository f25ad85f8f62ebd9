// Archives of several parts: split sets side by side, and spanned sets
// written and read disk by disk through a removable drive whose medium the
// test swaps whenever the control asks for a disk.
#include "ZipTestUtil.h"

#include "platform/fs/Drives.h"
#include "platform/profile/Profile.h"
#include "platform/zip/ArchiveReader.h"
#include "platform/zip/LeftAside.h"
#include "platform/zip/SfxBlock.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <set>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace qm::zip::test {
namespace {

namespace stdfs = std::filesystem;
using qm::test::TempDir;

std::vector<std::string> namesIn(const stdfs::path& folder)
{
    std::vector<std::string> n;
    if (stdfs::exists(folder))
        for (const auto& e : stdfs::directory_iterator(folder))
            n.push_back(e.path().filename().string());
    std::sort(n.begin(), n.end());
    return n;
}

class ZipVolumes : public ::testing::Test {
protected:
    void SetUp() override
    {
        src = tmp.path() / "src";
        out = tmp.path() / "out";
        sets = tmp.path() / "sets";
        stdfs::create_directories(sets);
        files = {
            {"empty.txt", ""},
            {"text.txt", textBytes(150000)},
            {"noise.bin", randomBytes(160000)},
            {"photo.jpg", randomBytes(90000, 11)},
            {"docs/readme.txt", "read me\r\n"},
            {"docs/deep/notes.log", textBytes(5000, 3)},
        };
        makeFiles(src, files);
        zip.addEventSink(&rec);
        zip.SourceFolder = win(src);
    }
    std::map<std::string, std::string> extracted()
    {
        std::map<std::string, std::string> m;
        for (auto& [k, v] : readTree(out))
            if (k.back() != '/')
                m[k] = v;
        return m;
    }
    std::map<std::string, std::string> snapshot(const stdfs::path& folder)
    {
        std::map<std::string, std::string> m;
        for (const std::string& n : namesIn(folder))
            m[n] = qm::test::readFile(folder / n);
        return m;
    }
    void lay(const stdfs::path& folder, const std::map<std::string, std::string>& files)
    {
        stdfs::remove_all(folder);
        stdfs::create_directories(folder);
        for (const auto& [name, bytes] : files)
            qm::test::writeFile(folder / name, bytes);
    }
    int extractAll(const std::string& archive)
    {
        stdfs::remove_all(out);
        zip.ArchivePath = archive;
        zip.ExtractFolder = win(out);
        zip.FileMask = "*";
        return zip.Extract();
    }

    TempDir tmp{"qm-zip-vol"};
    stdfs::path src, out, sets;
    std::map<std::string, std::string> files;
    PavikZip zip;
    Recorder rec;
};

TEST_F(ZipVolumes, SplitSetRoundTripsWithEveryPartWithinItsSize)
{
    const stdfs::path last = sets / "backup.zip";
    zip.ArchivePath = win(last);
    zip.SplitPartSize = 65536;
    ASSERT_EQ(zip.Build(), result::Ok);
    std::vector<std::string> names = namesIn(sets);
    ASSERT_EQ(names, (std::vector<std::string>{"backup.z01", "backup.z02", "backup.z03", "backup.z04", "backup.zip"}));
    for (const std::string& n : names)
        EXPECT_LE(stdfs::file_size(sets / n), 65536u) << n;
    EXPECT_EQ(qm::test::readFile(sets / "backup.z01").substr(0, 8), std::string("PK\x07\x08PK\x03\x04", 8));

    EXPECT_EQ(zip.Test(), result::Ok);
    EXPECT_EQ(extractAll(win(last)), result::Ok);
    EXPECT_EQ(extracted(), files);
    int64_t count = 0, packed = 0, plain = 0;
    int ratio = 0;
    bool spanned = false;
    ASSERT_EQ(zip.ArchiveInfo(count, packed, plain, ratio, spanned), result::Ok);
    EXPECT_TRUE(spanned);
    EXPECT_EQ(count, int64_t(files.size()));

    // An update: one more file, the rest carried over from the old parts.
    makeFiles(src, {{"added.txt", textBytes(20000, 9)}});
    files["added.txt"] = textBytes(20000, 9);
    zip.ArchivePath = win(last);
    ASSERT_EQ(zip.Build(), result::Ok);
    EXPECT_EQ(extractAll(win(last)), result::Ok);
    EXPECT_EQ(extracted(), files);

    // Larger parts: fewer of them, and none of the old ones left over.
    zip.ArchivePath = win(last);
    zip.SplitPartSize = 200000;
    ASSERT_EQ(zip.Build(), result::Ok);
    EXPECT_EQ(namesIn(sets), (std::vector<std::string>{"backup.z01", "backup.zip"}));
    // One file in place of the set.
    zip.SplitPartSize = 0;
    ASSERT_EQ(zip.Build(), result::Ok);
    EXPECT_EQ(namesIn(sets), std::vector<std::string>{"backup.zip"});
    EXPECT_EQ(extractAll(win(last)), result::Ok);
    EXPECT_EQ(extracted(), files);
}

// A run killed while a split set waited aside, part by part, under hidden names.
TEST_F(ZipVolumes, WhatAKilledRunLeftAsideOfASplitSetFollowsItsLastPart)
{
    const stdfs::path last = sets / "backup.zip";
    zip.ArchivePath = win(last);
    zip.SplitPartSize = 65536;
    ASSERT_EQ(zip.Build(), result::Ok);
    const std::map<std::string, std::string> old = snapshot(sets);
    auto setAside = [&] {
        for (const auto& [name, bytes] : old)
            stdfs::rename(sets / name, sets / ("." + name + ".previous"));
    };
    // The places are free: the whole set comes back.
    setAside();
    settleLeftAside(win(last));
    EXPECT_TRUE(snapshot(sets) == old) << "the set that came back differs";
    // A whole set made since is newer: every part aside goes, none mixes into it.
    setAside();
    zip.SplitPartSize = 200000;
    ASSERT_EQ(zip.Build(), result::Ok);
    settleLeftAside(win(last));
    EXPECT_EQ(namesIn(sets), (std::vector<std::string>{"backup.z01", "backup.zip"}));
    EXPECT_EQ(zip.Test(), result::Ok);

    // The parts' copies alone (an earlier run dropped the archive's own copy
    // first and was killed): beside a whole set they go all the same, and a
    // rebuild that fails later never puts them back beside it.
    const std::map<std::string, std::string> newer = snapshot(sets);
    for (const char* part : {"backup.z01", "backup.z02"})
        qm::test::writeFile(sets / ("." + std::string(part) + ".previous"), old.at(part));
    zip.FileMask = "nothing such";
    EXPECT_EQ(zip.Build(true), result::NothingToDo);
    EXPECT_TRUE(snapshot(sets) == newer);
}

// An update or a rebuild of a split set killed just before any of its
// renames and removals: after the next command the old set or the new one
// stands under the name, whole, and nothing hidden is left of the other.
TEST_F(ZipVolumes, ASetKilledWhileItIsPutInPlaceIsTheOldOrTheNewOneAfterTheNextCommand)
{
    const stdfs::path last = sets / "backup.zip";
    zip.ArchivePath = win(last);
    zip.SplitPartSize = 65536;
    zip.Workers = 1; // no threads to fork across
    ASSERT_EQ(zip.Build(), result::Ok);
    const std::map<std::string, std::string> old = snapshot(sets);
    makeFiles(src, {{"added.bin", randomBytes(70000, 12)}}); // a part more
    for (const bool replace : {false, true}) {
        ASSERT_EQ(zip.Build(replace), result::Ok);
        const std::map<std::string, std::string> made = snapshot(sets);
        ASSERT_GT(made.size(), old.size());
        int at = 0;
        for (;; ++at) {
            lay(sets, old);
            const bool killed = killedBeforeNameChange(at, [&](const IoFaults& f) {
                zip.setIoFaultsForTesting(f);
                zip.Build(replace);
            });
            ASSERT_EQ(zip.ListEntries(), result::Ok) << at;
            const std::map<std::string, std::string> now = snapshot(sets);
            EXPECT_TRUE(now == old || now == made) << (replace ? "rebuild" : "update") << " killed at step " << at;
            if (!killed)
                break;
        }
        EXPECT_EQ(at, 18); // five old files aside and a free place marked, six new ones in place, six copies dropped
    }
}

// A set kept aside while another program makes it anew (KeptSet: the ACE
// backup around WinAce). That program's build puts its parts in the free
// places under the cover of the keepers, and marks only the place the old
// set did not have. Whatever it did, killed before any of its renames and
// removals or done, a failure brings the old set back whole with nothing
// beside it; a success leaves the new set alone.
TEST_F(ZipVolumes, ASetKeptAsideWhileAnotherProgramMakesItAnewIsReplacedOrComesBackWhole)
{
    const stdfs::path last = sets / "backup.zip";
    zip.ArchivePath = win(last);
    zip.SplitPartSize = 65536;
    zip.Workers = 1; // no threads to fork across
    ASSERT_EQ(zip.Build(), result::Ok);
    const std::map<std::string, std::string> old = snapshot(sets);
    makeFiles(src, {{"added.bin", randomBytes(70000, 12)}}); // a part more
    {
        KeptSet kept(win(last));
        ASSERT_TRUE(kept.holds());
        EXPECT_TRUE(namesIn(sets) == (std::vector<std::string>{".backup.z01.previous", ".backup.z02.previous",
                                                                ".backup.z03.previous", ".backup.z04.previous",
                                                                ".backup.zip.previous"}));
        ASSERT_EQ(zip.Build(), result::Ok);
        kept.settle(true);
    }
    const std::map<std::string, std::string> made = snapshot(sets);
    ASSERT_EQ(made.size(), old.size() + 1);
    EXPECT_EQ(zip.Test(), result::Ok);
    int at = 0;
    for (;; ++at) {
        lay(sets, old);
        KeptSet kept(win(last));
        const bool killed = killedBeforeNameChange(at, [&](const IoFaults& f) {
            zip.setIoFaultsForTesting(f);
            zip.Build();
        });
        kept.settle(false);
        EXPECT_TRUE(snapshot(sets) == old) << "killed at step " << at;
        if (!killed)
            break;
    }
    EXPECT_EQ(at, 8); // a free place marked, six new parts in place, the mark dropped
}

// The same with the program that keeps the set killed before any change of
// a name, its own or its build's: the next command finds the old set or the
// new one whole, and the one the run's outcome called for when it ended.
TEST_F(ZipVolumes, ASetKeptAsideIsTheOldOrTheNewOneAfterItsKeeperIsKilled)
{
    const stdfs::path last = sets / "backup.zip";
    zip.ArchivePath = win(last);
    zip.SplitPartSize = 65536;
    zip.Workers = 1;
    ASSERT_EQ(zip.Build(), result::Ok);
    const std::map<std::string, std::string> old = snapshot(sets);
    makeFiles(src, {{"added.bin", randomBytes(70000, 12)}});
    ASSERT_EQ(zip.Build(true), result::Ok);
    const std::map<std::string, std::string> made = snapshot(sets);
    for (const bool succeeded : {true, false}) {
        int at = 0;
        for (;; ++at) {
            lay(sets, old);
            const bool killed = killedBeforeNameChange(at, [&](const IoFaults& f) {
                KeptSet kept(win(last), f.beforeNameChange);
                zip.setIoFaultsForTesting(f);
                const bool built = zip.Build() == result::Ok;
                kept.settle(built && succeeded);
            });
            ASSERT_EQ(zip.ListEntries(), result::Ok) << at;
            const std::map<std::string, std::string> now = snapshot(sets);
            EXPECT_TRUE(now == old || now == made) << (succeeded ? "success" : "failure") << ", killed at step " << at;
            if (!killed) {
                EXPECT_TRUE(now == (succeeded ? made : old));
                break;
            }
        }
        // Five old files aside, the build's eight steps, then five copies
        // dropped; or the place the build took marked, its last part gone,
        // five copies back and the taken place freed.
        EXPECT_EQ(at, succeeded ? 18 : 22) << (succeeded ? "success" : "failure");
    }
}

// Only the set a build made may be called done. A part another program
// changed while the set was put in place (here one that took the copies of
// the old set for a killed run's and put one back) is no success, and the
// old set comes back whole.
TEST_F(ZipVolumes, ASetChangedByAnotherProgramWhileItIsPutInPlaceIsNoSuccess)
{
    const stdfs::path last = sets / "backup.zip";
    zip.ArchivePath = win(last);
    zip.SplitPartSize = 65536;
    ASSERT_EQ(zip.Build(), result::Ok);
    const std::map<std::string, std::string> old = snapshot(sets);
    makeFiles(src, {{"added.bin", randomBytes(70000, 12)}});
    int seen = 0;
    IoFaults f;
    f.beforeNameChange = [&](const stdfs::path& p) {
        if (p == last && ++seen == 2) // the new last part is about to take its name
            stdfs::rename(sets / ".backup.z01.previous", sets / "backup.z01");
    };
    zip.setIoFaultsForTesting(f);
    EXPECT_EQ(zip.Build(), result::ArchiveReplaced);
    zip.setIoFaultsForTesting({});
    EXPECT_TRUE(snapshot(sets) == old) << "the set after the failure differs";
    EXPECT_EQ(zip.Test(), result::Ok);
}

// Two builds of one name at once, a slow update and a rebuild from other
// files by another program: the update, finding when it comes to put its
// archive in place that the other one replaced what it read, leaves that
// newer archive and says so.
TEST_F(ZipVolumes, ABuildLeavesTheArchiveAnotherOnePutInPlaceMeanwhile)
{
    for (const bool split : {false, true}) {
        SCOPED_TRACE(split ? "split" : "single");
        lay(sets, {});
        const stdfs::path last = sets / "backup.zip";
        zip.ArchivePath = win(last);
        zip.SplitPartSize = split ? 65536 : 0;
        ASSERT_EQ(zip.Build(), result::Ok);
        PavikZip other;
        other.ArchivePath = win(last);
        other.SplitPartSize = zip.SplitPartSize;
        other.SourceFolder = win(src);
        other.FileMask = "text.txt";
        ZipEventHandlers meanwhile;
        bool rebuilt = false;
        meanwhile.onFileProgress = [&](const std::string&, int) {
            if (!rebuilt)
                rebuilt = other.Build(true) == result::Ok;
        };
        zip.addEventSink(&meanwhile);
        makeFiles(src, {{"added.txt", "added"}});
        EXPECT_EQ(zip.Build(), result::ArchiveReplaced);
        zip.removeEventSink(&meanwhile);
        stdfs::remove(src / "added.txt");
        EXPECT_TRUE(rebuilt);
        rec.clear();
        ASSERT_EQ(zip.ListEntries(), result::Ok);
        ASSERT_EQ(rec.listed.size(), 1u);
        EXPECT_EQ(rec.listed[0].name, "text.txt");
        for (const std::string& n : namesIn(sets))
            EXPECT_NE(n[0], '.') << n;
    }

    // A removal of entries the same way.
    PavikZip other;
    other.ArchivePath = zip.ArchivePath;
    other.SourceFolder = win(src);
    other.FileMask = "noise.bin";
    ZipEventHandlers meanwhile;
    meanwhile.onBeforeRemove = [&](const std::string&) { EXPECT_EQ(other.Build(true), result::Ok); };
    zip.addEventSink(&meanwhile);
    zip.FileMask = "text.txt";
    EXPECT_EQ(zip.Remove(), result::ArchiveReplaced);
    zip.removeEventSink(&meanwhile);
    rec.clear();
    ASSERT_EQ(zip.ListEntries(), result::Ok);
    ASSERT_EQ(rec.listed.size(), 1u);
    EXPECT_EQ(rec.listed[0].name, "noise.bin");
}

// What two kills in a row can leave: the copies of a set and the marks of
// places an unfinished set took, past a part that is gone already. The next
// command settles them all with the rest of the set; a mark past a gap
// beside a whole set goes too, and never keeps a later update from its
// place.
TEST_F(ZipVolumes, CopiesAndMarksPastAGapInThePartsAreSettledWithTheSet)
{
    const stdfs::path last = sets / "backup.zip";
    zip.ArchivePath = win(last);
    zip.SplitPartSize = 65536;
    ASSERT_EQ(zip.Build(), result::Ok);
    const std::map<std::string, std::string> old = snapshot(sets);
    ASSERT_EQ(old.size(), 5u); // backup.z01 to .z04 and the last part
    stdfs::rename(last, sets / ".backup.zip.previous");
    for (const char* part : {"backup.z06", "backup.z07"}) {
        qm::test::writeFile(sets / part, randomBytes(65536, 3));
        qm::test::writeFile(sets / ("." + std::string(part) + ".previous"), "");
    }
    EXPECT_EQ(zip.ListEntries(), result::Ok);
    EXPECT_TRUE(snapshot(sets) == old) << "the set that came back differs";

    qm::test::writeFile(sets / ".backup.z06.previous", "");
    EXPECT_EQ(zip.ListEntries(), result::Ok);
    EXPECT_TRUE(snapshot(sets) == old);
    qm::test::writeFile(sets / ".backup.z06.previous", "");
    makeFiles(src, {{"more.bin", randomBytes(200000, 4)}});
    EXPECT_EQ(zip.Build(), result::Ok);
    EXPECT_EQ(zip.Test(), result::Ok);
}

// A file under a hidden name the placement needs, that no settle may take
// away (a link, a pipe, a folder, or a copy beside a damaged last part): the
// build fails and leaves it, and its message names it.
TEST_F(ZipVolumes, AFileInTheWayOfASetIsNamedInTheMessage)
{
    const stdfs::path last = sets / "backup.zip";
    zip.ArchivePath = win(last);
    zip.SplitPartSize = 65536;
    ASSERT_EQ(zip.Build(), result::Ok);
    const std::map<std::string, std::string> old = snapshot(sets);
    makeFiles(src, {{"added.bin", randomBytes(70000, 12)}});
    const std::string failed = errorText(textkind::Result, result::WriteFailed);
    auto refusedFor = [&](const stdfs::path& blocker) {
        EXPECT_EQ(zip.Build(true), result::WriteFailed) << blocker;
        const std::string text = zip.ErrorText(textkind::Result, result::WriteFailed);
        EXPECT_EQ(text.rfind(failed, 0), 0u) << text;
        EXPECT_NE(text.find(win(blocker)), std::string::npos) << text;
        EXPECT_EQ(rec.done.back(), result::WriteFailed);
    };
    stdfs::create_symlink("elsewhere", sets / ".backup.z01.previous");
    refusedFor(sets / ".backup.z01.previous");
    EXPECT_TRUE(stdfs::is_symlink(sets / ".backup.z01.previous"));
    stdfs::remove(sets / ".backup.z01.previous");
    ASSERT_EQ(::mkfifo((sets / ".backup.z02.previous").c_str(), 0600), 0);
    refusedFor(sets / ".backup.z02.previous");
    stdfs::remove(sets / ".backup.z02.previous");
    stdfs::create_directories(sets / ".backup.z03.previous");
    refusedFor(sets / ".backup.z03.previous");
    stdfs::remove(sets / ".backup.z03.previous");
    EXPECT_TRUE(snapshot(sets) == old);
    // The message of the next method names nothing.
    EXPECT_EQ(zip.Test(), result::Ok);
    EXPECT_EQ(zip.ErrorText(textkind::Result, result::WriteFailed), failed);

    const std::string damaged = old.at("backup.zip").substr(0, old.at("backup.zip").size() - 10);
    qm::test::writeFile(last, damaged);
    qm::test::writeFile(sets / ".backup.zip.previous", old.at("backup.zip"));
    refusedFor(sets / ".backup.zip.previous");
    EXPECT_EQ(qm::test::readFile(last), damaged);
    EXPECT_EQ(qm::test::readFile(sets / ".backup.zip.previous"), old.at("backup.zip"));
}

// No room for the mark of a free place (no inode left): a full disk, as no
// room for a part is, and the old set as it was.
TEST_F(ZipVolumes, NoRoomForTheMarkOfAFreePlaceIsAFullDisk)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "a small file system is mounted only as root";
    const stdfs::path small = tmp.path() / "small";
    stdfs::create_directories(small);
    if (::mount("qm-zip-inodes", small.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, "size=16m,nr_inodes=400") != 0)
        GTEST_SKIP() << "no small file system could be mounted here";
    struct Unmount {
        stdfs::path at;
        ~Unmount() { ::umount2(at.c_str(), MNT_DETACH); }
    } unmount{small};
    const stdfs::path last = small / "backup.zip";
    zip.ArchivePath = win(last);
    zip.SplitPartSize = 65536;
    ASSERT_EQ(zip.Build(), result::Ok);
    const std::map<std::string, std::string> old = snapshot(small);
    makeFiles(src, {{"added.bin", randomBytes(70000, 12)}});
    IoFaults f;
    f.beforeNameChange = [&](const stdfs::path& p) {
        if (p != small / ".backup.z05.previous")
            return;
        stdfs::create_directories(small / "fill");
        for (int i = 0;; ++i) {
            const int fd = ::open((small / "fill" / std::to_string(i)).c_str(), O_CREAT | O_WRONLY, 0600);
            if (fd < 0)
                break;
            ::close(fd);
        }
    };
    zip.setIoFaultsForTesting(f);
    EXPECT_EQ(zip.Build(), result::DiskFull);
    zip.setIoFaultsForTesting({});
    stdfs::remove_all(small / "fill");
    EXPECT_TRUE(snapshot(small) == old);
}

// A listing by another account, which cannot open the copies a run keeps
// the owner's alone in a folder both may write, while that run puts a set
// in place: it cannot tell the live run's copies from a killed run's, and
// leaves them; the run's set is whole.
TEST_F(ZipVolumes, AListingByAnotherAccountLeavesTheCopiesOfASetBeingPutInPlace)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "another account is taken only as root";
    stdfs::permissions(tmp.path(), stdfs::perms::owner_all | stdfs::perms::group_read | stdfs::perms::group_exec |
                                       stdfs::perms::others_read | stdfs::perms::others_exec);
    stdfs::permissions(sets, stdfs::perms::all);
    const stdfs::path last = sets / "backup.zip";
    zip.ArchivePath = win(last);
    zip.SplitPartSize = 65536;
    zip.Workers = 1;
    ASSERT_EQ(zip.Build(), result::Ok);
    for (const std::string& n : namesIn(sets))
        stdfs::permissions(sets / n, stdfs::perms::owner_read | stdfs::perms::owner_write);
    makeFiles(src, {{"added.bin", randomBytes(70000, 12)}});
    files["added.bin"] = randomBytes(70000, 12);
    int seen = 0;
    IoFaults f;
    f.beforeNameChange = [&](const stdfs::path& p) {
        if (p != last || ++seen != 2) // the new last part is about to take its name
            return;
        const pid_t pid = ::fork();
        if (pid == 0) {
            if (::setgid(65534) != 0 || ::setuid(65534) != 0)
                ::_exit(2);
            PavikZip listing;
            listing.ArchivePath = win(last);
            listing.ListEntries();
            ::_exit(0);
        }
        int status = -1;
        ::waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    };
    zip.setIoFaultsForTesting(f);
    EXPECT_EQ(zip.Build(), result::Ok);
    zip.setIoFaultsForTesting({});
    EXPECT_EQ(seen, 2);
    EXPECT_EQ(zip.Test(), result::Ok);
    EXPECT_EQ(extractAll(win(last)), result::Ok);
    EXPECT_EQ(extracted(), files);
}

TEST_F(ZipVolumes, SplitSizeRulesAndASetThatFitsOnePart)
{
    zip.ArchivePath = win(sets / "small.zip");
    zip.SplitPartSize = 65535;
    EXPECT_EQ(zip.Build(), result::SplitSizeTooSmall);
    zip.SplitPartSize = -1;
    EXPECT_EQ(zip.Build(), result::BadSetting);
    EXPECT_TRUE(namesIn(sets).empty());

    // Everything fits into the first part: one plain file, marked as a set
    // that never needed a second part.
    zip.SplitPartSize = 10'000'000;
    ASSERT_EQ(zip.Build(), result::Ok);
    EXPECT_EQ(namesIn(sets), std::vector<std::string>{"small.zip"});
    EXPECT_EQ(qm::test::readFile(sets / "small.zip").substr(0, 4), "PK00");
    ArchiveReader r;
    r.open(sets / "small.zip");
    EXPECT_FALSE(r.spanned());
    EXPECT_EQ(r.leadSize(), 4u);
    EXPECT_EQ(extractAll(win(sets / "small.zip")), result::Ok);
    EXPECT_EQ(extracted(), files);
}

TEST_F(ZipVolumes, FailedOrStoppedSplitBuildLeavesTheOldSetAsItWas)
{
    const stdfs::path last = sets / "backup.zip";
    zip.ArchivePath = win(last);
    zip.SplitPartSize = 65536;
    ASSERT_EQ(zip.Build(), result::Ok);
    const auto before = snapshot(sets);
    makeFiles(src, {{"more.bin", randomBytes(100000, 5)}});

    // The disk fills up while the third new part is written.
    std::set<stdfs::path> seen;
    IoFaults faults;
    faults.beforeWrite = [&](const stdfs::path& p, uint64_t, size_t) {
        seen.insert(p);
        return seen.size() >= 3 ? ENOSPC : 0;
    };
    zip.setIoFaultsForTesting(faults);
    EXPECT_EQ(zip.Build(), result::DiskFull);
    EXPECT_EQ(snapshot(sets), before);
    zip.setIoFaultsForTesting({});

    // Stopped half-way.
    ZipEventHandlers stop;
    stop.onFileProgress = [&](const std::string& name, int) {
        if (name == "noise.bin")
            zip.AbortRequested = true;
    };
    zip.addEventSink(&stop);
    EXPECT_EQ(zip.Build(), result::UserAbort);
    EXPECT_EQ(snapshot(sets), before);
    zip.removeEventSink(&stop);

    // A folder in the way of a new part: nothing can be put in place, and
    // the old set comes back as it was.
    stdfs::create_directories(sets / "backup.z05" / "inside");
    EXPECT_EQ(zip.Build(), result::WriteFailed);
    stdfs::remove_all(sets / "backup.z05");
    EXPECT_EQ(snapshot(sets), before);

    // The parts made in another folder, then put in place.
    zip.UseTempArchive = true;
    zip.TempArchiveFolder = win(tmp.path() / "work");
    stdfs::create_directories(tmp.path() / "work");
    ASSERT_EQ(zip.Build(), result::Ok);
    EXPECT_TRUE(namesIn(tmp.path() / "work").empty());
    files["more.bin"] = randomBytes(100000, 5);
    EXPECT_EQ(extractAll(win(last)), result::Ok);
    EXPECT_EQ(extracted(), files);

    // Parts are not rewritten one by one; a part gone missing is named.
    zip.ArchivePath = win(last);
    zip.FileMask = "docs\\readme.txt";
    EXPECT_EQ(zip.Remove(), result::NotAvailable);
    stdfs::remove(sets / "backup.z02");
    EXPECT_EQ(zip.ListEntries(), result::PartMissing);
}

class ZipSpanning : public ZipVolumes {
protected:
    void SetUp() override
    {
        ZipVolumes::SetUp();
        swapper = std::make_unique<DiskSwapper>(tmp.path() / "media");
        swap.onDiskRequest = [this](int disk, bool& ready) {
            requests.push_back(disk);
            if (answer)
                ready = answer(disk);
        };
        zip.addEventSink(&swap);
        zip.UseTempArchive = true;
        zip.TempArchiveFolder = win(tmp.path() / "work");
        stdfs::create_directories(tmp.path() / "work");
    }
    // Disk n is the medium "disk<n>"; the last one is `lastDisk`.
    void swapToNumbered()
    {
        answer = [this](int disk) {
            swapper->insert("disk" + std::to_string(disk == 0 ? lastDisk : disk));
            return true;
        };
    }

    std::unique_ptr<DiskSwapper> swapper;
    ZipEventHandlers swap;
    std::function<bool(int)> answer;
    std::vector<int> requests;
    int lastDisk = 0;
};

// A drive as a real one is: one folder, whatever medium is in it. The first
// disk holds an archive already.
class ZipSpanningOneDrive : public ZipSpanning {
protected:
    void SetUp() override
    {
        ZipSpanning::SetUp();
        swapper.reset();
        swapper = std::make_unique<DiskSwapper>(tmp.path() / "media", true);
        zip.ArchivePath = "A:\\backup.zip";
        zip.FileMask = "docs\\readme.txt";
        ASSERT_EQ(zip.Build(), result::Ok);
        before = qm::test::readFile(firstDisk());
        zip.FileMask = "*";
        zip.SpanMode = 1;
        zip.SplitPartSize = 65536;
        zip.Workers = 1; // no threads to fork across
        rec.clear();
    }
    stdfs::path firstDisk() const { return swapper->folder("disk1") / "backup.zip"; }
    // What the first disk and the work folder hold besides the first disk's archive.
    std::vector<std::string> leftOver()
    {
        std::vector<std::string> left = namesIn(tmp.path() / "work");
        for (const std::string& n : namesIn(swapper->folder("disk1")))
            if (n != "backup.zip")
                left.push_back(n);
        return left;
    }
    std::string before;
};

TEST_F(ZipSpanningOneDrive, ASetOverAnArchiveLeavesNoCopyOnAnyDiskAndLaterCommandsChangeNone)
{
    swapToNumbered();
    ASSERT_EQ(zip.Build(true), result::Ok);
    EXPECT_EQ(requests, (std::vector<int>{1, 2, 3, 4, 5}));
    EXPECT_TRUE(rec.warnings.empty());
    std::map<std::string, std::string> disks;
    for (int d = 1; d <= 5; ++d) {
        const std::string name = "disk" + std::to_string(d);
        EXPECT_EQ(namesIn(swapper->folder(name)), std::vector<std::string>{"backup.zip"}) << name;
        disks[name] = qm::test::readFile(swapper->folder(name) / "backup.zip");
    }
    EXPECT_TRUE(namesIn(tmp.path() / "work").empty());
    lastDisk = 5;
    swapper->insert("disk1");
    EXPECT_EQ(zip.Test(), result::Ok);
    EXPECT_EQ(extractAll("A:\\backup.zip"), result::Ok);
    EXPECT_EQ(extracted(), files);
    for (const auto& [name, bytes] : disks)
        EXPECT_TRUE(qm::test::readFile(swapper->folder(name) / "backup.zip") == bytes) << name;
}

TEST_F(ZipSpanningOneDrive, ASetStoppedAfterItsFirstDiskSaysWhatThatDiskHolds)
{
    // Disk 2 not ready with the first disk still in: it holds its archive again.
    answer = [this](int disk) {
        swapper->insert("disk1");
        return disk < 2;
    };
    EXPECT_EQ(zip.Build(true), result::UserAbort);
    EXPECT_TRUE(qm::test::readFile(firstDisk()) == before);
    EXPECT_EQ(rec.warnings, (std::vector<std::pair<std::string, int>>{{"A:\\backup.zip", warning::FirstDiskRestored}}));
    EXPECT_TRUE(leftOver().empty());

    // Disk 3 not ready with disk 2 in: the first disk holds the start of the set.
    rec.clear();
    answer = [this](int disk) {
        swapper->insert("disk" + std::to_string(disk));
        return disk < 3;
    };
    EXPECT_EQ(zip.Build(true), result::UserAbort);
    EXPECT_EQ(rec.warnings, (std::vector<std::pair<std::string, int>>{{"A:\\backup.zip", warning::FirstDiskUnfinished}}));
    swapper->insert("disk1");
    EXPECT_TRUE(leftOver().empty());
    const std::string first = qm::test::readFile(firstDisk());
    EXPECT_EQ(first.substr(0, 4), std::string("PK\x07\x08", 4));
    answer = [](int) { return false; };
    EXPECT_EQ(zip.ListEntries(), result::UserAbort); // the last disk is asked for
    EXPECT_TRUE(qm::test::readFile(firstDisk()) == first);
}

TEST_F(ZipSpanningOneDrive, ASetKilledBeforeADiskTakesItsNameLeavesTheFirstDiskOldOrNew)
{
    swapToNumbered();
    int at = 0;
    for (;; ++at) {
        swapper->insert("disk1");
        qm::test::writeFile(firstDisk(), before);
        const bool killed = killedBeforeNameChange(at, [&](const IoFaults& f) {
            zip.setIoFaultsForTesting(f);
            zip.Build(true);
        });
        swapper->insert("disk1");
        const std::string first = qm::test::readFile(firstDisk());
        if (at == 0)
            EXPECT_TRUE(first == before);
        else
            EXPECT_EQ(first.substr(0, 4), std::string("PK\x07\x08", 4)) << at;
        // The next command leaves the first disk as it is, and nothing else
        // of the killed run on it or in the work folder.
        answer = [](int) { return false; };
        zip.ListEntries();
        EXPECT_TRUE(qm::test::readFile(firstDisk()) == first) << at;
        EXPECT_EQ(leftOver(), std::vector<std::string>{}) << at;
        swapToNumbered();
        if (!killed)
            break;
    }
    EXPECT_EQ(at, 5); // one rename a disk
}

TEST_F(ZipSpanning, ArchiveIsWrittenTestedAndExtractedDiskByDisk)
{
    swapToNumbered();
    zip.ArchivePath = "A:\\backup.zip";
    zip.SpanMode = 1;
    zip.SplitPartSize = 65536; // what one disk takes
    ASSERT_EQ(zip.Build(), result::Ok);
    EXPECT_EQ(requests, (std::vector<int>{1, 2, 3, 4, 5}));
    lastDisk = 5;
    for (int d = 1; d <= 5; ++d) {
        std::string name = "disk" + std::to_string(d);
        EXPECT_EQ(namesIn(swapper->folder(name)), std::vector<std::string>{"backup.zip"}) << name;
        EXPECT_LE(stdfs::file_size(swapper->folder(name) / "backup.zip"), 65536u);
        EXPECT_EQ(swapper->labelOf(name), "PKBACK# 00" + std::to_string(d));
    }
    EXPECT_TRUE(namesIn(tmp.path() / "work").empty());

    // Reading: the last disk first, then each one in turn.
    requests.clear();
    swapper->insert("disk1");
    EXPECT_EQ(zip.Test(), result::Ok);
    EXPECT_EQ(requests, (std::vector<int>{0, 1, 2, 3, 4}));
    EXPECT_EQ(extractAll("A:\\backup.zip"), result::Ok);
    EXPECT_EQ(extracted(), files);
    int64_t count = 0, packed = 0, plain = 0;
    int ratio = 0;
    bool spanned = false;
    ASSERT_EQ(zip.ArchiveInfo(count, packed, plain, ratio, spanned), result::Ok);
    EXPECT_TRUE(spanned);
    EXPECT_TRUE(namesIn(tmp.path() / "work").empty()); // the copies of the disks are gone

    // A disk that is not the one asked for is asked for again, three times.
    swapper->insert("disk5");
    requests.clear();
    answer = [this](int disk) {
        swapper->insert(disk == 0 ? "disk5" : "disk3");
        return true;
    };
    EXPECT_EQ(zip.ListEntries(), result::WrongDisk);
    EXPECT_EQ(requests, (std::vector<int>{1, 1, 1}));

    // Media swapped by hand: the drive keeps the label it had, which then
    // tells nothing about the disk in it. Writing and reading still work.
    swapper->labelsFollow = false;
    swapToNumbered();
    requests.clear();
    zip.ArchivePath = "A:\\again.zip";
    ASSERT_EQ(zip.Build(), result::Ok);
    EXPECT_EQ(requests, (std::vector<int>{1, 2, 3, 4, 5}));
    EXPECT_EQ(qm::profile::getString(qm::fs::drivesFile(), "A:", "Label", ""), "PKBACK# 005");
    swapper->insert("disk5");
    EXPECT_EQ(extractAll("A:\\again.zip"), result::Ok);
    EXPECT_EQ(extracted(), files);
}

TEST_F(ZipSpanning, DiskNotReadyStopsAndLeavesNothingThatLooksWhole)
{
    answer = [this](int disk) {
        if (disk >= 3)
            return false;
        swapper->insert("disk" + std::to_string(disk));
        return true;
    };
    zip.ArchivePath = "A:\\backup.zip";
    zip.SpanMode = 2; // A: is removable
    zip.SplitPartSize = 65536;
    EXPECT_EQ(zip.Build(), result::UserAbort);
    EXPECT_EQ(requests, (std::vector<int>{1, 2, 3}));
    // The disks written so far hold no end record, and nothing else is left.
    for (const char* d : {"disk1", "disk2"}) {
        EXPECT_EQ(namesIn(swapper->folder(d)), std::vector<std::string>{"backup.zip"});
        ArchiveReader r;
        try {
            r.open(swapper->folder(d) / "backup.zip");
            ADD_FAILURE() << d << " reads as a whole archive";
        } catch (const FormatError& e) {
            EXPECT_TRUE(e.notArchive);
        }
    }
    EXPECT_TRUE(namesIn(swapper->folder("disk3")).empty());
    EXPECT_TRUE(namesIn(tmp.path() / "work").empty());

    // Not ready for the first disk: nothing is written at all.
    requests.clear();
    answer = [](int) { return false; };
    zip.ArchivePath = "A:\\fresh.zip";
    EXPECT_EQ(zip.Build(), result::UserAbort);
    EXPECT_EQ(requests, std::vector<int>{1});
    EXPECT_EQ(namesIn(swapper->folder("disk3")), std::vector<std::string>{});

    // Ready, but the first disk is never taken out: it is not written over.
    requests.clear();
    answer = [this](int disk) {
        if (disk == 1)
            swapper->insert("disk9");
        return true;
    };
    zip.ArchivePath = "A:\\other.zip";
    EXPECT_EQ(zip.Build(), result::WrongDisk);
    EXPECT_EQ(requests, (std::vector<int>{1, 2, 2, 2}));
    EXPECT_EQ(namesIn(swapper->folder("disk9")), std::vector<std::string>{"other.zip"});

    // Reading with no medium in and the answer not ready.
    requests.clear();
    answer = [](int) { return false; };
    swapper->eject();
    zip.ArchivePath = "A:\\backup.zip";
    EXPECT_EQ(zip.ListEntries(), result::UserAbort);
    EXPECT_EQ(requests, std::vector<int>{0});
}

TEST_F(ZipSpanning, ArchiveThatFitsOneDiskIsAPlainArchive)
{
    swapToNumbered();
    zip.ArchivePath = "A:\\backup.zip";
    zip.SpanMode = 1;
    ASSERT_EQ(zip.Build(), result::Ok);
    EXPECT_EQ(requests, std::vector<int>{1});
    std::string bytes = qm::test::readFile(swapper->folder("disk1") / "backup.zip");
    EXPECT_EQ(bytes.substr(0, 4), "PK00");
    requests.clear();
    EXPECT_EQ(extractAll("A:\\backup.zip"), result::Ok);
    EXPECT_TRUE(requests.empty());
    EXPECT_EQ(extracted(), files);

    // Auto-detect on a fixed drive: one file, no disks asked for.
    zip.SpanMode = 2;
    zip.ArchivePath = win(sets / "fixed.zip");
    ASSERT_EQ(zip.Build(), result::Ok);
    EXPECT_TRUE(requests.empty());
    EXPECT_EQ(qm::test::readFile(sets / "fixed.zip").substr(0, 4), std::string("PK\x03\x04", 4));
}

TEST_F(ZipSpanning, SelfExtractorSpansWithItsProgramOnTheFirstDisk)
{
    const std::string stub = "\x7f" "ELF extractor" + randomBytes(2000, 8);
    qm::test::writeFile(tmp.path() / "stub.bin", stub);
    swapToNumbered();
    zip.ArchivePath = "A:\\setup.exe";
    zip.SpanMode = 2;
    zip.SplitPartSize = 100000;
    zip.SfxStubPath = win(tmp.path() / "stub.bin");
    zip.SfxString[1] = "Spanned setup";
    ASSERT_EQ(zip.Build(), result::Ok);
    ASSERT_GE(requests.size(), 3u);
    lastDisk = int(requests.size());
    const stdfs::path first = swapper->folder("disk1") / "setup.exe";
    EXPECT_EQ(qm::test::readFile(first).substr(0, stub.size()), stub);
    std::optional<qm::sfx::SfxConfig> c = qm::sfx::loadFromFile(first.string());
    ASSERT_TRUE(c);
    EXPECT_EQ(c->Caption, "Spanned setup");
    EXPECT_EQ(extractAll("A:\\setup.exe"), result::Ok);
    EXPECT_EQ(extracted(), files);

    // A program larger than a disk fails the build before the first disk's
    // old file is replaced.
    qm::test::writeFile(tmp.path() / "stub.bin", randomBytes(70000, 3));
    swapper->insert("disk1");
    const std::string before = qm::test::readFile(first);
    zip.SplitPartSize = 65536;
    EXPECT_EQ(zip.Build(), result::DiskFull);
    EXPECT_TRUE(qm::test::readFile(first) == before);
    EXPECT_EQ(namesIn(swapper->folder("disk1")), std::vector<std::string>{"setup.exe"});
}

} // namespace
} // namespace qm::zip::test
