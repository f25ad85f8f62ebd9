// Mapping and disconnecting network drives without a window: the map-drive
// command, the log-in dialog's load and Okay, the network browser's Okay and
// the disconnect dialog's Unmap, over the connection table of the platform
// folder.
#include "pickers/MapDrive.h"
#include "pickers/NetworkMap.h"
#include "pickers/TargetDir.h"
#include "platform/fs/Drives.h"
#include "platform/net/Connections.h"
#include "store/SystemLookups.h"

#include "PickerHome.h"

#include <sys/wait.h>
#include <unistd.h>

#include <fstream>

using namespace qm::pickers;
using qm::ui::Icon;

namespace {

const std::string Public = "\\\\FILESRV\\public";
const std::string Private = "\\\\FILESRV\\private";

class MapDriveTest : public qm::test::DriveHome {
protected:
    MapDriveTest() { ui_.setUnscriptedResult(qm::ui::mb::OK); }

    // The last box: its text, and whether it is a critical "Error!" one.
    std::string refusal() const
    {
        const auto& box = ui_.lastBox();
        EXPECT_EQ(box.title, "Error!") << box.prompt;
        EXPECT_EQ(box.icon, Icon::Critical) << box.prompt;
        return box.prompt;
    }
    bool okay(const std::string& letter, const std::string& path, const std::string& user = "",
              const std::string& password = "")
    {
        return mapDriveOkay(ui_, letter, path, user, password);
    }
};

TEST_F(MapDriveTest, TheCommandRefusesTheRootTheWindowsNetworkAndNoNode)
{
    const std::string second = "\r\nPlease click the + symbol and select from the list.";
    EXPECT_FALSE(mapDriveOpening(ui_, "ChooseTargetDir", "_ROOT"));
    EXPECT_EQ(refusal(), "_ROOT is not a valid choice." + second);
    EXPECT_FALSE(mapDriveOpening(ui_, "ChooseTargetDir", "Microsoft Windows Network"));
    EXPECT_EQ(refusal(), "Microsoft Windows Network is not a valid choice." + second);
    EXPECT_FALSE(mapDriveOpening(ui_, "PickDirFrm", ""));
    EXPECT_EQ(refusal(), std::string(NoNetworkNodeMessage));
    ASSERT_EQ(ui_.boxes().size(), 3u);

    // Keys compare exactly, and a domain passes; the first free letter is E
    // (C: and D: are drives), and after E: is mapped G (F: is a drive).
    auto opening = mapDriveOpening(ui_, "frmNetworkMap", "microsoft windows network");
    ASSERT_TRUE(opening);
    EXPECT_EQ(opening->DrvLtr, "E");
    opening = mapDriveOpening(ui_, "PickDirFrm", "OFFICE");
    ASSERT_TRUE(opening);
    EXPECT_EQ(opening->lblNetworkPath, "OFFICE");
    EXPECT_EQ(opening->ParentForm, "PickDirFrm");
    ASSERT_TRUE(okay("E", Public));
    EXPECT_EQ(mapDriveOpening(ui_, "PickDirFrm", Public)->DrvLtr, "G");
    EXPECT_EQ(ui_.boxes().size(), 4u);

    // Every letter from D to Z in use: the log-in dialog is not opened.
    std::string drives = qm::test::readFile(qm::fs::drivesFile());
    for (char letter = 'G'; letter <= 'Z'; ++letter)
        drives += std::string("[") + letter + ":]\r\nPath=" + native("f") + "\r\n";
    qm::test::writeFile(qm::fs::drivesFile(), drives);
    EXPECT_FALSE(mapDriveOpening(ui_, "PickDirFrm", Public));
    EXPECT_EQ(refusal(), qm::store::NoFreeDriveMessage);
}

TEST_F(MapDriveTest, TheLoadOffersTheLettersFromTheFirstFreeOne)
{
    MapDriveLoad z = mapDriveLoad("Z");
    EXPECT_EQ(z.letters, std::vector<std::string>{"Z"});
    MapDriveLoad d = mapDriveLoad("D");
    ASSERT_EQ(d.letters.size(), 23u);
    EXPECT_EQ(d.letters.front() + d.letters.back(), "DZ");
    MapDriveLoad e = mapDriveLoad("E");
    EXPECT_EQ(e.Label1, "First available drive letter is  E");
    EXPECT_EQ(e.Combo1, "E");
    EXPECT_TRUE(mapDriveLoad("e").letters.empty());
}

TEST_F(MapDriveTest, OkayKeepsTheDialogOpenForNoLetterAFileAndHalfALogIn)
{
    EXPECT_FALSE(okay("  ", Public));
    EXPECT_EQ(refusal(), std::string(NoLetterMessage));
    EXPECT_FALSE(okay("E", Public + "\\readme.txt"));
    EXPECT_EQ(refusal(), std::string(NoNetworkPathMessage));
    EXPECT_FALSE(okay("E", Private, "ann", ""));
    EXPECT_EQ(refusal(), std::string(LoginPairMessage));
    EXPECT_FALSE(okay("E", Private, "   ", "secret"));
    EXPECT_EQ(refusal(), std::string(LoginPairMessage));
    EXPECT_TRUE(qm::net::connections().empty());

    // A domain's attributes cannot be read: an "Error: " box, and the
    // closing steps follow.
    EXPECT_TRUE(okay("E", "OFFICE"));
    EXPECT_EQ(ui_.lastBox().prompt.rfind("Error: 52\r\n", 0), 0u) << ui_.lastBox().prompt;
    EXPECT_EQ(ui_.lastBox().title, "Quillmate");
    EXPECT_EQ(ui_.lastBox().icon, Icon::None);
    EXPECT_TRUE(qm::net::connections().empty());
}

TEST_F(MapDriveTest, OkayConnectsWithTheCurrentLogInOrTheOneGiven)
{
    // Only the first character names the drive; the connection is remembered.
    EXPECT_TRUE(okay("e:", Public, "  ", " "));
    const auto& box = ui_.lastBox();
    EXPECT_EQ(box.prompt, std::string(MappedMessage));
    EXPECT_EQ(box.title, "Success!");
    EXPECT_EQ(box.icon, Icon::Information);
    EXPECT_EQ(box.prompt,
              "Drive mapped successfully.\r\nYou can now choose it from your local drive and folder lists.\r\n\r\n"
              "You can also unmap the drive whenever you wish\r\nvia the Quillmate File menus.");
    auto e = qm::net::findConnection('E');
    ASSERT_TRUE(e);
    EXPECT_EQ(e->remote, Public);
    EXPECT_TRUE(e->persistent);
    EXPECT_EQ(e->user, "");
    EXPECT_EQ(qm::fs::driveType("E:\\"), qm::fs::drivetype::Remote);

    // The current log-in is refused by a share that asks for its own; the
    // one given is taken without the blanks around it.
    EXPECT_TRUE(okay("G", Private));
    EXPECT_EQ(refusal(), "The drive could not be mapped.\r\nThe user name or password is incorrect.");
    EXPECT_EQ(remoteOf('G'), "");
    EXPECT_TRUE(okay("G", Private, " ann ", "  secret  "));
    EXPECT_EQ(ui_.lastBox().title, "Success!");
    EXPECT_EQ(qm::net::findConnection('G')->user, "ann");
}

TEST_F(MapDriveTest, RefusedConnectionsNameTheirReason)
{
    const std::string first = "The drive could not be mapped.\r\n";
    EXPECT_TRUE(okay("F", Public));
    EXPECT_EQ(refusal(), first + "The local device name is already in use.");
    EXPECT_TRUE(okay("G", Private, "bob", "secret"));
    EXPECT_EQ(refusal(), first + "The user name or password is incorrect.");
    EXPECT_TRUE(qm::net::connections().empty());
    // A share or server gone between the tree and the connection.
    using qm::store::MapNetworkDriveResult;
    EXPECT_EQ(qm::net::connectionErrorText(MapNetworkDriveResult("E", "\\\\FILESRV\\gone", {}, {})),
              "The network name cannot be found.");
    EXPECT_EQ(qm::net::connectionErrorText(MapNetworkDriveResult("E", "\\\\NOSUCH\\x", {}, {})),
              "The network path was not found.");
    EXPECT_TRUE(qm::store::MapNetworkDrive("E", Public, std::nullopt, std::nullopt));

    // A connection table that cannot be written: access denied. Root writes
    // anywhere, so the connection is tried as another user then.
    namespace stdfs = std::filesystem;
    const stdfs::path platform = qm::fs::platformDir();
    const auto open = stdfs::perms::owner_all | stdfs::perms::group_read | stdfs::perms::group_exec |
                      stdfs::perms::others_read | stdfs::perms::others_exec;
    const auto before = stdfs::status(platform.parent_path()).permissions();
    stdfs::permissions(platform.parent_path(), open);
    stdfs::permissions(root_.path(), open);
    stdfs::permissions(platform, open & ~stdfs::perms::owner_write);
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(2);
        qm::ui::FakeUiServices ui;
        ui.setUnscriptedResult(qm::ui::mb::OK);
        const bool closes = mapDriveOkay(ui, "G", Public, "", "");
        ::_exit(closes && ui.lastBox().prompt == first + "Access is denied." ? 0 : 1);
    }
    int status = -1;
    ::waitpid(pid, &status, 0);
    stdfs::permissions(platform, stdfs::perms::owner_all);
    stdfs::permissions(platform.parent_path(), before);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_EQ(remoteOf('G'), "");
}

