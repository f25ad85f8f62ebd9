#include "pickers/TreeKeys.h"

#include "platform/fs/Errors.h"
#include "platform/fs/FileOps.h"
#include "platform/fs/WinPath.h"
#include "platform/net/Neighbourhood.h"

namespace qm::pickers {

bool isPathKey(const std::string& key)
{
    return qm::fs::driveLetter(key) || qm::net::splitUnc(key);
}

int KeyAttributes(const std::string& key)
{
    if (key.empty())
        throw qm::RtError(91, "Object variable or With block variable not set");
    if (!isPathKey(key))
        throw qm::fs::makeRtError(qm::rterr::BadFileName, key);
    return qm::fs::getAttributes(key);
}

} // namespace qm::pickers
