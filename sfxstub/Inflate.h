#pragma once
// The deflate decoder (method 8) of the self-extractor that reads it.
#include "sfxstub/Decoders.h"

namespace qm::sfxstub {

std::unique_ptr<StreamDecoder> makeInflateDecoder();

} // namespace qm::sfxstub
