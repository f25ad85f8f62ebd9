#pragma once
// Helpers of the zip control's tests: an event recorder, a file tree maker,
// raw archive bytes for hostile cases, and folder comparison.
#include "TestSupport.h"
#include "platform/zip/PavikZip.h"

#include <cstdint>
#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace qm::zip::test {

// Records what the control reports.
struct Recorder : ZipEvents {
    struct Skip {
        std::string name;
        int reason;
    };
    std::vector<ListedEntry> listed;
    std::vector<Skip> skips;
    std::vector<std::pair<std::string, int>> warnings;
    std::vector<int> totals;
    std::vector<std::string> started; // names of FileProgress with 0
    std::vector<int> done;
    std::vector<int> opsSeen;         // CurrentOperation during events
    PavikZip* zip = nullptr;

    void FileListed(const ListedEntry& e) override { listed.push_back(e); seeOp(); }
    void FileSkipped(const std::string& n, const std::string&, const std::string&, int r) override
    {
        skips.push_back({n, r});
    }
    void Warning(const std::string& n, int c) override { warnings.push_back({n, c}); }
    void TotalProgress(int p) override { totals.push_back(p); seeOp(); }
    void FileProgress(const std::string& n, int p) override
    {
        if (p == 0)
            started.push_back(n);
    }
    void OperationDone(int r) override { done.push_back(r); seeOp(); }
    void seeOp()
    {
        if (zip)
            opsSeen.push_back(zip->CurrentOperation());
    }
    bool skipped(const std::string& name, int reason) const
    {
        for (const Skip& s : skips)
            if (s.name == name && s.reason == reason)
                return true;
        return false;
    }
    void clear()
    {
        listed.clear();
        skips.clear();
        warnings.clear();
        totals.clear();
        started.clear();
        done.clear();
        opsSeen.clear();
    }
};

// Windows form of a host path.
std::string win(const std::filesystem::path& p);

// The hidden name that `file`, of the set that `named` names, waits under
// while it is kept aside: ".backup.zip.previous", ".backup.zip.z01.previous".
inline std::string asideName(const std::string& named, const std::string& file)
{
    return "." + named + (file == named ? "" : file.substr(file.rfind('.'))) + ".previous";
}

// Writes `files` (relative path -> content) below `root`.
void makeFiles(const std::filesystem::path& root, const std::map<std::string, std::string>& files);
// Relative path -> content of every file below `root` (folders end in "/").
std::map<std::string, std::string> readTree(const std::filesystem::path& root);
// Relative path -> content of the files below `root`, folders left out.
std::map<std::string, std::string> filesBelow(const std::filesystem::path& root);
// Extracts every file of `archive` into a fresh `out` with a control of its
// own (expecting success) and gives relative path -> content of the files.
std::map<std::string, std::string> extractedFiles(const std::filesystem::path& archive,
                                                  const std::filesystem::path& out,
                                                  const std::string& password = "");
// Bytes that compress well, and bytes that do not.
std::string textBytes(size_t n, unsigned seed = 1);
std::string randomBytes(size_t n, unsigned seed = 7);
// A small mixed tree for peer tests: an empty file, text, incompressible
// data of the given sizes, nested folders and a non-ASCII name.
std::map<std::string, std::string> mixedTree(size_t noiseBytes, size_t photoBytes);

// Flips a bit in the middle of the data of each entry of `archive` whose
// stored name ("docs/a.txt") is in `names`: the entry's recorded CRC stays,
// as after a bad sector.
void damageEntryData(const std::filesystem::path& archive, const std::vector<std::string>& names);

// An archive made by hand, for cases our writer never makes.
struct RawEntry {
    std::string name;
    std::string data;          // stored as is (method 0)
    int method = 0;
    uint32_t crc = 0;          // 0: computed from data
    bool computeCrc = true;
    int64_t sizeOverride = -1; // declared uncompressed size
};
struct RawOptions {
    std::string comment;
    int64_t countOverride = -1;       // entries claimed by the end record
    int64_t offsetShift = 0;          // added to every local header offset
    bool pointAllAtFirst = false;     // every entry's offset is the first one's
};
std::string rawZip(const std::vector<RawEntry>& entries, const RawOptions& o = {});

// A removable drive A: whose medium (a folder, with its own label) the test
// changes whenever the control asks for a disk.
class DiskSwapper {
public:
    // With `onePath`, the drive is one folder whatever medium is in, as a
    // real drive is: a link that each insert points at another medium. With
    // `mounts`, that folder is a real one on which each medium is mounted in
    // turn (a bind mount): an insert takes the medium before out by a plain
    // unmount, which fails the test while anything holds that medium. With
    // `mediumBytes`, each medium is a file system of its own of that size (a
    // tmpfs mount, undone with the swapper), so a disk's room is what it is.
    explicit DiskSwapper(const std::filesystem::path& root, bool onePath = false, uint64_t mediumBytes = 0,
                         bool mounts = false);
    ~DiskSwapper();
    DiskSwapper(const DiskSwapper&) = delete;
    DiskSwapper& operator=(const DiskSwapper&) = delete;
    // Whether every medium asked for has its fixed size (mounting may not be
    // permitted: tests that need it skip then).
    bool fixedSize() const { return mediumBytes_ > 0 && mountsWork_; }
    // Whether the media are really mounted on the drive's folder.
    bool mounted() const { return mounts_ && mountsWork_; }
    // Takes the medium out (keeping its label with it) and puts `name` in.
    // With `labelsFollow` off, the drive's label stays as it was, as when a
    // medium is swapped by hand and nothing updates the drive table.
    void insert(const std::string& name);
    bool labelsFollow = true;
    void eject();
    // Answers `h`'s disk requests by putting disk<n> in, the highest asked
    // for so far for the last disk (0).
    void answerRequestsOf(ZipEventHandlers& h)
    {
        h.onDiskRequest = [this](int disk, bool& ready) {
            highest_ = std::max(highest_, disk);
            insert("disk" + std::to_string(disk == 0 ? highest_ : disk));
            ready = true;
        };
    }
    int highestAsked() const { return highest_; }
    std::string labelOf(const std::string& name);
    std::filesystem::path folder(const std::string& name) const { return root_ / name; }

private:
    void mount(const std::filesystem::path& medium);

    std::filesystem::path root_;
    bool onePath_;
    uint64_t mediumBytes_;
    bool mounts_;
    bool inDrive_ = false; // a medium is mounted on the drive's folder
    bool mountsWork_ = true;
    std::vector<std::filesystem::path> mounted_;
    std::string current_;
    int highest_ = 0;
    std::map<std::string, std::string> labels_;
};

// Threads of this process, for "no thread was left behind" checks.
size_t threadCount();

// Lists every file below `root`, for "nothing appeared here" checks.
std::vector<std::string> allFiles(const std::filesystem::path& root);

// Runs `run` in a process of its own, with faults that kill it (SIGKILL)
// just before the name change number `at` (0 = the first) it reports. True
// when it was killed; false when it ended before making that many.
bool killedBeforeNameChange(int at, const std::function<void(const IoFaults&)>& run);
// The same, counting the first write of every file too (a copy begun).
bool killedBeforeStep(int at, const std::function<void(const IoFaults&)>& run);

} // namespace qm::zip::test
