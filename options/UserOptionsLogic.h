#pragma once
// The logic of the user options window UserOptions: its load and Close,
// the options tab (the card GridEX1 over element 1 of UserOptionsRecord,
// its column buttons and Save) and, through TaskTabPresenter, the
// scheduling tab. Edits go straight into the shared record; Close keeps
// them there without writing the file.
#include "options/TaskTab.h"
#include "store/SystemLookups.h"

#include <functional>
#include <string>

namespace qm::app {
class ProgramState;
}
namespace qm::pickers {
class PickerForms;
}

namespace qm::options {

// The window as its logic sees it, besides the scheduling tab.
class UserOptionsView {
public:
    virtual ~UserOptionsView() = default;
    // vsIndexTab1: 0 "&Miscellaneous Options", 1 "&Scheduling Options"
    virtual void selectTab(int index) = 0;
    // GridEX1: an edit still open handed to the record (the grid's commit
    // before a save), false while a cell holds a value that was refused;
    // the card read afresh from the record and repainted (after a picker
    // wrote a field, after the options were reloaded).
    virtual bool commitGrid() = 0;
    virtual void refreshGrid() = 0;
    // Unloads the window.
    virtual void closeWindow() = 0;
};

class UserOptionsLogic {
public:
    UserOptionsLogic(qm::app::ProgramState& state, qm::pickers::PickerForms& pickers, UserOptionsView& view,
                     TaskTabView& taskView, std::function<ComPtr<IScheduler>()> makeScheduler,
                     TaskAgent agent = systemTaskAgent(),
                     qm::store::WinAceLookup lookup = qm::store::GetWinAceInfo);
    ~UserOptionsLogic();
    UserOptionsLogic(const UserOptionsLogic&) = delete;
    UserOptionsLogic& operator=(const UserOptionsLogic&) = delete;

    // ---- Public variables of the window
    std::string ParentForm;
    std::string CurrentForm; // "UserOptions" while loaded, "" after Close
    TaskTabPresenter& tasks() { return tasks_; }

    // The first tab, CurrentForm, then the scheduling tab's start. From here
    // on a LoadUserOptions of the program refreshes the card.
    void Form_Load();
    // However the window goes: the card no longer follows the record.
    void Form_Unload();

    // Columns 1 and 2 ask PickDirFrm, 3 and 8 ChooseTargetDir, with
    // ParentForm "UserOptions"; the answer goes into the column's field.
    // Other columns do nothing.
    void GridEX1_ColButtonClick(int column);
    // A cell's typed value is about to go into the record: true lets it. One
    // that the file would give back cut is refused with the record editor's
    // message.
    bool GridEX1_BeforeColUpdate(int column, const std::string& value);
    // The card's edits committed, then SaveOptions; the window stays open.
    // Nothing is saved while a cell holds a refused value.
    void cmdSave_Click();
    void cmdClose_Click();

private:
    qm::app::ProgramState& state_;
    qm::pickers::PickerForms& pickers_;
    UserOptionsView& view_;
    TaskTabPresenter tasks_;
    qm::store::WinAceLookup lookup_;
    bool listening_ = false;
};

} // namespace qm::options
