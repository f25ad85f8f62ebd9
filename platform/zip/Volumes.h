#pragma once
// Archives of several parts. A split archive's parts lie side by side:
// "name.z01", "name.z02", ... and the last one under the archive's own name.
// A spanned archive has one file of the archive's name on each of several
// removable disks, which go through one drive one after another; disks are
// asked for with DiskRequest (1, 2, ...; 0 = the last disk).
#include "platform/zip/ArchiveReader.h"
#include "platform/zip/OpContext.h"
#include "platform/zip/SetFiles.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <sys/types.h>
#include <vector>

namespace qm::zip {

// The spanning signature at the start of a split or spanned archive, and the
// marker that takes its place when all went into one part.
inline constexpr uint32_t SpanningSig = 0x08074b50;
inline constexpr uint32_t SinglePartMarker = 0x30304b50;
// The smallest part of a split archive.
inline constexpr int64_t MinPartSize = 65536;

// Part `index` (0 = the first) of the split archive whose last part is
// `last`: "name.z01", "name.z02", ...
std::filesystem::path splitPartPath(const std::filesystem::path& last, uint32_t index);

// Opens the archive that the host file `named` names, with the files of its
// set (setFilesOf): the parts of a split set, or of a self-extracting
// program's, beside it, every one checked against the set's records (a
// part missing or damaged or another set's throws PartFault, naming it);
// or, with `askForDisks` on a removable drive, a spanned set's disks, each
// taken only when it is that disk of this set, copied into `tempFolder` for
// as long as `keep` lives. Throws what the reader throws, and ResultError
// (PartMissing where disks cannot be asked for, WrongDisk).
void openSet(OpContext& ctx, const std::string& archivePath, const std::filesystem::path& named,
             ArchiveReader& reader, bool askForDisks, const std::filesystem::path& tempFolder,
             std::shared_ptr<void>& keep);

// Refuses a set of parts for `last` (from part number `first` on: 1 for a
// split set, 2 for a program's) where a file named as one of its parts is a
// part of another archive's set beside it: throws OtherSetsFile. `own`: the
// parts of the set that `last` names now (SetFiles::ownParts).
void refuseOtherSetsParts(const std::filesystem::path& last, uint32_t first,
                          const std::vector<std::filesystem::path>& own);
// The same for the archive `archivePath` (Windows form), before another
// program makes its set: the file in the way and the archive whose set holds
// it, or nothing.
std::optional<OtherSetsFile> otherSetsPart(const std::string& archivePath, uint32_t first);

// Where the parts of a set go when they are not named as a split archive's
// ("name.z01", ..., `last`): `finals[i]` takes parts[i], and the last of
// them is `last`, the name that names the set. The part that takes `last`
// gets `lastMode`, the others the mode given.
struct SetNames {
    std::vector<std::filesystem::path> finals;
    mode_t lastMode = 0;
};

struct NameOrigin;

// Puts a finished split set in place of `last` and its parts: `parts` are
// the new parts (the last one becomes `last`). The old set, the one that
// stood there when the writer began (`origin`: else, or while another
// writer holds the name, nothing changes and NameTaken says why), waits
// aside (qm::fs::SetAside; a part under partAsideName), its last part first,
// which holds the set's name (holdPlace), and comes back when a step fails;
// the new last part comes last, so that no set looks whole before it is,
// and the old parts are dropped after it, the old last part last. A kill at
// any step leaves what qm::zip::settleLeftAside makes the old set whole or
// the new one. `mode` is given to every part. A free place whose old file
// another live run keeps aside for this build (KeptSet) is taken under the
// cover of that run's keeper. A file in the way that cannot be set aside is
// named (InTheWay); a file in a place the new set takes that another
// archive's set counts among its parts stays, and stops it (OtherSetsFile);
// no room for a mark is a full disk (IoError); the set is done only if
// every part under its name is this one's when all stand, else the old set
// comes back, or a newer one another program put under the name stays
// (ResultError{ArchiveReplaced}). With `names`, the parts go where it says
// (a self-extracting program's set: its other parts first, the program
// last). Throws IoError.
void placeSplitSet(const std::vector<std::filesystem::path>& parts, const std::filesystem::path& last,
                   mode_t mode, const IoFaults* faults, OpContext& ctx, const NameOrigin& origin,
                   const SetNames& names = {});

// The drive of a spanned archive: asking for its disks, finding the archive
// file on the disk that is in, and labelling disks.
class DiskSlot {
public:
    DiskSlot(OpContext& ctx, std::string archivePath);

