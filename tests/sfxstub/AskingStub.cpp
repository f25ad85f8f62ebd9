// A self-extractor stub for the tests that run the program as a process and
// put in the disks it asks for: the real stubs' start-up and session without
// windows. A disk prompt's text goes to standard output, and the line "ok" on
// standard input answers OK, any other Cancel; every other question takes
// its Cancel answer, as without a display.
#include "sfxstub/ExitStatus.h"
#include "sfxstub/Folders.h"
#include "sfxstub/Headless.h"
#include "sfxstub/Prompts.h"
#include "sfxstub/Session.h"

#include <cstdio>
#include <cstring>

namespace {

struct AskingUi : qm::sfxstub::HeadlessSfxUi {
    int SfxMessageBox(const qm::sfxstub::BoxRequest& box) override
    {
        if (box.memory != qm::sfxstub::Slot::InsertDisk)
            return HeadlessSfxUi::SfxMessageBox(box);
        std::printf("%s\n", box.text.c_str());
        std::fflush(stdout);
        char answer[8] = {};
        const bool ok = std::fgets(answer, sizeof answer, stdin) && std::strcmp(answer, "ok\n") == 0;
        return ok ? qm::sfxstub::button::Ok : qm::sfxstub::button::Cancel;
    }
};

} // namespace

int main(int argc, char** argv)
{
    const std::string self = qm::sfxstub::runningProgramFile(argc, argv);
    AskingUi ui;
    qm::sfxstub::SfxSession session(ui, self);
    return qm::sfxstub::exitStatusOf(session.run());
}
