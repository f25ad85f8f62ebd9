#pragma once
// A UiServices for tests: records every box, pointer change, modal show and
// timer, answers boxes from a script, and lets the test drive DoEvents and
// timers. No display and no Qt needed (showModal receives the form only by
// reference; the scripted callback decides what to do with it).
//
//   FakeUiServices ui;
//   ui.answer(mb::Yes);                 // the next box answers Yes
//   ui.answerText("Backup 2");          // the next input box answers this
//   runLogic(ui);
//   EXPECT_EQ(ui.boxes()[0].title, "Please confirm!");
//   EXPECT_TRUE(ui.problems().empty()); // nothing went unscripted
#include "platform/ui/MsgBoxStyle.h"
#include "platform/ui/UiServices.h"

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace qm::ui {

// One box as it was shown, and how it was answered.
struct BoxRecord {
    enum class Kind { Message, Input };
    Kind kind = Kind::Message;
    std::string prompt;
    std::string title;            // as shown: DefaultTitle when none was given
    int style = 0;                // message boxes: the style as passed
    int buttons = mb::OKOnly;     // message boxes: the button set
    Icon icon = Icon::None;
    int defaultButton = 1;        // message boxes: 1-based
    std::string defaultText;      // input boxes
    bool busy = false;            // the busy pointer was on while it showed
    bool unscripted = false;      // no fitting scripted answer: a default was used
    int result = 0;               // message boxes: the answer given
    std::string text;             // input boxes: the answer given ("" = cancel)

    bool isMessage() const { return kind == Kind::Message; }
    bool isInput() const { return kind == Kind::Input; }
};

// A timer scheduled through singleShot and not fired yet.
struct PendingTimer {
    int id = 0;                   // order of scheduling
    int delayMs = 0;
    long long dueMs = 0;          // on the fake clock
    std::function<void()> fn;
};

class FakeUiServices : public UiServices {
public:
    // ---- UiServices
    int msgBox(const std::string& prompt, int style = mb::OKOnly, const std::string& title = {}) override;
    std::string inputBox(const std::string& prompt, const std::string& title = {},
                         const std::string& defaultText = {}) override;
    void showModal(QWidget& form) override;
    void busyPointer() override;
    void normalPointer() override;
    bool isBusy() const override { return busy_; }
    void doEvents() override;
    void singleShot(int ms, std::function<void()> fn) override;

    // ---- Script. Answers are used in order, one per box of either kind.
    void answer(int result);                    // the next box is a message box; answer this
    void answerText(std::string text);          // the next box is an input box; answer this
    // The next box, of either kind, is answered by `fn`, which sets the
    // record's result (message box) or text (input box) and may act.
    void answerWith(std::function<void(BoxRecord&)> fn);
    // The next showModal runs `fn` with the form (click its buttons, fill
    // it, close it); showModal returns when `fn` does.
    void onShowModal(std::function<void(QWidget&)> fn);
    size_t answersLeft() const { return answers_.size(); }
    size_t modalScriptsLeft() const { return modalScripts_.size(); }

    // What an unscripted box gives: by default the message box's default
    // button (what Enter gives) and the empty text (cancel) for input.
    void setUnscriptedResult(std::optional<int> result) { unscriptedResult_ = result; }
    void setUnscriptedText(std::string text) { unscriptedText_ = std::move(text); }
    // Every script failure (box without an answer, answer of the wrong
    // kind, modal show without a script) is described here, in order, and
    // passed to the hook if one is set (e.g. one that calls ADD_FAILURE).
    const std::vector<std::string>& problems() const { return problems_; }
    void onProblem(std::function<void(const std::string&)> hook) { problemHook_ = std::move(hook); }

    // ---- Records
    const std::vector<BoxRecord>& boxes() const { return boxes_; }
    const BoxRecord& lastBox() const;           // throws when no box was shown
    // Every box so far as "<title>: <prompt>".
    std::vector<std::string> titledPrompts() const;
    std::vector<QWidget*> modalShows() const { return modalShows_; }
    // Every box, pointer change, modal show and timer in order: "box <title>: <prompt>",
    // "input <title>: <prompt>", "busy", "normal", "modal", "timer <ms>".
    const std::vector<std::string>& events() const { return events_; }
    int busyCalls() const { return busyCalls_; }
    int normalCalls() const { return normalCalls_; }
    void clearRecords();

    // ---- DoEvents
    int doEventsCount() const { return doEventsCount_; }
    // Runs at every doEvents call, in the order added.
    void onDoEvents(std::function<void()> hook) { doEventsHooks_.push_back(std::move(hook)); }
    // Runs once, inside the n-th doEvents call counted from creation (1-based).
    void atDoEvents(int n, std::function<void()> hook) { doEventsAt_.push_back({n, std::move(hook)}); }

    // ---- Timers and the fake clock (milliseconds, starting at 0)
    const std::vector<PendingTimer>& timers() const { return timers_; }
    std::vector<int> timerDelays() const;       // of the pending timers, in scheduling order
    long long nowMs() const { return nowMs_; }
    // Fires the pending timer due first (ties: the one scheduled first),
    // moving the clock to its due time. False when none is pending.
    bool fireNextTimer();
    // Fires timers until none is left, those scheduled meanwhile included;
    // returns how many fired. Throws std::runtime_error after 100000 firings
    // (a timer that keeps rescheduling itself).
    int fireTimers();
    // Moves the clock on by `ms`, firing in order every timer that falls due.
    int advance(long long ms);

private:
    struct Scripted {
        std::optional<BoxRecord::Kind> kind;   // empty: either kind (answerWith)
        std::function<void(BoxRecord&)> fn;
    };
    // Records the box, answers it and gives it back as answered.
    BoxRecord showBox(BoxRecord box, const char* event);
    void answerBox(BoxRecord& box);
    void problem(std::string text);

    std::deque<Scripted> answers_;
    std::deque<std::function<void(QWidget&)>> modalScripts_;
    std::optional<int> unscriptedResult_;
    std::string unscriptedText_;
    std::vector<std::string> problems_;
    std::function<void(const std::string&)> problemHook_;

    std::vector<BoxRecord> boxes_;
    std::vector<QWidget*> modalShows_;
    std::vector<std::string> events_;
    bool busy_ = false;
    int busyCalls_ = 0;
    int normalCalls_ = 0;

    int doEventsCount_ = 0;
    std::vector<std::function<void()>> doEventsHooks_;
    std::vector<std::pair<int, std::function<void()>>> doEventsAt_;

    std::vector<PendingTimer> timers_;
    int nextTimerId_ = 1;
    long long nowMs_ = 0;
};

} // namespace qm::ui
