#pragma once
// Small lookups of the system: one registry value, the installed WinAce,
// connecting a network share to a drive letter, the first free drive letter,
// and the busy pointer. None of them shows a message or passes an error on;
// each result is a plain value.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <variant>

namespace qm::ui {
class UiServices;
}

namespace qm::store {

// HKEY_CURRENT_USER, as the callers pass it.
inline constexpr std::uint32_t HKEY_CURRENT_USER = 0x80000001u;
// Where WinAce keeps its "Path" and "Version".
inline constexpr const char* WinAceKey = R"(SOFTWARE\e-merge\WinAce)";

// A registry value as GetRegValue gives it: text for a string value, a
// number for a DWORD value, the empty text otherwise.
using RegValue = std::variant<std::string, std::int32_t>;
// The text form of a RegValue: the text itself or the number's decimal digits.
std::string RegValueText(const RegValue& value);

// The value `valueName` of the key `subKey` under the root `rootKey`:
//  - REG_SZ: the text up to (not including) its first NUL;
//  - REG_DWORD: the number, as a signed 32-bit integer;
//  - anything else, and a missing key or value: "".
RegValue GetRegValue(std::uint32_t rootKey, const std::string& subKey, const std::string& valueName);

// Path and Version of the installed WinAce (text forms; "" when missing).
void GetWinAceInfo(std::string& path, std::string& version);
// Where a caller asks for them (GetWinAceInfo, or a test's answer).
using WinAceLookup = std::function<void(std::string& path, std::string& version)>;

// The oldest WinAce the programs use; its version text reads as a decimal
// number (2.2 passes, 2.10 does not).
inline constexpr double WinAceMinimumVersion = 2.11;
// WinAce is usable when its version text reads as a decimal number of at
// least WinAceMinimumVersion. An empty text and one that is not a number
// are refused.
bool winAceVersionAccepted(const std::string& version);
// The path `lookup` gives when its version is accepted, else "" (also
// without a lookup).
std::string UsableWinAcePath(const WinAceLookup& lookup = GetWinAceInfo);

// Connects the share `remoteName` to the drive named by the first character
// of `drive` (the letter keeps its case), remembered for later sessions. A
// password or user name that is absent means the current user's log-in; an
// empty one is an empty one. True when the connection was made.
bool MapNetworkDrive(const std::string& drive, const std::string& remoteName,
                     const std::optional<std::string>& password, const std::optional<std::string>& userName);
// As MapNetworkDrive, with the networking call's result: 0 when the
// connection was made, else why not (qm::net::neterr, described by
// qm::net::connectionErrorText).
int MapNetworkDriveResult(const std::string& drive, const std::string& remoteName,
                          const std::optional<std::string>& password, const std::optional<std::string>& userName);

// The root ("F:\") of the first letter from D to Z that has no drive; a
// drive of unknown type counts as used. The empty text when every letter is
// taken: callers then tell the user (NoFreeDriveMessage) instead of offering
// a letter.
std::string NextFreeDrive();
inline constexpr const char* NoFreeDriveMessage =
    "All drive letters from D to Z are in use. Please unmap a network drive first.";

// The hourglass, and back to the default pointer (one NormalPointer undoes
// any number of BusyPointer calls).
void BusyPointer(qm::ui::UiServices& ui);
void NormalPointer(qm::ui::UiServices& ui);

} // namespace qm::store
