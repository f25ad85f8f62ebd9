// Archives written by eight workers, files cut into many pieces, against
// independent peers: plain and encrypted archives, Burrows-Wheeler
// entries, split sets and self-extracting programs.
#include "ZipTestUtil.h"

#include <gtest/gtest.h>

namespace qm::zip::test {
namespace {

namespace stdfs = std::filesystem;
using qm::test::haveProgram;
using qm::test::runCommand;
using qm::test::TempDir;

class ParallelInterop : public ::testing::Test {
protected:
    void SetUp() override
    {
        src = tmp.path() / "src";
        files = mixedTree(150000, 200000);
        makeFiles(src, files);
    }
    void configure(PavikZip& z, const stdfs::path& archive)
    {
        z.ArchivePath = win(archive);
        z.SourceFolder = win(src);
        z.Workers = 8;
        z.setPieceSizeForTesting(4096);
    }
    void peersTest(const stdfs::path& a, const std::string& password = "")
    {
        std::string o;
        if (haveProgram("unzip")) {
            std::vector<std::string> cmd = {"unzip", "-tq"};
            if (!password.empty())
                cmd.insert(cmd.end(), {"-P", password});
            cmd.push_back(a.string());
            EXPECT_EQ(runCommand(cmd, &o), 0) << o;
        }
        if (haveProgram("7zz")) {
            EXPECT_EQ(runCommand({"7zz", "t", "-p" + password, a.string()}, &o), 0) << o;
        }
    }
    std::string peerScript() const { return (qm::test::sourceDir() / "tests" / "interop" / "zippeer.py").string(); }

    TempDir tmp{"qm-zip-par-peer"};
    stdfs::path src;
    std::map<std::string, std::string> files;
};

TEST_F(ParallelInterop, PeersReadWhatEightWorkersWrite)
{
    for (const char* password : {"", "pa55"}) {
        SCOPED_TRACE(password);
        stdfs::path a = tmp.path() / (std::string("deflated") + password + ".zip");
        PavikZip z;
        configure(z, a);
        z.Password = password;
        ASSERT_EQ(z.Build(), result::Ok);
        peersTest(a, password);
        if (haveProgram("python3")) {
            std::vector<std::string> cmd = {"python3", peerScript(), "test", a.string()};
            if (*password)
                cmd.push_back(password);
            std::string o;
            EXPECT_EQ(runCommand(cmd, &o), 0) << o;
        }
    }

    stdfs::path bw = tmp.path() / "bw.zip";
    PavikZip z;
    configure(z, bw);
    z.Method = 18;
    ASSERT_EQ(z.Build(), result::Ok);
    if (haveProgram("python3")) {
        std::string o;
        EXPECT_EQ(runCommand({"python3", peerScript(), "bw", bw.string()}, &o), 0) << o;
    }

    stdfs::path set = tmp.path() / "set";
    stdfs::create_directories(set);
    PavikZip split;
    configure(split, set / "backup.zip");
    split.SplitPartSize = 70000;
    ASSERT_EQ(split.Build(), result::Ok);
    EXPECT_GE(std::distance(stdfs::directory_iterator(set), stdfs::directory_iterator()), 3);
    if (haveProgram("7zz")) {
        std::string o;
        EXPECT_EQ(runCommand({"7zz", "t", (set / "backup.zip").string()}, &o), 0) << o;
    }

    qm::test::writeFile(tmp.path() / "stub.bin", "\x7f" "ELF dummy extractor\n" + randomBytes(3000, 3));
    stdfs::path exe = tmp.path() / "setup.exe";
    PavikZip sfx;
    configure(sfx, exe);
    sfx.SfxStubPath = win(tmp.path() / "stub.bin");
    ASSERT_EQ(sfx.Build(), result::Ok);
    peersTest(exe);
}

} // namespace
} // namespace qm::zip::test
