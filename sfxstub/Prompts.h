#pragma once
// The self-extractor's message-box button sets and the prompts built on the
// box, and the preparation of the destination folder.
#include "sfxstub/SfxConfig.h"
#include "sfxstub/SfxUi.h"

#include <optional>
#include <string>
#include <vector>

namespace qm::sfxstub {

// Button results.
namespace button {
inline constexpr int Ok = 1;
inline constexpr int Cancel = 2;
inline constexpr int Yes = 6;
inline constexpr int No = 7;
inline constexpr int YesToAll = 8;
inline constexpr int NoToAll = 9;
inline constexpr int Continue = 10; // also Agree
inline constexpr int Exit = 11;     // also Refuse
} // namespace button

// Box styles.
namespace style {
inline constexpr int Ok = 0;
inline constexpr int OkCancel = 1;
inline constexpr int YesNoCancel = 3;
inline constexpr int YesNo = 4;
inline constexpr int YesNoAll = 6;
inline constexpr int ContinueExit = 7;
inline constexpr int Agreement = 8; // scrolling text
inline constexpr int Scrolling = 8;
inline constexpr int SecondDefault = 0x100;
} // namespace style

struct BoxButton {
    std::string caption;
    int result = 0;
};

// The buttons of a style, in their row order.
std::vector<BoxButton> boxButtons(const SfxConfig& c, int style);
// What Escape gives, or nothing when Escape is ignored.
std::optional<int> escapeResult(int style);
// Index of the default button.
int defaultButton(int style);
bool scrollingText(int style);

// The prompts. Each gives the box's result.
int AskOverwrite(SfxUi& ui, const SfxConfig& c, const std::string& file);
int AskInsertDisk(SfxUi& ui, const SfxConfig& c, int disk);
int AskCreateFolder(SfxUi& ui, const SfxConfig& c, const std::string& folder);
void ShowFolderErrorMessage(SfxUi& ui, const SfxConfig& c, const std::string& folder);
// The box that the progress window's Abort and close box ask first.
BoxRequest confirmAbortBox(const SfxConfig& c);

// Makes `folder` absolute and creates it when missing (after asking, when
// the configuration says so). 0 with DestinationFolder set, 190 when the
// user declined, 510 when it cannot be made absolute or created.
int PrepareDestination(SfxUi& ui, SfxConfig& c, const std::string& folder);

} // namespace qm::sfxstub