TEST_F(MapDriveTest, OnlyTheOpenerOfAPickerIsReloaded)
{
    EXPECT_TRUE(reloadsOpener("ChooseTargetDir"));
    EXPECT_TRUE(reloadsOpener("PickDirFrm"));
    EXPECT_FALSE(reloadsOpener("frmNetworkMap"));
}

TEST_F(MapDriveTest, TheBrowserClosesOnAFolderOnly)
{
    EXPECT_TRUE(networkMapOkay(ui_, Public));
    EXPECT_TRUE(networkMapOkay(ui_, Public + "\\Docs"));
    EXPECT_TRUE(ui_.boxes().empty());
    for (const std::string& key : {Public + "\\readme.txt", std::string("_ROOT"), std::string("\\\\FILESRV"),
                                   std::string("\\\\FILESRV\\laser"), std::string()}) {
        EXPECT_FALSE(networkMapOkay(ui_, key)) << key;
        EXPECT_EQ(refusal(), std::string(NotAFolderMessage)) << key;
    }
}

TEST_F(MapDriveTest, UnmapDisconnectsTheSelectedNetworkDrive)
{
    for (const char* key : {"E:", "E:\\Docs"}) {
        ASSERT_TRUE(qm::store::MapNetworkDrive("E", Public, std::nullopt, std::nullopt));
        EXPECT_TRUE(unmapDriveOkay(ui_, key)) << key;
        EXPECT_EQ(ui_.lastBox().prompt, "Drive unmapped successfully.");
        EXPECT_EQ(ui_.lastBox().title, "Success!");
        EXPECT_EQ(ui_.lastBox().icon, Icon::Information);
        EXPECT_EQ(remoteOf('E'), "") << key;
    }
}

