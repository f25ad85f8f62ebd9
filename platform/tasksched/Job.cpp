#include "platform/tasksched/Job.h"

#include "platform/datetime/Numbers.h"
#include "platform/fs/AtomicFile.h"
#include "platform/fs/Text.h"
#include "platform/profile/IniDocument.h"

#include <limits>

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

class Writer {
public:
    void section(const std::string& name)
    {
        if (!text_.empty())
            text_ += "\r\n";
        text_ += '[' + name + "]\r\n";
    }
    void text(std::string_view key, std::string_view value)
    {
        text_.append(key).append("=").append(storable(value)).append("\r\n");
    }
    void number(std::string_view key, long long value) { text(key, std::to_string(value)); }
    std::string take() { return std::move(text_); }

private:
    std::string text_;
};

// Reads the keys of one section into fields; remembers whether every number
// read and fitted.
class Reader {
public:
    Reader(const profile::IniDocument& doc, std::string section) : doc_(doc), section_(std::move(section)) {}

    void text(std::string_view key, std::string& field) const
    {
        if (auto v = doc_.value(section_, key))
            field = *v;
    }
    template <class T>
    void number(std::string_view key, T& field)
    {
        auto v = doc_.value(section_, key);
        if (!v)
            return;
        auto n = datetime::parseWholeNumber(*v);
        if (!n || *n < static_cast<long long>(std::numeric_limits<T>::min()) ||
            *n > static_cast<long long>(std::numeric_limits<T>::max())) {
            ok_ = false;
            return;
        }
        field = static_cast<T>(*n);
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
    w.text("ApplicationName", job.ApplicationName);
    w.text("Parameters", job.Parameters);
    w.text("WorkingDirectory", job.WorkingDirectory);
    w.text("Comment", job.Comment);
    w.text("Creator", job.Creator);
    w.text("Account", job.Account);
    w.number("Priority", job.Priority);
    w.number("Flags", job.Flags);
    w.number("MaxRunTimeMs", job.MaxRunTimeMs);
    w.number("IdleMinutes", job.IdleMinutes);
    w.number("DeadlineMinutes", job.DeadlineMinutes);
    for (std::size_t i = 0; i < job.triggers.size(); ++i) {
        const TASK_TRIGGER& t = job.triggers[i];
        w.section(triggerSection(i));
        w.number("Type", t.TriggerType);
        w.number("BeginYear", t.wBeginYear);
        w.number("BeginMonth", t.wBeginMonth);
        w.number("BeginDay", t.wBeginDay);
        w.number("EndYear", t.wEndYear);
        w.number("EndMonth", t.wEndMonth);
        w.number("EndDay", t.wEndDay);
        w.number("StartHour", t.wStartHour);
        w.number("StartMinute", t.wStartMinute);
        w.number("MinutesDuration", t.MinutesDuration);
        w.number("MinutesInterval", t.MinutesInterval);
        w.number("Flags", t.rgFlags);
        w.number("Word1", t.Type.Word1);
        w.number("Word2", t.Type.Word2);
        w.number("Word3", t.Type.Word3);
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
    r.text("ApplicationName", job.ApplicationName);
    r.text("Parameters", job.Parameters);
    r.text("WorkingDirectory", job.WorkingDirectory);
    r.text("Comment", job.Comment);
    r.text("Creator", job.Creator);
    r.text("Account", job.Account);
    r.number("Priority", job.Priority);
    r.number("Flags", job.Flags);
    r.number("MaxRunTimeMs", job.MaxRunTimeMs);
    r.number("IdleMinutes", job.IdleMinutes);
    r.number("DeadlineMinutes", job.DeadlineMinutes);
    if (!r.ok())
        return std::nullopt;
    for (std::size_t i = 0; doc.hasSection(triggerSection(i)); ++i) {
        TASK_TRIGGER t;
        Reader tr(doc, triggerSection(i));
        tr.number("Type", t.TriggerType);
        tr.number("BeginYear", t.wBeginYear);
        tr.number("BeginMonth", t.wBeginMonth);
        tr.number("BeginDay", t.wBeginDay);
        tr.number("EndYear", t.wEndYear);
        tr.number("EndMonth", t.wEndMonth);
        tr.number("EndDay", t.wEndDay);
        tr.number("StartHour", t.wStartHour);
        tr.number("StartMinute", t.wStartMinute);
        tr.number("MinutesDuration", t.MinutesDuration);
        tr.number("MinutesInterval", t.MinutesInterval);
        tr.number("Flags", t.rgFlags);
        tr.number("Word1", t.Type.Word1);
        tr.number("Word2", t.Type.Word2);
        tr.number("Word3", t.Type.Word3);
        if (!tr.ok())
            return std::nullopt;
        job.triggers.push_back(t);
    }
    return job;
}

std::optional<Job> loadJob(const std::filesystem::path& file)
{
    return parseJob(fs::readFileBytes(file));
}

void saveJob(const std::filesystem::path& file, const Job& job)
{
    fs::AtomicFileWriter out(file);
    out.setMode(0600);
    out.write(formatJob(job));
    out.commit();
}

} // namespace qm::tasksched
