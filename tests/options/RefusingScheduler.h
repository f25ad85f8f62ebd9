#pragma once
// The real task scheduler with chosen refusals, for the failures of the
// scheduling tab that a working scheduler never has: a task that cannot be
// deleted (it stays listed), and tasks whose triggers cannot be read.
// While a RefusingBackend lives, CoCreateInstance(CLSID_CTaskScheduler)
// makes such schedulers over the tasks folder.
#include "platform/com/Result.h"

#include <memory>

namespace qmtest {

struct Refusals {
    bool deleteTask = false; // Delete fails
    bool triggers = false;   // a task's GetTrigger fails
};

class RefusingFactory;

class RefusingBackend {
public:
    RefusingBackend();
    ~RefusingBackend();
    RefusingBackend(const RefusingBackend&) = delete;
    RefusingBackend& operator=(const RefusingBackend&) = delete;

    Refusals refuse;

private:
    std::unique_ptr<RefusingFactory> factory_;
    qm::com::DWORD cookie_ = 0;
};

} // namespace qmtest
