#include "app/OpenFailure.h"

#include "app/ErrorBox.h"
#include "platform/process/ShellCodes.h"

namespace qm::app {

bool opened(qm::ui::UiServices& ui, int code, const std::string& what, const std::string& path)
{
    namespace sc = qm::process::shellcode;
    if (sc::succeeded(code))
        return true;
    std::string text = what + " could not be opened:\r\n\r\n" + path;
    if (code == sc::NoAssociation)
        text += "\r\n\r\nOpening it needs the desktop's opener, xdg-open\r\n"
                "(Debian package xdg-utils), and a program\r\nfor its kind of file.";
    showError(ui, text);
    return false;
}

} // namespace qm::app
