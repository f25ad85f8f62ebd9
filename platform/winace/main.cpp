// WinAce, the stand-in of the outside archiver: "WinAce <command> [switches]
// archive [@list] [names]" (see Request.h; when there is a display a
// listing shows its window, and a test or an extraction asks in one for a
// password it needs and was not given), or "WinAce --install [stub]", which registers this
// program and lays its self-extractor stub (by default the program folder's
// pvksfx32.bin, the folder above this one).
#include "platform/net/Connections.h"
#include "platform/ui/Display.h"
#include "platform/winace/StandIn.h"
#include "platform/winace/forms/ListWindow.h"
#include "platform/winace/forms/PasswordWindow.h"

#include <QApplication>

#include <filesystem>
#include <iostream>
#include <optional>
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
    // The windows, when there is a display to show them on; without one a
    // listing goes to the log alone and a password is never asked for.
    std::optional<QApplication> app; // made when a window is first shown
    qm::winace::ListingWindow window;
    qm::winace::PasswordAsker ask;
    if (!qm::ui::NoDisplay()) {
        window = [&](const qm::winace::Request& request, const qm::winace::Outcome& outcome) {
            if (!app)
                app.emplace(argc, argv);
            qm::winace::ListWindow list(request.archive, outcome);
            list.exec();
        };
        ask = [&](const qm::winace::PasswordQuestion& question) {
            if (!app)
                app.emplace(argc, argv);
            return qm::winace::askPassword(question);
        };
    }
    return qm::winace::runProgram(args, self.parent_path(), window, ask);
}
