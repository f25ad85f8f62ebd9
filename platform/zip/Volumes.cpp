#include "platform/zip/Volumes.h"

#include "platform/fs/Drives.h"
#include "platform/fs/Paths.h"
#include "platform/fs/SetAside.h"
#include "platform/fs/WinPath.h"
#include "platform/profile/IniDocument.h"
#include "platform/profile/Profile.h"
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

bool isRegular(const stdfs::path& p)
{
    struct stat st {};
    return ::stat(p.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// The part as it exists, in either case of its extension.
std::optional<stdfs::path> findPart(const stdfs::path& last, uint32_t index)
{
    stdfs::path p = splitPartPath(last, index);
    if (isRegular(p))
        return p;
    bool upper = allUpper(last.extension().string());
    stdfs::path other = last.parent_path() / (last.stem().string() + partExtension(index, !upper));
    if (isRegular(other))
        return other;
    return std::nullopt;
}

// Whether nothing stands at `place` and a live run keeps its old file
// aside under its hidden name (a file, not the mark of a free place).
bool coveredByLiveKeeper(const stdfs::path& place)
{
    struct stat st {};
    if (::lstat(place.c_str(), &st) == 0 || errno != ENOENT)
        return false;
    const stdfs::path aside = qm::fs::SetAside::asideName(place);
    return ::lstat(aside.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0 &&
           qm::fs::SetAside::keeperOf(aside) == qm::fs::SetAside::Keeper::Live;
}

// What keeps a file from being set aside from `place`: a file under its
// hidden name, else the file at the place itself.
stdfs::path inTheWay(const stdfs::path& place)
{
    struct stat st {};
    const stdfs::path aside = qm::fs::SetAside::asideName(place);
    return ::lstat(aside.c_str(), &st) == 0 ? aside : place;
}

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

// The parts beside `name` that exist now from index `first` on, as long as they follow on.
std::vector<stdfs::path> partsFollowingOn(const stdfs::path& name, uint32_t first)
{
    std::vector<stdfs::path> out;
    for (uint32_t i = first; i < VolumeOutput::MaxParts; ++i) {
        std::optional<stdfs::path> p = findPart(name, i);
        if (!p)
            break;
        out.push_back(*p);
    }
    return out;
}

} // namespace

std::vector<stdfs::path> existingSplitParts(const stdfs::path& last) { return partsFollowingOn(last, 0); }

std::vector<stdfs::path> programSetParts(const stdfs::path& program)
{
    if (findPart(program, 0))
        return {}; // the last part of a split archive, not a program
    return partsFollowingOn(program, 1);
}

bool programSetPartBeside(const stdfs::path& program)
{
    if (findPart(program, 0))
        return false;
    const std::string stem = program.stem().string();
    std::error_code ec;
    for (stdfs::directory_iterator it(program.parent_path().empty() ? "." : program.parent_path(), ec), end;
         !ec && it != end; it.increment(ec))
        if (partNumberOf(it->path().filename().string(), stem) >= 2 && isRegular(it->path()))
            return true;
    return false;
}

bool openProgramSet(ArchiveReader& reader, const stdfs::path& program)
{
    const std::vector<stdfs::path> parts = programSetParts(program);
    if (parts.empty()) {
        if (programSetPartBeside(program))
            throw ResultError{result::PartMissing}; // the part after the program is not there
        return false;
    }
    // The last part that follows on holds the end record, or the one after
    // it is missing.
    try {
        reader.open(parts.back(), [&](const stdfs::path&, uint32_t count) {
            if (count != parts.size() + 1)
                throw FormatError{"the parts beside the program are not those of its set"};
            std::vector<stdfs::path> all{program};
            all.insert(all.end(), parts.begin(), parts.end());
            return all;
        });
    } catch (const FormatError& e) {
        if (e.notArchive)
            throw ResultError{result::PartMissing};
        throw;
    }
    if (!reader.spanned())
        throw FormatError{"the last part beside the program holds an archive of its own"};
    return true;
}

void placeSplitSet(const std::vector<stdfs::path>& partsIn, const stdfs::path& last, mode_t mode,
                   const IoFaults* faults, OpContext& ctx, const SetNames& names)
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

    // The old set waits aside (qm::fs::SetAside), the last part first: from
    // then on the name is free until the new last part takes it, and what a
    // kill leaves is settled by qm::zip::settleLeftAside from that alone.
    // Every place a new part takes is held so, a free one by a mark.
    std::vector<stdfs::path> places{last};
    for (uint32_t i = names.firstPart;
         i < VolumeOutput::MaxParts && ::access(splitPartPath(last, i).c_str(), F_OK) == 0; ++i)
        places.push_back(splitPartPath(last, i));
    for (const stdfs::path& p : finals)
        if (std::find(places.begin(), places.end(), p) == places.end())
            places.push_back(p);

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
    for (const stdfs::path& p : places) {
        auto keeper = std::make_unique<qm::fs::SetAside>(p, hook, true);
        if (keeper->holds()) {
            aside.push_back(std::move(keeper));
            continue;
        }
        // A free place whose old file another live run keeps aside, to
        // have this set made anew in its place: that run's keeper holds the
        // place for this set too.
        if (keeper->error() == 0 && coveredByLiveKeeper(p))
            continue;
        rollBack();
        // No room for a mark; or a folder, a link, a file in use, one whose
        // hidden name is taken: nothing is put over it, and it is named.
        if (keeper->error() != 0)
            throw IoError{keeper->error(), p};
        throw InTheWay{inTheWay(p)};
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
    // back in place of this one.
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

stdfs::path DiskSlot::request(uint32_t number, const std::function<bool(const stdfs::path&)>& accept,
                             bool checkLabel)
{
    for (int round = 0; round < 3; ++round) {
        bool ready = false;
        ctx_.emit([&](ZipEvents& s) { s.DiskRequest(int(number), ready); });
        if (!ready)
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

PartLocator partLocator(OpContext& ctx, const std::string& archivePath, bool askForDisks,
                        const stdfs::path& tempFolder, std::shared_ptr<void>& keep)
{
    return [&ctx, archivePath, askForDisks, tempFolder, &keep](const stdfs::path& last, uint32_t count) {
        std::vector<stdfs::path> paths;
        if (findPart(last, 0)) {
            for (uint32_t i = 0; i + 1 < count; ++i) {
                std::optional<stdfs::path> p = findPart(last, i);
                if (!p)
                    throw ResultError{result::PartMissing};
                paths.push_back(*p);
            }
            paths.push_back(last);
            return paths;
        }
        if (!askForDisks)
            throw FormatError{"the archive spans several disks", false, true};
        // Disks are asked for only where a disk can be changed: on any other
        // drive the parts are simply not there.
        DiskSlot slot(ctx, archivePath);
        if (!slot.removable())
            throw ResultError{result::PartMissing};

        // Spanned: the disk that is in is the last; the others are asked for
        // in order and copied, so that the whole can be read as one.
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
        stdfs::path lastCopy = copyDisk(last);
        for (uint32_t k = 1; k < count; ++k) {
            stdfs::path onDisk = slot.request(k, [&](const stdfs::path& p) {
                std::optional<FileIdentity> id = identityOf(p);
                return id && std::find(seen.begin(), seen.end(), *id) == seen.end();
            }, true);
            if (auto id = identityOf(onDisk))
                seen.push_back(*id);
            paths.push_back(copyDisk(onDisk));
        }
        paths.push_back(lastCopy);
        return paths;
    };
}

} // namespace qm::zip
