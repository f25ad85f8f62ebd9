// WinAce, the stand-in of the outside archiver: "WinAce <command> [switches]
// archive [@list] [names]" (see Request.h), or "WinAce --install [stub]",
// which registers this program and lays its self-extractor stub (by default
// the program folder's pvksfx32.bin, the folder above this one).
#include "platform/net/Connections.h"
#include "platform/winace/StandIn.h"

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
    return qm::winace::runProgram(args, self.parent_path());
}
