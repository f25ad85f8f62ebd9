// The single-value accessors on Windows-form paths, with their error boxes.
#include "ProgramHome.h"

#include "platform/ui/MsgBoxStyle.h"

using qm::test::readFile;
using qm::test::writeFile;

namespace {

using IniAccess = qm::test::StoreFixture;

TEST_F(IniAccess, ReadGivesTheValueOrExactlyTheDefault)
{
    writeFile(native("Options/x.ini"), "[ACE SFX]\r\nACESFXDoSubFolders=yes\r\nlong=" + std::string(300, 'L') +
                                           "\r\n[Sources]\r\nProjectName=\"A B\"\r\n");
    const std::string file = win("Options/x.ini");
    EXPECT_EQ(store_.ReadIni("ace sfx", "ACESFXDoSubfolders", file, ""), "yes");
    EXPECT_EQ(store_.ReadIni("ACE SFX", "long", file, ""), std::string(255, 'L'));
    EXPECT_EQ(store_.ReadIni("SOURCES", "projectname", file, ""), "A B");
    EXPECT_EQ(store_.ReadIni("Sources", "missing", file, "dflt"), "dflt");
    EXPECT_EQ(store_.ReadIni("Missing", "ProjectName", file, ""), "");
    EXPECT_EQ(store_.ReadIni("Sources", "ProjectName", win("Options/none"), " d "), " d ");
    EXPECT_EQ(store_.ReadIni("Sources", "ProjectName", win("no folder/none"), "d"), "d");
    EXPECT_TRUE(ui_.boxes().empty());
}

TEST_F(IniAccess, WriteCreatesUpdatesInPlaceAndAppends)
{
    const std::string file = win("Projects/P");
    EXPECT_TRUE(store_.WriteIni("Sources", "ProjectName", "\"P\"", file));
    EXPECT_EQ(readFile(native("Projects/P")), "[Sources]\r\nProjectName=\"P\"\r\n");

    const std::string before = "[SOURCES]\r\nProjectName=Old\r\n\r\n[FILES AND FOLDERS-QMT]\r\n"
                               "ZIPLastBackupDate=\r\nZIPLastBackupFolder=C:\\x\r\n";
    writeFile(native("Projects/P"), before);
    EXPECT_TRUE(store_.WriteIni("Files and Folders-QMT", "ziplastbackupdate", "3/7/2026", file));
    EXPECT_TRUE(store_.WriteIni("ACE SFX", "ACESFXBackFile", "p.exe", file));
    EXPECT_TRUE(store_.WriteIni("Sources", "Added", "a\r\nb", file));
    EXPECT_EQ(readFile(native("Projects/P")),
              "[SOURCES]\r\nProjectName=Old\r\nAdded=a\rb\r\n\r\n[FILES AND FOLDERS-QMT]\r\n"
              "ZIPLastBackupDate=3/7/2026\r\nZIPLastBackupFolder=C:\\x\r\n"
              "\r\n[ACE SFX]\r\nACESFXBackFile=p.exe\r\n");
    EXPECT_EQ(store_.ReadIni("sources", "added", file, ""), "a\rb");
    EXPECT_TRUE(ui_.boxes().empty());
}

TEST_F(IniAccess, FailuresShowTheirBoxAndGiveEmptyOrFalse)
{
    writeFile(native("plain"), "a file");
    EXPECT_FALSE(store_.WriteIni("s", "k", "v", win("plain") + "\\x.ini"));
    ASSERT_EQ(ui_.boxes().size(), 1u);
    const auto& w = ui_.lastBox();
    EXPECT_EQ(w.title, "INIWriteSetting");
    EXPECT_TRUE(w.prompt.starts_with("Error: 76. ")) << w.prompt;
    EXPECT_TRUE(w.prompt.ends_with(win("plain") + "\\x.ini")) << w.prompt; // named as the program knows it
    EXPECT_EQ(w.style, qm::ui::mb::OKOnly);
    EXPECT_EQ(w.icon, qm::ui::Icon::None);

    // A drive letter that does not exist.
    EXPECT_EQ(store_.ReadIni("s", "k", "Q:\\x.ini", "default"), "");
    ASSERT_EQ(ui_.boxes().size(), 2u);
    EXPECT_EQ(ui_.lastBox().title, "INIGetSettingString");
    EXPECT_TRUE(ui_.lastBox().prompt.starts_with("Error: 68. ")) << ui_.lastBox().prompt;
    EXPECT_EQ(ui_.lastBox().style, qm::ui::mb::OKOnly);

    // A key that cannot be written as a line.
    EXPECT_FALSE(store_.WriteIni("s", "a=b", "v", win("Options/y.ini")));
    EXPECT_EQ(ui_.lastBox().title, "INIWriteSetting");
    EXPECT_TRUE(ui_.lastBox().prompt.starts_with("Error: 5. ")) << ui_.lastBox().prompt;
    EXPECT_FALSE(std::filesystem::exists(native("Options/y.ini")));
}

} // namespace
