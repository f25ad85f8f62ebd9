#include "platform/process/ProgramLookup.h"

#include "platform/process/CommandLine.h"
#include "platform/process/ShellCodes.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

namespace stdfs = std::filesystem;

namespace qm::process {

namespace {

bool endsWithExe(const std::string& s)
{
    return s.size() > 4 && ::strcasecmp(s.c_str() + s.size() - 4, ".exe") == 0;
}

std::vector<std::string> exeVariants(const std::string& name)
{
    std::vector<std::string> v{name};
    if (endsWithExe(name))
        v.push_back(name.substr(0, name.size() - 4));
    return v;
}

// 0 when `p` exists, else the errno of the failed look.
int statError(const std::string& p)
{
    struct stat st;
    return ::stat(p.c_str(), &st) == 0 ? 0 : errno;
}

bool existsHost(const std::string& p) { return statError(p) == 0; }

std::string absoluteFrom(const std::string& name, const std::string& baseDir)
{
    if (!name.empty() && name[0] == '/')
        return name;
    stdfs::path base = baseDir.empty() ? stdfs::current_path() : stdfs::path(baseDir);
    return (base / name).lexically_normal().string();
}

// An editor command from an environment variable, when its program exists.
std::vector<std::string> editorFromVariable(const char* var)
{
    const char* value = std::getenv(var);
    if (!value || !*value)
        return {};
    auto words = splitShellWords(value);
    if (words.empty())
        return {};
    if (words[0].find('/') != std::string::npos) {
        if (!isExecutableFile(words[0]))
            return {};
    } else if (auto p = findOnPath(words[0])) {
        words[0] = *p;
    } else {
        return {};
    }
    return words;
}

} // namespace

bool isExecutableFile(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

std::optional<std::string> findOnPath(const std::string& name)
{
    if (name.empty() || name.find('/') != std::string::npos)
        return std::nullopt;
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/local/bin:/usr/bin:/bin";
    size_t start = 0;
    while (start <= dirs.size()) {
        size_t end = dirs.find(':', start);
        if (end == std::string::npos)
            end = dirs.size();
        std::string candidate = end > start ? dirs.substr(start, end - start) : std::string(1, '.');
        candidate += '/';
        candidate += name;
        if (isExecutableFile(candidate))
            return candidate;
        start = end + 1;
    }
    return std::nullopt;
}

Found resolveProgram(const std::string& name, const std::string& baseDir, bool searchPath)
{
    if (name.empty())
        return {shellcode::FileNotFound, {}};
    const auto variants = exeVariants(name);
    bool denied = false;
    for (const auto& v : variants) {
        std::string p = absoluteFrom(v, baseDir);
        int err = statError(p);
        if (err == 0)
            return {0, p};
        denied = denied || err == EACCES;
    }
    if (denied)
        return {shellcode::AccessDenied, {}};
    if (name.find('/') == std::string::npos) {
        if (searchPath)
            for (const auto& v : variants)
                if (auto p = findOnPath(v))
                    return {0, *p};
        return {shellcode::FileNotFound, {}};
    }
    stdfs::path parent = stdfs::path(absoluteFrom(name, baseDir)).parent_path();
    return {existsHost(parent.string()) ? shellcode::FileNotFound : shellcode::PathNotFound, {}};
}

bool isNotepadName(const std::string& name)
{
    size_t cut = name.find_last_of("/\\");
    std::string last = cut == std::string::npos ? name : name.substr(cut + 1);
    return ::strcasecmp(last.c_str(), "notepad") == 0 || ::strcasecmp(last.c_str(), "notepad.exe") == 0;
}

std::vector<std::string> textEditorCommand()
{
    for (const char* var : {"VISUAL", "EDITOR"})
        if (auto words = editorFromVariable(var); !words.empty())
            return words;
    for (const std::string& name : knownTextEditors())
        if (auto p = findOnPath(name))
            return {*p};
    if (auto p = findOnPath("xdg-open"))
        return {*p};
    return {};
}

const std::vector<std::string>& knownTextEditors()
{
    static const std::vector<std::string> known{"gnome-text-editor", "gedit",      "kate",    "kwrite",
                                                "mousepad",          "pluma",      "xed",     "featherpad",
                                                "leafpad",           "geany"};
    return known;
}

} // namespace qm::process
