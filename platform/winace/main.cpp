// WinAce, the stand-in of the outside archiver: "WinAce <command> [switches]
// archive [@list] [names]" (see Request.h; a listing shows its window when
// there is a display), or "WinAce --install [stub]", which registers this
// program and lays its self-extractor stub (by default the program folder's
// pvksfx32.bin, the folder above this one).
#include "platform/net/Connections.h"
#include "platform/ui/Display.h"
#include "platform/winace/StandIn.h"
#include "platform/winace/forms/ListWindow.h"

#include <QApplication>

#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    std::error_code ec;
    std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec)
        self = std::filesystem::absolute(argv[0]);
    // Mapped network letters and shares resolve like local drives.
    qm::net::installDriveHooks();

    if (!args.empty() && args[0] == "--install") {
        const std::filesystem::path stub =
            args.size() > 1 ? std::filesystem::path(args[1]) : self.parent_path().parent_path() / "pvksfx32.bin";
        std::string message;
        const int status = qm::winace::install(self, stub, message);
        (status == qm::winace::ExitOk ? std::cout : std::cerr) << message << '\n';
        return status;
    }
    // A listing shows its window when there is a display to show it on.
    qm::winace::ListingWindow window;
    if (!qm::ui::NoDisplay())
        window = [&](const qm::winace::Request& request, const qm::winace::Outcome& outcome) {
            QApplication app(argc, argv);
            qm::winace::ListWindow list(request.archive, outcome);
            list.exec();
        };
    return qm::winace::runProgram(args, self.parent_path(), window);
}
