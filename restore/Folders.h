#pragma once
// The current drive and folder as the restore, test and viewing commands
// change them (a program started without a folder of its own starts in
// the current folder). Failures throw qm::RtError: 68 for a drive that is
// not there, 5 for a path that does not begin with a drive letter, 76 for
// a folder that is not there.
#include <string>

namespace qm::restore {

// The drive named by the first character of `drive` becomes current, at
// its root.
void useDriveRoot(const std::string& drive);
// The drive of `folder` (its first character) becomes current, then the
// folder itself.
void useFolder(const std::string& folder);

} // namespace qm::restore
