#include "FakeUiServices.h"

#include <algorithm>
#include <stdexcept>

namespace qm::ui {

namespace {

const char* kindName(BoxRecord::Kind kind)
{
    return kind == BoxRecord::Kind::Message ? "message box" : "input box";
}

} // namespace

// ---- Boxes

void FakeUiServices::answerBox(BoxRecord& box)
{
    const auto fallBack = [&](const std::string& why) {
        box.unscripted = true;
        if (box.isMessage())
            box.result = unscriptedResult_.value_or(defaultResultOf(box.style));
        else
            box.text = unscriptedText_;
        problem(why + " (" + kindName(box.kind) + " \"" + box.title + "\": " + box.prompt + ")");
    };

    if (answers_.empty()) {
        fallBack("no scripted answer left");
        return;
    }
    Scripted next = std::move(answers_.front());
    answers_.pop_front();
    if (next.kind && *next.kind != box.kind) {
        fallBack(std::string("scripted answer for an ") + kindName(*next.kind) + " met another kind of box");
        return;
    }
    next.fn(box);
    if (box.isMessage()) {
        const auto results = buttonResults(box.buttons);
        if (std::find(results.begin(), results.end(), box.result) == results.end())
            problem(std::string("scripted answer ") + resultName(box.result) + " is not a button of box \"" +
                    box.title + "\": " + box.prompt);
    }
}

BoxRecord FakeUiServices::showBox(BoxRecord box, const char* event)
{
    box.busy = busy_;
    // Recorded before it is answered, so that boxes shown by an answer's
    // own actions come after it.
    const size_t index = boxes_.size();
    boxes_.push_back(box);
    events_.push_back(std::string(event) + " " + box.title + ": " + box.prompt);
    answerBox(box);
    boxes_[index] = box;
    return box;
}

int FakeUiServices::msgBox(const std::string& prompt, int style, const std::string& title)
{
    BoxRecord box;
    box.kind = BoxRecord::Kind::Message;
    box.prompt = prompt;
    box.title = shownTitle(title);
    box.style = style;
    box.buttons = buttonSetOf(style);
    box.icon = iconOf(style);
    box.defaultButton = defaultButtonOf(style);
    return showBox(std::move(box), "box").result;
}

std::string FakeUiServices::inputBox(const std::string& prompt, const std::string& title,
                                     const std::string& defaultText)
{
    BoxRecord box;
    box.kind = BoxRecord::Kind::Input;
    box.prompt = prompt;
    box.title = shownTitle(title);
    box.buttons = mb::OKCancel;
    box.defaultText = defaultText;
    return showBox(std::move(box), "input").text;
}

void FakeUiServices::answer(int result)
{
    answers_.push_back({BoxRecord::Kind::Message, [result](BoxRecord& b) { b.result = result; }});
}

void FakeUiServices::answerText(std::string text)
{
    answers_.push_back({BoxRecord::Kind::Input, [text = std::move(text)](BoxRecord& b) { b.text = text; }});
}

void FakeUiServices::answerWith(std::function<void(BoxRecord&)> fn)
{
    answers_.push_back({std::nullopt, std::move(fn)});
}

std::vector<std::string> FakeUiServices::titledPrompts() const
{
    std::vector<std::string> out;
    for (const BoxRecord& b : boxes_)
        out.push_back(b.title + ": " + b.prompt);
    return out;
}

const BoxRecord& FakeUiServices::lastBox() const
{
    if (boxes_.empty())
        throw std::logic_error("FakeUiServices: no box has been shown");
    return boxes_.back();
}

void FakeUiServices::problem(std::string text)
{
    problems_.push_back(text);
    if (problemHook_)
        problemHook_(problems_.back());
}

void FakeUiServices::clearRecords()
{
    boxes_.clear();
    modalShows_.clear();
    events_.clear();
    problems_.clear();
    busyCalls_ = 0;
    normalCalls_ = 0;
}

// ---- Modal shows

void FakeUiServices::onShowModal(std::function<void(QWidget&)> fn)
{
    modalScripts_.push_back(std::move(fn));
}

void FakeUiServices::showModal(QWidget& form)
{
    modalShows_.push_back(&form);
    events_.push_back("modal");
    if (modalScripts_.empty()) {
        problem("modal show without a script");
        return;
    }
    auto fn = std::move(modalScripts_.front());
    modalScripts_.pop_front();
    fn(form);
}

// ---- Pointer

void FakeUiServices::busyPointer()
{
    ++busyCalls_;
    busy_ = true;
    events_.push_back("busy");
}

void FakeUiServices::normalPointer()
{
    ++normalCalls_;
    busy_ = false;
    events_.push_back("normal");
}

// ---- DoEvents

void FakeUiServices::doEvents()
{
    const int call = ++doEventsCount_;
    // Copies, so that a hook may add hooks or yield again.
    const auto hooks = doEventsHooks_;
    for (const auto& hook : hooks)
        hook();
    std::vector<std::function<void()>> due;
    for (auto it = doEventsAt_.begin(); it != doEventsAt_.end();) {
        if (it->first == call) {
            due.push_back(std::move(it->second));
            it = doEventsAt_.erase(it);
        } else {
            ++it;
        }
    }
    for (const auto& hook : due)
        hook();
}

// ---- Timers

void FakeUiServices::singleShot(int ms, std::function<void()> fn)
{
    const int delay = std::max(ms, 0);
    timers_.push_back({nextTimerId_++, delay, nowMs_ + delay, std::move(fn)});
    events_.push_back("timer " + std::to_string(delay));
}

std::vector<int> FakeUiServices::timerDelays() const
{
    std::vector<int> delays;
    for (const auto& t : timers_)
        delays.push_back(t.delayMs);
    return delays;
}

bool FakeUiServices::fireNextTimer()
{
    if (timers_.empty())
        return false;
    auto next = std::min_element(timers_.begin(), timers_.end(), [](const PendingTimer& a, const PendingTimer& b) {
        return a.dueMs != b.dueMs ? a.dueMs < b.dueMs : a.id < b.id;
    });
    PendingTimer timer = std::move(*next);
    timers_.erase(next);
    nowMs_ = std::max(nowMs_, timer.dueMs);
    timer.fn();
    return true;
}

int FakeUiServices::fireTimers()
{
    int fired = 0;
    while (fireNextTimer()) {
        if (++fired >= 100000)
            throw std::runtime_error("FakeUiServices: timers keep rescheduling themselves");
    }
    return fired;
}

int FakeUiServices::advance(long long ms)
{
    const long long until = nowMs_ + std::max(ms, 0LL);
    int fired = 0;
    for (;;) {
        const bool anyDue = std::any_of(timers_.begin(), timers_.end(),
                                        [until](const PendingTimer& t) { return t.dueMs <= until; });
        if (!anyDue)
            break;
        fireNextTimer();
        if (++fired >= 100000)
            throw std::runtime_error("FakeUiServices: timers keep rescheduling themselves");
    }
    nowMs_ = until;
    return fired;
}

} // namespace qm::ui
