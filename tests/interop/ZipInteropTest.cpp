// The zip control against independent peers: Info-ZIP zip/unzip, 7-Zip and
// Python's zipfile read what the control writes, and the control reads what
// they write.
#include "ZipTestUtil.h"

#include <gtest/gtest.h>

namespace qm::zip::test {
namespace {

namespace stdfs = std::filesystem;
using qm::test::haveProgram;
using qm::test::runCommand;
using qm::test::TempDir;

std::string peerScript()
{
    return (qm::test::sourceDir() / "tests" / "interop" / "zippeer.py").string();
}

class ZipInterop : public ::testing::Test {
protected:
    void SetUp() override
    {
        src = tmp.path() / "src";
        out = tmp.path() / "out";
        files = mixedTree(50000, 300000);
        makeFiles(src, files);
    }
    stdfs::path build(const std::string& name, int method, const std::string& password = "",
                      const std::string& comment = "")
    {
        stdfs::path a = tmp.path() / name;
        PavikZip z;
        ZipEventHandlers h;
        h.onCommentRequest = [&](std::string& c) { c = comment; };
        z.addEventSink(&h);
        z.ArchivePath = win(a);
        z.SourceFolder = win(src);
        z.Method = method;
        z.Password = password;
        z.HeaderSet = 1;
        EXPECT_EQ(z.Build(), result::Ok);
        return a;
    }
    std::map<std::string, std::string> extractWithUs(const stdfs::path& archive, const std::string& password = "")
    {
        return extractedFiles(archive, out, password);
    }
    int sh(const std::string& script, std::string* output = nullptr)
    {
        return runCommand({"sh", "-c", script, "sh", src.string(), tmp.path().string()}, output);
    }

