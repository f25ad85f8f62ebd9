#pragma once
// Folder helpers of the self-extractor: full paths, making and removing
// folder trees, the special folders the macros name, and the program's own
// file. Paths are in Windows form.
#include "sfxstub/Macros.h"
#include "sfxstub/SfxConfig.h"

#include <optional>
#include <string>
#include <string_view>

namespace qm::sfxstub {

// The environment variable that moves the per-user system drive (%V).
inline constexpr const char* SystemDriveVariable = "QUILLMATE_SFX_DRIVE";

// The full form of a path: relative ones from the current folder, "/" as
// "\", "." and ".." applied, a final "\" kept. Nothing for a text that is no
// path or whose result is longer than `limit`.
std::optional<std::string> MakeAbsolute(std::string_view path, size_t limit = PathLimit);

// Makes the folder, and the folders above it that are missing. `tempRoot`
// gets the outermost folder that had to be made. False when a folder could
// not be made.
bool CreateFolderTree(const std::string& path, std::string& tempRoot);

// Removes a folder with everything in it. A symbolic link is removed itself,
// never followed; the current folder is not changed; failures leave items in
// place.
void DeleteFolderTree(const std::string& path);

// Makes a new folder that only this user may enter (mode 0700); Taken when
// the name exists, Failed when it cannot be made for another reason.
Claim claimPrivateFolder(const std::string& path, std::string& tempRoot);

// Fills WindowsFolder, SystemFolder, TempFolder, SystemDrive and
// ProgramFilesFolder.
void LookUpSpecialFolders(SfxConfig& c);

// The running program's own file, as a host path: as it was started
// (`invokedAs`, the first word of its command line, when that names this
// very file by a path), so that a program started from a drive whose path
// leads through a link to the medium in it stays on that drive when the
// medium changes; else as the system resolves it.
std::string ownProgramFile(const char* invokedAs = nullptr);

// The program's own file for this run, from main's arguments. A program whose
// file lies on a removable drive goes on from a private copy of itself in the
// temporary folder first, so that nothing holds the medium while the user
// changes disks; the copy's own file is then the one the program was started
// by, on the drive, where every disk is looked for. Where no copy can be
// made, and for a program anywhere else, it runs from where it lies.
std::string runningProgramFile(int argc, char** argv);

} // namespace qm::sfxstub
