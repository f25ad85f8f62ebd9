// The engine on self-extractors of several files made by our zip control:
// a set split into parts beside the program ("name.z02", ...), read without
// a question, and a spanned set on a removable drive that is one path for
// every disk, whose one label (the drive's) no swap of disks changes.
#include "SfxTestUtil.h"

#include "platform/zip/PavikZip.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace qm::sfxstub::test {
namespace {

namespace stdfs = std::filesystem;
using qm::test::readFile;
using qm::test::TempDir;
using qm::test::writeFile;
using qm::zip::test::filesBelow;
using qm::zip::test::randomBytes;

class SfxSets : public ::testing::Test {
protected:
    void SetUp() override
    {
        qm::zip::test::makeFiles(tmp / "src", files);
        writeFile(tmp / "stub.bin", "\x7f" "ELF stand-in for the extractor\n" + randomBytes(3000, 9));
        zip.SourceFolder = win(tmp / "src");
        zip.SfxStubPath = win(tmp / "stub.bin");
        zip.Method = 0;
        zip.Level = 0;
        zip.SplitPartSize = 65536;
    }
    int run(const std::string& program)
    {
        Engine engine(script.callback());
        return engine.UnzipMain({"", program, "-d", win(tmp / "dest")});
    }

    TempDir tmp{"qm-sfx-sets"};
    qm::zip::PavikZip zip;
    EventScript script;
    const std::map<std::string, std::string> files{
        {"a.bin", randomBytes(60000, 1)},
        {"b.bin", randomBytes(60000, 2)},
        {"c.bin", randomBytes(40000, 3)},
    };
};

TEST_F(SfxSets, APartBesideTheProgramIsTakenWithoutAQuestionAndAMissingOneIsNamed)
{
    const stdfs::path sets = tmp / "sets";
    stdfs::create_directories(sets);
    zip.ArchivePath = win(sets / "Home.exe");
    ASSERT_EQ(zip.Build(), 0);
    ASSERT_TRUE(stdfs::exists(sets / "Home.z03"));
    EXPECT_EQ(run(win(sets / "Home.exe")), result::Ok);
    EXPECT_EQ(filesBelow(tmp / "dest"), files);
    EXPECT_TRUE(script.of(event::NextDisk).empty());

    // A part missing, the last or one before it: named, and nothing written.
    for (const char* part : {"Home.z03", "Home.z02"}) {
        stdfs::remove_all(tmp / "dest");
        script = {};
        stdfs::rename(sets / part, tmp / part);
        EXPECT_EQ(run(win(sets / "Home.exe")), result::PartMissing) << part;
        ASSERT_EQ(script.of(event::PartMissing).size(), 1u) << part;
        EXPECT_EQ(script.of(event::PartMissing)[0].path, win(sets / part));
        EXPECT_TRUE(script.of(event::NextDisk).empty());
        EXPECT_TRUE(filesBelow(tmp / "dest").empty()) << part;
        stdfs::rename(tmp / part, sets / part);
    }

    // Started through a link, by another name or in another folder: the
    // parts are found beside the file the link leads to.
    stdfs::create_directories(tmp / "links");
    for (const char* link : {"Other.exe", "Home.exe"}) {
        stdfs::create_symlink(sets / "Home.exe", tmp / "links" / link);
        stdfs::remove_all(tmp / "dest");
        EXPECT_EQ(run(win(tmp / "links" / link)), result::Ok) << link;
        EXPECT_EQ(filesBelow(tmp / "dest"), files) << link;
        stdfs::remove(tmp / "links" / link);
    }
    // The parts are those the set's records count: an older, longer set's
    // last part beside them is none of them. A last part cut short, or one
    // that is no file, is named as it is.
    {
        const stdfs::path older = tmp / "older";
        stdfs::create_directories(older);
        qm::zip::test::makeFiles(tmp / "src", {{"d.bin", randomBytes(60000, 4)}});
        zip.ArchivePath = win(older / "Home.exe");
        ASSERT_EQ(zip.Build(), 0);
        stdfs::copy_file(older / "Home.z04", sets / "Home.z04");
        stdfs::remove(tmp / "src" / "d.bin");
    }
    stdfs::remove_all(tmp / "dest");
    EXPECT_EQ(run(win(sets / "Home.exe")), result::Ok);
    EXPECT_EQ(filesBelow(tmp / "dest"), files);
    const std::string last = readFile(sets / "Home.z03");
    auto damaged = [&](const char* what) {
        stdfs::remove_all(tmp / "dest");
        script = {};
        EXPECT_EQ(run(win(sets / "Home.exe")), result::Damaged) << what;
        ASSERT_EQ(script.of(event::PartDamaged).size(), 1u) << what;
        EXPECT_EQ(script.of(event::PartDamaged)[0].path, win(sets / "Home.z03")) << what;
        EXPECT_TRUE(script.of(event::PartMissing).empty()) << what;
        EXPECT_TRUE(filesBelow(tmp / "dest").empty()) << what;
    };
    writeFile(sets / "Home.z03", last.substr(0, last.size() - 40));
    damaged("cut short");
    stdfs::remove(sets / "Home.z03");
    ASSERT_EQ(::mkfifo((sets / "Home.z03").c_str(), 0600), 0);
    damaged("a pipe");
    stdfs::remove(sets / "Home.z03");
    writeFile(sets / "Home.z03", last);
    stdfs::remove(sets / "Home.z04");

    // A damaged part costs the entries in it, and nothing is half-written.
    std::string middle = readFile(sets / "Home.z02");
    middle[middle.size() / 2] ^= 0x10;
    writeFile(sets / "Home.z02", middle);
    stdfs::remove_all(tmp / "dest");
    script = {};
    EXPECT_EQ(run(win(sets / "Home.exe")), result::Damaged);
    const std::map<std::string, std::string> got = filesBelow(tmp / "dest");
    EXPECT_LT(got.size(), files.size());
    for (const auto& [name, bytes] : got)
        EXPECT_EQ(bytes, files.at(name)) << name;
}

// The drive is one folder whatever disk is in it, and its label is the one
// the control gave the last disk, as the drive table keeps it.
TEST_F(SfxSets, ASpannedSetOnADriveOfOnePathAndOneLabelIsFoundDiskByDisk)
{
    qm::zip::test::DiskSwapper swapper(tmp / "media", /*onePath*/ true);
    swapper.labelsFollow = false;
    qm::zip::ZipEventHandlers h;
    swapper.answerRequestsOf(h);
    zip.addEventSink(&h);
    zip.ArchivePath = "A:\\Docs.exe";
    zip.SpanMode = 2; // A: is removable
    ASSERT_EQ(zip.Build(), 0);
    ASSERT_EQ(swapper.highestAsked(), 3);
    EXPECT_EQ(swapper.labelOf("disk3"), "PKBACK# 003");

    // Run from disk 1: the last disk, then each in turn.
    std::vector<int> asked;
    std::function<bool(int)> leaveIn = [](int) { return false; };
    script.onDisk = [&](int n) {
        asked.push_back(n);
        if (!leaveIn(n))
            swapper.insert("disk" + std::to_string(n == 0 ? 3 : n));
        return 0;
    };
    swapper.insert("disk1");
    EXPECT_EQ(run("A:\\Docs.exe"), result::Ok);
    EXPECT_EQ(filesBelow(tmp / "dest"), files);
    ASSERT_FALSE(asked.empty());
    EXPECT_EQ(asked.front(), 0);

    // Disk 1 left in when disk 2 is asked for is not taken for it: the
    // label says nothing, the file does.
    stdfs::remove_all(tmp / "dest");
    asked.clear();
    bool once = true;
    leaveIn = [&](int n) { return n == 2 && std::exchange(once, false); };
    swapper.insert("disk3");
    EXPECT_EQ(run("A:\\Docs.exe"), result::Ok);
    EXPECT_EQ(filesBelow(tmp / "dest"), files);
    EXPECT_EQ(std::count(asked.begin(), asked.end(), 2), 2);

    // Another disk of the set offered at the first prompt or a later one is
    // not taken for the disk asked for, which is asked for again.
    for (const auto& [at, offered] : std::vector<std::pair<int, int>>{{1, 2}, {2, 3}}) {
        stdfs::remove_all(tmp / "dest");
        asked.clear();
        bool given = false;
        script.onDisk = [&, at = at, offered = offered](int n) {
            asked.push_back(n);
            const bool wrong = n == at && !std::exchange(given, true);
            swapper.insert("disk" + std::to_string(wrong ? offered : n == 0 ? 3 : n));
            return 0;
        };
        swapper.insert("disk3");
        EXPECT_EQ(run("A:\\Docs.exe"), result::Ok) << at;
        EXPECT_EQ(filesBelow(tmp / "dest"), files) << at;
        EXPECT_EQ(std::count(asked.begin(), asked.end(), at), 2) << at;
    }
}

} // namespace
} // namespace qm::sfxstub::test
