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

// ---- The self-extracting backup's settings

class SfxSetupTest : public ZipSetupTest {
protected:
    qm::store::ZipSetupResult applySfx(const qm::store::ProjectRecord& r, bool spanned = false)
    {
        qm::store::SfxSetup s;
        s.archivePath = "C:\\out\\p.exe";
        s.appPath = "C:\\app";
        s.spanned = spanned;
        return qm::store::SetSfxProperties(zip_, r, s);
    }
    // Each field holds its own name: where a text lands tells where it came from.
    static qm::store::ProjectRecord named(std::initializer_list<F> fields)
    {
        qm::store::ProjectRecord r = completeRecord();
        for (F f : fields)
            r[f] = std::string(qm::store::fieldName(f));
        return r;
    }
};

TEST_F(SfxSetupTest, EveryRowOfTheRecordReachesItsProperty)
{
    const F messages[13] = {F::SFXSuccessMsg,        F::SFXFailMsg,         F::SFXErrorCreatingFolderMsg,
                            F::SFXProjectIntro,      F::SFXLicenseMsg,      F::SFXTargetPromptMsg,
                            F::SFXPasswordPromptMsg, F::SFXInsertLastDiskMsg, F::SFXInsertDiskMsg,
                            F::SFXConfirmAbortMsg,   F::SFXFolderCreateMsg, F::SFXOverwriteMsg,
                            F::SFXProgressMsg};
    const F buttons[13] = {F::SFXOkayButton,         F::SFXCancelButton,     F::SFXAbortButton,
                           F::SFXSkipFileButton,     F::SFXSkipAlwaysButton, F::SFXYesButton,
                           F::SFXNoButton,           F::SFXOverwriteAllButton, F::SFXOverwriteNoneButton,
                           F::SFXContinueButton,     F::SFXExitButton,       F::SFXAgreeButton,
                           F::SFXRefuseButton};
    qm::store::ProjectRecord r = named({F::SFXDefaultExtractFolder, F::SFXProjectIcon, F::SFXProjectCaption,
                                        F::SFXShareNameStr, F::SFXNetwork, F::SFXExecuteAfter,
                                        F::SFXDefaultPassword, F::SFXExcludeFileTypes});
    for (F f : messages)
        r[f] = std::string(qm::store::fieldName(f));
    for (F f : buttons)
        r[f] = std::string(qm::store::fieldName(f));
    r[F::SFXCurrentFolderStr] = "not handed over";
    for (F f : {F::SFXDoSubFolders, F::SFXPreservePaths, F::SFXUsePassword, F::SFXDoOpenFiles, F::SFXSkipIfExisting,
                F::SFXSkipIfNotExisting, F::SFXSkipIfOlderDate, F::SFXSkipIfOlderVersion, F::SFXExcludeAttribNone,
                F::SFXExcludeAttribHidden, F::SFXExcludeAttribAlias, F::SFXIncludeAttribReadOnly,
                F::SFXIncludeAttribArchive, F::SFXInfoZipHeader, F::SFXUnicodeHeader})
        r[f] = "yes";
    r[F::SFXFilesToProcess] = "*.doc";
    r[F::SFXCompressionLevel] = " low ";
    r[F::SFXMinFileDate] = "1/2/2025";
    r[F::SFXMaxFileSize] = "99999999999";
    r[F::SFXSpanOption] = "always";
    r[F::SFXCompressionMethod] = "pvzDeflated";
    r[F::SFXAddGroupItemApp] = "%D\\tool";
    r[F::SFXAddGroupItemDescription] = "Tool";
    r[F::SFXInstallMode] = " yes ";
    r[F::SFXExtractExisting] = "no";
    r[F::ZIPUsePassword] = "no"; // the ZIP keys play no part
    r[F::ZIPCompressionLevel] = "none";
    r[F::UseTempFolder] = "yes";
    EXPECT_FALSE(applySfx(r).listFailed);

    EXPECT_EQ(zip_.ArchivePath, "C:\\out\\p.exe");
    EXPECT_TRUE(zip_.IncludeSubfolders);
    EXPECT_TRUE(zip_.KeepFolderNames);
    EXPECT_EQ(zip_.FileMask, "*.doc");
    EXPECT_EQ(zip_.SourceFolder, "C:\\src");
    EXPECT_EQ(zip_.Level, 1);
    EXPECT_EQ(zip_.HeaderSet, 1 | 8);
    EXPECT_EQ(zip_.Password, "SFXDefaultPassword");
    EXPECT_EQ(zip_.ExcludeMasks, "SFXExcludeFileTypes");
    EXPECT_TRUE(zip_.IncludeOpenFiles && zip_.SkipWhenExisting && zip_.SkipWhenMissing && zip_.SkipWhenOlderDate &&
                zip_.SkipWhenOlderVersion);
    EXPECT_EQ(zip_.ExcludedAttributes, 2 | 1024); // the alias bit keeps the hidden one
    EXPECT_EQ(zip_.RequiredAttributes, 1 | 32);
    EXPECT_EQ(zip_.OldestDate, (DateTime{2025, 1, 2, 0, 0, 0}));
    EXPECT_EQ(zip_.LargestSize, 99999999999);
    EXPECT_EQ(zip_.SpanMode, 1);
    EXPECT_EQ(zip_.Method, 8);
    EXPECT_EQ(zip_.SfxStubPath, "C:\\app\\pvksfx32.bin");
    EXPECT_TRUE(zip_.UseTempArchive);
    EXPECT_EQ(zip_.TempArchiveFolder, "C:\\app\\Temp");
    for (size_t i = 0; i < 13; ++i) {
        EXPECT_EQ(zip_.SfxMessageText[i], qm::store::fieldName(messages[i])) << i;
        EXPECT_EQ(zip_.SfxButtonText[i], qm::store::fieldName(buttons[i])) << i;
    }
    EXPECT_EQ(zip_.SfxString, (std::array<std::string, 5>{"", "SFXProjectCaption", "", "SFXShareNameStr", "SFXNetwork"}));
    EXPECT_EQ(zip_.SfxDefaultFolder, "SFXDefaultExtractFolder");
    EXPECT_EQ(zip_.SfxIconPath, "SFXProjectIcon");
    EXPECT_EQ(zip_.SfxRunAfter, "SFXExecuteAfter");
    EXPECT_EQ(zip_.SfxGroupItemProgram + "|" + zip_.SfxGroupItemName, "%D\\tool|Tool");
    EXPECT_TRUE(zip_.SfxInstallMode);
    EXPECT_EQ(zip_.SfxExistingFileMode, 1);
}

