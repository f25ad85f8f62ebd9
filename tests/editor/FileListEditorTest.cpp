// The file list editor, opened from a files-to-process cell of the record
// editor; the script acts as the user in the dialog.
#include "editor/FileListEditor.h"

#include "EditorFixture.h"

#include <gtest/gtest.h>

using namespace qm::editor;
using Lines = std::vector<std::string>;

namespace {

class FileListEditorTest : public qm::editor::test::EditorFixture {
protected:
    FileListEditorTest()
    {
        std::filesystem::create_directories(native("src"));
        record_[F::ProjectFolder] = win("src");
    }
    // Column `column`'s cell begins an edit with `script` acting in the dialog.
    void edit(int column, std::function<void(FileListEditor&)> script)
    {
        dialogs_.onAddFiles = [script](FileListEditor& d) {
            d.Form_Activate();
            script(d);
        };
        EXPECT_FALSE(editor_->GridEX1_BeforeColEdit(column));
        EXPECT_EQ(state_.store.CurrentFilesToProcess, "");
    }
    std::string& zipFiles() { return state_.store.ProjectRecord(1)[F::ZIPFilesToProcess]; }
};

TEST_F(FileListEditorTest, OkayGivesStarWithoutAListAndOtherwiseTheWorkingCopy)
{
    record_[F::ZIPFilesToProcess] = "(list)";
    listOf("Work-ZIP", "old.txt\r\n");
    RecordEditor& e = open("Work");

    // No entry but blanks: "*", no file, no flag.
    edit(9, [](FileListEditor& d) {
        EXPECT_EQ(d.List1, Lines{"old.txt"});
        EXPECT_EQ(d.Label3, "creating archive type: ZIP (QMT)");
        d.List1 = {"   ", ""};
        EXPECT_TRUE(d.cmdOkay_Click());
        EXPECT_TRUE(d.Check1);
        EXPECT_EQ(d.List1, Lines{"*"});
    });
    EXPECT_EQ(zipFiles(), "*");
    EXPECT_EQ(ui_.lastBox().title, "List updated");
    EXPECT_FALSE(listed("Work-ZIP-hold"));
    EXPECT_FALSE(e.NewZip);

    // "*" opens with every file ticked and the list disabled; the one entry "*" stays "*".
    edit(9, [](FileListEditor& d) {
        EXPECT_TRUE(d.Check1);
        EXPECT_FALSE(d.List1Enabled);
        d.setCheck1(false);
        d.List1 = {"*"};
        EXPECT_TRUE(d.cmdOkay_Click());
    });
    EXPECT_EQ(zipFiles(), "*");
    EXPECT_FALSE(listed("Work-ZIP-hold"));

    // Entries: "(list)", the working copy and the flag; the committed list waits for Save.
    edit(9, [](FileListEditor& d) {
        d.setCheck1(false);
        d.List1 = {"a.txt", " ", "C:\\x\\b c.txt"};
        EXPECT_TRUE(d.cmdOkay_Click());
    });
    EXPECT_EQ(zipFiles(), "(list)");
    EXPECT_EQ(listText("Work-ZIP-hold"), "a.txt\r\nC:\\x\\b c.txt\r\n");
    EXPECT_EQ(listText("Work-ZIP"), "old.txt\r\n");
    EXPECT_TRUE(e.NewZip);
    EXPECT_FALSE(e.NewZIPEXE);

    // Opened again in this editor, it shows what the first Okay left.
    edit(9, [](FileListEditor& d) {
        EXPECT_EQ(d.List1, (Lines{"a.txt", "C:\\x\\b c.txt"}));
        d.cmdCancel_Click();
    });
    EXPECT_EQ(zipFiles(), "(list)");
}

TEST_F(FileListEditorTest, CancelAndAFailedOkayChangeNothing)
{
    record_[F::SFXFilesToProcess] = "(list)";
    listOf("Work-ZIPEXE", "a.txt\r\n");
    RecordEditor& e = open("Work");
    edit(56, [](FileListEditor& d) {
        EXPECT_EQ(d.members.strArchiveType, "ZIPEXE");
        d.cmdClear_Click();
        d.List1 = {"b.txt"};
        d.cmdCancel_Click();
    });
    EXPECT_EQ(state_.store.ProjectRecord(1)[F::SFXFilesToProcess], "(list)");
    EXPECT_EQ(listText("Work-ZIPEXE"), "a.txt\r\n");
    EXPECT_FALSE(listed("Work-ZIPEXE-hold"));

    // An entry with a line break, and a Filelists folder that is gone, keep
    // the dialog open with nothing handed back.
    edit(56, [&](FileListEditor& d) {
        d.List1 = {"b.txt", "c\r\nd"};
        EXPECT_FALSE(d.cmdOkay_Click());
        EXPECT_EQ(ui_.lastBox().title, "Error!");
        EXPECT_EQ(ui_.lastBox().prompt.rfind("Error: 52\r\n", 0), 0u);
        std::filesystem::remove_all(native("Filelists"));
        d.cmdClear_Click();
        d.List1 = {"b.txt"};
        EXPECT_FALSE(d.cmdOkay_Click());
        EXPECT_EQ(ui_.lastBox().prompt.rfind("Error: 76\r\n", 0), 0u);
        EXPECT_EQ(ui_.lastBox().icon, qm::ui::Icon::Critical);
        EXPECT_EQ(state_.store.CurrentFilesToProcess, "");
        d.cmdCancel_Click();
    });
    EXPECT_EQ(state_.store.ProjectRecord(1)[F::SFXFilesToProcess], "(list)");
    EXPECT_FALSE(e.NewZIPEXE);
}

TEST_F(FileListEditorTest, AMissingCommittedListIsReportedAndYieldsStar)
{
    record_[F::ACEFilesToProcess] = "(list)";
    open("Work");
    edit(137, [&](FileListEditor& d) {
        EXPECT_EQ(ui_.lastBox().prompt.rfind("Error: 53\r\n", 0), 0u);
        EXPECT_EQ(ui_.lastBox().title, "Quillmate");
        EXPECT_TRUE(d.List1.empty());
        d.cmdOkay_Click();
    });
    EXPECT_EQ(state_.store.ProjectRecord(1)[F::ACEFilesToProcess], "*");
}

TEST_F(FileListEditorTest, UseSameListTakesTheWorkingCopyFirstAndKeepsTheListWithoutOne)
{
    record_[F::ACESFXFilesToProcess] = "D:\\one\\*.doc";
    listOf("Work-ZIP", "committed\r\n");
    listOf("Work-ZIPEXE", "exe committed\r\n");
    listOf("Work-ZIPEXE-hold", "exe held\r\n");
    open("Work");
    edit(158, [&](FileListEditor& d) {
        EXPECT_EQ(d.List1, Lines{"D:\\one\\*.doc"});
        d.OptCloneList_Click(2); // ACE: no list at all
        EXPECT_EQ(ui_.lastBox().title, "No list found!");
        EXPECT_EQ(ui_.lastBox().prompt, "No file list defined for this archive type.");
        EXPECT_EQ(d.List1, Lines{"D:\\one\\*.doc"});
        d.OptCloneList_Click(1);
        EXPECT_EQ(d.List1, Lines{"exe held"});
        d.OptCloneList_Click(0);
        EXPECT_EQ(d.List1, Lines{"committed"});
        EXPECT_TRUE(d.cmdOkay_Click());
    });
    EXPECT_EQ(listText("Work-ACEEXE-hold"), "committed\r\n");
    EXPECT_EQ(listText("Work-ZIP"), "committed\r\n");
}

TEST_F(FileListEditorTest, ScopeButtonsClearAListThatDoesNotFit)
{
    open("Work");
    edit(9, [&](FileListEditor& d) {
        d.List1 = {"a.txt", "sub\\b.txt"};
        d.Option1_Click(1);
        EXPECT_TRUE(d.List1.empty());
        EXPECT_EQ(ui_.lastBox().title, "List cleared");
        EXPECT_EQ(ui_.lastBox().icon, qm::ui::Icon::Information);
        EXPECT_EQ(d.members.FileScope, "Systemwide");

        const std::size_t shown = ui_.boxes().size();
        d.List1 = {"a.txt", "C:\\b.txt"};
        d.Option1_Click(1);
        EXPECT_EQ(d.List1.size(), 2u);
        d.Option1_Click(0);
        EXPECT_TRUE(d.List1.empty());
        EXPECT_EQ(d.members.FileScope, "ProjectFolder");
        EXPECT_EQ(ui_.boxes().size(), shown + 1);
        d.cmdCancel_Click();
    });
    // The ACE kinds take the project folder's scope and keep their entries.
    edit(137, [&](FileListEditor& d) {
        d.List1 = {"C:\\b.txt"};
        d.Option1_Click(1);
        d.Option1_Click(0);
        EXPECT_EQ(d.List1, Lines{"C:\\b.txt"});
        EXPECT_EQ(d.members.FileScope, "ProjectFolder");
        d.cmdCancel_Click();
    });
}

TEST_F(FileListEditorTest, AddFilesPreparesThePickerByScopeAndKind)
{
    open("Work");
    pickers_.files = {qm::pickers::FileAnswer::okay({"a.txt", "b.txt"})};
    edit(9, [&](FileListEditor& d) {
        d.cmdAdd_Click();
        EXPECT_EQ(d.Option1, 0);
        EXPECT_EQ(d.members.FileScope, "ProjectFolder");
        EXPECT_EQ(d.List1, (Lines{"a.txt", "b.txt"}));
        EXPECT_FALSE(d.members.CancelAdd);
        d.cmdOkay_Click();
    });
    ASSERT_EQ(pickers_.fileRequests.size(), 1u);
    EXPECT_EQ(pickers_.fileRequests[0].ParentForm, "frmAddFiles");
    EXPECT_EQ(pickers_.fileRequests[0].folder, win("src"));
    EXPECT_FALSE(pickers_.fileRequests[0].treesEnabled);

    // System-wide ACE: the picker starts in the project folder with its trees.
    edit(137, [&](FileListEditor& d) {
        d.List1 = {"C:\\x.txt"};
        d.cmdAdd_Click();
        EXPECT_EQ(d.members.FileScope, "Systemwide");
        EXPECT_TRUE(d.members.CancelAdd);
        // A cancelled picker leaves the kind's caption alone.
        d.Label3 = "kept";
        d.Form_Activate();
        EXPECT_EQ(d.Label3, "kept");
        d.cmdCancel_Click();
    });
    ASSERT_EQ(pickers_.fileRequests.size(), 2u);
    EXPECT_EQ(pickers_.fileRequests[1].folder, win("src"));
    EXPECT_TRUE(pickers_.fileRequests[1].treesEnabled);
    EXPECT_TRUE(dialogs_.frmAddFiles.CancelAdd); // outlives the dialog

    // The project folder missing: the three-line box and no picker.
    state_.store.ProjectRecord(1)[F::ProjectFolder] = win("gone");
    edit(56, [&](FileListEditor& d) {
        d.cmdAdd_Click();
        EXPECT_EQ(ui_.lastBox().prompt, "Project Folder could not be found.\r\nPlease cancel out of this form,\r\n"
                                        "then select a project folder on the main editing form.");
        d.cmdCancel_Click();
    });
    EXPECT_EQ(pickers_.fileRequests.size(), 2u);
}

} // namespace
