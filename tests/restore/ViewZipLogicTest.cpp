// The archive contents window's logic without a window: the rows are those
// of an archive made by our zip control, the window and its target dialog
// a recording view that answers from a script.
#include "restore/ViewZip.h"

#include "platform/fs/CurrentFolder.h"

#include "FakeViewZipView.h"
#include "RestoreHome.h"

namespace {

using namespace qm::restore;
using qm::ui::mb::OK;

class ViewZipLogicTest : public qm::test::RestoreHome {
protected:
    ViewZipLogicTest() { std::filesystem::create_directories(native("target")); }

    // The archive "out\x.qmt" of `files`, shown as a project's listing shows
    // it: its entries the rows, in archive order, none selected.
    void open(const std::map<std::string, std::string>& files)
    {
        makeSource("x", files);
        makeArchive(win("src-x"), archive_);
        writeProject("x", zipProject("x")); // the project the main window has loaded
        state_.store.CurrentProjectIni = win("Projects/x");
        state_.store.LoadProject();
        contents_.windowCaption = "Viewing: x (" + archive_ + ")";
        logic_.ProjectName = archive_;
        logic_.ParentForm = "Form1";
        for (const std::string& name : entries(archive_))
            contents_.rows.push_back({name, false});
    }
    // The target dialog's Okay on the folder "target", "Overwrite all" and
    // "No date checks" chosen.
    ExtractTargetAnswer toTarget() const { return {win("target"), 0, 0}; }

    qm::test::FakeViewZipView contents_;
    ViewZip logic_{state_, contents_, {&busy_, {}}, clock_};
    const std::string archive_ = win("out/x.qmt");
};

TEST_F(ViewZipLogicTest, ACaptionNamingADriveMakesItCurrentAndAFailureIsShown)
{
    open({{"a.txt", "A"}});
    contents_.select({"a.txt"});
    contents_.windowCaption = "Viewing: Q:\\x.qmt"; // no drive Q:
    logic_.Extract();
    ASSERT_EQ(ui_.boxes().size(), 1u);
    EXPECT_EQ(ui_.boxes()[0].prompt.rfind("Error: 68\r\n", 0), 0u) << ui_.boxes()[0].prompt;
    EXPECT_FALSE(contents_.progressWatch);
    EXPECT_TRUE(contents_.targetLabels.empty()); // the target dialog never opened

    contents_.windowCaption = "Viewing: " + archive_;
    contents_.targets.push_back(toTarget());
    logic_.Extract();
    EXPECT_EQ(contents_.targetLabels, std::vector<std::optional<std::string>>{std::nullopt});
    EXPECT_EQ(qm::fs::CurDir(), "C:\\");
}

// An Open extracts without folder names; the next Extract restores them,
// so entries of one name in different folders all arrive.
TEST_F(ViewZipLogicTest, ExtractAfterOpenKeepsTheFoldersOfTheEntries)
{
    const std::filesystem::path editor = native("editor");
    qm::test::writeFile(editor, "#!/bin/sh\nexit 0\n");
    std::filesystem::permissions(editor, std::filesystem::perms::owner_all);
    qm::test::ScopedEnv visual("VISUAL", editor.string());
    open({{"x.txt", "top"}, {"sub/x.txt", "deep"}, {"sub/two/y.txt", "y"}});
    contents_.select({"sub\\x.txt"});
    logic_.Open();
    EXPECT_EQ(qm::test::readFile(native("Temp/x.txt")), "deep");

    contents_.targets.push_back(toTarget());
    logic_.Extract(); // the row chosen for Open
    EXPECT_EQ(tree(native("target")), (std::map<std::string, std::string>{{"sub/x.txt", "deep"}}));

    std::filesystem::remove_all(native("target"));
    std::filesystem::create_directories(native("target"));
    contents_.select({});
    ui_.answer(OK); // extract all
    contents_.targets.push_back(toTarget());
    logic_.Extract();
    EXPECT_EQ(tree(native("target")), (std::map<std::string, std::string>{
                                          {"x.txt", "top"}, {"sub/x.txt", "deep"}, {"sub/two/y.txt", "y"}}));
    EXPECT_EQ(prompts().back(), "Quillmate: Files unzipped successfully.");
}

// Rows whose names differ only in case are entries of their own: the chosen
// one is the one extracted, and the one deleted.
TEST_F(ViewZipLogicTest, TheChosenOfTwoNamesThatDifferInCaseIsTheOneTaken)
{
    open({{"A.txt", "upper"}, {"a.txt", "lower"}});
    ASSERT_EQ(contents_.rows.size(), 2u);
    contents_.select({"a.txt"});
    contents_.targets.push_back(toTarget());
    logic_.Extract();
    EXPECT_EQ(tree(native("target")), (std::map<std::string, std::string>{{"a.txt", "lower"}}));

    contents_.select({"A.txt"});
    ui_.answer(OK);
    logic_.Delete();
    EXPECT_EQ(entries(archive_), std::vector<std::string>{"a.txt"});
}

} // namespace
