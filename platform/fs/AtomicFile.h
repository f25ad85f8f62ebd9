#pragma once
// Whole-file reads and atomic whole-file writes on host paths. A write goes to
// a temporary file in the same folder that is renamed over the target only
// when complete, so a failure never leaves half a file.
#include <filesystem>
#include <string>
#include <string_view>

namespace qm::fs {

// Replaces (or creates) `native` with `bytes`. The new file keeps the old
// file's permissions (and owner, where allowed); a symlink is written through.
// On failure the old file is untouched, no temporary file is left, and
// qm::RtError is thrown (76 folder missing, 70 no permission, 61 no room, ...).
void writeFileAtomic(const std::filesystem::path& native, std::string_view bytes);

// The whole content of `native`. Throws qm::RtError: 53 file missing, 76 its
// folder missing, 70 no permission, 75 a folder or other access error.
std::string readFileBytes(const std::filesystem::path& native);

} // namespace qm::fs
