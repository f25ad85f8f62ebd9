// Split archives and self-extracting programs against independent peers:
// 7-Zip reads our split sets, Info-ZIP joins them, and we read theirs;
// unzip and zip find nothing to correct in our self-extracting programs.
#include "ZipTestUtil.h"

#include "platform/zip/ArchiveReader.h"
#include "platform/zip/SfxBlock.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace qm::zip::test {
namespace {

namespace stdfs = std::filesystem;
using qm::test::haveProgram;
using qm::test::runCommand;
using qm::test::TempDir;

class VolumeInterop : public ::testing::Test {
protected:
    void SetUp() override
    {
        src = tmp.path() / "src";
        out = tmp.path() / "out";
        files = mixedTree(150000, 200000);
        makeFiles(src, files);
    }
    int sh(const std::string& script, std::string* output = nullptr)
    {
        return runCommand({"sh", "-c", script, "sh", src.string(), tmp.path().string()}, output);
    }
    std::map<std::string, std::string> extractWithUs(const stdfs::path& archive, const std::string& password = "")
    {
        stdfs::remove_all(out);
        PavikZip z;
        z.ArchivePath = win(archive);
        z.ExtractFolder = win(out);
        z.Password = password;
        EXPECT_EQ(z.Extract(), result::Ok);
        EXPECT_EQ(z.Test(), result::Ok);
        std::map<std::string, std::string> got;
        for (auto& [k, v] : readTree(out))
            if (k.back() != '/')
                got[k] = v;
        return got;
    }

    TempDir tmp{"qm-zip-vol-peer"};
    stdfs::path src, out;
    std::map<std::string, std::string> files;
};

TEST_F(VolumeInterop, PeersReadOurSplitArchives)
{
    for (const char* password : {"", "pa55"}) {
        SCOPED_TRACE(password);
        stdfs::path set = tmp.path() / (std::string("split") + password);
        stdfs::create_directories(set);
        stdfs::path last = set / "backup.zip";
        PavikZip z;
        z.ArchivePath = win(last);
        z.SourceFolder = win(src);
        // Not a power of two: Info-ZIP's joiner misreads entries that run
        // over a part boundary lying on its own buffer size (it does so with
        // its own split archives too).
        z.SplitPartSize = 70000;
        z.Password = password;
        // Info-ZIP's copy mode garbles non-ASCII names of encrypted entries
        // (those with data descriptors) when it rewrites their headers, for
        // single archives as well; that name is left out of the locked set.
        if (*password)
            z.ExcludeMasks = "na*ve.txt";
        ASSERT_EQ(z.Build(), result::Ok);
        std::vector<std::string> names;
        for (const auto& e : stdfs::directory_iterator(set)) {
            names.push_back(e.path().filename().string());
            EXPECT_LE(stdfs::file_size(e.path()), 70000u) << e.path();
        }
        std::sort(names.begin(), names.end());
        ASSERT_GE(names.size(), 5u);
        EXPECT_EQ(names.back(), "backup.zip");
        EXPECT_EQ(names.front(), "backup.z01");

        if (haveProgram("7zz")) {
            std::string o;
            EXPECT_EQ(runCommand({"7zz", "t", std::string("-p") + password, last.string()}, &o), 0) << o;
        }
        if (haveProgram("zip") && haveProgram("unzip")) {
            std::string o;
            stdfs::path joined = set / "joined.zip";
            EXPECT_EQ(runCommand({"zip", "-q", "-s", "0", last.string(), "--out", joined.string()}, &o), 0) << o;
            std::vector<std::string> cmd = {"unzip", "-tq"};
            if (*password)
                cmd.insert(cmd.end(), {"-P", password});
            cmd.push_back(joined.string());
            EXPECT_EQ(runCommand(cmd, &o), 0) << o;
        }
    }
}

TEST_F(VolumeInterop, WeReadInfoZipSplitArchives)
{
    if (!haveProgram("zip"))
        GTEST_SKIP() << "zip missing";
    struct Case {
        const char* name;
        const char* options;
        const char* password;
    } cases[] = {
        {"stored", "-0", ""},
        {"deflated", "-6", ""},
        {"locked", "-P secret", "secret"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        stdfs::path a = tmp.path() / c.name / "iz.zip";
        stdfs::create_directories(a.parent_path());
        std::string o;
        ASSERT_EQ(sh("cd \"$1\" && zip -q -r -s 100k " + std::string(c.options) + " \"$2/" + c.name + "/iz.zip\" .",
                     &o),
                  0)
            << o;
        ASSERT_TRUE(stdfs::exists(a.parent_path() / "iz.z01"));
        EXPECT_EQ(extractWithUs(a, c.password), files);

        PavikZip z;
        z.ArchivePath = win(a);
        Recorder rec;
        z.addEventSink(&rec);
        ASSERT_EQ(z.ListEntries(), result::Ok);
        EXPECT_EQ(rec.listed.size(), files.size() + 2); // and the two folders
        int64_t count = 0, packed = 0, plain = 0;
        int ratio = 0;
        bool spanned = false;
        ASSERT_EQ(z.ArchiveInfo(count, packed, plain, ratio, spanned), result::Ok);
        EXPECT_TRUE(spanned);
        EXPECT_EQ(count, int64_t(files.size()));
    }
}

TEST_F(VolumeInterop, PeersFindNothingToCorrectInOurSelfExtractors)
{
    const std::string stub = "\x7f" "ELF dummy extractor\n" + randomBytes(3000, 3);
    qm::test::writeFile(tmp.path() / "stub.bin", stub);
    stdfs::path exe = tmp.path() / "setup.exe";
    PavikZip z;
    z.ArchivePath = win(exe);
    z.SourceFolder = win(src);
    z.SfxStubPath = win(tmp.path() / "stub.bin");
    z.SfxString[1] = "Peer check";
    ASSERT_EQ(z.Build(), result::Ok);
    EXPECT_EQ(stdfs::status(exe).permissions() & stdfs::perms::all,
              stdfs::perms::owner_all | stdfs::perms::group_read | stdfs::perms::group_exec |
                  stdfs::perms::others_read | stdfs::perms::others_exec);
    std::optional<qm::sfx::SfxConfig> c = qm::sfx::loadFromFile(exe.string());
    ASSERT_TRUE(c);
    EXPECT_EQ(c->Caption, "Peer check");

    if (haveProgram("unzip")) {
        std::string o;
        EXPECT_EQ(runCommand({"sh", "-c", "unzip -tq \"$0\" 2>&1", exe.string()}, &o), 0) << o;
        EXPECT_EQ(o.find("extra bytes"), std::string::npos) << o;
        EXPECT_NE(o.find("No errors detected"), std::string::npos) << o;
    }
    if (haveProgram("zip")) {
        // zip -A rewrites offsets that need it and says when none do.
        stdfs::copy_file(exe, tmp.path() / "copy.exe");
        std::string o;
        EXPECT_EQ(runCommand({"sh", "-c", "zip -A \"$0\" 2>&1", (tmp.path() / "copy.exe").string()}, &o), 0) << o;
        EXPECT_NE(o.find("do not need adjusting"), std::string::npos) << o;
        EXPECT_EQ(qm::test::readFile(tmp.path() / "copy.exe"), qm::test::readFile(exe));
    }
    if (haveProgram("7zz")) {
        std::string o;
        EXPECT_EQ(runCommand({"7zz", "t", exe.string()}, &o), 0) << o;
    }
}

} // namespace
} // namespace qm::zip::test
