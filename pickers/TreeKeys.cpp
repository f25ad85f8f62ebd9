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
        throw NoNodeError();
    if (!isPathKey(key))
        throw qm::fs::makeRtError(qm::rterr::BadFileName, key);
    return qm::fs::getAttributes(key);
}

qm::RtError NoNodeError()
{
    return qm::RtError(91, "Object variable or With block variable not set");
}

std::string ErrorText(const qm::RtError& e)
{
    return "Error: " + std::to_string(e.number) + "\r\n" + e.description;
}

} // namespace qm::pickers
