#include "sfxstub/Folders.h"

#include "platform/fs/Drives.h"
#include "platform/fs/FileOps.h"
#include "platform/fs/Handles.h"
#include "platform/fs/Paths.h"
#include "platform/fs/WinPath.h"
#include "platform/process/RunFromCopy.h"
#include "platform/registry/Registry.h"

#include <cctype>
#include <cstdlib>
#include <string_view>
#include <vector>

namespace stdfs = std::filesystem;

namespace qm::sfxstub {

namespace {

std::optional<stdfs::path> native(const std::string& path)
{
    try {
        return qm::fs::toNative(path);
    } catch (const qm::RtError&) {
        return std::nullopt;
    }
}

std::string currentFolder()
{
    std::error_code ec;
    stdfs::path cwd = stdfs::current_path(ec);
    return qm::fs::fromNative(ec ? stdfs::path("/") : cwd);
}

// The per-user folder that stands for the system drive.
stdfs::path systemDriveFolder()
{
    if (const char* v = std::getenv(SystemDriveVariable); v && *v)
        return v;
    return qm::fs::dataHome() / "quillmate" / "drive_c";
}

// $TMPDIR when it is an absolute path, else /tmp.
stdfs::path tempHostFolder()
{
    const char* tmp = std::getenv("TMPDIR");
    return tmp && *tmp == '/' ? tmp : "/tmp";
}

bool onRemovableDrive(const stdfs::path& host)
{
    return qm::fs::driveType(qm::fs::driveRoot(qm::fs::fromNative(host))) == qm::fs::drivetype::Removable;
}

std::string limited(std::string s)
{
    return s.size() > PathLimit ? std::string() : s;
}

} // namespace

std::optional<std::string> MakeAbsolute(std::string_view path, size_t limit)
{
    std::string p = qm::fs::toBackslashes(path);
    if (p.empty())
        return std::nullopt;
    std::string root;
    std::string rest;
    if (p.size() >= 2 && p[1] == ':') {
        if (!std::isalpha(static_cast<unsigned char>(p[0])))
            return std::nullopt;
        root = p.substr(0, 2) + "\\";
        rest = p.substr(2);
    } else if (p.rfind("\\\\", 0) == 0) {
        size_t server = p.find('\\', 2);
        if (server == std::string::npos || server == 2)
            return std::nullopt;
        size_t share = p.find('\\', server + 1);
        if (share == server + 1)
            return std::nullopt;
        root = p.substr(0, share == std::string::npos ? p.size() : share) + "\\";
        rest = share == std::string::npos ? std::string() : p.substr(share);
    } else {
        const std::string cwd = currentFolder();
        root = qm::fs::driveRoot(cwd);
        rest = p[0] == '\\' ? p : cwd.substr(root.size()) + "\\" + p;
    }
    std::vector<std::string> parts;
    size_t pos = 0;
    while (pos <= rest.size()) {
        size_t cut = rest.find('\\', pos);
        if (cut == std::string::npos)
            cut = rest.size();
        std::string c = rest.substr(pos, cut - pos);
        pos = cut + 1;
        if (c.empty() || c == ".")
            continue;
        if (c == "..") {
            if (!parts.empty())
                parts.pop_back();
            continue;
        }
        parts.push_back(c);
    }
    std::string out = root;
    for (size_t i = 0; i < parts.size(); ++i)
        out += (i ? "\\" : "") + parts[i];
    if (!parts.empty() && p.back() == '\\')
        out += '\\';
    if (out.size() > limit)
        return std::nullopt;
    return out;
}

bool CreateFolderTree(const std::string& path, std::string& tempRoot)
{
    std::optional<stdfs::path> host = native(path);
    if (!host)
        return false;
    const qm::fs::FolderMade first = qm::fs::makeHostFolder(*host);
    if (first == qm::fs::FolderMade::Made) {
        tempRoot = path;
        return true;
    }
    if (first != qm::fs::FolderMade::ParentMissing)
        return false;
    size_t cut = path.find_last_of("\\/");
    if (cut == std::string::npos || cut == 0)
        return false;
    std::string parent = path.substr(0, cut);
    if (parent.size() == 2 && parent[1] == ':')
        return false; // the drive's root itself is missing
    if (!CreateFolderTree(parent, tempRoot))
        return false;
    return qm::fs::makeHostFolder(*host) == qm::fs::FolderMade::Made;
}

void DeleteFolderTree(const std::string& path)
{
    std::optional<stdfs::path> host = native(qm::fs::withoutTrailingBackslash(path));
    if (!host || !host->has_parent_path() || host->filename().empty() || *host == host->root_path())
        return;
    qm::fs::FolderHandle parent;
    if (parent.open(host->parent_path()) == 0)
        parent.removeTree(host->filename().string());
}

Claim claimPrivateFolder(const std::string& path, std::string& tempRoot)
{
    std::optional<stdfs::path> host = native(path);
    if (!host)
        return Claim::Failed;
    std::string made; // outermost folder made above the new one
    const std::string parent = qm::fs::parentFolder(path);
    if (!parent.empty() && !qm::fs::exists(parent) && !CreateFolderTree(parent, made))
        return Claim::Failed;
    const qm::fs::FolderMade claimed = qm::fs::makeHostFolder(*host, 0700);
    if (claimed != qm::fs::FolderMade::Made)
        return claimed == qm::fs::FolderMade::Exists ? Claim::Taken : Claim::Failed;
    tempRoot = made.empty() ? path : made;
    return Claim::Free;
}

void LookUpSpecialFolders(SfxConfig& c)
{
    c.SystemDrive = limited(qm::fs::withoutTrailingBackslash(qm::fs::fromNative(systemDriveFolder())));
    c.WindowsFolder = limited(c.SystemDrive.empty() ? "" : c.SystemDrive + "\\Windows");
    c.SystemFolder = limited(c.WindowsFolder.empty() ? "" : c.WindowsFolder + "\\System32");
    c.TempFolder = limited(qm::fs::withoutTrailingBackslash(qm::fs::fromNative(tempHostFolder())));
    c.ProgramFilesFolder.clear();
    std::optional<qm::registry::Value> v = qm::registry::queryValue(
        qm::registry::hkey::LocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion\\ProgramFilesDir", "");
    if (v && (v->type == qm::registry::regtype::Sz || v->type == qm::registry::regtype::ExpandSz)) {
        std::string text = v->data;
        if (!text.empty() && text.back() == '\0')
            text.pop_back();
        c.ProgramFilesFolder = limited(text);
    }
    if (c.ProgramFilesFolder.empty() && !c.SystemDrive.empty())
        c.ProgramFilesFolder = limited(c.SystemDrive + "\\Program Files");
}

std::string ownProgramFile(const char* invokedAs)
{
    std::error_code ec;
    const stdfs::path p = stdfs::read_symlink("/proc/self/exe", ec);
    if (ec)
        return {};
    if (invokedAs && std::string_view(invokedAs).find('/') != std::string_view::npos) {
        const stdfs::path asStarted = stdfs::absolute(invokedAs, ec).lexically_normal();
        if (!ec && stdfs::equivalent(asStarted, p, ec) && !ec)
            return asStarted.string();
    }
    return p.string();
}

std::string runningProgramFile(int argc, char** argv)
{
    if (std::optional<std::string> started = qm::process::takeStartedPath())
        return *started;
    const std::string self = ownProgramFile(argc > 0 ? argv[0] : nullptr);
    // A copy on a removable drive too would hold a medium of its own.
    const stdfs::path temp = tempHostFolder();
    if (!self.empty() && onRemovableDrive(self) && !onRemovableDrive(temp))
        qm::process::execPrivateCopy(temp, self, argv); // back only when no copy runs
    return self;
}

} // namespace qm::sfxstub
