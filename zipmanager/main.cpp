// glidepack: the ZIP manager as a program of its own. It shows the tool's
// main window and ends when that window closes. One optional argument, an
// archive path (Windows form or a host path), is listed when it starts. It
// keeps no settings: what the file dialogs would remember goes to a folder
// that is removed when the program ends.
#include "platform/net/Connections.h"
#include "platform/process/StopSignals.h"
#include "platform/ui/QtUiServices.h"
#include "zipmanager/ZipManager.h"
#include "zipmanager/forms/QtFileDialogs.h"
#include "zipmanager/forms/frmMain.h"

#include <QApplication>
#include <QSettings>
#include <QSocketNotifier>
#include <QTemporaryDir>
#include <QTimer>

int main(int argc, char** argv)
{
    // Taken first, so that a request to end that comes during start-up waits for the window.
    const int stopRequests = qm::process::stopSignalDescriptor();
    QApplication app(argc, argv);
    QApplication::setApplicationName("glidepack");
    const QTemporaryDir noSettings;
    for (QSettings::Format f : {QSettings::NativeFormat, QSettings::IniFormat})
        QSettings::setPath(f, QSettings::UserScope, noSettings.path());
    qm::net::installDriveHooks();

    qm::ui::QtUiServices ui;
    qm::zipmanager::QtFileDialogs files;
    qm::zipmanager::frmMain form({ui, files});
    // What is left after the window system's own options: the program's argument.
    if (argc > 1)
        form.xZip.ArchivePath = qm::zipmanager::archiveFromCommandLine(argv[1]);

    // The session's request to end closes the window as its frame would.
    std::unique_ptr<QSocketNotifier> stop;
    if (stopRequests >= 0) {
        stop = std::make_unique<QSocketNotifier>(stopRequests, QSocketNotifier::Read);
        QObject::connect(stop.get(), &QSocketNotifier::activated, &form, [&form] {
            qm::process::drainStopSignals();
            form.close();
        });
    }

    form.show();
    QTimer::singleShot(0, &form, [&form] { form.Form_Load(); });
    return app.exec();
}
