#pragma once
// The drive table: which letters exist, the host folder behind each, its
// type, label and serial number. "C:" is always the root "/" (fixed); more
// letters come from the file "drives" in the platform folder, one section
// per letter:
//     [D:]
//     Path=/media/usb0
//     Type=removable        (removable, fixed, cdrom, ramdisk, remote)
//     Label=BACKUP
//     Serial=1A2B-3C4D
// A "[C:]" section may give C:'s Label and Serial only. Further letters
// (mapped network drives) come from a second source plugged in at start-up.
// Both programs read the same tables; the file is re-read when it changes.
// A file that cannot be read counts as empty; the first time, a line on
// standard error says so.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace qm::fs {

// Drive types with their classic numbers.
namespace drivetype {
inline constexpr int Unknown = 0;
inline constexpr int NoRootDir = 1; // no drive at that letter
inline constexpr int Removable = 2;
inline constexpr int Fixed = 3;
inline constexpr int Remote = 4;
inline constexpr int CdRom = 5;
inline constexpr int RamDisk = 6;
} // namespace drivetype

struct Drive {
    char letter = 'C';              // capital letter
    std::filesystem::path root;     // host folder behind "X:\"
    int type = drivetype::Fixed;
    std::string label;
    std::uint32_t serial = 0;
};

// Every drive, in letter order, "C:" included. The drives file and the
// connection table are kept in memory; each lookup checks that their files
// did not change (a stat of each), unless a DriveTableHold is alive.
std::vector<Drive> drives();

// While one is alive, the drive table is checked against its files once,
// at the first lookup: for a run of lookups that nothing between them can
// change (a list of files read row by row). Not across anything that lets
// the user act (events, boxes, a yield to the window).
class DriveTableHold {
public:
    DriveTableHold();
    ~DriveTableHold();
    DriveTableHold(const DriveTableHold&) = delete;
    DriveTableHold& operator=(const DriveTableHold&) = delete;
};
// The drive of that letter (either case), if any.
std::optional<Drive> findDrive(char letter);
// What the classic drive-type query answers for a root ("C:\", "C:", "c:/",
// a one-letter "C"): the drive's type, or NoRootDir for an unknown letter or
// a text that is not a drive root. "\\SERVER\share\" gives Remote when the
// share can be resolved.
int driveType(const std::string& root);
// False for a removable or CD-ROM drive whose host folder is missing (no
// medium), and for a drive whose folder is missing or not a folder.
bool driveReady(const Drive& drive);
// The roots of all drives, "C:\", "D:\", ... in letter order.
std::vector<std::string> driveRoots();

// Where the drive table file lives: platformDir() / "drives".
std::filesystem::path drivesFile();

// Extension points, called once at program start (before other threads):
// A second source of drive letters (the network connection table). Its
// letters are added where the drives file has none. Pass {} to remove it.
using DriveSource = std::function<std::vector<Drive>()>;
void setConnectedDriveSource(DriveSource source);
// Resolves a share "\\SERVER\share" (server and share as written) to the host
// folder behind it; nothing when unknown. Pass {} to remove it.
using UncResolver = std::function<std::optional<std::filesystem::path>(const std::string& server,
                                                                       const std::string& share)>;
void setUncResolver(UncResolver resolver);
// The host folder behind a share, through the resolver (nothing without one).
std::optional<std::filesystem::path> resolveShare(const std::string& server, const std::string& share);

} // namespace qm::fs
