#pragma once
// The scheduling tab over the real libCronolet.so and a tasks folder of its
// own: a program folder, a platform folder where nothing is registered yet,
// the task scheduler class of this process, and a fake tab that keeps what
// the presenter shows.
#include "options/TaskTab.h"
#include "platform/com/Creation.h"
#include "platform/tasksched/Job.h"
#include "platform/tasksched/TaskScheduler.h"
#include "platform/tasksched/TasksFolder.h"

#include "FakeUiServices.h"
#include "ProgramHome.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace qmtest {

using namespace qm::options;
namespace ts = qm::tasksched;

struct FakeTaskView : TaskTabView {
    std::vector<std::string> names;
    int selected = -1;
    std::map<TaskField, std::string> texts;
    bool buttons = true;
    std::string agent;
    std::function<void()> onNewTask, onTriggers; // the modal dialogs, as a user works them

    void clearTaskList() override
    {
        names.clear();
        selected = -1;
    }
    void addTaskName(const std::string& name) override { names.push_back(name); }
    void selectTaskEntry(int index) override { selected = index; }
    int selectedTaskEntry() const override { return selected; }
    void setText(TaskField f, const std::string& text) override { texts[f] = text; }
    std::string text(TaskField f) const override
    {
        auto it = texts.find(f);
        return it == texts.end() ? std::string() : it->second;
    }
    void enableTaskButtons(bool enabled) override { buttons = enabled; }
    void setAgentText(const std::string& text) override { agent = text; }
    void showNewTaskForm() override
    {
        if (onNewTask)
            onNewTask();
    }
    void showTriggersForm() override
    {
        if (onTriggers)
            onTriggers();
    }
    std::string lastError() const { return text(TaskField::LastErrorCode); }
};

inline ts::TASK_TRIGGER dailyAt(int hour, int minute = 0)
{
    ts::TASK_TRIGGER t;
    t.wBeginYear = 2026;
    t.wBeginMonth = 1;
    t.wBeginDay = 5;
    t.wStartHour = static_cast<qm::com::WORD>(hour);
    t.wStartMinute = static_cast<qm::com::WORD>(minute);
    t.TriggerType = ts::TASK_TIME_TRIGGER_DAILY;
    t.Type.setDaysInterval(1);
    return t;
}

class TaskTabTest : public qm::test::ProgramHomeTest {
protected:
    TaskTabTest() : platform_("QUILLMATE_PLATFORM_DIR", platformDir_.str()) { ui_.setUnscriptedResult(qm::ui::mb::OK); }
    void SetUp() override { ASSERT_EQ(ts::registerTaskScheduler(&cookie_), qm::com::S_OK); }
    void TearDown() override
    {
        tab_.reset();
        if (cookie_)
            qm::com::CoRevokeClassObject(cookie_);
        qm::com::CoFreeUnusedLibraries();
    }
    // The task scheduler class taken out of this process, as if it had none.
    void dropTaskScheduler() { qm::com::CoRevokeClassObject(std::exchange(cookie_, 0)); }

    void writeJob(const std::string& name, const ts::Job& job = {})
    {
        ts::ensurePrivateFolder(tasks());
        ts::saveJob(tasks() / (name + ".job"), job);
    }
    // The job file of that name; nothing when there is none.
    std::optional<ts::Job> job(const std::string& name)
    {
        const auto file = tasks() / (name + ".job");
        return std::filesystem::exists(file) ? ts::loadJob(file) : std::nullopt;
    }

    // The tab started over the built library (or what `make` gives).
    TaskTabPresenter& open(std::function<ComPtr<IScheduler>()> make = {})
    {
        if (!make)
            make = [] { return createScheduler(QM_CRONOLET); };
        tab_ = std::make_unique<TaskTabPresenter>(ui_, view_, std::move(make), agent_);
        tab_->Start();
        return *tab_;
    }

    qm::test::TempDir platformDir_{"qm-platform"};
    qm::test::ScopedEnv platform_;
    qm::ui::FakeUiServices ui_;
    FakeTaskView view_;
    TaskAgent agent_{[] { return false; }, [] { return AgentAnswer{true, {}}; }};
    std::unique_ptr<TaskTabPresenter> tab_;
    qm::com::DWORD cookie_ = 0;
};

} // namespace qmtest
