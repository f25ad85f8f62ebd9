#pragma once
// Compressing the files of a build on worker threads while the caller's
// thread writes the archive. The writer takes the files in archive order;
// the pipeline reads and compresses ahead of it, a bounded number of pieces
// at a time whatever the archive's size, and the writer picks each piece up
// in order. A file larger than one piece is cut into pieces compressed side
// by side (PieceCodec.h). Workers only read source files and compress:
// events, the yield hook and every write to the archive stay with the
// writer.
#include "platform/zip/ArchiveReader.h"
#include "platform/zip/PieceCodec.h"
#include "platform/zip/Unchanged.h"
#include "platform/zip/WorkerPool.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace qm::zip {

// One file as the writer asks for it.
struct FileSpec {
    std::string path;      // host path
    uint64_t size = 0;     // as chosen: no more is read
    int method = 0;        // in force for this file: 0 (also for level 0 and empty files), 8 or 18
    int level = 0;
    bool lockCheck = true; // a file that another program holds locked is skipped
    // An entry of the old archive that may hold this file already
    // (mayHoldFile): the content is checked against it before anything is
    // compressed.
    const ArchiveEntry* old = nullptr;
    // No file: `old` is an entry kept as it is, whose data is only checked
    // (at `level`, AnyLevel).
    bool checkOnly = false;
};

// A flag that may be read without the pipeline's lock (copies take its value).
struct ReadyFlag {
    std::atomic<bool> value{false};
    ReadyFlag() = default;
    ReadyFlag(const ReadyFlag& o) : value(o.value.load()) {}
    ReadyFlag& operator=(const ReadyFlag& o)
    {
        value = o.value.load();
        return *this;
    }
};

// What became of one piece of a file.
struct Piece {
    enum class State { Idle, Queued, Running, Done, Taken };
    State state = State::Idle;
    ByteBuffer data;        // compressed bytes (the file's own when stored)
    uint64_t read = 0;      // source bytes it covers
    uint32_t crc = 0;       // of those bytes
    bool shortRead = false; // the file ended before the piece did
    bool grew = false;      // the last piece: the file goes on beyond its chosen size
    int err = 0;            // reading failed with this errno
    std::exception_ptr failure;
    // A file of one piece is handled whole by its task:
    int method = 0;         // the method its data is in (stored when it did not shrink)
    ReadyFlag ready;        // done, and its results may be read
    uint64_t weight = 0;    // what it counts for among the pieces ahead
};

struct FileWork {
    FileSpec spec;
    size_t pieceSize = 0;
    std::vector<Piece> pieces;
    // Pieces first only check the content against spec.old (a file of one
    // piece is checked and, when it differs, compressed by the same task).
    bool verifying = false;

    // Set by the first task of the file that runs (under openMutex).
    std::mutex openMutex;
    bool opened = false;
    int fd = -1;
    int skipReason = 0;     // the file cannot be taken (skip:: value)
    uint32_t mode = 0;      // type and permission bits when it was opened
    bool sizeDiffers = false;
    // What checkOldData made of spec.old: asked by the task of a file of
    // one piece once the content matches, by the first piece's otherwise
    // (and by the one task of a check alone).
    OldData oldData = OldData::Unfit;
    bool probed = false;
    int method = 0;         // spec.method, or stored after the probe

    std::atomic<bool> cancelled{false}; // the writer is done with it

    FileWork() = default;
    FileWork(const FileWork&) = delete;
    FileWork& operator=(const FileWork&) = delete;
    ~FileWork();
    bool whole() const { return pieces.size() == 1; }
};

class Pipeline {
public:
    // `workers` threads of `pool` compress; `next` gives the next file in
    // archive order (false when none is left); it is called on the writer's
    // thread only. `old` and `password` serve the checks of old entries.
    Pipeline(WorkerPool& pool, int workers, size_t pieceSize, std::function<bool(FileSpec&)> next,
             const ArchiveReader* old, std::string password);
    // Stops the workers and waits until each has gone back to the pool.
    ~Pipeline();
    Pipeline(const Pipeline&) = delete;
    Pipeline& operator=(const Pipeline&) = delete;

    // The next file, in the order `next` gave them (nullptr when none is left).
    std::shared_ptr<FileWork> take();
    // Waits for piece `k` of `w` (calling `tick`, which may throw, every few
    // hundredths of a second meanwhile). A failure of its task is rethrown.
    Piece& wait(FileWork& w, size_t k, const std::function<void()>& tick);
    // The writer is done with piece `k`: its memory and its place go back.
    void release(FileWork& w, size_t k);
    // The content differs from the old entry: the pieces are compressed now.
    void recompress(FileWork& w);
    // The writer is done with `w`; whatever it did not pick up is dropped.
    void finish(FileWork& w);

    int workers() const { return int(workers_); }

private:
    struct Task {
        std::shared_ptr<FileWork> work;
        size_t piece;
    };
    struct Scratch;
    struct Cancelled {};
    void workerLoop();
    void pumpLocked();
    void wakeLocked(size_t submitted);
    void submitLocked(std::deque<Task>& q, const std::shared_ptr<FileWork>& w, size_t k);
    void requireLocked(const std::shared_ptr<FileWork>& w, size_t k);
    std::shared_ptr<FileWork> makeWork(FileSpec spec) const;
    void runPiece(FileWork& w, size_t k, Scratch& s);
    bool open(FileWork& w);
    // Sets w.oldData.
    void checkOld(FileWork& w, Scratch& s);
    int methodOf(FileWork& w, Scratch& s);
    // The piece is done with: its memory and its place among those ahead go back.
    void retireLocked(Piece& p);
    // What the writer gave back since it last held the lock.
    void settleLocked();

    std::function<bool(FileSpec&)> next_;
    const ArchiveReader* old_;
    const std::string password_;
    const size_t pieceSize_;
    const size_t workers_;
    size_t maxInFlight_ = 0;
    uint64_t maxBytes_ = 0;
    size_t maxSpare_ = 0;
    size_t maxAhead_ = 0;

    std::mutex m_;
    std::condition_variable work_; // workers wait for tasks
    std::condition_variable done_; // the writer waits for pieces
    std::deque<Task> urgent_;      // pieces the writer waits for
    std::deque<Task> queue_;       // pieces read ahead
    std::deque<std::shared_ptr<FileWork>> ahead_; // files given by `next`, not taken yet
    size_t cursor_ = 0;            // the file in ahead_ whose pieces are submitted next
    size_t cursorPiece_ = 0;
    bool exhausted_ = false;
    std::shared_ptr<FileWork> current_; // the file the writer works on
    size_t requiredUpTo_ = 0;      // pieces of current_ asked for so far
    // Given back by the writer without the lock, settled when it next takes it.
    std::vector<size_t> released_; // pieces of current_
    std::vector<std::shared_ptr<FileWork>> finished_;
    size_t inFlight_ = 0;          // pieces submitted and not given back
    uint64_t inFlightBytes_ = 0;   // and what they count for
    size_t idle_ = 0;              // workers waiting for a task
    const Piece* awaited_ = nullptr; // the piece the writer waits for
    std::vector<ByteBuffer> spare_;
    bool stop_ = false;
    WorkerPool::Crew crew_; // last: it goes first, once every worker is done
};

} // namespace qm::zip
