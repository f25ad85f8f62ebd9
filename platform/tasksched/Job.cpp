#include "platform/tasksched/Job.h"

#include "platform/datetime/Numbers.h"
#include "platform/fs/Text.h"
#include "platform/profile/IniDocument.h"
#include "platform/tasksched/TaskFile.h"

#include <limits>
#include <type_traits>

namespace qm::tasksched {

namespace {

constexpr const char* kTask = "Task";

std::string triggerSection(std::size_t i) { return "Trigger" + std::to_string(i); }

// The profile reader trims blanks and drops one pair of enclosing quotes, so
// a value that would lose either is written inside one more pair of quotes.
std::string storable(std::string_view value)
{
    std::string v = profile::storedValue(value);
    const bool quoted = v.size() >= 2 && v.front() == v.back() && (v.front() == '"' || v.front() == '\'');
    if (fs::trimBlanks(v).size() != v.size() || quoted)
        return '"' + v + '"';
    return v;
}

// The keys of a job's sections and the fields they hold, in file order;
// `Owner` is Job or const Job (TASK_TRIGGER likewise), so writing and
// reading walk the same list.
template <class Owner, class Visit>
void taskFields(Owner& job, Visit&& visit)
{
    visit("ApplicationName", job.ApplicationName);
    visit("Parameters", job.Parameters);
    visit("WorkingDirectory", job.WorkingDirectory);
    visit("Comment", job.Comment);
    visit("Creator", job.Creator);
    visit("Account", job.Account);
    visit("Priority", job.Priority);
    visit("Flags", job.Flags);
    visit("MaxRunTimeMs", job.MaxRunTimeMs);
    visit("IdleMinutes", job.IdleMinutes);
    visit("DeadlineMinutes", job.DeadlineMinutes);
}

template <class Owner, class Visit>
void triggerFields(Owner& t, Visit&& visit)
{
    visit("Type", t.TriggerType);
    visit("BeginYear", t.wBeginYear);
    visit("BeginMonth", t.wBeginMonth);
    visit("BeginDay", t.wBeginDay);
    visit("EndYear", t.wEndYear);
    visit("EndMonth", t.wEndMonth);
    visit("EndDay", t.wEndDay);
    visit("StartHour", t.wStartHour);
    visit("StartMinute", t.wStartMinute);
    visit("MinutesDuration", t.MinutesDuration);
    visit("MinutesInterval", t.MinutesInterval);
    visit("Flags", t.rgFlags);
    visit("Word1", t.Type.Word1);
    visit("Word2", t.Type.Word2);
    visit("Word3", t.Type.Word3);
}

class Writer {
public:
    void section(const std::string& name)
    {
        if (!text_.empty())
            text_ += "\r\n";
        text_ += '[' + name + "]\r\n";
    }
    template <class T>
    void operator()(std::string_view key, const T& value)
    {
        if constexpr (std::is_same_v<T, std::string>)
            text_.append(key).append("=").append(storable(value)).append("\r\n");
        else
            (*this)(key, std::to_string(value));
    }
    std::string take() { return std::move(text_); }

private:
    std::string text_;
};

// Reads the keys of one section into fields; remembers whether every number
// read and fitted.
class Reader {
public:
    Reader(const profile::IniDocument& doc, std::string section) : doc_(doc), section_(std::move(section)) {}

    template <class T>
    void operator()(std::string_view key, T& field)
    {
        auto v = doc_.value(section_, key);
        if (!v)
            return;
        if constexpr (std::is_same_v<T, std::string>) {
            field = *v;
        } else {
            auto n = datetime::parseWholeNumber(*v);
            if (!n || *n < static_cast<long long>(std::numeric_limits<T>::min()) ||
                *n > static_cast<long long>(std::numeric_limits<T>::max())) {
                ok_ = false;
                return;
            }
            field = static_cast<T>(*n);
        }
    }
    bool ok() const { return ok_; }

private:
    const profile::IniDocument& doc_;
    std::string section_;
    bool ok_ = true;
};

} // namespace

std::string formatJob(const Job& job)
{
    Writer w;
    w.section(kTask);
    taskFields(job, w);
    for (std::size_t i = 0; i < job.triggers.size(); ++i) {
        w.section(triggerSection(i));
        triggerFields(job.triggers[i], w);
    }
    return w.take();
}

std::optional<Job> parseJob(std::string_view text)
{
    const profile::IniDocument doc{std::string(text)};
    if (!doc.hasSection(kTask))
        return std::nullopt;
    Job job;
    Reader r(doc, kTask);
    taskFields(job, r);
    if (!r.ok())
        return std::nullopt;
    for (std::size_t i = 0; doc.hasSection(triggerSection(i)); ++i) {
        TASK_TRIGGER t;
        Reader tr(doc, triggerSection(i));
        triggerFields(t, tr);
        if (!tr.ok())
            return std::nullopt;
        job.triggers.push_back(t);
    }
    return job;
}

std::optional<Job> loadJob(const std::filesystem::path& file)
{
    return parseJob(readTaskFile(file));
}

void saveJob(const std::filesystem::path& file, const Job& job)
{
    writeTaskFile(file, formatJob(job));
}

} // namespace qm::tasksched
