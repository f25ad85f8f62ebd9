#pragma once
// Inside the extraction engine: one run of UnzipMain, its central-directory
// entries and the helpers its parts share. Engine.cpp finds the archive and
// walks its directory; EngineParts.cpp takes the set's other disks or the
// parts beside the program; EngineEntry.cpp extracts one entry.
#include "sfxstub/Engine.h"
#include "sfxstub/EngineIo.h"
#include "sfxstub/SfxConfig.h"
#include "platform/fs/CaseTwins.h"
#include "platform/zip/SetMembers.h"

#include <ctime>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace qm::sfxstub::detail {

inline uint16_t get16(const unsigned char* p)
{
    return uint16_t(p[0] | (p[1] << 8));
}

inline uint32_t get32(const unsigned char* p)
{
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

// The moment a DOS date and time name on this machine's clock, by the zone
// rules of that date.
std::time_t dosToTime(uint16_t date, uint16_t time);
// Percentages of the progress events (100 for an empty divisor).
int filePercent(uint64_t written, uint64_t size);
int overallPercent(uint64_t written, uint64_t total);
// The file type in the Unix mode of an entry made on a Unix host.
inline constexpr uint32_t UnixTypeBits = 0170000;
inline constexpr uint32_t UnixRegularFile = 0100000;

// No entry follows on the same disk: the data may run on to the next one.
inline constexpr uint64_t NoLimit = UINT64_MAX;

struct CentralEntry {
    uint64_t localOffset = 0;
    // Where the entry's bytes must end: before the next entry's local header
    // on the same disk (as stored), and before the directory when they lie
    // on its disk.
    uint64_t nextOffset = NoLimit;
    bool onDirectoryDisk = false;
    bool refused = false; // its bytes are another's or outside the archive
    uint64_t compressed = 0;
    uint64_t size = 0;
    uint32_t crc = 0;
    uint16_t disk = 0;
    uint16_t method = 0;
    uint8_t host = 0;
    uint8_t dosAttributes = 0;
    uint32_t unixMode = 0;
    bool encrypted = false;
    bool descriptor = false;
    std::string name;
    std::string comment;
};

class UnzipRun {
public:
    UnzipRun(const EngineCallback& cb, const Engine& engine, const Methods& m, bool spanned)
        : callback_(cb), engine_(engine), methods_(m), spanned_(spanned)
    {
    }
    int run(const std::vector<std::string>& argv);

private:
    int send(EngineEvent& e)
    {
        std::replace(e.name.begin(), e.name.end(), '/', '\\');
        if (callback_ && callback_(e) == 1)
            abort_ = true;
        return e.answer;
    }
    void errorEvent(const std::string& name, int k)
    {
        EngineEvent e{event::Error, name};
        e.number = k;
        send(e);
    }
    void skip(const std::string& name, int k)
    {
        errorEvent(name, k);
        raise(result::Skipped);
    }
    void raise(int code) { result_ = std::max(result_, code); }
    void totalEvent()
    {
        EngineEvent e{event::Total};
        e.number = overallPercent(overall_, totalSize_);
        send(e);
    }

    int parseOptions(const std::vector<std::string>& argv);
    int openArchive();
    int findEnd(unsigned char (&end)[22], uint64_t& at);
    // The end record in the last 66,000 bytes of the file open now.
    bool endInTail(unsigned char (&end)[22], uint64_t& at);
    // Disks are asked for, or the set's parts lie beside the program.
    bool multiPart() const { return spanned_ || split_; }
    int askForDisk(int n);

    // A set whose parts lie beside the program (EngineParts.cpp).
    static constexpr int NoPartBeside = -2;
    // With no end record in the program: the set's last part open and its
    // end record found, or NoPartBeside, or a part reported missing.
    int findEndBeside(unsigned char (&end)[22], uint64_t& at);
    // The Windows path of part `n` (1: the program).
    std::string partPath(int n) const;
    int openPart(int n);
    int partMissing(int n, const std::string& path);
    int partDamaged(const std::string& path);

    // Disks of a spanned set (EngineParts.cpp).
    // Whether the disk in the drive may be disk `n` by its label.
    bool labelFits(const std::string& label, int n) const;
    // Notes the disk in the drive, with the file open, as disk `n`.
    void takeDisk(int n, const std::string& label);
    // Whether the file open now was taken as a disk other than `n`.
    bool takenAsOther(int n) const;
    // Whether the file open now holds what the set's records place on disk `n`.
    bool diskFits(int n);
    std::string driveLabel() const;
    size_t readSpan(void* buf, size_t n);
    bool readExact(void* buf, size_t n) { return readSpan(buf, n) == n; }
    bool readLocalAt(uint64_t at, unsigned char (&h)[30]);
    void readCentral(uint32_t total);
    void settleExtents();
    uint64_t extentLimit(const CentralEntry& e) const;
    // Where the archive begins in its file: at its first local header that
    // is found where its record says, past any program in front of it. A
    // later disk of a set begins at 0.
    uint64_t archiveStart();
    void extract(const CentralEntry& e, size_t index);
    // Whether `file` is a file that this run writes under a name that differs
    // from it in case only, where the folder takes the two for one file.
    // Notes it for the next ones.
    bool writtenInOtherCase(const std::filesystem::path& file);
    bool decodeInto(OutputFile& out, const CentralEntry& e, const std::string& name, uint64_t compressed,
                    uint64_t size, std::optional<PkDecrypt>& keys, uint32_t& crc, uint64_t& written);

    const EngineCallback& callback_;
    const Engine& engine_;
    const Methods& methods_;
    const bool spanned_;
    bool split_ = false; // the set's parts lie beside the program
    std::vector<std::string> parts_; // their Windows paths, the program first
    // What the end record and the central directory say stands on each disk.
    std::optional<qm::zip::sets::Records> records_;

    std::string archive_;
    std::string dest_;
    bool never_ = false, overwrite_ = false, update_ = false;
    DiskInput in_;
    int currentDisk_ = 1;
    int lastDisk_ = 1;
    uint64_t correction_ = 0;
    std::vector<CentralEntry> entries_;
    // Every central record's disk and bytes (local header and data), the
    // entries left out included; `entry` indexes entries_, or -1.
    struct Span {
        uint16_t disk;
        uint64_t offset;
        uint64_t length;
        ptrdiff_t entry;
    };
    std::vector<Span> spans_;
    int cdDisk_ = 1;
    uint64_t cdAt_ = 0; // where the directory was found on its disk
    int result_ = result::Ok;
    bool abort_ = false;
    bool diskFull_ = false;
    int missing_ = 0; // the result of a disk or part that was not there
    // The disks taken so far, and the drive's label when the last was taken.
    std::vector<std::pair<qm::fs::FileKey, int>> taken_;
    std::string lastLabel_;
    bool overwriteAll_ = false, skipAll_ = false;
    std::optional<std::string> password_;
    int passwordFailures_ = 0;
    int processed_ = 0;
    uint64_t totalSize_ = 0;
    uint64_t overall_ = 0;
    unsigned newFileMode_ = qm::fs::newFileMode();
    qm::fs::CaseTwins written_; // the files of this run, by host path
};

} // namespace qm::sfxstub::detail
