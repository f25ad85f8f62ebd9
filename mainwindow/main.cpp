// Quillmate: the main program. Its main window is Form1; the program state
// lives here for the whole run and is handed to every window by reference.
#include "mainwindow/ProgramState.h"
#include "mainwindow/Startup.h"
#include "mainwindow/forms/Form1.h"
#include "platform/net/Connections.h"
#include "platform/ui/QtUiServices.h"

#include <QApplication>

#include <string>
#include <vector>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName("Quillmate");
    // What is left after the window system's own options: the program's arguments.
    const std::vector<std::string> arguments(argv + 1, argv + argc);

    // Mapped network letters and shares resolve like local drives.
    qm::net::installDriveHooks();

    qm::ui::QtUiServices ui;
    qm::app::ProgramState state(ui);
    qm::app::Form1 form(state);
    form.Form_Load(qm::app::commandLineText(arguments));
    form.show();
    return app.exec();
}
