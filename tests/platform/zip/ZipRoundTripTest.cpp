// Build, list, test and extract through the control, and compare what comes
// back with what went in.
#include "CaseFoldingFolder.h"
#include "ZipTestUtil.h"

#include "platform/fs/FileLock.h"
#include "platform/zip/ArchiveReader.h"

#include <gtest/gtest.h>
#include <optional>
#include <set>
#include <sys/stat.h>

namespace qm::zip::test {
namespace {

namespace stdfs = std::filesystem;
using qm::test::TempDir;

class ZipRoundTrip : public ::testing::Test {
protected:
    void SetUp() override
    {
        src = tmp.path() / "src";
        out = tmp.path() / "out";
        archive = tmp.path() / "a.zip";
        files = {
            {"empty.txt", ""},
            {"text.txt", textBytes(300000)},
            {"noise.bin", randomBytes(70000)},
            {"docs/readme.txt", "read me\r\n"},
            {"docs/deep/more/notes.log", textBytes(5000, 3)},
            {"caf\xc3\xa9 \xe2\x82\xac.txt", "unicode name"},
        };
        makeFiles(src, files);
        zip.addEventSink(&rec);
        rec.zip = &zip;
    }

    void build()
    {
        zip.ArchivePath = win(archive);
        zip.SourceFolder = win(src);
        zip.FileMask = "*";
        ASSERT_EQ(zip.Build(), result::Ok) << zip.ErrorText(0, rec.done.empty() ? 0 : rec.done.back());
    }
    int extract()
    {
        zip.ExtractFolder = win(out);
        zip.FileMask = "*";
        return zip.Extract();
    }
    std::map<std::string, std::string> extractedFiles()
    {
        std::map<std::string, std::string> m;
        for (auto& [k, v] : readTree(out))
            if (k.back() != '/')
                m[k] = v;
        return m;
    }

