#include "FailingScheduler.h"

#include "platform/com/ClassFactory.h"
#include "platform/com/Creation.h"

namespace qmtest {

using namespace qm::com;

namespace {

constexpr HRESULT F = E_FAIL;

// IUnknown for one interface; other() may answer more (with a reference).
template <class I>
class Fake : public I {
public:
    explicit Fake(FailingSetup& s) : setup(s) {}
    HRESULT QueryInterface(const IID& riid, void** object) override
    {
        if (riid == IUnknown::iid || riid == I::iid) {
            *object = static_cast<I*>(this);
            AddRef();
            return S_OK;
        }
        *object = other(riid);
        return *object ? S_OK : E_NOINTERFACE;
    }
    ULONG AddRef() override { return ++refs; }
    ULONG Release() override
    {
        const ULONG n = --refs;
        if (n == 0)
            delete this;
        return n;
    }

protected:
    virtual ~Fake() = default;
    virtual void* other(const IID&) { return nullptr; }
    FailingSetup& setup;
    ULONG refs = 0;
};

// A new fake with the caller's reference.
template <class T>
HRESULT give(T* made, void** out)
{
    return made->QueryInterface(IUnknown::iid, out);
}

class FailingTrigger final : public Fake<ITaskTrigger> {
public:
    using Fake::Fake;
    HRESULT SetTrigger(const TASK_TRIGGER*) override { return F; }
    HRESULT GetTrigger(TASK_TRIGGER*) override { return F; }
    HRESULT GetTriggerString(LPWSTR*) override { return F; }
};

class FailingFile final : public Fake<IPersistFile> {
public:
    using Fake::Fake;
    HRESULT GetClassID(CLSID*) override { return F; }
    HRESULT IsDirty() override { return F; }
    HRESULT Load(LPCOLESTR, DWORD) override { return F; }
    HRESULT Save(LPCOLESTR, bool) override { return F; }
    HRESULT SaveCompleted(LPCOLESTR) override
    {
        ++setup.saveCompletedCalls;
        return F;
    }
    HRESULT GetCurFile(LPOLESTR*) override { return F; }
};

class FailingTask final : public Fake<ITask> {
public:
    using Fake::Fake;
    HRESULT SetApplicationName(LPCWSTR) override { return F; }
    HRESULT GetApplicationName(LPWSTR*) override { return F; }
    HRESULT SetParameters(LPCWSTR) override { return F; }
    HRESULT GetParameters(LPWSTR*) override { return F; }
    HRESULT SetWorkingDirectory(LPCWSTR) override { return F; }
    HRESULT GetWorkingDirectory(LPWSTR*) override { return F; }
    HRESULT SetComment(LPCWSTR) override { return F; }
    HRESULT GetComment(LPWSTR*) override { return F; }
    HRESULT SetCreator(LPCWSTR) override { return F; }
    HRESULT GetCreator(LPWSTR*) override { return F; }
    HRESULT SetPriority(DWORD) override { return F; }
    HRESULT GetPriority(DWORD*) override { return F; }
    HRESULT SetFlags(DWORD) override { return F; }
    HRESULT GetFlags(DWORD*) override { return F; }
    HRESULT SetMaxRunTime(DWORD) override { return F; }
    HRESULT GetMaxRunTime(DWORD*) override { return F; }
    HRESULT SetIdleWait(WORD, WORD) override { return F; }
    HRESULT GetIdleWait(WORD*, WORD*) override { return F; }
    HRESULT SetAccountInformation(LPCWSTR, LPCWSTR) override { return F; }
    HRESULT GetAccountInformation(LPWSTR*) override { return F; }
    HRESULT CreateTrigger(WORD*, ITaskTrigger**) override { return F; }
    HRESULT DeleteTrigger(WORD) override { return F; }
    HRESULT GetTriggerCount(WORD* count) override
    {
        *count = 1;
        return S_OK;
    }
    HRESULT GetTrigger(WORD, ITaskTrigger** trigger) override
    {
        return setup.giveTrigger ? give(new FailingTrigger(setup), reinterpret_cast<void**>(trigger)) : F;
    }
    HRESULT Run() override { return F; }
    HRESULT Terminate() override { return F; }
    HRESULT GetStatus(HRESULT* status) override
    {
        if (FAILED(setup.status))
            return setup.status;
        *status = setup.status;
        return S_OK;
    }
    HRESULT GetExitCode(DWORD*) override { return F; }
    HRESULT GetMostRecentRunTime(SYSTEMTIME*) override { return F; }
    HRESULT GetNextRunTime(SYSTEMTIME*) override { return F; }
    HRESULT EditWorkItem(void*, DWORD) override { return F; }

private:
    void* other(const IID& riid) override
    {
        if (riid != IPersistFile::iid || !setup.persist)
            return nullptr;
        auto* file = new FailingFile(setup);
        file->AddRef();
        return static_cast<IPersistFile*>(file);
    }
};

class FailingTaskScheduler final : public Fake<ITaskScheduler> {
public:
    using Fake::Fake;
    HRESULT SetTargetComputer(LPCWSTR) override { return F; }
    HRESULT GetTargetComputer(LPWSTR*) override { return F; }
    HRESULT Enum(IEnumWorkItems**) override { return F; }
    HRESULT Activate(LPCWSTR, const IID&, IUnknown** item) override { return task(item); }
    HRESULT Delete(LPCWSTR) override { return F; }
    HRESULT NewWorkItem(LPCWSTR, const CLSID&, const IID&, IUnknown** item) override { return task(item); }
    HRESULT AddWorkItem(LPCWSTR, ITask*) override { return F; }

private:
    HRESULT task(IUnknown** item)
    {
        *item = nullptr;
        return setup.activateFails ? F : give(new FailingTask(setup), reinterpret_cast<void**>(item));
    }
};

} // namespace

class FailingFactory final : public IClassFactory {
public:
    explicit FailingFactory(FailingSetup& s) : setup(s) {}
    HRESULT QueryInterface(const IID& riid, void** object) override
    {
        *object = riid == IUnknown::iid || riid == IClassFactory::iid ? this : nullptr;
        return *object ? S_OK : E_NOINTERFACE;
    }
    ULONG AddRef() override { return 2; }
    ULONG Release() override { return 1; }
    HRESULT CreateInstance(IUnknown*, const IID& riid, void** object) override
    {
        auto* made = new FailingTaskScheduler(setup);
        made->AddRef();
        const HRESULT hr = made->QueryInterface(riid, object);
        made->Release();
        return hr;
    }
    HRESULT LockServer(bool) override { return S_OK; }
    FailingSetup& setup;
};

FailingBackend::FailingBackend() : factory_(std::make_unique<FailingFactory>(setup))
{
    CoRegisterClassObject(CLSID_CTaskScheduler, factory_.get(), CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie_);
}

FailingBackend::~FailingBackend() { CoRevokeClassObject(cookie_); }

} // namespace qmtest
