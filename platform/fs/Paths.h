#pragma once
// Where Windows-form paths meet the host file system, and the two folders
// every program starts from.
#include "platform/fs/RtError.h"

#include <filesystem>
#include <optional>
#include <string>

namespace qm::fs {

// The host path of a Windows-form path. Accepts "C:\a\b", "c:/a/b", "D:",
// "\a" (on C:), "\\SERVER\share\x" (through the share resolver) and relative
// paths (from the current folder). "." and ".." are applied to the text; each
// component that does not exist as written takes the spelling of an entry of
// its folder that matches without regard to case (the exact spelling wins,
// then the first in case-free order). Throws qm::RtError: 52 bad name
// (control characters, <>|"*?: in a component, an empty or non-letter drive),
// 68 no drive at that letter, 71 removable drive not ready, 76 unknown share.
std::filesystem::path toNative(const std::string& winPath);

// The spelling under which `name` exists in the host folder `folder`: itself
// when it exists as written, else the first entry (case-free order) equal to
// it without case; nothing when there is none.
std::optional<std::string> entryNoCase(const std::filesystem::path& folder, const std::string& name);

// The Windows form of a host path (relative ones from the current folder):
// under the drive whose host folder is the longest leading part of the path,
// else under "C:". A drive's own folder gives its root ("D:\").
std::string fromNative(const std::filesystem::path& native);

// The program folder (App.Path), in Windows form without a final "\": the
// folder of the running program, or $QUILLMATE_HOME (a host path or a
// Windows-form path) when set.
std::string appPath();

// The user's home folder: $HOME, else the one the user database names,
// else "/".
std::filesystem::path homeFolder();

// The user's data folder: $XDG_DATA_HOME when it is an absolute path, else
// ~/.local/share (the XDG rule). Not created here.
std::filesystem::path dataHome();

// The platform configuration folder (drive table, network, registry):
// $QUILLMATE_PLATFORM_DIR, else $XDG_CONFIG_HOME/quillmate, else
// ~/.config/quillmate. Not created here.
std::filesystem::path platformDir();

} // namespace qm::fs
