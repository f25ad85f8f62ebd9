// Hostile archives, planted links, a stopped build and a full disk: every
// case ends with a result code, nothing is written outside the target, and
// an archive being replaced survives any failure.
#include "ZipTestUtil.h"

#include "platform/fs/OwnedTemp.h"
#include "platform/zip/EntryDecode.h"

#include <chrono>
#include <cstdio>
#include <gtest/gtest.h>
#include <random>
#include <sys/stat.h>
#include <zlib.h>

namespace qm::zip::test {
namespace {

namespace stdfs = std::filesystem;
using qm::test::TempDir;

class ZipSafety : public ::testing::Test {
protected:
    void SetUp() override
    {
        zip.addEventSink(&rec);
        out = tmp.path() / "out";
        outside = tmp.path() / "outside";
        stdfs::create_directories(outside);
    }
    int extractRaw(const std::string& bytes)
    {
        stdfs::path a = tmp.path() / "hostile.zip";
        qm::test::writeFile(a, bytes);
        zip.ArchivePath = win(a);
        zip.ExtractFolder = win(out);
        zip.FileMask = "*";
        return zip.Extract();
    }
    // Everything below the temporary folder except the archives and `out`.
    std::vector<std::string> strayFiles()
    {
        std::vector<std::string> stray;
        for (const std::string& f : allFiles(tmp.path()))
            if (f.rfind("out", 0) != 0 && f.rfind("good-src", 0) != 0 && f.find(".zip") == std::string::npos)
                stray.push_back(f);
        return stray;
    }
    std::string deflateRaw(const std::string& in)
    {
        z_stream z{};
        deflateInit2(&z, 9, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
        std::string out(deflateBound(&z, uLong(in.size())), '\0');
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
        z.avail_in = uInt(in.size());
        z.next_out = reinterpret_cast<Bytef*>(out.data());
        z.avail_out = uInt(out.size());
        deflate(&z, Z_FINISH);
        out.resize(z.total_out);
        deflateEnd(&z);
        return out;
    }
    // A raw deflate stream decoded to its end; empty when it does not decode.
    std::string inflateRaw(const std::string& in)
    {
        z_stream z{};
        inflateInit2(&z, -15);
        std::string out;
        char buf[65536];
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
        z.avail_in = uInt(in.size());
        int r = Z_OK;
        while (r == Z_OK) {
            z.next_out = reinterpret_cast<Bytef*>(buf);
            z.avail_out = sizeof buf;
            r = inflate(&z, Z_NO_FLUSH);
            out.append(buf, sizeof buf - z.avail_out);
        }
        inflateEnd(&z);
        return r == Z_STREAM_END ? out : std::string();
    }
    // A real archive of a few files, made by the control.
    std::string goodArchive()
    {
        stdfs::path src = tmp.path() / "good-src";
        makeFiles(src, {{"a.txt", textBytes(20000)}, {"b/c.bin", randomBytes(3000)}, {"d.txt", "small"}});
        PavikZip z;
        z.ArchivePath = win(tmp.path() / "good.zip");
        z.SourceFolder = win(src);
        EXPECT_EQ(z.Build(), result::Ok);
        return qm::test::readFile(tmp.path() / "good.zip");
    }

    TempDir tmp{"qm-zip-safe"};
    stdfs::path out, outside;
    PavikZip zip;
    Recorder rec;
};

TEST_F(ZipSafety, NamesThatLeaveTheFolderAreRefused)
{
    const std::string escape = "/tmp/qm-zip-escape-" + std::to_string(::getpid());
    std::vector<RawEntry> entries = {
        {"../x", "1"}, {escape, "2"}, {"C:\\x", "3"}, {"..\\x", "4"}, {"a/../../x", "5"},
        {"C:x", "6"}, {"ok/fine.txt", "7"},
    };
    EXPECT_EQ(extractRaw(rawZip(entries)), result::UnsafeEntries);
    EXPECT_EQ(qm::test::readFile(out / "ok/fine.txt"), "7");
    EXPECT_EQ(allFiles(out), (std::vector<std::string>{"ok", "ok/fine.txt"}));
    EXPECT_TRUE(strayFiles().empty());
    EXPECT_FALSE(stdfs::exists(escape));
    for (const char* n : {"..\\x", "C:\\x", "a\\..\\..\\x"})
        EXPECT_TRUE(rec.skipped(n, skip::UnsafeName)) << n;
}

TEST_F(ZipSafety, PlantedLinksAreNeverFollowed)
{
    stdfs::create_directories(out);
    stdfs::create_directory_symlink(outside, out / "sub");
    qm::test::writeFile(outside / "target.txt", "keep me");
    stdfs::create_symlink(outside / "target.txt", out / "leaf.txt");
    EXPECT_EQ(extractRaw(rawZip({{"sub/x.txt", "evil"}, {"leaf.txt", "new content"}})), result::EntriesNotWritten);
    EXPECT_TRUE(rec.skipped("sub\\x.txt", skip::LinkInPath));
    EXPECT_FALSE(stdfs::exists(outside / "x.txt"));
    // The link itself is replaced by the new file; what it pointed at stays.
    EXPECT_EQ(qm::test::readFile(outside / "target.txt"), "keep me");
    EXPECT_FALSE(stdfs::is_symlink(out / "leaf.txt"));
    EXPECT_EQ(qm::test::readFile(out / "leaf.txt"), "new content");
}

TEST_F(ZipSafety, DamagedDirectoriesGiveAnErrorCode)
{
    std::vector<RawEntry> two = {{"a.txt", "aaaa"}, {"b.txt", "bbbb"}};
    RawOptions overlap;
    overlap.pointAllAtFirst = true;
    RawOptions tooMany;
    tooMany.countOverride = 3;
    RawOptions tooFew;
    tooFew.countOverride = 1;
    RawOptions shifted;
    shifted.offsetShift = 1000;
    for (const RawOptions& o : {overlap, tooMany, tooFew, shifted}) {
        std::string bytes = rawZip(two, o);
        EXPECT_EQ(extractRaw(bytes), result::ArchiveDamaged);
        EXPECT_EQ(zip.ListEntries(), result::ArchiveDamaged);
        EXPECT_EQ(zip.Test(), result::ArchiveDamaged);
    }
    EXPECT_FALSE(stdfs::exists(out / "a.txt"));
    // An end record that claims a later disk, on a drive whose disk cannot
    // be changed: no disk is asked for, the parts are missing.
    std::string claimsDisk3 = rawZip(two);
    claimsDisk3[claimsDisk3.size() - 22 + 4] = 2;
    claimsDisk3[claimsDisk3.size() - 22 + 6] = 2;
    int asked = 0;
    ZipEventHandlers h;
    h.onDiskRequest = [&](int, bool& ready) { ++asked, ready = true; };
    zip.addEventSink(&h);
    EXPECT_EQ(extractRaw(claimsDisk3), result::PartMissing);
    EXPECT_EQ(zip.ListEntries(), result::PartMissing);
    EXPECT_EQ(asked, 0);
    zip.removeEventSink(&h);
    EXPECT_EQ(extractRaw("not an archive at all"), result::NotAnArchive);
    zip.ArchivePath = win(tmp.path() / "missing.zip");
    EXPECT_EQ(zip.ListEntries(), result::ArchiveNotFound);
}

TEST_F(ZipSafety, CommentThatLooksLikeAnEndRecordIsNotTakenForOne)
{
    // The archive comment holds a fake end record that claims a third disk.
    const std::string fake = std::string("PK\x05\x06\x02\x00\x02\x00", 8) + std::string(14, '\0') + " more text";
    RawOptions o;
    o.comment = fake;
    stdfs::path a = tmp.path() / "commented.zip";
    qm::test::writeFile(a, rawZip({{"a.txt", "aaaa"}}, o));
    zip.ArchivePath = win(a);
    EXPECT_EQ(zip.ListEntries(), result::Ok);
    EXPECT_EQ(rec.listed.size(), 1u);
    // An update keeps the comment, less the signature, so that no reader
    // can mistake it for the archive's end.
    stdfs::path src = tmp.path() / "src";
    makeFiles(src, {{"b.txt", "bbbb"}});
    zip.SourceFolder = win(src);
    ASSERT_EQ(zip.Build(), result::Ok);
    const std::string bytes = qm::test::readFile(a);
    EXPECT_EQ(bytes.rfind("PK\x05\x06"), bytes.size() - 22 - fake.size());
    rec.clear();
    EXPECT_EQ(zip.ListEntries(), result::Ok);
    EXPECT_EQ(rec.listed.size(), 2u);
}

TEST_F(ZipSafety, DeepNamesAreMatchedAgainstFolderMasksInOnePass)
{
    std::string deep;
    while (deep.size() < 65000)
        deep += "a/";
    const auto start = std::chrono::steady_clock::now();
    zip.FileMask = "docs\\*.txt";
    stdfs::path a = tmp.path() / "deep.zip";
    qm::test::writeFile(a, rawZip({{deep + "x.txt", "x"}, {"docs/a/b.txt", "b"}}));
    zip.ArchivePath = win(a);
    zip.ExtractFolder = win(out);
    EXPECT_EQ(zip.Extract(), result::Ok);
    EXPECT_EQ(allFiles(out), (std::vector<std::string>{"docs", "docs/a", "docs/a/b.txt"}));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

TEST_F(ZipSafety, UpdateKeepsNamesThatWouldNotFitAsUtf8)
{
    // 30000 code page 437 characters that each take three bytes in UTF-8.
    const std::string longName(30000, '\xb0');
    stdfs::path a = tmp.path() / "old.zip";
    qm::test::writeFile(a, rawZip({{longName, "old data"}}));
    stdfs::path src = tmp.path() / "src";
    makeFiles(src, {{"new.txt", "new"}});
    zip.ArchivePath = win(a);
    zip.SourceFolder = win(src);
    ASSERT_EQ(zip.Build(), result::Ok);
    rec.clear();
    EXPECT_EQ(zip.ListEntries(), result::Ok);
    ASSERT_EQ(rec.listed.size(), 2u);
    EXPECT_EQ(rec.listed[0].name.size(), 90000u);
    EXPECT_EQ(zip.Test(), result::Ok);
}

TEST_F(ZipSafety, TruncatedAndCorruptedArchivesNeverCrash)
{
    const std::string good = goodArchive();
    for (size_t cut = 0; cut < good.size(); cut += 53) {
        std::string bytes = good.substr(0, cut);
        EXPECT_NE(extractRaw(bytes), result::Ok) << cut;
        EXPECT_NE(zip.Test(), result::Ok) << cut;
    }
    // Data cut out of the middle: the directory no longer fits the file.
    std::string holed = good.substr(0, 100) + good.substr(400);
    EXPECT_NE(extractRaw(holed), result::Ok);

    std::mt19937 rng(42);
    for (int round = 0; round < 300; ++round) {
        std::string bytes = good;
        for (int k = 0; k < 4; ++k)
            bytes[rng() % bytes.size()] = char(rng());
        stdfs::remove_all(out);
        int r = extractRaw(bytes);
        zip.Test();
        zip.ListEntries();
        (void)r;
        for (const std::string& f : allFiles(out))
            EXPECT_EQ(f.find(".."), std::string::npos) << f;
    }
    EXPECT_TRUE(strayFiles().empty());
}

// One data byte changed in an entry the control wrote, so that the entry still
// decodes to its full size: only the CRC tells. Test and extract report
// damaged data, and extraction leaves no file, nor touches one already there.
TEST_F(ZipSafety, AFlippedDataByteIsDamagedDataAndLeavesNoFile)
{
    const std::string text = textBytes(300000);
    struct Case {
        const char* name;
        int method, level;
        std::string content;
    } cases[] = {{"stored.bin", 0, 0, randomBytes(5000)}, {"deflated.txt", 8, 6, text}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        stdfs::path src = tmp.path() / "good-src" / c.name;
        makeFiles(src, {{c.name, c.content}});
        stdfs::path archive = tmp.path() / (std::string(c.name) + ".zip");
        PavikZip z;
        z.ArchivePath = win(archive);
        z.SourceFolder = win(src);
        z.Method = c.method;
        z.Level = c.level;
        ASSERT_EQ(z.Build(), result::Ok);
        zip.ArchivePath = win(archive);
        rec.clear();
        ASSERT_EQ(zip.ListEntries(), result::Ok);
        ASSERT_EQ(rec.listed.size(), 1u);
        ASSERT_EQ(rec.listed[0].method, c.method);
        const auto packed = size_t(rec.listed[0].compressedSize);

        // The one entry's data follows its local header at the archive's start.
        std::string bytes = qm::test::readFile(archive);
        auto word = [&](size_t at) { return size_t(uint8_t(bytes[at])) | size_t(uint8_t(bytes[at + 1])) << 8; };
        const size_t data = 30 + word(26) + word(28);
        ASSERT_LE(data + packed, bytes.size());
        // A change the decoder itself cannot see: the data still decodes to
        // as many bytes as before, only other ones.
        bool found = false;
        for (size_t at = data + packed / 2; at < data + packed && !found; ++at) {
            for (int bit = 0; bit < 8 && !found; ++bit) {
                std::string changed = bytes;
                changed[at] = char(changed[at] ^ (1 << bit));
                const std::string stream = changed.substr(data, packed);
                const std::string plain = c.method == 0 ? stream : inflateRaw(stream);
                if (plain.size() == c.content.size() && plain != c.content) {
                    bytes = changed;
                    found = true;
                }
            }
        }
        ASSERT_TRUE(found);

        rec.clear();
        stdfs::remove_all(out);
        EXPECT_EQ(extractRaw(bytes), result::DataError);
        EXPECT_TRUE(rec.skipped(c.name, skip::DataError));
        EXPECT_TRUE(allFiles(out).empty());
        rec.clear();
        EXPECT_EQ(zip.Test(), result::DataError);
        EXPECT_TRUE(rec.skipped(c.name, skip::DataError));

        qm::test::writeFile(out / c.name, "kept");
        EXPECT_EQ(zip.Extract(), result::DataError);
        EXPECT_EQ(allFiles(out), std::vector<std::string>{c.name});
        EXPECT_EQ(qm::test::readFile(out / c.name), "kept");
    }
}

TEST_F(ZipSafety, OutputNeverPassesTheRecordedSize)
{
    std::string zeros(20 << 20, '\0');
    RawEntry bomb{"bomb.bin", deflateRaw(zeros), 8};
    bomb.computeCrc = false;
    bomb.crc = uint32_t(crc32(0, reinterpret_cast<const Bytef*>(zeros.data()), uInt(1000)));
    bomb.sizeOverride = 1000;
    EXPECT_EQ(extractRaw(rawZip({bomb})), result::DataError);
    EXPECT_TRUE(rec.skipped("bomb.bin", skip::DataError));
    EXPECT_TRUE(allFiles(out).empty()); // the partial file is gone
    EXPECT_EQ(zip.Test(), result::DataError);
}

TEST_F(ZipSafety, StoppedBuildLeavesTheOldArchive)
{
    stdfs::path src = tmp.path() / "src";
    std::map<std::string, std::string> files;
    for (int i = 0; i < 500; ++i)
        files["f" + std::to_string(i) + ".txt"] = textBytes(200, unsigned(i));
    makeFiles(src, files);
    stdfs::path archive = tmp.path() / "backup.zip";
    zip.ArchivePath = win(archive);
    zip.SourceFolder = win(src);
    ASSERT_EQ(zip.Build(), result::Ok);
    const std::string before = qm::test::readFile(archive);
    for (int i = 0; i < 500; ++i)
        qm::test::writeFile(src / ("f" + std::to_string(i) + ".txt"), "changed");

    // Cancel from an event handler...
    ZipEventHandlers h;
    int started = 0;
    h.onFileProgress = [&](const std::string&, int pct) {
        if (pct == 0 && ++started == 100)
            zip.AbortRequested = true;
    };
    zip.addEventSink(&h);
    EXPECT_EQ(zip.Build(), result::UserAbort);
    EXPECT_EQ(rec.done.back(), result::UserAbort);
    EXPECT_EQ(qm::test::readFile(archive), before);
    EXPECT_EQ(allFiles(tmp.path()).size(), 503u); // outside, src, its files, the archive
    zip.removeEventSink(&h);

    // ...or from the owner's yield hook, as a Cancel button does.
    int calls = 0;
    zip.setYieldHook([&] {
        if (++calls == 50)
            zip.AbortRequested = true;
    });
    EXPECT_EQ(zip.Build(), result::UserAbort);
    EXPECT_EQ(qm::test::readFile(archive), before);
    EXPECT_FALSE(zip.AbortRequested && zip.CurrentOperation() != operation::Idle);

    // The next run starts afresh.
    zip.setYieldHook(nullptr);
    EXPECT_EQ(zip.Build(), result::Ok);
}

TEST_F(ZipSafety, FullDiskLeavesTheOldArchive)
{
    stdfs::path src = tmp.path() / "src";
    makeFiles(src, {{"big.bin", randomBytes(400000)}, {"small.txt", "x"}});
    stdfs::path archive = tmp.path() / "backup.zip";
    zip.ArchivePath = win(archive);
    zip.SourceFolder = win(src);
    zip.FileMask = "small.txt";
    ASSERT_EQ(zip.Build(), result::Ok);
    const std::string before = qm::test::readFile(archive);

    IoFaults faults;
    faults.beforeWrite = [](const stdfs::path&, uint64_t offset, size_t n) {
        return offset + n > 100000 ? ENOSPC : 0;
    };
    zip.setIoFaultsForTesting(faults);
    zip.FileMask = "*";
    EXPECT_EQ(zip.Build(), result::DiskFull);
    EXPECT_EQ(qm::test::readFile(archive), before);
    EXPECT_EQ(allFiles(tmp.path()).size(), 5u); // outside, src, two files, the archive

    zip.UseTempArchive = true;
    zip.TempArchiveFolder = win(tmp.path() / "src");
    EXPECT_EQ(zip.Build(), result::DiskFull);
    EXPECT_EQ(qm::test::readFile(archive), before);
    EXPECT_EQ(allFiles(tmp.path()).size(), 5u);
    EXPECT_NE(zip.ErrorText(0, result::DiskFull).find("room"), std::string::npos);

    // Extraction that runs out of room stops and leaves no partial file.
    zip.setIoFaultsForTesting({});
    zip.UseTempArchive = false;
    ASSERT_EQ(zip.Build(), result::Ok);
    zip.setIoFaultsForTesting(faults);
    zip.ExtractFolder = win(out);
    makeFiles(out, {{"big.bin", "old"}});
    EXPECT_EQ(zip.Extract(), result::DiskFull);
    EXPECT_EQ(qm::test::readFile(out / "big.bin"), "old");
    EXPECT_EQ(allFiles(out).size(), 2u); // small.txt came first and is whole
}

// A rebuild through a symbolic link at the archive's name writes through it
// only over an archive (a whole one, a part of a set, a self-extracting
// program) or where nothing stands: any other file it leads to is refused,
// as an update refuses it, and stays as it is.
TEST_F(ZipSafety, ARebuildWritesThroughALinkOnlyOverAnArchive)
{
    const stdfs::path src = tmp.path() / "src";
    makeFiles(src, {{"a.txt", textBytes(20000)}, {"b.bin", randomBytes(90000)}});
    const std::string stub = "\x7f" "ELF stand-in for the extractor\n" + randomBytes(3000, 2);
    qm::test::writeFile(tmp.path() / "stub.bin", stub);
    const stdfs::path link = tmp.path() / "Home.qmt";
    const stdfs::path notes = outside / "notes.txt";
    qm::test::writeFile(notes, "a text of 21 bytes.\r\n");
    stdfs::create_symlink(notes, link);
    zip.SourceFolder = win(src);
    zip.ArchivePath = win(link);
    for (const int kind : {0, 1, 2}) { // one file, a split set, a self-extracting program
        SCOPED_TRACE(kind);
        zip.SplitPartSize = kind == 1 ? 65536 : 0;
        zip.SfxStubPath = kind == 2 ? win(tmp.path() / "stub.bin") : "";
        EXPECT_EQ(zip.Build(), result::NotAnArchive);
        EXPECT_EQ(zip.Build(true), result::NotAnArchive);
        EXPECT_EQ(qm::test::readFile(notes), "a text of 21 bytes.\r\n");
        EXPECT_EQ(stdfs::status(notes).permissions(), stdfs::status(tmp.path() / "stub.bin").permissions());
        EXPECT_EQ(allFiles(outside), std::vector<std::string>{"notes.txt"});
        EXPECT_TRUE(stdfs::is_symlink(link));
    }

    // Over an archive of each kind, and over nothing, it writes through.
    for (const int kind : {0, 1, 2}) {
        SCOPED_TRACE(kind);
        stdfs::remove_all(outside);
        stdfs::create_directories(outside);
        zip.SplitPartSize = kind == 1 ? 65536 : 0;
        zip.SfxStubPath = kind == 2 ? win(tmp.path() / "stub.bin") : "";
        zip.ArchivePath = win(outside / "real.qmt");
        zip.FileMask = "a.txt";
        ASSERT_EQ(zip.Build(), result::Ok);
        stdfs::remove(link);
        stdfs::create_symlink(outside / "real.qmt", link);
        zip.ArchivePath = win(link);
        zip.FileMask = "b.bin";
        EXPECT_EQ(zip.Build(true), result::Ok);
        EXPECT_TRUE(stdfs::is_symlink(link));
        rec.clear();
        zip.ArchivePath = win(outside / "real.qmt"); // a set's parts lie beside it
        ASSERT_EQ(zip.ListEntries(), result::Ok);
        ASSERT_EQ(rec.listed.size(), 1u);
        EXPECT_EQ(rec.listed[0].name, "b.bin");
        zip.FileMask = "*";
    }
    stdfs::remove(link);
    stdfs::create_symlink(outside / "none.qmt", link);
    zip.SplitPartSize = 0;
    zip.SfxStubPath = "";
    zip.ArchivePath = win(link);
    EXPECT_EQ(zip.Build(true), result::Ok);
}

// The temporary files an archive is made in (an update's, a removal's, the
// new parts of a split set) are the owner's alone from the moment they are
// made, beside an archive kept so; the archive keeps its mode, and a new one
// takes the default.
TEST_F(ZipSafety, TheTemporaryFilesOfAnArchiveAreTheOwnersAlone)
{
    const mode_t mask = ::umask(022);
    const stdfs::path src = tmp.path() / "src";
    makeFiles(src, {{"a.txt", textBytes(20000)}, {"b.bin", randomBytes(90000)}});
    const stdfs::path archive = tmp.path() / "backup.zip";
    zip.ArchivePath = win(archive);
    zip.SourceFolder = win(src);
    zip.FileMask = "a.txt";
    ASSERT_EQ(zip.Build(), result::Ok);
    stdfs::permissions(archive, stdfs::perms::owner_read | stdfs::perms::owner_write);
    std::vector<std::string> seen;
    ZipEventHandlers h;
    h.onFileProgress = [&](const std::string&, int) {
        for (const auto& e : stdfs::directory_iterator(tmp.path()))
            if (e.path().extension() == ".tmp") {
                struct stat st {};
                ::stat(e.path().c_str(), &st);
                char mode[8];
                std::snprintf(mode, sizeof mode, "%04o", unsigned(st.st_mode & 07777));
                seen.push_back(e.path().filename().string() + " " + mode);
            }
    };
    zip.addEventSink(&h);
    zip.FileMask = "*";
    EXPECT_EQ(zip.Build(), result::Ok); // an update
    zip.FileMask = "a.txt";
    EXPECT_EQ(zip.Remove(), result::Ok);
    zip.FileMask = "*";
    zip.SplitPartSize = 65536;
    EXPECT_EQ(zip.Build(), result::Ok); // the set of parts in its place
    zip.removeEventSink(&h);
    ::umask(mask);
    ASSERT_FALSE(seen.empty());
    for (const std::string& s : seen)
        EXPECT_EQ(s.substr(s.size() - 4), "0600") << s;
    for (const auto& e : stdfs::directory_iterator(tmp.path()))
        if (e.path().filename().string().rfind("backup.", 0) == 0) {
            EXPECT_EQ(stdfs::status(e.path()).permissions(), stdfs::perms::owner_read | stdfs::perms::owner_write)
                << e.path();
        }

    zip.SplitPartSize = 0;
    zip.ArchivePath = win(tmp.path() / "new.zip");
    ::umask(022);
    EXPECT_EQ(zip.Build(), result::Ok);
    ::umask(mask);
    EXPECT_EQ(stdfs::status(tmp.path() / "new.zip").permissions(),
              stdfs::perms::owner_read | stdfs::perms::owner_write | stdfs::perms::group_read |
                  stdfs::perms::others_read);
}

TEST_F(ZipSafety, ABuildClearsWhatKilledBuildsOfItsArchiveLeft)
{
    stdfs::path src = tmp.path() / "src";
    makeFiles(src, {{"a.txt", "aaaa"}});
    const stdfs::path archive = tmp.path() / "backup.zip";
    const std::string stem = TempFile::stemFor(archive);
    stdfs::path work = tmp.path() / "work";
    stdfs::create_directories(work);
    std::string dead, deadInWork, live, other;
    ::close(qm::fs::createOwnedTemp(tmp.path(), stem, dead));
    ::close(qm::fs::createOwnedTemp(work, stem, deadInWork));
    const int running = qm::fs::createOwnedTemp(tmp.path(), stem, live); // a run that is still going
    ::close(qm::fs::createOwnedTemp(tmp.path(), TempFile::stemFor(tmp.path() / "other.zip"), other));

    zip.ArchivePath = win(archive);
    zip.SourceFolder = win(src);
    zip.UseTempArchive = true;
    zip.TempArchiveFolder = win(work);
    ASSERT_EQ(zip.Build(), result::Ok);
    EXPECT_FALSE(stdfs::exists(tmp.path() / dead));
    EXPECT_FALSE(stdfs::exists(work / deadInWork));
    EXPECT_TRUE(stdfs::exists(tmp.path() / live));
    EXPECT_TRUE(stdfs::exists(tmp.path() / other));
    ::close(running);
}

TEST_F(ZipSafety, AnExtractionClearsWhatKilledExtractionsLeftInTheFoldersItWrites)
{
    makeFiles(out, {{"d/kept.txt", "kept"}, {"other/kept.txt", "kept"}});
    std::string dead, deadBelow, deadElsewhere, live, build;
    ::close(qm::fs::createOwnedTemp(out, TempFile::DefaultStem, dead));
    ::close(qm::fs::createOwnedTemp(out / "d", TempFile::DefaultStem, deadBelow));
    ::close(qm::fs::createOwnedTemp(out / "other", TempFile::DefaultStem, deadElsewhere));
    const int running = qm::fs::createOwnedTemp(out, TempFile::DefaultStem, live); // an extraction still going
    ::close(qm::fs::createOwnedTemp(out, TempFile::stemFor(out / "x.zip"), build)); // a build's, left to builds

    EXPECT_EQ(extractRaw(rawZip({{"a.txt", "a"}, {"d/b.txt", "b"}})), result::Ok);
    EXPECT_FALSE(stdfs::exists(out / dead));
    EXPECT_FALSE(stdfs::exists(out / "d" / deadBelow));
    EXPECT_TRUE(stdfs::exists(out / "other" / deadElsewhere)); // not written into
    EXPECT_TRUE(stdfs::exists(out / live));
    EXPECT_TRUE(stdfs::exists(out / build));
    ::close(running);
}

TEST_F(ZipSafety, NamesStoredTwiceAreReportedAndTheFirstCopyKept)
{
    std::string bytes = rawZip({{"a.txt", "first"}, {"A.TXT", "second"}, {"d/b.txt", "b"}, {"a.txt", "third"},
                                {"e/b.txt", "other b"}});
    EXPECT_EQ(extractRaw(bytes), result::EntriesNotWritten);
    EXPECT_EQ(qm::test::readFile(out / "a.txt"), "first");
    // A name in another case is another file where the folder tells case apart.
    EXPECT_EQ(qm::test::readFile(out / "A.TXT"), "second");
    EXPECT_FALSE(rec.skipped("A.TXT", skip::DuplicateName));
    EXPECT_TRUE(rec.skipped("a.txt", skip::DuplicateName));
    EXPECT_EQ(qm::test::readFile(out / "e/b.txt"), "other b");
    // Without folder names two files land on one place: the second is reported too.
    rec.clear();
    stdfs::remove_all(out);
    zip.KeepFolderNames = false;
    zip.FileMask = "*.txt";
    EXPECT_EQ(zip.Extract(), result::EntriesNotWritten);
    EXPECT_EQ(qm::test::readFile(out / "b.txt"), "b");
    EXPECT_TRUE(rec.skipped("e\\b.txt", skip::DuplicateName));
}

TEST_F(ZipSafety, EntriesThatWouldExpandBeyondTheLimitAreRefusedBeforeAnyIsWritten)
{
    // Declared sizes alone decide: nothing is decoded or written.
    auto claiming = [](uint64_t size) {
        RawEntry e{"claims.bin", std::string(40, 'x'), 8};
        e.sizeOverride = int64_t(size);
        return e;
    };
    const std::string over = rawZip({{"ok.txt", "fine"}, claiming(ExpansionFloor)});
    EXPECT_EQ(extractRaw(over), result::ExpansionLimit);
    EXPECT_EQ(zip.Test(), result::ExpansionLimit);
    EXPECT_TRUE(allFiles(out).empty());
    EXPECT_NE(zip.ErrorText(0, result::ExpansionLimit).find("bomb"), std::string::npos);
    // Up to the floor, or within the ratio of the archive's size, entries are decoded (here: found damaged).
    EXPECT_EQ(extractRaw(rawZip({{"ok.txt", "fine"}, claiming(ExpansionFloor - 100)})), result::DataError);
    EXPECT_FALSE(beyondExpansionLimit(ExpansionRatio * 1000, 1000));
    EXPECT_TRUE(beyondExpansionLimit(ExpansionRatio * 1000 + ExpansionFloor, 1000));
    EXPECT_FALSE(beyondExpansionLimit(UINT64_MAX, UINT64_MAX / 2));
}

TEST_F(ZipSafety, OneMethodAtATime)
{
    (void)goodArchive();
    zip.ArchivePath = win(tmp.path() / "good.zip");
    int inner = -1;
    ZipEventHandlers h;
    h.onFileListed = [&](const ListedEntry&) {
        if (inner < 0)
            inner = zip.Build();
    };
    zip.addEventSink(&h);
    EXPECT_EQ(zip.ListEntries(), result::Ok);
    EXPECT_EQ(inner, result::Busy);
}

TEST_F(ZipSafety, EveryCodeHasItsOwnText)
{
    std::set<std::string> texts;
    for (int code : {result::Ok, result::ArchiveNotFound, result::NotAnArchive, result::ArchiveDamaged,
                     result::ArchiveUnreadable, result::WriteFailed, result::DiskFull, result::NothingToDo,
                     result::BadPassword, result::DataError, result::UnsupportedMethod, result::BadSetting,
                     result::SourceNotFound, result::ExtractFolderFailed, result::TempFolderFailed,
                     result::NotAvailable, result::UnsafeEntries, result::EntriesNotWritten, result::UserAbort,
                     result::Halted, result::ExpansionLimit, result::NoArchivePath, result::Busy, result::TargetFolderMissing,
                     result::ArchiveReadOnly, result::ArchiveReplaced, result::SplitSizeTooSmall, result::PartMissing, result::WrongDisk,
                     result::TooManyParts, result::SfxStubUnreadable, result::SfxStubUnusable,
                     result::SfxValueTooLong, result::SfxBadAssociation, result::SfxNeedsZip64,
                     result::SfxCannotSplit, result::DiskTooSmall, result::SfxSplitTooSmall,
                     result::PartOfAnotherSet, result::ArchiveBeingWritten}) {
        std::string t = zip.ErrorText(textkind::Result, code);
        EXPECT_EQ(t.find("Unknown"), std::string::npos) << code;
        EXPECT_TRUE(texts.insert(t).second) << code;
    }
    for (int code = 1; code <= 21; ++code)
        EXPECT_EQ(zip.ErrorText(textkind::Skip, code).find("Unknown"), std::string::npos) << code;
    for (int code = 101; code <= warning::FirstDiskEmptied; ++code) {
        EXPECT_EQ(zip.ErrorText(textkind::Warning, code).find("Unknown"), std::string::npos) << code;
        EXPECT_EQ(zip.ErrorText(textkind::Skip, code), zip.ErrorText(textkind::Warning, code));
    }
    EXPECT_NE(zip.ErrorText(0, 4242).find("4242"), std::string::npos);
}

} // namespace
} // namespace qm::zip::test
