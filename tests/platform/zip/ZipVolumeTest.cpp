// Archives of several parts: split sets side by side, and spanned sets
// written and read disk by disk through a removable drive whose medium the
// test swaps whenever the control asks for a disk.
#include "ZipVolumeFixture.h"

#include "platform/fs/CurrentFolder.h"

#include "platform/fs/Drives.h"
#include "platform/profile/Profile.h"
#include "platform/zip/ArchiveReader.h"
#include "platform/zip/LeftAside.h"
#include "platform/zip/SfxBlock.h"

#include <gtest/gtest.h>
#include <set>
#include <sys/stat.h>

namespace qm::zip::test {
namespace {

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
            stdfs::rename(sets / name, sets / asideName("backup.zip", name));
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
        qm::test::writeFile(sets / asideName("backup.zip", part), old.at(part));
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

    // Builds "A:\\backup.zip" spanned over disks of 64 KiB, each put in as
    // it is asked for; gives the number of the last.
    int spanOverDisks()
    {
        swapToNumbered();
        zip.ArchivePath = "A:\\backup.zip";
        zip.SpanMode = 1;
        zip.SplitPartSize = 65536;
        EXPECT_EQ(zip.Build(), result::Ok);
        return requests.empty() ? 0 : requests.back();
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

    // A wrong disk offered at the first prompt or a later one, on a drive
    // whose label never changes: it is told by what it holds, and the disk
    // asked for is asked for again.
    swapper->labelsFollow = false;
    for (const auto& [asked, offered] : std::vector<std::pair<int, int>>{{1, 2}, {3, 4}}) {
        bool given = false;
        answer = [&, asked = asked, offered = offered](int disk) {
            const bool wrong = disk == asked && !std::exchange(given, true);
            swapper->insert("disk" + std::to_string(wrong ? offered : disk == 0 ? lastDisk : disk));
            return true;
        };
        requests.clear();
        swapper->insert("disk5");
        EXPECT_EQ(zip.Test(), result::Ok) << asked;
        EXPECT_EQ(std::count(requests.begin(), requests.end(), asked), 2) << asked;
    }
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

// The process working in a folder below the drive's root: at every request
// it works in no folder of the drive, and after it is back in that folder of
// the disk then in, or at the drive's root when that disk has none.
TEST_F(ZipSpanningOneDrive, ADiskRequestLeavesTheDrivesCurrentFolderAndComesBackToIt)
{
    swapToNumbered();
    ASSERT_EQ(zip.Build(true), result::Ok);
    lastDisk = 5;
    for (int d = 1; d <= lastDisk; ++d)
        stdfs::create_directories(swapper->folder("disk" + std::to_string(d)) / "sub");
    std::vector<stdfs::path> whileAsked;
    std::string lastIn;
    answer = [&](int disk) {
        whileAsked.push_back(stdfs::current_path());
        lastIn = "disk" + std::to_string(disk == 0 ? lastDisk : disk);
        swapper->insert(lastIn);
        return true;
    };
    swapper->insert("disk1");
    qm::fs::ChDrive("A:");
    qm::fs::ChDir("A:\\sub");
    requests.clear();
    EXPECT_EQ(zip.Test(), result::Ok);
    EXPECT_EQ(requests.size(), 5u);
    EXPECT_EQ(whileAsked, std::vector<stdfs::path>(requests.size(), "/"));
    EXPECT_EQ(qm::fs::CurDir(), "A:\\sub");
    EXPECT_EQ(stdfs::current_path(), swapper->folder(lastIn) / "sub");

    // The disk in at the end has no such folder: the drive's root.
    swapper->insert("disk1");
    qm::fs::ChDir("A:\\sub");
    stdfs::remove(swapper->folder(lastIn) / "sub");
    EXPECT_EQ(zip.Test(), result::Ok);
    EXPECT_EQ(qm::fs::CurDir(), "A:\\");
    EXPECT_EQ(stdfs::current_path(), swapper->folder(lastIn));
    qm::fs::ChDrive("C:");
}

// A self-extractor's program runs from its disk: it is made executable as a
// single-file one is, and the other disks' files stay plain.
TEST_F(ZipSpanningOneDrive, TheProgramOnTheFirstDiskOfASpannedSelfExtractorIsExecutable)
{
    qm::test::writeFile(tmp.path() / "stub.bin", "\x7f" "ELF extractor" + randomBytes(2000, 8));
    zip.SfxStubPath = win(tmp.path() / "stub.bin");
    zip.ArchivePath = "A:\\setup.exe";
    auto modeOf = [this](int d) {
        struct stat st {};
        EXPECT_EQ(::stat((swapper->folder("disk" + std::to_string(d)) / "setup.exe").c_str(), &st), 0) << d;
        return st.st_mode & 07777;
    };
    swapToNumbered();
    ASSERT_EQ(zip.Build(), result::Ok);
    const int disks = int(requests.size());
    ASSERT_GE(disks, 3);
    EXPECT_EQ(modeOf(1), 0755u);
    for (int d = 2; d <= disks; ++d)
        EXPECT_EQ(modeOf(d) & 0111, 0u) << d;

    // Over an old program: its mode, with execute wherever it may be read;
    // for the owner alone, every disk is the owner's alone.
    ::chmod((swapper->folder("disk1") / "setup.exe").c_str(), 0640);
    ASSERT_EQ(zip.Build(true), result::Ok);
    EXPECT_EQ(modeOf(1), 0750u);
    zip.OwnerOnlyFiles = true;
    ASSERT_EQ(zip.Build(true), result::Ok);
    EXPECT_EQ(modeOf(1), 0700u);
    for (int d = 2; d <= disks; ++d)
        EXPECT_EQ(modeOf(d) & 0177, 0u) << d;
}

// A drive whose disks are really mounted on its one folder in turn: a disk
// comes out by a plain unmount, which fails the test while anything holds a
// file of it. Its label never changes. The set's second disk holds no
// beginning of an entry (the middle of a large one); the third does.
class ZipSpanningMounted : public ZipSpanning {
protected:
    void SetUp() override
    {
        ZipSpanning::SetUp();
        swapper.reset();
        swapper = std::make_unique<DiskSwapper>(tmp.path() / "media", true, 0, /*mounts*/ true);
        if (!swapper->mounted())
            GTEST_SKIP() << "the disks are mounts, which this process may not make";
        swapper->labelsFollow = false;
        stdfs::remove_all(src);
        files = {{"a.bin", randomBytes(150000, 31)}, {"b.bin", randomBytes(100000, 32)},
                 {"c.txt", "c"}, {"d.bin", randomBytes(70000, 33)}};
        makeFiles(src, files);
        lastDisk = spanOverDisks();
        ASSERT_EQ(lastDisk, 5);
        requests.clear();
    }
};

TEST_F(ZipSpanningMounted, EveryReaderGoesOnWithTheLastDiskOrTheFirstInTheDrive)
{
    for (const int first : {lastDisk, 1}) {
        SCOPED_TRACE("disk " + std::to_string(first) + " in the drive");
        swapper->insert("disk" + std::to_string(first));
        EXPECT_EQ(zip.Test(), result::Ok);
        swapper->insert("disk" + std::to_string(first));
        EXPECT_EQ(extractAll("A:\\backup.zip"), result::Ok);
        EXPECT_EQ(extracted(), files);
        swapper->insert("disk" + std::to_string(first));
        EXPECT_EQ(zip.ListEntries(), result::Ok);
        int64_t count = 0, packed = 0, plain = 0;
        int ratio = 0;
        bool spanned = false;
        swapper->insert("disk" + std::to_string(first));
        EXPECT_EQ(zip.ArchiveInfo(count, packed, plain, ratio, spanned), result::Ok);
        EXPECT_EQ(count, 4);
    }

    // The process working in a folder of the medium (as View makes the
    // archive's folder current): it leaves the drive at every request, and
    // is back in that folder after, the root or a folder below it.
    swapper->insert("disk1");
    qm::fs::ChDrive("A:");
    EXPECT_EQ(zip.Test(), result::Ok);
    EXPECT_EQ(qm::fs::CurDir(), "A:\\");
    EXPECT_EQ(stdfs::current_path(), swapper->folder("drive"));
    for (int d = 1; d <= lastDisk; ++d)
        stdfs::create_directories(swapper->folder("disk" + std::to_string(d)) / "sub");
    qm::fs::ChDrive("C:"); // off the drive while the test changes its disk
    swapper->insert("disk1");
    qm::fs::ChDir("A:\\sub");
    qm::fs::ChDrive("A:");
    EXPECT_EQ(zip.Test(), result::Ok);
    EXPECT_EQ(qm::fs::CurDir(), "A:\\sub");
    EXPECT_EQ(stdfs::current_path(), swapper->folder("drive") / "sub");
    qm::fs::ChDrive("C:");
}

// Disk 3 offered for disk 2, on which no entry begins: it holds what the
// records place on disk 3, so it is refused and disk 2 asked for again.
TEST_F(ZipSpanningMounted, ADiskThatFitsAnotherDisksRecordsIsNotTakenForOneWithoutEntries)
{
    bool given = false;
    answer = [&](int disk) {
        const bool wrong = disk == 2 && !std::exchange(given, true);
        swapper->insert("disk" + std::to_string(wrong ? 3 : disk == 0 ? lastDisk : disk));
        return true;
    };
    swapper->insert("disk5");
    EXPECT_EQ(zip.Test(), result::Ok);
    EXPECT_EQ(std::count(requests.begin(), requests.end(), 2), 2);
}

// A real drive whose disks have a fixed size (each medium a file system of
// its own), holding a set of three disks that filled the first two. A part
// is larger than what the control writes at once.
class ZipSpanningFixedDisks : public ZipSpanning {
protected:
    static constexpr uint64_t DiskBytes = 1536 * 1024;
    void SetUp() override
    {
        ZipSpanning::SetUp();
        files["big.bin"] = randomBytes(3'000'000, 21);
        makeFiles(src, {{"big.bin", files["big.bin"]}});
        swapper.reset();
        swapper = std::make_unique<DiskSwapper>(tmp.path() / "media", true, DiskBytes);
        if (!swapper->fixedSize())
            GTEST_SKIP() << "disks of a fixed size are tmpfs mounts, which this process may not make";
        swapper->labelsFollow = false;
        swapToNumbered();
        zip.ArchivePath = "A:\\backup.zip";
        zip.SpanMode = 1;
        zip.Workers = 1; // no threads to fork across
        ASSERT_EQ(zip.Build(), result::Ok);
        ASSERT_EQ(requests, (std::vector<int>{1, 2, 3}));
        for (int d = 1; d <= 3; ++d)
            old[d] = qm::test::readFile(disk(d));
        lastDisk = 3;
        requests.clear();
        rec.clear();
    }
    stdfs::path disk(int d) const { return swapper->folder("disk" + std::to_string(d)) / "backup.zip"; }
    // Reads the set on the disks through the control, each asked for in turn.
    void expectWhole(const char* what)
    {
        swapToNumbered();
        EXPECT_EQ(zip.Test(), result::Ok) << what;
        EXPECT_EQ(extractAll("A:\\backup.zip"), result::Ok) << what;
        EXPECT_EQ(extracted(), files) << what;
    }
    std::map<int, std::string> old;
};

// The room on a disk counts the old file its part replaces.
TEST_F(ZipSpanningFixedDisks, ASetRebuiltOntoItsOwnDisksTakesAsManyAsOnBlankOnes)
{
    for (const bool replace : {false, true}) {
        requests.clear();
        swapper->insert("disk1");
        ASSERT_EQ(zip.Build(replace), result::Ok) << replace;
        EXPECT_EQ(requests, (std::vector<int>{1, 2, 3})) << replace;
        EXPECT_TRUE(rec.warnings.empty());
        for (int d = 1; d <= 3; ++d)
            EXPECT_EQ(namesIn(swapper->folder("disk" + std::to_string(d))), std::vector<std::string>{"backup.zip"});
        EXPECT_TRUE(namesIn(tmp.path() / "work").empty());
        expectWhole(replace ? "rebuilt" : "updated");
    }
}

// A disk too small for its part even without the old file says so, asked once.
TEST_F(ZipSpanningFixedDisks, ADiskTooSmallEvenCountingItsOldFileIsRefusedAtOnce)
{
    stdfs::remove(disk(2));
    qm::test::writeFile(swapper->folder("disk2") / "other.bin", std::string(DiskBytes - 8192, 'x'));
    EXPECT_EQ(zip.Build(true), result::DiskTooSmall);
    EXPECT_EQ(requests, (std::vector<int>{1, 2}));
    EXPECT_EQ(namesIn(swapper->folder("disk2")), std::vector<std::string>{"other.bin"});
    EXPECT_EQ(rec.warnings, (std::vector<std::pair<std::string, int>>{{"A:\\backup.zip", warning::FirstDiskUnfinished}}));
}

// What a build stopped before its end leaves on the first disk, and says.
TEST_F(ZipSpanningFixedDisks, AStoppedRebuildSaysWhetherTheEarlierSetIsStillWhole)
{
    // Stopped at disk 2's request with disk 1 in: nothing later was written
    // over, and the earlier set is whole.
    answer = [this](int disk) {
        swapper->insert("disk1");
        return disk < 2;
    };
    EXPECT_EQ(zip.Build(true), result::UserAbort);
    EXPECT_EQ(rec.warnings, (std::vector<std::pair<std::string, int>>{{"A:\\backup.zip", warning::FirstDiskRestored}}));
    EXPECT_TRUE(qm::test::readFile(disk(1)) == old[1]);
    expectWhole("the earlier set");

    // Disk 1 offered three times for disk 3, after disk 2 was written over:
    // the first disk is back, but the earlier set is not whole.
    makeFiles(src, {{"docs/readme.txt", "read me again\r\n"}});
    rec.clear();
    answer = [this](int disk) {
        swapper->insert(disk < 3 ? "disk" + std::to_string(disk) : "disk1");
        return true;
    };
    EXPECT_EQ(zip.Build(true), result::WrongDisk);
    EXPECT_EQ(rec.warnings, (std::vector<std::pair<std::string, int>>{{"A:\\backup.zip", warning::EarlierSetBroken}}));
    EXPECT_TRUE(qm::test::readFile(disk(1)) == old[1]);
    EXPECT_FALSE(qm::test::readFile(disk(2)) == old[2]);
    EXPECT_EQ(namesIn(tmp.path() / "work"), std::vector<std::string>{});
}

// The first disk's old file made room for its part, and the part failed.
TEST_F(ZipSpanningFixedDisks, AFirstDiskThatMadeRoomGetsItsFileBackOrSaysItHoldsNeither)
{
    const stdfs::path drive = tmp.path() / "media" / "drive";
    // The first disk's part fails once a megabyte of it is on the disk; then
    // every write on the drive fails, the put back's too.
    stdfs::path part;
    bool everyWrite = false;
    IoFaults faults;
    faults.beforeWrite = [&](const stdfs::path& p, uint64_t at, size_t) {
        if (p.parent_path() != drive)
            return 0;
        if (part.empty())
            part = p;
        return everyWrite || (p == part && at >= (1u << 20)) ? EIO : 0;
    };
    zip.setIoFaultsForTesting(faults);
    EXPECT_EQ(zip.Build(true), result::WriteFailed);
    EXPECT_EQ(requests, std::vector<int>{1});
    EXPECT_EQ(rec.warnings, (std::vector<std::pair<std::string, int>>{{"A:\\backup.zip", warning::FirstDiskRestored}}));
    EXPECT_TRUE(qm::test::readFile(disk(1)) == old[1]);

    rec.clear();
    everyWrite = true;
    EXPECT_EQ(zip.Build(true), result::WriteFailed);
    EXPECT_EQ(rec.warnings, (std::vector<std::pair<std::string, int>>{{"A:\\backup.zip", warning::FirstDiskEmptied}}));
    EXPECT_EQ(namesIn(swapper->folder("disk1")), std::vector<std::string>{});
    zip.setIoFaultsForTesting({});
}

// A rebuild killed before any of its removals and renames: the first disk
// holds the earlier set's file, nothing (its file had made room), or the
// new set's start; the next command finds nothing else of the killed run.
TEST_F(ZipSpanningFixedDisks, ARebuildKilledAtAnyStepLeavesNothingElse)
{
    const std::string startOfSet("PK\x07\x08", 4);
    int at = 0;
    for (;; ++at) {
        for (int d = 1; d <= 3; ++d) {
            swapper->insert("disk" + std::to_string(d));
            for (const std::string& n : namesIn(swapper->folder("disk" + std::to_string(d))))
                stdfs::remove(swapper->folder("disk" + std::to_string(d)) / n);
            qm::test::writeFile(disk(d), old[d]);
        }
        swapToNumbered();
        const bool killed = killedBeforeNameChange(at, [&](const IoFaults& f) {
            zip.setIoFaultsForTesting(f);
            zip.Build(true);
        });
        swapper->insert("disk1");
        answer = [](int) { return false; };
        zip.ListEntries();
        const std::vector<std::string> onFirst = namesIn(swapper->folder("disk1"));
        if (at == 0)
            EXPECT_TRUE(qm::test::readFile(disk(1)) == old[1]);
        else if (at == 1)
            EXPECT_EQ(onFirst, std::vector<std::string>{}); // its file had made room
        else
            EXPECT_EQ(qm::test::readFile(disk(1)).substr(0, 4), startOfSet) << at;
        EXPECT_LE(onFirst.size(), 1u) << at;
        EXPECT_EQ(namesIn(tmp.path() / "work"), std::vector<std::string>{}) << at;
        if (!killed)
            break;
    }
    EXPECT_EQ(at, 5); // disks 1 and 2 make room first; disk 3's part fits beside its old file
}

// A central directory longer than a disk: the disks that hold it are asked
// for first, so that every other disk is told by the entries on it, and a
// wrong one is asked for again.
TEST_F(ZipSpanning, ADirectoryOverSeveralDisksIsAskedForFirst)
{
    std::map<std::string, std::string> many;
    for (int i = 0; i < 2500; ++i)
        many["f" + std::to_string(10000 + i) + ".txt"] = std::to_string(i);
    makeFiles(src, many);
    lastDisk = spanOverDisks();
    ASSERT_GE(lastDisk, 6);
    bool given = false;
    answer = [&](int disk) {
        const bool wrong = disk == 1 && !std::exchange(given, true);
        swapper->insert("disk" + std::to_string(wrong ? 2 : disk == 0 ? lastDisk : disk));
        return true;
    };
    requests.clear();
    EXPECT_EQ(zip.Test(), result::Ok);
    ASSERT_FALSE(requests.empty());
    const int first = requests.front(); // where the directory begins
    EXPECT_GT(first, 1);
    std::vector<int> expected;
    for (int d = first; d < lastDisk; ++d)
        expected.push_back(d);
    expected.push_back(1); // disk 2 was offered
    for (int d = 1; d < first; ++d)
        expected.push_back(d);
    EXPECT_EQ(requests, expected);
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
    // old file is replaced, and says why at once.
    qm::test::writeFile(tmp.path() / "stub.bin", randomBytes(70000, 3));
    swapper->insert("disk1");
    const std::string before = qm::test::readFile(first);
    zip.SplitPartSize = 65536;
    requests.clear();
    EXPECT_EQ(zip.Build(), result::DiskTooSmall);
    EXPECT_EQ(requests, std::vector<int>{1});
    EXPECT_TRUE(qm::test::readFile(first) == before);
    EXPECT_EQ(namesIn(swapper->folder("disk1")), std::vector<std::string>{"setup.exe"});
}

} // namespace
} // namespace qm::zip::test
