// The scripted fake that logic tests run against: what it records, how it
// answers, and how a test drives DoEvents and timers through it.
#include "FakeUiServices.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

using namespace qm::ui;

TEST(FakeUi, RecordsEveryBoxAsShownAndAnswersInOrder)
{
    FakeUiServices ui;
    ui.answer(mb::No);
    ui.answerText("Backup 2");
    ui.answer(mb::OK);

    ui.busyPointer();
    EXPECT_EQ(ui.msgBox("Delete it?", mb::YesNo + mb::Question + mb::DefaultButton2, "Please confirm!"), mb::No);
    ui.normalPointer();
    EXPECT_EQ(ui.inputBox("Name:", "", "Backup 1"), "Backup 2");
    EXPECT_EQ(ui.msgBox("Done"), mb::OK);

    ASSERT_EQ(ui.boxes().size(), 3u);
    const BoxRecord& confirm = ui.boxes()[0];
    EXPECT_TRUE(confirm.isMessage());
    EXPECT_EQ(confirm.prompt, "Delete it?");
    EXPECT_EQ(confirm.title, "Please confirm!");
    EXPECT_EQ(confirm.buttons, mb::YesNo);
    EXPECT_EQ(confirm.icon, Icon::Question);
    EXPECT_EQ(confirm.defaultButton, 2);
    EXPECT_TRUE(confirm.busy);
    EXPECT_EQ(confirm.result, mb::No);

    const BoxRecord& name = ui.boxes()[1];
    EXPECT_TRUE(name.isInput());
    EXPECT_EQ(name.title, "Quillmate");
    EXPECT_EQ(name.defaultText, "Backup 1");
    EXPECT_EQ(name.text, "Backup 2");
    EXPECT_FALSE(name.busy);

    EXPECT_EQ(ui.lastBox().title, "Quillmate");
    EXPECT_EQ(ui.lastBox().icon, Icon::None);
    EXPECT_EQ(ui.answersLeft(), 0u);
    EXPECT_TRUE(ui.problems().empty());
    EXPECT_EQ(ui.events(), (std::vector<std::string>{"busy", "box Please confirm!: Delete it?", "normal",
                                                      "input Quillmate: Name:", "box Quillmate: Done"}));
}

TEST(FakeUi, UnscriptedBoxesUseTheDefaultAnswerAndAreReported)
{
    FakeUiServices ui;
    std::vector<std::string> reported;
    ui.onProblem([&](const std::string& p) { reported.push_back(p); });

    // Enter on a box whose default is its second button.
    EXPECT_EQ(ui.msgBox("Overwrite?", mb::YesNoCancel + mb::DefaultButton2), mb::No);
    // A default past the set's last button falls back to the first.
    EXPECT_EQ(ui.msgBox("Sure?", mb::YesNo + mb::DefaultButton3), mb::Yes);
    EXPECT_EQ(ui.inputBox("Name:", "New Project", "x"), "");   // cancelled
    ui.setUnscriptedResult(mb::Cancel);
    ui.setUnscriptedText("typed");
    EXPECT_EQ(ui.msgBox("Again?", mb::OKCancel), mb::Cancel);
    EXPECT_EQ(ui.inputBox("Name:"), "typed");

    ASSERT_EQ(ui.boxes().size(), 5u);
    for (const auto& b : ui.boxes())
        EXPECT_TRUE(b.unscripted) << b.prompt;
    EXPECT_EQ(ui.problems().size(), 5u);
    EXPECT_EQ(reported, ui.problems());
    EXPECT_NE(reported[2].find("New Project"), std::string::npos) << reported[2];
}

