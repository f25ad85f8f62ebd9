// The scheduler object, its enumerator of task names and its class factory.
#include "platform/com/ClassFactory.h"
#include "platform/com/Creation.h"
#include "platform/com/TaskMem.h"
#include "platform/fs/NoCase.h"
#include "platform/tasksched/Counted.h"
#include "platform/tasksched/Results.h"
#include "platform/tasksched/TaskFile.h"
#include "platform/tasksched/TaskNames.h"
#include "platform/tasksched/TaskObject.h"
#include "platform/tasksched/TaskScheduler.h"
#include "platform/tasksched/TasksFolder.h"

#include <algorithm>
#include <atomic>
#include <unistd.h>

namespace qm::tasksched {

using com::E_INVALIDARG;
using com::E_NOINTERFACE;
using com::E_OUTOFMEMORY;
using com::E_POINTER;
using com::S_FALSE;
using com::S_OK;

namespace {

class WorkItemNames final : public Counted<IEnumWorkItems> {
public:
    WorkItemNames(std::vector<std::u16string> names, std::size_t at) : names_(std::move(names)), at_(at) {}

    HRESULT Next(ULONG count, LPWSTR** names, ULONG* fetched) override
    {
        if (!names || (!fetched && count != 1))
            return E_POINTER;
        *names = nullptr;
        const std::size_t n = std::min<std::size_t>(count, names_.size() - at_);
        if (n > 0) {
            auto* array = static_cast<LPWSTR*>(com::CoTaskMemAlloc(n * sizeof(LPWSTR)));
            if (!array)
                return E_OUTOFMEMORY;
            for (std::size_t i = 0; i < n; ++i) {
                array[i] = com::taskMemString(names_[at_ + i]);
                if (!array[i]) {
                    for (std::size_t j = 0; j < i; ++j)
                        com::CoTaskMemFree(array[j]);
                    com::CoTaskMemFree(array);
                    return E_OUTOFMEMORY;
                }
            }
            *names = array;
            at_ += n;
        }
        if (fetched)
            *fetched = static_cast<ULONG>(n);
        return n == count ? S_OK : S_FALSE;
    }
    HRESULT Skip(ULONG count) override
    {
        const std::size_t n = std::min<std::size_t>(count, names_.size() - at_);
        at_ += n;
        return n == count ? S_OK : S_FALSE;
    }
    HRESULT Reset() override
    {
        at_ = 0;
        return S_OK;
    }
    HRESULT Clone(IEnumWorkItems** copy) override
    {
        if (!copy)
            return E_POINTER;
        return giveNew(new WorkItemNames(names_, at_), IEnumWorkItems::iid, reinterpret_cast<void**>(copy));
    }

private:
    std::vector<std::u16string> names_;
    std::size_t at_;
};

std::string hostName()
{
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0)
        return "localhost";
    return name;
}

class Scheduler final : public Counted<ITaskScheduler> {
public:
    explicit Scheduler(std::filesystem::path folder) : folder_(std::move(folder)) {}

    HRESULT SetTargetComputer(LPCWSTR computer) override
    {
        std::string name = com::utf8FromUtf16(com::olestrView(computer));
        if (name.rfind("\\\\", 0) == 0)
            name.erase(0, 2);
        if (!name.empty() && !fs::equalsNoCase(name, hostName()))
            return com::HRESULT_FROM_WIN32(com::ERROR_BAD_NETPATH);
        return S_OK;
    }
    HRESULT GetTargetComputer(LPWSTR* computer) override
    {
        if (!computer)
            return E_POINTER;
        *computer = com::taskMemString(com::utf16FromUtf8("\\\\" + hostName()));
        return *computer ? S_OK : E_OUTOFMEMORY;
    }

    HRESULT Enum(IEnumWorkItems** items) override
    {
        if (!items)
            return E_POINTER;
        std::vector<std::u16string> names;
        for (const std::string& n : jobFileNames(folder_))
            names.push_back(com::utf16FromUtf8(n));
        return giveNew(new WorkItemNames(std::move(names), 0), IEnumWorkItems::iid, reinterpret_cast<void**>(items));
    }

