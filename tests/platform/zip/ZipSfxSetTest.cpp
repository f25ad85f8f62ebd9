// A self-extracting program split into parts: the program is the first
// part, the others lie beside it as "name.z02", "name.z03", ... The control
// reads, tests and updates the whole set through the program's name, and
// puts a new set in place whole or not at all.
#include "ZipTestUtil.h"

#include "platform/zip/LeftAside.h"
#include "platform/zip/SfxBlock.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace qm::zip::test {
namespace {

namespace stdfs = std::filesystem;
using qm::test::TempDir;

using Names = std::vector<std::string>;

class ZipSfxSet : public ::testing::Test {
protected:
    void SetUp() override
    {
        src = tmp.path() / "src";
        sets = tmp.path() / "sets";
        stdfs::create_directories(sets);
        files = {
            {"a.bin", randomBytes(70000, 5)},
            {"b.bin", randomBytes(60000, 6)},
            {"docs/c.txt", "see\r\n"},
        };
        makeFiles(src, files);
        stub = "\x7f" "ELF stand-in for the extractor\n" + randomBytes(3000, 2);
        qm::test::writeFile(tmp.path() / "stub.bin", stub);
        zip.addEventSink(&rec);
        zip.ArchivePath = win(program());
        zip.SourceFolder = win(src);
        zip.SfxStubPath = win(tmp.path() / "stub.bin");
        zip.SplitPartSize = 65536;
        zip.Workers = 1; // no threads to fork across
    }
    stdfs::path program() const { return sets / "Setup.exe"; }
    Names names() const
    {
        Names n;
        for (const auto& e : stdfs::directory_iterator(sets))
            n.push_back(e.path().filename().string());
        std::sort(n.begin(), n.end());
        return n;
    }
    std::map<std::string, std::string> snapshot() const
    {
        std::map<std::string, std::string> m;
        for (const std::string& n : names())
            m[n] = qm::test::readFile(sets / n);
        return m;
    }
    std::map<std::string, std::string> extracted()
    {
        const stdfs::path out = tmp.path() / "out";
        stdfs::remove_all(out);
        zip.ArchivePath = win(program());
        zip.ExtractFolder = win(out);
        zip.FileMask = "*";
        EXPECT_EQ(zip.Extract(), result::Ok);
        return filesBelow(out);
    }
    static mode_t modeOf(const stdfs::path& p)
    {
        struct stat st {};
        return ::stat(p.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
    }

    TempDir tmp{"qm-zip-sfxset"};
    stdfs::path src, sets;
    std::string stub;
    std::map<std::string, std::string> files;
    PavikZip zip;
    Recorder rec;
};

TEST_F(ZipSfxSet, TheProgramIsTheFirstPartAndTheSetIsReadUpdatedAndTestedThroughIt)
{
    ASSERT_EQ(zip.Build(), result::Ok);
    ASSERT_EQ(names(), (Names{"Setup.exe", "Setup.z02", "Setup.z03"}));
    for (const std::string& n : names())
        EXPECT_LE(stdfs::file_size(sets / n), 65536u) << n;
    // The program with its configuration, then the archive as on the first
    // disk of a spanned set; executable, the other parts plain files.
    const std::string first = qm::test::readFile(program());
    EXPECT_EQ(first.substr(0, stub.size()), stub);
    ASSERT_TRUE(qm::sfx::loadFromFile(program().string()));
    EXPECT_NE(first.find(std::string("PK\x07\x08PK\x03\x04", 8)), std::string::npos);
    EXPECT_NE(modeOf(program()) & 0100, 0u);
    EXPECT_EQ(modeOf(sets / "Setup.z02") & 0111, 0u);
    EXPECT_EQ(zip.Test(), result::Ok);
    EXPECT_EQ(extracted(), files);

    // An update through the program's name carries the rest over from the old parts.
    makeFiles(src, {{"docs/c.txt", "seen\r\n"}});
    files["docs/c.txt"] = "seen\r\n";
    zip.ArchivePath = win(program());
    ASSERT_EQ(zip.Build(), result::Ok);
    EXPECT_EQ(names(), (Names{"Setup.exe", "Setup.z02", "Setup.z03"}));
    EXPECT_EQ(extracted(), files);

    // Fewer parts: none of the old ones is left over; one part: the program alone.
    stdfs::remove(src / "a.bin");
    files.erase("a.bin");
    zip.ArchivePath = win(program());
    ASSERT_EQ(zip.Build(true), result::Ok);
    EXPECT_EQ(names(), (Names{"Setup.exe", "Setup.z02"}));
    EXPECT_EQ(extracted(), files);
    zip.SplitPartSize = 0;
    ASSERT_EQ(zip.Build(), result::Ok);
    EXPECT_EQ(names(), Names{"Setup.exe"});
    EXPECT_EQ(extracted(), files);
}

TEST_F(ZipSfxSet, AMissingPartOrAProgramTooLargeForItsPartIsSaidSo)
{
    ASSERT_EQ(zip.Build(), result::Ok);
    for (const char* part : {"Setup.z03", "Setup.z02"}) {
        stdfs::rename(sets / part, tmp.path() / part);
        EXPECT_EQ(zip.ListEntries(), result::PartMissing) << part;
        EXPECT_EQ(zip.Test(), result::PartMissing) << part;
        stdfs::rename(tmp.path() / part, sets / part);
    }
    const auto before = snapshot();
    qm::test::writeFile(tmp.path() / "stub.bin", randomBytes(70000, 3));
    EXPECT_EQ(zip.Build(true), result::SfxSplitTooSmall);
    EXPECT_TRUE(snapshot() == before);
}

// An update or a rebuild killed just before any of its renames and
// removals: after the next command the old set or the new one stands under
// the program's name, whole, and nothing hidden is left of the other.
TEST_F(ZipSfxSet, ASetKilledWhileItIsPutInPlaceIsTheOldOrTheNewOneAfterTheNextCommand)
{
    ASSERT_EQ(zip.Build(), result::Ok);
    const std::map<std::string, std::string> old = snapshot();
    makeFiles(src, {{"added.bin", randomBytes(70000, 12)}}); // a part more
    for (const bool replace : {false, true}) {
        ASSERT_EQ(zip.Build(replace), result::Ok);
        const std::map<std::string, std::string> made = snapshot();
        ASSERT_GT(made.size(), old.size());
        for (int at = 0;; ++at) {
            for (const std::string& n : names())
                stdfs::remove(sets / n);
            for (const auto& [name, bytes] : old)
                qm::test::writeFile(sets / name, bytes);
            ::chmod(program().c_str(), 0755);
            const bool killed = killedBeforeNameChange(at, [&](const IoFaults& f) {
                zip.setIoFaultsForTesting(f);
                zip.Build(replace);
            });
            ASSERT_EQ(zip.ListEntries(), result::Ok) << at;
            const std::map<std::string, std::string> now = snapshot();
            EXPECT_TRUE(now == old || now == made) << (replace ? "rebuild" : "update") << " killed at step " << at;
            if (!killed)
                break;
        }
    }
}

// A split archive and a program's set of one stem in one folder take one
// part rule: whichever comes second is refused before anything is written,
// naming the file in its way and the archive whose set holds it, and both
// sets read as before. A single program beside the split set is itself.
TEST_F(ZipSfxSet, ASetNeverTakesAnotherSetsPartForItsOwn)
{
    makeFiles(src, {{"e.bin", randomBytes(70000, 8)}}); // three parts or more, either way
    files["e.bin"] = qm::test::readFile(src / "e.bin");
    PavikZip split;
    split.ArchivePath = win(sets / "Setup.zip");
    split.SourceFolder = win(src);
    split.SplitPartSize = 65536;
    split.Workers = 1;
    auto refused = [&](PavikZip& z, const char* file, const char* owner) {
        const auto before = snapshot();
        EXPECT_EQ(z.Build(), result::PartOfAnotherSet);
        const std::string text = z.ErrorText(textkind::Result, result::PartOfAnotherSet);
        EXPECT_NE(text.find(win(sets / file) + ", a part of the archive " + win(sets / owner)), std::string::npos)
            << text;
        EXPECT_TRUE(snapshot() == before);
    };
    for (const bool programFirst : {false, true}) {
        for (const std::string& n : names())
            stdfs::remove(sets / n);
        PavikZip& first = programFirst ? zip : split;
        PavikZip& second = programFirst ? split : zip;
        ASSERT_EQ(first.Build(), result::Ok);
        refused(second, "Setup.z02", programFirst ? "Setup.exe" : "Setup.zip");
        EXPECT_EQ(first.Test(), result::Ok);
    }
    // The program as one file, made anew beside the split set: the set's
    // parts are none of its own.
    for (const std::string& n : names())
        stdfs::remove(sets / n);
    ASSERT_EQ(split.Build(), result::Ok);
    zip.SplitPartSize = 0;
    ASSERT_EQ(zip.Build(true), result::Ok);
    ASSERT_EQ(zip.Build(true), result::Ok);
    EXPECT_EQ(names(), (Names{"Setup.exe", "Setup.z01", "Setup.z02", "Setup.z03", "Setup.zip"}));
    EXPECT_EQ(split.Test(), result::Ok);
    EXPECT_EQ(extracted(), files);
    {
        KeptSet kept(win(program()));
        EXPECT_EQ(names(), (Names{".Setup.exe.previous", "Setup.z01", "Setup.z02", "Setup.z03", "Setup.zip"}));
        kept.settle(true);
    }
    EXPECT_EQ(split.Test(), result::Ok);
}

// Which files make the set is what its records say: a part past its last
// (an older, longer set's) is none of it, and a part that is missing, cut
// short or no file is named as it is.
TEST_F(ZipSfxSet, ThePartsAreThoseTheRecordsCountAndAFaultyOneIsNamed)
{
    ASSERT_EQ(zip.Build(), result::Ok);
    ASSERT_EQ(names(), (Names{"Setup.exe", "Setup.z02", "Setup.z03"}));
    const auto made = snapshot();
    // An older set of four parts left its last one.
    {
        makeFiles(src, {{"more.bin", randomBytes(70000, 9)}});
        PavikZip longer;
        longer.ArchivePath = win(tmp.path() / "Setup.exe");
        longer.SourceFolder = win(src);
        longer.SfxStubPath = zip.SfxStubPath;
        longer.SplitPartSize = 65536;
        ASSERT_EQ(longer.Build(), result::Ok);
        stdfs::copy_file(tmp.path() / "Setup.z04", sets / "Setup.z04");
        stdfs::remove(src / "more.bin");
    }
    EXPECT_EQ(zip.Test(), result::Ok);
    EXPECT_EQ(extracted(), files);
    auto named = [&](int code, const char* part) {
        EXPECT_EQ(zip.ListEntries(), code) << part;
        EXPECT_EQ(zip.ErrorText(textkind::Result, code), errorText(textkind::Result, code) + " The part: " +
                                                               win(sets / part));
    };
    qm::test::writeFile(sets / "Setup.z03", made.at("Setup.z03").substr(0, made.at("Setup.z03").size() - 30));
    named(result::ArchiveDamaged, "Setup.z03");
    stdfs::remove(sets / "Setup.z03");
    ASSERT_EQ(::mkfifo((sets / "Setup.z03").c_str(), 0600), 0);
    named(result::ArchiveDamaged, "Setup.z03");
    stdfs::remove(sets / "Setup.z03");
    named(result::PartMissing, "Setup.z03");
}

// A set behind a link at the archive's name is put, read and updated in one
// place, beside the file the link leads to.
TEST_F(ZipSfxSet, ASetBehindALinkIsMadeAndFoundBesideWhatTheLinkNames)
{
    for (const char* name : {"Setup.exe", "Setup.zip"}) {
        const stdfs::path real = tmp.path() / "real" / name;
        stdfs::create_directories(real);
        zip.SfxStubPath = std::string(name) == "Setup.exe" ? win(tmp.path() / "stub.bin") : "";
        zip.ArchivePath = win(real / name);
        ASSERT_EQ(zip.Build(), result::Ok) << name;
        stdfs::create_symlink(real / name, sets / name);
        zip.ArchivePath = win(sets / name);
        EXPECT_EQ(zip.Build(true), result::Ok) << name;
        EXPECT_EQ(zip.Test(), result::Ok) << name;
        makeFiles(src, {{"docs/d.txt", name}});
        EXPECT_EQ(zip.Build(), result::Ok) << name;
        EXPECT_EQ(zip.Test(), result::Ok) << name;
        EXPECT_TRUE(stdfs::is_symlink(sets / name));
        stdfs::remove(src / "docs/d.txt");
    }
    EXPECT_EQ(names(), (Names{"Setup.exe", "Setup.zip"}));
}

} // namespace
} // namespace qm::zip::test
