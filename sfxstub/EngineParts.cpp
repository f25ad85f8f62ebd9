// The other files of a set: the disks of a spanned set, asked for one by one
// in the program's drive, and the parts of a set that lie beside the
// program ("name.z02", "name.z03", ...; the program is part 1 and holds no
// end record, the last part does), taken without a question.
#include "platform/fs/Drives.h"
#include "platform/fs/FileOps.h"
#include "platform/fs/WinPath.h"
#include "platform/zip/PartNames.h"
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
        // Where the label says nothing, the disk is known by its file: one
        // already taken as another disk of the set is not this one.
        if (label == lastLabel_ && takenAsOther(n))
            continue;
        currentDisk_ = n;
        takeDisk(n, label);
        return result::Ok;
    }
    return result::DiskMissing;
}

// ---- Parts beside the program

std::string UnzipRun::partPath(int n) const
{
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
        return partMissing(n);
    currentDisk_ = n;
    return result::Ok;
}

int UnzipRun::partMissing(int n)
{
    EngineEvent e{event::PartMissing};
    e.number = n;
    e.path = partPath(n);
    send(e);
    return abort_ ? result::Stopped : result::PartMissing;
}

int UnzipRun::findEndBeside(unsigned char (&end)[22], uint64_t& at)
{
    // Which parts lie beside the program, whatever the letter case.
    const std::string stem = stemAndExtension(archive_).first;
    std::vector<uint32_t> beside;
    try {
        for (const qm::fs::FileEntry& f : qm::fs::listFolder(qm::fs::parentFolder(archive_))) {
            const uint32_t k = qm::zip::partNumberOf(f.name, stem);
            if (k >= 2 && !(f.attributes & qm::fs::attr::Directory))
                beside.push_back(k);
        }
    } catch (const std::exception&) {
        return NoPartBeside;
    }
    if (beside.empty())
        return NoPartBeside;
    split_ = true;
    // The last part is the highest that follows on from part 2; every part
    // is there before anything is written, or the first one missing is
    // named.
    int last = 1;
    while (std::find(beside.begin(), beside.end(), uint32_t(last + 1)) != beside.end())
        ++last;
    if (last == 1)
        return partMissing(2);
    if (const int r = openPart(last))
        return r;
    if (!endInTail(end, at))
        return partMissing(last + 1);
    return result::Ok;
}

} // namespace qm::sfxstub::detail
