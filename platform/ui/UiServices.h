#pragma once
// The window runtime's services that program logic needs: message and input
// boxes, modal shows, the busy pointer, DoEvents and one-shot timers.
// Production code uses the Qt implementation (QtUiServices); tests use the
// scripted fake (tests/support/FakeUiServices.h), which records every box
// and answers from a script. This header has no Qt dependency so that logic
// can be written and tested without a display.
#include <functional>
#include <string>

class QWidget;

namespace qm::ui {

// Message box style flags and results, with their classic values.
namespace mb {
inline constexpr int OKOnly = 0;
inline constexpr int OKCancel = 1;
inline constexpr int AbortRetryIgnore = 2;
inline constexpr int YesNoCancel = 3;
inline constexpr int YesNo = 4;
inline constexpr int RetryCancel = 5;
inline constexpr int ButtonsMask = 0x7;

inline constexpr int Critical = 16;
inline constexpr int Question = 32;
inline constexpr int Exclamation = 48;
inline constexpr int Information = 64;
inline constexpr int IconMask = 0x70;

inline constexpr int DefaultButton1 = 0;
inline constexpr int DefaultButton2 = 256;
inline constexpr int DefaultButton3 = 512;

// Results
inline constexpr int OK = 1;
inline constexpr int Cancel = 2;
inline constexpr int Abort = 3;
inline constexpr int Retry = 4;
inline constexpr int Ignore = 5;
inline constexpr int Yes = 6;
inline constexpr int No = 7;
} // namespace mb

// The title a box carries when the caller gives none.
inline constexpr const char* DefaultTitle = "Quillmate";

class UiServices {
public:
    virtual ~UiServices() = default;

    // Shows a modal message box. `style` combines one button set, one icon
    // and one default-button flag from `mb`. An empty title means
    // DefaultTitle. Returns one of the mb results.
    virtual int msgBox(const std::string& prompt, int style = mb::OKOnly, const std::string& title = {}) = 0;

    // Shows a modal input box. Returns the text typed, or the empty text when
    // cancelled. An empty title means DefaultTitle.
    virtual std::string inputBox(const std::string& prompt, const std::string& title = {},
                                 const std::string& defaultText = {}) = 0;

    // Shows a window modally and returns when it has been closed or hidden.
    virtual void showModal(QWidget& form) = 0;

    // Hourglass on. Any number of busy calls are undone by one normalPointer.
    virtual void busyPointer() = 0;
    virtual void normalPointer() = 0;
    virtual bool isBusy() const = 0;

    // Lets pending window events run (keeps windows painted, Cancel alive).
    virtual void doEvents() = 0;

    // Calls `fn` once, `ms` milliseconds from now, from the event loop.
    virtual void singleShot(int ms, std::function<void()> fn) = 0;
};

} // namespace qm::ui
