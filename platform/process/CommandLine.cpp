#include "platform/process/CommandLine.h"

#include <cstdlib>
#include <cstring>
#include <strings.h>

extern char** environ;

namespace qm::process {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

size_t skipBlanks(std::string_view s, size_t i)
{
    while (i < s.size() && isBlank(s[i]))
        ++i;
    return i;
}

const char* lookupVariable(const std::string& name)
{
    if (const char* v = std::getenv(name.c_str()))
        return v;
    for (char** e = environ; e && *e; ++e) {
        const char* eq = std::strchr(*e, '=');
        if (eq && static_cast<size_t>(eq - *e) == name.size() &&
            ::strncasecmp(*e, name.c_str(), name.size()) == 0)
            return eq + 1;
    }
    return nullptr;
}

} // namespace

ProgramPart splitProgramName(std::string_view line)
{
    ProgramPart part;
    size_t i = skipBlanks(line, 0);
    bool inQuotes = false;
    for (; i < line.size(); ++i) {
        char c = line[i];
        if (c == '"') {
            inQuotes = !inQuotes;
            part.quoted = true;
            continue;
        }
        if (!inQuotes && isBlank(c))
            break;
        part.program += c;
    }
    part.rest = std::string(line.substr(skipBlanks(line, i)));
    return part;
}

std::vector<std::string> splitArguments(std::string_view s)
{
    std::vector<std::string> args;
    size_t i = skipBlanks(s, 0);
    while (i < s.size()) {
        std::string arg;
        bool inQuotes = false;
        while (i < s.size()) {
            char c = s[i];
            if (!inQuotes && isBlank(c))
                break;
            if (c == '\\') {
                size_t j = i;
                while (j < s.size() && s[j] == '\\')
                    ++j;
                size_t count = j - i;
                if (j < s.size() && s[j] == '"') {
                    arg.append(count / 2, '\\');
                    if (count % 2 == 1) {
                        arg += '"';
                        i = j + 1;
                    } else {
                        i = j; // the quote opens or closes a quoted part
                    }
                } else {
                    arg.append(count, '\\');
                    i = j;
                }
                continue;
            }
            if (c == '"') {
                if (inQuotes && i + 1 < s.size() && s[i + 1] == '"') {
                    arg += '"';
                    i += 2;
                    continue;
                }
                inQuotes = !inQuotes;
                ++i;
                continue;
            }
            arg += c;
            ++i;
        }
        args.push_back(std::move(arg));
        i = skipBlanks(s, i);
    }
    return args;
}

std::vector<std::string> splitCommandLine(std::string_view line)
{
    std::vector<std::string> argv;
    size_t first = skipBlanks(line, 0);
    if (first == line.size())
        return argv;
    ProgramPart part = splitProgramName(line);
    argv.push_back(std::move(part.program));
    for (auto& a : splitArguments(part.rest))
        argv.push_back(std::move(a));
    return argv;
}

std::string expandEnvironment(std::string_view text)
{
    std::string out;
    size_t i = 0;
    while (i < text.size()) {
        size_t open = text.find('%', i);
        if (open == std::string_view::npos) {
            out.append(text.substr(i));
            break;
        }
        size_t close = text.find('%', open + 1);
        if (close == std::string_view::npos) {
            out.append(text.substr(i));
            break;
        }
        out.append(text.substr(i, open - i));
        std::string name(text.substr(open + 1, close - open - 1));
        const char* value = name.empty() ? nullptr : lookupVariable(name);
        if (value) {
            out += value;
            i = close + 1;
        } else {
            // Keep the first % and look for a name starting at the second.
            out += '%';
            i = open + 1;
        }
    }
    return out;
}

std::vector<std::string> splitShellWords(std::string_view s)
{
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    for (size_t i = 0; i < s.size(); ++i) {
        char c = s[i];
        if (c == ' ' || c == '\t' || c == '\n') {
            if (inWord)
                words.push_back(std::move(word));
            word.clear();
            inWord = false;
            continue;
        }
        inWord = true;
        if (c == '\'') {
            size_t end = s.find('\'', i + 1);
            if (end == std::string_view::npos)
                end = s.size();
            word.append(s.substr(i + 1, end - i - 1));
            i = end;
        } else if (c == '"') {
            for (++i; i < s.size() && s[i] != '"'; ++i) {
                if (s[i] == '\\' && i + 1 < s.size() &&
                    (s[i + 1] == '"' || s[i + 1] == '\\' || s[i + 1] == '$' || s[i + 1] == '`'))
                    ++i;
                word += s[i];
            }
        } else if (c == '\\' && i + 1 < s.size()) {
            word += s[++i];
        } else {
            word += c;
        }
    }
    if (inWord)
        words.push_back(std::move(word));
    return words;
}

} // namespace qm::process
