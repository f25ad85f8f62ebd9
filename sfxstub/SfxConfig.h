#pragma once
// The self-extractor's one configuration record: the fields read from the
// configuration block (qm::sfx::SfxConfig, the codec shared with the zip
// control), plus what the program fills in at start-up and during its run.
// Paths are in Windows form ("C:\home\ann\x"), resolved by platform/fs.
#include "platform/zip/SfxBlock.h"

#include <cstdint>
#include <random>
#include <string>

namespace qm::sfxstub {

// Result codes of a run; below 100 counts as success.
namespace result {
inline constexpr int Ok = 0;
inline constexpr int Warning = 10;          // data in front of the archive, an entry not decoded, empty archive
inline constexpr int Skipped = 40;          // at least one entry was skipped
inline constexpr int NotFound = 100;        // archive file not found
inline constexpr int Damaged = 110;         // archive damaged, CRC mismatch
inline constexpr int NoMemory = 120;
inline constexpr int BadOptions = 130;
inline constexpr int NothingDone = 140;     // no entry processed
inline constexpr int DiskFull = 150;
inline constexpr int Stopped = 190;         // stopped or declined by the user
inline constexpr int DecoderSetup = 250;    // the Burrows-Wheeler decoder could not be set up
inline constexpr int DiskMissing = 420;     // a disk asked for was not supplied
inline constexpr int PartMissing = 430;     // a part of the set beside the program is missing
inline constexpr int NoDestination = 510;   // the destination could not be made absolute or created
inline constexpr int BadConfiguration = -1; // the configuration block is missing or damaged
} // namespace result

// Text limits of the program's working buffers.
inline constexpr size_t PathLimit = 255;     // folders and file paths
inline constexpr size_t FieldLimit = 260;    // one field of a command line
inline constexpr size_t TextLimit = 2000;    // messages and lists
inline constexpr size_t PasswordLimit = 80;

struct SfxConfig : qm::sfx::SfxConfig {
    SfxConfig() = default;
    explicit SfxConfig(const qm::sfx::SfxConfig& block) : qm::sfx::SfxConfig(block) {}

    std::string LastPassword;       // the default password, then the one last typed
    std::string ExeFolder;          // folder of the running program, no final "\"
    std::string ExeName;            // its file name
    std::string WindowsFolder;
    std::string SystemFolder;
    std::string TempFolder;
    std::string SystemDrive;
    std::string ProgramFilesFolder;
    std::string TempRoot;           // outermost folder made for the destination
    bool ErrorSeen = false;         // an error event came during the run
    std::mt19937 Random;            // the random folder names of %R
};

} // namespace qm::sfxstub
