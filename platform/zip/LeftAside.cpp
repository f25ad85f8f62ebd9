#include "platform/zip/LeftAside.h"

#include "platform/fs/OwnedTemp.h"
#include "platform/fs/SetAside.h"
#include "platform/zip/ArchiveReader.h"
#include "platform/zip/OpCommon.h"
#include "platform/zip/PavikZip.h"
#include "platform/zip/VolumeOutput.h"
#include "platform/zip/Volumes.h"

#include <cerrno>
#include <sys/stat.h>

namespace qm::zip {

namespace {

namespace stdfs = std::filesystem;
using qm::fs::SetAside;

enum class Standing { Nothing, Archive, Other };

// Thrown by the part locator below: the other parts are not needed.
struct LastPartRead {};

// Whether a self-extracting program that holds no end record begins a set
// whose parts follow it, the last one's end record speaking for the whole.
bool readsAsProgramSet(const stdfs::path& program)
{
    const std::vector<stdfs::path> parts = programSetParts(program);
    if (parts.empty())
        return false;
    try {
        ArchiveReader reader;
        reader.open(parts.back(),
                    [](const stdfs::path&, uint32_t) -> std::vector<stdfs::path> { throw LastPartRead{}; });
    } catch (const LastPartRead&) {
        return true;
    } catch (...) {
    }
    return false;
}

// Whether `path` reads as an archive: a whole one, or the last part of a
// split or spanned set, whose end record speaks for the whole, or the
// program that begins a self-extracting set.
bool readsAsArchive(const stdfs::path& path)
{
    try {
        ArchiveReader reader;
        reader.open(path, [](const stdfs::path&, uint32_t) -> std::vector<stdfs::path> { throw LastPartRead{}; });
    } catch (const LastPartRead&) {
    } catch (const FormatError& e) {
        return e.notArchive && readsAsProgramSet(path);
    } catch (...) {
        return false;
    }
    return true;
}

// What stands in an archive's place.
Standing standing(const stdfs::path& target)
{
    struct stat st {};
    if (::lstat(target.c_str(), &st) != 0)
        return errno == ENOENT ? Standing::Nothing : Standing::Other;
    return S_ISREG(st.st_mode) && readsAsArchive(target) ? Standing::Archive : Standing::Other;
}

bool present(const stdfs::path& p)
{
    struct stat st {};
    return ::lstat(p.c_str(), &st) == 0;
}

bool isRegular(const stdfs::path& p)
{
    struct stat st {};
    return ::lstat(p.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

void settleSet(const stdfs::path& target)
{
    const stdfs::path own = SetAside::asideName(target);
    // The parts' places, as long as a part or a copy of one follows on.
    std::vector<stdfs::path> parts;
    bool anyCopy = isRegular(own);
    for (uint32_t i = 0; i < VolumeOutput::MaxParts; ++i) {
        stdfs::path part = splitPartPath(target, i);
        const bool copy = isRegular(SetAside::asideName(part));
        if (!copy && !present(part)) {
            if (i == 0)
                continue; // a self-extracting program's set goes on from .z02
            break;
        }
        anyCopy = anyCopy || copy;
        parts.push_back(std::move(part));
    }
    if (!anyCopy)
        return;
    // A live run is putting this set in place: none of it is touched.
    if (SetAside::inUse(own))
        return;
    for (const stdfs::path& p : parts)
        if (SetAside::inUse(SetAside::asideName(p)))
            return;

    switch (standing(target)) {
    case Standing::Nothing:
        // Not finished: the old set comes back, the parts first and the
        // last part last; a place that was free is free again.
        for (const stdfs::path& p : parts)
            SetAside::settleLeft(p, SetAside::asideName(p), false);
        SetAside::settleLeft(target, own, false);
        break;
    case Standing::Archive:
        // Finished: the copies are older. The parts' go from the end and the
        // last part's last, so that what a kill leaves of them is still
        // found from the first part on.
        for (auto it = parts.rbegin(); it != parts.rend(); ++it)
            SetAside::settleLeft(*it, SetAside::asideName(*it), true);
        SetAside::settleLeft(target, own, true);
        break;
    case Standing::Other: break;
    }
}

// Settles what killed runs left of the archive at `native`; with a control,
// its work folder's temporary files go too.
void settleAt(const std::optional<stdfs::path>& native, const PavikZip* z)
{
    if (!native)
        return;
    const stdfs::path target = resolveTarget(*native);
    const std::string stem = TempFile::stemFor(target);
    qm::fs::removeStaleTemps(target.parent_path(), stem);
    const std::optional<stdfs::path> work = z ? workFolderOf(*z, target.parent_path()) : std::nullopt;
    if (work && *work != target.parent_path())
        qm::fs::removeStaleTemps(*work, stem);
    settleSet(target);
}

} // namespace

void settleLeftAside(const std::string& archivePath) { settleAt(nativeOf(archivePath), nullptr); }

void settleLeftAside(const PavikZip& z) { settleAt(nativeOf(z.ArchivePath), &z); }

} // namespace qm::zip
