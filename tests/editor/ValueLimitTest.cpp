// Values that the project file would give back cut (it keeps 255 bytes of a
// field) are refused by every road of the editor into the record, so that a
// saved record reads back as it was saved.
#include "EditorFixture.h"

#include "store/Store.h"

#include <gtest/gtest.h>

using namespace qm::editor;

namespace {

class ValueLimitTest : public qm::editor::test::EditorFixture {
protected:
    std::string& value(F f) { return state_.store.ProjectRecord(1)[f]; }
    // The record's Save, then the file read back as the next load reads it.
    qm::store::ProjectRecord savedAndRead()
    {
        editor_->cmdSave_Click();
        EXPECT_EQ(ui_.lastBox().prompt, "Project data saved successfully.");
        return qm::store::Store::readProject(win("Projects/Work"));
    }
    // The refusal box for `what`, `bytes` long.
    void expectRefused(const std::string& what, std::size_t bytes)
    {
        EXPECT_EQ(ui_.lastBox().title, "Error!");
        EXPECT_EQ(ui_.lastBox().icon, qm::ui::Icon::Critical);
        EXPECT_EQ(ui_.lastBox().prompt.rfind(what + " is too long to be saved: it takes " + std::to_string(bytes) +
                                                 " bytes, and a project file keeps at most 255 bytes",
                                             0),
                  0u)
            << ui_.lastBox().prompt;
    }
};

TEST_F(ValueLimitTest, TheSlotEditorsRefuseAListTheFileWouldCut)
{
    record_[F::SFXAssociateExtension] = "kept|k|C:\\k";
    open("Work");
    // Eight associations of 535 bytes in all.
    SlotEditor d(state_, view_, SlotKind::Extensions);
    for (int k = 0; k < SlotCount; ++k) {
        d.Text1_Change(3 * k, "Document kind " + std::to_string(k) + " of project");
        d.Text1_Change(3 * k + 1, "ext" + std::to_string(k));
        d.Text1_Change(3 * k + 2, "C:\\Program Files\\Viewers\\view" + std::to_string(k) + ".exe");
    }
    ASSERT_EQ(d.packed().size(), 535u);
    EXPECT_FALSE(d.cmdSave_Click());
    expectRefused("The list of file associations", 535);
    EXPECT_EQ(value(F::SFXAssociateExtension), "kept|k|C:\\k");

    // Four items with a shorter last path, 255 bytes exactly: stored, and the
    // saved record gives the list back whole.
    for (const char* slot : {"05", "06", "07", "08"}) {
        d.Combo1 = slot;
        d.cmdGo_Click();
    }
    d.Text1_Change(3 * 3 + 2, "C:\\Tools\\Viewer\\v3.exe");
    ASSERT_EQ(d.packed().size(), 255u);
    EXPECT_TRUE(d.cmdSave_Click());
    const std::string list = value(F::SFXAssociateExtension);
    EXPECT_EQ(savedAndRead()[F::SFXAssociateExtension], list);

    // The program group items: one long item is enough.
    SlotEditor g(state_, view_, SlotKind::ProgramGroup);
    g.Text1_Change(0, "%d\\" + std::string(250, 'p') + ".exe");
    g.Text1_Change(1, "Tool");
    EXPECT_FALSE(g.cmdSave_Click());
    expectRefused("The list of program group items", 262);
    EXPECT_EQ(value(F::SFXAddGroupItemDescription), "");
}

TEST_F(ValueLimitTest, CloningRefusesALongCommentAndCountsALineBreakAsOneByte)
{
    RecordEditor& e = open("Work");
    dialogs_.onCloneComment = [&](CloneComment& d) {
        d.Option1_Click(NewCommentSource);
        d.txtComment = std::string(300, 'c');
        d.Check_Click(1, true);
        EXPECT_FALSE(d.Command2_Click());
        expectRefused("The comment", 300);
        EXPECT_EQ(value(F::SFXComments), "");
        // 85 lines of "ab" CR LF: 340 typed, 255 stored.
        d.txtComment.clear();
        for (int i = 0; i < 85; ++i)
            d.txtComment += "ab\r\n";
        EXPECT_TRUE(d.Command2_Click());
    };
    e.GetComments(4);
    EXPECT_EQ(ui_.lastBox().title, "Done!");
    const std::string comment = value(F::SFXComments);
    EXPECT_EQ(comment.size(), 255u);
    EXPECT_EQ(savedAndRead()[F::SFXComments], comment);
}

TEST_F(ValueLimitTest, TheExcludeEditorStaysOpenOnALongList)
{
    record_[F::ZIPBackupExcludeTypes] = "doc|txt";
    RecordEditor& e = open("Work");
    e.GridEX1_BeforeColEdit(5);
    std::string lines;
    for (int i = 0; i < 70; ++i)
        lines += (i ? "\r\n" : "") + std::string("e") + std::to_string(1000 + i); // 5 bytes and "|" each
    view_.text1 = lines;
    e.cmdExcludeOkay_Click();
    expectRefused("The list of excluded file types", 419);
    EXPECT_EQ(value(F::ZIPBackupExcludeTypes), "doc|txt");
    EXPECT_TRUE(view_.frame2);
    EXPECT_TRUE(view_.locked);
    EXPECT_EQ(view_.text1, lines);

    // Shortened to 255 bytes, it goes in.
    view_.text1 = lines.substr(0, 7 * 41 + 5) + "\r\nabc";
    e.cmdExcludeOkay_Click();
    EXPECT_FALSE(view_.frame2);
    EXPECT_EQ(value(F::ZIPBackupExcludeTypes).size(), 255u);
    EXPECT_EQ(savedAndRead()[F::ZIPBackupExcludeTypes], value(F::ZIPBackupExcludeTypes));
}

TEST_F(ValueLimitTest, PickedPathsAndTheRecordsSaveAreCheckedToo)
{
    RecordEditor& e = open("Work");
    const std::string deep = "E:\\" + std::string(260, 'f');
    pickers_.folders = {qm::pickers::FolderAnswer::okay(deep)};
    e.GridEX1_ColButtonClick(2);
    expectRefused("The folder's path", 263);
    EXPECT_EQ(value(F::ProjectFolder), "C:\\data");

    dialogs_.openFile = deep + ".ico";
    e.GridEX1_ColButtonClick(91);
    expectRefused("The icon file's path", 267);
    EXPECT_EQ(value(F::SFXProjectIcon), "");

    // A name that the ".qmt" Save offers to add would push over the limit:
    // the record is not written.
    const std::string before = projectText("Work");
    value(F::ZIPBackFile) = std::string(253, 'n');
    ui_.answer(qm::ui::mb::OK);
    e.cmdSave_Click();
    expectRefused("The field \"QMT Filename\"", 257);
    EXPECT_EQ(projectText("Work"), before);
    EXPECT_NE(view_.calls.back(), "closeWindow");
}

} // namespace
