#include "platform/net/Connections.h"

#include "platform/fs/Drives.h"
#include "platform/fs/FileLock.h"
#include "platform/fs/FileStamp.h"
#include "platform/fs/NoCase.h"
#include "platform/fs/Paths.h"
#include "platform/fs/RtError.h"
#include "platform/fs/Text.h"
#include "platform/net/Neighbourhood.h"
#include "platform/profile/Profile.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <mutex>
#include <pwd.h>
#include <unistd.h>

namespace stdfs = std::filesystem;

namespace qm::net {

namespace {

constexpr const char* kSession = "Session";
// The host folder of a remembered connection whose share cannot be reached
// now: a path that never exists, so the drive is there but not ready.
constexpr const char* kUnreachable = "/proc/quillmate/unreachable-share";

// The machine's boot id, read once: it changes only with a restart.
const std::string& bootId()
{
    static const std::string id = [] {
        std::ifstream in("/proc/sys/kernel/random/boot_id");
        std::string line;
        std::getline(in, line);
        return std::string(fs::trimBlanks(line));
    }();
    return id;
}

std::string loginName()
{
    if (const passwd* pw = ::getpwuid(::getuid()))
        return pw->pw_name;
    const char* user = std::getenv("USER");
    return user ? user : "";
}

char letterOf(std::string_view name)
{
    if (name.size() != 2 || name[1] != ':' || !std::isalpha(static_cast<unsigned char>(name[0])))
        return 0;
    return static_cast<char>(std::toupper(static_cast<unsigned char>(name[0])));
}

std::string sectionOf(char letter) { return std::string(1, letter) + ":"; }

// A table as stored; the session table counts as empty when it was written
// before the last restart.
profile::IniDocument loadTable(const stdfs::path& file, bool session)
{
    profile::IniDocument doc;
    try {
        doc = profile::loadDocumentOrEmpty(file);
    } catch (const qm::RtError&) {
        return {};
    }
    if (session && doc.value(kSession, "Boot").value_or("") != bootId())
        return {};
    return doc;
}

void readTable(const stdfs::path& file, bool session, std::vector<Connection>& out)
{
    profile::IniDocument doc = loadTable(file, session);
    for (const std::string& section : doc.sectionNames()) {
        char letter = letterOf(section);
        std::string remote = doc.value(section, "Remote").value_or("");
        if (!letter || remote.empty())
            continue;
        if (std::any_of(out.begin(), out.end(), [&](const Connection& c) { return c.letter == letter; }))
            continue;
        out.push_back(Connection{letter, remote, doc.value(section, "User").value_or(""), !session});
    }
}

// Both tables as last read, kept until either file changes.
struct Cache {
    std::mutex mutex;
    bool valid = false;
    stdfs::path files[2];
    fs::FileStamp stamps[2];
    std::vector<Connection> table;
    uint64_t reads = 0;
};

Cache& cache()
{
    static Cache c;
    return c;
}

fs::FileLock lockTables()
{
    stdfs::path dir = fs::platformDir();
    std::error_code ec;
    stdfs::create_directories(dir, ec);
    return fs::FileLock::acquire(dir / ".connections.lock", fs::FileLock::Mode::Exclusive, true);
}

void saveTable(const stdfs::path& file, const profile::IniDocument& doc)
{
    std::error_code ec;
    stdfs::create_directories(file.parent_path(), ec);
    profile::saveDocument(file, doc);
}

bool credentialsAccepted(const Share& share, const std::optional<std::string>& password,
                         const std::optional<std::string>& user)
{
    if (!share.requiresLogin())
        return true;
    std::string who = user ? *user : loginName();
    if (!share.user.empty() && !fs::equalsNoCase(who, share.user))
        return false;
    return password.value_or("") == share.password;
}

bool underFolder(const std::string& target, const std::string& folder)
{
    return target == folder || (target.size() > folder.size() && target.compare(0, folder.size(), folder) == 0 &&
                                target[folder.size()] == '/');
}

// True when a process we can see has its current folder or an open file in
// `folder`.
bool folderInUse(const stdfs::path& folder)
{
    std::error_code ec;
    std::string f = stdfs::weakly_canonical(folder, ec).string();
    if (ec || f.empty())
        return false;
    if (f.size() > 1 && f.back() == '/')
        f.pop_back();
    DIR* proc = ::opendir("/proc");
    if (!proc)
        return false;
    bool inUse = false;
    while (!inUse) {
        dirent* e = ::readdir(proc);
        if (!e)
            break;
        if (!std::isdigit(static_cast<unsigned char>(e->d_name[0])))
            continue;
        stdfs::path base = stdfs::path("/proc") / e->d_name;
        std::error_code lec;
        stdfs::path cwd = stdfs::read_symlink(base / "cwd", lec);
        if (!lec && underFolder(cwd.string(), f)) {
            inUse = true;
            break;
        }
        for (const auto& fd : stdfs::directory_iterator(base / "fd", lec)) {
            std::error_code rec;
            stdfs::path target = stdfs::read_symlink(fd.path(), rec);
            if (!rec && underFolder(target.string(), f)) {
                inUse = true;
                break;
            }
        }
    }
    ::closedir(proc);
    return inUse;
}

} // namespace

std::string connectionErrorText(int code)
{
    switch (code) {
    case neterr::NoError:
        return {};
    case neterr::AccessDenied:
        return "Access is denied.";
    case neterr::BadNetPath:
        return "The network path was not found.";
    case neterr::BadNetName:
        return "The network name cannot be found.";
    case neterr::AlreadyAssigned:
        return "The local device name is already in use.";
    case neterr::InvalidParameter:
        return "The parameter is incorrect.";
    case neterr::BadDevice:
        return "The specified device name is invalid.";
    case neterr::LogonFailure:
        return "The user name or password is incorrect.";
    case neterr::NotConnected:
        return "The drive is not connected.";
    case neterr::OpenFiles:
        return "There are open files on the drive.";
    default:
        return "Network error " + std::to_string(code) + ".";
    }
}

stdfs::path connectionsFile()
{
    return fs::platformDir() / "connections";
}

stdfs::path sessionConnectionsFile()
{
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    const char* platform = std::getenv("QUILLMATE_PLATFORM_DIR");
    if ((platform && *platform) || !runtime || !*runtime)
        return fs::platformDir() / "connections.session";
    return stdfs::path(runtime) / "quillmate" / "connections";
}

std::vector<Connection> connections()
{
    const stdfs::path files[2] = {connectionsFile(), sessionConnectionsFile()};
    const fs::FileStamp stamps[2] = {fs::FileStamp::of(files[0]), fs::FileStamp::of(files[1])};
    Cache& c = cache();
    std::lock_guard<std::mutex> g(c.mutex);
    bool same = c.valid;
    for (int i = 0; i < 2; ++i)
        same = same && files[i] == c.files[i] && stamps[i] == c.stamps[i];
    if (!same) {
        std::vector<Connection> out;
        for (int i = 0; i < 2; ++i)
            if (stamps[i].exists)
                readTable(files[i], i == 1, out);
        std::sort(out.begin(), out.end(),
                  [](const Connection& a, const Connection& b) { return a.letter < b.letter; });
        c.table = std::move(out);
        for (int i = 0; i < 2; ++i) {
            c.files[i] = files[i];
            c.stamps[i] = stamps[i];
        }
        c.valid = true;
        ++c.reads;
    }
    return c.table;
}

uint64_t connectionTableReads()
{
    Cache& c = cache();
    std::lock_guard<std::mutex> g(c.mutex);
    return c.reads;
}

std::optional<Connection> findConnection(char letter)
{
    char up = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
    for (const Connection& c : connections())
        if (c.letter == up)
            return c;
    return std::nullopt;
}

std::optional<stdfs::path> resolveRemote(std::string_view remoteName)
{
    auto unc = splitUnc(remoteName);
    if (!unc)
        return std::nullopt;
    auto share = findShare(unc->server, unc->share);
    if (!share)
        return std::nullopt;
    stdfs::path p = share->folder;
    size_t depth = 0;
    std::string rest = unc->rest;
    std::replace(rest.begin(), rest.end(), '/', '\\');
    size_t start = 0;
    while (start <= rest.size()) {
        size_t end = rest.find('\\', start);
        if (end == std::string::npos)
            end = rest.size();
        std::string part = rest.substr(start, end - start);
        start = end + 1;
        if (part.empty() || part == ".")
            continue;
        if (part == "..") {
            if (depth == 0)
                return std::nullopt; // never above the share
            p = p.parent_path();
            --depth;
            continue;
        }
        auto child = fs::entryNoCase(p, part);
        if (!child)
            return std::nullopt;
        p /= *child;
        ++depth;
    }
    return p;
}

int addConnection(std::string_view localName, std::string_view remoteName,
                  const std::optional<std::string>& password, const std::optional<std::string>& user,
                  unsigned flags)
{
    char letter = 0;
    if (!localName.empty() && !(letter = letterOf(localName)))
        return neterr::BadDevice;
    try {
        fs::FileLock lock;
        if (letter) {
            lock = lockTables();
            if (fs::findDrive(letter) || findConnection(letter))
                return neterr::AlreadyAssigned;
        }
        auto unc = splitUnc(remoteName);
        if (!unc)
            return neterr::BadNetName;
        auto share = findShare(unc->server, unc->share);
        if (!share)
            return serverKnown(unc->server) ? neterr::BadNetName : neterr::BadNetPath;
        if (!credentialsAccepted(*share, password, user))
            return neterr::LogonFailure;
        auto folder = resolveRemote(remoteName);
        std::error_code ec;
        if (!folder || !stdfs::is_directory(*folder, ec))
            return neterr::BadNetName;
        if (!letter)
            return neterr::NoError;

        const bool persistent = (flags & ConnectUpdateProfile) != 0;
        const stdfs::path file = persistent ? connectionsFile() : sessionConnectionsFile();
        profile::IniDocument doc = loadTable(file, !persistent);
        if (!persistent)
            doc.setValue(kSession, "Boot", bootId());
        const std::string section = sectionOf(letter);
        doc.removeSection(section);
        doc.setValue(section, "Remote", remoteName);
        if (user)
            doc.setValue(section, "User", *user);
        saveTable(file, doc);
        return neterr::NoError;
    } catch (const qm::RtError& e) {
        return e.number == qm::rterr::PermissionDenied ? neterr::AccessDenied : neterr::InvalidParameter;
    }
}

int cancelConnection(std::string_view name, unsigned /*flags*/, bool force)
{
    char letter = letterOf(name);
    if (!letter)
        return neterr::NotConnected;
    try {
        fs::FileLock lock = lockTables();
        auto conn = findConnection(letter);
        if (!conn)
            return neterr::NotConnected;
        if (!force) {
            auto folder = resolveRemote(conn->remote);
            if (folder && folderInUse(*folder))
                return neterr::OpenFiles;
        }
        const std::string section = sectionOf(letter);
        for (bool session : {false, true}) {
            const stdfs::path file = session ? sessionConnectionsFile() : connectionsFile();
            profile::IniDocument doc = loadTable(file, session);
            bool removed = false;
            while (doc.removeSection(section))
                removed = true;
            if (removed)
                saveTable(file, doc);
        }
        return neterr::NoError;
    } catch (const qm::RtError& e) {
        return e.number == qm::rterr::PermissionDenied ? neterr::AccessDenied : neterr::InvalidParameter;
    }
}

void installDriveHooks()
{
    fs::setConnectedDriveSource([] {
        std::vector<fs::Drive> out;
        for (const Connection& c : connections()) {
            fs::Drive d;
            d.letter = c.letter;
            d.root = resolveRemote(c.remote).value_or(stdfs::path(kUnreachable));
            d.type = fs::drivetype::Remote;
            if (auto unc = splitUnc(c.remote))
                d.label = unc->share;
            out.push_back(d);
        }
        return out;
    });
    fs::setUncResolver([](const std::string& server, const std::string& share) -> std::optional<stdfs::path> {
        if (auto s = findShare(server, share))
            return s->folder;
        return std::nullopt;
    });
}

} // namespace qm::net
