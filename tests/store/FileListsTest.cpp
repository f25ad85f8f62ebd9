// File lists on disk: how their lines are read and written.
#include "ProgramHome.h"

#include "platform/fs/RtError.h"
#include "store/FileLists.h"

using qm::store::readFileList;
using qm::store::writeFileList;
using qm::test::readFile;
using qm::test::writeFile;
using Lines = std::vector<std::string>;

namespace {

class FileListsTest : public qm::test::ProgramHomeTest {
protected:
    FileListsTest() : ProgramHomeTest({"Filelists"}) {}
    std::string path(const std::string& name) { return win("Filelists/" + name); }
};

TEST_F(FileListsTest, LinesEndAtCrOrCrLfAndStayAsTheyAre)
{
    writeFile(native("Filelists/cr"), "a.txt\r  \rC:\\b\\*.*\r");
    writeFile(native("Filelists/crlf"), "a.txt\r\n  \r\nC:\\b\\*.*\r\n");
    writeFile(native("Filelists/last"), "a.txt\r\n  \r\nC:\\b\\*.*");
    const Lines expected{"a.txt", "  ", "C:\\b\\*.*"};
    EXPECT_EQ(readFileList(path("cr")), expected);
    EXPECT_EQ(readFileList(path("crlf")), expected);
    EXPECT_EQ(readFileList(path("last")), expected);
    // An empty line in the middle is an entry too.
    EXPECT_EQ(qm::store::listLines("x\r\r\ny\r\n"), (Lines{"x", "", "y"}));

    try {
        readFileList(path("missing"));
        ADD_FAILURE() << "a missing list was read";
    } catch (const qm::RtError& e) {
        EXPECT_EQ(e.number, qm::rterr::FileNotFound);
    }
}

TEST_F(FileListsTest, EveryLineIsWrittenWithCrLfAndAFailedWriteKeepsTheOldList)
{
    writeFileList(path("Work-ZIP"), {"a.txt", "D:\\x y\\*.*"});
    EXPECT_EQ(readFile(native("Filelists/Work-ZIP")), "a.txt\r\nD:\\x y\\*.*\r\n");

    // A line break inside an entry would come back as two entries.
    EXPECT_THROW(writeFileList(path("Work-ZIP"), {"new", "bad\nname"}), qm::RtError);
    EXPECT_EQ(readFile(native("Filelists/Work-ZIP")), "a.txt\r\nD:\\x y\\*.*\r\n");
    {
        qm::test::FileSizeLimit limit(16);
        EXPECT_THROW(writeFileList(path("Work-ZIP"), {std::string(100, 'x')}), qm::RtError);
    }
    EXPECT_EQ(readFile(native("Filelists/Work-ZIP")), "a.txt\r\nD:\\x y\\*.*\r\n");
}

TEST(FileListEntries, AnEntryIsAbsoluteWithADriveOrAShareAnywhere)
{
    EXPECT_TRUE(qm::store::isAbsoluteEntry("C:\\a.txt"));
    EXPECT_TRUE(qm::store::isAbsoluteEntry("\\\\srv\\share\\a"));
    EXPECT_TRUE(qm::store::isAbsoluteEntry("x C:\\"));
    EXPECT_FALSE(qm::store::isAbsoluteEntry("sub\\a.txt"));
    EXPECT_FALSE(qm::store::isAbsoluteEntry("C:a.txt"));
}

} // namespace
