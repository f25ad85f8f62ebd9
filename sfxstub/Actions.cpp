#include "sfxstub/Actions.h"

#include "platform/fs/FileOps.h"
#include "platform/fs/NoCase.h"
#include "platform/fs/Paths.h"
#include "platform/fs/WinPath.h"
#include "platform/process/Child.h"
#include "platform/process/CommandLine.h"
#include "platform/process/ProgramLookup.h"
#include "platform/process/SharedLibrary.h"
#include "platform/process/Shell.h"
#include "platform/registry/Registry.h"
#include "sfxstub/Macros.h"

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <optional>

namespace qm::sfxstub {

namespace {

namespace reg = qm::registry;

std::vector<std::string_view> splitLines(std::string_view text)
{
    std::vector<std::string_view> lines;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos)
            end = text.size();
        if (end > pos)
            lines.push_back(text.substr(pos, end - pos));
        pos = end + 1;
    }
    return lines;
}

std::optional<std::string> hostPath(const std::string& winPath)
{
    try {
        return qm::fs::toNative(winPath).string();
    } catch (const qm::RtError&) {
        return std::nullopt;
    }
}

std::string defaultText(const std::string& key)
{
    std::optional<reg::Value> v = reg::queryValue(reg::hkey::ClassesRoot, key, "");
    if (!v || (v->type != reg::regtype::Sz && v->type != reg::regtype::ExpandSz))
        return {};
    std::string text = v->data;
    if (!text.empty() && text.back() == '\0')
        text.pop_back();
    return text;
}

void setDefault(const std::string& key, const std::string& text)
{
    try {
        reg::setValue(reg::hkey::ClassesRoot, key, "", reg::textValue(text));
    } catch (const qm::RtError&) {
    }
}

// The program that opens `file`: the file itself when it is a program,
// else the program of its registered type, else the desktop's opener.
std::optional<std::string> findExecutable(const std::string& file)
{
    std::optional<std::string> host = hostPath(file);
    std::error_code missing;
    if (!host || !std::filesystem::exists(*host, missing))
        return std::nullopt;
    if (qm::process::isExecutableFile(*host))
        return host;
    const std::string ext = qm::fs::extensionPart(file);
    const std::string type = ext.empty() ? std::string() : defaultText("." + ext);
    const std::string command = type.empty() ? std::string() : defaultText(type + "\\shell\\open\\command");
    if (!command.empty()) {
        std::string program = qm::process::splitProgramName(command).program;
        if (qm::process::isWindowsPath(program)) {
            if (std::optional<std::string> p = hostPath(program); p && qm::process::isExecutableFile(*p))
                return p;
        } else if (qm::process::Found f = qm::process::resolveProgram(program, "", true); f.code == 0) {
            return f.path;
        }
    }
    return qm::process::findOnPath("xdg-open");
}

void runAndWait(const std::vector<std::string>& argv)
{
    if (argv.empty())
        return;
    qm::process::Spawned s = qm::process::spawnProgram(argv[0], argv);
    if (s.error == 0)
        s.child.wait();
}

// The decimal text-to-number rule: blanks, an optional sign, digits.
long decimalValue(const std::string& text)
{
    return std::strtol(text.c_str(), nullptr, 10);
}

struct RootName {
    const char* longName;
    const char* shortName;
    uint32_t root;
};
const RootName Roots[] = {
    {"HKEY_CLASSES_ROOT", "HKCR", reg::hkey::ClassesRoot},
    {"HKEY_CURRENT_USER", "HKCU", reg::hkey::CurrentUser},
    {"HKEY_LOCAL_MACHINE", "HKLM", reg::hkey::LocalMachine},
    {"HKEY_USERS", "HKU", reg::hkey::Users},
    {"HKEY_PERFORMANCE_DATA", "HKPD", 0x80000004u},
    {"HKEY_DYN_DATA", "HKDD", 0x80000006u},
    {"HKEY_CURRENT_CONFIG", "HKCC", reg::hkey::CurrentConfig},
};

} // namespace

int RegisterAssociations(std::string_view list)
{
    for (std::string_view line : splitLines(list)) {
        size_t a = line.find('|');
        size_t b = a == std::string_view::npos ? a : line.find('|', a + 1);
        if (b == std::string_view::npos || line.find('|', b + 1) != std::string_view::npos)
            return 0;
        std::string ext(line.substr(0, a));
        const std::string program(line.substr(a + 1, b - a - 1));
        const std::string description(line.substr(b + 1));
        if (ext.empty() || ext[0] != '.')
            ext = "." + ext;
        std::string type = ext.substr(1) + "File";
        type[0] = char(std::toupper(static_cast<unsigned char>(type[0])));
        std::string icon = program;
        size_t last = icon.rfind('"');
        if (!icon.empty() && icon[0] == '"' && last != std::string::npos && last > 0) {
            icon.erase(last, 1);
            icon.erase(0, 1);
        }
        const std::string open = program + " \"%1\"";
        setDefault(ext, type);
        setDefault(type, description);
        setDefault(type + "\\DefaultIcon", icon + ",0");
        setDefault(type + "\\shell\\open\\command", open);
        qm::desktop::registerFileType({ext, type, description, open});
    }
    return 1;
}

