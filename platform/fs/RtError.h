#pragma once
// A run-time error as the programs report it: a number and a description.
// The numbers keep their classic meaning (52 bad file name or number,
// 53 file not found, 58 file already exists, 61 disk full, 68 device
// unavailable, 70 permission denied, 71 disk not ready, 75 path/file access
// error, 76 path not found).
#include <stdexcept>
#include <string>

namespace qm {

struct RtError : std::runtime_error {
    RtError(int number, std::string description)
        : std::runtime_error(description), number(number), description(std::move(description)) {}
    int number;
    std::string description;
};

namespace rterr {
inline constexpr int BadFileName = 52;
inline constexpr int FileNotFound = 53;
inline constexpr int FileAlreadyExists = 58;
inline constexpr int DiskFull = 61;
inline constexpr int DeviceUnavailable = 68;
inline constexpr int PermissionDenied = 70;
inline constexpr int DiskNotReady = 71;
inline constexpr int PathFileAccess = 75;
inline constexpr int PathNotFound = 76;
} // namespace rterr

} // namespace qm