TEST_F(SfxSetupTest, WordsAndBlanksAtTheEdges)
{
    const qm::zip::PavikZip fresh;
    qm::store::ProjectRecord r = completeRecord();
    // Level: exact words after trimming; "High" sets nothing, empty is the highest.
    for (const auto& [word, level] : std::vector<std::pair<std::string, int>>{{"high", 9}, {"High", fresh.Level}, {"", 9},
                                                                              {"medium", 6}, {"none", 0}}) {
        r[F::SFXCompressionLevel] = word;
        applySfx(r);
        EXPECT_EQ(zip_.Level, level) << word;
    }
    // Method and stub: the stub follows the method in force.
    const std::tuple<const char*, int, const char*> methods[] = {
        {"", fresh.Method, "pvksfx32.bin"},          {"pvzStored", 0, "pvksfx32.bin"},
        {"pvzBurrowsWheeler ", 18, "pvksfxbz.bin"}, {"bzip", 18, "pvksfxbz.bin"},
        {"pvzDeflated", 8, "pvksfx32.bin"}};
    for (const auto& [word, method, stub] : methods) {
        r[F::SFXCompressionMethod] = word;
        applySfx(r);
        EXPECT_EQ(zip_.Method, method) << word;
        EXPECT_EQ(zip_.SfxStubPath, std::string("C:\\app\\") + stub) << word;
    }
    // Span: exact words; the spanned kind is 2 whatever the record says.
    for (const auto& [word, mode] : std::vector<std::pair<std::string, int>>{{"auto detect", 2}, {"Always", 0}, {"never", 0}}) {
        r[F::SFXSpanOption] = word;
        applySfx(r);
        EXPECT_EQ(zip_.SpanMode, mode) << word;
    }
    applySfx(r, true);
    EXPECT_EQ(zip_.SpanMode, 2);

    // A group item with one field empty sets neither; associations go whole,
    // line breaks and all, in quotes; blanks hand over nothing; only exact
    // "yes"/"no" set an existing-file mode.
    r[F::SFXAddGroupItemApp] = "%D\\tool";
    r[F::SFXAssociateExtension] = "Text|txt|%D\\view\r\nLog|log|%D\\view";
    r[F::SFXExtractExisting] = "Yes";
    r[F::SFXInstallMode] = "Yes";
    r[F::SFXSuccessMsg] = "   ";
    applySfx(r);
    EXPECT_EQ(zip_.SfxGroupItemProgram + zip_.SfxGroupItemName, "");
    EXPECT_EQ(zip_.SfxAssociations, "\"Text|txt|%D\\view\r\nLog|log|%D\\view\"");
    EXPECT_EQ(zip_.SfxExistingFileMode, fresh.SfxExistingFileMode);
    EXPECT_FALSE(zip_.SfxInstallMode);
    EXPECT_EQ(zip_.SfxMessageText[0], "");
    r[F::SFXAssociateExtension] = "  ";
    r[F::SFXExtractExisting] = "yes";
    applySfx(r);
    EXPECT_EQ(zip_.SfxAssociations, "");
    EXPECT_EQ(zip_.SfxExistingFileMode, 2);

    // Nothing of the project before: its password and comment-less settings go.
    r[F::SFXUsePassword] = "yes";
    r[F::SFXDefaultPassword] = "s3cret";
    applySfx(r);
    EXPECT_EQ(zip_.Password, "s3cret");
    r[F::SFXUsePassword] = "no";
    applySfx(r);
    EXPECT_EQ(zip_.Password, "");
}

