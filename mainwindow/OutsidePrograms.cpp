#include "mainwindow/OutsidePrograms.h"

#include "app/ErrorBox.h"
#include "app/OpenFailure.h"
#include "app/ProgramState.h"
#include "platform/fs/FileOps.h"
#include "platform/fs/Paths.h"
#include "platform/process/ProgramLookup.h"
#include "platform/process/Shell.h"
#include "platform/process/ShellCodes.h"
#include "store/AutobackLog.h"
#include "store/Launcher.h"

#include <vector>

namespace qm::app {

namespace {

using qm::process::shellcode::succeeded;

constexpr const char* CRLF = "\r\n";

std::string cannotStart(const std::string& what, const std::string& command)
{
    return "Could not start " + what + ":" + CRLF + CRLF + command;
}

std::string userProgramFailed(const std::string& commandLine)
{
    return std::string("An error occurred while attempting to run") + CRLF + CRLF + commandLine + CRLF + CRLF +
           "This could happen if you have recently" + CRLF + "made changes to the User Options." + CRLF +
           "You must exit, then re-start Quillmate" + CRLF + "in order for the changes to take effect.";
}

// After the command of an editor that could not be started: where the
// editor is looked for, and how to choose one.
std::string editorChoice()
{
    const std::vector<std::string>& known = qm::process::knownTextEditors();
    std::string names;
    for (std::size_t i = 0; i < known.size(); ++i)
        names += (i == 0 ? "" : i + 1 == known.size() ? " or " : ", ") + known[i];
    // Sentences, not lines: the box wraps them.
    return "Quillmate tries $VISUAL, then $EDITOR, then the first installed of " + names +
           ", then xdg-open (Debian package xdg-utils)." + CRLF +
           "To choose an editor, set VISUAL or EDITOR to its command (for example VISUAL=gedit) before you "
           "start Quillmate.";
}

// A launch that throws (a path the drive table cannot map, ...) fails like
// one the shell refuses.
template <class Fn>
int guarded(Fn fn)
{
    try {
        return fn();
    } catch (const std::exception&) {
        return qm::process::shellcode::OutOfResources;
    }
}

} // namespace

bool OutsidePrograms::StartProgram(const std::string& commandLine, const std::string& what)
{
    if (succeeded(guarded([&] { return qm::store::startCommandLine(launcher_, commandLine); })))
        return true;
    showError(ui_, cannotStart(what, commandLine));
    return false;
}

std::string helpSection(const std::string& window, int context)
{
    return context > 0 ? window + "-" + std::to_string(context) : window;
}

std::function<void(int context)> contextHelp(ProgramState& state, const std::string& window)
{
    return [&state, window](int context) {
        OutsidePrograms(state.ui(), state.launcher()).OpenHelpFile(state.HelpFile, helpSection(window, context));
    };
}

void OutsidePrograms::OpenHelpFile(const std::string& HelpFile, const std::string& section)
{
    // A section is part of a link to the page; without the page the shell
    // reports the file itself as missing.
    auto open = [&] {
        if (section.empty() || !qm::fs::exists(HelpFile))
            return qm::store::StartDoc(launcher_, HelpFile);
        return qm::store::StartDoc(launcher_, qm::process::fileUrl(qm::fs::toNative(HelpFile).string(), section));
    };
    opened(ui_, guarded(open), "The help file", HelpFile);
}

void OutsidePrograms::openLink(const std::string& link)
{
    if (!succeeded(guarded([&] { return qm::store::StartDoc(launcher_, link); })))
        ui_.msgBox("There was an error launching your default web browser or connecting to the internet.",
                   qm::ui::mb::OKOnly | qm::ui::mb::Critical);
}

void OutsidePrograms::GoFenwold() { openLink(WebAddress); }

void OutsidePrograms::EmailAuthor() { openLink(std::string("mailto:") + MailAddress); }

void OutsidePrograms::startUserProgram(const std::string& commandLine, const char* whenEmpty)
{
    if (commandLine.empty()) {
        showError(ui_, std::string(whenEmpty) + CRLF + "Please click on the Options buttons to add one.");
        return;
    }
    if (!succeeded(guarded([&] { return qm::store::startCommandLine(launcher_, commandLine); })))
        showError(ui_, userProgramFailed(commandLine));
}

void OutsidePrograms::OpenExternalZIP(const std::string& UserZIPShellPath)
{
    startUserProgram(UserZIPShellPath, "No external ZIP shell defined.");
}

void OutsidePrograms::OpenFavorite(const std::string& UserFavoriteAppPath)
{
    startUserProgram(UserFavoriteAppPath, "No external favorite program defined.");
}

void OutsidePrograms::openInEditor(const std::string& program, const std::string& document)
{
    const int code = guarded([&] {
        std::vector<std::string> arguments;
        if (!document.empty())
            arguments.push_back(qm::fs::toNative(document).string());
        return qm::store::openWithProgram(launcher_, program, arguments);
    });
    if (succeeded(code))
        return;
    // The command tried: the editor found and the document; without an
    // editor, the document alone.
    std::string command;
    for (const std::string& word : qm::process::textEditorCommand())
        command += (command.empty() ? "" : " ") + word;
    const bool none = command.empty();
    if (!document.empty())
        command += (none ? "" : " ") + document;
    std::string text = std::string("Could not start the text editor:") + CRLF + CRLF;
    if (!command.empty())
        text += command + CRLF + CRLF;
    showError(ui_, text + (none ? "None was found: " : "") + editorChoice());
}

void OutsidePrograms::OpenNotePad() { openInEditor("Notepad.exe", {}); }

void OutsidePrograms::ViewLog() { openInEditor("notepad.exe", qm::store::AutobackLog::defaultPath()); }

} // namespace qm::app
