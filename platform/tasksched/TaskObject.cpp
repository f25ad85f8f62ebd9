#include "platform/tasksched/TaskObject.h"

#include "platform/com/TaskMem.h"
#include "platform/datetime/Clock.h"
#include "platform/fs/Paths.h"
#include "platform/tasksched/Counted.h"
#include "platform/tasksched/Launch.h"
#include "platform/tasksched/Results.h"
#include "platform/tasksched/RunState.h"
#include "platform/tasksched/Schedule.h"
#include "platform/tasksched/Status.h"
#include "platform/tasksched/TaskFile.h"
#include "platform/tasksched/TaskNames.h"
#include "platform/tasksched/TaskScheduler.h"
#include "platform/tasksched/TasksFolder.h"
#include "platform/tasksched/TriggerText.h"

#include <algorithm>
#include <atomic>
#include <memory>

namespace qm::tasksched {

using com::E_INVALIDARG;
using com::E_NOINTERFACE;
using com::E_OUTOFMEMORY;
using com::E_POINTER;
using com::S_FALSE;
using com::S_OK;

namespace {

// Asks an ITask for the object behind it; only this layer's tasks answer.
constexpr IID kTaskObjectSelf = com::guid("{6F0D1C52-8E3B-4C1A-9B57-2D4A7C0E9F31}");

PropertySheetHook& propertySheet()
{
    static PropertySheetHook hook;
    return hook;
}

std::string utf8(LPCWSTR text) { return com::utf8FromUtf16(com::olestrView(text)); }

HRESULT giveString(const std::string& text, LPWSTR* out)
{
    if (!out)
        return E_POINTER;
    *out = com::taskMemString(com::utf16FromUtf8(text));
    return *out ? S_OK : E_OUTOFMEMORY;
}

SYSTEMTIME systemTime(const std::optional<datetime::DateTime>& t)
{
    SYSTEMTIME st{};
    if (!t)
        return st;
    const long long day = datetime::dayNumber(t->year, t->month, t->day);
    st.wYear = static_cast<WORD>(t->year);
    st.wMonth = static_cast<WORD>(t->month);
    st.wDayOfWeek = static_cast<WORD>(((day % 7) + 7 + 4) % 7);
    st.wDay = static_cast<WORD>(t->day);
    st.wHour = static_cast<WORD>(t->hour);
    st.wMinute = static_cast<WORD>(t->minute);
    st.wSecond = static_cast<WORD>(t->second);
    return st;
}

// A path given to Load or Save: a host path, or Windows form.
std::filesystem::path hostFile(LPCWSTR file)
{
    const std::string path = utf8(file);
    return !path.empty() && path.front() == '/' ? std::filesystem::path(path) : fs::toNative(path);
}

} // namespace

class TaskObject final : public ITask, public IPersistFile {
public:
    TaskObject(std::filesystem::path folder, std::string base, Job job, bool bound)
        : folder_(std::move(folder)), base_(std::move(base))
    {
        setJob(std::move(job));
        if (bound)
            file_ = taskFiles(folder_, base_).job;
    }

