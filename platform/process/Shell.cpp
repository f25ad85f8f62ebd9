#include "platform/process/Shell.h"

#include "platform/fs/RtError.h"
#include "platform/process/CommandLine.h"
#include "platform/process/ProgramLookup.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace qm::process {

namespace {

struct HostPath {
    int code = 0;
    std::string path;
};

int codeForRtError(int number)
{
    switch (number) {
    case rterr::FileNotFound:
    case rterr::BadFileName:
        return shellcode::FileNotFound;
    case rterr::PermissionDenied:
        return shellcode::AccessDenied;
    default:
        return shellcode::PathNotFound;
    }
}

int codeForErrno(int err)
{
    switch (err) {
    case ENOENT:
        return shellcode::FileNotFound;
    case ENOTDIR:
        return shellcode::PathNotFound;
    case EACCES:
    case EPERM:
        return shellcode::AccessDenied;
    case ENOEXEC:
        return shellcode::BadFormat;
    case ENOMEM:
        return shellcode::OutOfMemory;
    default:
        return shellcode::OutOfResources;
    }
}

bool isBareName(const std::string& s)
{
    return s.find_first_of("/\\") == std::string::npos;
}

// A path of the request as a host path. Windows-form paths go through the
// mapper; other paths only change their separators.
HostPath hostPathOf(const std::string& p, const PathMapper& toHost)
{
    if (isWindowsPath(p) || (!p.empty() && p[0] == '\\')) {
        if (!toHost)
            return {shellcode::PathNotFound, {}};
        try {
            return {0, toHost(p)};
        } catch (const qm::RtError& e) {
            return {codeForRtError(e.number), {}};
        }
    }
    std::string s = p;
    if (s.empty() || s[0] != '/')
        std::replace(s.begin(), s.end(), '\\', '/');
    return {0, s};
}

// Arguments for the user's own programs: whole Windows-form paths become host
// paths; anything that does not map stays as written.
void mapPathArguments(std::vector<std::string>& args, const PathMapper& toHost)
{
    if (!toHost)
        return;
    for (auto& a : args) {
        if (!isWindowsPath(a))
            continue;
        try {
            a = toHost(a);
        } catch (const qm::RtError&) {
        }
    }
}

ShellResult spawnKept(const std::string& path, std::vector<std::string> argv, const std::string& cwd)
{
    ShellResult r;
    Spawned s = spawnProgram(path, argv, cwd);
    if (s.error) {
        r.code = codeForErrno(s.error);
        return r;
    }
    r.code = shellcode::Success;
    r.process = std::move(s.child);
    return r;
}

// An executable file found by a lookup, with its arguments: argv[0] is the
// file; a file that is not a regular executable one gives its shell code.
Resolved executable(const std::string& path, const std::vector<std::string>& args)
{
    struct stat st;
    if (::stat(path.c_str(), &st) != 0)
        return {codeForErrno(errno), {}};
    if (!S_ISREG(st.st_mode) || ::access(path.c_str(), X_OK) != 0)
        return {shellcode::AccessDenied, {}};
    std::vector<std::string> argv{path};
    argv.insert(argv.end(), args.begin(), args.end());
    return {0, std::move(argv)};
}

// The user's text editor with these arguments.
Resolved editor(const std::vector<std::string>& args)
{
    auto argv = textEditorCommand();
    if (argv.empty())
        return {shellcode::NoAssociation, {}};
    argv.insert(argv.end(), args.begin(), args.end());
    return {0, std::move(argv)};
}

ShellResult startIn(const Resolved& r, const std::string& cwd)
{
    if (r.code || r.argv.empty())
        return ShellResult{r.code ? r.code : shellcode::FileNotFound, {}};
    return spawnKept(r.argv[0], r.argv, cwd);
}

std::vector<std::string> mappedArguments(std::string_view text, const PathMapper& toHost)
{
    auto args = splitArguments(text);
    mapPathArguments(args, toHost);
    return args;
}

// A handler that has started, given a moment to report a failure: one that
// has ended by then gives its code from its exit status; one still running
// has taken the request.
ShellResult afterGrace(Child child, bool keep)
{
    ShellResult r;
    if (!child.running(kHandlerGrace)) {
        int exit = child.exitCode().value_or(0);
        r.code = exit == 0 ? shellcode::Success
                 : exit == 2 ? shellcode::FileNotFound
                             : shellcode::NoAssociation;
        return r; // done already: no process to keep
    }
    r.code = shellcode::Success;
    if (keep)
        r.process = std::move(child);
    return r;
}

// Hands a target to a handler program (xdg-open, lp) and gives it a moment
// to report a failure.
ShellResult runHandler(const char* handler, const std::string& target, bool keep, const std::string& cwd)
{
    ShellResult r;
    auto path = findOnPath(handler);
    if (!path) {
        r.code = shellcode::NoAssociation;
        return r;
    }
    Spawned s = spawnProgram(*path, {handler, target}, cwd);
    if (s.error) {
        r.code = shellcode::NoAssociation;
        return r;
    }
    return afterGrace(std::move(s.child), keep);
}

std::string lower(std::string s)
{
    for (auto& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

bool isBlankText(const std::string& s)
{
    return s.find_first_not_of(" \t") == std::string::npos;
}

// The possible splits of a command text into program name and arguments. A
// quoted name gives one; an unquoted one is tried word by word, the shortest
// first, up to the first quoted word.
std::vector<std::pair<std::string, std::string>> programCandidates(std::string_view line)
{
    std::vector<std::pair<std::string, std::string>> out;
    ProgramPart part = splitProgramName(line);
    if (part.quoted) {
        out.emplace_back(part.program, part.rest);
        return out;
    }
    size_t start = line.find_first_not_of(" \t");
    std::string_view text = line.substr(start);
    size_t pos = 0;
    for (;;) {
        size_t blank = text.find_first_of(" \t", pos);
        if (blank == std::string_view::npos) {
            out.emplace_back(std::string(text), std::string());
            break;
        }
        size_t next = text.find_first_not_of(" \t", blank);
        out.emplace_back(std::string(text.substr(0, blank)),
                         next == std::string_view::npos ? std::string() : std::string(text.substr(next)));
        if (next == std::string_view::npos || text[next] == '"')
            break;
        pos = next;
    }
    return out;
}

} // namespace

bool looksLikeUrl(std::string_view t)
{
    if (t.size() < 3 || !std::isalpha(static_cast<unsigned char>(t[0])))
        return false;
    size_t i = 1;
    while (i < t.size() && (std::isalnum(static_cast<unsigned char>(t[i])) || t[i] == '+' || t[i] == '.' || t[i] == '-'))
        ++i;
    return i >= 2 && i < t.size() && t[i] == ':';
}

std::string fileUrl(std::string_view hostPath, std::string_view fragment)
{
    auto encode = [](std::string& out, std::string_view text) {
        static constexpr char Hex[] = "0123456789ABCDEF";
        for (const char ch : text) {
            const auto c = static_cast<unsigned char>(ch);
            const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
            if (plain || c == '-' || c == '.' || c == '_' || c == '~' || c == '/') {
                out += ch;
            } else {
                out += '%';
                out += Hex[c >> 4];
                out += Hex[c & 15];
            }
        }
    };
    std::string url = "file://";
    encode(url, hostPath);
    if (!fragment.empty()) {
        url += '#';
        encode(url, fragment);
    }
    return url;
}

bool isWindowsPath(std::string_view t)
{
    if (t.size() >= 2 && std::isalpha(static_cast<unsigned char>(t[0])) && t[1] == ':')
        return true;
    return t.size() >= 2 && t[0] == '\\' && t[1] == '\\';
}

ShellResult shellExecute(const ShellRequest& rq, const PathMapper& toHost)
{
    ShellResult r;
    const std::string verb = rq.verb.empty() ? std::string("open") : lower(rq.verb);
    if (verb != "open" && verb != "explore" && verb != "print") {
        r.code = shellcode::NoAssociation;
        return r;
    }
    const std::string file = rq.expandVariables ? expandEnvironment(rq.file) : rq.file;
    const std::string dir = rq.expandVariables ? expandEnvironment(rq.directory) : rq.directory;

    std::string hostDir;
    if (!dir.empty()) {
        HostPath h = hostPathOf(dir, toHost);
        struct stat st;
        if (h.code == 0 && (::stat(h.path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)))
            h.code = shellcode::PathNotFound;
        if (h.code) {
            r.code = h.code;
            return r;
        }
        hostDir = h.path;
    }
    if (isBlankText(file)) {
        r.code = shellcode::FileNotFound;
        return r;
    }
    if (looksLikeUrl(file)) {
        if (verb != "open") {
            r.code = shellcode::NoAssociation;
            return r;
        }
        return runHandler("xdg-open", file, rq.keepProcess, hostDir);
    }

    HostPath h = hostPathOf(file, toHost);
    Found found = h.code ? Found{h.code, {}} : resolveProgram(h.path, hostDir, verb == "open" && isBareName(file));
    if (found.code) {
        if (verb == "open" && isNotepadName(file))
            return startIn(editor(mappedArguments(rq.parameters, toHost)), hostDir);
        r.code = found.code;
        return r;
    }
    struct stat st;
    if (::stat(found.path.c_str(), &st) != 0) {
        r.code = codeForErrno(errno);
        return r;
    }
    const bool isDir = S_ISDIR(st.st_mode);
    if (verb == "explore") {
        if (!isDir) {
            r.code = shellcode::NoAssociation;
            return r;
        }
        return runHandler("xdg-open", found.path, rq.keepProcess, hostDir);
    }
    if (verb == "print") {
        if (isDir) {
            r.code = shellcode::NoAssociation;
            return r;
        }
        if (::access(found.path.c_str(), R_OK) != 0) {
            r.code = shellcode::AccessDenied;
            return r;
        }
        return runHandler("lp", found.path, rq.keepProcess, hostDir);
    }
    if (!isDir && S_ISREG(st.st_mode) && ::access(found.path.c_str(), X_OK) == 0) {
        r = startIn(executable(found.path, splitArguments(rq.parameters)), hostDir);
        if (!rq.keepProcess)
            r.process.detach();
        return r;
    }
    if (!isDir && ::access(found.path.c_str(), R_OK) != 0) {
        r.code = shellcode::AccessDenied;
        return r;
    }
    return runHandler("xdg-open", found.path, rq.keepProcess, hostDir);
}

Resolved resolveCommandLine(std::string_view commandLine, const PathMapper& toHost)
{
    if (isBlankText(std::string(commandLine)))
        return {shellcode::FileNotFound, {}};
    int code = shellcode::FileNotFound;
    for (auto& [name, rest] : programCandidates(commandLine)) {
        HostPath h = hostPathOf(name, toHost);
        Found found = h.code ? Found{h.code, {}} : resolveProgram(h.path, {}, isBareName(name));
        if (found.code == 0)
            return executable(found.path, mappedArguments(rest, toHost));
        if (isNotepadName(name))
            return editor(mappedArguments(rest, toHost));
        code = found.code; // the longest name tried speaks for the failure
    }
    return {code, {}};
}

Resolved resolveLaunch(const std::string& program, const std::vector<std::string>& arguments,
                       const PathMapper& toHost)
{
    if (isBlankText(program))
        return {shellcode::FileNotFound, {}};
    HostPath h = hostPathOf(program, toHost);
    Found found = h.code ? Found{h.code, {}} : resolveProgram(h.path, {}, isBareName(program));
    if (found.code == 0)
        return executable(found.path, arguments);
    if (isNotepadName(program))
        return editor(arguments);
    return {found.code, {}};
}

ShellResult startResolved(const Resolved& resolved) { return startIn(resolved, {}); }

ShellResult openResolved(const Resolved& resolved)
{
    ShellResult r = startResolved(resolved);
    if (!r.process.valid())
        return r;
    return afterGrace(std::move(r.process), false);
}

ShellResult startCommandLine(std::string_view commandLine, const PathMapper& toHost)
{
    return startResolved(resolveCommandLine(commandLine, toHost));
}

void runAndWait(std::string_view commandLine, const PathMapper& toHost, const std::function<void()>& between)
{
    ShellResult r = startCommandLine(commandLine, toHost);
    if (r.process.valid())
        r.process.waitWhile(between);
}

} // namespace qm::process
