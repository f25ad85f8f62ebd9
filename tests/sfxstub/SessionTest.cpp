// The self-extractor's session with a scripted UI: start prompts, the
// destination, the engine's questions, results, actions and temporary mode.
#include "FakeSfxUi.h"
#include "SfxTestUtil.h"

#include "platform/fs/Paths.h"
#include "platform/registry/Registry.h"
#include "sfxstub/ExitStatus.h"
#include "sfxstub/Macros.h"
#include "sfxstub/Session.h"

#include <gtest/gtest.h>

namespace qm::sfxstub::test {
namespace {

namespace stdfs = std::filesystem;
using qm::test::readFile;
using qm::test::writeFile;
using qm::zip::test::rawZip;

qm::sfx::SfxConfig baseConfig()
{
    qm::sfx::SfxConfig c;
    c.OkCaption = "OK";
    c.CancelCaption = "Cancel";
    c.YesCaption = "Yes";
    c.NoCaption = "No";
    c.YesToAllCaption = "Yes to all";
    c.NoToAllCaption = "No to all";
    c.ContinueCaption = "Continue";
    c.ExitCaption = "Exit";
    c.AgreeCaption = "I agree";
    c.RefuseCaption = "I refuse";
    c.Caption = "Demo";
    c.FailureText = "Failed (error %e) in %D, %T.";
    c.SuccessText = "Done in %D%%.";
    c.OverwriteText = "Replace %F?";
    c.ShowProgress = 1;
    c.ShowFailureMessage = 1;
    return c;
}

class SfxSessionTest : public ::testing::Test {
protected:
    void SetUp() override { stdfs::create_directories(exeDir); }
    // The program: a stand-in stub, the block, the archive (offsets from 0).
    void writeSfx(const qm::sfx::SfxConfig& c, const std::string& archive)
    {
        const auto m = qm::sfx::marker();
        std::optional<std::string> block = qm::sfx::encodeBlock(c);
        ASSERT_TRUE(block);
        writeFile(exe, std::string(qm::sfx::MarkerSearchStart, 'x')
                           + std::string(reinterpret_cast<const char*>(m.data()), m.size()) + *block + archive);
    }
    int run(SfxSession& s) { return s.run(); }

    qm::test::TempDir tmp{"qm-sfx-session"};
    stdfs::path exeDir = tmp / "prog";
    stdfs::path exe = exeDir / "setup.exe";
    FakeSfxUi ui;
    const std::string twoFiles = rawZip({{"a.txt", "alpha"}, {"sub/b.txt", "beta"}});
};

TEST_F(SfxSessionTest, ExtractsIntoTheProgramsFolderWithProgressAndSuccess)
{
    auto c = baseConfig();
    c.ShowSuccessMessage = 1;
    writeSfx(c, twoFiles);
    SfxSession s(ui, exe.string());
    EXPECT_EQ(s.run(), result::Ok); // the warning of data in front counts as success
    EXPECT_EQ(readFile(exeDir / "a.txt"), "alpha");
    EXPECT_EQ(readFile(exeDir / "sub" / "b.txt"), "beta");
    EXPECT_EQ(ui.extractWindows, 1);
    EXPECT_FALSE(ui.extractShown);
    EXPECT_EQ(ui.files.front(), "a.txt (0%)");
    EXPECT_EQ(ui.percents.back(), 100);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, "Done in " + win(exeDir) + "%.");
    EXPECT_EQ(ui.boxes[0].icon, Icon::Information);
}

TEST_F(SfxSessionTest, DecliningAPromptEndsWith190WithoutTheFailureMessage)
{
    auto c = baseConfig();
    c.ConfirmStart = 1;
    c.ConfirmText = "Install?";
    writeSfx(c, twoFiles);
    ui.answers = {button::Exit};
    SfxSession s(ui, exe.string());
    EXPECT_EQ(s.run(), result::Stopped);
    EXPECT_EQ(ui.styles(), std::vector<int>{style::ContinueExit});
    EXPECT_FALSE(stdfs::exists(exeDir / "a.txt"));

    // The agreement refused by its close box, and the destination dialog left.
    c.ConfirmStart = 0;
    c.ShowAgreement = 1;
    c.AgreementText = "Terms";
    writeSfx(c, twoFiles);
    ui = {};
    ui.answers = {ClosedByFrame};
    SfxSession s2(ui, exe.string());
    EXPECT_EQ(s2.run(), result::Stopped);
    EXPECT_EQ(ui.styles(), std::vector<int>{style::Agreement});

    c.ShowAgreement = 0;
    c.AskDestination = 1;
    writeSfx(c, twoFiles);
    ui = {};
    SfxSession s3(ui, exe.string());
    EXPECT_EQ(s3.run(), result::Stopped);
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_FALSE(stdfs::exists(exeDir / "a.txt"));
}

TEST_F(SfxSessionTest, AnEntryNotWrittenFailsWith40AndRunsNoActions)
{
    auto c = baseConfig();
    c.CommandList = "#KHKCU\\Software\\QmTest|after|5";
    writeSfx(c, rawZip({{"../escape.txt", "x"}, {"ok.txt", "fine"}}));
    SfxSession s(ui, exe.string());
    EXPECT_EQ(s.run(), result::Skipped);
    EXPECT_EQ(readFile(exeDir / "ok.txt"), "fine");
    EXPECT_FALSE(stdfs::exists(tmp / "escape.txt"));
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text,
              "Failed (error 40) in " + win(exeDir) + ", ."); // messages drop the other folders
    EXPECT_EQ(ui.boxes[0].icon, Icon::Exclamation);
    EXPECT_FALSE(qm::registry::queryValue(qm::registry::hkey::CurrentUser, "Software\\QmTest", "after"));

