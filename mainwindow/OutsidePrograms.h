#pragma once
// The outside programs the main window starts and the documents it opens
// through the shell. Each start returns at once, without waiting for the
// program; a program or document that cannot be started is reported in an
// error box and the main window goes on.
#include <string>

namespace qm::ui {
class UiServices;
}

namespace qm::app {

// Starts `commandLine` (Windows form, as a command line is split) as a
// separate process. On failure: "Could not start " & what & ":" and the
// command line. True when it started.
bool StartProgram(qm::ui::UiServices& ui, const std::string& commandLine, const std::string& what);

// Opens the help file `HelpFile` with the user's viewer; a failure is
// reported with the file's name.
void OpenHelpFile(qm::ui::UiServices& ui, const std::string& HelpFile);

} // namespace qm::app
