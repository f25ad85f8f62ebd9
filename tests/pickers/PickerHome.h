#pragma once
// A machine for the picker tests: drives C: (labelled SYSTEM), D: (a CD-ROM),
// F: (fixed, no label) and R: (removable, no medium) over temporary
// folders, and a network with a provider, a domain, a file server with a
// disk share, an admin share and a printer, and a server that refuses to
// be listed. Boxes go to a scripted FakeUiServices. DriveHome adds a share
// that asks for a log-in and forgets every connection made.
#include "platform/fs/Drives.h"
#include "platform/fs/Paths.h"
#include "platform/net/Connections.h"
#include "platform/net/Neighbourhood.h"

#include "FakeUiServices.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace qm::test {

class PickerHome : public ::testing::Test {
protected:
    PickerHome()
    {
        namespace stdfs = std::filesystem;
        stdfs::create_directories(qm::fs::platformDir());
        for (const char* d : {"f/DOCS/sub", "f/Mixed Case", "f/.hidden/x", "f/onlyhidden/.h", "f/empty",
                              "cd/sub1", "pub/Docs/deep"})
            stdfs::create_directories(root_ / d);
        writeFile(root_ / "f/top.txt", "x");
        writeFile(root_ / "pub/readme.txt", "r");
        writeFile(root_ / "pub/Setup.EXE", "s");
        writeFile(root_ / "pub/.profile", "p");
        writeFile(qm::fs::drivesFile(), "[C:]\r\nLabel=SYSTEM\r\n"
                                        "[D:]\r\nPath=" + native("cd") + "\r\nType=cdrom\r\n"
                                        "[F:]\r\nPath=" + native("f") + "\r\n"
                                        "[R:]\r\nPath=" + native("nomedium") + "\r\nType=removable\r\n");
        writeFile(root_ / "mountinfo", "");
        qm::net::setMountInfoFile(root_ / "mountinfo");
        writeFile(qm::net::neighbourhoodFile(),
                  "[Microsoft Windows Network]\r\nType=provider\r\n"
                  "[OFFICE]\r\nType=domain\r\n"
                  "[\\\\FILESRV]\r\nDomain=OFFICE\r\n"
                  "[\\\\FILESRV\\public]\r\nPath=" + native("pub") + "\r\n"
                  "[\\\\FILESRV\\C$]\r\nType=admin\r\nPath=" + native("f") + "\r\n"
                  "[\\\\FILESRV\\laser]\r\nType=printer\r\n"
                  "[\\\\LOCKED]\r\nDomain=OFFICE\r\nDeny=yes\r\n");
        qm::net::installDriveHooks();
    }
    ~PickerHome() override
    {
        std::filesystem::remove(qm::fs::drivesFile());
        std::filesystem::remove(qm::net::neighbourhoodFile());
        qm::net::setMountInfoFile({});
    }

    std::string native(const std::string& rel) const { return (root_ / rel).string(); }

    TempDir root_{"qm-pickers"};
    qm::ui::FakeUiServices ui_;
};

class DriveHome : public PickerHome {
protected:
    DriveHome()
    {
        std::filesystem::create_directories(root_ / "priv");
        writeFile(qm::net::neighbourhoodFile(), readFile(qm::net::neighbourhoodFile()) +
                                                    "[\\\\FILESRV\\private]\r\nPath=" + native("priv") +
                                                    "\r\nUser=ann\r\nPassword=secret\r\n");
    }
    ~DriveHome() override
    {
        std::filesystem::remove(qm::net::connectionsFile());
        std::filesystem::remove(qm::net::sessionConnectionsFile());
    }
    // The remote name of the letter's connection, "" when it has none.
    static std::string remoteOf(char letter)
    {
        auto c = qm::net::findConnection(letter);
        return c ? c->remote : std::string();
    }
};

} // namespace qm::test
