// Nightwick: the unattended runner. Started by the scheduler (no argument)
// or by Quillmate's "Back up All Due" (argument "usemax"), it backs up every
// project that is due, logs the run in autoback.log and ends by itself.
// Without a display it runs headless, so a scheduled start works anywhere.
// Exit status: 0 after a run, 2 when another run holds the program folder.
#include "platform/datetime/Clock.h"
#include "platform/net/Connections.h"
#include "platform/ui/QtUiServices.h"
#include "runner/NoDisplayUi.h"
#include "runner/RunLock.h"
#include "runner/Runner.h"
#include "runner/forms/NightwickForm.h"

#include <QApplication>

#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

namespace {

bool haveDisplay()
{
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
        const char* v = std::getenv(name);
        if (v && *v)
            return true;
    }
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    if (!haveDisplay())
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    QApplication::setApplicationName("Nightwick");
    // The run ends the program itself (FinishRun), also after its window went away.
    QApplication::setQuitOnLastWindowClosed(false);
    qm::net::installDriveHooks();
    // What is left after the window system's own options: the program's arguments.
    const std::vector<std::string> arguments(argv + 1, argv + argc);

    bool lockUnavailable = false;
    qm::fs::FileLock runLock = qm::runner::takeRunLock(lockUnavailable);
    if (!runLock && !lockUnavailable) {
        std::cerr << "Nightwick: another run is in progress for this program folder; this one ends.\n";
        return 2;
    }

    qm::ui::QtUiServices qtUi;
    qm::runner::NoDisplayUiServices consoleUi(qtUi, std::cerr);
    const QString platform = QGuiApplication::platformName();
    const bool headless = platform == "offscreen" || platform == "minimal";
    qm::ui::UiServices& ui = headless ? static_cast<qm::ui::UiServices&>(consoleUi) : qtUi;

    qm::datetime::SystemClock clock;
    qm::runner::NightwickForm form;
    qm::runner::Runner runner(ui, clock, form);
    runner.Form_Load(arguments);
    form.show();
    form.attach(runner);
    return app.exec();
}
