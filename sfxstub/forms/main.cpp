// The self-extractor stub: the program in front of a self-extracting
// archive. Its exit status is the session result's low byte.
#include "platform/net/Connections.h"
#include "sfxstub/ExitStatus.h"
#include "sfxstub/Folders.h"
#include "sfxstub/Session.h"
#include "sfxstub/forms/QtSfxUi.h"
#ifdef QM_SFX_DEFLATE
#include "sfxstub/Inflate.h"
#endif

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    qm::net::installDriveHooks();
    qm::sfxstub::Methods methods;
#ifdef QM_SFX_DEFLATE
    methods.deflate = qm::sfxstub::makeInflateDecoder;
#endif
    qm::sfxstub::QtSfxUi ui;
    qm::sfxstub::SfxSession session(ui, qm::sfxstub::ownProgramFile(), methods);
    return qm::sfxstub::exitStatusOf(session.run());
}
