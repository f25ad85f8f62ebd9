#include "platform/zip/Volumes.h"

#include "platform/fs/CurrentFolder.h"
#include "platform/fs/Drives.h"
#include "platform/fs/NoCase.h"
#include "platform/fs/Paths.h"
#include "platform/fs/SetAside.h"
#include "platform/fs/WinPath.h"
#include "platform/profile/IniDocument.h"
#include "platform/profile/Profile.h"
#include "platform/zip/LeftAside.h"
#include "platform/zip/NameGuard.h"
#include "platform/zip/OpCommon.h"
#include "platform/zip/PartNames.h"
#include "platform/zip/VolumeOutput.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qm::zip {

namespace stdfs = std::filesystem;

namespace {

// A folder of copies of spanned disks, removed with them.
struct DiskCopies {
    stdfs::path folder;
    std::vector<std::unique_ptr<TempFile>> files;
    ~DiskCopies()
    {
        files.clear();
        if (!folder.empty())
            ::rmdir(folder.c_str());
    }
};

} // namespace

stdfs::path splitPartPath(const stdfs::path& last, uint32_t index)
{
    bool upper = allUpper(last.extension().string());
    return last.parent_path() / (last.stem().string() + partExtension(index, upper));
}

namespace {

bool standsAt(const stdfs::path& p)
{
    struct stat st {};
    return ::lstat(p.c_str(), &st) == 0;
}

bool inFolderAs(const std::vector<stdfs::path>& files, const stdfs::path& p)
{
    return std::any_of(files.begin(), files.end(), [&](const stdfs::path& q) {
        return qm::fs::equalsNoCase(q.filename().string(), p.filename().string());
    });
}

} // namespace

void refuseOtherSetsParts(const stdfs::path& last, uint32_t first, const std::vector<stdfs::path>& own)
{
    const std::string stem = last.stem().string();
    for (const std::string& name : namesBeside(last)) {
        const stdfs::path p = last.parent_path() / name;
        if (partNumberOf(name, stem) >= first && !inFolderAs(own, p))
            if (std::optional<stdfs::path> owner = ownerOf(p, last))
                throw OtherSetsFile{p, *owner};
    }
}

std::optional<OtherSetsFile> otherSetsPart(const std::string& archivePath, uint32_t first)
{
    try {
        const stdfs::path last = resolveTarget(qm::fs::toNative(archivePath));
        refuseOtherSetsParts(last, first, setFilesOf(last).ownParts());
    } catch (const OtherSetsFile& e) {
        return e;
    } catch (const qm::RtError&) {
    }
    return std::nullopt;
}

