#include "options/UserOptionsLogic.h"

#include "app/ProgramState.h"
#include "app/ValueLimit.h"
#include "options/OptionsColumns.h"
#include "options/SaveOptions.h"
#include "pickers/PickerWriters.h"

namespace qm::options {

UserOptionsLogic::UserOptionsLogic(qm::app::ProgramState& state, qm::pickers::PickerForms& pickers,
                                   UserOptionsView& view, TaskTabView& taskView,
                                   std::function<ComPtr<IScheduler>()> makeScheduler, TaskAgent agent,
                                   qm::store::WinAceLookup lookup)
    : state_(state), pickers_(pickers), view_(view), tasks_(state.ui(), taskView, std::move(makeScheduler),
                                                              std::move(agent)),
      lookup_(std::move(lookup))
{
}

UserOptionsLogic::~UserOptionsLogic() { Form_Unload(); }

void UserOptionsLogic::Form_Load()
{
    view_.selectTab(0);
    CurrentForm = "UserOptions";
    state_.store.setUserOptionsListener([this] { view_.refreshGrid(); });
    listening_ = true;
    tasks_.Start();
}

void UserOptionsLogic::Form_Unload()
{
    if (listening_)
        state_.store.setUserOptionsListener({});
    listening_ = false;
}

void UserOptionsLogic::GridEX1_ColButtonClick(int column)
{
    bool written = false;
    if (column == 1 || column == 2) {
        const auto answer = pickers_.chooseFile(qm::pickers::UserOptionsFileRequest(column));
        written = qm::pickers::UserOptionsProgram(state_.store.UserOptionsRecord(1), column, answer);
    } else if (column == 3 || column == 8) {
        const auto answer = pickers_.chooseTargetDir(qm::pickers::UserOptionsFolderRequest());
        written = qm::pickers::UserOptionsFolder(state_, column, answer);
    }
    if (written)
        view_.refreshGrid();
}

bool UserOptionsLogic::GridEX1_BeforeColUpdate(int column, const std::string& value)
{
    return !qm::app::refuseOverlongField(state_.ui(), OptionsColumns[static_cast<std::size_t>(column - 1)].caption,
                                         value, qm::app::ValueFile::UserOptions);
}

void UserOptionsLogic::cmdSave_Click()
{
    // A cell whose value was refused holds what the user typed, not the record.
    if (!view_.commitGrid())
        return;
    SaveOptions(state_.store, lookup_);
}

void UserOptionsLogic::cmdClose_Click()
{
    CurrentForm.clear();
    tasks_.ReleaseTasks();
    view_.closeWindow();
}

} // namespace qm::options
