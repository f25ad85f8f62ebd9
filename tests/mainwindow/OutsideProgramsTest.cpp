// The outside programs of the main window through its procedures: what
// reaches the launcher (which starts nothing) and which boxes are shown.
#include "app/ProgramState.h"
#include "mainwindow/OutsidePrograms.h"
#include "mainwindow/Procedures.h"
#include "FakeUiServices.h"

#include "FakeMainWindowView.h"
#include "FakeWindows.h"
#include "ProgramHome.h"
#include "RecordingLauncher.h"

using namespace qm::app;
using qm::process::shellcode::FileNotFound;
using qm::ui::Icon;
using V = std::vector<std::string>;

namespace {

class OutsideProgramsTest : public qm::test::ProgramHomeTest {
protected:
    OutsideProgramsTest() { ui_.setUnscriptedResult(qm::ui::mb::OK); }

    // An executable script at `rel` below the program folder; its host path.
    std::string script(const std::string& rel)
    {
        const std::filesystem::path p = native(rel);
        std::filesystem::create_directories(p.parent_path());
        qm::test::writeFile(p, "#!/bin/sh\nexit 0\n");
        std::filesystem::permissions(p, std::filesystem::perms::owner_all);
        return p.string();
    }
    qm::store::UserOptionsRecord& options() { return state_.store.UserOptionsRecord(1); }
    std::vector<std::string> prompts() const
    {
        V out;
        for (const auto& b : ui_.boxes())
            out.push_back(b.prompt);
        return out;
    }

