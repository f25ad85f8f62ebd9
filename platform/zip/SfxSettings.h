#pragma once
// The self-extractor's share of a build: the configuration block made from
// the control's self-extractor properties (our defaults where they are
// empty), and the bytes that go in front of the archive: the stub, zero
// padding up to the marker search's start, the marker and the block.
#include "platform/zip/PavikZip.h"
#include "platform/zip/SfxBlock.h"

#include <string>

namespace qm::zip {

struct SfxPrefix {
    int result = 0;          // 0, or the code that stops the build
    std::string property;    // the property that broke its limit, e.g. "SfxMessageText(4)"
    std::string bytes;       // stub, padding, marker, block
};

// The block's fields from the control's properties. Returns 0 or a result
// code (a value too long, a malformed association, a bad mode); `property`
// then names the property at fault.
int sfxConfigOf(const PavikZip& z, qm::sfx::SfxConfig& out, std::string& property);

// Reads the stub of SfxStubPath and puts the prefix together.
SfxPrefix makeSfxPrefix(const PavikZip& z);

} // namespace qm::zip
