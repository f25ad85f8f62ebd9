#pragma once
// The runner's project list: the names of the plain files of a folder (one
// per project), in case-free alphabetical order. Folders and hidden files
// are not listed; a missing or unreadable folder lists nothing.
#include <string>
#include <vector>

namespace qm::runner {

std::vector<std::string> projectFileNames(const std::string& winFolder);

} // namespace qm::runner
