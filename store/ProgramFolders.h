#pragma once
// The program folder's temporary folder, by the one name both programs give
// it: the main program empties it at every start, the runner makes it when
// it is missing, and the backups keep their comment file there.
#include <string>
#include <string_view>

namespace qm::store {

inline constexpr std::string_view TempFolderName = "Temp";

// `appPath` & "\Temp".
inline std::string ProgramTempFolder(std::string_view appPath)
{
    return std::string(appPath) + "\\" + std::string(TempFolderName);
}

} // namespace qm::store
