#pragma once
// The user options window shown for real. One window at a time: while it is
// open (modal or not), opening it again brings that window forward, shows it
// no second time and returns at once. A modal opening returns when the
// window closes; the window is deleted when it closes.
//
// It also gives the task scheduler its property sheet: frmTaskProperties,
// shown modally over the options window (or alone) for a task's EditTask.
#include "options/OptionsForms.h"
#include "options/SchedulerClient.h"
#include "options/TaskAgent.h"
#include "platform/tasksched/TaskScheduler.h"

#include <QPointer>

#include <functional>

namespace qm::app {
class ProgramState;
}
namespace qm::pickers {
class PickerForms;
}

namespace qm::options {

class UserOptions;

class QtOptionsForms : public OptionsForms {
public:
    // `makeScheduler`: the scheduler object for each window (by default
    // createScheduler over the program folder's libCronolet.so).
    QtOptionsForms(qm::app::ProgramState& state, qm::pickers::PickerForms& pickers,
                   std::function<ComPtr<IScheduler>()> makeScheduler = {}, TaskAgent agent = systemTaskAgent());
    ~QtOptionsForms() override;

    void showUserOptions(bool modal) override;

    // The window that is open; nullptr when none is.
    UserOptions* openWindow() const;

    // What the task scheduler's EditWorkItem shows (setPropertySheetHook).
    qm::tasksched::PropertySheetHook propertySheet();

private:
    qm::app::ProgramState& state_;
    qm::pickers::PickerForms& pickers_;
    std::function<ComPtr<IScheduler>()> makeScheduler_;
    TaskAgent agent_;
    QPointer<UserOptions> open_;
};

} // namespace qm::options
