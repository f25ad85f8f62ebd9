#pragma once
// CScheduler: the coclass Cronolet, over one instance of the task
// scheduler (made at construction, null when that failed). It may be made
// standalone or as the inner object of an aggregate: its IUnknown side
// (Inner) counts and answers for the object, its IScheduler side delegates
// to the controlling unknown (the outer object, or Inner).
#include "platform/com/ComPtr.h"
#include "platform/tasksched/Interfaces.h"
#include "scheduler/Collection.h"
#include "scheduler/Cronolet.h"
#include "scheduler/Module.h"

namespace qm::cronolet {

class CScheduler final : public com::DispatchImpl<CScheduler, IScheduler> {
public:
    static const com::DispatchTable<CScheduler>& dispatchTable();

    // A new scheduler asked for `riid`; with an `outer` object only
    // IUnknown may be asked (CLASS_E_NOAGGREGATION otherwise).
    static HRESULT create(IUnknown* outer, const IID& riid, void** object);

    HRESULT QueryInterface(const IID& riid, void** object) override
    {
        return controlling_->QueryInterface(riid, object);
    }
    com::ULONG AddRef() override { return controlling_->AddRef(); }
    com::ULONG Release() override { return controlling_->Release(); }

    HRESULT get_Tasks(VARIANT* pVal) override;
    HRESULT get_TargetComputer(BSTR* pVal) override;
    HRESULT put_TargetComputer(BSTR newVal) override;
    HRESULT CreateNewTask(BSTR TaskName, VARIANT* pVal) override;
    HRESULT DeleteTask(BSTR TaskName) override;
    HRESULT get_ErrorCode(LONG* pVal) override;
    HRESULT get_Task(BSTR TaskName, VARIANT* pVal) override;

private:
    explicit CScheduler(IUnknown* outer);
    ~CScheduler();

    struct Inner final : IUnknown {
        explicit Inner(CScheduler& s) : self(s) {}
        HRESULT QueryInterface(const IID& riid, void** object) override;
        com::ULONG AddRef() override { return ++self.refs_; }
        com::ULONG Release() override;
        CScheduler& self;
    };

    // The checks that open most members: a null name (when `name` is
    // asked), then no task scheduler. False with the code set.
    bool ready();
    bool ready(BSTR name);
    // A task object over `task` in `result`.
    void giveTask(VARIANT& result, com::ComPtr<tasksched::ITask> task, BSTR name);

    ModuleLock lock_; // first made, last gone
    Inner inner_{*this};
    IUnknown* controlling_;
    com::ULONG refs_ = 0;
    com::ComPtr<CScheduledTasks> tasks_; // made at the first get_Tasks
    com::ComPtr<tasksched::ITaskScheduler> instance_;
    LONG errorCode_ = 0;
    HRESULT apartment_; // what CoInitialize answered
};

} // namespace qm::cronolet
