// The self-extractor's engine against directories that lie: entries that
// share bytes or lie outside the archive, and more output than the archive
// can honestly give.
#include "SfxTestUtil.h"

#include "platform/zip/ExpansionBound.h"

#include <gtest/gtest.h>

namespace qm::sfxstub::test {
namespace {

namespace stdfs = std::filesystem;
using qm::test::writeFile;
using qm::zip::test::allFiles;
using qm::zip::test::RawOptions;
using qm::zip::test::rawZip;

class SfxHostile : public ::testing::Test {
protected:
    void SetUp() override { stdfs::create_directories(dest); }
    uint64_t written() const { return bytesBelow(dest); }

    qm::test::TempDir tmp{"qm-sfx-hostile"};
    stdfs::path dest = tmp / "dest";
    EventScript script;
};

TEST_F(SfxHostile, EntriesSharingBytesOrOutsideTheArchiveAreRefused)
{
    // Sixteen records pointing at one local header of 1 MiB of zeros: one
    // entry's worth is written, the others are refused as damaged.
    constexpr size_t Size = 1 << 20;
    writeFile(tmp / "shared.zip", sharedHeaderZip(16, Size));
    EXPECT_EQ(unzip(script, tmp / "shared.zip", dest), result::Damaged);
    EXPECT_LE(written(), Size);
    EXPECT_EQ(allFiles(dest).size(), 1u);
    EXPECT_EQ(script.kinds(), std::vector<int>(15, kind::BadHeader));

    // Records whose local headers lie past the directory: nothing is read there.
    RawOptions shifted;
    shifted.offsetShift = 1000;
    writeFile(tmp / "shifted.zip", rawZip({{"a.txt", "aaaa"}, {"b.txt", "bbbb"}}, shifted));
    script = {};
    stdfs::remove_all(dest);
    EXPECT_EQ(unzip(script, tmp / "shifted.zip", dest), result::Damaged);
    EXPECT_EQ(script.kinds(), std::vector<int>(2, kind::BadHeader));
    EXPECT_TRUE(allFiles(dest).empty());
}

TEST_F(SfxHostile, OutputBeyondTheBoundIsNeverWritten)
{
    // A small archive whose one entry decodes to more than the bound allows
    // it: refused before anything is decoded.
    const size_t over = size_t(qm::zip::ExpansionFloor) + (1 << 20);
    writeFile(tmp / "bomb.zip", rawZip({{"ok.txt", "fine"}, bwZeros("bomb.bin", over)}));
    EXPECT_EQ(unzip(script, tmp / "bomb.zip", dest), result::Damaged);
    EXPECT_TRUE(script.of(event::Begin).empty());
    EXPECT_TRUE(allFiles(dest).empty());

    // The same entry with a directory that claims a small size: the local
    // header, which disagrees, does not raise the bound.
    std::string lying = rawZip({bwZeros("bomb.bin", over)});
    const size_t central = lying.size() - 22 - (46 + 8);
    lying[central + 24 + 3] = 0; // uncompressed size now 1 MiB
    writeFile(tmp / "lying.zip", lying);
    script = {};
    stdfs::remove_all(dest);
    EXPECT_EQ(unzip(script, tmp / "lying.zip", dest), result::Damaged);
    EXPECT_EQ(script.kinds(), std::vector<int>{kind::BadHeader});
    EXPECT_EQ(written(), 0u);
    EXPECT_TRUE(allFiles(dest).empty());
}

TEST_F(SfxHostile, AProgramInFrontDoesNotRaiseTheBound)
{
    // The bomb behind 64 KiB of program, its offsets counted from the
    // archive and from the file: refused as it is without the program.
    const auto bomb = bwZeros("bomb.bin", size_t(qm::zip::ExpansionFloor) + (1 << 20));
    const std::string program(64 << 10, 'x');
    RawOptions fromFile;
    fromFile.offsetShift = int64_t(program.size());
    std::string absolute = rawZip({bomb}, fromFile);
    const size_t directory = absolute.size() - 22 - (46 + 8); // one record, named "bomb.bin"
    for (int i = 0; i < 4; ++i) // the end record's directory offset, from the file's start
        absolute[absolute.size() - 6 + size_t(i)] = char((directory + program.size()) >> (8 * i));
    for (const std::string& archive : {rawZip({bomb}), absolute}) {
        writeFile(tmp / "setup.exe", program + archive);
        script = {};
        script.stopAtFirstFile = true; // a bound let through writes nothing either
        stdfs::remove_all(dest);
        EXPECT_EQ(unzip(script, tmp / "setup.exe", dest), result::Damaged);
        EXPECT_TRUE(script.of(event::Begin).empty());
        EXPECT_TRUE(allFiles(dest).empty());
    }

    // One more record, an empty file said to begin at byte 0, where the
    // program stands: the archive still begins at the bomb's header.
    std::string withEmpty = rawZip({{"empty.txt", ""}, bomb}, fromFile);
    const size_t records = withEmpty.size() - 22 - (46 + 9) - (46 + 8);
    for (int i = 0; i < 4; ++i) {
        withEmpty[records + 42 + size_t(i)] = 0;
        withEmpty[withEmpty.size() - 6 + size_t(i)] = char((records + program.size()) >> (8 * i));
    }
    writeFile(tmp / "setup.exe", program + withEmpty);
    script = {};
    script.stopAtFirstFile = true;
    stdfs::remove_all(dest);
    EXPECT_EQ(unzip(script, tmp / "setup.exe", dest), result::Damaged);
    EXPECT_TRUE(script.of(event::Begin).empty());
    EXPECT_TRUE(allFiles(dest).empty());

    // Local offsets from the file, the directory's from the archive: the
    // headers are found as extraction finds them, and 2 KB of stored data
    // let the same entry through.
    writeFile(tmp / "setup.exe", program + rawZip({{"pad.bin", qm::zip::test::randomBytes(2000)}, bomb}, fromFile));
    script = {};
    script.stopAtFirstFile = true;
    stdfs::remove_all(dest);
    EXPECT_EQ(unzip(script, tmp / "setup.exe", dest), result::Stopped);
    EXPECT_EQ(script.of(event::Begin).size(), 1u);
}

} // namespace
} // namespace qm::sfxstub::test