    TempDir tmp{"qm-zip-rt"};
    stdfs::path src, out, archive;
    std::map<std::string, std::string> files;
    PavikZip zip;
    Recorder rec;
};

TEST_F(ZipRoundTrip, EveryMethodAndLevelComesBackByteForByte)
{
    struct Case {
        int method, level, textMethod;
    } cases[] = {{0, 6, 0}, {8, 0, 0}, {8, 1, 8}, {8, 6, 8}, {8, 9, 8}, {18, 1, 18}, {18, 6, 18}, {18, 9, 18}};
    for (const Case& c : cases) {
        SCOPED_TRACE("method " + std::to_string(c.method) + " level " + std::to_string(c.level));
        stdfs::remove_all(out);
        stdfs::remove(archive);
        rec.clear();
        zip.Method = c.method;
        zip.Level = c.level;
        build();
        EXPECT_EQ(zip.Test(), result::Ok);
        EXPECT_EQ(extract(), result::Ok);
        EXPECT_EQ(extractedFiles(), files);
        rec.clear();
        ASSERT_EQ(zip.ListEntries(), result::Ok);
        for (const ListedEntry& e : rec.listed) {
            if (e.name == "text.txt") {
                EXPECT_EQ(e.method, c.textMethod);
            }
            if (e.name == "noise.bin") { // incompressible data is stored
                EXPECT_EQ(e.method, 0);
            }
        }
    }
}

TEST_F(ZipRoundTrip, ListingReportsNamesSizesAttributesAndDates)
{
    stdfs::permissions(src / "docs/readme.txt", stdfs::perms::owner_write | stdfs::perms::group_write |
                                                    stdfs::perms::others_write,
                       stdfs::perm_options::remove);
    build();
    rec.clear();
    ASSERT_EQ(zip.ListEntries(), result::Ok);
    std::map<std::string, ListedEntry> byName;
    for (const ListedEntry& e : rec.listed)
        byName[e.name] = e;
    ASSERT_TRUE(byName.count("docs\\deep\\more\\notes.log"));
    ASSERT_TRUE(byName.count("docs\\"));
    EXPECT_EQ(byName["docs\\"].attributes & 16, 16u);
    EXPECT_EQ(byName["text.txt"].size, 300000);
    EXPECT_LT(byName["text.txt"].compressedSize, 300000);
    EXPECT_GT(byName["text.txt"].ratio, 50);
    EXPECT_EQ(byName["text.txt"].attributes, 32u);
    EXPECT_EQ(byName["docs\\readme.txt"].attributes, 33u);
    EXPECT_EQ(byName["empty.txt"].ratio, 0);
    struct stat st {};
    ::stat((src / "text.txt").c_str(), &st);
    qm::datetime::DateTime local = qm::datetime::fromTimeT(st.st_mtime);
    qm::datetime::DateTime listed = byName["text.txt"].modified;
    EXPECT_LE(std::llabs(qm::datetime::toTimeT(listed) - qm::datetime::toTimeT(local)), 2);
    for (int op : rec.opsSeen)
        EXPECT_EQ(op, operation::List);
    EXPECT_EQ(zip.CurrentOperation(), operation::Idle);

    int64_t files = 0, packed = 0, plain = 0;
    int ratio = -1;
    bool spanned = true;
    ASSERT_EQ(zip.ArchiveInfo(files, packed, plain, ratio, spanned), result::Ok);
    EXPECT_EQ(files, 6);
    EXPECT_EQ(plain, 300000 + 70000 + 9 + 5000 + 12);
    EXPECT_FALSE(spanned);
    EXPECT_GT(ratio, 0);
}

TEST_F(ZipRoundTrip, PasswordProtectsEveryMethod)
{
    for (int method : {0, 8, 18}) {
        SCOPED_TRACE(method);
        stdfs::remove_all(out);
        stdfs::remove(archive);
        zip.Method = method;
        zip.Password = "s3cret";
        build();
        rec.clear();
        ASSERT_EQ(zip.ListEntries(), result::Ok);
        for (const ListedEntry& e : rec.listed) {
            EXPECT_EQ(e.encrypted, e.name.back() != '\\') << e.name;
        }
        EXPECT_EQ(zip.Test(), result::Ok);
        EXPECT_EQ(extract(), result::Ok);
        EXPECT_EQ(extractedFiles(), files);

        stdfs::remove_all(out);
        zip.Password = "wrong";
        rec.clear();
        EXPECT_EQ(extract(), result::BadPassword);
        // The one-byte check lets one wrong password in 256 through; the data check catches it.
        EXPECT_TRUE(rec.skipped("text.txt", skip::BadPassword) || rec.skipped("text.txt", skip::PasswordOrData));
        for (const auto& [name, data] : extractedFiles())
            EXPECT_TRUE(data.empty()) << name;
        zip.Password.clear();
        EXPECT_EQ(zip.Test(), result::BadPassword);
    }
}

TEST_F(ZipRoundTrip, CommentComesFromTheRequestAndSurvivesUpdates)
{
    ZipEventHandlers h;
    h.onCommentRequest = [](std::string& c) { c = "Nightly backup \xe2\x9c\x93"; };
    zip.addEventSink(&h);
    build();
    zip.removeEventSink(&h);
    ArchiveReader r;
    r.open(archive);
    EXPECT_EQ(r.comment(), "Nightly backup \xe2\x9c\x93");
    qm::test::writeFile(src / "new.txt", "new");
    build();
    r.open(archive);
    EXPECT_EQ(r.comment(), "Nightly backup \xe2\x9c\x93");
}

TEST_F(ZipRoundTrip, UpdateReplacesByNameAddsNewAndKeepsTheRest)
{
    build();
    qm::test::writeFile(src / "text.txt", "changed");
    qm::test::writeFile(src / "added.txt", "added");
    stdfs::remove(src / "noise.bin");
    build();
    ASSERT_EQ(extract(), result::Ok);
    auto got = extractedFiles();
    EXPECT_EQ(got["text.txt"], "changed");
    EXPECT_EQ(got["added.txt"], "added");
    EXPECT_EQ(got["noise.bin"], files["noise.bin"]); // kept from the old archive
    EXPECT_EQ(got["docs/readme.txt"], files["docs/readme.txt"]);
}

// Names that differ only in case: two files each here.
const std::map<std::string, std::string> CasePairs = {
    {"A.txt", "upper"}, {"a.txt", "lower"}, {"Dir/x.txt", "big folder"}, {"dir/x.txt", "small folder"}};

TEST_F(ZipRoundTrip, NamesThatDifferOnlyInCaseAreFilesOfTheirOwn)
{
    makeFiles(src, CasePairs);
    files.insert(CasePairs.begin(), CasePairs.end());
    build();
    EXPECT_TRUE(rec.skips.empty());
    ASSERT_EQ(extract(), result::Ok);
    EXPECT_EQ(extractedFiles(), files);

    // Over files of both names, and where only the other case stands, each
    // name gets its own data.
    for (const auto& [name, data] : CasePairs)
        qm::test::writeFile(out / name, "old " + data);
    ASSERT_EQ(extract(), result::Ok);
    EXPECT_EQ(extractedFiles(), files);
    stdfs::remove_all(out);
    makeFiles(out, {{"A.txt", "stale"}, {"Dir/x.txt", "stale"}});
    ASSERT_EQ(extract(), result::Ok);
    EXPECT_EQ(extractedFiles(), files);

    // One file named twice, in two cases, is one entry.
    stdfs::remove(archive);
    zip.FileMask.clear();
    zip.AddListEntry(win(src / "docs" / "readme.txt"));
    zip.AddListEntry(win(src / "DOCS" / "README.TXT"));
    ASSERT_EQ(zip.Build(), result::Ok);
    rec.clear();
    ASSERT_EQ(zip.ListEntries(), result::Ok);
    ASSERT_EQ(rec.listed.size(), 1u);
    EXPECT_EQ(rec.listed[0].name, "docs\\readme.txt");
}

TEST_F(ZipRoundTrip, AnUpdateMatchesEachFileToTheEntryOfItsVeryName)
{
    makeFiles(src, CasePairs);
    build();
    qm::test::writeFile(src / "a.txt", "lower, changed");
    qm::test::writeFile(src / "A.TXT", "third");
    stdfs::remove(src / "Dir" / "x.txt");
    build();
    ASSERT_EQ(extract(), result::Ok);
    auto got = extractedFiles();
    EXPECT_EQ(got["A.txt"], "upper");
    EXPECT_EQ(got["a.txt"], "lower, changed");
    EXPECT_EQ(got["A.TXT"], "third");
    EXPECT_EQ(got["Dir/x.txt"], "big folder"); // a deleted file's entry stays
    EXPECT_EQ(got["dir/x.txt"], "small folder");
}

TEST_F(ZipRoundTrip, AnEntryNamedToTheLetterIsTakenAloneAMaskStillFolds)
{
    makeFiles(src, CasePairs);
    build();
    zip.ExtractFolder = win(out);
    zip.FileMask = "a.txt";
    zip.IncludeSubfolders = false;
    ASSERT_EQ(zip.Extract(), result::Ok);
    EXPECT_EQ(extractedFiles(), (std::map<std::string, std::string>{{"a.txt", "lower"}}));
    stdfs::remove_all(out);
    zip.FileMask = "*.TXT"; // a mask, and a name no entry has, match without case
    ASSERT_EQ(zip.Extract(), result::Ok);
    EXPECT_EQ(extractedFiles().count("A.txt") + extractedFiles().count("a.txt"), 2u);
    stdfs::remove_all(out);
    zip.FileMask = "dir\\X.TXT";
    ASSERT_EQ(zip.Extract(), result::Ok);
    EXPECT_EQ(extractedFiles().size(), 2u);

    zip.FileMask = "A.txt\r\ndir\\x.txt";
    ASSERT_EQ(zip.Remove(), result::Ok);
    stdfs::remove_all(out);
    zip.IncludeSubfolders = true;
    ASSERT_EQ(extract(), result::Ok);
    auto got = extractedFiles();
    EXPECT_EQ(got.count("A.txt") + got.count("dir/x.txt"), 0u);
    EXPECT_EQ(got["a.txt"], "lower");
    EXPECT_EQ(got["Dir/x.txt"], "big folder");
}

TEST_F(ZipRoundTrip, WhereTheFolderFoldsCaseTheSecondNameIsSkippedNotWrittenOver)
{
    qm::test::CaseFoldingFolder fat(tmp.path());
    if (!fat.available())
        GTEST_SKIP() << "no case-folding folder: " << fat.why();
    makeFiles(src, CasePairs);
    build();
    out = fat.path() / "out";
    makeFiles(out, {{"A.TXT", "stale"}});
    EXPECT_EQ(extract(), result::EntriesNotWritten);
    EXPECT_EQ(qm::test::readFile(out / "a.txt"), "upper"); // the first of the pair, whatever name it is read by
    EXPECT_EQ(qm::test::readFile(out / "dir" / "X.TXT"), "big folder");
    EXPECT_TRUE(rec.skipped("a.txt", skip::DuplicateName));
    EXPECT_TRUE(rec.skipped("dir\\x.txt", skip::DuplicateName));
    EXPECT_FALSE(rec.skipped("A.txt", skip::DuplicateName));
    EXPECT_EQ(qm::test::temporaries(out), 0);
}

TEST_F(ZipRoundTrip, SkipRulesWhenBuilding)
{
    zip.FileMask = "*";
    build();
    qm::test::writeFile(src / "text.txt", "newer");
    qm::test::writeFile(src / "brand-new.txt", "x");

    zip.SkipWhenExisting = true;
    rec.clear();
    build();
    EXPECT_TRUE(rec.skipped("text.txt", skip::AlreadyInArchive));
    EXPECT_FALSE(rec.skipped("brand-new.txt", skip::AlreadyInArchive));

    zip.SkipWhenExisting = false;
    zip.SkipWhenMissing = true;
    qm::test::writeFile(src / "second-new.txt", "y");
    rec.clear();
    build();
    EXPECT_TRUE(rec.skipped("second-new.txt", skip::NotInArchive));

    // An older file does not replace a newer copy.
    zip.SkipWhenMissing = false;
    zip.SkipWhenOlderDate = true;
    qm::test::writeFile(src / "text.txt", "older");
    stdfs::last_write_time(src / "text.txt", stdfs::last_write_time(src / "text.txt") - std::chrono::hours(48));
    rec.clear();
    build();
    EXPECT_TRUE(rec.skipped("text.txt", skip::OlderThanInArchive));
    ASSERT_EQ(extract(), result::Ok);
    EXPECT_EQ(extractedFiles()["text.txt"], "newer");
}

TEST_F(ZipRoundTrip, SkipRulesWhenExtracting)
{
    build();
    makeFiles(out, {{"text.txt", "mine"}});
    zip.SkipWhenExisting = true;
    rec.clear();
    ASSERT_EQ(extract(), result::Ok);
    EXPECT_TRUE(rec.skipped("text.txt", skip::TargetExists));
    EXPECT_EQ(qm::test::readFile(out / "text.txt"), "mine");
    EXPECT_EQ(qm::test::readFile(out / "empty.txt"), "");

    zip.SkipWhenExisting = false;
    zip.SkipWhenMissing = true;
    stdfs::remove(out / "empty.txt");
    rec.clear();
    ASSERT_EQ(extract(), result::Ok);
    EXPECT_TRUE(rec.skipped("empty.txt", skip::TargetMissing));
    EXPECT_EQ(qm::test::readFile(out / "text.txt"), files["text.txt"]); // replaced: it existed

    zip.SkipWhenMissing = false;
    zip.SkipWhenOlderDate = true;
    makeFiles(out, {{"docs/readme.txt", "mine too"}});
    stdfs::last_write_time(out / "docs/readme.txt", stdfs::last_write_time(out / "docs/readme.txt") +
                                                        std::chrono::hours(48));
    rec.clear();
    ASSERT_EQ(extract(), result::Ok);
    EXPECT_TRUE(rec.skipped("docs\\readme.txt", skip::OlderThanTarget));
    EXPECT_EQ(qm::test::readFile(out / "docs/readme.txt"), "mine too");
}

TEST_F(ZipRoundTrip, FiltersChooseTheFiles)
{
    makeFiles(src, {{"a.tmp", "t"}, {"b.bak", "b"}, {".hidden", "h"}, {"docs/c.tmp", "t"}});
    auto names = [&] {
        rec.clear();
        EXPECT_EQ(zip.ListEntries(), result::Ok);
        std::set<std::string> n;
        for (auto& e : rec.listed)
            n.insert(e.name);
        stdfs::remove(archive);
        return n;
    };
    zip.ExcludeMasks = "tmp|*.bak";
    build();
    auto n = names();
    EXPECT_FALSE(n.count("a.tmp") || n.count("b.bak") || n.count("docs\\c.tmp"));
    EXPECT_TRUE(n.count("text.txt"));

    zip.ExcludeMasks.clear();
    zip.ExcludedAttributes = 2; // hidden
    build();
    n = names();
    EXPECT_FALSE(n.count(".hidden"));
    EXPECT_TRUE(n.count("a.tmp"));

    zip.ExcludedAttributes = 0;
    zip.SmallestSize = 10;
    zip.LargestSize = 100000;
    build();
    n = names();
    EXPECT_TRUE(n.count("docs\\deep\\more\\notes.log") && n.count("noise.bin"));
    EXPECT_FALSE(n.count("text.txt") || n.count("empty.txt") || n.count("a.tmp"));

    zip.SmallestSize = zip.LargestSize = 0;
    stdfs::last_write_time(src / "noise.bin", stdfs::last_write_time(src / "noise.bin") - std::chrono::hours(24 * 400));
    qm::datetime::DateTime today = qm::datetime::fromTimeT(std::time(nullptr));
    zip.OldestDate = qm::datetime::addDays(today.date(), -30);
    zip.NewestDate = today.date(); // the whole of today counts
    build();
    n = names();
    EXPECT_FALSE(n.count("noise.bin"));
    EXPECT_TRUE(n.count("text.txt"));

    zip.OldestDate = zip.NewestDate = qm::datetime::DateTime{};
    zip.RequiredAttributes = 1; // read-only only
    stdfs::permissions(src / "docs/readme.txt", stdfs::perms::owner_write | stdfs::perms::group_write |
                                                    stdfs::perms::others_write,
                       stdfs::perm_options::remove);
    build();
    n = names();
    EXPECT_TRUE(n.count("docs\\readme.txt"));
    EXPECT_FALSE(n.count("text.txt"));

    zip.RequiredAttributes = 0;
    zip.FileMask = "*.txt";
    zip.IncludeSubfolders = false;
    zip.ArchivePath = win(archive);
    ASSERT_EQ(zip.Build(), result::Ok);
    n = names();
    EXPECT_TRUE(n.count("text.txt"));
    EXPECT_FALSE(n.count("docs\\readme.txt") || n.count("noise.bin") || n.count("docs\\"));
}

TEST_F(ZipRoundTrip, FolderNamesKeptOrDroppedAndListEntries)
{
    zip.KeepFolderNames = false;
    zip.ArchivePath = win(archive);
    zip.SourceFolder.clear();
    zip.FileMask.clear();
    zip.AddListEntry(win(src / "docs" / "readme.txt"));
    zip.AddListEntry(win(src / "text.txt"));
    ASSERT_EQ(zip.Build(), result::Ok);
    EXPECT_TRUE(zip.listEntries().empty()); // used up by the build
    rec.clear();
    ASSERT_EQ(zip.ListEntries(), result::Ok);
    ASSERT_EQ(rec.listed.size(), 2u);
    EXPECT_EQ(rec.listed[0].name, "readme.txt");

    // Absolute paths with names kept: stored without the drive.
    stdfs::remove(archive);
    zip.KeepFolderNames = true;
    zip.AddListEntry(win(src / "docs" / "readme.txt"));
    ASSERT_EQ(zip.Build(), result::Ok);
    rec.clear();
    ASSERT_EQ(zip.ListEntries(), result::Ok);
    ASSERT_EQ(rec.listed.size(), 1u);
    std::string full = win(src / "docs" / "readme.txt");
    EXPECT_EQ(rec.listed[0].name, full.substr(3)); // "C:\" dropped

    // Extraction with folder names dropped puts every file in the folder itself.
    stdfs::remove(archive);
    build();
    zip.KeepFolderNames = false;
    ASSERT_EQ(extract(), result::Ok);
    EXPECT_TRUE(stdfs::exists(out / "notes.log"));
    EXPECT_FALSE(stdfs::exists(out / "docs"));
}

TEST_F(ZipRoundTrip, EntryNamingRenamesAndDuplicatesAreReported)
{
    ZipEventHandlers h;
    h.onEntryNaming = [](std::string& name, const std::string& source) {
        if (source.find("readme") != std::string::npos)
            name = "C:\\renamed\\readme.txt"; // drive and leading "\" are dropped
        if (source.find("notes") != std::string::npos)
            name = "text.txt"; // clashes with the real text.txt
        if (source.find("empty") != std::string::npos)
            name = std::string(70000, 'n'); // longer than a stored name can be
    };
    zip.addEventSink(&h);
    build();
    EXPECT_TRUE(rec.skipped("text.txt", skip::DuplicateName));
    EXPECT_EQ(rec.skips.size(), 2u);
    rec.clear();
    ASSERT_EQ(zip.ListEntries(), result::Ok);
    std::set<std::string> n;
    for (auto& e : rec.listed)
        n.insert(e.name);
    EXPECT_TRUE(n.count("renamed\\readme.txt"));
    EXPECT_EQ(n.count("text.txt"), 1u);
}

TEST_F(ZipRoundTrip, RemoveDropsChosenEntriesOnly)
{
    build();
    zip.FileMask = "docs\\readme.txt\r\nnoise.bin\r\n";
    zip.IncludeSubfolders = false;
    ASSERT_EQ(zip.Remove(), result::Ok);
    zip.IncludeSubfolders = true;
    ASSERT_EQ(extract(), result::Ok);
    auto got = extractedFiles();
    EXPECT_FALSE(got.count("docs/readme.txt") || got.count("noise.bin"));
    EXPECT_EQ(got["text.txt"], files["text.txt"]);

    // An empty selection never empties the archive.
    std::string before = qm::test::readFile(archive);
    zip.FileMask.clear();
    EXPECT_EQ(zip.Remove(), result::NothingToDo);
    EXPECT_EQ(qm::test::readFile(archive), before);
}

TEST_F(ZipRoundTrip, ExtraHeadersKeepTimesAndUnicodeNames)
{
    zip.HeaderSet = 1 | 2 | 8;
    build();
    ArchiveReader r;
    r.open(archive);
    struct stat st {};
    ::stat((src / "text.txt").c_str(), &st);
    for (const ArchiveEntry& e : r.entries()) {
        if (e.name() == "text.txt") {
            ASSERT_TRUE(e.times().modified.has_value());
            EXPECT_EQ(*e.times().modified, int64_t(st.st_mtime)); // to the second, not two
        }
        if (e.name().find("caf") == 0) {
            EXPECT_TRUE(fmt::readUnicodePath(e.extra(), e.rawName()).has_value());
        }
    }
    ASSERT_EQ(extract(), result::Ok);
    struct stat back {};
    ::stat((out / "text.txt").c_str(), &back);
    EXPECT_EQ(back.st_mtime, st.st_mtime);
}

TEST_F(ZipRoundTrip, FilesHeldOpenForWritingNeedIncludeOpenFiles)
{
    qm::fs::FileLock held = qm::fs::FileLock::acquire(src / "text.txt");
    build();
    EXPECT_TRUE(rec.skipped("text.txt", skip::FileInUse));
    zip.IncludeOpenFiles = true;
    rec.clear();
    build();
    EXPECT_TRUE(rec.skips.empty());
    ASSERT_EQ(extract(), result::Ok);
    EXPECT_EQ(extractedFiles(), files);
}

TEST_F(ZipRoundTrip, TemporaryArchiveOnAnotherFileSystem)
{
    // /dev/shm is a separate (memory) file system where it exists: the
    // finished archive is then copied beside the target and renamed. The
    // system's temporary folder is a folder of this test's own there, as
    // other programs may build archives in /dev/shm meanwhile.
    if (!stdfs::is_directory("/dev/shm") || ::access("/dev/shm", W_OK) != 0)
        GTEST_SKIP() << "no second file system to use";
    auto leftovers = [](const stdfs::path& folder) {
        int n = 0;
        for (auto& e : stdfs::directory_iterator(folder))
            n += e.path().filename().string().rfind(".~qmz", 0) == 0;
        return n;
    };
    std::optional<TempDir> shm;
    {
        qm::test::ScopedEnv onShm("TMPDIR", "/dev/shm");
        shm.emplace("qm-zip-shm");
    }
    qm::test::ScopedEnv tmpdir("TMPDIR", shm->str());
    zip.UseTempArchive = true;
    zip.TempArchiveFolder.clear(); // the system's temporary folder
    build();
    ASSERT_EQ(extract(), result::Ok);
    EXPECT_EQ(extractedFiles(), files);
    EXPECT_EQ(leftovers(shm->path()), 0);
    EXPECT_EQ(leftovers(tmp.path()), 0);
}

TEST_F(ZipRoundTrip, ProgressEndsAtOneHundredEvenWithoutData)
{
    stdfs::remove_all(src);
    makeFiles(src, {{"a.txt", ""}, {"b/", ""}});
    build();
    ASSERT_FALSE(rec.totals.empty());
    EXPECT_EQ(rec.totals.back(), 100);
    for (size_t i = 1; i < rec.totals.size(); ++i)
        EXPECT_LE(rec.totals[i - 1], rec.totals[i]);
    EXPECT_EQ(rec.done.back(), result::Ok);
    int64_t files = 0, packed = 0, plain = 0;
    int ratio = -1;
    bool spanned = true;
    ASSERT_EQ(zip.ArchiveInfo(files, packed, plain, ratio, spanned), result::Ok);
    EXPECT_EQ(files, 1);
    EXPECT_EQ(ratio, 0);
    rec.clear();
    EXPECT_EQ(extract(), result::Ok);
    EXPECT_EQ(rec.totals.back(), 100);
    EXPECT_TRUE(stdfs::is_directory(out / "b"));
}

TEST_F(ZipRoundTrip, PermissionsComeBackAndReadOnlyArchivesStayUntouched)
{
    stdfs::permissions(src / "docs/readme.txt", stdfs::perms::owner_write | stdfs::perms::group_write |
                                                    stdfs::perms::others_write,
                       stdfs::perm_options::remove);
    stdfs::permissions(src / "text.txt", stdfs::perms::owner_exec, stdfs::perm_options::add);
    build();
    ASSERT_EQ(extract(), result::Ok);
    auto perms = [](const stdfs::path& p) { return stdfs::status(p).permissions(); };
    EXPECT_EQ(perms(out / "docs/readme.txt") & stdfs::perms::owner_write, stdfs::perms::none);
    EXPECT_NE(perms(out / "text.txt") & stdfs::perms::owner_exec, stdfs::perms::none);

    stdfs::permissions(archive, stdfs::perms::owner_write | stdfs::perms::group_write | stdfs::perms::others_write,
                       stdfs::perm_options::remove);
    const std::string before = qm::test::readFile(archive);
    qm::test::writeFile(src / "new.txt", "new");
    zip.ArchivePath = win(archive);
    EXPECT_EQ(zip.Build(), result::ArchiveReadOnly);
    zip.FileMask = "text.txt";
    EXPECT_EQ(zip.Remove(), result::ArchiveReadOnly);
    EXPECT_EQ(qm::test::readFile(archive), before);
}

// Also a file whose entry is carried over from the old archive.
TEST_F(ZipRoundTrip, OwnerOnlyFilesComeBackTheirOwnersAlone)
{
    stdfs::permissions(src / "text.txt", stdfs::perms(0754));
    build();
    zip.OwnerOnlyFiles = true;
    build();
    ASSERT_EQ(extract(), result::Ok);
    EXPECT_EQ(stdfs::status(out / "text.txt").permissions(), stdfs::perms(0700));
    EXPECT_EQ(extractedFiles(), files);

    // So is the archive while it is made: a killed build leaves nothing others may read.
    std::set<unsigned> modes;
    IoFaults seen;
    seen.beforeWrite = [&modes](const stdfs::path& p, uint64_t, size_t) {
        modes.insert(unsigned(stdfs::status(p).permissions() & stdfs::perms::all));
        return 0;
    };
    zip.setIoFaultsForTesting(seen);
    makeFiles(src, {{"new.txt", "new"}});
    build();
    EXPECT_EQ(modes, std::set<unsigned>{0600});
}

TEST_F(ZipRoundTrip, DefaultsComeBackWithOneCall)
{
    zip.Password = "p";
    zip.ExcludedAttributes = 34;
    zip.OldestDate = qm::datetime::DateTime{2020, 1, 1};
    zip.Method = 18;
    zip.AddListEntry("x");
    zip.ResetToDefaults();
    PavikZip fresh;
    EXPECT_EQ(zip.Password, fresh.Password);
    EXPECT_EQ(zip.ExcludedAttributes, fresh.ExcludedAttributes);
    EXPECT_EQ(zip.OldestDate, fresh.OldestDate);
    EXPECT_EQ(zip.Method, fresh.Method);
    EXPECT_TRUE(zip.listEntries().empty());
    EXPECT_EQ(zip.sinks().size(), 1u); // the owner's sinks stay
}

} // namespace
} // namespace qm::zip::test
