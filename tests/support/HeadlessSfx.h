#pragma once
// Self-extracting programs run by tests without anybody at the screen.
//
//   qm::test::copyHeadlessSfx(made, copy);         // prompts off
//   int status = qm::test::runSfx(copy, &output);  // offscreen, waits
//
// The copy has every prompt flag of its configuration block at 0: no start
// prompt, agreement, destination dialog, create-folder question, success,
// failure or folder-error message, and no password dialog (the default
// password is still tried). The block is re-encoded in place: only word
// fields change, so its length and the archive behind it stay where they
// were. With an empty destination the program extracts into its own folder,
// so copy it where the files should go. Existing files still raise the
// overwrite question unless `overwriteMode` says otherwise (1 never,
// 2 always, 3 only older files). Without a display every question the
// program still asks takes its Cancel answer (the overwrite question: No; a
// disk asked for: Cancel, ending the run with 190) and is written to its
// standard error.
#include "platform/zip/SfxBlock.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace qm::test {

// Copies `from` to `to` with `change` made to its configuration block's
// word fields. Throws std::runtime_error when `from` holds no readable block
// or the block would change its length.
void copySfxWithConfig(const std::filesystem::path& from, const std::filesystem::path& to,
                       const std::function<void(qm::sfx::SfxConfig&)>& change);

// Throws std::runtime_error when `from` holds no readable block.
void copyHeadlessSfx(const std::filesystem::path& from, const std::filesystem::path& to,
                     std::optional<int> overwriteMode = std::nullopt);

// The program and its configuration block: the bytes of `made` in front of
// its archive, to put another archive behind.
std::string sfxProgramPart(const std::filesystem::path& made);

// Runs a self-extracting program with QT_QPA_PLATFORM=offscreen and gives its
// exit status (the session result's low byte: 0, 40, 110, 190 ... 254 for
// 510, 255 for an unreadable configuration); standard output and error go to
// `output` when given. sfxstub/ExitStatus.h reads the result back
// (resultOfExitStatus). A program still running after two minutes is
// killed (status 124): a guard against a hang, not a measure of speed.
int runSfx(const std::filesystem::path& program, std::string* output = nullptr);
// The same with no display at all: neither QT_QPA_PLATFORM, DISPLAY nor
// WAYLAND_DISPLAY set.
int runSfxWithoutDisplay(const std::filesystem::path& program, std::string* output = nullptr);

} // namespace qm::test