    // Without the refused entry the actions run.
    writeSfx(c, rawZip({{"ok.txt", "fine"}}));
    ui = {};
    ui.answers = {button::Yes}; // replace ok.txt
    SfxSession again(ui, exe.string());
    EXPECT_EQ(again.run(), result::Ok);
    EXPECT_EQ(qm::registry::queryValue(qm::registry::hkey::CurrentUser, "Software\\QmTest", "after"),
              qm::registry::dwordValue(5));
}

TEST_F(SfxSessionTest, EachAnswerToTheOverwriteQuestionReplacesWhatItSays)
{
    std::vector<qm::zip::test::RawEntry> entries;
    for (char n = '1'; n <= '5'; ++n)
        entries.push_back({std::string(1, n) + ".txt", "new"});
    writeSfx(baseConfig(), rawZip(entries));
    struct Round {
        std::deque<int> answers;
        std::string replaced; // per file, 1 when it holds the new bytes
    };
    // Closing the box replaces nothing; skipped files still make a successful run.
    for (const Round& round : {Round{{button::Yes, button::No, button::YesToAll}, "10111"},
                               Round{{button::No, button::NoToAll}, "00000"},
                               Round{{ClosedByFrame, button::Yes, button::No, button::No, button::Yes}, "01001"}}) {
        for (char n = '1'; n <= '5'; ++n)
            writeFile(exeDir / (std::string(1, n) + ".txt"), "old");
        ui = {};
        ui.answers = round.answers;
        SfxSession s(ui, exe.string());
        EXPECT_EQ(s.run(), result::Ok);
        std::string replaced;
        for (char n = '1'; n <= '5'; ++n)
            replaced += readFile(exeDir / (std::string(1, n) + ".txt")) == "new" ? '1' : '0';
        EXPECT_EQ(replaced, round.replaced);
        EXPECT_EQ(ui.boxes.size(), round.answers.size()) << round.replaced; // asked once per answer, no more
        EXPECT_EQ(ui.boxes.at(0).text, "Replace " + win(exeDir / "1.txt") + "?");
        EXPECT_EQ(ui.boxes.at(0).style, style::YesNoAll);
    }
}

TEST_F(SfxSessionTest, PasswordsGoDefaultThenLastThenThePrompt)
{
    if (!qm::test::haveProgram("zip"))
        GTEST_SKIP() << "Info-ZIP zip is needed";
    infoZipLocked(tmp / "enc.zip", {{"one.txt", "1"}, {"two.txt", "2"}}, {"-0"}, "right", {"wrong1", "wrong2"});
    auto c = baseConfig();
    c.DefaultPassword = "wrong1";
    c.AllowPasswordPrompt = 1;
    writeSfx(c, readFile(tmp / "enc.zip"));
    ui.passwords = {{0, "wrong2"}, {0, "right"}};
    SfxSession s(ui, exe.string());
    EXPECT_EQ(s.run(), result::Ok);
    ASSERT_EQ(ui.passwordFiles.size(), 2u); // only for the first file
    EXPECT_EQ(ui.passwordFiles[0], ui.passwordFiles[1]);
    EXPECT_EQ(readFile(exeDir / "two.txt"), "2");

    // "Skip always": no more prompts; the skipped files still count as success.
    for (const char* n : {"one.txt", "two.txt"})
        stdfs::remove(exeDir / n);
    ui = {};
    ui.passwords = {{1080, ""}};
    SfxSession s2(ui, exe.string());
    EXPECT_EQ(s2.run(), result::Ok);
    EXPECT_EQ(ui.passwordFiles.size(), 1u);
    EXPECT_FALSE(stdfs::exists(exeDir / "two.txt"));
}

