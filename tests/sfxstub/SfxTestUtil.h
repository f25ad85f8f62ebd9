#pragma once
// Helpers of the self-extractor's tests: an engine callback that records
// events and answers from a script, archives made by Info-ZIP's zip, raw
// Burrows-Wheeler data, and a removable drive whose disk and label a test
// changes.
#include "TestSupport.h"
#include "ZipTestUtil.h"
#include "sfxstub/Engine.h"
#include "sfxstub/SfxConfig.h"

#include <deque>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace qm::sfxstub::test {

using qm::zip::test::win;

struct Seen {
    int code;
    std::string name;
    std::string path;
    int number;
};

// Records every event; answers overwrite questions and passwords from
// queues (skip and "no password" when they run dry) and disk requests
// through `onDisk` (1 stops the run).
struct EventScript {
    std::vector<Seen> seen;
    std::deque<int> overwrite;
    std::deque<std::string> passwords;
    std::function<int(int disk)> onDisk;
    bool stopAtFirstFile = false;

    EngineCallback callback();
    std::vector<Seen> of(int code) const;
    std::vector<int> kinds() const; // the kinds of the error events, in order
};

// Runs the engine on `archive` into `dest` with the mode options given.
int unzip(EventScript& script, const std::filesystem::path& archive, const std::filesystem::path& dest,
          std::vector<std::string> modes = {}, bool deflate = false);

// Burrows-Wheeler data as method 18 stores it: a bzip2 stream without "BZh".
std::string bwData(const std::string& plain);
// A method-18 entry of `size` zero bytes, declared with their size and CRC.
qm::zip::test::RawEntry bwZeros(const std::string& name, size_t size);
// An archive of `records` directory records that all point at one local
// header of `size` zero bytes (method 18), each under a name of its own.
std::string sharedHeaderZip(int records, size_t size);
// Bytes in the files below `root`, whatever their names.
uint64_t bytesBelow(const std::filesystem::path& root);

// Makes `archive` from `files` with Info-ZIP's zip and the extra options.
void infoZip(const std::filesystem::path& archive, const std::map<std::string, std::string>& files,
             const std::vector<std::string>& options);

// As infoZip, encrypted with `password`, and made again until none of the
// `wrong` passwords gets past the one-byte check of any entry's encryption
// header. zip makes those headers at random, so a wrong password would pass
// that check once in 256 and the entry would then fail its CRC instead.
void infoZipLocked(const std::filesystem::path& archive, const std::map<std::string, std::string>& files,
                   std::vector<std::string> options, const std::string& password,
                   const std::vector<std::string>& wrong);

// A removable drive of the drive table whose medium is the folder `root`.
class FakeDrive {
public:
    FakeDrive(char letter, std::filesystem::path root);
    void setLabel(const std::string& label);
    // Puts `bytes` on the disk under `name` and labels it.
    void insert(const std::string& name, const std::string& bytes, const std::string& label);
    std::string win(const std::string& name) const { return std::string(1, letter_) + ":\\" + name; }

private:
    char letter_;
    std::filesystem::path root_;
};

} // namespace qm::sfxstub::test
