// The connection table: connecting and cancelling with the networking codes,
// the remembered and session tables, and mapped letters as drives of type 4
// in this process and in a second one.
#include "platform/fs/Drives.h"
#include "platform/fs/Paths.h"
#include "platform/fs/RtError.h"
#include "platform/net/Connections.h"
#include "platform/net/Neighbourhood.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <fstream>
#include <pwd.h>
#include <unistd.h>

namespace stdfs = std::filesystem;
using namespace qm::net;

namespace {

std::string me()
{
    const passwd* pw = getpwuid(getuid());
    return pw ? pw->pw_name : "";
}

class ConnectionsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        stdfs::remove_all(qm::fs::platformDir());
        stdfs::create_directories(qm::fs::platformDir());
        stdfs::create_directories(tmp / "pub/Docs/Deep");
        stdfs::create_directories(tmp / "priv");
        stdfs::create_directories(tmp / "mine");
        stdfs::create_directories(tmp / "usb");
        qm::test::writeFile(tmp / "pub/file.txt", "x");
        qm::test::writeFile(qm::fs::drivesFile(), "[D:]\r\nPath=" + (tmp / "usb").string() + "\r\nType=removable\r\n");
        qm::test::writeFile(neighbourhoodFile(),
                            "[\\\\FILESRV]\r\nType=server\r\n"
                            "[\\\\FILESRV\\public]\r\nPath=" + (tmp / "pub").string() + "\r\n"
                            "[\\\\FILESRV\\private]\r\nPath=" + (tmp / "priv").string() +
                            "\r\nUser=Ann\r\nPassword=s3cret\r\n"
                            "[\\\\FILESRV\\mine]\r\nPath=" + (tmp / "mine").string() + "\r\nUser=" + me() + "\r\n"
                            "[\\\\FILESRV\\laser]\r\nType=printer\r\n");
        installDriveHooks();
    }

    qm::test::TempDir tmp{"qm-conn"};
    std::optional<std::string> none;
};

} // namespace

TEST_F(ConnectionsTest, RefusalsCarryTheNetworkingCodes)
{
    const std::string pub = R"(\\FILESRV\public)";
    for (const char* bad : {"E", "EE:", "1:", "E:\\"})
        EXPECT_EQ(addConnection(bad, pub, none, none, 1), neterr::BadDevice) << bad;
    EXPECT_EQ(addConnection("c:", pub, none, none, 1), neterr::AlreadyAssigned);
    EXPECT_EQ(addConnection("D:", pub, none, none, 1), neterr::AlreadyAssigned); // drives file
    EXPECT_EQ(addConnection("E:", R"(\\NOSUCH\public)", none, none, 1), neterr::BadNetPath);
    EXPECT_EQ(addConnection("E:", R"(\\FILESRV\nosuch)", none, none, 1), neterr::BadNetName);
    EXPECT_EQ(addConnection("E:", R"(\\FILESRV\laser)", none, none, 1), neterr::BadNetName);
    EXPECT_EQ(addConnection("E:", R"(\\FILESRV\public\file.txt)", none, none, 1), neterr::BadNetName);
    EXPECT_EQ(addConnection("E:", R"(\\FILESRV\public\..\..)", none, none, 1), neterr::BadNetName);
    EXPECT_EQ(addConnection("E:", "_ROOT", none, none, 1), neterr::BadNetName);
    // A share that asks for a log-in.
    const std::string priv = R"(\\FILESRV\private)";
    EXPECT_EQ(addConnection("E:", priv, none, none, 1), neterr::LogonFailure);
    EXPECT_EQ(addConnection("E:", priv, std::string("wrong"), std::string("ann"), 1), neterr::LogonFailure);
    EXPECT_EQ(addConnection("E:", priv, std::string("s3cret"), std::string("bob"), 1), neterr::LogonFailure);
    EXPECT_EQ(addConnection("E:", priv, std::string(""), std::string("ann"), 1), neterr::LogonFailure);
    EXPECT_TRUE(connections().empty());
    EXPECT_FALSE(stdfs::exists(connectionsFile()));
    // Absent credentials are the current user's.
    EXPECT_EQ(addConnection("", R"(\\FILESRV\mine)", none, none, 1), neterr::NoError);
    EXPECT_EQ(addConnection("", priv, std::string("s3cret"), std::string("ANN"), 1), neterr::NoError);
    EXPECT_TRUE(connections().empty()); // no letter, nothing stored
}

