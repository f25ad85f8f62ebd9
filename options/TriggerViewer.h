#pragma once
// The trigger viewer TriggersForm: the triggers of the task selected on the
// scheduling tab, listed by their wording, and the fields of the trigger
// selected in the list. It only reads. A task whose Triggers gives no
// collection opens an empty viewer with the count "0".
#include "options/SchedulerClient.h"

#include <array>
#include <string>

namespace qm::options {

class TaskTabPresenter;

enum class TriggerField {
    TriggerType,
    StartHour,
    StartMinute,
    BeginDay,
    BeginMonth,
    BeginYear,
    EndDay,
    EndMonth,
    EndYear,
    DurationInMinutes,
    IntervalInMinutes,
};
// The text boxes' control names; each box's label is the name without "_Value".
inline constexpr std::array<const char*, 11> TriggerFieldNames{
    "TriggerType_Value", "StartHour_Value",  "StartMinute_Value", "BeginDay_Value",
    "BeginMonth_Value",  "BeginYear_Value",  "EndDay_Value",      "EndMonth_Value",
    "EndYear_Value",     "DurationInMinutes_Value", "IntervalInMinutes_Value"};

class TriggersView {
public:
    virtual ~TriggersView() = default;
    virtual void clearTriggerList() = 0;
    virtual void addTrigger(const std::string& text) = 0;
    // Marks entry `index` (from 0) selected; its click is the presenter's.
    virtual void selectTriggerEntry(int index) = 0;
    virtual int selectedTriggerEntry() const = 0;
    virtual void setText(TriggerField field, const std::string& text) = 0;
    virtual void setTriggerCount(const std::string& text) = 0;
};

class TriggersPresenter {
public:
    TriggersPresenter(TaskTabPresenter& tab, TriggersView& view) : tab_(tab), view_(view) {}

    // The window's variables
    ComPtr<Triggers> TaskTriggers; // the task's trigger collection, taken at load
    ComPtr<Trigger> CurrentTrigger;
    int CurrentPosition = 0;

    // With at least one listed task: its Triggers, listed.
    void Form_Load();
    void LoadTriggerList();
    void TriggerList_Click();
    void ShowTriggerDetails();

private:
    TaskTabPresenter& tab_;
    TriggersView& view_;
};

} // namespace qm::options
