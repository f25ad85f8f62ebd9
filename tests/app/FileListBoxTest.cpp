// The file list box: pattern, order and selection.
#include "app/FileListBox.h"
#include "platform/fs/Paths.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

using qm::app::FileListBox;
using Names = std::vector<std::string>;

TEST(FileListBox, PatternsWithoutCaseAndOneOrSeveralSelected)
{
    qm::test::TempDir dir("qm-filelist");
    for (const char* f : {"b.EXE", "a.exe", "c.com", "readme.txt", ".hidden.exe"})
        qm::test::writeFile(dir / f, "x");
    std::filesystem::create_directories(dir / "folder.exe");
    FileListBox one;
    one.setPath(qm::fs::fromNative(dir.path()));
    EXPECT_EQ(one.names(), (Names{"a.exe", "b.EXE", "c.com", "readme.txt"}));
    one.setPattern("*.Exe; *.com");
    EXPECT_EQ(one.names(), (Names{"a.exe", "b.EXE", "c.com"}));
    one.setSelected(0, true);
    one.setSelected(2, true);
    EXPECT_EQ(one.selectedNames(), Names{"c.com"});
    one.setSelected(7, true);
    EXPECT_FALSE(one.Selected(7));
    one.Refresh();
    EXPECT_TRUE(one.selectedNames().empty());

    FileListBox several(true);
    several.setPath(qm::fs::fromNative(dir.path()));
    several.setSelected(3, true);
    several.setSelected(1, true);
    EXPECT_EQ(several.selectedNames(), (Names{"b.EXE", "readme.txt"}));
    several.setSelected(3, false);
    EXPECT_EQ(several.selectedNames(), Names{"b.EXE"});
}
