#pragma once
// The one box for a document or page that the shell did not open (a file
// of the contents window, the help page): what it was and where, and, when
// no program took it, that opening it needs the desktop's opener.
#include <string>

namespace qm::ui {
class UiServices;
}

namespace qm::app {

// `code` is the shell's result of opening `path` (StartDoc and the like).
// True when it opened. Otherwise an "Error!" box: `what` (capitalised, "The
// help file") & " could not be opened:", a blank line and the path; for a
// refusal without a program (no opener installed, or none for that kind of
// file) a blank line and the note that xdg-open (Debian package xdg-utils)
// and a program for the file are needed. False after the box.
bool opened(qm::ui::UiServices& ui, int code, const std::string& what, const std::string& path);

} // namespace qm::app
