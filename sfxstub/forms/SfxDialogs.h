#pragma once
// The self-extractor's dialogs, laid out in code from its font's metrics:
// the message box and its prompts, the password dialog, the progress
// window, the destination dialog and its own folder browser. Closing one by
// its frame gives ClosedByFrame (-2).
#include "sfxstub/SfxUi.h"
#include "sfxstub/forms/SfxControls.h"

#include <QDialog>
#include <functional>
#include <optional>

namespace qm::sfxstub {

QIcon iconOf(Icon icon);

// What every dialog of the stub shares: the close box ends it with -2,
// Escape with its Escape result (or not at all), and it is centred on the
// screen unless placed otherwise.
class SfxDialog : public QDialog {
public:
    SfxDialog(const std::string& caption, QWidget* owner);
    void centre();

protected:
    void closeEvent(QCloseEvent* e) override;
    void reject() override;
    std::optional<int> escape_;
};

class pvkMessageBoxClass : public SfxDialog {
public:
    pvkMessageBoxClass(const SfxConfig& c, const SfxFonts& fonts, const BoxRequest& box, QWidget* owner);
    std::vector<pvkButtonClass*> buttons;
    pvkLabelClass* text = nullptr;       // the text, or
    QPlainTextEdit* scrolling = nullptr; // the scrolling text
};

class pvkGetPasswordClass : public SfxDialog {
public:
    // Results: 0 OK (the password is in LastPassword), -1 skip file,
    // -4 skip always, -2 closed.
    pvkGetPasswordClass(SfxConfig& c, const SfxFonts& fonts, const std::string& file, QWidget* owner);
    pvkEdit3dClass* password = nullptr;
    pvkButtonClass *okButton = nullptr, *skipFile = nullptr, *skipAlways = nullptr;
};

// The progress window (modeless). Abort and the close box ask first; a Yes
// sets the stop flag.
class pvkExtractClass : public QWidget {
public:
    pvkExtractClass(const SfxConfig& c, const SfxFonts& fonts, std::function<int(const BoxRequest&)> ask);
    void setFile(const std::string& text) { file->setFullText(text); }
    void setPercent(int percent) { bar->setPercent(percent); }
    // 0, or -1 (Abort) / -2 (close box) once a stop was confirmed.
    int stop() const { return stop_; }
    void askToStop(int code);

    pvkLabelClass* file = nullptr;
    pvkProgressBarClass* bar = nullptr;
    pvkButtonClass* abortButton = nullptr;

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    const SfxConfig& c_;
    std::function<int(const BoxRequest&)> ask_;
    int stop_ = 0;
};

// The destination dialog: 0 once `accept` took the folder, -1 Exit, -2 closed.
class pvkGetDirClass : public SfxDialog {
public:
    pvkGetDirClass(SfxConfig& c, const SfxFonts& fonts, std::function<int(const std::string&)> accept,
                   QWidget* owner);
    pvkEdit3dClass* folder = nullptr;
    pvkButtonClass *browse = nullptr, *okButton = nullptr, *exitButton = nullptr;

private:
    void browseFolders();
    SfxConfig& c_;
    const SfxFonts& fonts_;
};

// The stub's own folder browser: 0 with the folder in DestinationFolder, -1
// Cancel, -2 closed.
class pvkBrowseClass : public SfxDialog {
public:
    pvkBrowseClass(SfxConfig& c, const SfxFonts& fonts, QWidget* owner);
    pvkLabelClass* path = nullptr;
    pvkDirectoryListClass* folders = nullptr;
    pvkDriveListClass* drives = nullptr;
    pvkButtonClass *okButton = nullptr, *cancelButton = nullptr;
};

// The folder browser as the destination dialog's "..." uses it.
int BrowseForFolder(SfxConfig& c, const SfxFonts& fonts, QWidget* owner);

} // namespace qm::sfxstub
