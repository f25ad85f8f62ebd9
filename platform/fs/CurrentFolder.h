#pragma once
// The current drive and folder as a Windows program knows them: one drive
// is current, and every drive keeps a current folder of its own (its root
// until one is chosen). The process's working folder is always the current
// folder of the current drive, so relative paths, and the zip control's
// build without a source folder, start there.
#include <string>

namespace qm::fs {

// Makes the drive named by the first letter of `drive` ("D", "d:", "D:\x")
// the current one; the process goes to that drive's current folder (its root
// when that folder is gone). An empty text changes nothing. 68 for a letter
// with no drive, 71 for a drive that is not ready, 5 when `drive` does not
// begin with a letter.
void ChDrive(const std::string& drive);

// Makes `winPath` the current folder of its drive without changing the
// current drive; when its drive is the current one, the process goes there
// too. A path without a drive is taken on the current drive ("\x" from its
// root, "x" from its current folder); a UNC path becomes the process's
// working folder at once. 76 when the folder does not exist.
void ChDir(const std::string& winPath);

// The current folder of the drive `drive` names ("" the current drive), in
// Windows form.
std::string CurDir(const std::string& drive = "");

// While it lives, the process works in no folder of the drive `letter`: a
// medium cannot be taken out of its drive while a process works in a folder
// of it. When that drive is the current one, the process goes to the host's
// root, and back to the drive's current folder after (its root when that
// folder is not on the medium then in; it stays at the host's root when the
// drive is not ready). Anything else changes nothing.
class AwayFromDrive {
public:
    explicit AwayFromDrive(char letter);
    ~AwayFromDrive();
    AwayFromDrive(const AwayFromDrive&) = delete;
    AwayFromDrive& operator=(const AwayFromDrive&) = delete;

private:
    char letter_ = 0; // the drive left, or 0
};

} // namespace qm::fs
