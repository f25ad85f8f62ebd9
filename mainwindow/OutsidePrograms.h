#pragma once
// The outside programs the main window starts and the documents and links
// it opens: the user's external archiver and favourite program (command
// lines from the user options), the text editor, the log in the editor, the
// help file, the maker's web site and mail address. Each start returns at
// once, without waiting for the program (a document's opener and the text
// editor after a moment in which a failure counts); one that cannot be
// started is reported in a box and the main window goes on.
#include <functional>
#include <string>

namespace qm::ui {
class UiServices;
}
namespace qm::store {
class Launcher;
}

namespace qm::app {

class ProgramState;

// The maker's links, as the about box shows them.
inline constexpr const char* WebAddress = "https://quillmate.example.org/";
inline constexpr const char* MailAddress = "help@quillmate.example.org";

// The help page's anchor for a window (its control name) and, for a window
// with context help, one of its topics: "frmData", "frmData-7". Context 0
// is the window's part as a whole.
std::string helpSection(const std::string& window, int context = 0);

// The help of a window with context help (the record editor's Help): the
// program's help file at `window`'s topic for the context given.
std::function<void(int context)> contextHelp(qm::app::ProgramState& state, const std::string& window);

class OutsidePrograms {
public:
    OutsidePrograms(qm::ui::UiServices& ui, qm::store::Launcher& launcher) : ui_(ui), launcher_(launcher) {}

    // Starts `commandLine` (Windows form, split as a command line is). On
    // failure: "Could not start " & what & ":", a blank line and the
    // command line (critical, "Error!"). True when it started.
    bool StartProgram(const std::string& commandLine, const std::string& what);
    // Opens the help file with the user's viewer, at `section` (the anchor of
    // a window's part of the page, helpSection) when one is given and the
    // file is there; a failure is reported with the file's name, and, when
    // no program took the page, with the opener it needs (OpenFailure.h).
    void OpenHelpFile(const std::string& HelpFile, const std::string& section = {});

    // The web site and the mail address through the shell; a failure gives
    // the one-line browser message (critical, the program's title).
    void GoFenwold();
    void EmailAuthor();

    // The user's command lines: an empty one is reported before anything is
    // started; one that names nothing startable gives the long message with
    // the command line between its blank lines.
    void OpenExternalZIP(const std::string& UserZIPShellPath);
    void OpenFavorite(const std::string& UserFavoriteAppPath);

    // The text editor, empty or on the program folder's autoback.log (its
    // host path handed over as one argument). An editor that cannot be
    // started, or that ends with a failure at once (xdg-open, standing in
    // for a missing editor, with no program for the file), gives "Could not
    // start the text editor:", a blank line, the editor tried with the log
    // (the log alone when none was found: "None was found: " heads the rest)
    // and a blank line, then where the editor is looked for ($VISUAL,
    // $EDITOR, the known editors, xdg-open) and how to choose one (critical,
    // "Error!").
    void OpenNotePad();
    void ViewLog();

private:
    void openInEditor(const std::string& program, const std::string& document);
    void startUserProgram(const std::string& commandLine, const char* whenEmpty);
    void openLink(const std::string& link);

    qm::ui::UiServices& ui_;
    qm::store::Launcher& launcher_;
};

} // namespace qm::app
