// The self-extractor stub: the program in front of a self-extracting
// archive. Its exit status is the session result's low byte. Without a
// display it runs without windows: its questions take their Cancel answers.
// Started from a removable drive it runs from a copy of itself
// (runningProgramFile).
#include "platform/net/Connections.h"
#include "sfxstub/ExitStatus.h"
#include "sfxstub/Folders.h"
#include "sfxstub/Headless.h"
#include "sfxstub/Session.h"
#include "sfxstub/forms/QtSfxUi.h"
#ifdef QM_SFX_DEFLATE
#include "sfxstub/Inflate.h"
#endif

#include <QApplication>

int main(int argc, char** argv)
{
    qm::net::installDriveHooks();
    const std::string self = qm::sfxstub::runningProgramFile(argc, argv);
    qm::sfxstub::Methods methods;
#ifdef QM_SFX_DEFLATE
    methods.deflate = qm::sfxstub::makeInflateDecoder;
#endif
    auto run = [&](qm::sfxstub::SfxUi& ui) {
        qm::sfxstub::SfxSession session(ui, self, methods);
        return qm::sfxstub::exitStatusOf(session.run());
    };
    if (qm::sfxstub::NoDisplay()) {
        qm::sfxstub::HeadlessSfxUi ui;
        return run(ui);
    }
    QApplication app(argc, argv);
    qm::sfxstub::QtSfxUi ui;
    return run(ui);
}
