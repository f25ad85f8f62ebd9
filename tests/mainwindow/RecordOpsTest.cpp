// The record operations through the main window's procedures, without a
// window: a fake project list, fake editor, the project and list files on disk.
#include "mainwindow/RecordOps.h"

#include "app/FileListBox.h"
#include "app/ProgramState.h"
#include "mainwindow/Procedures.h"

#include "FakeMainWindowView.h"
#include "FakeUiServices.h"
#include "FakeWindows.h"
#include "ProgramHome.h"

#include <gtest/gtest.h>

using namespace qm::app;
namespace mb = qm::ui::mb;

namespace {

const char* const Illegal =
    "Illegal name.\r\nThe Project name is a descriptive term,\r\nnot a filename. Please try again.";

class RecordOpsTest : public qm::test::ProgramHomeTest {
protected:
    RecordOpsTest() : ProgramHomeTest({"Projects", "Options", "Filelists"})
    {
        ui_.setUnscriptedResult(mb::OK);
        for (const char* name : {"Home", "Work", "Work-Old"}) {
            qm::store::ProjectRecord r;
            r[F::ProjectName] = name;
            r[F::ProjectFolder] = std::string("C:\\") + name;
            r[F::ZIPLastBackupDate] = "3/7/2026 2:05:09 PM";
            r[F::ZIPLastBackupFolder] = "C:\\out";
            writeProject(name, r);
            view_.rows.push_back({name, "", "", "", "", ""});
        }
        state_.Form1.File1.setPath(win("Projects"));
    }
    void list(const std::string& name, const std::string& bytes = "C:\\a\r\nC:\\b\r\n")
    {
        qm::test::writeFile(native("Filelists/" + name), bytes);
    }
    bool listed(const std::string& name) const { return std::filesystem::exists(native("Filelists/" + name)); }
    bool project(const std::string& name) const { return std::filesystem::exists(native("Projects/" + name)); }
    std::vector<std::string> names() const
    {
        std::vector<std::string> out;
        for (const auto& r : view_.rows)
            out.push_back(r[0]);
        return out;
    }

