#pragma once
// A task scheduler whose every call fails (E_FAIL) unless the shared setup
// says otherwise, for the failures the real one never has. Registered in
// the class table in place of the real class while a FailingBackend lives.
#include "platform/tasksched/Interfaces.h"

#include <memory>

namespace qmtest {

using namespace qm::tasksched;
using qm::com::DWORD;
using qm::com::HRESULT;

struct FailingSetup {
    bool activateFails = false; // else Activate and NewWorkItem give a failing task
    HRESULT status = qm::com::E_FAIL; // GetStatus: a failure, or the status it gives
    bool giveTrigger = false;   // GetTrigger(0) gives a failing trigger, else fails
    bool persist = false;       // tasks answer IPersistFile (every call failing)
    int saveCompletedCalls = 0;
};

class FailingFactory;

// While it lives, CoCreateInstance(CLSID_CTaskScheduler) makes failing schedulers.
class FailingBackend {
public:
    FailingBackend();
    ~FailingBackend();
    FailingBackend(const FailingBackend&) = delete;
    FailingBackend& operator=(const FailingBackend&) = delete;

    FailingSetup setup;

private:
    std::unique_ptr<FailingFactory> factory_;
    DWORD cookie_ = 0;
};

} // namespace qmtest