TEST_F(SfxSetupTest, TheSelfExtractorsFileListAndFullPaths)
{
    qm::store::ProjectRecord r = completeRecord();
    r[F::SFXFilesToProcess] = "\\\\SRV\\share\\*.txt";
    applySfx(r);
    EXPECT_EQ(zip_.SourceFolder, "");

    r[F::ProjectName] = "Docs";
    r[F::SFXFilesToProcess] = "(list)";
    qm::test::writeFile(native("Filelists/Docs-ZIP"), "zip.txt\r\n"); // the ZIP kinds' list is not this one
    qm::store::SfxSetup s;
    s.appPath = qm::fs::appPath();
    EXPECT_TRUE(qm::store::SetSfxProperties(zip_, r, s).listFailed);
    qm::test::writeFile(native("Filelists/Docs-ZIPEXE"), "a.txt\r\nC:\\x\\b.txt\r\nc.txt\r\n");
    qm::store::ZipSetupResult out = qm::store::SetSfxProperties(zip_, r, s);
    EXPECT_EQ(out.listFile, qm::fs::appPath() + "\\Filelists\\Docs-ZIPEXE");
    EXPECT_EQ(zip_.listEntries(), (std::vector<std::string>{"a.txt", "C:\\x\\b.txt", "c.txt"}));
    EXPECT_EQ(zip_.FileMask, "");
    EXPECT_EQ(zip_.SourceFolder, ""); // one full path: no base folder for the whole list
}

} // namespace