TEST(FakeUi, ScriptOutOfStepWithTheBoxesIsReported)
{
    FakeUiServices ui;
    ui.answerText("name");            // but a message box comes first
    ui.answer(mb::Retry);             // not a button of an OK-only box
    EXPECT_EQ(ui.msgBox("Saved", mb::OKOnly + mb::Information), mb::OK);
    EXPECT_TRUE(ui.boxes()[0].unscripted);
    EXPECT_EQ(ui.msgBox("Saved", mb::OKOnly), mb::Retry);
    EXPECT_FALSE(ui.boxes()[1].unscripted);
    ASSERT_EQ(ui.problems().size(), 2u);
    EXPECT_NE(ui.problems()[1].find("Retry"), std::string::npos);
}

TEST(FakeUi, AnswerWithMayActAndShowFurtherBoxes)
{
    FakeUiServices ui;
    ui.answerWith([&](BoxRecord& box) {
        EXPECT_EQ(box.prompt, "Outer");
        box.result = mb::Retry;
        ui.msgBox("Inner");           // unscripted: OK
    });
    EXPECT_EQ(ui.msgBox("Outer", mb::RetryCancel), mb::Retry);
    ASSERT_EQ(ui.boxes().size(), 2u);
    EXPECT_EQ(ui.boxes()[0].prompt, "Outer");
    EXPECT_EQ(ui.boxes()[0].result, mb::Retry);
    EXPECT_EQ(ui.boxes()[1].prompt, "Inner");
    EXPECT_EQ(ui.problems().size(), 1u);
}

TEST(FakeUi, OneNormalPointerUndoesAnyNumberOfBusy)
{
    FakeUiServices ui;
    ui.busyPointer();
    ui.busyPointer();
    ui.busyPointer();
    EXPECT_TRUE(ui.isBusy());
    ui.normalPointer();
    EXPECT_FALSE(ui.isBusy());
    EXPECT_EQ(ui.busyCalls(), 3);
    EXPECT_EQ(ui.normalCalls(), 1);
    ui.clearRecords();
    EXPECT_EQ(ui.busyCalls(), 0);
    EXPECT_TRUE(ui.events().empty());
}

TEST(FakeUi, DoEventsHooksLetATestCancelALongOperation)
{
    FakeUiServices ui;
    bool cancelled = false;
    int persistentRuns = 0;
    ui.onDoEvents([&] { ++persistentRuns; });
    ui.atDoEvents(3, [&] { cancelled = true; });

    int steps = 0;
    while (!cancelled && steps < 100) {
        ++steps;
        ui.doEvents();
    }
    EXPECT_EQ(steps, 3);
    EXPECT_EQ(ui.doEventsCount(), 3);
    EXPECT_EQ(persistentRuns, 3);
    ui.doEvents();                      // a one-shot hook runs once only
    EXPECT_EQ(persistentRuns, 4);
}

TEST(FakeUi, TimersFireInOrderOfDueTime)
{
    FakeUiServices ui;
    std::vector<std::string> fired;
    ui.singleShot(3000, [&] { fired.push_back("open archive"); });
    ui.singleShot(100, [&] {
        fired.push_back("fill list");
        ui.singleShot(50, [&] { fired.push_back("follow-up"); });   // due at 150
    });
    ui.singleShot(100, [&] { fired.push_back("second at 100"); });
    EXPECT_EQ(ui.timerDelays(), (std::vector<int>{3000, 100, 100}));

    EXPECT_EQ(ui.advance(99), 0);
    EXPECT_TRUE(fired.empty());
    EXPECT_EQ(ui.advance(51), 3);       // clock at 150
    EXPECT_EQ(fired, (std::vector<std::string>{"fill list", "second at 100", "follow-up"}));
    EXPECT_EQ(ui.nowMs(), 150);

    EXPECT_EQ(ui.fireTimers(), 1);
    EXPECT_EQ(fired.back(), "open archive");
    EXPECT_EQ(ui.nowMs(), 3000);
    EXPECT_FALSE(ui.fireNextTimer());
}

TEST(FakeUi, ATimerThatKeepsReschedulingIsStopped)
{
    FakeUiServices ui;
    std::function<void()> again = [&] { ui.singleShot(0, again); };
    ui.singleShot(0, again);
    EXPECT_THROW(ui.fireTimers(), std::runtime_error);
}
