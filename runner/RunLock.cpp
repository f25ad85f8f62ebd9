#include "runner/RunLock.h"

#include "platform/fs/Paths.h"

namespace qm::runner {

std::string runLockPath()
{
    return qm::fs::appPath() + "\\.nightwick.lock";
}

qm::fs::FileLock takeRunLock(bool& unavailable)
{
    unavailable = false;
    // The lock file; where none can be made (a program folder its user may
    // not write), the program folder itself.
    for (const std::string& path : {runLockPath(), qm::fs::appPath()}) {
        try {
            return qm::fs::FileLock::tryAcquire(qm::fs::toNative(path), qm::fs::FileLock::Mode::Exclusive, true);
        } catch (const std::exception&) {
        }
    }
    unavailable = true;
    return {};
}

} // namespace qm::runner
