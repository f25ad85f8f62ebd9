// The self-extractor's extraction engine against archives made by Info-ZIP's
// zip, by our zip control and by hand: offsets, methods, damage, hostile
// names, spanned disks, the overwrite rules and the password order.
#include "CaseFoldingFolder.h"
#include "SfxTestUtil.h"

#include "platform/zip/PavikZip.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace qm::sfxstub::test {
namespace {

namespace stdfs = std::filesystem;
using qm::test::readFile;
using qm::test::TempDir;
using qm::test::writeFile;
using qm::zip::test::RawEntry;
using qm::zip::test::rawZip;
using qm::zip::test::readTree;

std::map<std::string, std::string> filesOf(const stdfs::path& root)
{
    std::map<std::string, std::string> m;
    for (auto& [k, v] : readTree(root))
        if (k.back() != '/')
            m[k] = v;
    return m;
}

class SfxEngine : public ::testing::Test {
protected:
    void SetUp() override
    {
        dest = tmp / "dest";
        stdfs::create_directories(dest);
    }
    // Builds `files` with our control into `archive` (method 18 unless told).
    void control(const stdfs::path& archive, const std::map<std::string, std::string>& files, int method = 18,
                 const std::string& stub = "")
    {
        stdfs::remove_all(tmp / "csrc");
        qm::zip::test::makeFiles(tmp / "csrc", files);
        qm::zip::PavikZip z;
        z.ArchivePath = win(archive);
        z.SourceFolder = win(tmp / "csrc");
        z.Method = method;
        z.Level = method == 0 ? 0 : 6;
        z.SfxStubPath = stub;
        ASSERT_EQ(z.Build(), 0);
    }