    // Whether the archive's drive is a removable drive of the drive table.
    bool removable() const;
    // Sends the request for disk `number` (0 = the last) and gives the
    // answer: whether the user made a disk ready. While it is asked for, the
    // process works in no folder of the drive (qm::fs::AwayFromDrive), so
    // nothing of it holds the medium in the drive.
    bool ask(uint32_t number);
    // Asks for disk `number` (0 = the last) and gives the host path of the
    // archive file on the disk that is then in, once `accept` takes it (and,
    // with `checkLabel`, its label fits). An answer of not ready ends the
    // operation (AbortError); three disks that are not ready or not accepted
    // end it with WrongDisk.
    std::filesystem::path request(uint32_t number, const std::function<bool(const std::filesystem::path&)>& accept,
                                  bool checkLabel);
    // The host path of the archive on the disk that is in now; nothing when
    // the drive is not ready.
    std::optional<std::filesystem::path> current() const;
    // Labels the disk in the drive "PKBACK# nnn" where the drive can carry a
    // label (a removable drive of the drive table keeps it as its Label).
    void label(uint32_t number);
    // Whether the disk in the drive may be disk `number`: a label of the
    // spanning form must carry that number; any other label passes, and so
    // does a label that stayed as it was when the disk before was taken: the
    // drive table's label belongs to the drive, and nothing changes it when
    // a medium is swapped by hand, so it then says nothing about the disk.
    bool labelFits(uint32_t number) const;

private:
    std::string labelNow() const;

    OpContext& ctx_;
    std::string archivePath_;
    char letter_ = 0;
    std::string lastLabel_; // the label when the disk before was taken
};

// The label of spanned disk `number`.
std::string diskLabel(uint32_t number);

// What identifies a file on a disk, to tell one disk from another.
struct FileIdentity {
    dev_t dev = 0;
    ino_t ino = 0;
    off_t size = -1;
    int64_t mtimeNs = 0;
    bool operator==(const FileIdentity&) const = default;
};
std::optional<FileIdentity> identityOf(const std::filesystem::path& p);
// Whether `a` and `b` are one file (whatever its size and time now).
inline bool sameFile(const std::optional<FileIdentity>& a, const std::optional<FileIdentity>& b)
{
    return a && b && a->dev == b->dev && a->ino == b->ino;
}

// Writing: copies the finished archive `source` disk by disk onto the drive
// of the control's ArchivePath, `prefix` (a self-extractor's program and
// configuration) first. Each disk is asked for (1, 2, ...) and labelled. Its
// room counts the file of the archive's name on it, which its part replaces:
// the part is written beside that file and takes its name when the disk is
// full or the archive complete, or, where what remains does not fit beside
// it, that file goes first. A disk too small even so ends the build
// (DiskTooSmall). Before the first disk's old file gives way, to its part or
// to its room, it is copied into the temporary folder: when the build stops
// later with that disk still in the drive it goes back, and a warning says
// what the first disk then holds and whether a later disk was written over.
// The self-extractor's program on the first disk is executable, as a single
// program is; every disk's file takes the old one's mode (OwnerOnlyFiles
// holds). Nothing is ever left aside on a disk. Throws AbortError,
// ResultError, IoError.
void spanArchive(PavikZip& z, OpContext& ctx, const std::filesystem::path& source, const std::string& prefix);

} // namespace qm::zip
