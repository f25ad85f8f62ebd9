#pragma once
// The exit statuses of the WinAce stand-in (StandIn.h), which the programs
// that run it read. A header of constants only: a reader needs no link to
// the stand-in.
namespace qm::winace {

inline constexpr int ExitOk = 0;
inline constexpr int ExitWarnings = 1;
inline constexpr int ExitFailed = 2;
// A failure on a full disk: the archive, or an extracted file, could not be
// written whole.
inline constexpr int ExitDiskFull = 3;

} // namespace qm::winace
