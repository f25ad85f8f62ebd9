// How split sets are put in place and what is left of them settled: a set
// kept aside while another program makes it anew, builds of one archive at
// once, another program's change while a set takes its place, copies past a
// gap, a file in the way, no room for a mark, another account's listing
// while a set is put in place, and a set copied over an older copy of it.
#include "ZipVolumeFixture.h"

#include "platform/zip/LeftAside.h"
#include "platform/zip/SetCopy.h"

#include <chrono>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace qm::zip::test {
namespace {

// A set kept aside while another program makes it anew (KeptSet: the ACE
// backup around WinAce). That program's build puts its parts in the free
// places under the cover of the keepers, and marks only the place the old
// set did not have. Whatever it did, killed before any of its renames and
// removals or done, a failure brings the old set back whole with nothing
// beside it; a success leaves the new set alone.
TEST_F(ZipVolumes, ASetKeptAsideWhileAnotherProgramMakesItAnewIsReplacedOrComesBackWhole)
{
    const stdfs::path last = sets / "backup.zip";
    zip.Workers = 1; // no threads to fork across
    const std::map<std::string, std::string> old = splitSet(last);
    makeFiles(src, {{"added.bin", randomBytes(70000, 12)}}); // a part more
    {
        KeptSet kept(win(last));
        ASSERT_TRUE(kept.holds());
        EXPECT_TRUE(namesIn(sets) == (std::vector<std::string>{".backup.zip.previous", ".backup.zip.z01.previous",
                                                                ".backup.zip.z02.previous", ".backup.zip.z03.previous",
                                                                ".backup.zip.z04.previous"}));
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
    zip.Workers = 1;
    const std::map<std::string, std::string> old = splitSet(last);
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
    const std::map<std::string, std::string> old = splitSet(last);
    makeFiles(src, {{"added.bin", randomBytes(70000, 12)}});
    int seen = 0;
    IoFaults f;
    f.beforeNameChange = [&](const stdfs::path& p) {
        if (p == last && ++seen == 2) // the new last part is about to take its name
            stdfs::rename(sets / ".backup.zip.z01.previous", sets / "backup.z01");
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
    const std::map<std::string, std::string> old = splitSet(last);
    ASSERT_EQ(old.size(), 5u); // backup.z01 to .z04 and the last part
    stdfs::rename(last, sets / ".backup.zip.previous");
    for (const char* part : {"backup.z06", "backup.z07"}) {
        qm::test::writeFile(sets / part, randomBytes(65536, 3));
        qm::test::writeFile(sets / asideName("backup.zip", part), "");
    }
    EXPECT_EQ(zip.ListEntries(), result::Ok);
    EXPECT_TRUE(snapshot(sets) == old) << "the set that came back differs";

    qm::test::writeFile(sets / ".backup.zip.z06.previous", "");
    EXPECT_EQ(zip.ListEntries(), result::Ok);
    EXPECT_TRUE(snapshot(sets) == old);
    qm::test::writeFile(sets / ".backup.zip.z06.previous", "");
    makeFiles(src, {{"more.bin", randomBytes(200000, 4)}});
    EXPECT_EQ(zip.Build(), result::Ok);
    EXPECT_EQ(zip.Test(), result::Ok);
}

// A set copied over an older, shorter copy of it (Send): killed just before
// any of its renames and removals, or failing on the way, the copy leaves
// the old set or the new one whole after the next command, nothing else.
TEST_F(ZipVolumes, ASetCopiedOverAnOlderCopyIsTheOldOrTheNewOneWhateverStopsIt)
{
    const stdfs::path copy = tmp.path() / "copy";
    stdfs::create_directories(copy);
    const std::map<std::string, std::string> old = splitSet(copy / "backup.zip");
    makeFiles(src, {{"added.bin", randomBytes(70000, 12)}}); // a part more
    const std::map<std::string, std::string> made = splitSet(sets / "backup.zip");
    ASSERT_GT(made.size(), old.size());
    const SetFiles set = setFilesOf(sets / "backup.zip");
    PavikZip reader;
    reader.ArchivePath = win(copy / "backup.zip");
    int at = 0;
    for (;; ++at) {
        lay(copy, old);
        const bool killed = killedBeforeNameChange(at, [&](const IoFaults& f) { copySet(set, win(copy), &f); });
        ASSERT_EQ(reader.ListEntries(), result::Ok) << at;
        const std::map<std::string, std::string> now = snapshot(copy);
        EXPECT_TRUE(now == old || now == made) << "killed at step " << at;
        if (!killed)
            break;
    }
    EXPECT_EQ(at, 18); // as a build: five old files aside and a free place marked, six in place, six dropped
    EXPECT_TRUE(snapshot(sets) == made); // the source is never changed

    // A write that fails on any part: the copy says which, and leaves the old set alone.
    for (const uint64_t failAt : {uint64_t(0), uint64_t(65536 * 3)}) {
        lay(copy, old);
        uint64_t written = 0;
        IoFaults full;
        full.beforeWrite = [&](const stdfs::path&, uint64_t, size_t n) {
            written += n;
            return written > failAt ? ENOSPC : 0;
        };
        try {
            copySet(set, win(copy), &full);
            ADD_FAILURE() << "the copy did not fail";
        } catch (const SetCopyFailure& e) {
            EXPECT_EQ(e.number, qm::rterr::DiskFull);
            EXPECT_EQ(e.file, win(sets / (failAt == 0 ? "backup.z01" : "backup.z04"))) << e.description;
        }
        EXPECT_TRUE(snapshot(copy) == old) << failAt;
    }
    // Over itself it goes nowhere.
    EXPECT_THROW(copySet(set, win(sets)), SetCopyFailure);
    EXPECT_TRUE(snapshot(sets) == made);
}

// Two writers of one set into one folder at once, among Send's copy of a
// set, a split build and a build of one file: where the second comes to put
// its archive in place at any step of the first's (here, just before each of
// the first's changes of a name), one of them changes nothing and says that
// another copy is being written there, or was meanwhile, and the other's
// set stands whole, with nothing beside it.
TEST_F(ZipVolumes, OfTwoWritersOfOneSetAtOnceOneSetStandsWhole)
{
    stdfs::remove(src / "noise.bin"); // fewer parts, the same steps
    const stdfs::path copy = tmp.path() / "copy";
    const stdfs::path last = copy / "backup.zip";
    stdfs::create_directories(copy);
    const std::map<std::string, std::string> old = splitSet(last);
    makeFiles(src, {{"added.bin", randomBytes(70000, 12)}});
    splitSet(sets / "backup.zip");
    const SetFiles set = setFilesOf(sets / "backup.zip");
    enum Writer { Copy, SplitBuild, SingleBuild };
    PavikZip builds[2];
    for (PavikZip& b : builds) {
        b.ArchivePath = win(last);
        b.SourceFolder = win(src);
        b.Workers = 1;
    }
    // Its result: a code, as a build gives one.
    auto write = [&](Writer w, PavikZip& b, const IoFaults* f) {
        if (w == Copy) {
            try {
                copySet(set, win(copy), f);
                return int(result::Ok);
            } catch (const SetCopyFailure& e) {
                EXPECT_TRUE(e.left == SetCopyFailure::Left::OtherCopy) << e.description;
                return e.description.find("being written") != std::string::npos ? int(result::ArchiveBeingWritten)
                                                                                 : int(result::ArchiveReplaced);
            }
        }
        b.SplitPartSize = w == SplitBuild ? 65536 : 0;
        b.FileMask = w == SplitBuild ? "*" : "text.txt";
        b.setIoFaultsForTesting(f ? *f : IoFaults{});
        const int r = b.Build(true);
        b.setIoFaultsForTesting({});
        return r;
    };
    std::map<Writer, std::map<std::string, std::string>> made;
    for (const Writer w : {Copy, SplitBuild, SingleBuild}) {
        lay(copy, old);
        ASSERT_EQ(write(w, builds[0], nullptr), result::Ok);
        made[w] = snapshot(copy);
    }
    ASSERT_EQ(made[SingleBuild].size(), 1u); // the old parts went with the set
    const std::pair<Writer, Writer> pairs[] = {
        {Copy, Copy}, {Copy, SplitBuild}, {SplitBuild, Copy}, {SplitBuild, SingleBuild}, {SingleBuild, Copy}};
    for (const auto& [first, second] : pairs) {
        SCOPED_TRACE("writers " + std::to_string(first) + " and " + std::to_string(second));
        int at = 0, firstStood = 0;
        for (;; ++at) {
            lay(copy, old);
            int seen = 0, secondGave = -1;
            IoFaults f;
            f.beforeNameChange = [&](const stdfs::path&) {
                if (seen++ == at)
                    secondGave = write(second, builds[1], nullptr);
            };
            const int firstGave = write(first, builds[0], &f);
            if (secondGave < 0)
                break;
            const std::map<std::string, std::string> now = snapshot(copy);
            if (firstGave == result::Ok) {
                EXPECT_EQ(secondGave, result::ArchiveBeingWritten) << at;
                EXPECT_TRUE(now == made[first]) << "step " << at;
                ++firstStood;
            } else {
                EXPECT_TRUE(firstGave == result::ArchiveBeingWritten || firstGave == result::ArchiveReplaced)
                    << firstGave << " at " << at;
                EXPECT_EQ(secondGave, result::Ok) << at;
                EXPECT_TRUE(now == made[second]) << "step " << at;
            }
        }
        // Only a build of one file that has not held the name yet leaves it to the second.
        EXPECT_EQ(firstStood, first == SingleBuild ? at - 1 : at);
        EXPECT_GE(at, 2);
    }

    // One that began before the other's set stood, or before a part of the
    // set it began with was changed, comes after it and leaves it so.
    lay(copy, old);
    IoFaults copying;
    bool built = false;
    copying.beforeWrite = [&](const stdfs::path&, uint64_t, size_t) {
        if (!built)
            built = write(SplitBuild, builds[1], nullptr) == result::Ok;
        return 0;
    };
    EXPECT_EQ(write(Copy, builds[0], &copying), result::ArchiveReplaced);
    EXPECT_TRUE(built);
    EXPECT_TRUE(snapshot(copy) == made[SplitBuild]);
    for (const bool partOnly : {false, true}) {
        lay(copy, old);
        ZipEventHandlers meanwhile;
        bool changed = false;
        meanwhile.onFileProgress = [&](const std::string&, int) {
            if (changed)
                return;
            if (partOnly)
                qm::test::writeFile(copy / "backup.z01", old.at("backup.z01") + "x");
            else
                EXPECT_EQ(write(Copy, builds[1], nullptr), result::Ok);
            changed = true;
        };
        builds[0].addEventSink(&meanwhile);
        EXPECT_EQ(write(SplitBuild, builds[0], nullptr), result::ArchiveReplaced) << partOnly;
        builds[0].removeEventSink(&meanwhile);
        std::map<std::string, std::string> expected = partOnly ? old : made[Copy];
        if (partOnly)
            expected["backup.z01"] += "x";
        EXPECT_TRUE(snapshot(copy) == expected) << partOnly;
    }
}

// A build of one file holds the archive's name by a mark while it renames
// its archive over the old one (or over a set whose parts then go). Killed
// at either change of a name, it leaves the old archive or the new one, and
// the next command drops the mark, also beside a file that is no archive.
TEST_F(ZipVolumes, ABuildOfOneFileKilledWhileItHoldsTheNameLeavesNoMark)
{
    const stdfs::path last = sets / "backup.zip";
    const std::map<std::string, std::string> set = splitSet(last);
    zip.SplitPartSize = 0;
    ASSERT_EQ(zip.Build(true), result::Ok);
    const std::map<std::string, std::string> single = snapshot(sets);
    ASSERT_EQ(single.size(), 1u); // the old set's parts went with it
    for (const std::map<std::string, std::string>& before : {set, single}) {
        int at = 0;
        for (;; ++at) {
            lay(sets, before);
            const bool killed = killedBeforeNameChange(at, [&](const IoFaults& f) {
                zip.setIoFaultsForTesting(f);
                zip.Build(true);
            });
            zip.setIoFaultsForTesting({});
            settleLeftAside(win(last), Settler::Reading);
            const std::map<std::string, std::string> now = snapshot(sets);
            if (!killed) {
                EXPECT_TRUE(now == single);
                break;
            }
            EXPECT_TRUE(now == single || (at == 0 && now == before)) << "killed at step " << at;
        }
        EXPECT_EQ(at, 2); // the name marked, the mark dropped
    }
    // Killed between the mark and the rename, over a file that is no archive.
    const std::map<std::string, std::string> noArchive{{"backup.zip", "no archive"}};
    lay(sets, noArchive);
    qm::test::writeFile(sets / ".backup.zip.previous", "");
    settleLeftAside(win(last), Settler::Reading);
    EXPECT_TRUE(snapshot(sets) == noArchive);
}

// A copy of a set killed at any step (a part's copy begun, a change of a
// name) and sent again at once: the new copy settles what the killed one
// left and puts the set in place whole, with nothing beside it, every part
// with the times of its source.
TEST_F(ZipVolumes, ASetCopyKilledAtAnyStepAndSentAgainAtOnceStandsWhole)
{
    stdfs::remove(src / "noise.bin"); // fewer parts, the same steps
    const stdfs::path copy = tmp.path() / "copy";
    stdfs::create_directories(copy);
    const std::map<std::string, std::string> old = splitSet(copy / "backup.zip");
    makeFiles(src, {{"added.bin", randomBytes(70000, 12)}});
    const std::map<std::string, std::string> made = splitSet(sets / "backup.zip");
    const auto then = stdfs::file_time_type::clock::now() - std::chrono::hours(50);
    for (const auto& [name, bytes] : made)
        stdfs::last_write_time(sets / name, then + std::chrono::seconds(name.size()));
    const SetFiles set = setFilesOf(sets / "backup.zip");
    int at = 0;
    for (;; ++at) {
        lay(copy, old);
        const bool killed = killedBeforeStep(at, [&](const IoFaults& f) { copySet(set, win(copy), &f); });
        EXPECT_NO_THROW(copySet(set, win(copy))) << "killed at step " << at;
        EXPECT_TRUE(snapshot(copy) == made) << "killed at step " << at;
        if (!killed)
            break;
    }
    EXPECT_EQ(at, 12); // three parts copied; two old files aside and a free place marked, three in place, three dropped
    for (const auto& [name, bytes] : made)
        EXPECT_EQ(stdfs::last_write_time(copy / name), stdfs::last_write_time(sets / name)) << name;
}

// A file under a hidden name the placement needs, that no settle may take
// away (a link, a pipe, a folder, or a copy beside a damaged last part): the
// build fails and leaves it, and its message names it.
TEST_F(ZipVolumes, AFileInTheWayOfASetIsNamedInTheMessage)
{
    const stdfs::path last = sets / "backup.zip";
    const std::map<std::string, std::string> old = splitSet(last);
    makeFiles(src, {{"added.bin", randomBytes(70000, 12)}});
    const std::string failed = errorText(textkind::Result, result::WriteFailed);
    auto refusedFor = [&](const stdfs::path& blocker) {
        EXPECT_EQ(zip.Build(true), result::WriteFailed) << blocker;
        const std::string text = zip.ErrorText(textkind::Result, result::WriteFailed);
        EXPECT_EQ(text.rfind(failed, 0), 0u) << text;
        EXPECT_NE(text.find(win(blocker)), std::string::npos) << text;
        EXPECT_EQ(rec.done.back(), result::WriteFailed);
    };
    stdfs::create_symlink("elsewhere", sets / ".backup.zip.z01.previous");
    refusedFor(sets / ".backup.zip.z01.previous");
    EXPECT_TRUE(stdfs::is_symlink(sets / ".backup.zip.z01.previous"));
    stdfs::remove(sets / ".backup.zip.z01.previous");
    ASSERT_EQ(::mkfifo((sets / ".backup.zip.z02.previous").c_str(), 0600), 0);
    refusedFor(sets / ".backup.zip.z02.previous");
    stdfs::remove(sets / ".backup.zip.z02.previous");
    stdfs::create_directories(sets / ".backup.zip.z03.previous");
    refusedFor(sets / ".backup.zip.z03.previous");
    stdfs::remove(sets / ".backup.zip.z03.previous");
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
    const std::map<std::string, std::string> old = splitSet(last);
    makeFiles(src, {{"added.bin", randomBytes(70000, 12)}});
    IoFaults f;
    f.beforeNameChange = [&](const stdfs::path& p) {
        if (p != small / ".backup.zip.z05.previous")
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

} // namespace
} // namespace qm::zip::test
