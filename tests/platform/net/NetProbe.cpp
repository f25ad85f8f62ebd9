// Prints the drive type of the root given as argument 1 and the host path
// that the Windows-form path in argument 2 maps to (or the error number).
#include "platform/fs/Drives.h"
#include "platform/fs/Paths.h"
#include "platform/fs/RtError.h"
#include "platform/net/Connections.h"

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc < 3)
        return 2;
    qm::net::installDriveHooks();
    std::printf("%d\n", qm::fs::driveType(argv[1]));
    try {
        std::printf("%s\n", qm::fs::toNative(argv[2]).c_str());
    } catch (const qm::RtError& e) {
        std::printf("error %d\n", e.number);
    }
    return 0;
}
