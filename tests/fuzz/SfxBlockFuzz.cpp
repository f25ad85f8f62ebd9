// The self-extractor's configuration block over any bytes: a block that
// decodes holds only values within their limits, and encodes to a block
// that decodes to the same values.
#include "FuzzScratch.h"
#include "platform/zip/SfxBlock.h"

#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    size_t used = 0;
    std::optional<qm::sfx::SfxConfig> c = qm::sfx::decodeBlock(bytes, &used);
    if (!c)
        return 0;
    if (used > bytes.size() || used > qm::sfx::maxBlockSize())
        qm::fuzz::fail("the block claims more bytes than it was given");
    if (qm::sfx::firstBadField(*c) >= 0)
        qm::fuzz::fail("a decoded field breaks its limit");
    std::optional<std::string> again = qm::sfx::encodeBlock(*c);
    if (!again)
        qm::fuzz::fail("a decoded block cannot be encoded");
    std::optional<qm::sfx::SfxConfig> back = qm::sfx::decodeBlock(*again);
    if (!back || !(*back == *c))
        qm::fuzz::fail("an encoded block does not decode to the same values");
    return 0;
}
