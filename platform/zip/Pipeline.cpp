#include "platform/zip/Pipeline.h"

#include "platform/zip/PieceCodec.h"
#include "platform/zip/ResultCodes.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

namespace qm::zip {

namespace {

// A worker takes up to this many pieces of small files at once.
constexpr size_t MaxBatch = 8;
constexpr uint64_t BatchBytes = 256 * 1024;
// Buffers from this size on are kept for the next pieces.
constexpr size_t SpareFrom = 64 * 1024;

// Reads up to `n` bytes at `at`; fewer only where the file ends (a regular
// file reads short only there). Sets `err` when reading fails.
size_t readUpTo(int fd, uint64_t at, unsigned char* buf, size_t n, int& err)
{
    size_t got = 0;
    while (got < n) {
        const size_t asked = n - got;
        ssize_t r = ::pread(fd, buf + got, asked, off_t(at + got));
        if (r < 0) {
            if (errno == EINTR)
                continue;
            err = errno;
            break;
        }
        got += size_t(r);
        if (size_t(r) < asked)
            break;
    }
    return got;
}

} // namespace

FileWork::~FileWork()
{
    if (fd >= 0)
        ::close(fd);
}

struct Pipeline::Scratch {
    ByteBuffer in;
    PieceEncoder encoder;
    IncompressibleProbe probe;
    DecodeScratch decode;
};

Pipeline::Pipeline(WorkerPool& pool, int workers, size_t pieceSize, std::function<bool(FileSpec&)> next,
                   const ArchiveReader* old, std::string password)
    : next_(std::move(next)), old_(old), password_(std::move(password)), pieceSize_(pieceSize),
      workers_(size_t(std::max(workers, 1)))
{
    const size_t n = workers_;
    // Enough ahead to keep every worker busy while the writer catches up,
    // and no more: memory does not grow with the archive. Many small files
    // may be ahead at once, but never more bytes than a few pieces a worker.
    maxBytes_ = (3 * n + 2) * uint64_t(pieceSize_);
    maxInFlight_ = 64 * n;
    maxSpare_ = 3 * n + 2;
    maxAhead_ = maxInFlight_ + 64;
    crew_ = pool.run(int(n), [this](int) { workerLoop(); });
}

Pipeline::~Pipeline()
{
    {
        std::lock_guard<std::mutex> g(m_);
        stop_ = true;
        // Checks of old entries under way give up.
        for (const std::shared_ptr<FileWork>& w : ahead_)
            w->cancelled = true;
        if (current_)
            current_->cancelled = true;
    }
    work_.notify_all();
    crew_.join();
}

std::shared_ptr<FileWork> Pipeline::makeWork(FileSpec spec) const
{
    auto w = std::make_shared<FileWork>();
    w->spec = std::move(spec);
    w->method = w->spec.method;
    w->pieceSize = pieceSize_;
    if (w->spec.method == fmt::BurrowsWheeler)
        w->pieceSize = std::min(pieceSize_, bwPieceLimit(w->spec.level));
    const uint64_t size = w->spec.size;
    const bool one = size <= w->pieceSize || w->spec.checkOnly; // an old entry is checked by one task
    w->pieces.resize(one ? 1 : size_t((size + w->pieceSize - 1) / w->pieceSize));
    w->verifying = w->spec.old != nullptr;
    return w;
}

void Pipeline::submitLocked(std::deque<Task>& q, const std::shared_ptr<FileWork>& w, size_t k)
{
    Piece& p = w->pieces[k];
    p.state = Piece::State::Queued;
    // What it will hold: its share of the file (none while a piece of a
    // large file, or an old entry alone, is only checked), and a little for
    // its own keeping.
    const uint64_t share = std::min<uint64_t>(w->pieceSize, w->spec.size - std::min(w->spec.size, k * w->pieceSize));
    p.weight = ((w->verifying && !w->whole()) || w->spec.checkOnly ? 0 : share) + 1024;
    q.push_back({w, k});
    ++inFlight_;
    inFlightBytes_ += p.weight;
}

void Pipeline::retireLocked(Piece& p)
{
    if (p.data.capacity() >= SpareFrom && spare_.size() < maxSpare_) {
        p.data.clear();
        spare_.push_back(std::move(p.data));
    }
    p.data = {};
    p.state = Piece::State::Taken;
    --inFlight_;
    inFlightBytes_ -= p.weight;
}

void Pipeline::wakeLocked(size_t submitted)
{
    // A worker takes several small pieces at once: one is woken for a batch.
    for (size_t n = std::min(idle_, (submitted + MaxBatch - 1) / MaxBatch); n > 0; --n)
        work_.notify_one();
}

void Pipeline::pumpLocked()
{
    // Refilled in bursts, once half the pieces ahead have been used, so
    // that workers are woken for several pieces rather than for each.
    if (inFlight_ > maxInFlight_ / 2 || inFlightBytes_ > maxBytes_ / 2)
        return;
    size_t submitted = 0;
    struct Wake {
        Pipeline* p;
        size_t& n;
        ~Wake() { p->wakeLocked(n); }
    } wake{this, submitted};
    while (inFlight_ < maxInFlight_ && inFlightBytes_ < maxBytes_) {
        if (cursor_ >= ahead_.size()) {
            if (exhausted_ || ahead_.size() >= maxAhead_)
                return;
            FileSpec spec;
            if (!next_(spec)) {
                exhausted_ = true;
                return;
            }
            ahead_.push_back(makeWork(std::move(spec)));
        }
        const std::shared_ptr<FileWork>& w = ahead_[cursor_];
        if (cursorPiece_ >= w->pieces.size()) {
            ++cursor_;
            cursorPiece_ = 0;
            continue;
        }
        if (w->pieces[cursorPiece_].state == Piece::State::Idle) {
            submitLocked(queue_, w, cursorPiece_);
            ++submitted;
        }
        ++cursorPiece_;
    }
}

void Pipeline::requireLocked(const std::shared_ptr<FileWork>& w, size_t k)
{
    // The writer's own file goes first, past the limit of pieces ahead, a
    // few pieces at a time.
    const size_t end = std::min(w->pieces.size(), k + workers_ + 1);
    size_t submitted = 0;
    for (size_t j = k; j < end; ++j)
        if (w->pieces[j].state == Piece::State::Idle) {
            submitLocked(urgent_, w, j);
            ++submitted;
        }
    if (submitted > 0 && idle_ > 0)
        work_.notify_all();
}

void Pipeline::settleLocked()
{
    for (size_t k : released_)
        if (current_->pieces[k].state == Piece::State::Done)
            retireLocked(current_->pieces[k]);
    released_.clear();
    for (const std::shared_ptr<FileWork>& w : finished_)
        for (Piece& p : w->pieces)
            if (p.state == Piece::State::Done)
                retireLocked(p);
    finished_.clear();
}

std::shared_ptr<FileWork> Pipeline::take()
{
    std::lock_guard<std::mutex> g(m_);
    settleLocked();
    if (ahead_.empty()) {
        FileSpec spec;
        if (exhausted_ || !next_(spec)) {
            exhausted_ = true;
            current_.reset();
            return nullptr;
        }
        ahead_.push_back(makeWork(std::move(spec)));
    }
    current_ = ahead_.front();
    ahead_.pop_front();
    requiredUpTo_ = 0;
    if (cursor_ == 0)
        cursorPiece_ = 0; // the rest of its pieces are asked for as the writer needs them
    else
        --cursor_;
    pumpLocked();
    return current_;
}

Piece& Pipeline::wait(FileWork& w, size_t k, const std::function<void()>& tick)
{
    const bool head = current_.get() == &w;
    const size_t ahead = std::min(w.pieces.size(), k + workers_ + 1);
    Piece& p = w.pieces[k];
    // Done already, and the pieces after it asked for: no need of the lock.
    if (p.ready.value.load(std::memory_order_acquire) && (!head || requiredUpTo_ >= ahead)) {
        if (p.failure)
            std::rethrow_exception(p.failure);
        return p;
    }
    std::unique_lock<std::mutex> lk(m_);
    settleLocked();
    if (head) {
        requireLocked(current_, k);
        requiredUpTo_ = ahead;
    }
    for (;;) {
        pumpLocked();
        if (p.state == Piece::State::Done) {
            awaited_ = nullptr;
            if (p.failure)
                std::rethrow_exception(p.failure);
            return p;
        }
        awaited_ = &p;
        done_.wait_for(lk, std::chrono::milliseconds(20));
        lk.unlock();
        if (tick)
            tick();
        lk.lock();
    }
}

void Pipeline::release(FileWork& w, size_t k)
{
    if (current_.get() == &w) {
        released_.push_back(k);
        return;
    }
    std::lock_guard<std::mutex> g(m_);
    if (w.pieces[k].state == Piece::State::Done)
        retireLocked(w.pieces[k]);
}

void Pipeline::recompress(FileWork& w)
{
    std::lock_guard<std::mutex> g(m_);
    settleLocked();
    w.verifying = false;
    for (Piece& p : w.pieces) {
        if (p.state == Piece::State::Done)
            retireLocked(p);
        p = Piece();
    }
    if (current_.get() == &w)
        requiredUpTo_ = 0;
}

void Pipeline::finish(FileWork& w)
{
    // Pieces still at work see this and give themselves back.
    w.cancelled = true;
    if (current_.get() == &w) {
        finished_.push_back(current_);
        return;
    }
    std::lock_guard<std::mutex> g(m_);
    for (Piece& p : w.pieces)
        if (p.state == Piece::State::Done)
            retireLocked(p);
}

void Pipeline::workerLoop()
{
    // A worker's coders stay with its thread, which the control keeps from
    // one build to the next.
    thread_local std::unique_ptr<Scratch> kept;
    if (!kept)
        kept = std::make_unique<Scratch>();
    Scratch& s = *kept;
    s.decode.window.forget(); // it may hold an archive of an earlier build
    std::vector<Task> batch;
    std::unique_lock<std::mutex> lk(m_);
    for (;;) {
        ++idle_;
        work_.wait(lk, [this] { return stop_ || !urgent_.empty() || !queue_.empty(); });
        --idle_;
        if (stop_)
            return;
        // Small files are taken a few at a time: less waiting on each other.
        std::deque<Task>& q = urgent_.empty() ? queue_ : urgent_;
        batch.clear();
        uint64_t bytes = 0;
        do {
            bytes += q.front().work->spec.size;
            batch.push_back(std::move(q.front()));
            q.pop_front();
        } while (!q.empty() && batch.size() < MaxBatch && bytes + q.front().work->spec.size <= BatchBytes);
        if (!q.empty() && idle_ > 0)
            work_.notify_one();
        for (Task& t : batch) {
            Piece& p = t.work->pieces[t.piece];
            p.state = Piece::State::Running;
            // Large buffers go round again; small files allocate what they need.
            if (!spare_.empty() && p.weight >= SpareFrom && p.data.capacity() == 0) {
                p.data = std::move(spare_.back());
                spare_.pop_back();
            }
        }
        lk.unlock();
        for (Task& t : batch) {
            FileWork& w = *t.work;
            if (w.cancelled)
                continue;
            try {
                runPiece(w, t.piece, s);
            } catch (...) {
                w.pieces[t.piece].failure = std::current_exception();
            }
        }
        lk.lock();
        bool awaited = false;
        for (Task& t : batch) {
            Piece& p = t.work->pieces[t.piece];
            p.state = Piece::State::Done;
            p.ready.value.store(true, std::memory_order_release);
            if (t.work->cancelled)
                retireLocked(p);
            awaited = awaited || &p == awaited_;
        }
        if (awaited)
            done_.notify_one();
    }
}

bool Pipeline::open(FileWork& w)
{
    std::lock_guard<std::mutex> g(w.openMutex);
    if (w.opened)
        return w.skipReason == 0;
    w.opened = true;
    int fd = ::open(w.spec.path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        w.skipReason = errno == ENOENT ? skip::NotFound : skip::CannotRead;
        return false;
    }
    w.fd = fd;
    if (w.spec.lockCheck && ::flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
        w.skipReason = skip::FileInUse;
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        w.skipReason = skip::CannotRead;
        return false;
    }
    w.mode = st.st_mode;
    w.sizeDiffers = uint64_t(st.st_size) != w.spec.size;
#ifdef POSIX_FADV_SEQUENTIAL
    if (!w.whole())
        ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
#endif
    return true;
}

void Pipeline::checkOld(FileWork& w, Scratch& s)
{
    if (!w.spec.old || !old_)
        return;
    // A file the writer is done with, or a build that stops, needs no answer.
    const auto stop = [&w](uint64_t) {
        if (w.cancelled)
            throw Cancelled{};
    };
    try {
        w.oldData = checkOldData(*old_, *w.spec.old, w.spec.level, password_, s.decode, stop);
    } catch (const Cancelled&) {
    }
}

int Pipeline::methodOf(FileWork& w, Scratch& s)
{
    std::lock_guard<std::mutex> g(w.openMutex);
    if (w.probed)
        return w.method;
    w.probed = true;
    if (w.method != fmt::Stored && w.spec.size >= ProbeFrom) {
        if (s.in.size() < ProbeSize)
            s.in.resize(ProbeSize);
        int err = 0;
        size_t got = readUpTo(w.fd, 0, s.in.data(), ProbeSize, err);
        if (err == 0 && s.probe.hardlyShrinks(s.in.data(), got))
            w.method = fmt::Stored;
    }
    return w.method;
}

void Pipeline::runPiece(FileWork& w, size_t k, Scratch& s)
{
    if (w.spec.checkOnly) {
        checkOld(w, s);
        return;
    }
    Piece& p = w.pieces[k];
    if (!open(w))
        return;
    const uint64_t size = w.spec.size;
    const uint64_t start = uint64_t(k) * w.pieceSize;
    const size_t want = size_t(std::min<uint64_t>(w.pieceSize, size - std::min(size, start)));
    const bool last = k + 1 == w.pieces.size();

    if (w.whole()) {
        // The whole file in one go: checked against the old entry, and
        // compressed when it differs. One byte more than chosen tells
        // whether the file grew.
        if (s.in.size() < want + 1)
            s.in.resize(want + 1); // grows only: nothing is cleared for each file
        const size_t got = readUpTo(w.fd, 0, s.in.data(), want + 1, p.err);
        p.read = std::min(got, want);
        p.shortRead = got < want;
        p.grew = got > want;
        p.crc = uint32_t(crc32_z(0, s.in.data(), p.read));
        {
            // Nothing else reads this file: its descriptor goes back at once.
            std::lock_guard<std::mutex> g(w.openMutex);
            ::close(w.fd);
            w.fd = -1;
        }
        if (p.err != 0)
            return;
        if (w.verifying && !w.sizeDiffers && !p.shortRead && !p.grew && p.read == w.spec.old->size &&
            p.crc == w.spec.old->crc) {
            checkOld(w, s);
            if (w.oldData == OldData::Fits || w.cancelled)
                return; // the old entry holds this very content: nothing is compressed
        }
        p.method = w.method;
        if (p.method != fmt::Stored && p.read >= ProbeFrom && s.probe.hardlyShrinks(s.in.data(), p.read))
            p.method = fmt::Stored;
        if (p.method != fmt::Stored) {
            s.encoder.whole(p.method, w.spec.level, s.in.data(), p.read, p.data);
            if (p.data.size() > p.read)
                p.method = fmt::Stored; // incompressible: stored is smaller
        }
        if (p.method == fmt::Stored)
            p.data.assign(s.in.data(), s.in.data() + p.read);
        return;
    }

    const int method = w.verifying ? fmt::Stored : methodOf(w, s);
    const bool keepInput = method == fmt::Stored && !w.verifying;
    const size_t dict = method == fmt::Deflated ? size_t(std::min<uint64_t>(start, DeflateWindow)) : 0;
    ByteBuffer& buf = keepInput ? p.data : s.in;
    const size_t extra = last ? 1 : 0; // the last piece also looks one byte further
    if (keepInput || buf.size() < dict + want + extra)
        buf.resize(dict + want + extra);
    size_t gotDict = dict ? readUpTo(w.fd, start - dict, buf.data(), dict, p.err) : 0;
    if (p.err != 0)
        return;
    if (gotDict < dict) { // the file shrank below this piece
        p.shortRead = true;
        p.read = 0;
    } else {
        const size_t got = readUpTo(w.fd, start, buf.data() + dict, want + extra, p.err);
        p.read = std::min(got, want);
        p.shortRead = got < want;
        p.grew = got > want;
    }
    if (p.err != 0)
        return;
    const unsigned char* data = buf.data() + dict;
    p.crc = uint32_t(crc32_z(0, data, p.read));
    if (w.verifying) {
        // The old entry's data is checked beside the other pieces' reading.
        if (k == 0)
            checkOld(w, s);
        return;
    }
    switch (method) {
    case fmt::Stored:
        p.data.resize(p.read);
        break;
    case fmt::Deflated:
        s.encoder.deflatePiece(w.spec.level, buf.data(), gotDict, data, p.read, last || p.shortRead, p.data);
        break;
    default:
        s.encoder.bwPiece(w.spec.level, data, p.read, p.data);
        break;
    }
}

} // namespace qm::zip
