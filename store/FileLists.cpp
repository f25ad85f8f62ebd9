#include "store/FileLists.h"

#include "platform/fs/Paths.h"

namespace qm::store {

bool usableFileName(std::string_view name)
{
    if (name.empty() || name == "." || name == "..")
        return false;
    for (unsigned char c : name)
        if (c < 0x20 || c == 0x7f || c == '\\' || c == '/')
            return false;
    return true;
}

std::optional<std::string> fileListPath(std::string_view project, std::string_view kind, bool hold)
{
    std::string name = std::string(project) + "-" + std::string(kind);
    if (hold)
        name += "-hold";
    if (!usableFileName(name))
        return std::nullopt;
    return qm::fs::appPath() + "\\Filelists\\" + name;
}

} // namespace qm::store
