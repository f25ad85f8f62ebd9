// Archive copies, repeated, for the kill test (program folder from
// QUILLMATE_HOME): round by round, "Send QMT to" and "Send EXE to" of the
// project "Odd" or "Even" in turn, into the folder "disk" of the program
// folder. Both projects name the same files ("Big.qmt", "Big.exe"), each in
// a folder of its own ("odd", "even"), so every round replaces both copies.
//   send N    N rounds; N = 0 goes on until the program is killed
// Exits 1 when a copy is reported as failed.
#include "app/ProgramState.h"
#include "mainwindow/Procedures.h"
#include "platform/fs/Paths.h"

#include "FakeMainWindowView.h"
#include "FakeUiServices.h"
#include "FakeWindows.h"

#include <string>

int main(int argc, char** argv)
{
    if (argc != 3 || std::string(argv[1]) != "send")
        return 2;
    const long rounds = std::stol(argv[2]);
    qm::ui::FakeUiServices ui;
    ui.setUnscriptedResult(qm::ui::mb::OK);
    qm::app::ProgramState state{ui};
    qm::test::FakeMainWindowView view;
    view.rows = {{"Even", "", "", "", "", ""}, {"Odd", "", "", "", "", ""}};
    qm::test::FakeWindows windows;
    qm::app::Procedures procs{state, view, windows.windows};
    const std::string disk = qm::fs::appPath() + "\\disk";
    for (long round = 1; rounds == 0 || round <= rounds; ++round) {
        view.selected = {int(round % 2)};
        windows.pickers.folders = {qm::pickers::FolderAnswer::okay(disk), qm::pickers::FolderAnswer::okay(disk)};
        procs.SendQMT();
        procs.SendEXE();
        for (const auto& box : ui.boxes())
            if (box.title != "Copy Done")
                return 1;
        ui.clearRecords();
    }
    return 0;
}
