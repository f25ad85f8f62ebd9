#include "runner/ProjectFiles.h"

#include "platform/fs/FileOps.h"

namespace qm::runner {

std::vector<std::string> projectFileNames(const std::string& winFolder)
{
    std::vector<std::string> names;
    std::vector<qm::fs::FileEntry> entries;
    try {
        entries = qm::fs::listFolder(winFolder, "*");
    } catch (const std::exception&) {
        return names;
    }
    namespace attr = qm::fs::attr;
    for (const qm::fs::FileEntry& e : entries)
        if (!(e.attributes & (attr::Directory | attr::Hidden | attr::System | attr::Volume)))
            names.push_back(e.name);
    return names;
}

} // namespace qm::runner