int CreateProgramGroup(qm::desktop::ProgramManager* manager, std::string_view group, std::string_view items)
{
    if (!manager)
        return 0;
    auto send = [&](const std::string& command) {
        if (command.size() <= GroupCommandLimit)
            manager->execute(command);
    };
    const std::string g(group);
    send("[CreateGroup(" + g + ")]");
    send("[ShowGroup(" + g + ",2)]");
    send("[ShowGroup(" + g + ",1)]");
    for (std::string_view line : splitLines(items)) {
        size_t bar = line.find('|');
        std::string command(line.substr(0, bar));
        std::string name = bar == std::string_view::npos ? std::string() : std::string(line.substr(bar + 1));
        send("[AddItem(\"" + command + "\"," + name + ")]");
    }
    return 1;
}

void ShowReadme(SfxConfig& c)
{
    if (c.ReadmeFile.empty())
        return;
    std::optional<std::string> file = ExpandMacros(c, c.ReadmeFile, "", PathLimit);
    if (!file || !qm::fs::exists(*file))
        return;
    std::optional<std::string> host = hostPath(*file);
    std::vector<std::string> argv = qm::process::textEditorCommand();
    if (!host || argv.empty())
        return;
    argv.push_back(*host);
    runAndWait(argv);
}

std::optional<CommandLineItem> parseCommandItem(std::string_view line)
{
    CommandLineItem item;
    if (line.size() >= 2 && line[0] == '#') {
        char k = char(std::toupper(static_cast<unsigned char>(line[1])));
        if (k == 'C' || k == 'K' || k == 'R') {
            item.kind = k;
            line.remove_prefix(2);
        }
    }
    for (int i = 0; i < 2; ++i) {
        size_t bar = line.find('|');
        if (bar == std::string_view::npos)
            break;
        item.fields.emplace_back(line.substr(0, bar));
        line.remove_prefix(bar + 1);
    }
    item.fields.emplace_back(line);
    const size_t n = item.fields.size();
    bool fits = item.kind == 0 ? n <= 2 : item.kind == 'C' ? n == 2 : item.kind == 'K' ? n == 3 : n == 1;
    if (!fits)
        return std::nullopt;
    return item;
}

void RunPostCommands(SfxConfig& c)
{
    for (std::string_view line : splitLines(c.CommandList)) {
        std::optional<CommandLineItem> item = parseCommandItem(line);
        if (!item)
            continue;
        std::vector<std::string> f;
        for (const std::string& field : item->fields) {
            std::optional<std::string> expanded = ExpandMacros(c, field, "", FieldLimit);
            if (!expanded)
                break;
            f.push_back(*expanded);
        }
        if (f.size() != item->fields.size())
            continue; // a field too long for its buffer
        switch (item->kind) {
        case 'C': CopyIfNewer(f[0], f[1]); break;
        case 'K': WriteRegistryValue(f[0], f[1], f[2]); break;
        case 'R': RegisterServer(f[0]); break;
        default: RunCommandAndWait(f[0], f.size() > 1 ? f[1] : std::string()); break;
        }
    }
}

std::vector<std::string> commandFor(const std::string& executable, const std::string& file,
                                    const std::string& parameters)
{
    std::vector<std::string> argv{executable};
    for (std::string arg : qm::process::splitArguments(parameters)) {
        if (qm::process::isWindowsPath(arg))
            arg = hostPath(arg).value_or(arg);
        argv.push_back(arg);
    }
    // A program file is not given to itself again. Both names are host
    // paths here, so that their separators compare alike.
    const std::string hostFile = file.empty() ? file : hostPath(file).value_or(file);
    size_t n = std::min<size_t>({4, hostFile.size(), executable.size()});
    bool same = !hostFile.empty()
                && qm::fs::equalsNoCase(std::string_view(hostFile).substr(hostFile.size() - n),
                                        std::string_view(executable).substr(executable.size() - n));
    if (!same)
        argv.push_back(hostFile);
    return argv;
}

void RunCommandAndWait(const std::string& file, const std::string& parameters)
{
    std::optional<std::string> executable = findExecutable(file);
    if (executable)
        runAndWait(commandFor(*executable, file, parameters));
}

void CopyIfNewer(const std::string& source, const std::string& target)
{
    try {
        if (!qm::fs::exists(source))
            return;
        if (!qm::fs::exists(target) || qm::fs::modifiedTime(source) >= qm::fs::modifiedTime(target))
            qm::fs::copyFile(source, target);
    } catch (const qm::RtError&) {
    }
}

void WriteRegistryValue(const std::string& key, const std::string& name, const std::string& data)
{
    const RootName* found = nullptr;
    size_t skip = 0;
    for (const RootName& r : Roots) {
        for (const char* prefix : {r.shortName, r.longName}) {
            if (!found && qm::fs::startsWithNoCase(key, prefix)) {
                found = &r;
                skip = std::string_view(prefix).size();
            }
        }
    }
    if (!found)
        return;
    std::string path = key.substr(skip);
    if (!path.empty() && (path[0] == '\\' || path[0] == '/'))
        path.erase(0, 1);
    reg::Value value = !data.empty() && data[0] == '"'
                           ? reg::textValue(data.size() >= 2 ? data.substr(1, data.size() - 2) : std::string())
                           : reg::dwordValue(uint32_t(decimalValue(data)));
    try {
        reg::setValue(found->root, path, name, value);
    } catch (const qm::RtError&) {
    }
}

void RegisterServer(const std::string& library)
{
    std::optional<std::string> host = hostPath(library);
    if (!host)
        return;
    qm::process::callLibraryEntry(*host, "DllRegisterServer");
}

} // namespace qm::sfxstub