    TempDir tmp{"qm-sfx-engine"};
    stdfs::path dest;
    EventScript script;
    const std::map<std::string, std::string> files{
        {"readme.txt", "Read me.\r\n"},
        {"data/noise.bin", qm::zip::test::randomBytes(70000)},
        {"data/text.txt", qm::zip::test::textBytes(50000)},
    };
};

TEST_F(SfxEngine, StoredAndEncryptedArchivesOfInfoZip)
{
    if (!qm::test::haveProgram("zip"))
        GTEST_SKIP() << "Info-ZIP zip is needed";
    infoZip(tmp / "plain.zip", files, {"-0"});
    EXPECT_EQ(unzip(script, tmp / "plain.zip", dest), result::Ok);
    EXPECT_EQ(filesOf(dest), files);
    EXPECT_EQ(script.of(event::Total).back().number, 100);
    // Every file began with event 60, naming its output path.
    std::vector<std::string> begun;
    for (const Seen& b : script.of(event::Begin))
        begun.push_back(b.path);
    EXPECT_THAT(begun, ::testing::UnorderedElementsAre(win(dest / "readme.txt"), win(dest / "data" / "noise.bin"),
                                                       win(dest / "data" / "text.txt")));

    // The password a file was opened with is tried first on the next one.
    infoZipLocked(tmp / "secret.zip", files, {"-0"}, "s3cret", {"wrong", "nope"});
    stdfs::remove_all(dest);
    script = {};
    script.passwords = {"wrong", "s3cret"};
    EXPECT_EQ(unzip(script, tmp / "secret.zip", dest), result::Ok);
    EXPECT_EQ(filesOf(dest), files);
    EXPECT_EQ(script.of(event::Password).size(), 2u);

    // Without a right answer each entry is skipped with kind 5: a warning.
    stdfs::remove_all(dest);
    script = {};
    script.passwords = {"nope"};
    EXPECT_EQ(unzip(script, tmp / "secret.zip", dest), result::Skipped);
    EXPECT_EQ(script.kinds(), (std::vector<int>{kind::Password, kind::Password, kind::Password}));
    EXPECT_TRUE(filesOf(dest).empty());
}

TEST_F(SfxEngine, BurrowsWheelerArchivesWithRelativeAndAbsoluteOffsets)
{
    control(tmp / "bw.zip", files);
    EXPECT_EQ(unzip(script, tmp / "bw.zip", dest), result::Ok);
    EXPECT_EQ(filesOf(dest), files);

    // Data in front of an archive whose offsets start at 0: a warning.
    writeFile(tmp / "lead.exe", std::string(30000, 'x') + readFile(tmp / "bw.zip"));
    stdfs::remove_all(dest);
    EXPECT_EQ(unzip(script, tmp / "lead.exe", dest), result::Warning);
    EXPECT_EQ(filesOf(dest), files);

    // A self-extractor of our control counts its offsets from the start.
    writeFile(tmp / "stub.bin", "\x7f" "ELF" + std::string(27000, 's'));
    control(tmp / "setup.exe", files, 18, win(tmp / "stub.bin"));
    stdfs::remove_all(dest);
    EXPECT_EQ(unzip(script, tmp / "setup.exe", dest), result::Ok);
    EXPECT_EQ(filesOf(dest), files);
}

TEST_F(SfxEngine, DeflatedEntriesNeedTheDeflateStub)
{
    const std::map<std::string, std::string> text{{"a.txt", qm::zip::test::textBytes(50000)},
                                                  {"b.txt", qm::zip::test::textBytes(20000, 2)}};
    control(tmp / "deflated.zip", text, 8);
    EXPECT_EQ(unzip(script, tmp / "deflated.zip", dest, {}, false), result::NothingDone);
    EXPECT_EQ(script.kinds(), (std::vector<int>{kind::Unsupported, kind::Unsupported}));
    EXPECT_TRUE(filesOf(dest).empty());
    script = {};
    EXPECT_EQ(unzip(script, tmp / "deflated.zip", dest, {}, true), result::Ok);
    EXPECT_EQ(filesOf(dest), text);
}

TEST_F(SfxEngine, DamagedArchivesEndWith110AndLeaveNoOutput)
{
    // A wrong CRC: the file is not put in place.
    writeFile(tmp / "crc.zip", rawZip({{"a.txt", "aaaa", 0, 0x12345678, false}, {"b.txt", "bb"}}));
    EXPECT_EQ(unzip(script, tmp / "crc.zip", dest), result::Damaged);
    EXPECT_EQ(script.kinds(), std::vector<int>{kind::Crc});
    EXPECT_EQ(filesOf(dest), (std::map<std::string, std::string>{{"b.txt", "bb"}}));

    // An end record cut off: the last disk is asked for three times.
    const std::string whole = rawZip({{"a.txt", std::string(5000, 'a')}});
    writeFile(tmp / "cut.zip", whole.substr(0, 3000));
    script = {};
    script.onDisk = [](int) { return 0; };
    EXPECT_EQ(unzip(script, tmp / "cut.zip", dest), result::Damaged);
    EXPECT_EQ(script.of(event::NextDisk).size(), 3u);
    EXPECT_EQ(script.of(event::NextDisk)[0].number, 0);

    // Sizes that claim more data than the file holds.
    std::string big = whole;
    for (size_t at : {size_t(18), size_t(22)}) // local header sizes
        big[at + 2] = 0x10;
    size_t central = big.size() - 22 - (46 + 5);
    for (size_t at : {central + 20, central + 24})
        big[at + 2] = 0x10;
    writeFile(tmp / "short.zip", big);
    script = {};
    EXPECT_EQ(unzip(script, tmp / "short.zip", dest), result::Damaged);
    EXPECT_EQ(script.kinds(), std::vector<int>{kind::BadHeader});
    EXPECT_FALSE(stdfs::exists(dest / "a.txt"));

    // A stream that decodes to more than it declares stops there.
    RawEntry bomb{"bomb.txt", bwData(std::string(300000, 'z')), 18};
    bomb.sizeOverride = 1000;
    writeFile(tmp / "bomb.zip", rawZip({bomb}));
    script = {};
    EXPECT_EQ(unzip(script, tmp / "bomb.zip", dest), result::Damaged);
    EXPECT_EQ(script.kinds(), std::vector<int>{kind::Crc});
    EXPECT_FALSE(stdfs::exists(dest / "bomb.txt"));

    // A Burrows-Wheeler stream cut short ends as damaged, without waiting.
    RawEntry cutStream{"cut.txt", bwData(qm::zip::test::randomBytes(50000)).substr(0, 20000), 18};
    cutStream.sizeOverride = 50000;
    writeFile(tmp / "cutstream.zip", rawZip({cutStream}));
    script = {};
    EXPECT_EQ(unzip(script, tmp / "cutstream.zip", dest), result::Damaged);
    EXPECT_FALSE(stdfs::exists(dest / "cut.txt"));
    EXPECT_EQ(qm::zip::test::allFiles(dest), std::vector<std::string>{"b.txt"}); // nothing half-written
}

TEST_F(SfxEngine, EntryNamesNeverLeaveTheDestination)
{
    writeFile(tmp / "names.zip", rawZip({{"../x1", "1"},
                                         {"..\\x2", "2"},
                                         {"a/../../x3", "3"},
                                         {"/etc/qm-x4", "4"},
                                         {"C:\\x5", "5"},
                                         {"ok/colon:name;12", "6"},
                                         {"folder/", ""}}));
    EXPECT_EQ(unzip(script, tmp / "names.zip", dest), result::Skipped);
    EXPECT_EQ(script.kinds(), (std::vector<int>{kind::CannotCreate, kind::CannotCreate, kind::CannotCreate}));
    EXPECT_EQ(filesOf(dest),
              (std::map<std::string, std::string>{{"etc/qm-x4", "4"}, {"x5", "5"}, {"ok/colon_name", "6"}}));
    EXPECT_TRUE(stdfs::is_directory(dest / "folder"));
    for (const char* n : {"x1", "x2", "x3"})
        EXPECT_FALSE(stdfs::exists(tmp / n)) << n;

    // A planted link: the link is replaced, its target stays; a linked
    // folder is not entered.
    writeFile(tmp / "victim.txt", "keep me");
    stdfs::create_directories(tmp / "outside");
    stdfs::create_symlink(tmp / "victim.txt", dest / "leaf.txt");
    stdfs::create_directory_symlink(tmp / "outside", dest / "sub");
    writeFile(tmp / "links.zip", rawZip({{"leaf.txt", "new"}, {"sub/x.txt", "evil"}}));
    script = {};
    EXPECT_EQ(unzip(script, tmp / "links.zip", dest, {"-o"}), result::Skipped);
    EXPECT_EQ(readFile(tmp / "victim.txt"), "keep me");
    EXPECT_FALSE(stdfs::is_symlink(dest / "leaf.txt"));
    EXPECT_EQ(readFile(dest / "leaf.txt"), "new");
    EXPECT_TRUE(stdfs::is_empty(tmp / "outside"));
}

TEST_F(SfxEngine, OverwriteRules)
{
    writeFile(tmp / "one.zip", rawZip({{"f.txt", "new"}}));
    const auto now = stdfs::file_time_type::clock::now();
    auto existing = [&](bool newer) {
        writeFile(dest / "f.txt", "old");
        stdfs::last_write_time(dest / "f.txt", now + std::chrono::hours(newer ? 48 : -24 * 365 * 52)); // entries date from 1980
    };
    struct Case {
        std::vector<std::string> modes;
        bool newer;
        std::deque<int> answers;
        size_t questions;
        std::string content;
        std::vector<int> kinds;
    };
    const Case cases[] = {
        {{}, true, {answer::Skip}, 1, "old", {kind::NeverOverwrite}},
        {{}, true, {answer::Overwrite}, 1, "new", {}},
        {{"-n"}, false, {}, 0, "old", {kind::NeverOverwrite}},
        {{"-n", "-o"}, false, {}, 0, "old", {kind::NeverOverwrite}},
        {{"-o"}, true, {}, 0, "new", {}},
        {{"-u"}, true, {}, 0, "old", {kind::NotReplaced}},
        {{"-u"}, false, {answer::Overwrite}, 1, "new", {}},
        {{"-u", "-o"}, false, {}, 0, "new", {}},
        {{"-u", "-o"}, true, {}, 0, "old", {kind::NotReplaced}},
    };
    for (const Case& c : cases) {
        existing(c.newer);
        script = {};
        script.overwrite = c.answers;
        int r = unzip(script, tmp / "one.zip", dest, c.modes);
        SCOPED_TRACE(::testing::PrintToString(c.modes) + (c.newer ? " newer" : " older"));
        EXPECT_EQ(r, c.kinds.empty() ? result::Ok : result::Skipped);
        EXPECT_EQ(script.of(event::Exists).size(), c.questions);
        EXPECT_EQ(readFile(dest / "f.txt"), c.content);
        EXPECT_EQ(script.kinds(), c.kinds);
    }
    // "-u" extracts missing files too.
    stdfs::remove(dest / "f.txt");
    script = {};
    EXPECT_EQ(unzip(script, tmp / "one.zip", dest, {"-u"}), result::Ok);

    // Skip all and overwrite all hold for the later files.
    writeFile(tmp / "three.zip", rawZip({{"a", "1"}, {"b", "2"}, {"c", "3"}}));
    for (int all : {answer::SkipAll, answer::OverwriteAll}) {
        for (const char* n : {"a", "b", "c"})
            writeFile(dest / n, "x");
        script = {};
        script.overwrite = {all};
        EXPECT_EQ(unzip(script, tmp / "three.zip", dest), all == answer::SkipAll ? result::Skipped : result::Ok);
        EXPECT_EQ(script.of(event::Exists).size(), 1u);
        EXPECT_EQ(readFile(dest / "c"), all == answer::SkipAll ? "x" : "3");
    }
}

// Names that differ only in case are two files where the folder tells them
// apart; where it does not, the second is skipped and the first kept.
TEST_F(SfxEngine, NamesThatDifferOnlyInCase)
{
    const std::map<std::string, std::string> pair{
        {"A.txt", "upper"}, {"a.txt", "lower"}, {"Dir/x.txt", "big"}, {"dir/x.txt", "small"}};
    control(tmp / "pair.zip", pair);
    writeFile(dest / "A.txt", "stale"); // the other case stands already
    EXPECT_EQ(unzip(script, tmp / "pair.zip", dest, {"-o"}), result::Ok);
    EXPECT_EQ(filesOf(dest), pair);

    qm::test::CaseFoldingFolder fat(tmp.path());
    if (!fat.available())
        GTEST_SKIP() << "no case-folding folder: " << fat.why();
    script = {};
    EXPECT_EQ(unzip(script, tmp / "pair.zip", fat.path(), {"-o"}), result::Skipped);
    EXPECT_EQ(script.kinds(), (std::vector<int>{kind::OtherCase, kind::OtherCase}));
    EXPECT_EQ(readFile(fat.path() / "a.txt"), "upper");
    EXPECT_EQ(readFile(fat.path() / "DIR" / "x.txt"), "big");
}

TEST_F(SfxEngine, OptionVectorAndMissingArchive)
{
    Engine engine(script.callback());
    EXPECT_EQ(engine.UnzipMain({""}), result::BadOptions);
    EXPECT_EQ(engine.UnzipMain({"", "-x", win(tmp / "a.zip")}), result::BadOptions);
    EXPECT_EQ(engine.UnzipMain({"", win(tmp / "a.zip"), "-d"}), result::BadOptions);
    EXPECT_EQ(engine.UnzipMain({"", win(tmp / "*.zip"), "-d", win(dest)}), result::NotFound);
    EXPECT_EQ(engine.UnzipMain({"", win(tmp / "none"), "-d", win(dest)}), result::NotFound);
    // ".zip" is tried when the name as given is missing.
    writeFile(tmp / "named.zip", rawZip({{"a", "1"}}));
    EXPECT_EQ(engine.UnzipMain({"", win(tmp / "named"), "-d" + win(dest / "new")}), result::Ok);
    EXPECT_EQ(readFile(dest / "new" / "a"), "1");
    EXPECT_EQ(script.of(event::FolderMade)[0].path, win(dest / "new"));
    // A destination that cannot be made.
    EXPECT_EQ(engine.UnzipMain({"", win(tmp / "named.zip"), "-d", win(tmp / "x" / "y" / "z")}),
              result::NoDestination);
}

// A split set of our control, its parts put one at a time on a removable
// drive as the engine asks for them.
class SfxSpanned : public SfxEngine {
protected:
    void SetUp() override
    {
        SfxEngine::SetUp();
        qm::zip::test::makeFiles(tmp / "span-src", big);
        qm::zip::PavikZip z;
        z.ArchivePath = win(tmp / "set.zip");
        z.SourceFolder = win(tmp / "span-src");
        z.Method = 0;
        z.Level = 0;
        z.SplitPartSize = 65536;
        ASSERT_EQ(z.Build(), 0);
        for (const char* p : {"set.z01", "set.z02", "set.zip"})
            parts.push_back(readFile(tmp / p));
        ASSERT_EQ(parts.size(), 3u);
        drive.insert("set.zip", parts[2], "PKBACK# 003");
    }
    // Labels to give disk n, one per request; the usual label when they run out.
    int insert(int n)
    {
        asked.push_back(n);
        std::string label = "PKBACK# 00" + std::to_string(n);
        if (!labels[n].empty()) {
            label = labels[n].front();
            labels[n].pop_front();
        }
        drive.insert("set.zip", parts[size_t(n - 1)], label);
        return 0;
    }
    int run()
    {
        script.onDisk = [this](int n) { return insert(n); };
        Engine engine(script.callback());
        return engine.UnzipMain({"", drive.win("set.zip"), "-d", win(dest)});
    }

