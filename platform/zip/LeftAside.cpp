#include "platform/zip/LeftAside.h"

#include "platform/fs/SetAside.h"
#include "platform/zip/ArchiveReader.h"
#include "platform/zip/OpCommon.h"
#include "platform/zip/VolumeOutput.h"
#include "platform/zip/Volumes.h"

#include <cerrno>
#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

namespace qm::zip {

namespace {

namespace stdfs = std::filesystem;

enum class Standing { Nothing, Archive, NoArchive, Other };

// What stands in an archive's place.
Standing standing(const stdfs::path& target)
{
    struct stat st {};
    if (::lstat(target.c_str(), &st) != 0)
        return errno == ENOENT ? Standing::Nothing : Standing::Other;
    if (!S_ISREG(st.st_mode))
        return Standing::Other;
    try {
        ArchiveReader reader;
        reader.open(target);
        return Standing::Archive;
    } catch (const FormatError& e) {
        if (e.multiDisk)
            return Standing::Archive; // the last part of a set, with the end record of the whole
        return e.notArchive ? Standing::NoArchive : Standing::Other;
    } catch (...) {
        return Standing::Other;
    }
}

bool isRegular(const stdfs::path& p)
{
    struct stat st {};
    return ::lstat(p.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

} // namespace

void settleLeftAside(const std::string& archivePath, bool split)
{
    const std::optional<stdfs::path> target = nativeOf(archivePath);
    if (!target || !isRegular(qm::fs::SetAside::asideName(*target)))
        return;
    // Each place with its copy aside: the archive's own, then its parts'.
    std::vector<stdfs::path> places{*target};
    for (uint32_t i = 0; split && i < VolumeOutput::MaxParts; ++i) {
        stdfs::path part = splitPartPath(*target, i);
        if (!isRegular(qm::fs::SetAside::asideName(part)))
            break;
        places.push_back(std::move(part));
    }
    const Standing now = standing(*target);
    for (const stdfs::path& place : places) {
        const stdfs::path aside = qm::fs::SetAside::asideName(place);
        switch (now) {
        case Standing::Nothing:
        case Standing::NoArchive: ::rename(aside.c_str(), place.c_str()); break;
        case Standing::Archive: ::unlink(aside.c_str()); break;
        case Standing::Other: break;
        }
    }
}

} // namespace qm::zip
