// Test and extraction with worker threads: with eight workers an archive
// gives the same result, the same events in the same order (all on the
// caller's thread) and the same files, permissions and times as with one,
// whatever it holds (encrypted, damaged, names stored twice, split and
// spanned sets) and however the run ends (stopped half-way, the disk full),
// and no thread or half-written file is left behind. Files decoded ahead of
// a caller that is held up stay bounded, and none is made for an entry that
// the caller will skip.
#include "ZipTestUtil.h"

#include "platform/zip/ArchiveReader.h"
#include "platform/zip/ExtractFolders.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <set>
#include <thread>
#include <unistd.h>
#include <utility>

namespace qm::zip::test {
namespace {

namespace stdfs = std::filesystem;
using qm::test::TempDir;

// Every event with its arguments, one line each.
class EventLog : public ZipEvents {
public:
    std::vector<std::string> lines;
    bool otherThread = false;
    size_t mostThreads = 0;
    std::function<void(const std::string&, int)> onProgress; // after the line is written

    void DiskRequest(int disk, bool&) override { add("disk " + std::to_string(disk)); }
    void BeforeUnzip(const std::string& n, bool&) override { add("unzip " + n); }
    void BeforeTest(const std::string& n) override { add("test " + n); }
    void FileSkipped(const std::string& n, const std::string& s, const std::string& t, int r) override
    {
        add("skip " + n + " | " + s + " | " + t + " | " + std::to_string(r));
    }
    void FileProgress(const std::string& n, int p) override
    {
        add("file " + n + " " + std::to_string(p));
        if (onProgress)
            onProgress(n, p);
    }
    void TotalProgress(int p) override
    {
        add("total " + std::to_string(p));
        mostThreads = std::max(mostThreads, threadCount());
    }
    void OperationDone(int r) override { add("done " + std::to_string(r)); }
    void Warning(const std::string& n, int c) override { add("warning " + n + " " + std::to_string(c)); }

private:
    void add(std::string line)
    {
        otherThread = otherThread || std::this_thread::get_id() != caller_;
        lines.push_back(std::move(line));
    }
    std::thread::id caller_ = std::this_thread::get_id();
};

std::string firstDifference(const std::vector<std::string>& a, const std::vector<std::string>& b)
{
    for (size_t i = 0; i < std::max(a.size(), b.size()); ++i) {
        std::string x = i < a.size() ? a[i] : "(none)", y = i < b.size() ? b[i] : "(none)";
        if (x != y)
            return "event " + std::to_string(i) + ": one worker \"" + x + "\", eight \"" + y + "\"";
    }
    return "";
}

// The paths where two trees differ, with what each holds (cut short).
std::string differences(const std::map<std::string, std::string>& a, const std::map<std::string, std::string>& b)
{
    std::string d;
    auto shortly = [](const std::map<std::string, std::string>& m, const std::string& k) {
        auto it = m.find(k);
        return it == m.end() ? std::string("(none)") : it->second.substr(0, 40);
    };
    std::set<std::string> keys;
    for (auto& [k, v] : a)
        keys.insert(k);
    for (auto& [k, v] : b)
        keys.insert(k);
    for (const std::string& k : keys)
        if (shortly(a, k) != shortly(b, k) || a.count(k) != b.count(k) || (a.count(k) && a.at(k) != b.at(k)))
            d += k + ": one worker \"" + shortly(a, k) + "\", eight \"" + shortly(b, k) + "\"\n";
    return d;
}

// The unnamed files in `folder` that this process holds open.
struct Unnamed {
    size_t files = 0;
    uint64_t bytes = 0;
    bool operator==(const Unnamed&) const = default;
};
Unnamed unnamedIn(const stdfs::path& folder)
{
    Unnamed u;
    const std::string in = folder.string() + "/", gone = " (deleted)";
    for (const auto& fd : stdfs::directory_iterator("/proc/self/fd")) {
        std::error_code ec;
        const std::string to = stdfs::read_symlink(fd.path(), ec).string();
        struct stat st {};
        if (!ec && to.rfind(in, 0) == 0 && to.size() > in.size() + gone.size() &&
            to.compare(to.size() - gone.size(), gone.size(), gone) == 0 && ::stat(fd.path().c_str(), &st) == 0) {
            ++u.files;
            u.bytes += uint64_t(st.st_size);
        }
    }
    return u;
}

// Those once the workers have gone as far as they may: every other thread
// asleep and nothing changed for a while.
Unnamed settledUnnamedIn(const stdfs::path& folder)
{
    auto othersAsleep = [] {
        const std::string self = std::to_string(::gettid());
        for (const auto& t : stdfs::directory_iterator("/proc/self/task")) {
            const std::string stat = qm::test::readFile(t.path() / "stat");
            const size_t end = stat.rfind(')');
            if (t.path().filename() != self && end != std::string::npos && end + 2 < stat.size() &&
                stat[end + 2] != 'S')
                return false;
        }
        return true;
    };
    Unnamed last{SIZE_MAX, 0};
    for (int still = 0, round = 0; still < 25 && round < 5000; ++round) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        const Unnamed now = unnamedIn(folder);
        still = othersAsleep() && now == last ? still + 1 : 0;
        last = now;
    }
    return last;
}

struct Outcome {
    int result = -1;
    std::vector<std::string> events;
    std::map<std::string, std::string> tree; // what each path below the folder is
    bool otherThread = false;
    size_t mostThreads = 0;
};

class ZipParallelRead : public ::testing::Test {
protected:
    void SetUp() override
    {
        src = tmp.path() / "src";
        out = tmp.path() / "out";
        files["empty.txt"] = "";
        files["noise.bin"] = randomBytes(700000);            // stored: several chunks
        files["long.txt"] = textBytes(3000000, 4);          // past what is made under its own name
        files["docs/report.doc"] = textBytes(300000, 5) + randomBytes(200000, 6);
        files["docs/na\xc3\xafve.txt"] = "unicode";
        for (int i = 0; i < 300; ++i) // more small files than the workers look ahead
            files["many/f" + std::to_string(i) + ".txt"] = textBytes(size_t(i * 37 % 3000), unsigned(i));
        makeFiles(src, files);
        // Folders keep a time of their own, so that it can be told from one made now.
        for (const char* d : {"", "docs", "many"}) {
            struct timespec ts[2] = {{1500000000, 0}, {1500000000, 0}};
            ::utimensat(AT_FDCWD, (src / d).c_str(), ts, 0);
        }
    }
    stdfs::path build(const std::string& name, const std::string& password = "", int64_t split = 0)
    {
        stdfs::path a = tmp.path() / name;
        PavikZip z;
        z.ArchivePath = win(a);
        z.SourceFolder = win(src);
        z.Password = password;
        z.SplitPartSize = split;
        z.HeaderSet = 1;
        EXPECT_EQ(z.Build(), result::Ok);
        return a;
    }
    // Every path below `root`: its kind, permissions and times, and a file's
    // content. A folder's time counts only when it came from the archive.
    static std::map<std::string, std::string> facts(const stdfs::path& root)
    {
        std::map<std::string, std::string> m;
        if (!stdfs::exists(root))
            return m;
        for (auto it = stdfs::recursive_directory_iterator(root); it != stdfs::recursive_directory_iterator(); ++it) {
            struct stat st {};
            ::lstat(it->path().c_str(), &st);
            std::string f = (S_ISDIR(st.st_mode) ? "folder " : S_ISREG(st.st_mode) ? "file " : "other ") +
                            std::to_string(st.st_mode & 07777) + " ";
            if (S_ISDIR(st.st_mode))
                f += st.st_mtime < 1600000000 ? std::to_string(st.st_mtime) : "now";
            else
                f += std::to_string(st.st_mtime) + " " + std::to_string(st.st_atime) + " " +
                     qm::test::readFile(it->path());
            m[it->path().lexically_relative(root).generic_string()] = f;
        }
        return m;
    }
    Outcome run(int workers, const std::function<int(PavikZip&, EventLog&)>& op)
    {
        stdfs::remove_all(out);
        if (prepare)
            prepare();
        const size_t threadsBefore = threadCount();
        Outcome o;
        {
            PavikZip z;
            z.Workers = workers;
            z.ExtractFolder = win(out);
            EventLog log;
            z.addEventSink(&log);
            o.result = op(z, log);
            o.events = log.lines;
            o.otherThread = log.otherThread;
            o.mostThreads = log.mostThreads;
        }
        EXPECT_EQ(threadCount(), threadsBefore) << "a thread was left behind";
        o.tree = facts(out);
        return o;
    }
    // Runs `op` with one worker and with eight: both must come out alike.
    Outcome expectAlike(const std::function<int(PavikZip&, EventLog&)>& op)
    {
        Outcome one = run(1, op);
        Outcome eight = run(8, op);
        EXPECT_EQ(eight.result, one.result);
        EXPECT_EQ(eight.events, one.events) << firstDifference(one.events, eight.events);
        EXPECT_TRUE(eight.tree == one.tree) << differences(one.tree, eight.tree);
        EXPECT_FALSE(one.otherThread);
        EXPECT_FALSE(eight.otherThread);
        return eight;
    }
    static std::function<int(PavikZip&, EventLog&)> extracting(const stdfs::path& archive,
                                                              const std::string& password = "")
    {
        return [=](PavikZip& z, EventLog&) {
            z.ArchivePath = win(archive);
            z.Password = password;
            return z.Extract();
        };
    }
    static std::function<int(PavikZip&, EventLog&)> testing(const stdfs::path& archive,
                                                           const std::string& password = "")
    {
        return [=](PavikZip& z, EventLog&) {
            z.ArchivePath = win(archive);
            z.Password = password;
            return z.Test();
        };
    }
    std::map<std::string, std::string> extractedFiles() const { return filesBelow(out); }

