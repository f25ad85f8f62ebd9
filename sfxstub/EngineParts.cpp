// The other files of a set: the disks of a spanned set, asked for one by one
// in the program's drive, and the parts of a set that lie beside the
// program ("name.z02", "name.z03", ...; the program is part 1 and holds no
// end record, the last part does), taken without a question.
#include "platform/fs/Drives.h"
#include "platform/fs/FileOps.h"
#include "platform/fs/Paths.h"
#include "platform/fs/WinPath.h"
#include "platform/zip/PartNames.h"
#include "platform/zip/SetFiles.h"
#include "sfxstub/EngineRun.h"

#include <algorithm>
#include <filesystem>
#include <utility>

namespace qm::sfxstub::detail {

namespace {

// The stem ("Home") and extension (".exe") of the file name of a Windows path.
std::pair<std::string, std::string> stemAndExtension(const std::string& winPath)
{
    const std::filesystem::path name(qm::fs::fileNamePart(winPath));
    return {name.stem().string(), name.extension().string()};
}

} // namespace

// ---- Disks

std::string UnzipRun::driveLabel() const
{
    const char letter = qm::fs::driveLetter(archive_);
    const std::optional<qm::fs::Drive> drive = letter ? qm::fs::findDrive(letter) : std::nullopt;
    return drive ? drive->label : std::string();
}

bool UnzipRun::labelFits(const std::string& label, int n) const
{
    // The drive table's label belongs to the drive: nothing changes it when
    // a medium is swapped by hand, so a label that stayed as it was when the
    // disk before was taken says nothing about the disk in the drive.
    if (label == lastLabel_)
        return true;
    // Any other label passes, but a spanning label must carry n.
    if (label.rfind("PKBACK", 0) != 0 && label.rfind("pkback", 0) != 0)
        return true;
    if (label.size() < 11 || n < 0 || n > 999)
        return false;
    return label[8] == char('0' + n / 100) && label[9] == char('0' + n / 10 % 10) && label[10] == char('0' + n % 10);
}

void UnzipRun::takeDisk(int n, const std::string& label)
{
    lastLabel_ = label;
    const std::optional<qm::fs::FileKey> key = in_.key();
    if (!key)
        return;
    auto it = std::find_if(taken_.begin(), taken_.end(), [&](const auto& t) { return t.first == *key; });
    if (it == taken_.end())
        taken_.emplace_back(*key, n);
    else
        it->second = n;
}

bool UnzipRun::takenAsOther(int n) const
{
    const std::optional<qm::fs::FileKey> key = in_.key();
    return key && std::any_of(taken_.begin(), taken_.end(),
                              [&](const auto& t) { return t.first == *key && t.second != n; });
}

namespace {

// The disk file open now, as the set's records read it.
class OpenDisk : public qm::zip::sets::File {
public:
    explicit OpenDisk(DiskInput& in) : in_(in) {}
    uint64_t size() const override { return in_.size(); }
    size_t readAt(uint64_t at, void* buf, size_t n) const override
    {
        in_.seek(at);
        return in_.read(buf, n);
    }

private:
    DiskInput& in_;
};

} // namespace

bool UnzipRun::diskFits(int n)
{
    return !records_ || records_->fits(uint32_t(n - 1), OpenDisk(in_));
}

int UnzipRun::askForDisk(int n)
{
    if (split_)
        return openPart(n);
    for (int round = 0; round < 3; ++round) {
        // No file of the medium stays open while the user changes it.
        in_.close();
        EngineEvent e{event::NextDisk};
        e.number = n;
        send(e);
        if (abort_)
            return result::Stopped;
        const std::string label = driveLabel();
        if (!labelFits(label, n))
            continue;
        if (in_.open(archive_) != 0)
            continue;
        // A disk is disk n only when it holds what the set's records place
        // on disk n. Where the label says nothing, the disk is known by its
        // file too: one already taken as another disk of the set is not this one.
        if (!diskFits(n) || (label == lastLabel_ && takenAsOther(n)))
            continue;
        currentDisk_ = n;
        takeDisk(n, label);
        return result::Ok;
    }
    return result::DiskMissing;
}

// ---- Parts beside the program

namespace {

// The set of the program at `winPath` when its parts lie beside it: beside
// the path it was started by, else beside the file that path leads to (a
// link to the program by another name, or in another folder).
std::optional<qm::zip::SetFiles> programSetAt(const std::string& winPath)
{
    std::filesystem::path native;
    try {
        native = qm::fs::toNative(winPath);
    } catch (const std::exception&) {
        return std::nullopt;
    }
    qm::zip::SetFiles set = qm::zip::setFilesOf(native);
    if (set.layout() == qm::zip::sets::Layout::ProgramSet)
        return set;
    std::error_code ec;
    const std::filesystem::path real = std::filesystem::canonical(native, ec);
    if (ec || real == native)
        return std::nullopt;
    set = qm::zip::setFilesOf(real);
    if (set.layout() == qm::zip::sets::Layout::ProgramSet)
        return set;
    return std::nullopt;
}

} // namespace

std::string UnzipRun::partPath(int n) const
{
    if (n >= 1 && size_t(n) <= parts_.size())
        return parts_[size_t(n - 1)];
    if (n <= 1)
        return archive_;
    const auto [stem, extension] = stemAndExtension(archive_);
    return qm::fs::joinPath(qm::fs::parentFolder(archive_),
                            stem + qm::zip::partExtension(uint32_t(n - 1), qm::zip::allUpper(extension)));
}

int UnzipRun::openPart(int n)
{
    in_.close();
    if (in_.open(partPath(n)) != 0)
        return partMissing(n, partPath(n));
    currentDisk_ = n;
    return result::Ok;
}

int UnzipRun::partMissing(int n, const std::string& path)
{
    EngineEvent e{event::PartMissing};
    e.number = n;
    e.path = path;
    send(e);
    return abort_ ? result::Stopped : result::PartMissing;
}

int UnzipRun::partDamaged(const std::string& path)
{
    EngineEvent e{event::PartDamaged};
    e.path = path;
    send(e);
    return abort_ ? result::Stopped : result::Damaged;
}

int UnzipRun::findEndBeside(unsigned char (&end)[22], uint64_t& at)
{
    // Which files make the set is read from its own records: its parts
    // run from "z02" to the one that holds its end record, and each holds
    // what the directory places on it. Every part is there before anything
    // is written, or the first that is not is named as it is.
    const std::optional<qm::zip::SetFiles> set = programSetAt(archive_);
    if (!set)
        return NoPartBeside;
    split_ = true;
    for (const std::filesystem::path& p : set->paths)
        parts_.push_back(qm::fs::fromNative(p));
    if (!set->whole()) {
        const std::string where = qm::fs::fromNative(set->faulty);
        return set->members.fault == qm::zip::sets::Members::Fault::Missing
                   ? partMissing(int(set->members.faultAt), where)
                   : partDamaged(where);
    }
    if (const int r = openPart(int(parts_.size())))
        return r;
    if (!endInTail(end, at))
        return partDamaged(parts_.back());
    return result::Ok;
}

} // namespace qm::sfxstub::detail
