#pragma once
// One run of a self-extracting program: read the configuration block from
// the program's own file, show the start prompts, settle the destination,
// extract the archive behind the block in a progress window, answer the
// engine's questions, run the after-extraction actions, report, and in
// temporary mode remove everything that was extracted.
#include "platform/desktop/Desktop.h"
#include "sfxstub/Engine.h"
#include "sfxstub/SfxConfig.h"
#include "sfxstub/SfxUi.h"

#include <cstdint>
#include <string>
#include <vector>

namespace qm::sfxstub {

inline constexpr const char* InvalidConfigurationText =
    "Invalid self-extractor configuration.  This file may be corrupted.";

// The message of a set whose part `path` is missing beside the program.
std::string partMissingText(const std::string& path);
// What the program says of a part of its set that is damaged or another set's.
std::string partDamagedText(const std::string& path);

class SfxSession {
public:
    // `programFile` is the host path of the self-extracting program.
    SfxSession(SfxUi& ui, std::string programFile, Methods methods = {});

    // The whole run; the session result (the exit code is its low byte).
    int run();

    // Reads the block and fills the start-up fields; false when the block is
    // missing or damaged.
    bool LoadSfxConfig();
    // The engine's events: 0 to go on, 1 to stop.
    int OnEngineEvent(EngineEvent& e);

    SfxConfig& config() { return config_; }
    // Where program groups go (the desktop's menus unless replaced).
    void setProgramManager(qm::desktop::ProgramManager* manager) { programManager_ = manager; }
    // The seed of the random folder names (the time unless set).
    void setSeed(uint32_t seed) { seed_ = seed; }

    // Temporary mode: what the run made, to be removed at the end.
    const std::vector<std::string>& extractedFiles() const { return ExtractedFiles; }
    const std::vector<std::string>& createdFolders() const { return CreatedFolders; }

    // The engine's option vector for the current configuration.
    std::vector<std::string> engineArguments() const;

private:
    int runActions();
    void showFailure(int result);
    void removeTemporaryFiles();

    SfxUi& ui_;
    std::string programFile_;
    Methods methods_;
    SfxConfig config_;
    qm::desktop::DesktopProgramManager desktop_;
    qm::desktop::ProgramManager* programManager_ = &desktop_;
    uint32_t seed_ = 0;
    bool destinationBroken_ = false; // the destination's macros could not be expanded
    int passwordCount_ = 0;          // passwords tried for the current entry
    std::string missingPart_;        // a part of the set beside the program that is not there
    std::string damagedPart_;        // one that is damaged or another set's
    std::vector<std::string> ExtractedFiles;
    std::vector<std::string> CreatedFolders;
};

} // namespace qm::sfxstub