    TempDir tmp{"qm-zip-pread"};
    stdfs::path src, out;
    std::map<std::string, std::string> files;
    std::function<void()> prepare; // fills `out` before each run
};

TEST_F(ZipParallelRead, TestAndExtractionGiveWhatOneWorkerGives)
{
    const stdfs::path a = build("plain.zip");
    Outcome t = expectAlike(testing(a));
    EXPECT_EQ(t.result, result::Ok);
    EXPECT_GT(t.mostThreads, 1u); // the workers did run
    Outcome x = expectAlike(extracting(a));
    EXPECT_EQ(x.result, result::Ok);
    EXPECT_GT(x.mostThreads, 1u);
    EXPECT_EQ(extractedFiles(), files);
    const std::string docs = x.tree.at("docs");
    EXPECT_EQ(docs.substr(docs.rfind(' ') + 1), "1500000000"); // the folder's own time

    // Only some of the entries, without their folders.
    expectAlike([&](PavikZip& z, EventLog& log) {
        z.FileMask = "many\\f1*.txt|long.txt";
        z.KeepFolderNames = false;
        return extracting(a)(z, log);
    });
}

TEST_F(ZipParallelRead, FilesInTheWaySkipRulesAndSkipsAskedForComeOutAlike)
{
    const stdfs::path a = build("plain.zip");
    prepare = [&] {
        makeFiles(out, {{"noise.bin", "older"}, {"long.txt", "older"}, {"many/f3.txt", "newer"},
                        {"many/f5.txt/", ""}}); // a folder where a file goes
        struct timespec old[2] = {{1000000000, 0}, {1000000000, 0}};
        ::utimensat(AT_FDCWD, (out / "noise.bin").c_str(), old, 0);
        ::utimensat(AT_FDCWD, (out / "long.txt").c_str(), old, 0);
        struct timespec later[2] = {{2000000000, 0}, {2000000000, 0}};
        ::utimensat(AT_FDCWD, (out / "many/f3.txt").c_str(), later, 0);
    };
    for (int rule = 0; rule < 4; ++rule) {
        SCOPED_TRACE(rule);
        Outcome x = expectAlike([&](PavikZip& z, EventLog& log) {
            z.SkipWhenExisting = rule == 1;
            z.SkipWhenMissing = rule == 2;
            z.SkipWhenOlderDate = rule == 3;
            ZipEventHandlers skip;
            skip.onBeforeUnzip = [](const std::string& name, bool& s) {
                s = name.size() > 5 && name.compare(name.size() - 5, 5, "3.txt") == 0;
            };
            z.addEventSink(&skip);
            int r = extracting(a)(z, log);
            z.removeEventSink(&skip);
            return r;
        });
        EXPECT_EQ(x.result, result::EntriesNotWritten); // the folder in the way
    }
}

TEST_F(ZipParallelRead, EncryptedArchivesWithTheRightAWrongAndNoPassword)
{
    const stdfs::path a = build("locked.zip", "secret pw");
    for (const char* password : {"secret pw", "wrong", ""}) {
        SCOPED_TRACE(password);
        Outcome t = expectAlike(testing(a, password));
        Outcome x = expectAlike(extracting(a, password));
        EXPECT_EQ(t.result == result::Ok, std::string(password) == "secret pw");
        EXPECT_EQ(x.result, t.result);
    }
    expectAlike(extracting(a, "secret pw"));
    EXPECT_EQ(extractedFiles(), files);
}

TEST_F(ZipParallelRead, DamagedEntriesAreFoundAtTheSamePlaces)
{
    const stdfs::path a = build("plain.zip");
    std::string bytes = qm::test::readFile(a);
    {
        // The data of the large stored entry well inside it, the local
        // header of a small one, and the middle of another one's data.
        ArchiveReader r;
        r.open(a);
        for (const ArchiveEntry& e : r.entries()) {
            const uint64_t data = r.readLocal(e).dataOffset;
            if (e.name() == "noise.bin")
                bytes[data + 400000] ^= 0x55;
            else if (e.name() == "many/f17.txt")
                bytes[e.localOffset] = 'X';
            else if (e.name() == "many/f200.txt")
                bytes[data + e.compressedSize / 2] ^= 0x10;
        }
    }
    const stdfs::path damaged = tmp.path() / "damaged.zip";
    qm::test::writeFile(damaged, bytes);

    Outcome t = expectAlike(testing(damaged));
    EXPECT_EQ(t.result, result::DataError);
    Outcome x = expectAlike(extracting(damaged));
    EXPECT_EQ(x.result, result::DataError);
    EXPECT_FALSE(stdfs::exists(out / "noise.bin"));
    EXPECT_FALSE(stdfs::exists(out / "many/f17.txt"));
    EXPECT_EQ(qm::test::readFile(out / "long.txt"), files["long.txt"]);
}

TEST_F(ZipParallelRead, NamesStoredTwiceAndUnsafeNamesAreSkippedAlike)
{
    std::vector<RawEntry> entries;
    for (int i = 0; i < 60; ++i)
        entries.push_back(
            {"dir/f" + std::to_string(i % 20) + (i >= 40 ? ".TXT" : ".txt"), textBytes(900, unsigned(i))});
    entries.push_back({"../escape.txt", "out of bounds"});
    entries.push_back({"dir\\f3.txt", "backslash form of a name seen before"});
    entries.push_back({"last.txt", textBytes(5000)});
    const stdfs::path a = tmp.path() / "twice.zip";
    qm::test::writeFile(a, rawZip(entries));
    Outcome t = expectAlike(testing(a));
    EXPECT_EQ(t.result, result::Ok);
    Outcome x = expectAlike(extracting(a));
    EXPECT_EQ(x.result, result::UnsafeEntries);
    EXPECT_EQ(qm::test::readFile(out / "dir/f3.txt"), textBytes(900, 3)); // the first one stays
    EXPECT_FALSE(stdfs::exists(tmp.path() / "escape.txt"));
}

TEST_F(ZipParallelRead, SplitAndSpannedSetsAreReadAlike)
{
    const stdfs::path split = build("set.zip", "", 65536);
    ASSERT_TRUE(stdfs::exists(tmp.path() / "set.z01"));
    EXPECT_EQ(expectAlike(testing(split)).result, result::Ok);
    EXPECT_EQ(expectAlike(extracting(split)).result, result::Ok);
    EXPECT_EQ(extractedFiles(), files);

    // The same set on the disks of a removable drive, asked for one by one.
    DiskSwapper disks(tmp.path() / "media");
    int count = 0;
    for (const auto& e : stdfs::directory_iterator(tmp.path()))
        if (e.path().stem() == "set")
            ++count;
    for (int d = 1; d <= count; ++d) {
        char part[16];
        std::snprintf(part, sizeof part, d == count ? "set.zip" : "set.z%02d", d);
        stdfs::create_directories(disks.folder("disk" + std::to_string(d)));
        stdfs::copy_file(tmp.path() / part, disks.folder("disk" + std::to_string(d)) / "set.zip");
    }
    auto spanned = [&](bool test) {
        return [&, test](PavikZip& z, EventLog&) {
            ZipEventHandlers swap;
            swap.onDiskRequest = [&](int disk, bool& ready) {
                disks.insert("disk" + std::to_string(disk == 0 ? count : disk));
                ready = true;
            };
            z.addEventSink(&swap);
            z.ArchivePath = "A:\\set.zip";
            disks.insert("disk1");
            int r = test ? z.Test() : z.Extract();
            z.removeEventSink(&swap);
            return r;
        };
    };
    Outcome t = expectAlike(spanned(true));
    EXPECT_EQ(t.result, result::Ok);
    EXPECT_EQ(t.events.front(), "disk 0");
    EXPECT_EQ(expectAlike(spanned(false)).result, result::Ok);
    EXPECT_EQ(extractedFiles(), files);
}

TEST_F(ZipParallelRead, AStopHalfWayLeavesTheSameWholeFilesAndNothingElse)
{
    const stdfs::path a = build("plain.zip");
    for (bool test : {true, false}) {
        SCOPED_TRACE(test ? "test" : "extract");
        Outcome o = expectAlike([&](PavikZip& z, EventLog& log) {
            int finished = 0;
            log.onProgress = [&](const std::string&, int p) {
                if (p == 100 && ++finished == 150)
                    z.AbortRequested = true;
            };
            z.ArchivePath = win(a);
            return test ? z.Test() : z.Extract();
        });
        EXPECT_EQ(o.result, result::UserAbort);
        if (!test) {
            size_t made = 0;
            for (const auto& [path, what] : o.tree)
                made += what.rfind("file ", 0) == 0;
            EXPECT_EQ(made, 150u); // the files finished before the stop, and no temporary one
        }
    }
}

TEST_F(ZipParallelRead, WritesKeptOnTheCallersThreadAndAFullDiskComeOutAlike)
{
    const stdfs::path a = build("plain.zip");
    // With the test hook on writes the workers keep small files in memory.
    Outcome x = expectAlike([&](PavikZip& z, EventLog& log) {
        IoFaults none;
        none.beforeWrite = [](const stdfs::path&, uint64_t, size_t) { return 0; };
        z.setIoFaultsForTesting(none);
        return extracting(a)(z, log);
    });
    EXPECT_EQ(x.result, result::Ok);
    EXPECT_EQ(extractedFiles(), files);

    std::thread::id caller = std::this_thread::get_id();
    bool elsewhere = false;
    IoFaults full;
    full.beforeWrite = [&](const stdfs::path&, uint64_t offset, size_t n) {
        elsewhere = elsewhere || std::this_thread::get_id() != caller;
        return offset + n > 600000 ? ENOSPC : 0;
    };
    Outcome f = expectAlike([&](PavikZip& z, EventLog& log) {
        z.setIoFaultsForTesting(full);
        return extracting(a)(z, log);
    });
    EXPECT_EQ(f.result, result::DiskFull);
    EXPECT_FALSE(elsewhere);
}

TEST_F(ZipParallelRead, ANameHoldsItsOldFileOrNothingUntilTheNewOneIsWhole)
{
    const stdfs::path a = build("plain.zip");
    prepare = [&] { makeFiles(out, {{"docs/report.doc", "old"}}); };
    std::vector<std::string> early; // names that held something else while their entry was written
    expectAlike([&](PavikZip& z, EventLog& log) {
        log.onProgress = [&](const std::string& name, int p) {
            std::string rel = name;
            std::replace(rel.begin(), rel.end(), '\\', '/');
            if (p == 0 || p == 100 || !stdfs::exists(out / rel))
                return;
            const std::string now = qm::test::readFile(out / rel);
            if (now != files[rel] && !(rel == "docs/report.doc" && now == "old"))
                early.push_back(rel + " at " + std::to_string(p) + " %");
        };
        return extracting(a)(z, log);
    });
    EXPECT_TRUE(early.empty()) << early.front();
    EXPECT_EQ(extractedFiles(), files);
}

TEST_F(ZipParallelRead, AnEntryOfAMethodNotKnownHereIsSkippedAndLeavesNoFile)
{
    std::vector<RawEntry> entries;
    std::map<std::string, std::string> written;
    for (int i = 0; i < 40; ++i) {
        entries.push_back({"f" + std::to_string(i) + ".txt", textBytes(3000, unsigned(i))});
        written[entries.back().name] = entries.back().data;
    }
    // Bytes of a method the control does not decode, stored as they are.
    entries.insert(entries.begin() + 20, RawEntry{"packed.bin", randomBytes(300000), 14});
    const stdfs::path a = tmp.path() / "method.zip";
    qm::test::writeFile(a, rawZip(entries));
    Outcome x = expectAlike(extracting(a));
    EXPECT_EQ(x.result, result::UnsupportedMethod);
    EXPECT_EQ(extractedFiles(), written); // and no temporary file
    EXPECT_EQ(std::count(x.events.begin(), x.events.end(),
                         "skip packed.bin | " + win(a) + " | " + win(out / "packed.bin") + " | " +
                             std::to_string(skip::UnsupportedMethod)),
              1);
}

// The caller is held up at its first file, while the workers go on.
TEST_F(ZipParallelRead, FilesAheadOfTheCallerAreBoundedAndNoneIsMadeForAnEntryItSkips)
{
    {
        Fd dir(::open(tmp.path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (!unnamedFilesWork(dir.fd))
            GTEST_SKIP() << "no unnamed files can be made here";
    }
    std::vector<RawEntry> entries;
    std::map<std::string, std::string> old;
    const uint64_t whole = uint64_t(40) << 20;
    for (int i = 0; i < 40; ++i) {
        entries.push_back({"f" + std::to_string(i) + ".bin", std::string(1 << 20, char('a' + i % 26))});
        if (i < 39)
            old[entries.back().name] = "old";
    }
    const stdfs::path a = tmp.path() / "ahead.zip";
    qm::test::writeFile(a, rawZip(entries));
    auto aheadOfFirstFile = [&](bool skipExisting) {
        Unnamed ahead;
        bool first = true;
        Outcome o = run(2, [&](PavikZip& z, EventLog& log) {
            log.onProgress = [&](const std::string&, int) {
                if (std::exchange(first, false))
                    ahead = settledUnnamedIn(out);
            };
            z.SkipWhenExisting = skipExisting;
            return extracting(a)(z, log);
        });
        EXPECT_EQ(o.result, result::Ok);
        return ahead;
    };
    // Well short of the whole archive.
    EXPECT_LT(aheadOfFirstFile(false).bytes, whole / 2);
    // All but the last file are there and kept: only the last one is made.
    prepare = [&] { makeFiles(out, old); };
    EXPECT_LE(aheadOfFirstFile(true).files, 1u);
    EXPECT_EQ(qm::test::readFile(out / "f0.bin"), "old");
}

// A small file system of its own is mounted only as root; the write faults
// above stand for a full disk elsewhere.
TEST_F(ZipParallelRead, WhatOneWorkerWritesOnANearlyFullDiskAnyNumberWrite)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "a small file system is mounted only as root";
    const stdfs::path small = tmp.path() / "small";
    stdfs::create_directories(small);
    if (::mount("qm-zip-full", small.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, "size=8m") != 0)
        GTEST_SKIP() << "no small file system could be mounted here";
    struct Unmount {
        stdfs::path at;
        ~Unmount() { ::umount2(at.c_str(), MNT_DETACH); }
    } unmount{small};

    // Files that do not shrink, over old copies of theirs: besides those the
    // disk holds little more than one of them.
    std::vector<RawEntry> entries;
    std::map<std::string, std::string> old;
    for (int i = 0; i < 6; ++i) {
        entries.push_back({"f" + std::to_string(i) + ".bin", randomBytes(1 << 20, unsigned(i))});
        old[entries.back().name] = randomBytes(1 << 20, unsigned(i + 10));
    }
    const stdfs::path a = tmp.path() / "full.zip";
    qm::test::writeFile(a, rawZip(entries));
    out = small / "out";
    prepare = [&] { makeFiles(out, old); };
    EXPECT_EQ(expectAlike(extracting(a)).result, result::Ok);
    EXPECT_TRUE(qm::test::readFile(out / "f5.bin") == entries[5].data);
}

} // namespace
} // namespace qm::zip::test
