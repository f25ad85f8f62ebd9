#include "platform/tasksched/TasksFolder.h"

#include "platform/fs/Errors.h"
#include "platform/fs/Paths.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

namespace qm::tasksched {

std::filesystem::path homeFolder() { return qm::fs::homeFolder(); }

std::string userName()
{
    if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_name)
        return pw->pw_name;
    const char* user = std::getenv("USER");
    return user ? user : "";
}

std::filesystem::path tasksFolderNative() { return qm::fs::dataHome() / "quillmate" / "Tasks"; }

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
