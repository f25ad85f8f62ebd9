#include "platform/desktop/Desktop.h"

#include "platform/fs/AtomicFile.h"
#include "platform/fs/Paths.h"
#include "platform/fs/WinPath.h"
#include "platform/process/Child.h"
#include "platform/process/CommandLine.h"
#include "platform/process/ProgramLookup.h"
#include "platform/process/Shell.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <sstream>
#include <vector>

namespace stdfs = std::filesystem;

namespace qm::desktop {

namespace {

stdfs::path xdgFolder(const char* variable, const char* fallback)
{
    if (const char* v = std::getenv(variable); v && *v == '/')
        return v;
    const char* home = std::getenv("HOME");
    return stdfs::path(home && *home ? home : "/") / fallback;
}

std::string slug(std::string_view name)
{
    std::string out;
    for (unsigned char c : name) {
        if (std::isalnum(c))
            out += char(std::tolower(c));
        else if (!out.empty() && out.back() != '-')
            out += '-';
    }
    while (!out.empty() && out.back() == '-')
        out.pop_back();
    return out.empty() ? "item" : out;
}

// A value of a desktop entry file: one line, backslashes escaped.
std::string entryValue(std::string_view text)
{
    std::string out;
    for (char c : text) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '\n' || c == '\r')
            out += ' ';
        else
            out += c;
    }
    return out;
}

std::string xmlText(std::string_view text)
{
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

bool writeFile(const stdfs::path& file, const std::string& text)
{
    try {
        std::error_code ec;
        stdfs::create_directories(file.parent_path(), ec);
        qm::fs::writeFileAtomic(file, text);
        return true;
    } catch (const qm::RtError&) {
        return false;
    }
}

std::string launcher(const std::string& name, const std::string& exec, const std::string& extra)
{
    return "[Desktop Entry]\nType=Application\nName=" + entryValue(name) + "\nExec=" + entryValue(exec) + "\n"
           + extra;
}

// Sets `key` in the [Default Applications] group of mimeapps.list, keeping
// every other line.
bool setDefaultApplication(const std::string& key, const std::string& value)
{
    const stdfs::path file = configHome() / "mimeapps.list";
    std::string text;
    try {
        text = qm::fs::readFileBytes(file);
    } catch (const qm::RtError&) {
    }
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    const std::string group = "[Default Applications]";
    const std::string entry = key + "=" + value;
    auto at = std::find(lines.begin(), lines.end(), group);
    if (at == lines.end()) {
        if (!lines.empty() && !lines.back().empty())
            lines.push_back("");
        lines.push_back(group);
        lines.push_back(entry);
    } else {
        auto line = at + 1;
        while (line != lines.end() && !(line->size() && (*line)[0] == '[') && line->rfind(key + "=", 0) != 0)
            ++line;
        if (line != lines.end() && line->rfind(key + "=", 0) == 0)
            *line = entry;
        else
            lines.insert(at + 1, entry);
    }
    std::string out;
    for (const std::string& l : lines)
        out += l + "\n";
    return writeFile(file, out);
}

// Arguments of a command inside "(...)": for AddItem the first is quoted.
bool parseCommand(std::string_view command, std::string& verb, std::string& args)
{
    if (command.size() < 4 || command.front() != '[' || command.back() != ']')
        return false;
    command = command.substr(1, command.size() - 2);
    size_t open = command.find('(');
    if (open == std::string_view::npos || command.back() != ')')
        return false;
    verb = std::string(command.substr(0, open));
    args = std::string(command.substr(open + 1, command.size() - open - 2));
    return true;
}

} // namespace

stdfs::path dataHome()
{
    return xdgFolder("XDG_DATA_HOME", ".local/share");
}

stdfs::path configHome()
{
    return xdgFolder("XDG_CONFIG_HOME", ".config");
}

std::string execLine(std::string_view command)
{
    std::string out;
    for (std::string arg : qm::process::splitCommandLine(command)) {
        if (!out.empty())
            out += ' ';
        if (arg == "%1") {
            out += "%f";
            continue;
        }
        if (qm::process::isWindowsPath(arg)) {
            try {
                arg = qm::fs::toNative(arg).string();
            } catch (const qm::RtError&) {
            }
        }
        std::string quoted = "\"";
        for (char c : arg) {
            if (c == '"' || c == '`' || c == '$' || c == '\\')
                quoted += '\\';
            quoted += c == '%' ? std::string("%%") : std::string(1, c);
        }
        out += quoted + "\"";
    }
    return out;
}

bool DesktopProgramManager::execute(std::string_view command)
{
    std::string verb, args;
    if (!parseCommand(command, verb, args))
        return false;
    if (verb == "CreateGroup") {
        if (args.empty())
            return false;
        group_ = args;
        const std::string id = "quillmate-" + slug(group_);
        const std::string menu =
            "<Menu>\n  <Name>Applications</Name>\n  <Menu>\n    <Name>" + xmlText(group_) + "</Name>\n"
            "    <Directory>" + id + ".directory</Directory>\n"
            "    <Include><Category>X-" + id + "</Category></Include>\n  </Menu>\n</Menu>\n";
        return writeFile(dataHome() / "desktop-directories" / (id + ".directory"),
                         "[Desktop Entry]\nType=Directory\nName=" + entryValue(group_) + "\n")
               && writeFile(configHome() / "menus" / "applications-merged" / (id + ".menu"), menu);
    }
    if (verb == "ShowGroup")
        return !group_.empty();
    if (verb == "AddItem") {
        if (group_.empty() || args.size() < 2 || args[0] != '"')
            return false;
        size_t close = args.find('"', 1);
        if (close == std::string::npos || (close + 1 < args.size() && args[close + 1] != ','))
            return false;
        const std::string item = args.substr(1, close - 1);
        std::string name = close + 2 <= args.size() ? args.substr(close + 2) : "";
        if (name.empty())
            name = qm::fs::fileNamePart(qm::process::splitProgramName(item).program);
        const std::string id = "quillmate-" + slug(group_);
        return writeFile(dataHome() / "applications" / (id + "-" + slug(name) + ".desktop"),
                         launcher(name, execLine(item), "Categories=X-" + id + ";\n"));
    }
    return false;
}

bool registerFileType(const FileType& type)
{
    const std::string id = "quillmate-" + slug(type.typeName);
    const std::string mime = "application/x-" + id;
    std::string glob = "*" + type.extension;
    const std::string package =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
        "  <mime-type type=\"" + mime + "\">\n"
        "    <comment>" + xmlText(type.description) + "</comment>\n"
        "    <glob pattern=\"" + xmlText(glob) + "\"/>\n"
        "  </mime-type>\n</mime-info>\n";
    bool ok = writeFile(dataHome() / "mime" / "packages" / (id + ".xml"), package);
    ok = writeFile(dataHome() / "applications" / (id + ".desktop"),
                   launcher(type.description, execLine(type.openCommand),
                            "MimeType=" + mime + ";\nNoDisplay=true\n"))
         && ok;
    ok = setDefaultApplication(mime, id + ".desktop") && ok;
    // The desktop reads MIME packages through its cache.
    if (std::optional<std::string> update = qm::process::findOnPath("update-mime-database")) {
        qm::process::Spawned s =
            qm::process::spawnProgram(*update, {*update, (dataHome() / "mime").string()});
        if (s.error == 0)
            s.child.wait();
    }
    return ok;
}

} // namespace qm::desktop
