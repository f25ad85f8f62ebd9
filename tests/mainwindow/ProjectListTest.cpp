// The project list's rows: the family by the later date, the columns each
// family shows, "1/1/1900", unreadable dates and files, and the sort order.
#include "app/FileListBox.h"
#include "app/ProgramState.h"
#include "mainwindow/ProjectList.h"
#include "FakeUiServices.h"

#include "ProgramHome.h"

using namespace qm::app;

namespace {

class ProjectListTest : public qm::test::ProgramHomeTest {
protected:
    // A project with both families' keys filled; the dates are given.
    void both(const std::string& file, const std::string& zipDate, const std::string& aceDate,
              const std::string& format = "ZIP")
    {
        project(file, {"[SOURCES]", "ProjectName=" + file, "[FILES AND FOLDERS-QMT]",
                       "ProjectFolder=C:\\src\\" + file, "ZIPLastBackupDate=" + zipDate,
                       "ZIPLastBackupFolder=D:\\zip", "[COMMENTS]", "ZIPComments=zip comment",
                       "[BACKUP OPTIONS]", "ZIPBackupOption=manual", "AutoBackupFormat=" + format,
                       "[ACE COMMENTS]", "ACEComments=ace comment", "[ACE BACKUP OPTIONS]",
                       "ACEBackupOption=automatic", "ACELastBackupDate=" + aceDate,
                       "ACELastBackupFolder=E:\\ace"});
    }
    std::vector<ProjectRow> rows()
    {
        File1_.setPath(win("Projects"));
        return PopulateList(state_, File1_);
    }
    ProjectRow only()
    {
        std::vector<ProjectRow> r = rows();
        EXPECT_EQ(r.size(), 1u);
        return r.empty() ? ProjectRow{} : r[0];
    }

    qm::ui::FakeUiServices ui_;
    ProgramState state_{ui_};
    FileListBox File1_;
};

TEST_F(ProjectListTest, EmptyFolderGivesNoRows)
{
    std::filesystem::create_directories(native("Projects"));
    EXPECT_TRUE(rows().empty());
}

TEST_F(ProjectListTest, LaterZipDateGivesAZipRow)
{
    both("Work", "8/5/2002", "7/1/2002");
    const ProjectRow r = only();
    EXPECT_EQ(r.family, RowFamily::Zip);
    EXPECT_EQ(r.text, "Work");
    EXPECT_EQ(r.sub, (std::array<std::string, 5>{"8/5/2002", "manual", "zip comment", "C:\\src\\Work", "D:\\zip"}));
}

TEST_F(ProjectListTest, ZipRowTakesTheAceModeOnlyForExactlyAce)
{
    both("Work", "8/5/2002", "7/1/2002", "ACE");
    EXPECT_EQ(only().sub[1], "automatic");
    both("Work", "8/5/2002", "7/1/2002", "ace");
    EXPECT_EQ(only().sub[1], "manual");
}

TEST_F(ProjectListTest, LaterAceDateGivesAnAceRow)
{
    both("Work", "7/1/2002 11:00:00 PM", "7/2/2002 1:00:00 AM");
    const ProjectRow r = only();
    EXPECT_EQ(r.family, RowFamily::Ace);
    EXPECT_EQ(r.sub, (std::array<std::string, 5>{"7/2/2002 1:00:00 AM", "automatic", "ace comment",
                                                 "C:\\src\\Work", "E:\\ace"}));
}

TEST_F(ProjectListTest, DatesCompareAsDatesNotAsText)
{
    // As text "10/1/2002" sorts before "9/30/2002"; as dates it is later.
    both("Work", "9/30/2002", "10/1/2002");
    EXPECT_EQ(only().family, RowFamily::Ace);
    both("Work", "2002-10-01", "9/30/2002");
    EXPECT_EQ(only().family, RowFamily::Zip);
}

TEST_F(ProjectListTest, NeverBackedUpShowsAnEmptyDate)
{
    both("Work", "", "  ");
    ProjectRow r = only();
    EXPECT_EQ(r.family, RowFamily::Zip); // equal dates: the ZIP family
    EXPECT_EQ(r.sub[0], "");
    EXPECT_EQ(r.sub[2], "zip comment");

    both("Work", "1/1/1900", "");
    EXPECT_EQ(only().sub[0], "");
    // Only the exact text stands for "never".
    both("Work", "01/01/1900", "");
    EXPECT_EQ(only().sub[0], "01/01/1900");
}

TEST_F(ProjectListTest, EqualDatesGiveTheZipFamily)
{
    both("Work", "3/7/2026 2:05:09 PM", "3/7/2026 14:05:09");
    const ProjectRow r = only();
    EXPECT_EQ(r.family, RowFamily::Zip);
    EXPECT_EQ(r.sub[0], "3/7/2026 2:05:09 PM");
    EXPECT_EQ(r.sub[4], "D:\\zip");
}

TEST_F(ProjectListTest, UnreadableDateCountsAsNoBackup)
{
    both("Work", "someday", "3/1/2002");
    ProjectRow r = only();
    EXPECT_EQ(r.family, RowFamily::Ace);
    EXPECT_EQ(r.sub[0], "3/1/2002");

    // Against no back-up it ties, and the ZIP row shows the text as stored.
    both("Work", "13/45/2002", "");
    r = only();
    EXPECT_EQ(r.family, RowFamily::Zip);
    EXPECT_EQ(r.sub[0], "13/45/2002");

    both("Work", "", "garbage");
    r = only();
    EXPECT_EQ(r.family, RowFamily::Zip);
    EXPECT_EQ(r.sub[0], "");
}

TEST_F(ProjectListTest, RowTextIsTheProjectNameKeyNotTheFileName)
{
    project("file-name", {"[Sources]", "ProjectName=\"Shown Name\""});
    project("no-name", {"[FILES AND FOLDERS-QMT]", "ProjectFolder=C:\\x"});
    const std::vector<ProjectRow> r = rows();
    ASSERT_EQ(r.size(), 2u);
    EXPECT_EQ(r[0].text, "Shown Name");
    EXPECT_EQ(r[1].text, "");
    EXPECT_EQ(r[1].sub[3], "C:\\x");
}

TEST_F(ProjectListTest, AFileThatCannotBeReadDoesNotStopTheList)
{
    both("Alpha", "1/2/2003", "");
    project("Beta*", {"[SOURCES]", "ProjectName=Beta"}); // a name the path layer refuses
    both("Gamma", "", "1/2/2003");
    const std::vector<ProjectRow> r = rows();
    ASSERT_EQ(r.size(), 3u);
    EXPECT_EQ(r[0].text, "Alpha");
    EXPECT_EQ(r[1].text, "");
    EXPECT_EQ(r[2].text, "Gamma");
    EXPECT_TRUE(ui_.boxes().empty());
    EXPECT_EQ(state_.store.CurrentProjectIni, win("Projects") + "\\Gamma");
}

TEST_F(ProjectListTest, ColumnClicksFlipTheOrderWhateverTheColumn)
{
    ListSort sort;
    EXPECT_FALSE(sort.Sorted);
    sort.columnClick(3);
    EXPECT_TRUE(sort.Sorted);
    EXPECT_EQ(sort.SortKey, 3);
    EXPECT_TRUE(sort.Descending);
    sort.columnClick(3);
    EXPECT_FALSE(sort.Descending);
    sort.columnClick(0);
    EXPECT_EQ(sort.SortKey, 0);
    EXPECT_TRUE(sort.Descending);
}

} // namespace
