// Program groups and file types as freedesktop files.
#include "TestSupport.h"

#include "platform/desktop/Desktop.h"

#include <gtest/gtest.h>

namespace qm::desktop {
namespace {

using qm::test::readFile;
using qm::test::writeFile;

TEST(Desktop, LaunchLinesMapPathsAndQuoteWhatTheShellWouldRead)
{
    EXPECT_EQ(execLine("\"C:\\My Tools\\run.exe\" -x \"%1\""), "\"/My Tools/run.exe\" \"-x\" %f");
    EXPECT_EQ(execLine("prog $HOME 50% a\\b"), "\"prog\" \"\\$HOME\" \"50%%\" \"a\\\\b\"");
}

TEST(Desktop, TheDefaultApplicationKeepsTheOtherLinesOfMimeapps)
{
    writeFile(configHome() / "mimeapps.list", "[Added Associations]\ntext/plain=ed.desktop;\n\n"
                                              "[Default Applications]\ntext/html=web.desktop\n"
                                              "application/x-quillmate-logfile=old.desktop\n");
    EXPECT_TRUE(registerFileType({".log", "LogFile", "Log", "C:\\bin\\view \"%1\""}));
    EXPECT_EQ(readFile(configHome() / "mimeapps.list"),
              "[Added Associations]\ntext/plain=ed.desktop;\n\n[Default Applications]\ntext/html=web.desktop\n"
              "application/x-quillmate-logfile=quillmate-logfile.desktop\n");
    EXPECT_NE(readFile(dataHome() / "applications/quillmate-logfile.desktop").find("Exec=\"/bin/view\" %f\n"),
              std::string::npos);
}

TEST(Desktop, ItemsNeedAGroupAndWellFormedCommands)
{
    DesktopProgramManager pm;
    EXPECT_FALSE(pm.execute("[AddItem(\"C:\\x.exe\",X)]")); // no group yet
    EXPECT_TRUE(pm.execute("[CreateGroup(Tools, old and new)]"));
    EXPECT_TRUE(pm.execute("[ShowGroup(Tools, old and new,1)]"));
    EXPECT_FALSE(pm.execute("[AddItem(C:\\x.exe,X)]"));
    EXPECT_FALSE(pm.execute("CreateGroup(x)"));
    EXPECT_TRUE(pm.execute("[AddItem(\"C:\\x.exe\",Name, with comma)]"));
    EXPECT_NE(readFile(dataHome() / "applications/quillmate-tools-old-and-new-name-with-comma.desktop")
                  .find("Name=Name, with comma\n"),
              std::string::npos);
}

} // namespace
} // namespace qm::desktop
