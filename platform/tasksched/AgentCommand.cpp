#include "platform/tasksched/AgentCommand.h"

#include <algorithm>

namespace qm::tasksched {

namespace {

// The longest command every cron keeps whole.
constexpr std::size_t kCronCommandMax = 999;

bool plainWord(const std::string& s)
{
    return !s.empty() && s.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789_/.+-") ==
                             std::string::npos;
}

bool isControl(char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7f; }

bool hasControl(const std::string& s) { return std::any_of(s.begin(), s.end(), isControl); }

} // namespace

CommandWord cronCommandWord(const std::string& path, std::size_t longestArguments)
{
    CommandWord out;
    if (path.find_first_of("\r\n") != std::string::npos) {
        out.refusal = "a line break, which a crontab line cannot carry";
        return out;
    }
    if (plainWord(path)) {
        out.word = path;
    } else {
        // Single quotes for the shell; "\%" for cron, whose backslash must
        // not follow one of the path's own (cron would take that pair as
        // an escape), so a quote is closed and opened again between them.
        out.word = "'";
        for (char c : path) {
            if (c == '\'') {
                out.word += "'\\''";
            } else if (c == '%') {
                if (out.word.back() == '\\')
                    out.word += "''";
                out.word += "\\%";
            } else {
                out.word += c;
            }
        }
        out.word += "'";
    }
    if (out.word.size() + longestArguments > kCronCommandMax)
        out.refusal = "more characters than a crontab line's command can hold";
    return out;
}

CommandWord unitCommandWord(const std::string& path)
{
    CommandWord out;
    if (hasControl(path)) {
        out.refusal = "a control character (a line break, say), which a systemd unit cannot carry";
        return out;
    }
    if (path.find('$') != std::string::npos) {
        out.refusal = "a \"$\", which a systemd unit would take for a variable";
        return out;
    }
    const bool quote = !plainWord(path);
    for (char c : path) {
        if (c == '%')
            out.word += "%%";
        else if (quote && (c == '"' || c == '\\'))
            out.word += std::string("\\") + c;
        else
            out.word += c;
    }
    if (quote)
        out.word = '"' + out.word + '"';
    return out;
}

CommandWord desktopCommandWord(const std::string& path)
{
    CommandWord out;
    if (hasControl(path)) {
        out.refusal = "a control character (a line break, say), which a desktop entry cannot carry";
        return out;
    }
    if (path.find('=') != std::string::npos) {
        out.refusal = "an \"=\", which a desktop entry's program path may not hold";
        return out;
    }
    if (plainWord(path)) {
        out.word = path;
        return out;
    }
    // Each backslash of the quoted word is doubled again for the string.
    out.word = "\"";
    for (char c : path) {
        if (c == '"' || c == '`' || c == '$')
            out.word += std::string("\\\\") + c;
        else if (c == '\\')
            out.word += "\\\\\\\\";
        else if (c == '%')
            out.word += "%%";
        else
            out.word += c;
    }
    out.word += "\"";
    return out;
}

} // namespace qm::tasksched