TEST_F(ConnectionsTest, RememberedAndSessionConnectionsAreDrivesOfTypeFour)
{
    ASSERT_EQ(addConnection("e:", R"(\\filesrv\PRIVATE)", std::string("s3cret"), std::string("ann"), ConnectUpdateProfile),
              neterr::NoError);
    ASSERT_EQ(addConnection("G:", R"(\\FILESRV\public\docs)", none, none, 0), neterr::NoError);
    EXPECT_EQ(addConnection("E:", R"(\\FILESRV\public)", none, none, 1), neterr::AlreadyAssigned);
    EXPECT_EQ(addConnection("G:", R"(\\FILESRV\public)", none, none, 1), neterr::AlreadyAssigned);

    std::string remembered = qm::test::readFile(connectionsFile());
    EXPECT_EQ(remembered, "[E:]\r\nRemote=\\\\filesrv\\PRIVATE\r\nUser=ann\r\n");
    EXPECT_EQ(remembered.find("s3cret"), std::string::npos);
    EXPECT_EQ(qm::test::readFile(sessionConnectionsFile()).find("[G:]\r\nRemote=\\\\FILESRV\\public\\docs\r\n")
                  != std::string::npos,
              true);

    auto all = connections();
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[0].letter, 'E');
    EXPECT_TRUE(all[0].persistent);
    EXPECT_EQ(all[1].letter, 'G');
    EXPECT_FALSE(all[1].persistent);

    EXPECT_EQ(qm::fs::driveType("E:\\"), qm::fs::drivetype::Remote);
    EXPECT_EQ(qm::fs::driveType("g:"), qm::fs::drivetype::Remote);
    EXPECT_EQ(qm::fs::driveType("F:\\"), qm::fs::drivetype::NoRootDir);
    EXPECT_EQ(qm::fs::toNative(R"(G:\DEEP)"), tmp.path() / "pub/Docs/Deep");
    EXPECT_EQ(qm::fs::toNative(R"(E:\)"), tmp.path() / "priv");
    EXPECT_EQ(qm::fs::findDrive('G')->label, "public");
    EXPECT_EQ(qm::fs::toNative(R"(\\FILESRV\Public\docs)"), tmp.path() / "pub/Docs");

    // A session table from before the last restart counts for nothing.
    std::string session = qm::test::readFile(sessionConnectionsFile());
    size_t boot = session.find("Boot=");
    ASSERT_NE(boot, std::string::npos);
    session.insert(boot + 5, "stale-");
    qm::test::writeFile(sessionConnectionsFile(), session);
    EXPECT_FALSE(findConnection('G'));
    EXPECT_EQ(qm::fs::driveType("G:\\"), qm::fs::drivetype::NoRootDir);
    EXPECT_EQ(addConnection("G:", R"(\\FILESRV\public)", none, none, 0), neterr::NoError);
}

TEST_F(ConnectionsTest, UnreachableShareKeepsItsLetter)
{
    ASSERT_EQ(addConnection("H:", R"(\\FILESRV\public)", none, none, 1), neterr::NoError);
    qm::test::writeFile(neighbourhoodFile(), "");
    EXPECT_EQ(qm::fs::driveType("H:\\"), qm::fs::drivetype::Remote);
    try {
        qm::fs::toNative(R"(H:\x)");
        ADD_FAILURE() << "an unreachable share mapped";
    } catch (const qm::RtError& e) {
        EXPECT_EQ(e.number, qm::rterr::DeviceUnavailable);
    }
    EXPECT_EQ(addConnection("H:", R"(\\FILESRV\public)", none, none, 1), neterr::AlreadyAssigned);
    EXPECT_EQ(cancelConnection("H:", 1, false), neterr::NoError);
}

TEST_F(ConnectionsTest, CancelRefusesWhileFilesAreOpenUnlessForced)
{
    EXPECT_EQ(cancelConnection("E:", 1, false), neterr::NotConnected);
    EXPECT_EQ(cancelConnection("Desktop", 1, false), neterr::NotConnected);
    ASSERT_EQ(addConnection("E:", R"(\\FILESRV\public)", none, none, 1), neterr::NoError);
    ASSERT_EQ(addConnection("F:", R"(\\FILESRV\public\Docs)", none, none, 0), neterr::NoError);
    {
        std::ifstream open(tmp / "pub/file.txt");
        ASSERT_TRUE(open);
        EXPECT_EQ(cancelConnection("E:", 1, false), neterr::OpenFiles);
        EXPECT_EQ(cancelConnection("f:", 1, false), neterr::NoError); // Docs holds no open file
        EXPECT_TRUE(findConnection('E'));
        EXPECT_EQ(cancelConnection("e:", 1, true), neterr::NoError);
    }
    EXPECT_TRUE(connections().empty());
    EXPECT_EQ(qm::fs::driveType("E:\\"), qm::fs::drivetype::NoRootDir);
    EXPECT_EQ(cancelConnection("E:", 1, false), neterr::NotConnected);
}

TEST_F(ConnectionsTest, SecondProcessSeesTheMappedLetter)
{
    ASSERT_EQ(addConnection("E:", R"(\\FILESRV\public)", none, none, 1), neterr::NoError);
    ASSERT_EQ(addConnection("K:", R"(\\FILESRV\public\Docs)", none, none, 0), neterr::NoError);
    std::string out;
    ASSERT_EQ(qm::test::runCommand({NET_PROBE, "E:\\", R"(E:\docs\deep)"}, &out), 0);
    EXPECT_EQ(out, "4\n" + (tmp.path() / "pub/Docs/Deep").string() + "\n");
    ASSERT_EQ(qm::test::runCommand({NET_PROBE, "K:\\", R"(K:\)"}, &out), 0);
    EXPECT_EQ(out, "4\n" + (tmp.path() / "pub/Docs").string() + "\n");
    ASSERT_EQ(cancelConnection("E:", 1, true), neterr::NoError);
    ASSERT_EQ(qm::test::runCommand({NET_PROBE, "E:\\", R"(E:\docs)"}, &out), 0);
    EXPECT_EQ(out, "1\nerror 68\n");
}
