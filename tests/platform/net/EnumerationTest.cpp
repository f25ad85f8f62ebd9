// Browsing the neighbourhood through the enumeration calls.
#include "platform/fs/Paths.h"
#include "platform/net/Enumeration.h"
#include "platform/net/Neighbourhood.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>

namespace stdfs = std::filesystem;
using namespace qm::net;

namespace {

std::uint32_t get32(const unsigned char* p)
{
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

std::string textAt(const std::vector<unsigned char>& buffer, std::uint32_t offset)
{
    return offset ? std::string(reinterpret_cast<const char*>(buffer.data() + offset)) : std::string();
}

class Enumeration : public ::testing::Test {
protected:
    Enumeration() { stdfs::create_directories(qm::fs::platformDir()); useMounts(""); }
    ~Enumeration() override
    {
        setMountInfoFile({});
        stdfs::remove(neighbourhoodFile());
    }

    void useMounts(const std::string& text)
    {
        qm::test::writeFile(tmp_ / "mountinfo", text);
        setMountInfoFile(tmp_ / "mountinfo");
    }

    // Reads every entry of `container` as a caller with a 1024-byte buffer
    // does; counts the calls that asked for a bigger one.
    std::vector<NETRESOURCE> list(const std::string& container, std::uint32_t type = ResourceTypeDisk,
                                  std::uint32_t usage = ResourceUsageAll, int* open = nullptr)
    {
        NETRESOURCE c;
        c.lpRemoteName = container;
        EnumHandle h = 0;
        int r = net_.openEnum(ResourceGlobalNet, type, usage, c, h);
        if (open)
            *open = r;
        std::vector<NETRESOURCE> out;
        if (r != enumerr::NoError)
            return out;
        std::vector<unsigned char> buffer(1024);
        for (;;) {
            std::int32_t count = -1;
            std::uint32_t size = static_cast<std::uint32_t>(buffer.size());
            r = net_.enumResource(h, count, buffer.data(), size);
            if (r == enumerr::MoreData) {
                ++moreData_;
                buffer.assign(size, 0);
                continue;
            }
            if (r != enumerr::NoError)
                break;
            for (int i = 0; i < count; ++i) {
                const unsigned char* e = buffer.data() + EntrySize * i;
                NETRESOURCE n{get32(e), get32(e + 4), get32(e + 8), get32(e + 12),
                              textAt(buffer, get32(e + 16)), textAt(buffer, get32(e + 20)),
                              textAt(buffer, get32(e + 24)), textAt(buffer, get32(e + 28))};
                out.push_back(n);
            }
        }
        EXPECT_EQ(r, enumerr::NoMoreItems);
        EXPECT_EQ(net_.closeEnum(h), enumerr::NoError);
        return out;
    }

    static std::vector<std::string> names(const std::vector<NETRESOURCE>& rs)
    {
        std::vector<std::string> out;
        for (const NETRESOURCE& r : rs)
            out.push_back(r.lpRemoteName);
        return out;
    }

    qm::test::TempDir tmp_{"qm-enum"};
    SystemNetwork net_;
    int moreData_ = 0;
};

using Names = std::vector<std::string>;

TEST_F(Enumeration, WalksProvidersDomainsServersThenSharesAndPrinters)
{
    qm::test::writeFile(neighbourhoodFile(),
                        "[Microsoft Windows Network]\r\nType=provider\r\n"
                        "[OFFICE]\r\nType=domain\r\nProvider=Microsoft Windows Network\r\nComment=Office\r\n"
                        "[\\\\FILESRV]\r\nType=server\r\nDomain=OFFICE\r\nComment=Files\r\n"
                        "[\\\\FILESRV\\laser]\r\nType=printer\r\n"
                        "[\\\\FILESRV\\public]\r\nPath=/tmp\r\n"
                        "[\\\\FILESRV\\C$]\r\nType=admin\r\nPath=/\r\n"
                        "[\\\\LOCKED]\r\nDomain=OFFICE\r\nDeny=yes\r\n"
                        "[\\\\LOCKED\\x]\r\nPath=/tmp\r\n"
                        "[\\\\LOOSE\\docs]\r\nPath=/tmp\r\n");
    auto top = list("");
    ASSERT_EQ(names(top), (Names{"Microsoft Windows Network"}));
    EXPECT_EQ(top[0].dwDisplayType, displaytype::Network);
    EXPECT_EQ(top[0].dwUsage, ResourceUsageContainer);
    EXPECT_EQ(top[0].lpProvider, "Microsoft Windows Network");
    // The implied WORKGROUP of \\LOOSE comes after the domains of the file.
    EXPECT_EQ(names(list("microsoft windows network")), (Names{"OFFICE", "WORKGROUP"}));
    auto servers = list("OFFICE");
    EXPECT_EQ(names(servers), (Names{"\\\\FILESRV", "\\\\LOCKED"}));
    EXPECT_EQ(servers[0].lpComment, "Files");
    EXPECT_EQ(servers[0].dwDisplayType, displaytype::Server);

    auto disks = list("\\\\filesrv");
    ASSERT_EQ(names(disks), (Names{"\\\\FILESRV\\public", "\\\\FILESRV\\C$"}));
    EXPECT_EQ(disks[0].dwDisplayType, displaytype::Share);
    EXPECT_EQ(disks[1].dwDisplayType, displaytype::AdminShare);
    EXPECT_EQ(disks[0].dwType, ResourceTypeDisk);
    EXPECT_EQ(disks[0].lpProvider, "Microsoft Windows Network");
    EXPECT_EQ(disks[0].lpComment, "");
    auto printers = list("\\\\FILESRV", ResourceTypePrint, ResourceUsageConnectable);
    ASSERT_EQ(names(printers), (Names{"\\\\FILESRV\\laser"}));
    EXPECT_EQ(printers[0].dwType, ResourceTypePrint);
    // The printer pass of a domain lists no containers.
    EXPECT_TRUE(list("OFFICE", ResourceTypePrint, ResourceUsageConnectable).empty());

    int open = 0;
    list("\\\\LOCKED", ResourceTypeDisk, ResourceUsageAll, &open);
    EXPECT_EQ(open, enumerr::AccessDenied);
    list("\\\\FILESRV\\public", ResourceTypeDisk, ResourceUsageAll, &open);
    EXPECT_EQ(open, enumerr::NotContainer);
    list("\\\\FILESRV\\laser", ResourceTypeDisk, ResourceUsageAll, &open);
    EXPECT_EQ(open, enumerr::NotContainer);
    list("\\\\NOBODY", ResourceTypeDisk, ResourceUsageAll, &open);
    EXPECT_EQ(open, enumerr::BadNetPath);
    EXPECT_EQ(names(list("WORKGROUP")), (Names{"\\\\LOOSE"}));
    EXPECT_EQ(moreData_, 0);
    EXPECT_EQ(net_.openEnumerations(), 0u);
    // An admin share is a disk share for its path.
    EXPECT_TRUE(findShare("FILESRV", "c$"));
}

TEST_F(Enumeration, NoFileAndNoMountsIsNoNetwork)
{
    int open = 0;
    list("", ResourceTypeDisk, ResourceUsageAll, &open);
    EXPECT_EQ(open, enumerr::NoNetwork);
    EXPECT_EQ(net_.openEnumerations(), 0u);
    NETRESOURCE root;
    EnumHandle h = 0;
    EXPECT_EQ(net_.openEnum(1, ResourceTypeDisk, 0, root, h), enumerr::InvalidParameter);
    std::int32_t count = -1;
    std::uint32_t size = 0;
    EXPECT_EQ(net_.enumResource(77, count, nullptr, size), enumerr::InvalidHandle);
    EXPECT_EQ(net_.closeEnum(77), enumerr::InvalidHandle);
}

TEST_F(Enumeration, ALongCommentAsksForABiggerBufferOnce)
{
    const std::string comment(3000, 'c');
    qm::test::writeFile(neighbourhoodFile(), "[\\\\S\\a]\r\nPath=/tmp\r\n[\\\\S\\b]\r\nPath=/tmp\r\nComment=" +
                                                 comment + "\r\n[\\\\S\\c]\r\nPath=/tmp\r\n");
    auto shares = list("\\\\S");
    ASSERT_EQ(names(shares), (Names{"\\\\S\\a", "\\\\S\\b", "\\\\S\\c"}));
    EXPECT_EQ(shares[1].lpComment, comment);
    EXPECT_EQ(moreData_, 1);

    // The size asked for is the entry's own: 32 bytes and each text with its NUL.
    NETRESOURCE s;
    s.lpRemoteName = "\\\\S";
    EnumHandle h = 0;
    ASSERT_EQ(net_.openEnum(ResourceGlobalNet, ResourceTypeDisk, 0, s, h), 0);
    std::vector<unsigned char> buffer(1024);
    std::int32_t count = 1;
    std::uint32_t size = 1024;
    EXPECT_EQ(net_.enumResource(h, count, buffer.data(), size), 0);
    EXPECT_EQ(count, 1);
    count = -1;
    EXPECT_EQ(net_.enumResource(h, count, buffer.data(), size), enumerr::MoreData);
    EXPECT_EQ(size, 32u + 6 + 3001 + std::strlen("Microsoft Windows Network") + 1);
    EXPECT_EQ(count, -1);
    net_.closeEnum(h);
}

TEST_F(Enumeration, MountedSharesJoinTheNeighbourhood)
{
    useMounts("40 22 0:35 / /mnt/m rw - cifs //NAS/Media rw,vers=3.0,domain=HOME\n"
              "41 22 0:36 / /mnt/w rw - smb3 //PRINTS/work rw\n"
              "42 22 0:37 / /mnt/h rw - nfs4 fileserver:/export/home rw\n"
              "43 22 0:38 / /mnt/d rw - cifs //FILESRV/public rw\n");
    qm::test::writeFile(neighbourhoodFile(), "[\\\\FILESRV\\public]\r\nPath=/tmp\r\nComment=From the file\r\n");
    EXPECT_EQ(names(list("")), (Names{"Microsoft Windows Network", "NFS Network"}));
    EXPECT_EQ(names(list("Microsoft Windows Network")), (Names{"WORKGROUP", "HOME"}));
    EXPECT_EQ(names(list("HOME")), (Names{"\\\\NAS"}));
    EXPECT_EQ(names(list("WORKGROUP")), (Names{"\\\\FILESRV", "\\\\PRINTS"}));
    EXPECT_EQ(names(list("\\\\NAS")), (Names{"\\\\NAS\\Media"}));
    EXPECT_EQ(names(list("NFS Network")), (Names{"\\\\fileserver"}));
    auto nfs = list("\\\\fileserver");
    ASSERT_EQ(names(nfs), (Names{"\\\\fileserver\\home"}));
    EXPECT_EQ(nfs[0].lpProvider, "NFS Network");
    // A share the file describes is listed once, as the file says.
    auto files = list("\\\\FILESRV");
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0].lpComment, "From the file");
    auto m = parseMountInfo("40 22 0:35 / /mnt/m rw - cifs //NAS/Media rw,domain=HOME\n");
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(m[0].domain, "HOME");
    EXPECT_FALSE(m[0].nfs);
}

} // namespace
