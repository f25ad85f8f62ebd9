// The self-extractor without a display: when that is the case, and what
// each question answers there.
#include "sfxstub/Headless.h"
#include "sfxstub/Prompts.h"

#include <gtest/gtest.h>

namespace qm::sfxstub {
namespace {

TEST(SfxHeadless, NobodyToAnswerOffscreenOrWithoutAnyDisplay)
{
    EXPECT_TRUE(NoDisplay("offscreen", ":0", "wayland-0"));
    EXPECT_TRUE(NoDisplay("offscreen:fontengine=freetype", nullptr, nullptr));
    EXPECT_TRUE(NoDisplay(nullptr, nullptr, nullptr));
    EXPECT_TRUE(NoDisplay("", "", ""));
    EXPECT_FALSE(NoDisplay(nullptr, ":0", nullptr));
    EXPECT_FALSE(NoDisplay("", nullptr, "wayland-0"));
    EXPECT_FALSE(NoDisplay("xcb", ":1", nullptr));
    EXPECT_FALSE(NoDisplay("vnc", nullptr, nullptr)); // a platform chosen by name shows its windows
}

TEST(SfxHeadless, QuestionsTakeTheirCancelAnswerAndAreWrittenOut)
{
    std::vector<std::string> said;
    HeadlessSfxUi ui([&](std::string_view line) { said.emplace_back(line); });
    SfxConfig c;
    c.Caption = "Demo";
    c.OkCaption = "OK";
    c.CancelCaption = "Cancel";
    c.NoCaption = "No";
    c.ExitCaption = "Exit";
    c.RefuseCaption = "Refuse";
    c.DestinationText = "Extract to:";
    c.DestinationFolder = "C:\\out";
    ui.RegisterSfxClasses(c);
    EXPECT_EQ(ui.SfxMessageBox({"Start?", c.Caption, style::ContinueExit}), button::Exit);
    EXPECT_EQ(ui.SfxMessageBox({"Terms", c.Caption, style::Agreement}), button::Exit);
    EXPECT_EQ(ui.SfxMessageBox({"Disk 2", c.Caption, style::OkCancel}), button::Cancel);
    EXPECT_EQ(ui.SfxMessageBox({"Replace?", c.Caption, style::YesNoAll}), button::No);
    EXPECT_EQ(ui.SfxMessageBox(confirmAbortBox(c)), button::No);
    EXPECT_EQ(ui.SfxMessageBox({"Failed.", c.Caption, style::Ok}), button::Ok);
    EXPECT_EQ(ui.AskPassword("a.txt"), result::Stopped);
    EXPECT_EQ(ui.AskDestinationFolder([](const std::string&) { return 0; }), result::Stopped);
    EXPECT_FALSE(ui.PumpMessages());
    ASSERT_EQ(said.size(), 8u);
    EXPECT_EQ(said[0], "Demo: Start? [Exit]");
    EXPECT_EQ(said[1], "Demo: Terms [Refuse]");
    EXPECT_EQ(said[2], "Demo: Disk 2 [Cancel]");
    EXPECT_EQ(said[5], "Demo: Failed. [OK]");
    EXPECT_EQ(said[7], "Demo: Extract to: C:\\out [Exit]");
    ui.standardMessage("Invalid.", "Error");
    EXPECT_EQ(said.back(), "Error: Invalid.");
}

} // namespace
} // namespace qm::sfxstub
