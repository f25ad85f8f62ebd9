#include "platform/tasksched/TasksFolder.h"

#include "platform/fs/Errors.h"
#include "platform/fs/Paths.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

namespace qm::tasksched {

std::filesystem::path homeFolder()
{
    if (const char* home = std::getenv("HOME"); home && *home)
        return home;
    if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir)
        return pw->pw_dir;
    return "/";
}

std::string userName()
{
    if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_name)
        return pw->pw_name;
    const char* user = std::getenv("USER");
    return user ? user : "";
}

std::filesystem::path tasksFolderNative()
{
    std::filesystem::path data;
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg && xdg[0] == '/')
        data = xdg;
    else
        data = homeFolder() / ".local" / "share";
    return data / "quillmate" / "Tasks";
}

std::string tasksFolder() { return qm::fs::fromNative(tasksFolderNative()); }

void ensureTasksFolder() { ensurePrivateFolder(tasksFolderNative()); }

void ensurePrivateFolder(const std::filesystem::path& folder)
{
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (!ec)
        std::filesystem::permissions(folder, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::replace, ec);
    if (ec)
        throw qm::fs::rtErrorFromErrno(ec.value(), qm::fs::fromNative(folder));
}

} // namespace qm::tasksched
