#include "platform/fs/Drives.h"

#include "platform/fs/FileStamp.h"
#include "platform/fs/NoCase.h"
#include "platform/fs/Paths.h"
#include "platform/fs/RtError.h"
#include "platform/fs/WinPath.h"
#include "platform/profile/Profile.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <mutex>
#include <sys/stat.h>

namespace stdfs = std::filesystem;

namespace qm::fs {

namespace {

struct State {
    std::mutex mutex;
    DriveSource connected;
    UncResolver resolver;
    // The drives file as last read, and the version read.
    std::string cachedFile;
    FileStamp cachedStamp;
    std::vector<Drive> fromFile; // empty until first read
    // DriveTableHold: how many are alive, and the whole table as checked
    // while they are (valid when `held` is set).
    int holds = 0;
    bool held = false;
    std::vector<Drive> heldTable;
};

State& state()
{
    static State s;
    return s;
}

int typeFromText(const std::string& text)
{
    std::string t = foldCase(text);
    if (t.empty() || t == "fixed")
        return drivetype::Fixed;
    if (t == "removable")
        return drivetype::Removable;
    if (t == "cdrom" || t == "cd-rom")
        return drivetype::CdRom;
    if (t == "ramdisk" || t == "ram")
        return drivetype::RamDisk;
    if (t == "remote" || t == "network")
        return drivetype::Remote;
    return drivetype::Unknown;
}

// "1A2B-3C4D" (as volume serials are shown), "0x1A2B3C4D" or decimal.
std::uint32_t serialFromText(const std::string& text)
{
    std::string digits;
    int base = 10;
    if (text.size() == 9 && text[4] == '-') {
        digits = text.substr(0, 4) + text.substr(5);
        base = 16;
    } else if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        digits = text.substr(2);
        base = 16;
    } else {
        digits = text;
    }
    if (digits.empty())
        return 0;
    char* end = nullptr;
    unsigned long long v = std::strtoull(digits.c_str(), &end, base);
    if (*end != '\0' || v > 0xFFFFFFFFull)
        return 0;
    return static_cast<std::uint32_t>(v);
}

stdfs::path hostFolder(const std::string& text)
{
    if (text.size() >= 2 && text[0] == '~' && text[1] == '/') {
        if (const char* home = std::getenv("HOME"))
            return stdfs::path(home) / text.substr(2);
    }
    stdfs::path p(text);
    if (!p.is_absolute())
        return {};
    p = p.lexically_normal();
    if (p.has_filename() == false && p != p.root_path())
        p = p.parent_path(); // no trailing "/"
    return p;
}

// Letter of a section name "D:" or "D"; '\0' when it names no drive.
char letterOfSection(const std::string& name)
{
    if (name.empty() || name.size() > 2 || (name.size() == 2 && name[1] != ':'))
        return '\0';
    unsigned char c = static_cast<unsigned char>(name[0]);
    return std::isalpha(c) ? static_cast<char>(std::toupper(c)) : '\0';
}

std::vector<Drive> parseDrivesFile(const stdfs::path& file)
{
    std::map<char, Drive> table;
    Drive c;
    c.letter = 'C';
    c.root = "/";
    c.type = drivetype::Fixed;
    table['C'] = c;

    profile::IniDocument doc;
    try {
        doc = profile::loadDocumentOrEmpty(file);
    } catch (const RtError& e) {
        // A table that cannot be read (a folder in its place, no permission)
        // is read as empty, and said once.
        static std::atomic<bool> said{false};
        if (!said.exchange(true))
            std::fprintf(stderr, "The drive table cannot be read (%s); it is read as empty\n", e.description.c_str());
    }
    for (const std::string& section : doc.sectionNames()) {
        char letter = letterOfSection(section);
        if (!letter)
            continue;
        auto get = [&](const char* key) { return doc.value(section, key).value_or(""); };
        if (letter == 'C') {
            table['C'].label = get("Label");
            table['C'].serial = serialFromText(get("Serial"));
            continue;
        }
        Drive d;
        d.letter = letter;
        d.root = hostFolder(get("Path"));
        if (d.root.empty())
            continue; // a letter without a usable folder is no drive
        d.type = typeFromText(get("Type"));
        d.label = get("Label");
        d.serial = serialFromText(get("Serial"));
        table[letter] = d;
    }
    std::vector<Drive> out;
    for (auto& [letter, d] : table)
        out.push_back(d);
    return out;
}

// The drives file's letters, re-read only when the file changed.
const std::vector<Drive>& fileDrives(State& s)
{
    stdfs::path file = drivesFile();
    FileStamp stamp = FileStamp::of(file);
    if (s.fromFile.empty() || file.native() != s.cachedFile || stamp != s.cachedStamp) {
        s.fromFile = parseDrivesFile(file);
        s.cachedFile = file.native();
        s.cachedStamp = stamp;
    }
    return s.fromFile;
}

} // namespace

