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
// 2 always, 3 only older files). Spanned sets still ask for their disks.
#include <filesystem>
#include <optional>
#include <string>

namespace qm::test {

// Throws std::runtime_error when `from` holds no readable block.
void copyHeadlessSfx(const std::filesystem::path& from, const std::filesystem::path& to,
                     std::optional<int> overwriteMode = std::nullopt);

// Runs a self-extracting program with QT_QPA_PLATFORM=offscreen and gives its
// exit status (the session result's low byte: 0, 40, 110, 190 ... 254 for
// 510, 255 for an unreadable configuration); standard output and error go to
// `output` when given. sfxstub/ExitStatus.h reads the result back
// (resultOfExitStatus).
int runSfx(const std::filesystem::path& program, std::string* output = nullptr);

} // namespace qm::test
