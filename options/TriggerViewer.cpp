#include "options/TriggerViewer.h"

#include "options/TaskTab.h"

namespace qm::options {

using qm::com::Variant;

void TriggersPresenter::Form_Load()
{
    if (tab_.TaskCount() < 1 || !tab_.Task)
        return;
    Variant result;
    tab_.Task->get_Triggers(result.out());
    TaskTriggers = objectOf<Triggers>(result);
    LoadTriggerList();
}

void TriggersPresenter::LoadTriggerList()
{
    view_.clearTriggerList();
    int counter = 0;
    if (TaskTriggers) {
        forEach<Trigger>(*TaskTriggers, [&](const ComPtr<Trigger>& each) {
            CurrentTrigger = each;
            if (!each)
                return;
            view_.addTrigger(textOf(*each, &Trigger::get_TriggerString));
            ++counter;
        });
        CurrentTrigger = nullptr;
    }
    if (counter > 0) {
        view_.selectTriggerEntry(0);
        TriggerList_Click();
    }
    view_.setTriggerCount(std::to_string(counter));
}

void TriggersPresenter::TriggerList_Click()
{
    CurrentPosition = view_.selectedTriggerEntry() + 1;
    ShowTriggerDetails();
}

void TriggersPresenter::ShowTriggerDetails()
{
    CurrentTrigger = nullptr;
    if (!TaskTriggers)
        return;
    Variant item;
    TaskTriggers->get_Item(CurrentPosition, item.out());
    CurrentTrigger = objectOf<Trigger>(item);
    if (!CurrentTrigger)
        return;
    Trigger& t = *CurrentTrigger;
    auto put = [this](TriggerField f, long v) { view_.setText(f, std::to_string(v)); };
    put(TriggerField::TriggerType, valueOf(t, &Trigger::get_TriggerType));
    put(TriggerField::StartHour, valueOf(t, &Trigger::get_StartHour));
    put(TriggerField::StartMinute, valueOf(t, &Trigger::get_StartMinute));
    put(TriggerField::BeginDay, valueOf(t, &Trigger::get_BeginDay));
    put(TriggerField::BeginMonth, valueOf(t, &Trigger::get_BeginMonth));
    put(TriggerField::BeginYear, valueOf(t, &Trigger::get_BeginYear));
    put(TriggerField::EndDay, valueOf(t, &Trigger::get_EndDay));
    put(TriggerField::EndMonth, valueOf(t, &Trigger::get_EndMonth));
    put(TriggerField::EndYear, valueOf(t, &Trigger::get_EndYear));
    put(TriggerField::DurationInMinutes, valueOf(t, &Trigger::get_DurationInMinutes));
    put(TriggerField::IntervalInMinutes, valueOf(t, &Trigger::get_IntervalInMinutes));
}

} // namespace qm::options
