// The engine on self-extractors of several files made by our zip control:
// a set split into parts beside the program ("name.z02", ...), read without
// a question, and a spanned set on a removable drive that is one path for
// every disk, whose one label (the drive's) no swap of disks changes.
#include "SfxTestUtil.h"

#include "platform/zip/PavikZip.h"

#include <gtest/gtest.h>

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
    int disks = 0;
    qm::zip::ZipEventHandlers h;
    h.onDiskRequest = [&](int disk, bool& ready) {
        disks = std::max(disks, disk);
        swapper.insert("disk" + std::to_string(disk == 0 ? disks : disk));
        ready = true;
    };
    zip.addEventSink(&h);
    zip.ArchivePath = "A:\\Docs.exe";
    zip.SpanMode = 2; // A: is removable
    ASSERT_EQ(zip.Build(), 0);
    ASSERT_EQ(disks, 3);
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
}

} // namespace
} // namespace qm::sfxstub::test
