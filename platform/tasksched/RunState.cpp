#include "platform/tasksched/RunState.h"

#include "platform/datetime/DateText.h"
#include "platform/datetime/Numbers.h"
#include "platform/profile/IniDocument.h"
#include "platform/tasksched/TaskFile.h"

#include <string>

namespace qm::tasksched {

namespace {

constexpr const char* kState = "State";

std::optional<datetime::DateTime> timeValue(const profile::IniDocument& doc, const char* key)
{
    auto v = doc.value(kState, key);
    if (!v || v->empty())
        return std::nullopt;
    return datetime::parseDateTime(*v);
}

long long numberValue(const profile::IniDocument& doc, const char* key)
{
    auto v = doc.value(kState, key);
    return v ? datetime::parseWholeNumber(*v).value_or(0) : 0;
}

std::string formatState(const RunState& s)
{
    auto time = [](const std::optional<datetime::DateTime>& t) {
        return t ? datetime::formatDateTime(*t) : std::string();
    };
    return std::string("[State]\r\n") + "LastRun=" + time(s.LastRun) + "\r\n" +
           "ExitCode=" + std::to_string(s.ExitCode) + "\r\n" + "Pid=" + std::to_string(s.Pid) + "\r\n" +
           "PidStart=" + std::to_string(s.PidStart) + "\r\n" + "Terminated=" + (s.Terminated ? "1" : "0") +
           "\r\n" + "LastFired=" + time(s.LastFired) + "\r\n" + "FiredFrom=" + time(s.FiredFrom) + "\r\n" +
           "FiredTo=" + time(s.FiredTo) + "\r\n" + "GapFrom=" + time(s.GapFrom) + "\r\n" +
           "GapTo=" + time(s.GapTo) + "\r\n";
}

RunState parseState(const profile::IniDocument& doc)
{
    RunState s;
    s.LastRun = timeValue(doc, "LastRun");
    s.ExitCode = static_cast<std::uint32_t>(numberValue(doc, "ExitCode"));
    s.Pid = static_cast<pid_t>(numberValue(doc, "Pid"));
    s.PidStart = static_cast<std::uint64_t>(numberValue(doc, "PidStart"));
    s.Terminated = numberValue(doc, "Terminated") != 0;
    s.LastFired = timeValue(doc, "LastFired");
    s.FiredFrom = timeValue(doc, "FiredFrom");
    s.FiredTo = timeValue(doc, "FiredTo");
    s.GapFrom = timeValue(doc, "GapFrom");
    s.GapTo = timeValue(doc, "GapTo");
    if (!s.FiredFrom || !s.FiredTo || *s.FiredTo < *s.FiredFrom)
        s.FiredFrom = s.FiredTo = std::nullopt;
    if (!s.GapFrom || !s.GapTo || *s.GapTo < *s.GapFrom)
        s.GapFrom = s.GapTo = std::nullopt;
    if (s.Pid < 0)
        s.Pid = 0;
    return s;
}

} // namespace

RunState readRunState(const std::filesystem::path& file)
{
    try {
        return parseState(profile::IniDocument{readTaskFile(file)});
    } catch (const RtError&) {
        return RunState{};
    }
}

RunState updateRunState(const std::filesystem::path& file, const std::function<void(RunState&)>& change)
{
    fs::FileLock lock = lockTaskFolder(file);
    RunState s = readRunState(file);
    change(s);
    writeRunState(file, s);
    return s;
}

void writeRunState(const std::filesystem::path& file, const RunState& state)
{
    writeTaskFile(file, formatState(state));
}

} // namespace qm::tasksched