void placeSplitSet(const std::vector<stdfs::path>& partsIn, const stdfs::path& last, mode_t mode,
                   const IoFaults* faults, OpContext& ctx, const NameOrigin& origin, const SetNames& names)
{
    const stdfs::path folder = last.parent_path().empty() ? stdfs::path(".") : last.parent_path();
    // Parts made on another file system are first copied beside the target,
    // so that every step below is a rename.
    std::vector<stdfs::path> parts = partsIn;
    std::vector<std::unique_ptr<TempFile>> copies;
    struct stat fst {};
    if (::stat(folder.c_str(), &fst) != 0)
        throw IoError{errno, folder};
    for (stdfs::path& p : parts) {
        struct stat pst {};
        if (::stat(p.c_str(), &pst) == 0 && pst.st_dev == fst.st_dev)
            continue;
        copies.push_back(std::make_unique<TempFile>());
        p = copyToTemp(p, folder, *copies.back(), 0600, faults, ctx, TempFile::stemFor(last));
    }
    for (size_t i = 0; i < parts.size(); ++i)
        ::chmod(parts[i].c_str(), i + 1 == parts.size() && names.lastMode ? names.lastMode : mode);

    std::vector<stdfs::path> finals = names.finals;
    if (finals.empty()) {
        for (uint32_t i = 0; i + 1 < parts.size(); ++i)
            finals.push_back(splitPartPath(last, i));
        finals.push_back(last);
    }

    const qm::fs::SetAside::NameHook hook = [faults](const stdfs::path& p) { nameChanging(faults, p); };
    std::vector<std::unique_ptr<qm::fs::SetAside>> aside; // in the order set aside
    auto rollBack = [&] {
        // The parts come back before the last part.
        for (auto it = aside.rbegin(); it != aside.rend(); ++it)
            (*it)->settle(false);
    };
    auto dropOld = [&] {
        // The parts from the end, then the last part.
        for (auto it = aside.rbegin(); it != aside.rend(); ++it)
            (*it)->settle(true);
    };
    auto hold = [&](const stdfs::path& p, const stdfs::path& hidden) {
        try {
            if (std::unique_ptr<qm::fs::SetAside> keeper = holdPlace(p, hidden, hook, qm::fs::SetAside::Hold::Alone))
                aside.push_back(std::move(keeper));
        } catch (...) {
            rollBack();
            throw;
        }
    };

    // The old set waits aside (qm::fs::SetAside), the last part first: that
    // holds the set's name, so that from then on no other writer changes its
    // places, and the name is free until the new last part takes it; what a
    // kill leaves is settled by qm::zip::settleLeftAside from that alone.
    // The old set is the one the writer began with (origin): one another
    // writer put there meanwhile stays as it is.
    hold(last, qm::fs::SetAside::asideName(last));
    try {
        const bool free = aside.empty() || aside.front()->marksFreePlace();
        origin.checkHeld(free ? std::nullopt : std::optional<stdfs::path>(qm::fs::SetAside::asideName(last)));
    } catch (...) {
        rollBack();
        throw;
    }
    // Every place a new part takes is held so, a free one by a mark. The old
    // set is what its records count; a file in a place the new set takes
    // that is another archive's part is never touched.
    const std::vector<stdfs::path> old = origin.partPaths();
    std::vector<stdfs::path> places = old;
    for (const stdfs::path& p : finals)
        if (!inFolderAs(places, p) && !inFolderAs({last}, p))
            places.push_back(p);
    for (const stdfs::path& p : places) {
        if (!inFolderAs(old, p) && standsAt(p)) {
            if (std::optional<stdfs::path> owner = ownerOf(p, last)) {
                rollBack();
                throw OtherSetsFile{p, *owner};
            }
        }
        hold(p, partAsideName(last, p));
    }
    std::vector<std::optional<FileIdentity>> placed;
    for (size_t i = 0; i < parts.size(); ++i) {
        placed.push_back(identityOf(parts[i]));
        nameChanging(faults, finals[i]);
        if (::rename(parts[i].c_str(), finals[i].c_str()) != 0) {
            int err = errno;
            rollBack();
            throw IoError{err, finals[i]};
        }
    }
    for (auto& c : copies)
        c->keep();
    syncFolder(folder);
    // Only the set this run made may be called done. A newer archive under
    // the name stays, and the copies of the old set, older still, go; a part
    // that another program changed meanwhile (one that took this run's
    // copies for a killed run's and put them back, say) brings the old set
    // back in place of this one. (Where locks hold, no writer that holds
    // the name as this one does changes its places meanwhile.)
    auto ours = [&](size_t i) { return sameFile(identityOf(finals[i]), placed[i]); };
    if (!ours(parts.size() - 1)) {
        dropOld();
        throw ResultError{result::ArchiveReplaced};
    }
    for (size_t i = 0; i + 1 < parts.size(); ++i) {
        if (!ours(i)) {
            rollBack();
            throw ResultError{result::ArchiveReplaced};
        }
    }
    dropOld();
}

// ---- Disks

std::string diskLabel(uint32_t number)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "PKBACK# %03u", number);
    return buf;
}

