// The network resources: lazy children, the keyed collection, and how the
// enumeration loop ends whatever the network answers.
#include "pickers/NetResource.h"
#include "platform/fs/Paths.h"
#include "platform/fs/RtError.h"
#include "platform/net/Neighbourhood.h"

#include "ScriptedNetwork.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

namespace stdfs = std::filesystem;
using namespace qm::pickers;
using qm::net::NETRESOURCE;
using qm::test::ScriptedNetwork;
using qm::test::share;

namespace {

class NetResourceTest : public ::testing::Test {
protected:
    NetResourceTest()
    {
        stdfs::create_directories(qm::fs::platformDir());
        qm::test::writeFile(tmp_ / "mountinfo", "");
        qm::net::setMountInfoFile(tmp_ / "mountinfo");
    }
    ~NetResourceTest() override
    {
        qm::net::setMountInfoFile({});
        stdfs::remove(qm::net::neighbourhoodFile());
    }
    void network(const std::string& text) { qm::test::writeFile(qm::net::neighbourhoodFile(), text); }

    qm::test::TempDir tmp_{"qm-netres"};
    qm::net::SystemNetwork system_;
};

TEST_F(NetResourceTest, ChildrenComeLazilyAndStay)
{
    network("[Microsoft Windows Network]\r\nType=provider\r\n"
            "[\\\\FILESRV]\r\nDomain=WORKGROUP\r\nComment=Files\r\n"
            "[\\\\FILESRV\\laser]\r\nType=printer\r\n"
            "[\\\\FILESRV\\public]\r\nPath=/tmp\r\n"
            "[\\\\FILESRV\\home]\r\nPath=/tmp\r\n");
    NetResource root(system_);
    EXPECT_FALSE(root.isEnumerated());
    NetResources& providers = root.Children();
    ASSERT_EQ(providers.count(), 1);
    auto provider = providers.Item(1);
    EXPECT_EQ(provider->ShortName(), "Microsoft Windows Network");
    EXPECT_EQ(provider->ResourceTypeName(), "Network");
    EXPECT_TRUE(root.isEnumerated());

    auto domain = provider->Children().Item("workgroup");
    ASSERT_TRUE(domain);
    auto server = domain->Children().Item("\\\\filesrv");
    ASSERT_TRUE(server);
    EXPECT_EQ(server->ShortName(), "FILESRV");
    EXPECT_EQ(server->Comment(), "Files");
    std::vector<std::string> shares;
    for (const auto& s : server->Children())
        shares.push_back(s->ShortName() + " " + s->ResourceTypeName() + " " + std::to_string(s->ResourceType()));
    EXPECT_EQ(shares, (std::vector<std::string>{"public Share 3", "home Share 3", "laser Printer 255"}));
    EXPECT_EQ(server->Children().Item(3)->Provider(), "Microsoft Windows Network");
    EXPECT_EQ(system_.openEnumerations(), 0u);

    // Listed once: a changed network is not read again.
    network("");
    EXPECT_EQ(server->Children().count(), 3);
    EXPECT_EQ(root.Children().count(), 1);
}

TEST_F(NetResourceTest, ARefusedContainerIsAskedAgain)
{
    network("[\\\\LOCKED]\r\nDeny=yes\r\n[\\\\LOCKED\\x]\r\nPath=/tmp\r\n");
    NetResource root(system_);
    auto server = root.Children().Item(1)->Children().Item(1)->Children().Item("\\\\LOCKED");
    ASSERT_TRUE(server);
    EXPECT_EQ(server->Children().count(), 0);
    EXPECT_FALSE(server->isEnumerated());
    network("[\\\\LOCKED]\r\n[\\\\LOCKED\\x]\r\nPath=/tmp\r\n");
    EXPECT_EQ(server->Children().count(), 1);
    EXPECT_TRUE(server->isEnumerated());

    ScriptedNetwork refusing;
    refusing.openResult = 5;
    NetResource r(refusing);
    r.Children();
    r.Children();
    EXPECT_EQ(refusing.opens, 2);
    EXPECT_EQ(refusing.closes, 0); // nothing was opened
}

TEST_F(NetResourceTest, ADuplicateKeyStopsTheListingAndClosesIt)
{
    ScriptedNetwork net;
    net.entries = {share("\\\\S\\a"), share("\\\\S\\b"), share("\\\\S\\A"), share("\\\\S\\c")};
    NetResource root(net);
    EXPECT_EQ(qm::test::rtErrorNumber([&] { root.Children(); }), collerr::DuplicateKey);
    EXPECT_EQ(net.opens, 1);
    EXPECT_EQ(net.closes, 1);
    EXPECT_FALSE(root.isEnumerated());
    // The next access tries again with a fresh collection.
    EXPECT_EQ(qm::test::rtErrorNumber([&] { root.Children(); }), collerr::DuplicateKey);
    EXPECT_EQ(net.closes, 2);

    // A call that fails and leaves the count at -1 ends the listing too.
    ScriptedNetwork failing;
    failing.entries = {share("\\\\S\\a"), share("\\\\S\\b")};
    failing.failAfter = 1;
    NetResource r(failing);
    EXPECT_EQ(r.Children().count(), 1);
    EXPECT_EQ(failing.closes, 2); // disk pass and printer pass
}

TEST_F(NetResourceTest, TextsOfAnyLengthAndNullPointers)
{
    ScriptedNetwork net;
    NETRESOURCE big = share("\\\\S\\big");
    big.lpComment = std::string(5000, 'x');
    NETRESOURCE bare;
    bare.dwDisplayType = 12;
    bare.lpRemoteName = "NoSlash";
    net.entries = {big, bare};
    NetResource root(net);
    NetResources& c = root.Children();
    ASSERT_EQ(c.count(), 2);
    EXPECT_EQ(c.Item(1)->Comment(), big.lpComment);
    EXPECT_EQ(c.Item(1)->ShortName(), "big");
    EXPECT_EQ(c.Item(2)->ShortName(), "NoSlash");
    EXPECT_EQ(c.Item(2)->ResourceTypeName(), "");
    EXPECT_EQ(c.Item(2)->Comment(), "");
    EXPECT_EQ(c.Item(2)->LocalName(), "");

    const unsigned char buffer[6] = {'a', 'b', 'c', 0, 'd', 'e'};
    EXPECT_EQ(NetResource::PtrToString(buffer, 6, 0), "");
    EXPECT_EQ(NetResource::PtrToString(buffer, 6, 1), "bc");
    EXPECT_EQ(NetResource::PtrToString(buffer, 6, 4), "de"); // ends at the buffer's end
    EXPECT_EQ(NetResource::PtrToString(buffer, 6, 9), "");
}

TEST_F(NetResourceTest, TheCollectionByPositionAndKey)
{
    ScriptedNetwork net;
    net.entries = {share("\\\\S\\one"), share("\\\\S\\two"), share("\\\\S\\three")};
    NetResource root(net);
    NetResources& c = root.Children();
    EXPECT_EQ(c.Item("\\\\s\\TWO")->ShortName(), "two");
    EXPECT_EQ(c.Item("\\\\S\\four"), nullptr);
    EXPECT_EQ(c.Item(0), nullptr);
    EXPECT_EQ(c.Item(4), nullptr);
    EXPECT_EQ(qm::test::rtErrorNumber([&] { c.Remove("\\\\S\\four"); }), collerr::InvalidCall);
    EXPECT_EQ(qm::test::rtErrorNumber([&] { c.Remove(9); }), collerr::InvalidCall);
    c.Remove("\\\\S\\ONE");
    c.Remove(2);
    ASSERT_EQ(c.count(), 1);
    EXPECT_EQ(c.Item(1)->ShortName(), "two");
}

} // namespace
