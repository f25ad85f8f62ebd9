// The built program folder: the programs side by side with the help page,
// and the page itself: every button-bar caption, a part for every window
// F1 can be pressed in, a topic for every help context of the record
// editor, and no link to a part it does not have.
#include "editor/EditorColumns.h"
#include "mainwindow/Commands.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <set>
#include <string>

namespace {

namespace stdfs = std::filesystem;

std::string page() { return qm::test::readFile(qm::test::programDir() / "Quillmate.html"); }

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

} // namespace
