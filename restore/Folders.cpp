#include "restore/Folders.h"

#include "platform/fs/CurrentFolder.h"

namespace qm::restore {

void useDriveRoot(const std::string& drive)
{
    qm::fs::ChDrive(drive);
    qm::fs::ChDir(drive.substr(0, 1) + ":\\");
}

void useFolder(const std::string& folder)
{
    qm::fs::ChDrive(folder);
    qm::fs::ChDir(folder);
}

} // namespace qm::restore
