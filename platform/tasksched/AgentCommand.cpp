#include "platform/tasksched/AgentCommand.h"

#include "platform/fs/Text.h"

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

// Why `form` (a systemd unit, a desktop entry) cannot carry the path of a
// program, whatever its quoting; empty when it can.
std::string unquotable(const std::string& path, const std::string& form)
{
    if (hasControl(path))
        return "a control character (a line break, say), which " + form + " cannot carry";
    if (path.find_first_of("'\"\\") != std::string::npos)
        return "a quote or a backslash, which " + form + " cannot carry";
    if (!fs::isValidUtf8(path))
        return "bytes that are not UTF-8, which " + form + " cannot carry";
    return {};
}

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
    out.refusal = unquotable(path, "a systemd unit");
    if (out.refusal.empty() && path.find('$') != std::string::npos)
        out.refusal = "a \"$\", which a systemd unit would take for a variable";
    if (!out.carried())
        return out;
    for (char c : path)
        out.word += c == '%' ? std::string("%%") : std::string(1, c);
    if (!plainWord(path))
        out.word = '"' + out.word + '"';
    return out;
}

CommandWord desktopCommandWord(const std::string& path)
{
    CommandWord out;
    out.refusal = unquotable(path, "a desktop entry");
    if (out.refusal.empty() && path.find('=') != std::string::npos)
        out.refusal = "an \"=\", which a desktop entry's program path may not hold";
    if (!out.carried())
        return out;
    if (plainWord(path)) {
        out.word = path;
        return out;
    }
    // The backslash of each escape is doubled again for the string.
    out.word = "\"";
    for (char c : path) {
        if (c == '`' || c == '$')
            out.word += std::string("\\\\") + c;
        else if (c == '%')
            out.word += "%%";
        else
            out.word += c;
    }
    out.word += "\"";
    return out;
}

} // namespace qm::tasksched
