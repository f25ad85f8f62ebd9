// WinAce's parameter line, golden texts: what reaches WinAce for a record,
// after the collapse and the command letter's rule.
#include "store/AceCommandLine.h"

#include "platform/process/CommandLine.h"
#include "store/ProjectRecord.h"

#include <gtest/gtest.h>

namespace {

using namespace qm::store;
using F = ProjectField;

constexpr const char* App = "C:\\Quill  mate";

// What WinAce receives for the command text and the list part, collapsed
// and joined as the WinAce runners do it.
std::string received(AceCommand command, const std::string& archive, std::string list = {})
{
    command.collapse();
    if (!list.empty())
        list.insert(0, " ");
    return AceParameterText(command.text(), archive, list);
}

std::string manual(const ProjectRecord& r, AceSwitchForm form = {}, bool exists = false)
{
    return received(AceBackupCommand(exists, AceBackupSwitches(r, App, form)), "T\\N");
}

TEST(AceCommandLineTest, WorkedExamplesOfTheManualBackupAndTheRun)
{
    ProjectRecord r;
    r[F::ACEDoSubFolders] = "yes";
    r[F::ACEStorePathOption] = "-fp";
    r[F::ACECompressionLevel] = "3";
    r[F::ACEArchiveDate] = "latest";
    r[F::ACEAddRecoveryMethod] = "yes";
    r[F::ACESolidArchive] = "yes";
    EXPECT_EQ(manual(r), " a -r -fp -m3 -tl -rr -s -d1024 -y \"T\\N\"");
    EXPECT_EQ(manual(r, {}, true), " u -r -fp -m3 -tl -rr -s -d1024 -y \"T\\N\"");

    ProjectRecord run;
    run[F::ProjectName] = "Docs";
    run[F::ACEDoSubFolders] = "yes";
    run[F::ACECompressionLevel] = "5";
    run[F::ACEArchiveDate] = "latest";
    run[F::ACEStorePathOption] = "-fp"; // the run names no path storage
    AceSwitchForm runner;
    runner.pathStorage = false;
    runner.blankInClauses = true;
    const AceCommand command = AceBackupCommand(false, AceBackupSwitches(run, App, runner));
    EXPECT_EQ(received(command, "X\\d.ace"), " a -r -m5 -tl -d1024 -y \"X\\d.ace\"");
    run[F::ACEFilesToProcess] = "(list)";
    EXPECT_EQ(received(command, "X\\d.ace", AceListPart(run, App, false, true)),
              " a -r -m5 -tl -d1024 -y \"X\\d.ace\"  @\"C:\\Quill  mate\\Filelists\\Docs-ACE \"");
}

TEST(AceCommandLineTest, CommandLettersAndTheCollapse)
{
    EXPECT_EQ(received(" t -r -m3 ", "A"), " t \"A\"");
    EXPECT_EQ(CollapseBlanks("   a"), "  a");
    EXPECT_EQ(received("   a -y ", "A"), ""); // its second character is a blank
    EXPECT_EQ(received(" x -y ", "A"), "");   // a letter outside the table
    EXPECT_EQ(received(" A -y ", "A"), "");   // letters are compared exactly
    EXPECT_EQ(received(" l ", "A"), " l \"A\"");
    EXPECT_EQ(received(" f  -r   -y ", "A"), " f -r  -y \"A\"");
    EXPECT_EQ(received(" a -y ", "A", " @\"L\""), " a -y \"A\"  @\"L\"");
    EXPECT_EQ(AceCommandLetter("a"), "");
    // The restore dialog's runner also extracts.
    EXPECT_EQ(AceParameterText(" x -y -yo ", "A", "", AceLetters::Restore), " x -y -yo \"A\"");
    EXPECT_EQ(AceParameterText(" e ", "A", "", AceLetters::Restore), " e \"A\"");
    EXPECT_EQ(AceParameterText(" t -y ", "A", "", AceLetters::Restore), " t \"A\"");
    EXPECT_EQ(AceParameterText(" d ", "A", "", AceLetters::Restore), "");
}

TEST(AceCommandLineTest, LevelsDictionaryAndPathStorage)
{
    auto switches = [](F field, const std::string& value) {
        ProjectRecord r;
        r[field] = value;
        AceCommand c = AceBackupSwitches(r, App, {});
        c.collapse();
        return c.text();
    };
    EXPECT_EQ(switches(F::ACECompressionLevel, "7"), " -d1024 ");
    EXPECT_EQ(switches(F::ACECompressionLevel, " 3 "), " -d1024 ");
    EXPECT_EQ(switches(F::ACECompressionLevel, "  "), " -m5 -d1024 ");
    EXPECT_EQ(switches(F::ACECompressionLevel, "0"), " -m0 -d1024 ");
    EXPECT_EQ(switches(F::ACEDictionarySize, " 512 "), " -m5 -d512 ");
    EXPECT_EQ(switches(F::ACEDictionarySize, "big"), " -m5 ");
    // Recurse off: the path storage text still stands apart.
    EXPECT_EQ(received(AceBackupCommand(false, AceBackupSwitches([] {
                                            ProjectRecord r;
                                            r[F::ACEStorePathOption] = "-fp";
                                            return r;
                                        }(), App, {})),
                       "A"),
              " a -fp -m5 -d1024 -y \"A\"");
    EXPECT_EQ(switches(F::ACEStorePathOption, " -fpd "), " -fpd -m5 -d1024 ");
    EXPECT_EQ(switches(F::ACEStorePathOption, "-x"), " -m5 -d1024 ");
}

TEST(AceCommandLineTest, PasswordsKeepTheirBlanksAndQuotes)
{
    ProjectRecord r;
    r[F::ACEUsePassword] = "yes";
    r[F::ACEDefaultPassword] = "my  secret";
    r[F::ACECompressionLevel] = "1";
    EXPECT_EQ(manual(r), " a -m1 -p\"my  secret\" -d1024 -y \"T\\N\"");
    EXPECT_EQ(AcePasswordPiece("plain").text(), " -pplain ");
    EXPECT_EQ(AcePasswordPiece("say \"hi\\\"\\").text(), " -p\"say \"\"hi\\\\\"\"\\\\\" ");
    // WinAce reads back exactly the password stored.
    for (const std::string password : {"my  secret", "say \"hi\\\"\\", "\\\\srv\\", "\t tab", "a\"\"b"}) {
        const std::vector<std::string> args = qm::process::splitArguments(AcePasswordPiece(password).text());
        ASSERT_EQ(args.size(), 1u) << password;
        EXPECT_EQ(args[0], "-p" + password);
    }
    r[F::ACEDefaultPassword] = "   ";
    EXPECT_EQ(manual(r), " a -m1 -d1024 -y \"T\\N\"");
    r[F::ACEUsePassword] = " yes";
    r[F::ACEDefaultPassword] = "x";
    EXPECT_EQ(manual(r), " a -m1 -d1024 -y \"T\\N\"");
}

TEST(AceCommandLineTest, CommentDatesFlagsAndVolumes)
{
    ProjectRecord r;
    r[F::ACECompressionLevel] = "2";
    r[F::ACEUseComments] = " yes";
    r[F::ACEComments] = "Monthly";
    r[F::ACEArchiveDate] = " today ";
    r[F::ACELockArchive] = "yes ";
    r[F::ACEAVSignature] = "yes";
    r[F::ACEDictionarySize] = "4096";
    EXPECT_TRUE(AceCommentNamed(r, false));
    EXPECT_EQ(AceCommentText(r, false), "Monthly\r\n");
    EXPECT_EQ(manual(r), " a -m2 -tk -z\"C:\\Quill  mate\\Temp\\comment.txt\" -k -av+ -d4096 -y \"T\\N\"");
    r[F::ACEComments] = "  ";
    EXPECT_FALSE(AceCommentNamed(r, false));

    AceSwitchForm span;
    span.volumes = AceVolumes::Spanned;
    EXPECT_EQ(manual(ProjectRecord{}, span), " a -m5 -v -d1024 -y \"T\\N\"");
    const std::pair<const char*, const char*> sizes[] = {
        {"362000", " -v362 "},       {"730000", " -v730 "},       {"1213000", " -v1213 "},
        {"1457000", " -v1457 "},     {"95000000", " -v95000 "},   {"120000000", " -v120000 "},
        {"238000000", " -v238000 "}, {"500500", " -v500 "},       {"abc", ""},
        {"0", ""},                   {"", ""}};
    for (const auto& [size, piece] : sizes)
        EXPECT_EQ(AceVolumePiece(size), piece) << size;
    AceSwitchForm split;
    split.volumes = AceVolumes::Split;
    split.splitSize = "1457000";
    EXPECT_EQ(manual(ProjectRecord{}, split), " a -m5 -v1457 -d1024 -y \"T\\N\"");
}

TEST(AceCommandLineTest, SelfExtractingBackupUsesItsOwnFieldsAndOptionsFile)
{
    ProjectRecord r;
    r[F::ProjectName] = "Docs";
    r[F::ACEDoSubFolders] = "yes";    // the plain ACE fields do not count
    r[F::ACESFXDoSubFolders] = "no";
    r[F::ACESFXCompressionLevel] = "4";
    AceSwitchForm sfx;
    sfx.selfExtracting = true;
    EXPECT_EQ(manual(r, sfx), " a -m4 -d1024 -sfx32 -y \"T\\N\"");
    r[F::ACESFXProjectIntro] = "Welcome";
    EXPECT_EQ(manual(r, sfx), " a -m4 -d1024 -sfx32 -sopt\"C:\\Quill  mate\\sfxopt.ini\" -y \"T\\N\"");
    r[F::ACESFXProjectIntro].clear();
    r[F::ACESFXProjectCaption] = "Docs";
    EXPECT_NE(manual(r, sfx).find("-sopt"), std::string::npos);

    EXPECT_EQ(AceListPart(r, App, true), " @\"C:\\Quill  mate\\Filelists\\Docs-ACEEXE\""); // empty: listed
    r[F::ACESFXFilesToProcess] = "*";
    EXPECT_EQ(AceListPart(r, App, true), "");
    EXPECT_EQ(AceListPart(r, App, false), ""); // ACEFilesToProcess empty
    r[F::ACEFilesToProcess] = "(list)";
    EXPECT_EQ(AceListPart(r, App, false), " @\"C:\\Quill  mate\\Filelists\\Docs-ACE\"");
}

} // namespace
