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
    try {
        return qm::fs::FileLock::tryAcquire(qm::fs::toNative(runLockPath()),
                                            qm::fs::FileLock::Mode::Exclusive, true);
    } catch (const std::exception&) {
        unavailable = true;
        return {};
    }
}

} // namespace qm::runner
