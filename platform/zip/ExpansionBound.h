#pragma once
// The bound on what reading an archive may write. Extraction and test
// refuse an archive whose entries, taken together, would give more than
// ExpansionRatio times the archive's own size, once that is past
// ExpansionFloor. Deflate never passes about 1,030 to 1, and real data in
// Burrows-Wheeler form stays far below the ratio; only a bomb (or an archive
// of nothing but one repeated byte) reaches it. Header only: the zip control
// and the self-extractor stub share it without linking each other.
#include <algorithm>
#include <cstdint>

namespace qm::zip {

inline constexpr uint64_t ExpansionFloor = 64ull << 20;
inline constexpr uint64_t ExpansionRatio = 100000;

// Whether `plainTotal` bytes out of an archive of `archiveSize` bytes pass
// that limit.
inline bool beyondExpansionLimit(uint64_t plainTotal, uint64_t archiveSize)
{
    const uint64_t allowed = archiveSize > UINT64_MAX / ExpansionRatio ? UINT64_MAX : archiveSize * ExpansionRatio;
    return plainTotal > std::max(ExpansionFloor, allowed);
}

// The sum of `a` and `b`, held at the largest value instead of wrapping.
inline uint64_t addSaturating(uint64_t a, uint64_t b)
{
    return a > UINT64_MAX - b ? UINT64_MAX : a + b;
}

} // namespace qm::zip
