#pragma once
// WinAce's action log: the file "action.log" in the folder of the WinAce
// program, whose lines the action log window lists.
#include <string>
#include <vector>

namespace qm::restore {

// The folder of `WinAceLocation` up to and including its last "\" (or "/"),
// followed by "action.log"; just "action.log" when the path has no folder.
std::string actionLogPath(const std::string& WinAceLocation);

// The lines of the log, in order, without their line ends (CR LF, LF or a
// lone CR). A log that is missing or cannot be read throws qm::RtError 53
// naming the log.
std::vector<std::string> readActionLog(const std::string& WinAceLocation);

} // namespace qm::restore
