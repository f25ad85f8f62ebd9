// Archive copies, repeated, for the kill and race tests (program folder from
// QUILLMATE_HOME), into the folder "disk" of the program folder:
//   send N          round by round, "Send QMT to" and "Send EXE to" of the
//                   project "Odd" or "Even" in turn. Both projects name the
//                   same files ("Big.qmt", "Big.exe"), each in a folder of
//                   its own ("odd", "even"), so every round replaces both
//                   copies. Exits 1 when a copy is reported as failed.
//   race N PROJECT  "Send QMT to" of PROJECT alone, while another program
//                   sends another project's copy of that archive there.
//                   Exits 1 on a box that is neither a copy done nor one
//                   that leaves the folder to the other copy; writes how
//                   many of those it had.
// N = 0 goes on until the program is killed.
#include "app/ProgramState.h"
#include "mainwindow/Procedures.h"
#include "platform/fs/Paths.h"

#include "FakeMainWindowView.h"
#include "FakeUiServices.h"
#include "FakeWindows.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv)
{
    const std::string mode = argc > 1 ? argv[1] : "";
    if (!((mode == "send" && argc == 3) || (mode == "race" && argc == 4)))
        return 2;
    const long rounds = std::stol(argv[2]);
    qm::ui::FakeUiServices ui;
    ui.setUnscriptedResult(qm::ui::mb::OK);
    qm::app::ProgramState state{ui};
    qm::test::FakeMainWindowView view;
    view.rows = {{"Even", "", "", "", "", ""}, {"Odd", "", "", "", "", ""}};
    if (mode == "race")
        view.rows = {{argv[3], "", "", "", "", ""}};
    qm::test::FakeWindows windows;
    qm::app::Procedures procs{state, view, windows.windows};
    const std::string disk = qm::fs::appPath() + "\\disk";
    long leftToOther = 0;
    for (long round = 1; rounds == 0 || round <= rounds; ++round) {
        windows.pickers.folders = {qm::pickers::FolderAnswer::okay(disk), qm::pickers::FolderAnswer::okay(disk)};
        if (mode == "race") {
            view.selected = {0};
            procs.SendQMT();
        } else {
            view.selected = {int(round % 2)};
            procs.SendQMT();
            procs.SendEXE();
        }
        for (const auto& box : ui.boxes()) {
            const bool other = mode == "race" && box.prompt.find("Another copy of that archive") != std::string::npos &&
                               box.prompt.find(disk + " is left to that copy") != std::string::npos;
            leftToOther += other;
            if (box.title != "Copy Done" && !other) {
                std::fprintf(stderr, "%s\n", box.prompt.c_str());
                return 1;
            }
        }
        ui.clearRecords();
    }
    if (mode == "race")
        std::printf("%ld\n", leftToOther);
    return 0;
}
