#include "platform/zip/NameGuard.h"

#include "platform/zip/ResultCodes.h"
#include "platform/zip/SetFiles.h"

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace qm::zip {

namespace stdfs = std::filesystem;
using qm::fs::SetAside;

namespace {

bool standsAt(const stdfs::path& p)
{
    struct stat st {};
    return ::lstat(p.c_str(), &st) == 0;
}

[[noreturn]] void replaced() { throw NameTaken{{result::ArchiveReplaced}}; }

} // namespace

NameOrigin NameOrigin::of(const stdfs::path& target)
{
    NameOrigin origin{identityOf(target), {}};
    for (const stdfs::path& p : setFilesOf(target).ownParts())
        origin.parts.push_back({p, identityOf(p)});
    return origin;
}

std::vector<stdfs::path> NameOrigin::partPaths() const
{
    std::vector<stdfs::path> paths;
    for (const Part& p : parts)
        paths.push_back(p.path);
    return paths;
}

void NameOrigin::check(const stdfs::path& target) const
{
    checkHeld(target);
}

void NameOrigin::checkHeld(const std::optional<stdfs::path>& held) const
{
    if ((held ? identityOf(*held) : std::nullopt) != file)
        replaced();
    for (const Part& p : parts)
        if (identityOf(p.path) != p.file)
            replaced();
}

void NameOrigin::dropParts() const
{
    for (const Part& p : parts)
        if (identityOf(p.path) == p.file)
            ::unlink(p.path.c_str());
}

std::unique_ptr<SetAside> holdPlace(const stdfs::path& place, const stdfs::path& hidden,
                                    const SetAside::NameHook& hook, SetAside::Hold how)
{
    auto keeper = std::make_unique<SetAside>(place, hidden, hook, true, how);
    if (keeper->holds())
        return keeper;
    // No room for a mark; or a folder, a link, a file that cannot be moved.
    if (keeper->error() != 0)
        throw IoError{keeper->error(), place};
    if (keeper->taken()) {
        const bool before = standsAt(hidden);
        const SetAside::Keeper k = SetAside::keeperOf(hidden);
        if (k == SetAside::Keeper::Covering && !standsAt(place))
            return nullptr;
        // Not there yet, or gone again: the file was another writer's to set aside.
        if (k == SetAside::Keeper::Live || !before || !standsAt(hidden))
            throw NameTaken{{result::ArchiveBeingWritten}};
        // Else a copy nothing may settle, or whose keeper cannot be told.
    }
    throw InTheWay{standsAt(hidden) ? hidden : place};
}

} // namespace qm::zip
