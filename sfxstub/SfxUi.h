#pragma once
// What the self-extractor's session needs of its windows: the message box
// with its button sets, the password dialog, the progress window and the
// destination dialog. The program shows them with Qt (sfxstub/forms); tests
// answer them from a script.
#include "sfxstub/SfxConfig.h"

#include <functional>
#include <string>
#include <utility>

namespace qm::sfxstub {

// The icons of the boxes: the program's own and those of its dialogs, and
// the system's.
enum class Icon { Program, Password, Progress, Disk, Folder, Information, Exclamation, Question };

// Prompts that keep the place where their box last closed.
enum class Slot { None, Overwrite, InsertDisk, CreateFolder, FolderError, ConfirmAbort };

struct BoxRequest {
    BoxRequest(std::string text, std::string caption, int style = 0, Icon icon = Icon::Program,
               Slot memory = Slot::None, bool separator = true)
        : text(std::move(text)), caption(std::move(caption)), style(style), icon(icon), memory(memory),
          separator(separator)
    {
    }
    std::string text;
    std::string caption;
    int style = 0;          // buttons (low four bits), 8 scrolling text, default button << 8
    Icon icon = Icon::Program;
    Slot memory = Slot::None;
    bool separator = true;  // the sunken bar between the icon and the text
};

// Results of the boxes and dialogs that are no button's.
inline constexpr int ClosedByFrame = -2;

class SfxUi {
public:
    virtual ~SfxUi() = default;

    // Start-up and end: fonts and classes. `config` stays valid until
    // UnregisterSfxClasses(); the dialogs read their texts from it.
    virtual void RegisterSfxClasses(SfxConfig& config) = 0;
    virtual void UnregisterSfxClasses() = 0;

    // The platform's plain message box, for when there is no configuration.
    virtual void standardMessage(const std::string& text, const std::string& caption) = 0;
    // The program's own box: the result of the button, the Escape result, or
    // ClosedByFrame. Owned by the progress window while that is shown.
    virtual int SfxMessageBox(const BoxRequest& box) = 0;
    // 0 (the password is in LastPassword), 1060 skip file, 1080 skip always, 190 closed.
    virtual int AskPassword(const std::string& file) = 0;

    virtual void ShowExtractWindow() = 0;
    virtual void CloseExtractWindow() = 0;
    virtual bool extractWindowShown() const = 0;
    virtual void setExtractFile(const std::string& text) = 0;
    virtual void setExtractPercent(int percent) = 0;
    // Handles what is pending for the progress window; true once the user
    // has confirmed a stop.
    virtual bool PumpMessages() = 0;

    // The destination dialog. `accept` is called with the folder typed at
    // OK and gives 0 when it is ready (the dialog closes) or another code
    // (the dialog stays). Returns 0 or 190.
    virtual int AskDestinationFolder(const std::function<int(const std::string&)>& accept) = 0;

    // Waits, e.g. for the desktop to pick up a new program group.
    virtual void pause(int milliseconds) = 0;
};

} // namespace qm::sfxstub