TEST_F(MapDriveTest, UnmapRefusesWhatIsNoConnectedNetworkDrive)
{
    EXPECT_FALSE(unmapDriveOkay(ui_, "C:"));
    EXPECT_EQ(refusal(), "C: is not a network drive. Cannot disconnect.");
    EXPECT_FALSE(unmapDriveOkay(ui_, "C:\\home"));
    EXPECT_EQ(refusal(), "C:\\ is not a network drive. Cannot disconnect.");
    EXPECT_FALSE(unmapDriveOkay(ui_, "My Computer"));
    EXPECT_EQ(refusal(), "My Computer is not a valid selection.\r\nPlease choose a network drive.");
    EXPECT_FALSE(unmapDriveOkay(ui_, ""));
    EXPECT_EQ(ui_.lastBox().prompt.rfind("Error: 91\r\n", 0), 0u);
    EXPECT_EQ(ui_.lastBox().icon, Icon::None);

    // A file held open on the drive keeps the connection.
    ASSERT_TRUE(qm::store::MapNetworkDrive("E", Public, std::nullopt, std::nullopt));
    {
        std::ifstream held(root_.path() / "pub/readme.txt");
        ASSERT_TRUE(held);
        EXPECT_FALSE(unmapDriveOkay(ui_, "E:\\readme.txt"));
        EXPECT_EQ(refusal(), "The drive could not be disconnected.\r\nThere are open files on the drive.");
        EXPECT_EQ(remoteOf('E'), Public);
    }
    // A remote drive of the drive table is no connection.
    qm::test::writeFile(qm::fs::drivesFile(), "[S:]\r\nPath=" + native("f") + "\r\nType=remote\r\n");
    EXPECT_FALSE(unmapDriveOkay(ui_, "S:"));
    EXPECT_EQ(refusal(), "The drive could not be disconnected.\r\nThe drive is not connected.");
}

} // namespace
