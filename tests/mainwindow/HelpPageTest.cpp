// The built program folder: the programs side by side with the help page,
// and the page itself: every button-bar caption, a part for every window
// F1 can be pressed in, a topic for every help context of the record
// editor, no link to a part it does not have, and what the target folders
// are for; the kinds the archive kind window offers, what the ACE spanned
// kinds do and what a test writes to the log, there and in the README.
#include "editor/EditorColumns.h"
#include "mainwindow/Commands.h"
#include "session/BackupType.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <set>
#include <string>

namespace {

namespace stdfs = std::filesystem;

std::string page() { return qm::test::readFile(qm::test::programDir() / "Quillmate.html"); }

// The part of the page from `from` up to the next `to`, its blanks and line
// breaks as single blanks; empty when `from` is missing.
std::string between(const std::string& html, const std::string& from, const std::string& to)
{
    const std::size_t at = html.find(from);
    if (at == std::string::npos)
        return {};
    const std::size_t end = html.find(to, at + from.size());
    const std::string part = html.substr(at, end == std::string::npos ? std::string::npos : end - at);
    return std::regex_replace(part, std::regex(R"(\s+)"), " ");
}

std::set<std::string> ids(const std::string& html)
{
    std::set<std::string> out;
    const std::regex id(R"re(\bid="([^"]+)")re");
    for (auto it = std::sregex_iterator(html.begin(), html.end(), id); it != std::sregex_iterator(); ++it)
        out.insert((*it)[1]);
    return out;
}

TEST(HelpPageTest, TheProgramsAndThePageAreBuiltSideBySide)
{
    const stdfs::path folder = qm::test::programDir();
    for (const char* program : {"Quillmate", "Nightwick", "glidepack"}) {
        const stdfs::path p = folder / program;
        ASSERT_TRUE(stdfs::is_regular_file(p)) << p;
        EXPECT_NE(stdfs::status(p).permissions() & stdfs::perms::owner_exec, stdfs::perms::none) << p;
    }
    EXPECT_TRUE(stdfs::is_regular_file(folder / "Quillmate.html"));
}

TEST(HelpPageTest, ThePageNamesEveryBarCommandAndHasAPartForEveryWindowAndTopic)
{
    const std::string html = page();
    for (const qm::app::BarItem& item : qm::app::barItems())
        EXPECT_NE(html.find(">" + std::string(item.caption) + "<"), std::string::npos) << item.caption;
    for (const qm::app::BarGroup& group : qm::app::barGroups())
        EXPECT_NE(html.find(">" + std::string(group.caption) + "<"), std::string::npos) << group.caption;

    const std::set<std::string> parts = ids(html);
    for (const char* window :
         {"Form1", "frmAbout", "frmBackupType", "frmSplitSize", "StatusFrm", "frmData", "frmAddFiles",
          "frmCloneComment", "frmExtensions", "frmProgramGroup", "RestoreFrm", "frmViewZip", "ViewZipRestore",
          "frmAction", "UserOptions", "NewTaskForm", "TriggersForm", "frmTaskProperties", "ChooseTargetDir",
          "PickDirFrm", "frmMapDrive", "frmNetworkMap", "frmUnMapDrive", "frmMain", "frmZip", "frmFilters",
          "frmOptions", "frmSfx", "frmUnzip", "frmPassword", "frmResults"})
        EXPECT_TRUE(parts.count(window)) << window;
    for (int column = 1; column <= qm::editor::EditorColumnCount; ++column) {
        if (const int context = qm::editor::helpContextOf(column)) {
            EXPECT_TRUE(parts.count("frmData-" + std::to_string(context))) << "column " << column;
        }
    }

    const std::regex link(R"re(href="#([^"]+)")re");
    for (auto it = std::sregex_iterator(html.begin(), html.end(), link); it != std::sregex_iterator(); ++it)
        EXPECT_TRUE(parts.count((*it)[1])) << (*it)[1];
}

// Topic 4 says of each target folder, named in bold, what the backups and
// the self-extractors do with it; the restore part, that a self-extracting
// archive is not handed the folder chosen there.
TEST(HelpPageTest, TheTargetFoldersSayWhereArchivesAreMadeAndWhereTheyExtract)
{
    const std::string row = between(page(), "<tr id=\"frmData-4\">", "</tr>");
    auto field = [&row](const std::string& caption) { return between(row, "<b>" + caption + "</b>", "<b>"); };
    for (const char* madeThere : {"Target Folder", "ACE Target Folder", "ACE EXE Target Folder"})
        EXPECT_NE(field(madeThere).find(" made in"), std::string::npos) << field(madeThere);
    const std::string exe = field("EXE Target Folder");
    EXPECT_NE(exe.find("the self-extracting program extracts into"), std::string::npos) << exe;
    EXPECT_EQ(exe.find(" made in"), std::string::npos) << exe;
    EXPECT_NE(field("ACE EXE Target Folder").find("The program is not told of it"), std::string::npos);

    const std::string restoring = between(page(), "<h3 id=\"RestoreFrm\">", "<h3");
    EXPECT_NE(restoring.find("A self-extracting archive is started as it is and asks for its own folder"),
              std::string::npos)
        << restoring;
    EXPECT_NE(restoring.find("The Target Folder and the overwrite and date rules chosen here are not passed to it."),
              std::string::npos);
}

// The kinds part counts and names the kinds the window offers, and no
// other; of the spanned kinds, where the ACE ones put their archive; of
// testing, that an ACE test writes nothing to the log.
TEST(HelpPageTest, TheKindsAreThoseTheWindowOffersAndTheAceOnesSayWhatTheyDo)
{
    const std::string html = page();
    const qm::session::BackupTypeSetup window = qm::session::setupForBackup();
    std::size_t offered = 0;
    for (const qm::session::ArchiveKind& k : qm::session::archiveKinds()) {
        const bool named = html.find("<td>" + std::string(k.caption) + "</td>") != std::string::npos;
        EXPECT_EQ(named, window.shown[std::size_t(k.index)]) << k.caption;
        offered += window.shown[std::size_t(k.index)];
    }
    const char* const numbers[] = {"ten", "eleven", "twelve"};
    ASSERT_TRUE(offered >= 10 && offered <= 12);
    const std::string kinds = between(html, "<p id=\"frmBackupType\">", "</p>");
    EXPECT_NE(kinds.find(std::string(" in ") + numbers[offered - 10] + " kinds"), std::string::npos) << kinds;

    const std::string spanned = between(html, "<li><b>Spanned</b>", "</li>");
    for (const char* says : {"nothing is written on the drive chosen", "the ACE spanned one in the ACE Target Folder",
                             "the ACE EXE spanned program in the ACE EXE Target Folder",
                             "spreads no archive over disks"})
        EXPECT_NE(spanned.find(says), std::string::npos) << says;
    const std::string testing = between(html, "<h3 id=\"Test\">", "<p id=\"frmAction\">");
    EXPECT_NE(testing.find("ACE archiver: its result list is shown (below), and nothing is written to the log"),
              std::string::npos);

    const std::string readme =
        std::regex_replace(qm::test::readFile(qm::test::sourceDir() / "README.md"), std::regex(R"(\s+)"), " ");
    for (const char* says : {"so the entries of deleted files stay in it",
                             "the ACE and ACE EXE archives (single file, split,",
                             "A QMT or EXE spanned backup makes a new set each time, from the files alone",
                             "write nothing on the drive chosen", "An ACE test writes nothing to `autoback.log`"})
        EXPECT_NE(readme.find(says), std::string::npos) << says;
}

} // namespace
