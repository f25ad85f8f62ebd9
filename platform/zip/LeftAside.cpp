#include "platform/zip/LeftAside.h"

#include "platform/fs/SetAside.h"
#include "platform/zip/ArchiveReader.h"
#include "platform/zip/OpCommon.h"

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

} // namespace

void settleLeftAside(const std::string& archivePath)
{
    const std::optional<stdfs::path> target = nativeOf(archivePath);
    if (!target)
        return;
    const stdfs::path aside = qm::fs::SetAside::asideName(*target);
    struct stat st {};
    if (::lstat(aside.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return;
    switch (standing(*target)) {
    case Standing::Nothing:
    case Standing::NoArchive: ::rename(aside.c_str(), target->c_str()); break;
    case Standing::Archive: ::unlink(aside.c_str()); break;
    case Standing::Other: break;
    }
}

} // namespace qm::zip
