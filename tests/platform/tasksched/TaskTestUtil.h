#pragma once
// Builders for triggers and jobs, and waiting for a run to end.
#include "platform/tasksched/Job.h"
#include "platform/tasksched/RunState.h"

#include "TestSupport.h"

#include <filesystem>

namespace qmtest {

using namespace qm::tasksched;
using qm::datetime::DateTime;

inline TASK_TRIGGER trigger(int type, int y, int m, int d, int hour = 21, int minute = 0)
{
    TASK_TRIGGER t;
    t.TriggerType = type;
    t.wBeginYear = static_cast<WORD>(y);
    t.wBeginMonth = static_cast<WORD>(m);
    t.wBeginDay = static_cast<WORD>(d);
    t.wStartHour = static_cast<WORD>(hour);
    t.wStartMinute = static_cast<WORD>(minute);
    return t;
}

inline TASK_TRIGGER daily(int y, int m, int d, int hour = 21, int minute = 0, WORD every = 1)
{
    TASK_TRIGGER t = trigger(TASK_TIME_TRIGGER_DAILY, y, m, d, hour, minute);
    t.Type.setDaysInterval(every);
    return t;
}

inline Job jobRunning(const std::string& app, const std::string& parameters, std::vector<TASK_TRIGGER> triggers)
{
    Job job;
    job.ApplicationName = app;
    job.Parameters = parameters;
    job.triggers = std::move(triggers);
    return job;
}

using qm::test::eventually;

} // namespace qmtest