    HRESULT Activate(LPCWSTR name, const IID& riid, IUnknown** item) override
    {
        if (!item)
            return E_POINTER;
        *item = nullptr;
        const auto base = baseOf(name);
        if (!base)
            return E_INVALIDARG;
        const TaskFiles files = taskFiles(folder_, *base);
        std::error_code ec;
        if (!std::filesystem::is_regular_file(files.job, ec))
            return com::HRESULT_FROM_WIN32(com::ERROR_FILE_NOT_FOUND);
        try {
            auto job = loadJob(files.job);
            if (!job)
                return SCHED_E_INVALID_TASK;
            TaskObject* task = makeTaskObject(folder_, *base, std::move(*job), true);
            return giveTask(*task, riid, item);
        } catch (const RtError& e) {
            return resultFromRtError(e);
        }
    }

    HRESULT Delete(LPCWSTR name) override
    {
        const auto base = baseOf(name);
        if (!base)
            return E_INVALIDARG;
        const TaskFiles files = taskFiles(folder_, *base);
        fs::FileLock lock = lockTaskFolder(files.job);
        std::error_code ec;
        if (!std::filesystem::remove(files.job, ec))
            return ec ? resultFromErrno(ec.value()) : com::HRESULT_FROM_WIN32(com::ERROR_FILE_NOT_FOUND);
        std::filesystem::remove(files.state, ec);
        return S_OK;
    }

    HRESULT NewWorkItem(LPCWSTR name, const CLSID& clsid, const IID& riid, IUnknown** item) override
    {
        if (!item)
            return E_POINTER;
        *item = nullptr;
        const auto base = baseOf(name);
        if (!base)
            return E_INVALIDARG;
        if (clsid != CLSID_CTask)
            return com::CLASS_E_CLASSNOTAVAILABLE;
        std::error_code ec;
        if (std::filesystem::exists(std::filesystem::symlink_status(taskFiles(folder_, *base).job, ec)))
            return com::HRESULT_FROM_WIN32(com::ERROR_FILE_EXISTS);
        return giveTask(*makeTaskObject(folder_, *base, Job{}, false), riid, item);
    }

    HRESULT AddWorkItem(LPCWSTR name, ITask* item) override
    {
        const auto base = baseOf(name);
        if (!base)
            return E_INVALIDARG;
        TaskObject* task = taskObjectOf(item);
        if (!task)
            return E_INVALIDARG;
        return addToFolder(*task, *base);
    }

private:
    static std::optional<std::string> baseOf(LPCWSTR name)
    {
        return taskBaseName(com::utf8FromUtf16(com::olestrView(name)));
    }
    static HRESULT giveTask(TaskObject& task, const IID& riid, IUnknown** item)
    {
        ITask* held = nullptr;
        queryTask(task, ITask::iid, reinterpret_cast<void**>(&held)); // keeps it alive while asked
        const HRESULT hr = queryTask(task, riid, reinterpret_cast<void**>(item));
        held->Release();
        return hr;
    }

    std::filesystem::path folder_;
};

class SchedulerFactory final : public Counted<com::IClassFactory> {
public:
    HRESULT CreateInstance(IUnknown* outer, const IID& riid, void** object) override
    {
        if (!object)
            return E_POINTER;
        *object = nullptr;
        if (outer)
            return com::CLASS_E_NOAGGREGATION;
        return giveNew(new Scheduler(tasksFolderNative()), riid, object);
    }
    HRESULT LockServer(bool) override { return S_OK; }
};

} // namespace

HRESULT registerTaskScheduler(DWORD* cookie)
{
    DWORD ignored = 0;
    auto* factory = new SchedulerFactory;
    factory->AddRef();
    const HRESULT hr = com::CoRegisterClassObject(CLSID_CTaskScheduler, factory, com::CLSCTX_INPROC_SERVER,
                                                  com::REGCLS_MULTIPLEUSE, cookie ? cookie : &ignored);
    factory->Release();
    return hr;
}

ITaskScheduler* createTaskScheduler(const std::filesystem::path& folder)
{
    auto* scheduler = new Scheduler(folder);
    scheduler->AddRef();
    return scheduler;
}

} // namespace qm::tasksched
