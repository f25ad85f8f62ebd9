// What the record editor's cells open: the exclude-types editor Frame2 and
// the dialogs behind the cell buttons and the before-edit notification.
#include "EditorFixture.h"

#include <gtest/gtest.h>

using namespace qm::editor;
using Shown = std::vector<std::string>;

namespace {

class CellDialogsTest : public qm::editor::test::EditorFixture {
protected:
    std::string& value(F f) { return state_.store.ProjectRecord(1)[f]; }
};

TEST_F(CellDialogsTest, TheFullExcludeEditorShowsALineAnEntryAndJoinsThemAgain)
{
    record_[F::ZIPBackupExcludeTypes] = "doc|txt";
    RecordEditor& e = open("Work");
    EXPECT_FALSE(e.GridEX1_BeforeColEdit(5));
    EXPECT_TRUE(view_.frame2);
    EXPECT_TRUE(view_.locked);
    EXPECT_EQ(view_.text1, "doc\r\ntxt");
    e.cmdExcludeOkay_Click();
    EXPECT_EQ(value(F::ZIPBackupExcludeTypes), "doc|txt");
    EXPECT_FALSE(view_.frame2);
    EXPECT_FALSE(view_.locked);
    EXPECT_EQ(view_.calls.back(), "reReadGrid");

    // Column 52's field; a final line break leaves a final "|", empty lines stay.
    EXPECT_FALSE(e.GridEX1_BeforeColEdit(52));
    EXPECT_EQ(view_.text1, "");
    view_.text1 = "tmp\r\n\r\nbak\r\n";
    e.cmdExcludeOkay_Click();
    EXPECT_EQ(value(F::SFXExcludeFileTypes), "tmp||bak|");
    EXPECT_EQ(value(F::ZIPBackupExcludeTypes), "doc|txt");

    // Okay after another column's edit began changes no field.
    e.GridEX1_BeforeColEdit(52);
    EXPECT_TRUE(e.GridEX1_BeforeColEdit(3));
    view_.text1 = "lost";
    e.cmdExcludeOkay_Click();
    EXPECT_EQ(value(F::SFXExcludeFileTypes), "tmp||bak|");
}

TEST_F(CellDialogsTest, TheSimpleOpeningStoresTheBoxAsTypedAndABackgroundClickDropsIt)
{
    record_[F::ZIPBackupExcludeTypes] = "doc|txt";
    RecordEditor& e = open("Work");
    e.GridEX1_BeforeColEdit(52);
    e.GridEX1_ColButtonClick(5);
    EXPECT_EQ(state_.store.CurrentGridColumn, 5);
    EXPECT_EQ(view_.text1, "doc|txt");
    view_.text1 = "doc|txt|x y";
    e.cmdExcludeOkay_Click();
    EXPECT_EQ(value(F::ZIPBackupExcludeTypes), "doc|txt|x y");

    e.GridEX1_BeforeColEdit(5);
    view_.text1 = "never";
    e.Form_Click();
    EXPECT_FALSE(view_.frame2);
    EXPECT_FALSE(view_.locked);
    EXPECT_EQ(value(F::ZIPBackupExcludeTypes), "doc|txt|x y");
    EXPECT_TRUE(dialogs_.shown.empty());
}

TEST_F(CellDialogsTest, TheGroupItemsWaitForAGroupNameOnTheEditRoadOnly)
{
    RecordEditor& e = open("Work");
    e.GridEX1_BeforeColEdit(9);
    ASSERT_EQ(state_.store.CurrentGridColumn, 9);
    view_.calls.clear();
    EXPECT_FALSE(e.GridEX1_BeforeColEdit(125));
    EXPECT_EQ(ui_.lastBox().prompt, "First you must enter text in the 'EXE Add Program Group' field");
    EXPECT_EQ(ui_.lastBox().title, "Error!");
    EXPECT_EQ(view_.calls, Shown{"moveUp"});
    EXPECT_EQ(state_.store.CurrentGridColumn, 9);
    EXPECT_EQ(dialogs_.shown, Shown{"AddFiles"});

    e.GridEX1_ColButtonClick(125);
    value(F::SFXAddGroupItemApp) = "Tools";
    EXPECT_FALSE(e.GridEX1_BeforeColEdit(125));
    EXPECT_EQ(state_.store.CurrentGridColumn, 125);
    EXPECT_FALSE(e.GridEX1_BeforeColEdit(121));
    e.GridEX1_ColButtonClick(121);
    EXPECT_EQ(dialogs_.shown, (Shown{"AddFiles", "ProgramGroup", "ProgramGroup", "Extensions", "Extensions"}));
    // A plain cell begins its edit.
    EXPECT_TRUE(e.GridEX1_BeforeColEdit(124));
}

TEST_F(CellDialogsTest, TheFileListRoadStoresWhatTheDialogHandsBack)
{
    record_[F::ACESFXFilesToProcess] = "(all files)";
    RecordEditor& e = open("Work");
    dialogs_.onAddFiles = [&](FileListEditor& d) {
        EXPECT_EQ(state_.store.CurrentFilesToProcess, "(all files)");
        EXPECT_TRUE(d.Check1);
        EXPECT_FALSE(d.List1Enabled);
        EXPECT_EQ(d.lblProjectName, "Work");
        EXPECT_EQ(d.members.ParentForm, "frmData");
        EXPECT_EQ(d.members.GridCol, 158);
        EXPECT_EQ(d.members.strArchiveType, "ACEEXE");
        state_.store.CurrentFilesToProcess = "*.doc";
    };
    EXPECT_FALSE(e.GridEX1_BeforeColEdit(158));
    EXPECT_EQ(value(F::ACESFXFilesToProcess), "*.doc");
    EXPECT_EQ(state_.store.CurrentFilesToProcess, "");
    EXPECT_EQ(view_.calls.back(), "repaintGrid");

    // Nothing handed back: the field stays.
    dialogs_.onAddFiles = [&](FileListEditor&) { state_.store.CurrentFilesToProcess.clear(); };
    e.GridEX1_BeforeColEdit(158);
    EXPECT_EQ(value(F::ACESFXFilesToProcess), "*.doc");
}

TEST_F(CellDialogsTest, TheIconButtonStoresTheChosenFileAndTheCommentButtonsOpenTheirKind)
{
    record_[F::SFXProjectIcon] = "old.ico";
    RecordEditor& e = open("Work");
    e.GridEX1_ColButtonClick(91);
    EXPECT_EQ(dialogs_.openFileRequest.title, "Choose an icon file");
    EXPECT_EQ(dialogs_.openFileRequest.defaultExtension, ".ico");
    EXPECT_EQ(dialogs_.openFileRequest.fileName, "*.ico");
    EXPECT_EQ(dialogs_.openFileRequest.filter, "*.ico");
    EXPECT_EQ(value(F::SFXProjectIcon), "old.ico");
    dialogs_.openFile = "C:\\icons\\app.ico";
    e.GridEX1_ColButtonClick(91);
    EXPECT_EQ(value(F::SFXProjectIcon), "C:\\icons\\app.ico");

    std::vector<int> sources;
    dialogs_.onCloneComment = [&](CloneComment& d) {
        sources.push_back(*d.Option1);
        EXPECT_FALSE(d.Check[static_cast<std::size_t>(*d.Option1)]);
    };
    for (int column : {6, 53, 135, 156, 7})
        e.GridEX1_ColButtonClick(column);
    EXPECT_EQ(sources, (std::vector<int>{0, 1, 2, 3}));
}

} // namespace
