// Share lookup in the neighbourhood file and among mounted network file systems.
#include "platform/fs/Paths.h"
#include "platform/net/Neighbourhood.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

namespace stdfs = std::filesystem;
using namespace qm::net;

TEST(Neighbourhood, SplitsUncNames)
{
    auto p = splitUnc(R"(\\FILESRV\public\Docs\x.txt)");
    ASSERT_TRUE(p);
    EXPECT_EQ(p->server, "FILESRV");
    EXPECT_EQ(p->share, "public");
    EXPECT_EQ(p->rest, R"(Docs\x.txt)");
    auto q = splitUnc("//srv/share/");
    ASSERT_TRUE(q);
    EXPECT_EQ(q->share, "share");
    EXPECT_EQ(q->rest, "");
    for (const char* bad : {R"(\\FILESRV)", R"(\\FILESRV\)", R"(\\\share)", R"(C:\x)", "WORKGROUP", "_ROOT", ""})
        EXPECT_FALSE(splitUnc(bad)) << bad;
}

TEST(Neighbourhood, ReadsNetworkMountsFromMountInfo)
{
    const char* text =
        "22 1 0:21 / /proc rw,nosuid - proc proc rw\n"
        "40 22 0:35 / /mnt/my\\040share rw,relatime shared:1 - cifs //NAS/Media\\040Files rw,vers=3.0\n"
        "41 22 0:36 / /mnt/home rw - nfs4 fileserver:/export/home/ rw\n"
        "42 22 0:37 / /mnt/sub rw - cifs //NAS/Media/sub rw\n"
        "43 22 0:38 / /mnt/bad rw - nfs noserver rw\n"
        "garbage line\n";
    auto mounts = parseMountInfo(text);
    ASSERT_EQ(mounts.size(), 2u);
    EXPECT_EQ(mounts[0].server, "NAS");
    EXPECT_EQ(mounts[0].share, "Media Files");
    EXPECT_EQ(mounts[0].mountPoint, "/mnt/my share");
    EXPECT_EQ(mounts[1].server, "fileserver");
    EXPECT_EQ(mounts[1].share, "home");
    EXPECT_EQ(mounts[1].mountPoint, "/mnt/home");
}

TEST(Neighbourhood, FindsDiskSharesWithoutCase)
{
    qm::test::TempDir tmp("qm-net");
    qm::test::ScopedEnv home("HOME", tmp.str());
    stdfs::create_directories(qm::fs::platformDir());
    qm::test::writeFile(neighbourhoodFile(),
                        "[WORKGROUP]\r\nType=domain\r\n"
                        "[\\\\FILESRV]\r\nType=server\r\nDomain=WORKGROUP\r\n"
                        "[\\\\FILESRV\\public]\r\nPath=" + tmp.str() + "/pub\r\nComment=Public\r\n"
                        "[\\\\FILESRV\\home]\r\nType=Disk\r\nPath=~/h\r\nUser=ann\r\nPassword=pw\r\n"
                        "[\\\\FILESRV\\laser]\r\nType=printer\r\nPath=/tmp\r\n"
                        "[\\\\FILESRV\\nopath]\r\nType=disk\r\n"
                        "[\\\\OTHER\\rel]\r\nPath=relative/folder\r\n");
    auto pub = findShare("filesrv", "PUBLIC");
    ASSERT_TRUE(pub);
    EXPECT_EQ(pub->folder, tmp.path() / "pub");
    EXPECT_EQ(pub->comment, "Public");
    EXPECT_FALSE(pub->requiresLogin());
    auto h = findShare("FILESRV", "home");
    ASSERT_TRUE(h);
    EXPECT_EQ(h->folder, tmp.path() / "h");
    EXPECT_TRUE(h->requiresLogin());
    EXPECT_FALSE(findShare("FILESRV", "laser")); // printers are no disk shares
    EXPECT_FALSE(findShare("FILESRV", "nopath"));
    EXPECT_FALSE(findShare("OTHER", "rel"));
    EXPECT_FALSE(findShare("FILESRV", "missing"));
    EXPECT_TRUE(serverKnown("filesrv"));
    EXPECT_TRUE(serverKnown("OTHER"));
    EXPECT_FALSE(serverKnown("FILES"));
    EXPECT_FALSE(serverKnown("WORKGROUP"));
}
