#include "restore/Folders.h"

#include "platform/fs/FileOps.h"
#include "platform/fs/Paths.h"

namespace qm::restore {

void useDriveRoot(const std::string& drive)
{
    qm::fs::toNative(drive.substr(0, 1) + ":\\");
}

void useFolder(const std::string& folder)
{
    useDriveRoot(folder);
    if (!qm::fs::isFolder(folder))
        qm::fs::getAttributes(folder);
}

} // namespace qm::restore