    qm::ui::FakeUiServices ui_;
    qm::test::RecordingLauncher launcher_;
    ProgramState state_{ui_, &launcher_};
    qm::test::FakeMainWindowView view_;
    qm::test::FakeWindows windows_;
    Procedures procs_{state_, view_, windows_.windows};
};

// Written out here as the user reads it, not built as the code builds it.
std::string longMessage(const std::string& commandLine)
{
    return "An error occurred while attempting to run\r\n\r\n" + commandLine +
           "\r\n\r\nThis could happen if you have recently\r\nmade changes to the User Options.\r\n"
           "You must exit, then re-start Quillmate\r\nin order for the changes to take effect.";
}

// What the editor's box says after the command: where the editor is looked
// for and how to choose one.
const std::string EditorChoice =
    "Quillmate tries $VISUAL, then $EDITOR, then the first installed of gnome-text-editor, gedit, kate, kwrite, "
    "mousepad, pluma, xed, featherpad, leafpad or geany, then xdg-open (Debian package xdg-utils).\r\n"
    "To choose an editor, set VISUAL or EDITOR to its command (for example VISUAL=gedit) before you start "
    "Quillmate.";

TEST_F(OutsideProgramsTest, EmptyOptionsGiveOnlyTheirMessagesAndStartNothing)
{
    dispatch(procs_, Command::OpenExternalZIP);
    dispatch(procs_, Command::OpenFavorite);
    EXPECT_EQ(prompts(), (V{"No external ZIP shell defined.\r\nPlease click on the Options buttons to add one.",
                            "No external favorite program defined.\r\nPlease click on the Options buttons to add one."}));
    for (const auto& b : ui_.boxes()) {
        EXPECT_EQ(b.title, "Error!");
        EXPECT_EQ(b.icon, Icon::Critical);
    }
    EXPECT_TRUE(launcher_.starts.empty());
    EXPECT_TRUE(launcher_.requests.empty());
}

TEST_F(OutsideProgramsTest, AProgramThatCannotStartGivesTheLongMessageWithItsText)
{
    // Missing, in a missing folder, not executable: nothing reaches the launcher.
    qm::test::writeFile(native("notes.txt"), "x");
    const V lines{win("Tools/fav.exe") + " /open", win("No Dir/x.exe"), win("notes.txt")};
    for (const std::string& line : lines) {
        options().UserFavoriteAppPath = line;
        procs_.OpenFavorite();
    }
    EXPECT_TRUE(launcher_.starts.empty());
    // Found, but the launcher reports a failure.
    options().UserZIPShellPath = script("Tools/arc");
    launcher_.result = FileNotFound;
    procs_.OpenExternalZIP();
    EXPECT_EQ(launcher_.starts.size(), 1u);
    EXPECT_EQ(prompts(), (V{longMessage(lines[0]), longMessage(lines[1]), longMessage(lines[2]),
                            longMessage(options().UserZIPShellPath)}));
    EXPECT_EQ(ui_.boxes().back().title, "Error!");
    EXPECT_EQ(ui_.boxes().back().icon, Icon::Critical);
}

TEST_F(OutsideProgramsTest, CommandLinesAreSplitByWindowsRulesNeverByAShell)
{
    const std::string arc = script("My Tools/arc");
    qm::test::writeFile(native("Docs/a b.zip"), "PK");
    options().UserZIPShellPath = "\"" + win("My Tools/arc.exe") + "\" -open";
    options().UserFavoriteAppPath = win("My Tools/arc") + " \"" + win("Docs/a b.zip") + "\" $(touch x);";
    procs_.OpenExternalZIP();
    procs_.OpenFavorite();
    EXPECT_EQ(launcher_.starts,
              (std::vector<V>{{arc, "-open"}, {arc, native("Docs/a b.zip").string(), "$(touch", "x);"}}));
    EXPECT_TRUE(ui_.boxes().empty());
}

TEST_F(OutsideProgramsTest, TheEditorGetsTheLogAsOneArgumentInAFolderWithBlanks)
{
    const std::string editor = script("bin/edit");
    qm::test::ScopedEnv visual("VISUAL", editor);
    std::filesystem::create_directories(native("Quill mate"));
    qm::test::ScopedEnv home("QUILLMATE_HOME", native("Quill mate").string());
    dispatch(procs_, Command::OpenNotePad);
    dispatch(procs_, Command::ViewLog);
    EXPECT_EQ(launcher_.starts, (std::vector<V>{{editor}, {editor, native("Quill mate/autoback.log").string()}}));
    EXPECT_TRUE(ui_.boxes().empty());

    // An editor that does not start is reported with its command and how
    // to choose another; nothing ends.
    launcher_.result = FileNotFound;
    procs_.OpenNotePad();
    procs_.ViewLog();
    EXPECT_EQ(prompts(), (V{"Could not start the text editor:\r\n\r\n" + editor + "\r\n\r\n" + EditorChoice,
                            "Could not start the text editor:\r\n\r\n" + editor + " " + win("Quill mate") +
                                "\\autoback.log\r\n\r\n" + EditorChoice}));
    EXPECT_EQ(ui_.boxes()[1].title, "Error!");
    EXPECT_TRUE(view_.calls.empty());
}

// No editor, and the desktop's opener that stands in for one fails at once
// (as xdg-open does, on its standard error only, with no program for the
// file): with the process layer's own launcher both commands say so.
TEST_F(OutsideProgramsTest, AnEditorThatFailsAtOnceIsReported)
{
    qm::test::writeFile(native("opener/xdg-open"), "#!/bin/sh\nexit 1\n");
    std::filesystem::permissions(native("opener/xdg-open"), std::filesystem::perms::owner_all);
    qm::test::ScopedEnv path("PATH", native("opener").string());
    qm::test::ScopedEnv visual("VISUAL", std::nullopt);
    qm::test::ScopedEnv editor("EDITOR", std::nullopt);
    ProgramState state(ui_);
    Procedures procs(state, view_, windows_.windows);
    dispatch(procs, Command::OpenNotePad);
    dispatch(procs, Command::ViewLog);
    const std::string opener = native("opener/xdg-open").string();
    EXPECT_EQ(prompts(), (V{"Could not start the text editor:\r\n\r\n" + opener + "\r\n\r\n" + EditorChoice,
                            "Could not start the text editor:\r\n\r\n" + opener + " " + win("autoback.log") +
                                "\r\n\r\n" + EditorChoice}));
    for (const auto& b : ui_.boxes())
        EXPECT_EQ(b.title, "Error!");

    // One that opens the log says nothing.
    qm::test::writeFile(native("opener/xdg-open"), "#!/bin/sh\nexit 0\n");
    procs.ViewLog();
    EXPECT_EQ(ui_.boxes().size(), 2u);

    // No editor at all, not even the opener: the box says so.
    std::filesystem::remove(native("opener/xdg-open"));
    procs.OpenNotePad();
    procs.ViewLog();
    EXPECT_EQ(prompts().at(2), "Could not start the text editor:\r\n\r\nNone was found: " + EditorChoice);
    EXPECT_EQ(prompts().at(3),
              "Could not start the text editor:\r\n\r\n" + win("autoback.log") + "\r\n\r\nNone was found: " +
                  EditorChoice);
}

TEST_F(OutsideProgramsTest, LinksOpenThroughTheShellAndAFailureGivesTheBrowserMessage)
{
    dispatch(procs_, Command::GoFenwold);
    OutsidePrograms(ui_, launcher_).EmailAuthor();
    ASSERT_EQ(launcher_.requests.size(), 2u);
    for (const auto& r : launcher_.requests) {
        EXPECT_EQ(r.verb, "Open");
        EXPECT_EQ(r.parameters, "");
        EXPECT_EQ(r.directory, "C:\\");
        EXPECT_FALSE(r.keepProcess);
    }
    EXPECT_EQ(launcher_.requests[0].file, "https://quillmate.example.org/");
    EXPECT_EQ(launcher_.requests[1].file, "mailto:help@quillmate.example.org");
    EXPECT_TRUE(ui_.boxes().empty());

    launcher_.result = 33; // the lowest success
    procs_.GoFenwold();
    EXPECT_TRUE(ui_.boxes().empty());
    launcher_.result = 32;
    procs_.GoFenwold();
    ASSERT_EQ(ui_.boxes().size(), 1u);
    EXPECT_EQ(ui_.boxes()[0].prompt,
              "There was an error launching your default web browser or connecting to the internet.");
    EXPECT_EQ(ui_.boxes()[0].title, "Quillmate");
    EXPECT_EQ(ui_.boxes()[0].icon, Icon::Critical);
}

// The help page, whole or at a window's topic: a section is a link to the
// page; a page that is not there is reported by its name.
TEST_F(OutsideProgramsTest, HelpOpensThePageOrAWindowsTopicAndAMissingPageIsNamed)
{
    std::filesystem::create_directories(native("Quill mate"));
    qm::test::ScopedEnv home("QUILLMATE_HOME", native("Quill mate").string());
    procs_.Form_Load("", nullptr);
    qm::test::writeFile(native("Quill mate/Quillmate.html"), "<html></html>");
    // The test's own folder has no character that needs encoding.
    const std::string page = "file://" + native("Quill mate").parent_path().string() + "/Quill%20mate/Quillmate.html";

    dispatch(procs_, Command::Help);
    procs_.HelpFor("frmAbout");
    contextHelp(state_, "frmData")(7);
    contextHelp(state_, "frmData")(0);
    ASSERT_EQ(launcher_.requests.size(), 4u);
    EXPECT_EQ(launcher_.requests[0].file, state_.HelpFile);
    EXPECT_EQ(launcher_.requests[0].directory, "C:\\");
    EXPECT_EQ(launcher_.requests[1].file, page + "#frmAbout");
    EXPECT_EQ(launcher_.requests[2].file, page + "#frmData-7");
    EXPECT_EQ(launcher_.requests[3].file, page + "#frmData");
    EXPECT_TRUE(ui_.boxes().empty());

    // Without the page the section is dropped and the shell's refusal named.
    std::filesystem::remove(native("Quill mate/Quillmate.html"));
    launcher_.result = FileNotFound;
    procs_.HelpFor("frmAbout");
    EXPECT_EQ(launcher_.requests.back().file, state_.HelpFile);
    ASSERT_EQ(ui_.boxes().size(), 1u);
    EXPECT_EQ(ui_.boxes()[0].prompt, "The help file could not be opened:\r\n\r\n" + state_.HelpFile);
    EXPECT_EQ(ui_.boxes()[0].title, "Error!");
}

// With no opener installed (PATH without xdg-open, the process layer's own
// launcher), Help and a window's help say what is needed.
TEST_F(OutsideProgramsTest, HelpWithNoOpenerInstalledSaysThatAnOpenerIsNeeded)
{
    std::filesystem::create_directories(native("no opener"));
    qm::test::ScopedEnv path("PATH", native("no opener").string());
    qm::test::writeFile(native("Quillmate.html"), "<html></html>");
    ProgramState state(ui_);
    state.HelpFile = win("Quillmate.html");
    Procedures procs(state, view_, windows_.windows);
    dispatch(procs, Command::Help);
    procs.HelpFor("frmAbout");
    const std::string needs = "The help file could not be opened:\r\n\r\n" + state.HelpFile +
                              "\r\n\r\nOpening it needs the desktop's opener, xdg-open\r\n"
                              "(Debian package xdg-utils), and a program\r\nfor its kind of file.";
    EXPECT_EQ(prompts(), (V{needs, needs}));
    for (const auto& b : ui_.boxes()) {
        EXPECT_EQ(b.title, "Error!");
        EXPECT_EQ(b.icon, Icon::Critical);
    }
}

} // namespace
