// A project record's settings given to the zip control, as the manual and
// the unattended backups do it.
#include "platform/datetime/DateTime.h"
#include "platform/zip/PavikZip.h"
#include "store/ZipFromRecord.h"

#include "ProgramHome.h"

#include <sys/stat.h>

namespace {

using qm::datetime::DateTime;
using qm::test::completeRecord;
using F = qm::store::ProjectField;

class ZipSetupTest : public qm::test::ProgramHomeTest {
protected:
    ZipSetupTest() : ProgramHomeTest({"Filelists", "Temp"}) {}

    qm::store::ZipSetupResult apply(const qm::store::ProjectRecord& r, const std::string& userTemp = "")
    {
        qm::store::ZipSetup s;
        s.archivePath = "C:\\out\\p.qmt";
        s.extraHeaders = qm::store::ExtraHeaderValue(r);
        s.appPath = qm::fs::appPath();
        s.userTempFolder = userTemp;
        return qm::store::SetZipProperties(zip_, r, s);
    }
    qm::zip::PavikZip zip_;
};

TEST_F(ZipSetupTest, WordsBecomeSettings)
{
    qm::store::ProjectRecord r = completeRecord();
    apply(r);
    EXPECT_EQ(zip_.ArchivePath, "C:\\out\\p.qmt");
    EXPECT_EQ(zip_.Level, 9);
    EXPECT_EQ(zip_.Method, 18);
    EXPECT_EQ(zip_.HeaderSet, 0);
    EXPECT_EQ(zip_.FileMask, "*");
    EXPECT_EQ(zip_.SourceFolder, "C:\\src");
    EXPECT_FALSE(zip_.IncludeSubfolders);
    EXPECT_FALSE(zip_.KeepFolderNames);
    EXPECT_FALSE(zip_.UseTempArchive);

    const std::pair<const char*, int> levels[] = {{"none", 0}, {"low", 1}, {"medium", 6}, {"high", 9}, {"   ", 9},
                                                  {"Medium", 6 /* the control's own default */}};
    for (const auto& [word, level] : levels) {
        r[F::ZIPCompressionLevel] = word;
        apply(r);
        EXPECT_EQ(zip_.Level, level) << word;
    }
    const std::pair<const char*, int> methods[] = {
        {"pvzStored", 0}, {"pvzDeflated", 8}, {"pvzBurrowsWheeler", 18}, {"", 18}, {"bzip2", 8}};
    for (const auto& [word, method] : methods) {
        r[F::ZIPCompressionMethod] = word;
        apply(r);
        EXPECT_EQ(zip_.Method, method) << word;
    }
    const std::pair<const char*, int> spans[] = {{"never", 0}, {"always", 1}, {"auto detect", 2}, {"Always", 0}};
    for (const auto& [word, mode] : spans) {
        r[F::ZIPSpanOption] = word;
        apply(r);
        EXPECT_EQ(zip_.SpanMode, mode) << word;
    }

    // Each header that is "yes" adds its bit, in every combination; other
    // words ("Yes") add nothing.
    const std::pair<F, int> headers[] = {
        {F::ZIPInfoZipHeader, 1}, {F::ZIPPKWareHeader, 2}, {F::ZIPNTSecurityHeader, 4}, {F::ZIPUnicodeHeader, 8}};
    for (int combination = 0; combination < 16; ++combination) {
        for (const auto& [field, bit] : headers)
            r[field] = (combination & bit) ? "yes" : "Yes";
        EXPECT_EQ(qm::store::ExtraHeaderValue(r), combination);
    }
    for (const auto& [field, bit] : headers)
        r[field] = "no";

    r[F::ZIPExcludeAttribHidden] = "yes";
    r[F::ZIPExcludeAttribAlias] = "yes";
    r[F::ZIPExcludeAttribCompressed] = "yes";
    r[F::ZIPIncludeAttribArchive] = "yes";
    r[F::ZIPIncludeAttribNone] = "yes";
    r[F::ZIPMinFileDate] = "1/2/2025";
    r[F::ZIPMaxFileDate] = "not a date";
    r[F::ZIPMinFileSize] = "10";
    r[F::ZIPMaxFileSize] = "99999999999";
    r[F::ZIPFilesToProcess] = "C:\\elsewhere\\*.txt";
    r[F::UseTempFolder] = "yes";
    apply(r, "D:\\scratch");
    // The alias bit comes in beside the others instead of wiping them.
    EXPECT_EQ(zip_.ExcludedAttributes, 2 | 1024 | 2048);
    EXPECT_EQ(zip_.RequiredAttributes, 32);
    EXPECT_EQ(zip_.OldestDate, (DateTime{2025, 1, 2, 0, 0, 0}));
    EXPECT_EQ(zip_.NewestDate, qm::zip::PavikZip().NewestDate);
    EXPECT_EQ(zip_.SmallestSize, 10);
    EXPECT_EQ(zip_.LargestSize, 0);
    // Full paths to process: no base folder.
    EXPECT_EQ(zip_.FileMask, "C:\\elsewhere\\*.txt");
    EXPECT_EQ(zip_.SourceFolder, "");
    EXPECT_TRUE(zip_.UseTempArchive);
    EXPECT_EQ(zip_.TempArchiveFolder, "D:\\scratch");
}

TEST_F(ZipSetupTest, NothingOfOneProjectReachesTheNext)
{
    qm::store::ProjectRecord first = completeRecord();
    first[F::ZIPUsePassword] = "yes";
    first[F::ZIPDefaultPassword] = "s3cret";
    first[F::ZIPBackupExcludeTypes] = "tmp";
    first[F::ZIPExcludeAttribReadOnly] = "yes";
    first[F::ZIPIncludeAttribHidden] = "yes";
    first[F::ZIPSkipIfOlderDate] = "yes";
    first[F::ZIPDoOpenFiles] = "yes";
    first[F::ZIPMinFileSize] = "5";
    first[F::ZIPCompressionLevel] = "low";
    first[F::ZIPFilesToProcess] = "*.doc";
    apply(first);
    EXPECT_EQ(zip_.Password, "s3cret");
    zip_.AddListEntry("C:\\left\\over.txt");

    qm::store::ProjectRecord second = completeRecord();
    second[F::ZIPCompressionLevel] = "Low"; // sets nothing: the default, not "low" of before
    apply(second);
    EXPECT_EQ(zip_.Password, "");
    EXPECT_EQ(zip_.ExcludeMasks, "");
    EXPECT_EQ(zip_.ExcludedAttributes, 0);
    EXPECT_EQ(zip_.RequiredAttributes, 0);
    EXPECT_FALSE(zip_.SkipWhenOlderDate);
    EXPECT_FALSE(zip_.IncludeOpenFiles);
    EXPECT_EQ(zip_.SmallestSize, 0);
    EXPECT_EQ(zip_.Level, qm::zip::PavikZip().Level);
    EXPECT_EQ(zip_.FileMask, "*");
    EXPECT_TRUE(zip_.listEntries().empty());
}

TEST_F(ZipSetupTest, FileLists)
{
    qm::store::ProjectRecord r = completeRecord();
    r[F::ProjectName] = "Docs";
    r[F::ZIPFilesToProcess] = "(list)";

    // Relative entries: the source folder is the base. Blank lines name nothing.
    qm::test::writeFile(native("Filelists/Docs-ZIP"), "a.txt\r\n\r\nsub\\b.txt\r\n");
    qm::store::ZipSetupResult out = apply(r);
    EXPECT_FALSE(out.listFailed);
    EXPECT_EQ(out.listFile, qm::fs::appPath() + "\\Filelists\\Docs-ZIP");
    EXPECT_EQ(zip_.FileMask, "");
    EXPECT_EQ(zip_.listEntries(), (std::vector<std::string>{"a.txt", "sub\\b.txt"}));
    EXPECT_EQ(zip_.SourceFolder, "C:\\src");

    // Full paths (drive or network): no base folder.
    qm::test::writeFile(native("Filelists/Docs-ZIP"), "C:\\x\\a.txt\r\n\\\\SRV\\share\\b.txt");
    out = apply(r);
    EXPECT_EQ(zip_.listEntries(), (std::vector<std::string>{"C:\\x\\a.txt", "\\\\SRV\\share\\b.txt"}));
    EXPECT_EQ(zip_.SourceFolder, "");

    // Lists edited by hand: a byte-order mark, lines ended by CR alone, a
    // last line without its end.
    qm::test::writeFile(native("Filelists/Docs-ZIP"), "\xEF\xBB\xBF" "a.txt\rsub\\b.txt\r\rc.txt\r\n\nd.txt");
    apply(r);
    EXPECT_EQ(zip_.listEntries(), (std::vector<std::string>{"a.txt", "sub\\b.txt", "c.txt", "d.txt"}));

    // Something that is not a file (a pipe nobody writes to) is not waited for.
    std::filesystem::remove(native("Filelists/Docs-ZIP"));
    ASSERT_EQ(::mkfifo(native("Filelists/Docs-ZIP").c_str(), 0600), 0);
    EXPECT_TRUE(apply(r).listFailed);

    // No list, or a name that would leave the Filelists folder: the project fails.
    std::filesystem::remove(native("Filelists/Docs-ZIP"));
    EXPECT_TRUE(apply(r).listFailed);
    qm::test::writeFile(native("Docs-ZIP"), "a.txt\r\n");
    r[F::ProjectName] = "..\\Docs";
    EXPECT_TRUE(apply(r).listFailed);
    EXPECT_TRUE(zip_.listEntries().empty());
}

TEST_F(ZipSetupTest, AManualSplitOrSpannedBackupLaysTheArchiveOutItself)
{
    qm::store::ProjectRecord r = completeRecord();
    r[F::ZIPSpanOption] = "always";
    qm::store::ZipSetup s;
    s.archivePath = "F:\\parts\\p.qmt.zip";
    s.appPath = qm::fs::appPath();
    s.layout = qm::store::ZipSetup::Layout::Split;
    s.splitPartSize = 1457000;
    s.blankMethod = std::nullopt; // a blank method keeps the control's own
    qm::store::SetZipProperties(zip_, r, s);
    EXPECT_EQ(zip_.ArchivePath, "F:\\parts\\p.qmt.zip");
    EXPECT_EQ(zip_.SplitPartSize, 1457000);
    EXPECT_EQ(zip_.SpanMode, 0);
    EXPECT_EQ(zip_.Method, qm::zip::PavikZip().Method);

    r[F::ZIPSpanOption] = "never";
    s.layout = qm::store::ZipSetup::Layout::Spanned;
    qm::store::SetZipProperties(zip_, r, s);
    EXPECT_EQ(zip_.SpanMode, 1);
    EXPECT_EQ(zip_.SplitPartSize, qm::zip::PavikZip().SplitPartSize);
}

TEST_F(ZipSetupTest, TheManualBackupReadsLimitsStrictlyAndSizesWide)
{
    qm::store::ProjectRecord r = completeRecord();
    r[F::ZIPMinFileSize] = "10";
    r[F::ZIPMaxFileSize] = "99999999999";
    qm::store::ZipSetup s;
    s.appPath = qm::fs::appPath();
    s.strictLimits = true;
    qm::store::ZipSetupResult out = qm::store::SetZipProperties(zip_, r, s);
    EXPECT_EQ(out.badLimit, "");
    EXPECT_EQ(zip_.LargestSize, 99999999999);

    const std::pair<F, const char*> bad[] = {{F::ZIPMinFileDate, "ZIPMinFileDate"}, {F::ZIPMaxFileDate, "ZIPMaxFileDate"},
                                             {F::ZIPMinFileSize, "ZIPMinFileSize"}, {F::ZIPMaxFileSize, "ZIPMaxFileSize"}};
    for (const auto& [field, key] : bad) {
        qm::store::ProjectRecord b = r;
        b[field] = field == F::ZIPMaxFileSize ? "-5" : "soon";
        EXPECT_EQ(qm::store::SetZipProperties(zip_, b, s).badLimit, key);
        s.strictLimits = false; // the unattended backup passes over it
        EXPECT_EQ(qm::store::SetZipProperties(zip_, b, s).badLimit, "");
        s.strictLimits = true;
    }
}

} // namespace
