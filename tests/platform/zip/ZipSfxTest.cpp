// Self-extracting programs: the stub in front, the configuration block made
// from the control's properties, the archive behind them with offsets from
// the file's start, and the values that the stub could not take.
#include "ZipTestUtil.h"

#include "platform/zip/ArchiveReader.h"
#include "platform/zip/ArchiveWriter.h"
#include "platform/zip/SfxBlock.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qm::zip::test {
namespace {

namespace stdfs = std::filesystem;
using qm::sfx::SfxConfig;
using qm::test::TempDir;

class ZipSfx : public ::testing::Test {
protected:
    void SetUp() override
    {
        src = tmp.path() / "src";
        out = tmp.path() / "out";
        files = {
            {"setup.ini", "[setup]\r\n"},
            {"data/big.txt", textBytes(80000)},
            {"data/noise.bin", randomBytes(20000)},
        };
        makeFiles(src, files);
        stub = "\x7f" "ELF stand-in for the extractor\n" + randomBytes(3000, 2);
        qm::test::writeFile(tmp.path() / "stub.bin", stub);
        exe = tmp.path() / "setup.exe";
        zip.addEventSink(&rec);
        zip.ArchivePath = win(exe);
        zip.SourceFolder = win(src);
        zip.SfxStubPath = win(tmp.path() / "stub.bin");
    }
    int build()
    {
        zip.ArchivePath = win(exe);
        zip.FileMask = "*";
        return zip.Build();
    }
    std::map<std::string, std::string> extracted(const std::string& password = "")
    {
        stdfs::remove_all(out);
        zip.ExtractFolder = win(out);
        zip.Password = password;
        zip.FileMask = "*";
        EXPECT_EQ(zip.Extract(), result::Ok);
        std::map<std::string, std::string> m;
        for (auto& [k, v] : readTree(out))
            if (k.back() != '/')
                m[k] = v;
        return m;
    }

