#include "platform/zip/LeftAside.h"

#include "platform/fs/OwnedTemp.h"
#include "platform/fs/SetAside.h"
#include "platform/zip/ArchiveReader.h"
#include "platform/zip/FileIo.h"
#include "platform/zip/ZipFormat.h"
#include "platform/zip/OpCommon.h"
#include "platform/zip/PartNames.h"
#include "platform/zip/PavikZip.h"
#include "platform/zip/SetFiles.h"
#include "platform/zip/VolumeOutput.h"
#include "platform/zip/Volumes.h"

#include <cerrno>
#include <map>
#include <sys/stat.h>

namespace qm::zip {

namespace {

namespace stdfs = std::filesystem;
using qm::fs::SetAside;

enum class Standing { Nothing, Archive, Other };

// Thrown by the part locator below: the other parts are not needed.
struct LastPartRead {};

// Whether `path` reads as an archive: a whole one, or the last part of a
// split or spanned set, whose end record speaks for the whole, or the
// program that begins a self-extracting set with every part of it beside.
bool readsAsArchive(const stdfs::path& path)
{
    try {
        ArchiveReader reader;
        reader.open(path, [](const stdfs::path&, uint32_t) -> std::vector<stdfs::path> { throw LastPartRead{}; });
    } catch (const LastPartRead&) {
    } catch (const FormatError& e) {
        if (!e.notArchive)
            return false;
        const SetFiles set = setFilesOf(path);
        return set.layout() == sets::Layout::ProgramSet && set.whole();
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

bool isRegular(const stdfs::path& p)
{
    struct stat st {};
    return ::lstat(p.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

constexpr std::string_view Suffix = ".previous";

} // namespace

stdfs::path partAsideName(const stdfs::path& named, const stdfs::path& part)
{
    return named.parent_path() / ("." + named.filename().string() + part.extension().string() + std::string(Suffix));
}

std::map<uint32_t, PartCopy> partCopiesOf(const stdfs::path& named)
{
    std::map<uint32_t, PartCopy> found;
    const stdfs::path folder = named.parent_path().empty() ? stdfs::path(".") : named.parent_path();
    const std::string head = "." + named.filename().string() + ".";
    for (const std::string& name : namesBeside(named)) {
        if (name.size() <= head.size() + Suffix.size() || name.compare(0, head.size(), head) != 0 ||
            name.compare(name.size() - Suffix.size(), Suffix.size(), Suffix) != 0)
            continue;
        // ".<named>.z02.previous": the copy of part "<stem>.z02".
        const std::string extension = name.substr(head.size() - 1, name.size() - head.size() + 1 - Suffix.size());
        const std::string part = named.stem().string() + extension;
        const uint32_t number = partNumberOf(part, named.stem().string());
        if (number == 0 || number > VolumeOutput::MaxParts || !isRegular(folder / name))
            continue;
        found.emplace(number, PartCopy{named.parent_path() / name, named.parent_path() / part});
    }
    return found;
}

namespace {

void settleSet(const stdfs::path& target, Settler by, const SetAside::NameHook& hook)
{
    const stdfs::path own = SetAside::asideName(target);
    const bool ownCopy = isRegular(own);
    const std::map<uint32_t, PartCopy> copies = partCopiesOf(target);
    if (!ownCopy && copies.empty())
        return;
    // A live run is putting this set in place, or may be: none of it is
    // touched. The copies a killed run left are held while they are settled,
    // so that no run that comes meanwhile takes them, or their names.
    std::vector<std::unique_ptr<SetAside::Claim>> claims;
    auto leftByKilledRun = [&](const stdfs::path& copy) {
        claims.push_back(std::make_unique<SetAside::Claim>(copy, by == Settler::Writing));
        return claims.back()->claimed();
    };
    if (ownCopy && !leftByKilledRun(own))
        return;
    for (const auto& [number, copy] : copies)
        if (!leftByKilledRun(copy.copy))
            return;

    std::error_code ignored;
    switch (standing(target)) {
    case Standing::Nothing:
        // Not finished: the old set comes back, the parts first and the
        // last part last; a place that was free is free again.
        for (const auto& [number, copy] : copies)
            SetAside::settleLeft(copy.part, copy.copy, false, hook);
        SetAside::settleLeft(target, own, false, hook);
        break;
    case Standing::Archive:
        // Finished: the copies are older. The parts' go from the end and the
        // last part's last, so that what a kill leaves of them is still
        // found.
        for (auto it = copies.rbegin(); it != copies.rend(); ++it)
            SetAside::settleLeft(it->second.part, it->second.copy, true, hook);
        SetAside::settleLeft(target, own, true, hook);
        break;
    case Standing::Other:
        // The mark of a name alone, which a killed writer held while its
        // archive was renamed over the file there: no set waits aside.
        if (ownCopy && copies.empty() && stdfs::file_size(own, ignored) == 0)
            SetAside::settleLeft(target, own, true, hook);
        break;
    }
}

// Settles what killed runs left of the archive at `native`; with a control,
// its work folder's temporary files go too.
void settleAt(const std::optional<stdfs::path>& native, const PavikZip* z, Settler by,
              const SetAside::NameHook& hook = {})
{
    if (!native)
        return;
    const stdfs::path target = resolveTarget(*native);
    const std::string stem = TempFile::stemFor(target);
    qm::fs::removeStaleTemps(target.parent_path(), stem);
    const std::optional<stdfs::path> work = z ? workFolderOf(*z, target.parent_path()) : std::nullopt;
    if (work && *work != target.parent_path())
        qm::fs::removeStaleTemps(*work, stem);
    settleSet(target, by, hook);
}

} // namespace

void settleLeftAside(const std::string& archivePath, Settler by) { settleAt(nativeOf(archivePath), nullptr, by); }

void settleLeftAside(const PavikZip& z, Settler by) { settleAt(nativeOf(z.ArchivePath), &z, by); }

std::vector<stdfs::path> copiesLeftAside(const stdfs::path& last)
{
    std::vector<stdfs::path> found;
    if (isRegular(SetAside::asideName(last)))
        found.push_back(SetAside::asideName(last));
    for (auto& [number, copy] : partCopiesOf(last))
        found.push_back(std::move(copy.copy));
    return found;
}

bool isArchiveFile(const stdfs::path& path)
{
    if (readsAsArchive(path))
        return true;
    // The first part of a split or spanned set begins with its signature.
    InFile in;
    unsigned char sig[4];
    return in.open(path) && in.size() >= 4 && in.readAt(0, sig, 4) == 4 &&
           (fmt::get32(sig) == SpanningSig || fmt::get32(sig) == SinglePartMarker);
}

// ---- KeptSet

KeptSet::KeptSet(const std::string& archivePath, NameHook hook) : hook_(std::move(hook))
{
    const std::optional<stdfs::path> native = nativeOf(archivePath);
    if (!native)
        return;
    archive_ = *native;
    // Only the files of the archive's own set, as its records tell them:
    // any other file of that stem is another's.
    const SetFiles old = setFilesOf(archive_);
    // The archive first: from then on its name is free.
    // Its keepers cover the places for the other program's build.
    own_ = std::make_unique<SetAside>(archive_, SetAside::asideName(archive_), hook_, false, SetAside::Hold::Cover);
    if (!own_->holds())
        return;
    for (const stdfs::path& part : old.ownParts()) {
        const uint32_t number = partNumberOf(part.filename().string(), archive_.stem().string());
        auto keeper =
            std::make_unique<SetAside>(part, partAsideName(archive_, part), hook_, false, SetAside::Hold::Cover);
        if (keeper->holds())
            parts_.emplace_back(number, std::move(keeper));
        else
            stayed_.insert(number);
    }
}

KeptSet::~KeptSet() { settle(false); }

bool KeptSet::holds() const { return own_ && own_->holds(); }

void KeptSet::settle(bool succeeded)
{
    if (settled_ || !holds())
        return;
    settled_ = true;
    if (succeeded) {
        for (auto it = parts_.rbegin(); it != parts_.rend(); ++it)
            it->second->settle(true);
        own_->settle(true);
        return;
    }
    // The places the other program took where the old set had none are
    // marked as its own marks would be; then what it left under the
    // archive's name goes: from there on the name is free, and the old set
    // comes back whole, whenever the rest stops.
    std::set<uint32_t> old = stayed_;
    for (const auto& [index, keeper] : parts_)
        old.insert(index);
    const SetFiles made = setFilesOf(archive_);
    if (made.beside())
        for (size_t i = 0; i < made.paths.size(); ++i)
            if (const uint32_t number = made.members.numbers[i]; number != 0 && !old.count(number))
                SetAside::markTaken(made.paths[i], partAsideName(archive_, made.paths[i]), hook_);
    struct stat st {};
    if (::lstat(archive_.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
        if (hook_)
            hook_(archive_);
        ::unlink(archive_.c_str());
    }
    for (auto& [index, keeper] : parts_)
        keeper->release();
    own_->release();
    settleAt(archive_, nullptr, Settler::Writing, hook_);
}

} // namespace qm::zip
