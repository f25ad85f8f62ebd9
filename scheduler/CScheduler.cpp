#include "scheduler/CScheduler.h"

#include "platform/com/Apartment.h"
#include "platform/com/Creation.h"
#include "platform/com/TaskMem.h"
#include "scheduler/CScheduledTask.h"

#include <new>

namespace qm::cronolet {

using com::ComPtr;
using com::E_POINTER;
using com::FAILED;
using com::S_OK;
using com::SUCCEEDED;
using com::ULONG;
using tasksched::IEnumWorkItems;
using tasksched::ITask;
using tasksched::ITaskScheduler;

namespace {

// The task scheduler instance of the scheduler made last (null after a
// failed CoInitialize; kept when the instance could not be made). Nothing
// calls through it: every task keeps a reference to its own instance. It
// is cleared when its scheduler goes, so it never names a freed object.
ITaskScheduler* lastInstance = nullptr;

// Task names are fetched in batches of this many.
constexpr ULONG kNameBatch = 5;

// One batch of names from IEnumWorkItems::Next; frees every name and the
// array whatever happens.
struct NameBatch {
    com::LPWSTR* names = nullptr;
    ULONG count = 0;
    NameBatch() = default;
    NameBatch(const NameBatch&) = delete;
    NameBatch& operator=(const NameBatch&) = delete;
    ~NameBatch()
    {
        if (!names)
            return;
        for (ULONG i = 0; i < count; ++i)
            com::CoTaskMemFree(names[i]);
        com::CoTaskMemFree(names);
    }
};

IUnknown** asUnknown(ComPtr<ITask>& task) { return reinterpret_cast<IUnknown**>(task.put()); }

} // namespace

HRESULT CScheduler::create(IUnknown* outer, const IID& riid, void** object)
{
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (outer && riid != IUnknown::iid)
        return com::CLASS_E_NOAGGREGATION;
    CScheduler* made = new (std::nothrow) CScheduler(outer);
    if (!made)
        return com::E_OUTOFMEMORY;
    made->inner_.AddRef();
    const HRESULT hr = made->inner_.QueryInterface(riid, object);
    made->inner_.Release();
    return hr;
}

CScheduler::CScheduler(IUnknown* outer) : controlling_(outer ? outer : &inner_)
{
    apartment_ = com::CoInitialize(nullptr);
    if (SUCCEEDED(apartment_)) {
        if (FAILED(com::CoCreateInstance(tasksched::CLSID_CTaskScheduler, nullptr, com::CLSCTX_INPROC_SERVER,
                                         tasksched::IID_ITaskScheduler, instance_.putVoid())) ||
            !instance_) {
            instance_.reset();
            errorCode_ = errc::NoTaskScheduler;
            return;
        }
    }
    lastInstance = instance_.get();
}

CScheduler::~CScheduler()
{
    if (tasks_)
        tasks_->clear();
    tasks_.reset();
    if (instance_ && lastInstance == instance_.get())
        lastInstance = nullptr;
    instance_.reset();
    if (SUCCEEDED(apartment_))
        com::CoUninitialize();
}

HRESULT CScheduler::Inner::QueryInterface(const IID& riid, void** object)
{
    if (!object)
        return E_POINTER;
    if (riid == IUnknown::iid)
        *object = static_cast<IUnknown*>(this);
    else if (riid == com::IDispatch::iid || riid == IScheduler::iid)
        *object = static_cast<IScheduler*>(&self);
    else {
        *object = nullptr;
        return com::E_NOINTERFACE;
    }
    static_cast<IUnknown*>(*object)->AddRef();
    return S_OK;
}

ULONG CScheduler::Inner::Release()
{
    const ULONG n = --self.refs_;
    if (n == 0)
        delete &self;
    return n;
}

bool CScheduler::ready()
{
    if (instance_)
        return true;
    errorCode_ = errc::NoTaskScheduler;
    return false;
}

bool CScheduler::ready(BSTR name)
{
    if (!name) {
        errorCode_ = errc::NullString;
        return false;
    }
    return ready();
}

void CScheduler::giveTask(VARIANT& result, ComPtr<ITask> task, BSTR name)
{
    giveDispatch(result, new CScheduledTask(std::move(task), instance_, name));
}

HRESULT CScheduler::get_Tasks(VARIANT* pVal)
{
    if (!pVal)
        return E_POINTER;
    giveDispatch(*pVal, nullptr);
    if (!ready())
        return S_OK;
    return guarded(errorCode_, errc::ActivateFailed, [&] {
        if (!tasks_)
            tasks_ = ComPtr<CScheduledTasks>::share(new CScheduledTasks);
        tasks_->clear();
        ComPtr<IEnumWorkItems> items;
        if (FAILED(instance_->Enum(items.put())) || !items) {
            errorCode_ = errc::EnumFailed;
            return S_OK;
        }
        for (;;) {
            NameBatch batch;
            if (FAILED(items->Next(kNameBatch, &batch.names, &batch.count)) || batch.count == 0 || !batch.names)
                break;
            for (ULONG i = 0; i < batch.count; ++i) {
                ComPtr<ITask> task;
                if (FAILED(instance_->Activate(batch.names[i], tasksched::IID_ITask, asUnknown(task))) || !task) {
                    errorCode_ = errc::ActivateFailed;
                    return S_OK;
                }
                tasks_->append(new CScheduledTask(std::move(task), instance_, batch.names[i]));
            }
        }
        giveDispatch(*pVal, tasks_.get());
        return S_OK;
    });
}

HRESULT CScheduler::get_TargetComputer(BSTR* pVal)
{
    if (!pVal)
        return E_POINTER;
    *pVal = nullptr;
    if (!ready())
        return S_OK;
    com::LPWSTR name = nullptr;
    if (FAILED(instance_->GetTargetComputer(&name)) || !(*pVal = com::SysAllocString(name)))
        errorCode_ = errc::GetTargetComputer;
    com::CoTaskMemFree(name);
    return S_OK;
}

HRESULT CScheduler::put_TargetComputer(BSTR newVal)
{
    if (ready(newVal) && FAILED(instance_->SetTargetComputer(newVal)))
        errorCode_ = errc::SetTargetComputer;
    return S_OK;
}

HRESULT CScheduler::CreateNewTask(BSTR TaskName, VARIANT* pVal)
{
    if (!pVal)
        return E_POINTER;
    giveDispatch(*pVal, nullptr);
    if (!ready(TaskName))
        return S_OK;
    return guarded(errorCode_, errc::CreateTaskFailed, [&] {
        ComPtr<ITask> task;
        const HRESULT hr =
            instance_->NewWorkItem(TaskName, tasksched::CLSID_CTask, tasksched::IID_ITask, asUnknown(task));
        if (FAILED(hr) || !task) {
            errorCode_ = hr == com::HRESULT_FROM_WIN32(com::ERROR_FILE_EXISTS) ? errc::TaskExists
                                                                                : errc::CreateTaskFailed;
            return S_OK;
        }
        if (FAILED(instance_->AddWorkItem(TaskName, task.get()))) {
            errorCode_ = errc::CreateTaskFailed;
            return S_OK;
        }
        giveTask(*pVal, std::move(task), TaskName);
        return S_OK;
    });
}

HRESULT CScheduler::DeleteTask(BSTR TaskName)
{
    if (ready(TaskName) && FAILED(instance_->Delete(TaskName)))
        errorCode_ = errc::DeleteTaskFailed;
    return S_OK;
}

HRESULT CScheduler::get_ErrorCode(LONG* pVal)
{
    if (!pVal)
        return E_POINTER;
    *pVal = errorCode_;
    return S_OK;
}

HRESULT CScheduler::get_Task(BSTR TaskName, VARIANT* pVal)
{
    if (!pVal)
        return E_POINTER;
    giveDispatch(*pVal, nullptr);
    if (!ready(TaskName))
        return S_OK;
    return guarded(errorCode_, errc::ActivateFailed, [&] {
        ComPtr<ITask> task;
        if (FAILED(instance_->Activate(TaskName, tasksched::IID_ITask, asUnknown(task))) || !task)
            errorCode_ = errc::ActivateFailed;
        else
            giveTask(*pVal, std::move(task), TaskName);
        return S_OK;
    });
}

const com::DispatchTable<CScheduler>& CScheduler::dispatchTable()
{
    using Table = com::DispatchTable<CScheduler>;
    using com::MemberKind;
    static const Table table{
        Table::row<&IScheduler::get_Tasks>(1, "Tasks", MemberKind::Get),
        Table::row<&IScheduler::get_TargetComputer>(2, "TargetComputer", MemberKind::Get),
        Table::row<&IScheduler::put_TargetComputer>(2, "TargetComputer", MemberKind::Put),
        Table::row<&IScheduler::CreateNewTask>(3, "CreateNewTask", MemberKind::Method),
        Table::row<&IScheduler::DeleteTask>(4, "DeleteTask", MemberKind::Method),
        Table::row<&IScheduler::get_ErrorCode>(5, "ErrorCode", MemberKind::Get),
        Table::row<&IScheduler::get_Task>(6, "Task", MemberKind::Get),
    };
    return table;
}

} // namespace qm::cronolet