    // IUnknown
    HRESULT QueryInterface(const IID& riid, void** object) override
    {
        if (!object)
            return E_POINTER;
        if (riid == IUnknown::iid || riid == ITask::iid || riid == kTaskObjectSelf)
            *object = static_cast<ITask*>(this);
        else if (riid == IPersistFile::iid)
            *object = static_cast<IPersistFile*>(this);
        else {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG AddRef() override { return ++refs_; }
    ULONG Release() override
    {
        const ULONG n = --refs_;
        if (n == 0)
            delete this;
        return n;
    }

    // What runs
    HRESULT SetApplicationName(LPCWSTR v) override { return set(job_.ApplicationName, v); }
    HRESULT GetApplicationName(LPWSTR* v) override { return giveString(job_.ApplicationName, v); }
    HRESULT SetParameters(LPCWSTR v) override { return set(job_.Parameters, v); }
    HRESULT GetParameters(LPWSTR* v) override { return giveString(job_.Parameters, v); }
    HRESULT SetWorkingDirectory(LPCWSTR v) override { return set(job_.WorkingDirectory, v); }
    HRESULT GetWorkingDirectory(LPWSTR* v) override { return giveString(job_.WorkingDirectory, v); }
    HRESULT SetComment(LPCWSTR v) override { return set(job_.Comment, v); }
    HRESULT GetComment(LPWSTR* v) override { return giveString(job_.Comment, v); }
    HRESULT SetCreator(LPCWSTR v) override { return set(job_.Creator, v); }
    HRESULT GetCreator(LPWSTR* v) override { return giveString(job_.Creator, v); }

    HRESULT SetPriority(DWORD v) override
    {
        if (v != NORMAL_PRIORITY_CLASS && v != IDLE_PRIORITY_CLASS && v != HIGH_PRIORITY_CLASS &&
            v != REALTIME_PRIORITY_CLASS)
            return E_INVALIDARG;
        return change(job_.Priority, v);
    }
    HRESULT GetPriority(DWORD* v) override { return give(job_.Priority, v); }
    HRESULT SetFlags(DWORD v) override { return (v & ~TASK_FLAGS_KNOWN) ? E_INVALIDARG : change(job_.Flags, v); }
    HRESULT GetFlags(DWORD* v) override { return give(job_.Flags, v); }
    HRESULT SetMaxRunTime(DWORD v) override { return change(job_.MaxRunTimeMs, v); }
    HRESULT GetMaxRunTime(DWORD* v) override { return give(job_.MaxRunTimeMs, v); }
    HRESULT SetIdleWait(WORD idle, WORD deadline) override
    {
        change(job_.IdleMinutes, idle);
        return change(job_.DeadlineMinutes, deadline);
    }
    HRESULT GetIdleWait(WORD* idle, WORD* deadline) override
    {
        if (!idle || !deadline)
            return E_POINTER;
        *idle = job_.IdleMinutes;
        *deadline = job_.DeadlineMinutes;
        return S_OK;
    }
    HRESULT SetAccountInformation(LPCWSTR user, LPCWSTR) override
    {
        const std::string name = utf8(user);
        if (!name.empty() && name != userName())
            return com::E_ACCESSDENIED;
        return change(job_.Account, name);
    }
    HRESULT GetAccountInformation(LPWSTR* v) override { return giveString(job_.Account, v); }

    // Triggers
    HRESULT CreateTrigger(WORD* index, ITaskTrigger** trigger) override;
    HRESULT DeleteTrigger(WORD index) override
    {
        if (index >= slots_.size())
            return E_INVALIDARG;
        slots_.erase(slots_.begin() + index);
        dirty_ = true;
        return S_OK;
    }
    HRESULT GetTriggerCount(WORD* count) override
    {
        return give(static_cast<WORD>(slots_.size()), count);
    }
    HRESULT GetTrigger(WORD index, ITaskTrigger** trigger) override;

    // Runs
    HRESULT Run() override
    {
        if (file_.empty())
            return com::HRESULT_FROM_WIN32(com::ERROR_FILE_NOT_FOUND);
        try {
            const auto saved = loadJob(file_);
            if (!saved)
                return SCHED_E_INVALID_TASK;
            return launchTask(files(), *saved);
        } catch (const RtError& e) {
            return resultFromRtError(e);
        }
    }
    HRESULT Terminate() override { return file_.empty() ? SCHED_E_TASK_NOT_RUNNING : terminateTask(files()); }
    HRESULT GetStatus(HRESULT* status) override
    {
        if (!status)
            return E_POINTER;
        *status = taskStatus(job(), state(), datetime::systemClock().now(), systemProcessTable());
        return S_OK;
    }
    HRESULT GetExitCode(DWORD* code) override { return give(DWORD{state().ExitCode}, code); }
    HRESULT GetMostRecentRunTime(SYSTEMTIME* time) override { return give(systemTime(state().LastRun), time); }
    HRESULT GetNextRunTime(SYSTEMTIME* time) override
    {
        return give(systemTime(nextRun(job(), datetime::systemClock().now())), time);
    }
    HRESULT EditWorkItem(void* parent, DWORD) override
    {
        PropertySheetHook hook = propertySheet(); // the hook may replace itself
        return hook ? hook(this, parent) : com::E_NOTIMPL;
    }

    // IPersistFile
    HRESULT GetClassID(CLSID* clsid) override { return give(CLSID_CTask, clsid); }
    HRESULT IsDirty() override { return dirty_ ? S_OK : S_FALSE; }
    HRESULT Load(com::LPCOLESTR file, DWORD) override
    {
        try {
            const std::filesystem::path path = hostFile(file);
            const auto job = loadJob(path);
            if (!job)
                return SCHED_E_INVALID_TASK;
            setJob(*job);
            file_ = path;
            return S_OK;
        } catch (const RtError& e) {
            return resultFromRtError(e);
        }
    }
    HRESULT Save(com::LPCOLESTR file, bool remember) override
    {
        try {
            const std::filesystem::path path = file ? hostFile(file) : file_;
            if (path.empty())
                return E_INVALIDARG; // a new task is saved through AddWorkItem first
            saveJob(path, job());
            if (!file || remember) {
                file_ = path;
                dirty_ = false;
            }
            return S_OK;
        } catch (const RtError& e) {
            return resultFromRtError(e);
        }
    }
    HRESULT SaveCompleted(com::LPCOLESTR) override { return S_OK; }
    HRESULT GetCurFile(com::LPOLESTR* file) override
    {
        if (!file)
            return E_POINTER;
        *file = nullptr;
        if (file_.empty())
            return com::E_FAIL;
        return giveString(fs::fromNative(file_), file);
    }

    // Inside the layer
    bool holds(const std::shared_ptr<TASK_TRIGGER>& slot) const
    {
        return std::find(slots_.begin(), slots_.end(), slot) != slots_.end();
    }
    void changed() { dirty_ = true; }
    HRESULT add(const std::string& base)
    {
        try {
            ensurePrivateFolder(folder_);
            const TaskFiles target = taskFiles(folder_, base);
            fs::FileLock lock = lockTaskFolder(target.job);
            std::error_code ec;
            if (std::filesystem::exists(std::filesystem::symlink_status(target.job, ec)))
                return com::HRESULT_FROM_WIN32(com::ERROR_FILE_EXISTS);
            std::filesystem::remove(target.state, ec);
            saveJob(target.job, job());
            base_ = base;
            file_ = target.job;
            dirty_ = false;
            return S_OK;
        } catch (const RtError& e) {
            return resultFromRtError(e);
        }
    }

private:
    ~TaskObject() = default;

    HRESULT set(std::string& field, LPCWSTR value) { return change(field, utf8(value)); }
    template <class T>
    HRESULT change(T& field, const T& value)
    {
        field = value;
        dirty_ = true;
        return S_OK;
    }
    template <class T>
    static HRESULT give(const T& value, T* out)
    {
        if (!out)
            return E_POINTER;
        *out = value;
        return S_OK;
    }

    void setJob(Job job)
    {
        slots_.clear();
        for (const TASK_TRIGGER& t : job.triggers)
            slots_.push_back(std::make_shared<TASK_TRIGGER>(t));
        job.triggers.clear();
        job_ = std::move(job);
        dirty_ = false;
    }
    // The whole job as it stands in memory.
    Job job() const
    {
        Job whole = job_;
        for (const auto& slot : slots_)
            whole.triggers.push_back(*slot);
        return whole;
    }
    TaskFiles files() const { return TaskFiles{file_, std::filesystem::path(file_.string() + std::string(StateExtension))}; }
    RunState state() const { return file_.empty() ? RunState{} : readRunState(files().state); }

    std::filesystem::path folder_;
    std::string base_;
    std::filesystem::path file_; // empty until the task has a job file
    Job job_;                    // triggers live in slots_
    std::vector<std::shared_ptr<TASK_TRIGGER>> slots_;
    bool dirty_ = false;
    std::atomic<ULONG> refs_{0};
};

namespace {

class TriggerObject final : public Counted<ITaskTrigger> {
public:
    TriggerObject(TaskObject* task, std::shared_ptr<TASK_TRIGGER> slot) : task_(task), slot_(std::move(slot))
    {
        static_cast<ITask*>(task_)->AddRef();
    }
    ~TriggerObject() override { static_cast<ITask*>(task_)->Release(); }

    HRESULT SetTrigger(const TASK_TRIGGER* t) override
    {
        if (!t)
            return E_POINTER;
        if (!task_->holds(slot_))
            return com::E_FAIL;
        if (!isValidTrigger(*t))
            return E_INVALIDARG;
        *slot_ = *t;
        task_->changed();
        return S_OK;
    }
    HRESULT GetTrigger(TASK_TRIGGER* t) override
    {
        if (!t)
            return E_POINTER;
        *t = *slot_;
        return S_OK;
    }
    HRESULT GetTriggerString(LPWSTR* text) override { return giveString(triggerText(*slot_), text); }

private:
    TaskObject* task_;
    std::shared_ptr<TASK_TRIGGER> slot_;
};

HRESULT giveTrigger(TaskObject* task, std::shared_ptr<TASK_TRIGGER> slot, ITaskTrigger** out)
{
    return giveNew(new TriggerObject(task, std::move(slot)), ITaskTrigger::iid, reinterpret_cast<void**>(out));
}

} // namespace

HRESULT TaskObject::CreateTrigger(WORD* index, ITaskTrigger** trigger)
{
    if (!index || !trigger)
        return E_POINTER;
    if (slots_.size() >= 0xFFFF)
        return E_INVALIDARG;
    const datetime::DateTime now = datetime::systemClock().now();
    auto slot = std::make_shared<TASK_TRIGGER>();
    slot->TriggerType = TASK_TIME_TRIGGER_DAILY;
    slot->Type.setDaysInterval(1);
    slot->wBeginYear = static_cast<WORD>(now.year);
    slot->wBeginMonth = static_cast<WORD>(now.month);
    slot->wBeginDay = static_cast<WORD>(now.day);
    slot->wStartHour = static_cast<WORD>(now.hour);
    slot->wStartMinute = static_cast<WORD>(now.minute);
    slots_.push_back(slot);
    dirty_ = true;
    *index = static_cast<WORD>(slots_.size() - 1);
    return giveTrigger(this, slot, trigger);
}

HRESULT TaskObject::GetTrigger(WORD index, ITaskTrigger** trigger)
{
    if (!trigger)
        return E_POINTER;
    *trigger = nullptr;
    if (index >= slots_.size())
        return E_INVALIDARG;
    return giveTrigger(this, slots_[index], trigger);
}

TaskObject* makeTaskObject(const std::filesystem::path& folder, const std::string& base, Job job, bool bound)
{
    return new TaskObject(folder, base, std::move(job), bound);
}

TaskObject* taskObjectOf(ITask* task)
{
    void* self = nullptr;
    if (!task || FAILED(task->QueryInterface(kTaskObjectSelf, &self)))
        return nullptr;
    auto* object = static_cast<TaskObject*>(static_cast<ITask*>(self));
    static_cast<ITask*>(object)->Release();
    return object;
}

HRESULT addToFolder(TaskObject& task, const std::string& base) { return task.add(base); }

HRESULT queryTask(TaskObject& task, const IID& riid, void** object)
{
    return static_cast<ITask*>(&task)->QueryInterface(riid, object);
}

PropertySheetHook setPropertySheetHook(PropertySheetHook hook)
{
    return std::exchange(propertySheet(), std::move(hook));
}

} // namespace qm::tasksched