    const std::map<std::string, std::string> big{
        {"a.bin", qm::zip::test::randomBytes(60000, 1)},
        {"b.bin", qm::zip::test::randomBytes(60000, 2)},
        {"c.bin", qm::zip::test::randomBytes(40000, 3)},
    };
    FakeDrive drive{'E', tmp / "medium"};
    std::vector<std::string> parts;
    std::map<int, std::deque<std::string>> labels;
    std::vector<int> asked;
};

TEST_F(SfxSpanned, DisksAreAskedForAndTheirLabelsChecked)
{
    EXPECT_EQ(run(), result::Ok);
    EXPECT_EQ(filesOf(dest), big);
    EXPECT_EQ(asked, (std::vector<int>{1, 2, 3}));

    // Disk 3: a spanning label with the wrong number costs a round; the
    // small-letter form is a spanning label too; a mixed-case one is not.
    stdfs::remove_all(dest);
    asked.clear();
    labels[3] = {"PKBACK# 004", "pkback# 003"};
    labels[2] = {"PkBack 9"};
    EXPECT_EQ(run(), result::Ok);
    EXPECT_EQ(filesOf(dest), big);
    EXPECT_EQ(asked, (std::vector<int>{1, 2, 3, 3}));
}

TEST_F(SfxSpanned, AWrongDiskThreeTimesOrCancelEndsTheRun)
{
    labels[2] = {"PKBACK# 005", "PKBACK# 005", "PKBACK# 005"};
    EXPECT_EQ(run(), result::DiskMissing);
    ASSERT_GE(asked.size(), 4u);
    EXPECT_EQ(std::vector<int>(asked.begin(), asked.begin() + 4), (std::vector<int>{1, 2, 2, 2}));
    for (auto& [name, bytes] : filesOf(dest)) // nothing half-written
        EXPECT_EQ(bytes, big.at(name)) << name;
    EXPECT_LT(filesOf(dest).size(), big.size());

    stdfs::remove_all(dest);
    script = {};
    script.onDisk = [](int) { return 1; };
    Engine engine(script.callback());
    EXPECT_EQ(engine.UnzipMain({"", drive.win("set.zip"), "-d", win(dest)}), result::Stopped);
}

} // namespace
} // namespace qm::sfxstub::test
