#include "RefusingScheduler.h"

#include "platform/com/ClassFactory.h"
#include "platform/com/ComPtr.h"
#include "platform/com/Creation.h"
#include "platform/tasksched/TaskScheduler.h"
#include "platform/tasksched/TasksFolder.h"

namespace qmtest {

using namespace qm::com;
using namespace qm::tasksched;

namespace {

// One interface over a real object; the wrapper counts its own references.
template <class I>
class Wrapper : public I {
public:
    Wrapper(ComPtr<I> real, const Refusals& refuse) : real_(std::move(real)), refuse_(refuse) {}
    HRESULT QueryInterface(const IID& riid, void** object) override
    {
        if (riid == IUnknown::iid || riid == I::iid) {
            *object = static_cast<I*>(this);
            AddRef();
            return S_OK;
        }
        return real_->QueryInterface(riid, object);
    }
    ULONG AddRef() override { return ++refs_; }
    ULONG Release() override
    {
        const ULONG n = --refs_;
        if (n == 0)
            delete this;
        return n;
    }

protected:
    virtual ~Wrapper() = default;
    ComPtr<I> real_;
    const Refusals& refuse_;
    ULONG refs_ = 0;
};

#define QM_FORWARD(name, params, args) \
    HRESULT name params override { return real_->name args; }

class Task final : public Wrapper<ITask> {
public:
    using Wrapper::Wrapper;
    QM_FORWARD(SetApplicationName, (LPCWSTR v), (v))
    QM_FORWARD(GetApplicationName, (LPWSTR * v), (v))
    QM_FORWARD(SetParameters, (LPCWSTR v), (v))
    QM_FORWARD(GetParameters, (LPWSTR * v), (v))
    QM_FORWARD(SetWorkingDirectory, (LPCWSTR v), (v))
    QM_FORWARD(GetWorkingDirectory, (LPWSTR * v), (v))
    QM_FORWARD(SetComment, (LPCWSTR v), (v))
    QM_FORWARD(GetComment, (LPWSTR * v), (v))
    QM_FORWARD(SetCreator, (LPCWSTR v), (v))
    QM_FORWARD(GetCreator, (LPWSTR * v), (v))
    QM_FORWARD(SetPriority, (DWORD v), (v))
    QM_FORWARD(GetPriority, (DWORD * v), (v))
    QM_FORWARD(SetFlags, (DWORD v), (v))
    QM_FORWARD(GetFlags, (DWORD * v), (v))
    QM_FORWARD(SetMaxRunTime, (DWORD v), (v))
    QM_FORWARD(GetMaxRunTime, (DWORD * v), (v))
    QM_FORWARD(SetIdleWait, (WORD a, WORD b), (a, b))
    QM_FORWARD(GetIdleWait, (WORD * a, WORD* b), (a, b))
    QM_FORWARD(SetAccountInformation, (LPCWSTR a, LPCWSTR b), (a, b))
    QM_FORWARD(GetAccountInformation, (LPWSTR * v), (v))
    QM_FORWARD(CreateTrigger, (WORD * i, ITaskTrigger** t), (i, t))
    QM_FORWARD(DeleteTrigger, (WORD i), (i))
    QM_FORWARD(GetTriggerCount, (WORD * n), (n))
    HRESULT GetTrigger(WORD i, ITaskTrigger** t) override { return refuse_.triggers ? E_FAIL : real_->GetTrigger(i, t); }
    QM_FORWARD(Run, (), ())
    QM_FORWARD(Terminate, (), ())
    QM_FORWARD(GetStatus, (HRESULT * s), (s))
    QM_FORWARD(GetExitCode, (DWORD * c), (c))
    QM_FORWARD(GetMostRecentRunTime, (SYSTEMTIME * t), (t))
    QM_FORWARD(GetNextRunTime, (SYSTEMTIME * t), (t))
    QM_FORWARD(EditWorkItem, (void* w, DWORD r), (w, r))
};

class Scheduler final : public Wrapper<ITaskScheduler> {
public:
    using Wrapper::Wrapper;
    QM_FORWARD(SetTargetComputer, (LPCWSTR c), (c))
    QM_FORWARD(GetTargetComputer, (LPWSTR * c), (c))
    QM_FORWARD(Enum, (IEnumWorkItems * *items), (items))
    HRESULT Activate(LPCWSTR name, const IID& riid, IUnknown** item) override
    {
        ComPtr<ITask> real;
        const HRESULT hr = real_->Activate(name, ITask::iid, reinterpret_cast<IUnknown**>(real.put()));
        if (FAILED(hr))
            return hr;
        auto* task = new Task(std::move(real), refuse_);
        task->AddRef();
        const HRESULT asked = task->QueryInterface(riid, reinterpret_cast<void**>(item));
        task->Release();
        return asked;
    }
    HRESULT Delete(LPCWSTR name) override { return refuse_.deleteTask ? E_ACCESSDENIED : real_->Delete(name); }
    QM_FORWARD(NewWorkItem, (LPCWSTR n, const CLSID& c, const IID& i, IUnknown** w), (n, c, i, w))
    QM_FORWARD(AddWorkItem, (LPCWSTR n, ITask* t), (n, t))
};

#undef QM_FORWARD

} // namespace

class RefusingFactory final : public IClassFactory {
public:
    explicit RefusingFactory(const Refusals& r) : refuse(r) {}
    HRESULT QueryInterface(const IID& riid, void** object) override
    {
        *object = riid == IUnknown::iid || riid == IClassFactory::iid ? this : nullptr;
        return *object ? S_OK : E_NOINTERFACE;
    }
    ULONG AddRef() override { return 2; }
    ULONG Release() override { return 1; }
    HRESULT CreateInstance(IUnknown*, const IID& riid, void** object) override
    {
        auto* made = new Scheduler(ComPtr<ITaskScheduler>::attach(createTaskScheduler(tasksFolderNative())), refuse);
        made->AddRef();
        const HRESULT hr = made->QueryInterface(riid, object);
        made->Release();
        return hr;
    }
    HRESULT LockServer(bool) override { return S_OK; }
    const Refusals& refuse;
};

RefusingBackend::RefusingBackend() : factory_(std::make_unique<RefusingFactory>(refuse))
{
    CoRegisterClassObject(CLSID_CTaskScheduler, factory_.get(), CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie_);
}

RefusingBackend::~RefusingBackend() { CoRevokeClassObject(cookie_); }

} // namespace qmtest
