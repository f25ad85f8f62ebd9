// Pieces compressed apart and joined: one stream that decodes to the whole.
#include "ZipTestUtil.h"

#include "platform/zip/PieceCodec.h"

#include <bzlib.h>
#include <gtest/gtest.h>

namespace qm::zip::test {
namespace {

std::string decoded(int method, const std::string& stream, size_t size)
{
    std::unique_ptr<Decoder> d = makeDecoder(method, size);
    std::string out;
    Decoder::Status st = d->feed(reinterpret_cast<const unsigned char*>(stream.data()), stream.size(),
                                 [&](const unsigned char* p, size_t n) { out.append(reinterpret_cast<const char*>(p), n); });
    EXPECT_EQ(st, Decoder::Status::End);
    return out;
}

const unsigned char* bytes(const std::string& s)
{
    return reinterpret_cast<const unsigned char*>(s.data());
}

TEST(PieceCodec, DeflatePiecesPrimedWithWhatCameBeforeMakeOneStream)
{
    const std::string data = textBytes(300000) + randomBytes(5000) + textBytes(100000, 9);
    PieceEncoder enc;
    for (size_t piece : {size_t(4096), size_t(65536 + 13), size_t(150000)}) {
        SCOPED_TRACE(piece);
        std::string stream;
        for (size_t at = 0; at < data.size(); at += piece) {
            const size_t n = std::min(piece, data.size() - at);
            const size_t dict = std::min(at, DeflateWindow);
            ByteBuffer out;
            enc.deflatePiece(6, bytes(data) + at - dict, dict, bytes(data) + at, n, at + n == data.size(), out);
            stream.append(out.begin(), out.end());
        }
        EXPECT_EQ(decoded(8, stream, data.size()), data);
        EXPECT_LT(stream.size(), data.size() / 2);
    }
    // A file that ended early: an empty last piece still closes the stream.
    ByteBuffer first, last;
    enc.deflatePiece(6, nullptr, 0, bytes(data), 10000, false, first);
    enc.deflatePiece(6, bytes(data), 10000, bytes(data) + 10000, 0, true, last);
    std::string stream(first.begin(), first.end());
    stream.append(last.begin(), last.end());
    EXPECT_EQ(decoded(8, stream, 10000), data.substr(0, 10000));
}

TEST(PieceCodec, BurrowsWheelerBlocksJoinBehindOneHeader)
{
    // Runs of four equal bytes grow the most in the block's first step.
    std::string runs;
    for (size_t i = 0; runs.size() < 200000; ++i)
        runs.append(4, char('a' + i % 7));
    const std::string data = textBytes(120000) + runs + randomBytes(30000);
    const size_t limit = bwPieceLimit(1);
    PieceEncoder enc;
    for (size_t piece : {size_t(1000), size_t(4096 + 7), limit}) {
        SCOPED_TRACE(piece);
        std::string stream;
        BwJoiner join(1, [&](const unsigned char* p, size_t n) { stream.append(reinterpret_cast<const char*>(p), n); });
        for (size_t at = 0; at < data.size(); at += piece) {
            ByteBuffer out;
            enc.bwPiece(1, bytes(data) + at, std::min(piece, data.size() - at), out);
            join.add(out.data(), out.size());
            if (at == 0) { // an empty piece (a file that shrank) adds no block
                enc.bwPiece(1, bytes(data), 0, out);
                join.add(out.data(), out.size());
            }
        }
        join.finish();
        EXPECT_EQ(stream[0], bwLevelDigit(1));
        EXPECT_EQ(decoded(18, stream, data.size()), data);
    }

    // A stream of two blocks is refused rather than joined wrongly.
    ByteBuffer two(300000);
    unsigned size = unsigned(two.size());
    ASSERT_EQ(BZ2_bzBuffToBuffCompress(reinterpret_cast<char*>(two.data()), &size,
                                       const_cast<char*>(data.data()), unsigned(limit * 2), 1, 0, 0),
              BZ_OK);
    BwJoiner join(1, [](const unsigned char*, size_t) {});
    EXPECT_THROW(join.add(two.data(), size), std::runtime_error);
}

} // namespace
} // namespace qm::zip::test
