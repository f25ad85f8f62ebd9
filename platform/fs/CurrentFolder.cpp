#include "platform/fs/CurrentFolder.h"

#include "platform/fs/Drives.h"
#include "platform/fs/Errors.h"
#include "platform/fs/Paths.h"
#include "platform/fs/WinPath.h"

#include <cctype>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

namespace qm::fs {

namespace {

namespace stdfs = std::filesystem;

constexpr int InvalidCall = 5;

// The process's own view: the current drive and each drive's folder. Until a
// drive is chosen the current one is the drive of the working folder.
struct Current {
    char drive = '\0';
    std::map<char, std::string> folders;
};

Current& current()
{
    static Current c;
    if (c.drive == '\0') {
        std::error_code ec;
        const std::string here = fromNative(stdfs::current_path(ec));
        c.drive = driveLetter(here) ? driveLetter(here) : 'C';
        c.folders[c.drive] = here;
    }
    return c;
}

bool isHostFolder(const stdfs::path& native)
{
    struct stat st {};
    return ::stat(native.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The process goes to `native`; `what` names it in the error.
void enter(const stdfs::path& native, const std::string& what)
{
    if (::chdir(native.c_str()) != 0)
        throw rtErrorFromErrno(errno, what, native);
}

} // namespace

void ChDrive(const std::string& drive)
{
    if (drive.empty())
        return;
    const unsigned char first = static_cast<unsigned char>(drive[0]);
    if (!std::isalpha(first))
        throw makeRtError(InvalidCall, drive);
    const char letter = static_cast<char>(std::toupper(first));
    const std::string root = std::string(1, letter) + ":\\";
    const std::optional<Drive> d = findDrive(letter);
    if (!d)
        throw makeRtError(rterr::DeviceUnavailable, root);
    if (!driveReady(*d))
        throw makeRtError(d->type == drivetype::Removable || d->type == drivetype::CdRom ? rterr::DiskNotReady
                                                                                         : rterr::DeviceUnavailable,
                          root);
    Current& c = current();
    std::string folder = c.folders.count(letter) ? c.folders[letter] : root;
    stdfs::path native;
    try {
        native = toNative(folder);
    } catch (const qm::RtError&) {
    }
    if (native.empty() || !isHostFolder(native)) {
        folder = root;
        native = toNative(root);
    }
    enter(native, folder);
    c.drive = letter;
    c.folders[letter] = folder;
}

void ChDir(const std::string& winPath)
{
    Current& c = current();
    std::string path = toBackslashes(winPath);
    if (path.empty())
        throw makeRtError(rterr::PathNotFound, winPath);
    if (!isUncPath(path) && !driveLetter(path))
        path = path[0] == '\\' ? std::string(1, c.drive) + ":" + path : joinPath(CurDir(), path);
    const stdfs::path native = toNative(path);
    if (!isHostFolder(native))
        throw makeRtError(rterr::PathNotFound, winPath);
    if (isUncPath(path)) {
        enter(native, winPath);
        return;
    }
    const char letter = driveLetter(path);
    const std::string folder = withoutTrailingBackslash(path);
    if (letter == c.drive)
        enter(native, winPath);
    c.folders[letter] = folder;
}

std::string CurDir(const std::string& drive)
{
    Current& c = current();
    const char letter = drive.empty() ? c.drive : static_cast<char>(std::toupper(static_cast<unsigned char>(drive[0])));
    auto it = c.folders.find(letter);
    return it != c.folders.end() ? it->second : std::string(1, letter) + ":\\";
}

AwayFromDrive::AwayFromDrive(char letter)
{
    const char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
    if (upper == '\0' || upper != current().drive || ::chdir("/") != 0)
        return;
    letter_ = upper;
}

AwayFromDrive::~AwayFromDrive()
{
    if (letter_ == 0)
        return;
    try {
        ChDrive(std::string(1, letter_));
    } catch (const qm::RtError&) {
        // Not ready now: the next change of drive or folder goes on from the root.
    }
}

} // namespace qm::fs