    TempDir tmp{"qm-zip-sfx"};
    stdfs::path src, out, exe;
    std::map<std::string, std::string> files;
    std::string stub;
    PavikZip zip;
    Recorder rec;
};

TEST_F(ZipSfx, ProgramHoldsStubBlockAndArchiveWithOffsetsFromItsStart)
{
    zip.Password = "pw";
    zip.Method = 18;
    zip.SfxButtonText[7] = "Replace all";
    zip.SfxMessageText[3] = "Welcome.";
    zip.SfxMessageText[4] = "Terms: none.";
    zip.SfxMessageText[8] = "Disk %n, please.";
    zip.SfxString[1] = "Data restore";
    zip.SfxDefaultFolder = "C:\\Program Files\\Demo";
    zip.SfxExistingFileMode = 2;
    zip.SfxReadmePath = "%d\\readme.txt";
    zip.SfxRunAfter = "setup.ini";
    zip.SfxInstallMode = true;
    zip.SfxGroupItemProgram = "%d\\demo";
    zip.SfxGroupItemName = "Demo";
    zip.SfxAssociations = "\"Text file|txt|notepad.exe\r\n\r\nPictures|.png|\"C:\\Viewer\\v.exe\"\"";
    zip.SfxIconPath = "C:\\nowhere\\icon.ico";
    ASSERT_EQ(build(), result::Ok);

    const std::string bytes = qm::test::readFile(exe);
    EXPECT_EQ(bytes.substr(0, stub.size()), stub);
    EXPECT_EQ(bytes.substr(stub.size(), qm::sfx::MarkerSearchStart - stub.size()),
              std::string(qm::sfx::MarkerSearchStart - stub.size(), '\0'));
    EXPECT_EQ(qm::sfx::findMarker(bytes, qm::sfx::MarkerSearchStart), int64_t(qm::sfx::MarkerSearchStart));
    struct stat st {};
    ASSERT_EQ(::stat(exe.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0755u);

    uint64_t blockEnd = 0;
    std::optional<SfxConfig> c = qm::sfx::loadFromFile(exe.string(), nullptr, &blockEnd);
    ASSERT_TRUE(c);
    EXPECT_EQ(c->YesToAllCaption, "Replace all");
    EXPECT_EQ(c->OkCaption, "OK"); // our default
    EXPECT_EQ(c->ConfirmText, "Welcome.");
    EXPECT_EQ(c->ConfirmStart, 1);
    EXPECT_EQ(c->AgreementText, "Terms: none.");
    EXPECT_EQ(c->ShowAgreement, 1);
    EXPECT_EQ(c->InsertDiskText, "Disk %n, please.");
    EXPECT_NE(c->FailureText.find("%e"), std::string::npos);
    EXPECT_EQ(c->Caption, "Data restore");
    EXPECT_EQ(c->DestinationFolder, "C:\\Program Files\\Demo");
    EXPECT_EQ(c->OverwriteMode, 2);
    EXPECT_EQ(c->ReadmeFile, "%d\\readme.txt");
    EXPECT_EQ(c->CommandList, "setup.ini");
    EXPECT_EQ(c->TempMode, 1);
    EXPECT_EQ(c->GroupName, "Demo");
    EXPECT_EQ(c->GroupItems, "%d\\demo|Demo");
    EXPECT_EQ(c->AssociationList, "txt|notepad.exe|Text file\n.png|\"C:\\Viewer\\v.exe\"|Pictures");
    EXPECT_EQ(c->DefaultPassword, ""); // the archive's password stays out of the program
    EXPECT_EQ(c->AskDestination, 1);
    EXPECT_EQ(c->ShowProgress, 1);

    // The archive right behind the block, its offsets counted from the
    // file's start: nothing is taken as extra bytes in front.
    ArchiveReader r;
    r.open(exe);
    EXPECT_EQ(r.prefixSize(), 0u);
    EXPECT_EQ(r.leadSize(), blockEnd);
    EXPECT_EQ(bytes.substr(blockEnd, 4), std::string("PK\x03\x04", 4));
    EXPECT_EQ(extracted("pw"), files);

    // A plain setting set: no start prompt, no agreement, no group.
    zip.ResetToDefaults();
    zip.SourceFolder = win(src);
    zip.SfxStubPath = win(tmp.path() / "stub.bin");
    ASSERT_EQ(build(), result::Ok);
    c = qm::sfx::loadFromFile(exe.string());
    ASSERT_TRUE(c);
    EXPECT_EQ(c->ConfirmStart, 0);
    EXPECT_EQ(c->ShowAgreement, 0);
    EXPECT_EQ(c->GroupName, "");
    EXPECT_EQ(c->OverwriteMode, 0);
    EXPECT_EQ(c->Caption, "Self-extracting archive");
}

TEST_F(ZipSfx, LargerStubIsFollowedByTheMarkerDirectly)
{
    stub = randomBytes(30001, 4);
    qm::test::writeFile(tmp.path() / "stub.bin", stub);
    ASSERT_EQ(build(), result::Ok);
    const std::string bytes = qm::test::readFile(exe);
    EXPECT_EQ(bytes.substr(0, stub.size()), stub);
    EXPECT_EQ(qm::sfx::findMarker(bytes, qm::sfx::MarkerSearchStart), 30001);
    EXPECT_EQ(extracted(), files);
}

TEST_F(ZipSfx, ValuesTheStubCannotTakeFailTheBuild)
{
    ASSERT_EQ(build(), result::Ok);
    const std::string before = qm::test::readFile(exe);
    struct Case {
        const char* property;
        std::function<void(PavikZip&)> set;
    } cases[] = {
        {"SfxButtonText(0)", [](PavikZip& z) { z.SfxButtonText[0] = std::string(31, 'b'); }},
        {"SfxMessageText(0)", [](PavikZip& z) { z.SfxMessageText[0] = std::string(2001, 'm'); }},
        {"SfxMessageText(4)", [](PavikZip& z) { z.SfxMessageText[4] = std::string(8001, 'l'); }},
        {"SfxMessageText(5)", [](PavikZip& z) { z.SfxMessageText[5] = std::string(257, 'p'); }},
        {"SfxString(1)", [](PavikZip& z) { z.SfxString[1] = std::string(101, 't'); }},
        {"SfxDefaultFolder", [](PavikZip& z) { z.SfxDefaultFolder = "C:\\" + std::string(253, 'f'); }},
        {"SfxGroupItemName", [](PavikZip& z) {
             z.SfxGroupItemProgram = "x";
             z.SfxGroupItemName = std::string(101, 'g');
         }},
        {"SfxAssociations", [](PavikZip& z) {
             std::string lines;
             for (int i = 0; i < 120; ++i)
                 lines += "Some file type|ext" + std::to_string(i) + "|viewer\r\n";
             z.SfxAssociations = lines;
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.property);
        rec.clear();
        zip.ResetToDefaults();
        zip.SourceFolder = win(src);
        zip.SfxStubPath = win(tmp.path() / "stub.bin");
        c.set(zip);
        EXPECT_EQ(build(), result::SfxValueTooLong);
        ASSERT_EQ(rec.warnings.size(), 1u);
        EXPECT_EQ(rec.warnings[0].first, c.property);
        EXPECT_EQ(rec.warnings[0].second, warning::SfxValueTooLong);
        EXPECT_EQ(qm::test::readFile(exe), before);
    }
    EXPECT_NE(zip.ErrorText(0, result::SfxValueTooLong).find("longer than the self-extractor accepts"),
              std::string::npos);

    // Values at the limits are taken.
    zip.ResetToDefaults();
    zip.SourceFolder = win(src);
    zip.SfxStubPath = win(tmp.path() / "stub.bin");
    zip.SfxButtonText[0] = std::string(30, 'b');
    zip.SfxMessageText[4] = std::string(8000, 'l');
    zip.SfxString[1] = std::string(100, 't');
    ASSERT_EQ(build(), result::Ok);
    EXPECT_EQ(qm::sfx::loadFromFile(exe.string())->AgreementText.size(), 8000u);
}

TEST_F(ZipSfx, BadStubsAndSettingsAreRefusedBeforeAnythingIsWritten)
{
    auto expect = [&](int code, const std::function<void()>& set) {
        zip.ResetToDefaults();
        zip.SourceFolder = win(src);
        zip.SfxStubPath = win(tmp.path() / "stub.bin");
        set();
        EXPECT_EQ(build(), code);
        EXPECT_FALSE(stdfs::exists(exe));
        EXPECT_EQ(zip.ErrorText(0, code).find("Unknown"), std::string::npos);
    };
    expect(result::SfxBadAssociation, [&] { zip.SfxAssociations = "Text|txt"; });
    expect(result::SfxBadAssociation, [&] { zip.SfxAssociations = "Text|txt|a|b"; });
    expect(result::SfxBadAssociation, [&] { zip.SfxAssociations = "Text||viewer"; });
    expect(result::BadSetting, [&] { zip.SfxExistingFileMode = 4; });
    // Split, the program must fit in its first part.
    expect(result::SfxSplitTooSmall, [&] {
        qm::test::writeFile(tmp.path() / "large.bin", randomBytes(70000, 4));
        zip.SfxStubPath = win(tmp.path() / "large.bin");
        zip.SplitPartSize = 65536;
    });
    expect(result::SfxStubUnreadable, [&] { zip.SfxStubPath = win(tmp.path() / "missing.bin"); });
    // A stub that holds the marker would be read as its own configuration.
    auto m = qm::sfx::marker();
    std::string marked = randomBytes(40000, 6);
    marked.replace(26000, m.size(), std::string(m.begin(), m.end()));
    qm::test::writeFile(tmp.path() / "marked.bin", marked);
    expect(result::SfxStubUnusable, [&] { zip.SfxStubPath = win(tmp.path() / "marked.bin"); });
    // A stub so large that the marker would lie beyond the search.
    {
        int fd = ::open((tmp.path() / "huge.bin").c_str(), O_CREAT | O_WRONLY, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::ftruncate(fd, off_t(qm::sfx::MarkerSearchLimit)), 0);
        ::close(fd);
    }
    expect(result::SfxStubUnusable, [&] { zip.SfxStubPath = win(tmp.path() / "huge.bin"); });
    // A file that would need Zip64 records (sparse: no room is used).
    {
        int fd = ::open((src / "huge.img").c_str(), O_CREAT | O_WRONLY, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::ftruncate(fd, off_t(0x100001000ull)), 0);
        ::close(fd);
    }
    expect(result::SfxNeedsZip64, [] {});
}

TEST_F(ZipSfx, Zip64IsDetectedFromSizesAndCounts)
{
    TempFile t;
    OutFile f;
    f.attach(t.create(tmp.path()), t.path(), nullptr);
    ArchiveWriter w(f);
    EXPECT_FALSE(w.needsZip64());
    WrittenEntry e;
    e.name = "a";
    w.beginEntry(e, "", false);
    w.endEntry(e);
    EXPECT_FALSE(w.needsZip64());
    WrittenEntry big;
    big.name = "big";
    w.beginEntry(big, "", false);
    big.size = 0x100000000ull;
    w.endEntry(big);
    EXPECT_TRUE(w.needsZip64());

    TempFile t2;
    OutFile f2;
    f2.attach(t2.create(tmp.path()), t2.path(), nullptr);
    ArchiveWriter many(f2);
    for (int i = 0; i < 0xfffe; ++i) {
        WrittenEntry x;
        x.name = "f";
        many.beginEntry(x, "", false);
        many.endEntry(x);
    }
    EXPECT_FALSE(many.needsZip64());
    WrittenEntry last;
    last.name = "f";
    many.beginEntry(last, "", false);
    many.endEntry(last);
    EXPECT_TRUE(many.needsZip64());
}

TEST_F(ZipSfx, RemovingAndUpdatingKeepTheProgramInFront)
{
    zip.SfxString[1] = "First";
    ASSERT_EQ(build(), result::Ok);
    uint64_t blockEnd = 0;
    ASSERT_TRUE(qm::sfx::loadFromFile(exe.string(), nullptr, &blockEnd));
    const std::string front = qm::test::readFile(exe).substr(0, blockEnd);

    zip.FileMask = "setup.ini";
    ASSERT_EQ(zip.Remove(), result::Ok);
    EXPECT_EQ(qm::test::readFile(exe).substr(0, blockEnd), front);
    struct stat st {};
    ASSERT_EQ(::stat(exe.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0755u);
    std::map<std::string, std::string> left = files;
    left.erase("setup.ini");
    EXPECT_EQ(extracted(), left);
    ArchiveReader r;
    r.open(exe);
    EXPECT_EQ(r.prefixSize(), 0u);

    // An update with other settings writes the block anew and keeps the entries.
    zip.SfxString[1] = "Second";
    zip.FileMask = "setup.ini";
    ASSERT_EQ(zip.Build(), result::Ok);
    EXPECT_EQ(qm::sfx::loadFromFile(exe.string())->Caption, "Second");
    EXPECT_EQ(extracted(), files);

    // A plain build over the program keeps the program in front.
    zip.ResetToDefaults();
    zip.SourceFolder = win(src);
    makeFiles(src, {{"late.txt", "late"}});
    files["late.txt"] = "late";
    ASSERT_EQ(build(), result::Ok);
    EXPECT_EQ(qm::sfx::loadFromFile(exe.string())->Caption, "Second");
    EXPECT_EQ(extracted(), files);
}

} // namespace
} // namespace qm::zip::test
