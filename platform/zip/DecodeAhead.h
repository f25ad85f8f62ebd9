#pragma once
// Test and extraction on worker threads. The entries are decoded ahead of
// the caller's thread, in archive order and a bounded number at a time,
// while the caller takes their results one after another and raises every
// event itself, as it would decoding them one by one: each entry's progress
// is kept as marks (the compressed bytes read after each chunk) that the
// caller plays back. Workers only read the archive and decode; a worker
// that extracts writes the bytes either to memory (small entries) or to an
// unnamed file in the extraction folder (in the folder of the file when it
// exists, NearestFolder), which the caller names once it has decided where
// the file goes. The bytes ahead are bounded (memory and files alike), and
// an entry that the caller will skip is left to it. Whatever the caller
// does not take is dropped.
// The workers are threads of the run's own, joined before it ends, so that
// none outlives a test or an extraction.
#include "platform/zip/ArchiveReader.h"
#include "platform/zip/EntryDecode.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <sys/stat.h>
#include <sys/types.h>
#include <thread>
#include <vector>

namespace qm::zip {

// What a worker made of one entry.
struct Decoded {
    struct Mark {
        uint64_t in = 0;  // compressed bytes read
        uint64_t out = 0; // plain bytes made by then
    };
    std::vector<Mark> marks;
    bool localBad = false; // the local header is missing or out of place
    std::exception_ptr headerFailure; // thrown while the local header was read
    DecodeResult result = DecodeResult::Ok;
    std::exception_ptr failure; // thrown while decoding (the archive could not be read, ...)
    std::vector<unsigned char> data; // the plain bytes, when they go to memory
    // The unnamed file that holds the plain bytes, when they go to a file:
    // written whole, its permissions and times set (or not: the flags).
    int fd = -1;
    bool modeNotSet = false;
    bool timeNotSet = false;
};

// The permissions and times an extracted file gets.
struct FileStamp {
    mode_t mode = 0;
    int64_t accessed = 0;
    int64_t modified = 0;
};
// Those of entry `e`, whose new file was made with the permissions `created`.
FileStamp stampOf(const ArchiveEntry& e, mode_t created);
// Applies `s` to the open file `fd`; false in `modeSet` / `timeSet` when that failed.
void applyStamp(int fd, const FileStamp& s, bool& modeSet, bool& timeSet);

// The skip rules of an extraction that look at what stands in the target.
struct SkipRules {
    bool whenExisting = false;
    bool whenMissing = false;
    bool whenOlder = false;
};
// Why entry `e` is not to be written where `target` stands (nullptr: where
// nothing does): a skip reason, or 0 when it is written.
int skipReasonOf(const ArchiveEntry& e, const struct stat* target, const SkipRules& rules);

class DecodeAhead {
public:
    enum class Output {
        Nothing,     // a test: the bytes are only checked
        Memory,      // the plain bytes are kept in memory
        UnnamedFile, // the plain bytes go to an unnamed file in `folder`
    };
    struct Settings {
        int workers = 2;
        Output output = Output::Nothing;
        int folder = -1;           // extraction: the extraction folder
        bool keepFolderNames = true; // and where in it the files go
        SkipRules rules;           // the entries these skip are left to the caller
        uint64_t memoryLimit = 0;  // larger entries are left to the caller (Memory)
    };

    // `jobs[i]` is the entry the caller asks for as job `i`; nullptr for one
    // it handles itself. `archive` and `jobs` outlive the object.
    DecodeAhead(const ArchiveReader& archive, const std::vector<const ArchiveEntry*>& jobs, std::string password,
                const Settings& settings);
    // Stops the workers and waits for them; every unnamed file goes.
    ~DecodeAhead();
    DecodeAhead(const DecodeAhead&) = delete;
    DecodeAhead& operator=(const DecodeAhead&) = delete;

    // Whether the settings take any workers for these jobs at all.
    static bool worthIt(const std::vector<const ArchiveEntry*>& jobs, int workers);

    // The caller is at job `i` (jobs are taken in order; those passed over
    // are dropped). Gives the job once a worker has it under way, waiting
    // for that (calling `tick`, which may throw, meanwhile), or nullptr when
    // the caller is to decode the entry itself.
    const Decoded* take(size_t i, const std::function<void()>& tick);
    // Plays back the marks of the job taken through `mark`, as the worker
    // gets there, until it is done. With memory output the job is done
    // before the first mark. `mark` and `tick` may throw.
    void follow(const Decoded& d, const std::function<void(const Decoded::Mark&)>& mark,
                const std::function<void()>& tick);

private:
    // A job's course. Claimed: a worker has it in its batch; Abandoned: the
    // caller passed it over (or decodes it itself) while a worker had it.
    enum class State : uint8_t { Idle, Claimed, Started, Done, Declined, Abandoned };
    struct Slot {
        std::atomic<size_t> job{0};
        std::atomic<State> state{State::Idle};
        std::atomic<size_t> marks{0}; // of d.marks, published
        uint64_t counted = 0;         // its bytes in outputAhead_
        Decoded d;
    };
    struct Scratch;
    struct Cancelled {};

    // Stops the workers and waits until every loop has returned.
    void stopAll();
    void workerLoop();
    bool claimable(size_t job) const;
    // Claims the next jobs for one worker (under m_).
    std::vector<size_t> claimLocked();
    void run(size_t job, Scratch& s);
    // A chunk of the job under way is done: its mark goes out.
    void marked(Scratch& s, uint64_t in);
    // The worker leaves `slot` in `to` unless the caller abandoned it meanwhile.
    bool settle(Slot& slot, State from, State to);
    // Leaves the job to the caller, holding nothing.
    void decline(Slot& slot);
    // Frees what a job holds and makes its slot free again.
    void release(Slot& slot);
    void wakeCaller();
    void wakeWorkers();
    // Jobs that may be claimed before the window ahead of the caller is full.
    size_t room() const;
    // The caller waits until `ready` (a worker calls wakeCaller), at most a tick.
    void waitFor(const std::function<bool()>& ready, const std::function<void()>& tick);
    Slot& slotOf(size_t job) { return slots_[job % slotCount_]; }
    Slot* slotOf(const Decoded& d);

    const ArchiveReader& archive_;
    const std::vector<const ArchiveEntry*>& jobs_;
    const std::string password_;
    const Settings settings_;
    uint64_t outputBudget_ = 0;

    std::mutex m_;
    std::condition_variable work_; // workers wait for jobs to claim
    std::condition_variable done_; // the caller waits for a job
    std::condition_variable ended_; // stopAll waits for the worker loops to return
    size_t running_ = 0;           // worker loops that have not returned
    std::unique_ptr<Slot[]> slots_; // the jobs ahead, job % slotCount_
    size_t slotCount_ = 0;
    std::atomic<size_t> cursor_{0};   // the next job a worker may claim (changed under m_)
    std::atomic<size_t> at_{0};       // the job the caller is at
    std::atomic<uint64_t> outputAhead_{0}; // bytes of output (memory or files) ahead
    std::atomic<bool> budgetFull_{false};  // claims stopped for want of room for output (changed under m_)
    std::atomic<int> idle_{0};        // workers waiting for a job (changed under m_)
    std::atomic<bool> woken_{false};  // a worker has been woken and has not claimed yet
    std::atomic<bool> callerWaits_{false};
    std::atomic<bool> stop_{false};
    std::vector<std::thread> threads_;
};

} // namespace qm::zip
