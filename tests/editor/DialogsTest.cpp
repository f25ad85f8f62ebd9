// The comment cloning dialog and the self-extractor's two slot editors,
// opened from the record editor; the scripts act as the user.
#include "EditorFixture.h"

#include <gtest/gtest.h>

using namespace qm::editor;

namespace {

class CommentTest : public qm::editor::test::EditorFixture {
protected:
    std::string& comment(F f) { return state_.store.ProjectRecord(1)[f]; }
};

TEST_F(CommentTest, TheCellsKindIsTheSourceAndCannotBeItsOwnDestination)
{
    record_[F::ACEComments] = "ace text";
    RecordEditor& e = open("Work");
    dialogs_.onCloneComment = [&](CloneComment& d) {
        EXPECT_EQ(d.lblProjectName, "Work");
        EXPECT_EQ(d.Option1, 2);
        EXPECT_EQ(d.txtComment, "ace text");
        EXPECT_FALSE(d.txtCommentEnabled);
        d.Check_Click(2, true);
        EXPECT_EQ(ui_.lastBox().prompt, "Comment Clone TO must not be the same as Comment Clone FROM.");
        EXPECT_FALSE(d.Check[2]);
        // A box checked before its kind became the source keeps its check.
        d.Check_Click(0, true);
        d.Option1_Click(0);
        EXPECT_TRUE(d.Check[0]);
    };
    e.GridEX1_ColButtonClick(135);
    EXPECT_EQ(dialogs_.shown, std::vector<std::string>{"CloneComment"});

    // The right button on the "Comments" group of the ACE self-extractor
    // opens it; on any other group nothing.
    dialogs_.onCloneComment = [](CloneComment& d) { EXPECT_EQ(d.Option1, 3); };
    e.Option1_MouseDown(36, 2);
    e.Option1_MouseDown(7, 2);
    e.Option1_MouseDown(12, 1);
    EXPECT_EQ(dialogs_.shown.size(), 2u);
}

TEST_F(CommentTest, CloneCopiesAStoredCommentAsStoredAndANewOneTrimmed)
{
    RecordEditor& e = open("Work");
    comment(F::SFXComments) = " y ";
    dialogs_.onCloneComment = [&](CloneComment& d) {
        // An empty source shows the placeholder, which is never cloned.
        d.Option1_Click(3);
        EXPECT_EQ(d.txtComment, NoCommentShown);
        d.Check_Click(0, true);
        EXPECT_FALSE(d.Command2_Click());
        EXPECT_EQ(ui_.lastBox().prompt, "No comment saved for this archive type.");
        EXPECT_EQ(comment(F::ZIPComments), "");
        d.Option1_Click(NewCommentSource);
        EXPECT_TRUE(d.txtCommentEnabled);
        EXPECT_TRUE(d.focusComment);
        d.txtComment = "   ";
        EXPECT_FALSE(d.Command2_Click());
        d.txtComment_LostFocus();
        EXPECT_FALSE(d.txtCommentEnabled);

        d.txtComment = "  x\r\nz  ";
        d.Check_Click(2, true);
        EXPECT_TRUE(d.Command2_Click());
    };
    e.GetComments(12);
    EXPECT_EQ(comment(F::ZIPComments), "x\rz");
    EXPECT_EQ(comment(F::ACEComments), "x\rz");
    EXPECT_EQ(comment(F::SFXComments), " y ");
    EXPECT_EQ(ui_.lastBox().title, "Done!");
    EXPECT_EQ(view_.calls.back(), "reReadGrid");

    dialogs_.onCloneComment = [&](CloneComment& d) {
        d.Check_Click(3, true);
        EXPECT_TRUE(d.Command2_Click());
    };
    e.GetComments(12);
    EXPECT_EQ(comment(F::ACESFXComments), " y ");

    // Nothing checked: "Done!" all the same, nothing changed.
    const qm::store::ProjectRecord before = state_.store.ProjectRecord(1);
    dialogs_.onCloneComment = [](CloneComment& d) { EXPECT_TRUE(d.Command2_Click()); };
    e.GetComments(4);
    EXPECT_EQ(ui_.lastBox().title, "Done!");
    EXPECT_EQ(state_.store.ProjectRecord(1)[F::ZIPComments], before[F::ZIPComments]);
    EXPECT_EQ(state_.store.ProjectRecord(1)[F::ACESFXComments], before[F::ACESFXComments]);
}

class SlotTest : public qm::editor::test::EditorFixture {
protected:
    // The slot editor of `kind` on the record as it is now.
    SlotEditor slots(SlotKind kind) { return SlotEditor(state_, view_, kind); }
    std::string& associations() { return state_.store.ProjectRecord(1)[F::SFXAssociateExtension]; }
    std::string& items() { return state_.store.ProjectRecord(1)[F::SFXAddGroupItemDescription]; }
    static void fill(SlotEditor& d, int slot, std::initializer_list<const char*> parts)
    {
        int i = (slot - 1) * d.parts();
        for (const char* p : parts)
            d.Text1_Change(i++, p);
    }
};

TEST_F(SlotTest, SaveStoresTheCompleteSlotsInOrderAndReopensThemFromTheTop)
{
    open("Work");
    SlotEditor d = slots(SlotKind::Extensions);
    EXPECT_EQ(d.caption, "Creating/Editing file extension associations for Work");
    fill(d, 2, {"Text file", "txt", "%w\\notepad.exe"});
    fill(d, 5, {" ", "log", " "});
    EXPECT_TRUE(d.cmdSave_Click());
    EXPECT_EQ(associations(), "Text file|txt|%w\\notepad.exe\r |log| ");
    EXPECT_EQ(view_.calls.back(), "reReadGrid");

    SlotEditor again = slots(SlotKind::Extensions);
    EXPECT_EQ(again.Text1[0], "Text file");
    EXPECT_EQ(again.Text1[2], "%w\\notepad.exe");
    EXPECT_EQ(again.Text1[3], " ");
    EXPECT_EQ(again.Text1[6], "");

    for (int k = 1; k <= 8; ++k)
        fill(again, k, {"d", "e", "C:\\p"});
    EXPECT_TRUE(again.cmdSave_Click());
    EXPECT_EQ(std::count(associations().begin(), associations().end(), '\r'), 7);
    EXPECT_NE(associations().back(), '\r');

    // Ten stored items: nine and ten are kept after the slots. An item of
    // fewer parts fills the boxes it has.
    associations() += "\rnine|n|C:\\9\rten|t|C:\\10";
    associations().replace(0, associations().find('\r'), "one|o");
    SlotEditor ten = slots(SlotKind::Extensions);
    EXPECT_EQ(ten.Text1[1], "o");
    EXPECT_EQ(ten.Text1[2], "");
    fill(ten, 1, {"one", "o", "C:\\1"});
    fill(ten, 2, {"", "", ""});
    EXPECT_TRUE(ten.cmdSave_Click());
    EXPECT_EQ(associations().substr(0, 12), "one|o|C:\\1\rd");
    EXPECT_TRUE(associations().ends_with("\rnine|n|C:\\9\rten|t|C:\\10"));
    EXPECT_EQ(std::count(associations().begin(), associations().end(), '\r'), 8);

    // Cancel: nothing stored.
    const std::string stored = associations();
    SlotEditor cancelled = slots(SlotKind::Extensions);
    fill(cancelled, 1, {"", "", ""});
    EXPECT_EQ(associations(), stored);
}

TEST_F(SlotTest, SaveNamesTheFirstIncompleteSlotAndStoresNothing)
{
    record_[F::SFXAssociateExtension] = "kept|k|C:\\k";
    open("Work");
    SlotEditor d = slots(SlotKind::Extensions);
    fill(d, 3, {"only"});
    fill(d, 4, {"x", "y"});
    fill(d, 6, {"", "z"});
    EXPECT_FALSE(d.cmdSave_Click());
    EXPECT_EQ(ui_.lastBox().prompt, "Cannot save a file extension association\r\nwithout all three required fields.\r\n"
                                    "\r\nPlease re-enter or clear the fields for Item #3");
    EXPECT_EQ(ui_.lastBox().title, "Error!");
    EXPECT_EQ(associations(), "kept|k|C:\\k");

    d.Combo1 = "";
    d.cmdGo_Click();
    EXPECT_EQ(ui_.lastBox().prompt,
              "No item number is selected from the drop-down box to the right of the 'Remove item #' button.");
    d.Combo1 = "03";
    d.cmdGo_Click();
    d.Combo1 = "6";
    d.cmdGo_Click(); // not an item number: nothing
    EXPECT_EQ(d.Text1[10], "y");
    EXPECT_FALSE(d.cmdSave_Click());
    EXPECT_TRUE(ui_.lastBox().prompt.ends_with("Item #4"));
    EXPECT_EQ(associations(), "kept|k|C:\\k");
}

TEST_F(SlotTest, AnExtensionMustBeginWithALetterAlsoWhenStored)
{
    record_[F::SFXAssociateExtension] = "a|.bad|C:\\x\rb|_ok|C:\\y";
    open("Work");
    SlotEditor d = slots(SlotKind::Extensions);
    ASSERT_EQ(ui_.boxes().size(), 1u);
    EXPECT_EQ(ui_.lastBox().prompt, "Illegal character");
    EXPECT_EQ(d.Text1[1], "");
    EXPECT_EQ(d.Text1[4], "_ok");
    EXPECT_TRUE(d.Text1_Change(7, "1x"));
    EXPECT_EQ(d.Text1[7], "");
    EXPECT_FALSE(d.Text1_Change(7, "Zip.1"));
    // Other boxes are not looked at.
    EXPECT_FALSE(d.Text1_Change(6, ".desc"));
    EXPECT_EQ(ui_.boxes().size(), 2u);
}

TEST_F(SlotTest, APathnameNeedsADriveOrMacroAndAFolderDelimiter)
{
    open("Work");
    SlotEditor d = slots(SlotKind::Extensions);
    int focusBack = 0;
    const auto check = [&](const std::string& path) {
        d.Text1_Change(2, path);
        const std::size_t before = ui_.boxes().size();
        d.Text1_LostFocus(2, [&] { ++focusBack; });
        return ui_.boxes().size() == before ? std::string() : ui_.lastBox().prompt;
    };
    EXPECT_EQ(check("%p\\x"), "");
    EXPECT_EQ(check("C:\\a.exe"), "");
    EXPECT_EQ(check(""), "");
    EXPECT_EQ(focusBack, 0);
    EXPECT_EQ(check("x.exe"), "The pathname field is incorrectly formatted.\r\n\r\n"
                              "It is missing the drive designation character (colon);\r\n(e.g., C:\\MyFolder)");
    const std::string delimiter = "The pathname fields is incorrectly formatted.\r\n\r\n"
                                  "It is missing the folder delimiter ('\\' character)";
    EXPECT_EQ(check("C:"), delimiter);
    EXPECT_EQ(check("%p"), delimiter);
    EXPECT_EQ(focusBack, 3);
    EXPECT_EQ(d.Text1[2], "%p");
    // The description box is not checked.
    d.Text1_Change(0, "x");
    d.Text1_LostFocus(0, [&] { ++focusBack; });

    // Giving the focus back makes another box lose it: no second message.
    d.Text1_Change(5, "bad");
    const std::size_t before = ui_.boxes().size();
    d.Text1_LostFocus(2, [&] { d.Text1_LostFocus(5, [&] { ++focusBack; }); });
    EXPECT_EQ(ui_.boxes().size(), before + 1);
    EXPECT_EQ(focusBack, 3);
}

TEST_F(SlotTest, TheProgramGroupHasTwoBoxesASlotAndNamesTheDefaults)
{
    record_[F::SFXAddGroupItemDescription] = "%d\\Tool.exe|Tool|extra\r.x|1st";
    open("Work");
    SlotEditor d = slots(SlotKind::ProgramGroup);
    EXPECT_EQ(d.caption, "Creating/Editing Program items for Work");
    EXPECT_EQ(d.Label15, "Work");
    EXPECT_EQ(d.Text1.size(), 16u);
    EXPECT_EQ(d.Text1[1], "Tool");
    EXPECT_EQ(d.Text1[3], "1st"); // no first-character check here
    EXPECT_TRUE(ui_.boxes().empty());
    EXPECT_TRUE(d.isPathnameBox(2));
    EXPECT_FALSE(d.isPathnameBox(3));

    fill(d, 3, {"", "Read me"});
    EXPECT_FALSE(d.cmdSave_Click());
    EXPECT_EQ(ui_.lastBox().prompt, "Cannot save a group item\r\nwithout both required fields.\r\n\r\n"
                                    "Please re-enter or clear the fields for Item #3");
    d.Combo1 = "03";
    d.cmdGo_Click();
    fill(d, 7, {"%d\\Readme.txt", "Read me"});
    EXPECT_TRUE(d.cmdSave_Click());
    EXPECT_EQ(items(), "%d\\Tool.exe|Tool\r.x|1st\r%d\\Readme.txt|Read me");

    state_.store.CurrentProjectIni = qm::store::Store::defaultsPath();
    EXPECT_EQ(slots(SlotKind::ProgramGroup).Label15, "Default Settings");
    EXPECT_EQ(slots(SlotKind::ProgramGroup).caption, "Creating/Editing Default settings");
    EXPECT_EQ(slots(SlotKind::Extensions).caption, "Creating/Editing default file extension associations");
}

} // namespace