stdfs::path drivesFile()
{
    return platformDir() / "drives";
}

std::vector<Drive> drives()
{
    State& s = state();
    std::vector<Drive> table;
    DriveSource connected;
    {
        std::lock_guard lock(s.mutex);
        if (s.held)
            return s.heldTable;
        table = fileDrives(s);
        connected = s.connected;
    }
    if (connected) {
        for (Drive d : connected()) {
            unsigned char c = static_cast<unsigned char>(d.letter);
            if (!std::isalpha(c) || d.root.empty())
                continue;
            d.letter = static_cast<char>(std::toupper(c));
            bool taken = std::any_of(table.begin(), table.end(),
                                     [&](const Drive& t) { return t.letter == d.letter; });
            if (!taken)
                table.push_back(d);
        }
        std::sort(table.begin(), table.end(),
                  [](const Drive& a, const Drive& b) { return a.letter < b.letter; });
    }
    std::lock_guard lock(s.mutex);
    if (s.holds > 0) {
        s.heldTable = table;
        s.held = true;
    }
    return table;
}

DriveTableHold::DriveTableHold()
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    ++s.holds;
}

DriveTableHold::~DriveTableHold()
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    if (--s.holds == 0) {
        s.held = false;
        s.heldTable.clear();
    }
}

std::optional<Drive> findDrive(char letter)
{
    char up = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
    for (const Drive& d : drives())
        if (d.letter == up)
            return d;
    return std::nullopt;
}

int driveType(const std::string& root)
{
    std::string r = toBackslashes(root);
    if (isUncPath(r)) {
        std::string rest = r.substr(2);
        size_t cut = rest.find('\\');
        if (cut == std::string::npos || cut == 0)
            return drivetype::NoRootDir;
        std::string server = rest.substr(0, cut);
        std::string share = rest.substr(cut + 1);
        if (!share.empty() && share.back() == '\\')
            share.pop_back();
        if (share.empty() || share.find('\\') != std::string::npos)
            return drivetype::NoRootDir;
        return resolveShare(server, share) ? drivetype::Remote : drivetype::NoRootDir;
    }
    if (r.size() == 1)
        r += ':';
    if (!isDriveRoot(r))
        return drivetype::NoRootDir;
    std::optional<Drive> d = findDrive(r[0]);
    return d ? d->type : drivetype::NoRootDir;
}

bool driveReady(const Drive& drive)
{
    struct stat st {};
    return ::stat(drive.root.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::vector<std::string> driveRoots()
{
    std::vector<std::string> out;
    for (const Drive& d : drives())
        out.push_back(std::string(1, d.letter) + ":\\");
    return out;
}

void setConnectedDriveSource(DriveSource source)
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    s.connected = std::move(source);
}

void setUncResolver(UncResolver resolver)
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    s.resolver = std::move(resolver);
}

std::optional<stdfs::path> resolveShare(const std::string& server, const std::string& share)
{
    UncResolver resolver;
    {
        State& s = state();
        std::lock_guard lock(s.mutex);
        resolver = s.resolver;
    }
    if (!resolver)
        return std::nullopt;
    return resolver(server, share);
}

} // namespace qm::fs