    qm::ui::FakeUiServices ui_;
    ProgramState state_{ui_};
    qm::test::FakeMainWindowView view_;
    qm::test::FakeWindows windows_;
    Procedures procs_{state_, view_, windows_.windows};
};

TEST_F(RecordOpsTest, NewNamesAreCheckedInOrder)
{
    const FileListBox& File1 = state_.Form1.File1;
    EXPECT_TRUE(checkNewName(std::string(50, 'n'), NameFor::AddNew, File1).ok);
    std::string accents;
    for (int i = 0; i < 50; ++i)
        accents += "\xc3\xa9";
    EXPECT_TRUE(checkNewName(accents, NameFor::Clone, File1).ok);
    const std::string long51(51, 'n');
    EXPECT_EQ(checkNewName(long51, NameFor::Rename, File1).message,
              "Illegal name.\r\n\r\nMaximum length is 50 characters.\r\nYour entry\r\n" + long51 +
                  "\r\nis 51 characters.");
    for (const char* bad :
         {":", "a:b", "a\\b", "a/b", "..", ".", ".hidden", " Work", "Work ", "tab\there", "W*", "a?"})
        EXPECT_EQ(checkNewName(bad, NameFor::Rename, File1).message, Illegal) << bad;
    EXPECT_EQ(checkNewName("WORK", NameFor::Clone, File1).message,
              "A project named WORK already exists.\r\nPlease try again with a different name.");
    EXPECT_EQ(checkNewName("", NameFor::AddNew, File1).message, "Illegal name.");
    const NameCheck cancelled = checkNewName("", NameFor::Clone, File1);
    EXPECT_FALSE(cancelled.ok);
    EXPECT_EQ(cancelled.message, "");
}

TEST_F(RecordOpsTest, AddNewCreatesTheFileAndOpensTheEditorInAddMode)
{
    procs_.AddNew(); // Cancel
    EXPECT_EQ(ui_.lastBox().prompt, "Illegal name.");
    EXPECT_EQ(ui_.lastBox().title, "Error!");
    // A file that cannot be made is reported and changes nothing.
    std::filesystem::rename(native("Projects"), native("Aside"));
    ui_.answerText("Fresh");
    procs_.AddNew();
    EXPECT_EQ(ui_.lastBox().prompt.rfind("Error: 76\r\n", 0), 0u);
    EXPECT_EQ(ui_.lastBox().title, "Quillmate");
    EXPECT_TRUE(windows_.editor.openings.empty());
    EXPECT_EQ(state_.store.CurrentProjectIni, "");
    std::filesystem::rename(native("Aside"), native("Projects"));

    ui_.answerText("Fresh");
    procs_.AddNew();
    EXPECT_EQ(ui_.boxes()[2].title, "New Project");
    EXPECT_EQ(ui_.boxes()[2].prompt, "Please enter a name for your new project (50 characters max)");
    EXPECT_EQ(qm::test::crlfLines(projectText("Fresh")), 74);
    EXPECT_EQ(state_.store.CurrentProjectIni, win("Projects/Fresh"));
    EXPECT_TRUE(state_.Form1.File1.contains("Fresh"));
    ASSERT_EQ(windows_.editor.openings.size(), 1u);
    EXPECT_TRUE(windows_.editor.openings[0].AddMode);
    EXPECT_FALSE(view_.visible);
    EXPECT_EQ(view_.rows.size(), 3u);
}

TEST_F(RecordOpsTest, EditAndDefaultsOpenTheEditorOnTheirFile)
{
    procs_.EditRecord();
    EXPECT_EQ(ui_.lastBox().prompt, "No project selected");
    view_.selected = {0, 1};
    procs_.EditRecord();
    EXPECT_EQ(ui_.lastBox().prompt, "Cannot select more than one project at a time for editing.");
    procs_.RenameRecord();
    EXPECT_EQ(ui_.lastBox().prompt, "Cannot select more than one project at a time for renaming.");
    procs_.CloneRecord();
    EXPECT_EQ(ui_.lastBox().prompt, "Cannot select more than one project at a time for cloning.");
    EXPECT_TRUE(windows_.editor.openings.empty());

    view_.selected = {1};
    procs_.EditRecord();
    EXPECT_EQ(state_.store.CurrentProjectIni, win("Projects/Work"));
    procs_.ShowDefaults();
    EXPECT_EQ(state_.store.CurrentProjectIni, win("Options/My Data Defaults"));
    ASSERT_EQ(windows_.editor.openings.size(), 2u);
    EXPECT_FALSE(windows_.editor.openings[0].AddMode);
    EXPECT_FALSE(windows_.editor.openings[0].defaults);
    EXPECT_TRUE(windows_.editor.openings[1].defaults);
    EXPECT_EQ(windows_.editor.openings[1].ParentForm, "Form1");
}

TEST_F(RecordOpsTest, DeleteRemovesEachSelectedProjectsEightFilesAfterOneConfirmation)
{
    for (const char* f : {"Work-ZIP", "Work-ACEEXE-hold", "Work-Old-ZIP", "Home-ACE", "Home-ZIPEXE-hold"})
        list(f);
    view_.rows.push_back({"W*", "", "", "", "", ""});
    view_.selected = {0, 1, 3};
    ui_.answer(mb::No);
    procs_.DeleteRecord();
    EXPECT_TRUE(project("Home"));

    ui_.answer(mb::Yes);
    procs_.DeleteRecord();
    EXPECT_EQ(ui_.boxes().size(), 2u);
    EXPECT_EQ(ui_.lastBox().title, "Please confirm delete!");
    EXPECT_EQ(ui_.lastBox().buttons, mb::YesNo);
    EXPECT_FALSE(project("Home"));
    EXPECT_FALSE(project("Work"));
    EXPECT_TRUE(project("Work-Old"));
    for (const char* gone : {"Work-ZIP", "Work-ACEEXE-hold", "Home-ACE", "Home-ZIPEXE-hold"})
        EXPECT_FALSE(listed(gone)) << gone;
    EXPECT_TRUE(listed("Work-Old-ZIP"));
    EXPECT_EQ(names(), std::vector<std::string>{"Work-Old"});
    EXPECT_FALSE(state_.Form1.File1.contains("Work"));
}

TEST_F(RecordOpsTest, DeletingANameWithWildcardsTouchesNoOtherProject)
{
    list("Work-ZIP");
    view_.rows = {{"W*", "", "", "", "", ""}};
    view_.selected = {0};
    ui_.answer(mb::Yes);
    procs_.DeleteRecord();
    EXPECT_TRUE(project("Work"));
    EXPECT_TRUE(project("Work-Old"));
    EXPECT_TRUE(listed("Work-ZIP"));
    EXPECT_TRUE(view_.rows.empty());
}

TEST_F(RecordOpsTest, RenameMovesTheFileAndTheCommittedListsAndRenamesTheRow)
{
    list("Work-ZIP", "one\r\n");
    list("Work-ACE");
    list("Work-ZIP-hold");
    view_.selected = {1};
    procs_.RenameRecord(); // Cancel: nothing, no box
    EXPECT_EQ(ui_.boxes().size(), 1u);
    EXPECT_EQ(ui_.lastBox().defaultText, "Work");
    ui_.answerText("work");
    procs_.RenameRecord();
    EXPECT_EQ(ui_.lastBox().prompt, "A project named work already exists.\r\nPlease try again with a different name.");

    ui_.answerText("Alpha");
    procs_.RenameRecord();
    EXPECT_FALSE(project("Work"));
    EXPECT_NE(projectText("Alpha").find("ProjectName=\"Alpha\"\r\n"), std::string::npos);
    EXPECT_EQ(state_.store.CurrentProjectIni, win("Projects/Alpha"));
    EXPECT_EQ(qm::test::readFile(native("Filelists/Alpha-ZIP")), "one\r\n");
    EXPECT_TRUE(listed("Alpha-ACE"));
    EXPECT_FALSE(listed("Work-ZIP"));
    EXPECT_FALSE(listed("Work-ACE"));
    EXPECT_TRUE(listed("Work-ZIP-hold"));
    EXPECT_FALSE(listed("Alpha-ZIP-hold"));
    EXPECT_EQ(names(), (std::vector<std::string>{"Home", "Alpha", "Work-Old"})); // not sorted
    EXPECT_TRUE(state_.Form1.File1.contains("Alpha"));
}

TEST_F(RecordOpsTest, CloneCopiesTheFileAndListsAndAddsARowInNameOrder)
{
    const std::string bytes = "C:\\a b\r\n\xc3\xa9\r\nlast";
    list("Work-ZIPEXE", bytes);
    list("Work-ACE-hold");
    view_.selected = {1};
    ui_.answerText("");
    procs_.CloneRecord();
    EXPECT_EQ(ui_.lastBox().defaultText, "Clone of Work");
    EXPECT_EQ(ui_.lastBox().title, "Clone Project");
    EXPECT_EQ(ui_.boxes().size(), 1u);

    ui_.answerText("Alpha");
    procs_.CloneRecord();
    EXPECT_TRUE(project("Work"));
    EXPECT_NE(projectText("Alpha").find("ProjectName=\"Alpha\"\r\n"), std::string::npos);
    EXPECT_NE(projectText("Alpha").find("ProjectFolder=C:\\Work\r\n"), std::string::npos);
    EXPECT_EQ(qm::test::readFile(native("Filelists/Alpha-ZIPEXE")), bytes);
    EXPECT_EQ(qm::test::readFile(native("Filelists/Work-ZIPEXE")), bytes);
    EXPECT_FALSE(listed("Alpha-ACE-hold"));
    EXPECT_EQ(names(), (std::vector<std::string>{"Alpha", "Home", "Work", "Work-Old"}));
    EXPECT_EQ(view_.rows[0], (std::vector<std::string>{"Alpha", "3/7/2026 2:05:09 PM", "", "", "C:\\Work", "C:\\out"}));
    EXPECT_EQ(state_.store.CurrentProjectIni, win("Projects/Alpha"));
}

TEST_F(RecordOpsTest, ACloneOfAMissingFileIsReportedAndChangesNothing)
{
    view_.rows.push_back({"Gone", "", "", "", "", ""});
    view_.selected = {3};
    ui_.answerText("Copy");
    procs_.CloneRecord();
    EXPECT_EQ(ui_.lastBox().prompt.rfind("Error: 53\r\n", 0), 0u);
    EXPECT_FALSE(project("Copy"));
    EXPECT_EQ(view_.rows.size(), 4u);
    EXPECT_EQ(state_.store.CurrentProjectIni, "");
}

} // namespace
