// The self-extractor's text and folder helpers.
#include "TestSupport.h"

#include "platform/fs/Paths.h"
#include "sfxstub/Folders.h"
#include "sfxstub/Layout.h"
#include "sfxstub/Macros.h"

#include <gtest/gtest.h>
#include <regex>

namespace qm::sfxstub {
namespace {

namespace stdfs = std::filesystem;

SfxConfig folders()
{
    SfxConfig c;
    c.DestinationFolder = "C:\\";
    c.ExeFolder = "C:\\apps";
    c.TempFolder = "C:\\tmp";
    c.WindowsFolder = "C:\\drive_c\\Windows";
    c.SystemDrive = "C:\\drive_c";
    c.Random.seed(7);
    return c;
}

TEST(SfxMacros, FoldersSeparatorsAndUnknownLetters)
{
    SfxConfig c = folders();
    EXPECT_EQ(ExpandMacros(c, "%D\\readme.txt", "", 255), "C:\\readme.txt"); // one separator at a root
    EXPECT_EQ(ExpandMacros(c, "%e\\x|%E\\y", "", 255), "C:\\apps\\x|C:\\apps\\y");
    EXPECT_EQ(ExpandMacros(c, "C:\\a\\%q\\b", "", 255), "C:\\a\\b");
    EXPECT_EQ(ExpandMacros(c, "100%% %w", "", 255), "100% C:\\drive_c\\Windows");
    EXPECT_EQ(ExpandMacros(c, "%D and %T", "tT", 255), "C: and "); // a separator before text goes
    EXPECT_EQ(ExpandMacros(c, "cut at %", "", 255), "cut at ");
    EXPECT_EQ(ExpandMacros(c, "%W\\%W", "", 20), std::nullopt); // longer than its buffer

    // A failure text: "%e" is filled first, then only %D and %% expand.
    std::string text = FillNumber("Error %e at %D (%T)", 'e', 110);
    EXPECT_EQ(ExpandMacros(c, text, "eEwWsStTrRpPvV", 2000), "Error 110 at C: ()");
}

TEST(SfxMacros, RandomFolderTestsTheWholePathAndGivesUp)
{
    SfxConfig c = folders();
    std::vector<std::string> asked;
    auto claim = [&](const std::string& p) {
        asked.push_back(p);
        return asked.size() < 3 ? Claim::Taken : Claim::Free;
    };
    std::optional<std::string> out = ExpandMacros(c, "%T\\%R", "", 255, claim);
    ASSERT_TRUE(out);
    EXPECT_TRUE(std::regex_match(*out, std::regex(R"(C:\\tmp\\_Sfx\d{3})"))) << *out;
    EXPECT_EQ(asked.size(), 3u);
    for (const std::string& a : asked)
        EXPECT_EQ(a.rfind("C:\\tmp\\_Sfx", 0), 0u) << a;

    int tries = 0;
    EXPECT_EQ(ExpandMacros(c, "%T\\%r", "", 255, [&](const std::string&) { return ++tries, Claim::Taken; }),
              std::nullopt);
    EXPECT_EQ(tries, RandomTries);
}

TEST(SfxMacros, EntryNamesExpandOnlyALeadingFolderPair)
{
    SfxConfig c = folders();
    std::optional<FolderName> f = ExpandEntryName(c, "%t\\sub\\x.txt");
    ASSERT_TRUE(f);
    EXPECT_EQ(f->folder, "C:\\tmp");
    EXPECT_EQ(f->rest, "sub\\x.txt");
    EXPECT_FALSE(ExpandEntryName(c, "50%off.txt"));
    EXPECT_FALSE(ExpandEntryName(c, "%R\\x")); // no random folders for entries
    EXPECT_FALSE(ExpandEntryName(c, "%P\\x")); // an unknown folder stays as written
}

TEST(SfxMacros, TextHelpers)
{
    EXPECT_EQ(NormalizeLineBreaks("a\r\n\r\nb\rc\n\rd"), "a\n\nb\nc\nd");
    EXPECT_EQ(FillText("%F or %f but %n", 'f', "x.txt"), "x.txt or x.txt but %n");
    EXPECT_EQ(FillNumber("%n %N", 'n', 3), "3 %N");
    EXPECT_EQ(AddTrailingBackslash("C:"), "C:");
    EXPECT_EQ(AddTrailingBackslash("C:\\a"), "C:\\a\\");
    EXPECT_EQ(RemoveTrailingBackslash("C:\\"), "C:\\");
    EXPECT_EQ(RemoveTrailingBackslash("C:\\a\\"), "C:\\a");
    std::string p = "C:\\a\\b\\";
    EXPECT_TRUE(CutLastFolder(p));
    EXPECT_EQ(p, "C:\\a\\");
    EXPECT_TRUE(CutLastFolder(p));
    EXPECT_EQ(p, "C:\\");
    EXPECT_FALSE(CutLastFolder(p));
    std::string s = "C:\\one\\two\\three\\file.txt";
    std::vector<std::string> steps;
    while (ShortenPath(s))
        steps.push_back(s);
    EXPECT_EQ(steps, (std::vector<std::string>{"C:\\...\\two\\three\\file.txt", "C:\\...\\three\\file.txt",
                                               "C:\\...\\file.txt"}));
    s = "\\srv\\x";
    EXPECT_TRUE(ShortenPath(s));
    EXPECT_EQ(s, "\\...\\x");
    EXPECT_EQ(PrettyCase("PROGRAM FILES2 MiXed 123"), "Program Files2 MiXed 123");
}

TEST(SfxFolders, AbsolutePathsAndFolderTrees)
{
    qm::test::TempDir tmp("qm-sfx-folders");
    const std::string root = qm::fs::fromNative(tmp.path());
    EXPECT_EQ(MakeAbsolute("c:/x/./y/../z\\"), "c:\\x\\z\\");
    EXPECT_EQ(MakeAbsolute("\\\\srv\\share\\a\\..\\b"), "\\\\srv\\share\\b");
    EXPECT_EQ(MakeAbsolute(std::string(300, 'a')), std::nullopt);
    const stdfs::path cwd = stdfs::current_path();
    stdfs::current_path(tmp.path());
    EXPECT_EQ(MakeAbsolute("rel\\x"), root + "\\rel\\x");
    stdfs::current_path(cwd);

    std::string made;
    EXPECT_TRUE(CreateFolderTree(root + "\\a\\b\\c", made));
    EXPECT_EQ(made, root + "\\a");
    EXPECT_TRUE(stdfs::is_directory(tmp / "a/b/c"));
    qm::test::writeFile(tmp / "file", "");
    EXPECT_FALSE(CreateFolderTree(root + "\\file\\x", made));

    // Removal: links are removed, never followed; names like "..x" go too.
    stdfs::create_directories(tmp / "keep");
    qm::test::writeFile(tmp / "keep/precious", "1");
    qm::test::writeFile(tmp / "a/..hidden", "h");
    stdfs::create_directory_symlink(tmp / "keep", tmp / "a/b/link");
    stdfs::current_path(tmp / "keep");
    DeleteFolderTree(root + "\\a\\");
    EXPECT_EQ(stdfs::current_path(), tmp / "keep") << "the current folder stays as it was";
    stdfs::current_path(cwd);
    EXPECT_FALSE(stdfs::exists(tmp / "a"));
    EXPECT_EQ(qm::test::readFile(tmp / "keep/precious"), "1");

    // A private folder is never an existing one.
    std::string tempRoot;
    EXPECT_EQ(claimPrivateFolder(root + "\\keep", tempRoot), Claim::Taken);
    EXPECT_EQ(claimPrivateFolder(root + "\\new\\deep", tempRoot), Claim::Free);
    EXPECT_EQ(tempRoot, root + "\\new");
    EXPECT_EQ(stdfs::status(tmp / "new/deep").permissions() & stdfs::perms::all, stdfs::perms::owner_all);
}

// A program started from a drive whose path leads through a link to the
// medium in it knows itself by that path, which stays the drive's when the
// medium changes; a name that is not this program changes nothing.
TEST(SfxFolders, TheProgramKnowsItselfByThePathItWasStartedFrom)
{
    qm::test::TempDir tmp("qm-sfx-self");
    const stdfs::path self = stdfs::read_symlink("/proc/self/exe");
    stdfs::create_directory_symlink(self.parent_path(), tmp / "drive");
    const stdfs::path viaDrive = tmp / "drive" / self.filename();
    EXPECT_EQ(ownProgramFile(viaDrive.c_str()), viaDrive.string());
    EXPECT_EQ(ownProgramFile(nullptr), self.string());
    EXPECT_EQ(ownProgramFile(self.filename().c_str()), self.string()); // found on the search path
    qm::test::writeFile(tmp / "other", "");
    EXPECT_EQ(ownProgramFile((tmp / "other").c_str()), self.string());
}

TEST(SfxLayout, MessageBoxSizesAndProgressCells)
{
    Metrics m; // 13 pixels high, 6 wide on average
    auto width = [](std::string_view t) { return int(t.size()) * 6; };
    BoxLayout one = layoutMessageBox(m, width, "Short.", 0, 1);
    EXPECT_EQ(one.clientWidth, 3 * m.buttonWidth() + 12 + 80);
    EXPECT_EQ(one.clientHeight, 4 * 13 + 59); // at least four lines
    ASSERT_EQ(one.buttons.size(), 1u);
    EXPECT_EQ(one.buttons[0].x + one.buttons[0].w, one.clientWidth - 8);
    BoxLayout four = layoutMessageBox(m, width, "Replace?", 6, 4);
    EXPECT_GE(four.text.w, 320);
    EXPECT_EQ(four.buttons[1].x - four.buttons[0].x, m.buttonWidth() + 4);
    BoxLayout longText = layoutMessageBox(m, width, std::string(3000, 'w') + " end", 0, 1);
    EXPECT_LE(longText.text.w, 556);
    EXPECT_LT(longText.text.h, 384);
    for (const std::string& line : longText.lines)
        EXPECT_LE(width(line), longText.text.w);
    EXPECT_EQ(layoutMessageBox(m, width, "Terms", 8, 2).text.h, 15 * 13);
    EXPECT_EQ(wrapText("one two three", 50, width), (std::vector<std::string>{"one two", "three"}));

    EXPECT_EQ(progressBarWidth(100), 98);
    EXPECT_EQ(progressCells(100), 12);
    EXPECT_EQ(filledCells(0, 12), 0);
    EXPECT_EQ(filledCells(50, 12), 6);
    EXPECT_EQ(filledCells(100, 12), 12);
}

} // namespace
} // namespace qm::sfxstub
