// Nightwick: the unattended runner. Started by the scheduler (no argument)
// or by Quillmate's "Back up All Due" (argument "usemax"), it backs up every
// project that is due, logs the run in autoback.log and ends by itself.
// Without a display (or with one it cannot reach) it runs headless, so a
// scheduled start works anywhere.
// Exit status: 0 when every due project was backed up (or none was due),
// 1 when a due project was not backed up or Quit stopped the run, 2 when
// another run holds the program folder. Headless, each project that was not
// backed up gets a line on standard error with the reason the log gives:
//   Nightwick: <project> was not backed up: <reason>
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

bool isSet(const char* name)
{
    const char* v = std::getenv(name);
    return v && *v;
}

// The window system to run on. Without a display the run is headless; with
// one, the headless platform stands behind it, so that a display that
// cannot be reached (a scheduled start after the desktop session ended)
// still gives a run instead of ending the program before it starts.
void choosePlatform()
{
    if (!isSet("DISPLAY") && !isSet("WAYLAND_DISPLAY")) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        return;
    }
    std::string platforms = isSet("QT_QPA_PLATFORM") ? std::getenv("QT_QPA_PLATFORM")
                            : isSet("WAYLAND_DISPLAY") ? "wayland;xcb"
                                                       : "xcb";
    if (platforms.find("offscreen") == std::string::npos)
        platforms += ";offscreen";
    setenv("QT_QPA_PLATFORM", platforms.c_str(), 1);
}

// A headless run is read from its standard error (a scheduled run's mail):
// the window system's own notes and warnings are left out of it, so that it
// holds only the run's boxes and real failures.
bool quietQt = false;

void qtMessages(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (quietQt && (type == QtDebugMsg || type == QtInfoMsg || type == QtWarningMsg))
        return;
    std::cerr << message.toStdString() << '\n';
}

} // namespace

int main(int argc, char** argv)
{
    choosePlatform();
    quietQt = !isSet("DISPLAY") && !isSet("WAYLAND_DISPLAY");
    qInstallMessageHandler(qtMessages);
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
    quietQt = headless;
    qm::ui::UiServices& ui = headless ? static_cast<qm::ui::UiServices&>(consoleUi) : qtUi;

    qm::datetime::SystemClock clock;
    qm::runner::NightwickForm form;
    qm::runner::Runner runner(ui, clock, form);
    runner.Form_Load(arguments);
    // Without a screen nobody sees the window: it is not shown, so its
    // progress is never painted (painting cost more than the backups of
    // small projects).
    if (!headless)
        form.show();
    form.attach(runner);
    const int status = app.exec();
    if (headless) {
        for (const qm::runner::ProjectFailure& failure : runner.failures())
            std::cerr << "Nightwick: " << failure.name << " was not backed up: " << failure.reason << '\n';
        std::cerr.flush();
    }
    return status != 0 ? status : runner.exitStatus();
}
