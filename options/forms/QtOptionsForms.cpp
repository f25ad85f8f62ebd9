#include "options/forms/QtOptionsForms.h"

#include "app/ProgramState.h"
#include "options/forms/UserOptions.h"
#include "options/forms/frmTaskProperties.h"
#include "platform/ui/UiServices.h"

namespace qm::options {

QtOptionsForms::QtOptionsForms(qm::app::ProgramState& state, qm::pickers::PickerForms& pickers,
                               std::function<ComPtr<IScheduler>()> makeScheduler, TaskAgent agent)
    : state_(state), pickers_(pickers), makeScheduler_(std::move(makeScheduler)), agent_(std::move(agent))
{
    if (!makeScheduler_)
        makeScheduler_ = [] { return createScheduler(cronoletLibrary()); };
}

QtOptionsForms::~QtOptionsForms() { delete open_.data(); }

UserOptions* QtOptionsForms::openWindow() const { return open_.data(); }

void QtOptionsForms::showUserOptions(bool modal)
{
    if (open_) {
        open_->showNormal();
        open_->raise();
        open_->activateWindow();
        return;
    }
    auto* window = new UserOptions(state_, pickers_, makeScheduler_, agent_);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->ParentForm() = "Form1";
    open_ = window;
    if (modal)
        state_.ui().showModal(*window);
    else
        window->show();
}

qm::tasksched::PropertySheetHook QtOptionsForms::propertySheet()
{
    return [this](qm::tasksched::ITask* task, void*) -> qm::com::HRESULT {
        if (!task)
            return qm::com::E_POINTER;
        frmTaskProperties sheet(*task, state_.ui(), open_.data());
        state_.ui().showModal(sheet);
        return qm::com::S_OK;
    };
}

} // namespace qm::options
