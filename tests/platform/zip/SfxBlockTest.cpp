// The self-extractor's configuration block: exact bytes, limits, the marker
// and finding the block in a file.
#include "TestSupport.h"
#include "platform/zip/SfxBlock.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

namespace qm::sfx {
namespace {

std::string hex(const std::string& s)
{
    static const char* digits = "0123456789abcdef";
    std::string out;
    for (unsigned char c : s) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

std::string markerBytes()
{
    auto m = marker();
    return std::string(reinterpret_cast<const char*>(m.data()), m.size());
}

SfxConfig smallRecord()
{
    SfxConfig c;
    c.AskDestination = 1;
    c.ShowProgress = 1;
    c.OkCaption = "OK";
    c.OverwriteMode = 2;
    c.Caption = "Demo";
    c.AssociationList = "txt|ed|Text";
    c.TempMode = 1;
    return c;
}

TEST(SfxBlock, SmallRecordGivesKnownBytes)
{
    // Worked out apart from this codec, from the key schedule alone.
    const std::string golden =
        "cda34d1f68fb47db3edaf6d1b68fb47de3edbaca1f6d3eda7db4fb68f6d1eda3db47b68f6d1fda3eb47d28fb47db8fb61f6d3eda7db"
        "4fb68f6d1eda3db47b68f6d1fda3e347d914f38008fb61f6d3eda7db4fb68f6d1eda3db47b68f6d1fda3ed47c9fd7b18c8ce8d15651"
        "91b6b5968fb47d68fb47db8fb61f6dfb68db47da3ed1f6";
    std::optional<std::string> block = encodeBlock(smallRecord());
    ASSERT_TRUE(block);
    EXPECT_EQ(hex(*block), golden);
    size_t used = 0;
    std::optional<SfxConfig> back = decodeBlock(*block + "trailing archive bytes", &used);
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, smallRecord());
    EXPECT_EQ(used, block->size());
}

TEST(SfxBlock, EveryFieldAtItsLimitComesBack)
{
    SfxConfig c;
    unsigned n = 0;
    for (const FieldSpec& s : fieldSpecs()) {
        ++n;
        if (s.kind == FieldKind::Text) {
            std::string t;
            for (size_t i = 0; i < s.limit; ++i)
                t += char('A' + (i + n) % 26);
            t.back() = char(0xC3); // any byte survives
            c.*s.text = t;
        } else {
            c.*s.word = s.limit;
        }
    }
    std::optional<std::string> block = encodeBlock(c);
    ASSERT_TRUE(block);
    EXPECT_EQ(block->size(), maxBlockSize());
    std::optional<SfxConfig> back = decodeBlock(*block);
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, c);
    EXPECT_EQ(back->DestinationFolder.size(), 255u); // odd length: the pad byte is not part of the text
}

TEST(SfxBlock, ValuesTheStubWouldRejectAreNeverWrittenOrRead)
{
    SfxConfig c = smallRecord();
    c.OkCaption = std::string(31, 'x');
    EXPECT_EQ(firstBadField(c), 8);
    EXPECT_FALSE(encodeBlock(c));
    c.OkCaption = std::string(30, 'x');
    c.AgreementText = std::string(8001, 'x');
    EXPECT_EQ(std::string(fieldSpecs()[size_t(firstBadField(c))].name), "AgreementText");
    c.AgreementText.clear();
    c.OverwriteMode = 4;
    EXPECT_EQ(std::string(fieldSpecs()[size_t(firstBadField(c))].name), "OverwriteMode");
    EXPECT_FALSE(encodeBlock(c));

    // A block made by hand with a flag of 2, or cut inside a text.
    std::string good = *encodeBlock(smallRecord());
    EXPECT_FALSE(decodeBlock(good.substr(0, 40)));
    std::string badFlag = good;
    // The first word decodes to AskDestination; flipping its value to 2.
    uint16_t stored = uint16_t(static_cast<unsigned char>(badFlag[0]) | (static_cast<unsigned char>(badFlag[1]) << 8));
    uint16_t plain = uint16_t(((stored << 11) | (stored >> 5)) ^ KeySeed);
    ASSERT_EQ(plain, 1);
    uint16_t two = uint16_t(2 ^ KeySeed);
    uint16_t restored = uint16_t((two >> 11) | (two << 5));
    badFlag[0] = char(restored & 0xff);
    badFlag[1] = char(restored >> 8);
    EXPECT_FALSE(decodeBlock(badFlag));
    // A last word cut short reads as 0.
    std::optional<SfxConfig> shortEnd = decodeBlock(good.substr(0, good.size() - 1));
    ASSERT_TRUE(shortEnd);
    EXPECT_EQ(shortEnd->ReservedFlag, 0);
}

TEST(SfxBlock, MarkerIsFoundOnlyInsideTheWindowAndNeverInOurOwnProgram)
{
    EXPECT_EQ(hex(markerBytes()), "e3514d53589c");
    // A program that links the codec holds no marker: the stub searches its
    // own file for it.
    std::string self = qm::test::readFile("/proc/self/exe");
    ASSERT_GT(self.size(), 1000u);
    EXPECT_EQ(self.find(markerBytes()), std::string::npos);

    qm::test::TempDir tmp("qm-sfxblock");
    // Markers before the window, straddling two reads, and past the limit.
    std::string file(120000, '\0');
    file.replace(100, MarkerSize, markerBytes());
    const size_t straddle = MarkerSearchStart + SearchChunk - 3;
    file.replace(straddle, MarkerSize, markerBytes());
    file.replace(100000, MarkerSize, markerBytes());
    qm::test::writeFile(tmp / "f", file);
    int fd = ::open((tmp / "f").c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(findMarkerInFile(fd), int64_t(straddle));
    EXPECT_EQ(findMarkerInFile(fd, straddle + 1, 100000), -1); // the limit itself is outside
    EXPECT_EQ(findMarkerInFile(fd, straddle + 1, 100001), 100000);
    ::close(fd);
    EXPECT_EQ(findMarker(file, MarkerSearchStart), int64_t(straddle));
    EXPECT_EQ(findMarker(file, straddle + 1, 100000), -1);

    // A program file: stub, marker, block, archive.
    std::string block = *encodeBlock(smallRecord());
    std::string program = std::string(MarkerSearchStart, 'S') + markerBytes() + block + "PK\x05\x06";
    qm::test::writeFile(tmp / "p.exe", program);
    uint64_t start = 0, end = 0;
    std::optional<SfxConfig> c = loadFromFile((tmp / "p.exe").string(), &start, &end);
    ASSERT_TRUE(c);
    EXPECT_EQ(c->Caption, "Demo");
    EXPECT_EQ(start, MarkerSearchStart + MarkerSize);
    EXPECT_EQ(end, start + block.size());
    qm::test::writeFile(tmp / "none.exe", std::string(MarkerSearchStart, 'S') + block);
    EXPECT_FALSE(loadFromFile((tmp / "none.exe").string()));
}

} // namespace
} // namespace qm::sfx