TEST_F(SfxSessionTest, TemporaryModeLeavesNothingBehind)
{
    auto c = baseConfig();
    c.TempMode = 1;
    c.AskDestination = 1; // ignored in temporary mode
    c.CommandList = "#C%D\\sub\\b.txt|" + win(tmp / "seen.txt");
    writeSfx(c, twoFiles);
    SfxSession s(ui, exe.string());
    EXPECT_EQ(s.run(), result::Ok);
    // The files were there for the actions, in a fresh "_Sfx" folder of the program's.
    EXPECT_EQ(readFile(tmp / "seen.txt"), "beta");
    const std::string dest = RemoveTrailingBackslash(s.config().DestinationFolder);
    EXPECT_EQ(dest.rfind(win(exeDir) + "\\_Sfx", 0), 0u) << dest;
    EXPECT_EQ(dest.size(), win(exeDir).size() + 8) << dest;
    EXPECT_EQ(qm::zip::test::allFiles(exeDir), std::vector<std::string>{"setup.exe"});
}

TEST_F(SfxSessionTest, TemporaryModeInANamedFolderTakesAwayOnlyWhatItMade)
{
    const stdfs::path dest = tmp / "dest";
    stdfs::create_directories(dest);
    writeFile(dest / "keep.txt", "mine");
    auto c = baseConfig();
    c.TempMode = 1;
    c.DestinationFolder = win(dest);
    c.CommandList = "#C%D\\sub\\b.txt|" + win(tmp / "seen.txt");
    writeSfx(c, twoFiles);
    SfxSession s(ui, exe.string());
    EXPECT_EQ(s.run(), result::Ok);
    EXPECT_EQ(readFile(tmp / "seen.txt"), "beta"); // there for the actions
    EXPECT_EQ(qm::zip::test::allFiles(dest), std::vector<std::string>{"keep.txt"});
    EXPECT_EQ(readFile(dest / "keep.txt"), "mine");
}

TEST_F(SfxSessionTest, DestinationIsMadeAbsoluteAndCreatedAfterAsking)
{
    auto c = baseConfig();
    c.AskDestination = 1;
    c.ConfirmCreateFolder = 1;
    c.ShowFolderError = 1;
    c.CreateFolderText = "Create %d?";
    c.FolderErrorText = "Cannot make %D.";
    writeSfx(c, twoFiles);
    const stdfs::path cwd = stdfs::current_path();
    stdfs::current_path(tmp.path());
    writeFile(tmp / "afile", "");
    ui.destinations = {win(tmp / "afile" / "x"), "rel\\target"};
    ui.answers = {button::Yes, button::Ok, button::Yes};
    SfxSession s(ui, exe.string());
    int r = s.run();
    stdfs::current_path(cwd);
    EXPECT_EQ(r, result::Ok);
    EXPECT_EQ(ui.destinationAnswers, (std::vector<int>{result::NoDestination, result::Ok}));
    ASSERT_GE(ui.boxes.size(), 3u);
    EXPECT_EQ(ui.boxes[1].text, "Cannot make " + win(tmp / "afile" / "x") + ".");
    EXPECT_EQ(ui.boxes[2].text, "Create " + win(tmp / "rel" / "target") + "?");
    EXPECT_EQ(readFile(tmp / "rel" / "target" / "a.txt"), "alpha");
}

TEST_F(SfxSessionTest, InvalidConfigurationAndTheOptionVector)
{
    writeFile(exe, std::string(30000, 'x'));
    SfxSession bad(ui, exe.string());
    EXPECT_EQ(bad.run(), result::BadConfiguration);
    EXPECT_EQ(ui.standard, std::vector<std::string>{InvalidConfigurationText});
    EXPECT_EQ(exitStatusOf(result::BadConfiguration), 255);

    auto c = baseConfig();
    c.OverwriteMode = 3;
    c.DestinationFolder = "%E\\out";
    writeSfx(c, twoFiles);
    SfxSession s(ui, exe.string());
    ASSERT_TRUE(s.LoadSfxConfig());
    EXPECT_EQ(s.engineArguments(),
              (std::vector<std::string>{"", "-u", "-o", win(exe), "-d", win(exeDir / "out")}));
}

TEST_F(SfxSessionTest, AStopConfirmedInTheProgressWindowEndsWith190)
{
    writeSfx(baseConfig(), rawZip({{"a.txt", std::string(100000, 'a')}, {"b.txt", "b"}}));
    ui.stopWhenPumped = [] { return true; };
    SfxSession s(ui, exe.string());
    EXPECT_EQ(s.run(), result::Stopped);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text.rfind("Failed (error 190)", 0), 0u);
    EXPECT_FALSE(stdfs::exists(exeDir / "b.txt"));
}

TEST_F(SfxSessionTest, EntryNamesMayNameAFolderOfTheProgram)
{
    writeSfx(baseConfig(), rawZip({{"%E/next.txt", "n"}, {"%T/../x.txt", "no"}, {"50%off.txt", "kept"}}));
    SfxSession s(ui, exe.string());
    EXPECT_EQ(s.run(), result::Skipped);
    EXPECT_EQ(readFile(exeDir / "next.txt"), "n");
    EXPECT_EQ(readFile(exeDir / "50%off.txt"), "kept");
}

} // namespace
} // namespace qm::sfxstub::test