std::optional<FileIdentity> identityOf(const stdfs::path& p)
{
    struct stat st {};
    if (::stat(p.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    FileIdentity id;
    id.dev = st.st_dev;
    id.ino = st.st_ino;
    id.size = st.st_size;
    id.mtimeNs = int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    return id;
}

DiskSlot::DiskSlot(OpContext& ctx, std::string archivePath) : ctx_(ctx), archivePath_(std::move(archivePath))
{
    std::string p = qm::fs::toBackslashes(archivePath_);
    if (p.size() >= 2 && p[1] == ':' && std::isalpha(static_cast<unsigned char>(p[0])))
        letter_ = char(std::toupper(static_cast<unsigned char>(p[0])));
    lastLabel_ = labelNow();
}

std::string DiskSlot::labelNow() const
{
    std::optional<qm::fs::Drive> d = letter_ ? qm::fs::findDrive(letter_) : std::nullopt;
    return d ? d->label : std::string();
}

bool DiskSlot::removable() const
{
    if (!letter_)
        return false;
    std::optional<qm::fs::Drive> d = qm::fs::findDrive(letter_);
    return d && d->type == qm::fs::drivetype::Removable;
}

std::optional<stdfs::path> DiskSlot::current() const
{
    try {
        return qm::fs::toNative(archivePath_);
    } catch (const qm::RtError&) {
        return std::nullopt;
    }
}

bool DiskSlot::labelFits(uint32_t number) const
{
    if (!letter_ || number == 0)
        return true;
    const std::string label = labelNow();
    if (label == lastLabel_)
        return true;
    if (label.compare(0, 6, "PKBACK") != 0 && label.compare(0, 6, "pkback") != 0)
        return true;
    char digits[8];
    std::snprintf(digits, sizeof digits, "%03u", number % 1000);
    return label.size() >= 11 && label.compare(8, 3, digits) == 0;
}

void DiskSlot::label(uint32_t number)
{
    if (!removable())
        return;
    const stdfs::path file = qm::fs::drivesFile();
    try {
        // The letter's own section, as the file spells it.
        std::string section = std::string(1, letter_) + ":";
        for (const std::string& s : qm::profile::loadDocumentOrEmpty(file).sectionNames()) {
            std::string t = s;
            if (!t.empty() && t.back() == ':')
                t.pop_back();
            if (t.size() == 1 && std::toupper(static_cast<unsigned char>(t[0])) == letter_) {
                section = s;
                break;
            }
        }
        qm::profile::writeString(file, section, "Label", diskLabel(number));
        lastLabel_ = labelNow();
    } catch (const qm::RtError&) {
        // A disk without its label can still be read; the stub accepts it.
    }
}

bool DiskSlot::ask(uint32_t number)
{
    const qm::fs::AwayFromDrive away(letter_);
    bool ready = false;
    ctx_.emit([&](ZipEvents& s) { s.DiskRequest(int(number), ready); });
    return ready;
}

stdfs::path DiskSlot::request(uint32_t number, const std::function<bool(const stdfs::path&)>& accept,
                             bool checkLabel)
{
    for (int round = 0; round < 3; ++round) {
        if (!ask(number))
            throw AbortError{};
        ctx_.step();
        std::optional<stdfs::path> p = current();
        if (p && (!checkLabel || labelFits(number)) && accept(*p)) {
            lastLabel_ = labelNow();
            return *p;
        }
    }
    throw ResultError{result::WrongDisk};
}

// ---- Reading

namespace {

// The disks of a spanned set: the one in the drive is the last; the others
// are asked for and copied, so that the whole can be read as one. A disk is
// taken as disk k only when it holds what the set's records place on disk
// k; the disks that hold the central directory come first, so that every
// other one is told by the entries that begin on it.
PartLocator spannedDisks(OpContext& ctx, const std::string& archivePath, bool askForDisks,
                         const stdfs::path& tempFolder, std::shared_ptr<void>& keep)
{
    return [&ctx, archivePath, askForDisks, tempFolder, &keep](const stdfs::path& last, uint32_t count) {
        if (!askForDisks)
            throw FormatError{"the archive spans several disks", false, true};
        // Disks are asked for only where a disk can be changed: on any other
        // drive the parts are simply not there.
        DiskSlot slot(ctx, archivePath);
        if (!slot.removable())
            throw ResultError{result::PartMissing};

        auto copies = std::make_shared<DiskCopies>();
        std::string tmpl = (tempFolder / ".~qmzdisks-XXXXXX").string();
        if (!::mkdtemp(tmpl.data()))
            throw IoError{errno, tempFolder};
        copies->folder = tmpl;
        keep = copies;
        auto copyDisk = [&](const stdfs::path& from) {
            copies->files.push_back(std::make_unique<TempFile>());
            return copyToTemp(from, copies->folder, *copies->files.back(), 0600, nullptr, ctx);
        };
        std::vector<FileIdentity> seen;
        if (auto id = identityOf(last))
            seen.push_back(*id);
        std::vector<stdfs::path> paths(count);
        paths[count - 1] = copyDisk(last);
        const std::optional<sets::End> end = sets::findEnd(HostFile(paths[count - 1]));
        if (!end || end->parts != count)
            throw FormatError{"the last disk changed while it was read"};
        sets::Records records(*end);
        auto take = [&](uint32_t k) {
            const stdfs::path onDisk = slot.request(k, [&](const stdfs::path& p) {
                const std::optional<FileIdentity> id = identityOf(p);
                if (!id || std::find(seen.begin(), seen.end(), *id) != seen.end())
                    return false;
                const HostFile disk(p);
                return disk.isOpen() && records.fits(k - 1, disk);
            }, true);
            if (auto id = identityOf(onDisk))
                seen.push_back(*id);
            paths[k - 1] = copyDisk(onDisk);
        };
        for (uint32_t k = end->cdDisk + 1; k < count; ++k)
            take(k);
        {
            std::vector<std::unique_ptr<HostFile>> held;
            std::vector<const sets::File*> cd;
            for (uint32_t d = end->cdDisk; d < count; ++d)
                cd.push_back(held.emplace_back(std::make_unique<HostFile>(paths[d])).get());
            if (!records.readDirectory(cd))
                throw FormatError{"the central directory of the spanned archive does not read"};
        }
        for (uint32_t k = 1; k <= end->cdDisk; ++k)
            take(k);
        return paths;
    };
}

} // namespace

void openSet(OpContext& ctx, const std::string& archivePath, const stdfs::path& named, ArchiveReader& reader,
             bool askForDisks, const stdfs::path& tempFolder, std::shared_ptr<void>& keep)
{
    const SetFiles set = setFilesOf(named);
    if (!set.beside()) {
        reader.open(named, spannedDisks(ctx, archivePath, askForDisks, tempFolder, keep));
        return;
    }
    if (!set.whole())
        throw PartFault{set.members.fault == sets::Members::Fault::Missing ? result::PartMissing
                                                                          : result::ArchiveDamaged,
                        set.faulty};
    const std::vector<stdfs::path>& paths = set.paths;
    reader.open(paths.back(), [&](const stdfs::path&, uint32_t count) {
        if (count != paths.size())
            throw FormatError{"the set changed while it was read"};
        return paths;
    });
    if (!reader.spanned())
        throw FormatError{"the last part of the set holds an archive of its own"};
}

} // namespace qm::zip