    TempDir tmp{"qm-zip-peer"};
    stdfs::path src, out;
    std::map<std::string, std::string> files;
};

TEST_F(ZipInterop, PeersReadOurArchives)
{
    struct Case {
        const char* name;
        int method;
        const char* password;
        const char* comment;
    } cases[] = {
        {"stored.zip", 0, "", ""},
        {"deflated.zip", 8, "", "Weekly backup"},
        {"stored-pw.zip", 0, "pa55", ""},
        {"deflated-pw.zip", 8, "pa55", "locked"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        stdfs::path a = build(c.name, c.method, c.password, c.comment);
        std::string pw = c.password;
        if (haveProgram("unzip")) {
            std::vector<std::string> cmd = {"unzip", "-tq"};
            if (!pw.empty())
                cmd.insert(cmd.end(), {"-P", pw});
            cmd.push_back(a.string());
            std::string o;
            EXPECT_EQ(runCommand(cmd, &o), 0) << o;
        }
        if (haveProgram("7zz")) {
            std::string o;
            EXPECT_EQ(runCommand({"7zz", "t", "-p" + pw, a.string()}, &o), 0) << o;
        }
        if (haveProgram("python3")) {
            std::vector<std::string> cmd = {"python3", peerScript(), "test", a.string()};
            if (!pw.empty())
                cmd.push_back(pw);
            std::string o;
            EXPECT_EQ(runCommand(cmd, &o), 0) << o;
            EXPECT_NE(o.find(std::string("comment: ") + c.comment), std::string::npos) << o;
        }
    }
}

TEST_F(ZipInterop, BurrowsWheelerEntriesAreBzip2StreamsWithoutSignature)
{
    if (!haveProgram("python3"))
        GTEST_SKIP() << "python3 missing";
    stdfs::path a = build("bw.zip", 18);
    std::string o;
    EXPECT_EQ(runCommand({"python3", peerScript(), "bw", a.string()}, &o), 0) << o;
    EXPECT_NE(o.find("checked: 2"), std::string::npos) << o; // the small and random files are stored
}

TEST_F(ZipInterop, PeersReadOurZip64Archive)
{
    // More entries than the classic end record can count.
    stdfs::path a = tmp.path() / "many.zip";
    PavikZip z;
    ZipEventHandlers h;
    int n = 0;
    h.onEntryNaming = [&](std::string& name, const std::string&) {
        name = "n/" + std::to_string(100000 + n++) + ".txt";
    };
    z.addEventSink(&h);
    z.ArchivePath = win(a);
    z.FileMask.clear();
    z.Level = 0;
    const int count = 65600;
    for (int i = 0; i < count; ++i)
        z.AddListEntry(win(src / "docs" / "readme.txt"));
    ASSERT_EQ(z.Build(), result::Ok);
    std::string bytes = qm::test::readFile(a);
    EXPECT_NE(bytes.find(std::string("PK\x06\x06", 4)), std::string::npos);

    Recorder rec;
    z.addEventSink(&rec);
    ASSERT_EQ(z.ListEntries(), result::Ok);
    EXPECT_EQ(rec.listed.size(), size_t(count));
    if (haveProgram("unzip")) {
        std::string o;
        EXPECT_EQ(runCommand({"unzip", "-tq", a.string()}, &o), 0) << o;
    }
    if (haveProgram("7zz")) {
        std::string o;
        EXPECT_EQ(runCommand({"7zz", "t", a.string()}, &o), 0) << o;
    }
    if (haveProgram("python3")) {
        std::string o;
        EXPECT_EQ(runCommand({"python3", peerScript(), "test", a.string()}, &o), 0) << o;
        EXPECT_NE(o.find("entries: " + std::to_string(count)), std::string::npos) << o;
    }
}

TEST_F(ZipInterop, WeReadInfoZipArchives)
{
    if (!haveProgram("zip"))
        GTEST_SKIP() << "zip missing";
    ASSERT_EQ(sh("cd \"$1\" && zip -q -r \"$2/iz.zip\" ."), 0);
    EXPECT_EQ(extractWithUs(tmp.path() / "iz.zip"), files);
    ASSERT_EQ(sh("cd \"$1\" && zip -q -r -P secret \"$2/iz-pw.zip\" ."), 0);
    EXPECT_EQ(extractWithUs(tmp.path() / "iz-pw.zip", "secret"), files);
    ASSERT_EQ(sh("cd \"$1\" && zip -q -r -Z bzip2 \"$2/iz-bz.zip\" ."), 0);
    EXPECT_EQ(extractWithUs(tmp.path() / "iz-bz.zip"), files);
    // Streamed input: data descriptors after every entry.
    ASSERT_EQ(sh("cd \"$1\" && zip -q -P secret - text.txt > \"$2/iz-stream.zip\""), 0);
    EXPECT_EQ(extractWithUs(tmp.path() / "iz-stream.zip", "secret")["text.txt"], files["text.txt"]);
}

TEST_F(ZipInterop, WeReadSevenZipArchives)
{
    if (!haveProgram("7zz"))
        GTEST_SKIP() << "7zz missing";
    std::string o;
    ASSERT_EQ(sh("cd \"$1\" && 7zz a -tzip \"$2/7z.zip\" . >/dev/null", &o), 0) << o;
    EXPECT_EQ(extractWithUs(tmp.path() / "7z.zip"), files);
    ASSERT_EQ(sh("cd \"$1\" && 7zz a -tzip -pword \"$2/7z-pw.zip\" . >/dev/null", &o), 0) << o;
    EXPECT_EQ(extractWithUs(tmp.path() / "7z-pw.zip", "word"), files);
    ASSERT_EQ(sh("cd \"$1\" && 7zz a -tzip -mm=BZip2 \"$2/7z-bz.zip\" . >/dev/null", &o), 0) << o;
    EXPECT_EQ(extractWithUs(tmp.path() / "7z-bz.zip"), files);
}

TEST_F(ZipInterop, WeReadPythonArchives)
{
    if (!haveProgram("python3"))
        GTEST_SKIP() << "python3 missing";
    for (const char* kind : {"stored", "deflated", "bzip2", "zip64"}) {
        SCOPED_TRACE(kind);
        stdfs::path a = tmp.path() / (std::string("py-") + kind + ".zip");
        std::string o;
        ASSERT_EQ(runCommand({"python3", peerScript(), "make", kind, a.string(), src.string()}, &o), 0) << o;
        EXPECT_EQ(extractWithUs(a), files);
    }
}

} // namespace
} // namespace qm::zip::test
