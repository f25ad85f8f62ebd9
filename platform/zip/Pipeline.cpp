#include "platform/zip/Pipeline.h"

#include "platform/zip/PieceCodec.h"
#include "platform/zip/ResultCodes.h"
#include "platform/zip/Unchanged.h"

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

// Reads up to `n` bytes at `at`; fewer only where the file ends. Sets `err`
// when reading fails.
size_t readUpTo(int fd, uint64_t at, unsigned char* buf, size_t n, int& err)
{
    size_t got = 0;
    while (got < n) {
        ssize_t r = ::pread(fd, buf + got, n - got, off_t(at + got));
        if (r < 0) {
            if (errno == EINTR)
                continue;
            err = errno;
            break;
        }
        if (r == 0)
            break;
        got += size_t(r);
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
    std::vector<unsigned char> in;
    PieceEncoder encoder;
    IncompressibleProbe probe;
    DecodeScratch decode;
};

Pipeline::Pipeline(int workers, size_t pieceSize, std::function<bool(FileSpec&)> next, const ArchiveReader* old,
                   std::string password)
    : next_(std::move(next)), old_(old), password_(std::move(password)), pieceSize_(pieceSize)
{
    const size_t n = size_t(std::max(workers, 1));
    // Enough pieces ahead to keep every worker busy while the writer
    // catches up, and no more: memory does not grow with the archive.
    maxInFlight_ = 3 * n + 2;
    maxAhead_ = 8 * maxInFlight_;
    threads_.reserve(n);
    try {
        for (size_t i = 0; i < n; ++i)
            threads_.emplace_back([this] { workerLoop(); });
    } catch (...) {
        {
            std::lock_guard<std::mutex> g(m_);
            stop_ = true;
        }
        work_.notify_all();
        for (std::thread& t : threads_)
            t.join();
        throw;
    }
}

Pipeline::~Pipeline()
{
    {
        std::lock_guard<std::mutex> g(m_);
        stop_ = true;
    }
    work_.notify_all();
    for (std::thread& t : threads_)
        t.join();
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
    w->pieces.resize(size <= w->pieceSize ? 1 : size_t((size + w->pieceSize - 1) / w->pieceSize));
    w->verifying = w->spec.old != nullptr;
    return w;
}

void Pipeline::submitLocked(std::deque<Task>& q, const std::shared_ptr<FileWork>& w, size_t k)
{
    w->pieces[k].state = Piece::State::Queued;
    q.push_back({w, k});
    ++inFlight_;
    work_.notify_one();
}

void Pipeline::pumpLocked()
{
    while (inFlight_ < maxInFlight_) {
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
        if (w->pieces[cursorPiece_].state == Piece::State::Idle)
            submitLocked(queue_, w, cursorPiece_);
        ++cursorPiece_;
    }
}

void Pipeline::requireLocked(const std::shared_ptr<FileWork>& w, size_t k)
{
    // The writer's own file goes first, past the limit of pieces ahead, a
    // few pieces at a time.
    const size_t end = std::min(w->pieces.size(), k + threads_.size() + 1);
    for (size_t j = k; j < end; ++j)
        if (w->pieces[j].state == Piece::State::Idle)
            submitLocked(urgent_, w, j);
}

std::shared_ptr<FileWork> Pipeline::take()
{
    std::lock_guard<std::mutex> g(m_);
    if (ahead_.empty()) {
        FileSpec spec;
        if (exhausted_ || !next_(spec)) {
            exhausted_ = true;
            return nullptr;
        }
        ahead_.push_back(makeWork(std::move(spec)));
    }
    current_ = ahead_.front();
    ahead_.pop_front();
    if (cursor_ == 0)
        cursorPiece_ = 0; // the rest of its pieces are asked for as the writer needs them
    else
        --cursor_;
    pumpLocked();
    return current_;
}

Piece& Pipeline::wait(FileWork& w, size_t k, const std::function<void()>& tick)
{
    std::unique_lock<std::mutex> lk(m_);
    if (current_.get() == &w)
        requireLocked(current_, k);
    for (;;) {
        pumpLocked();
        Piece& p = w.pieces[k];
        if (p.state == Piece::State::Done) {
            if (p.failure)
                std::rethrow_exception(p.failure);
            return p;
        }
        done_.wait_for(lk, std::chrono::milliseconds(20));
        lk.unlock();
        if (tick)
            tick();
        lk.lock();
    }
}

void Pipeline::recycleLocked(Piece& p)
{
    if (p.data.capacity() > 0 && spare_.size() < maxInFlight_) {
        p.data.clear();
        spare_.push_back(std::move(p.data));
    }
    p.data = {};
}

void Pipeline::release(FileWork& w, size_t k)
{
    std::lock_guard<std::mutex> g(m_);
    Piece& p = w.pieces[k];
    if (p.state != Piece::State::Done)
        return;
    recycleLocked(p);
    p.state = Piece::State::Taken;
    --inFlight_;
}

void Pipeline::recompress(FileWork& w)
{
    std::lock_guard<std::mutex> g(m_);
    w.verifying = false;
    for (Piece& p : w.pieces) {
        if (p.state == Piece::State::Done) {
            recycleLocked(p);
            --inFlight_;
        }
        p = Piece();
    }
}

void Pipeline::finish(FileWork& w)
{
    std::lock_guard<std::mutex> g(m_);
    w.cancelled = true;
    for (Piece& p : w.pieces) {
        if (p.state == Piece::State::Done) {
            recycleLocked(p);
            p.state = Piece::State::Taken;
            --inFlight_;
        }
    }
    if (current_.get() == &w)
        current_.reset();
}

void Pipeline::workerLoop()
{
    Scratch s;
    std::unique_lock<std::mutex> lk(m_);
    for (;;) {
        work_.wait(lk, [this] { return stop_ || !urgent_.empty() || !queue_.empty(); });
        if (stop_)
            return;
        std::deque<Task>& q = urgent_.empty() ? queue_ : urgent_;
        Task t = std::move(q.front());
        q.pop_front();
        FileWork& w = *t.work;
        Piece& p = w.pieces[t.piece];
        if (w.cancelled) {
            p.state = Piece::State::Taken;
            --inFlight_;
            continue;
        }
        p.state = Piece::State::Running;
        if (!spare_.empty() && p.data.capacity() == 0) {
            p.data = std::move(spare_.back());
            spare_.pop_back();
        }
        lk.unlock();
        try {
            runPiece(w, t.piece, s);
        } catch (...) {
            p.failure = std::current_exception();
        }
        lk.lock();
        p.state = Piece::State::Done;
        if (w.cancelled) {
            recycleLocked(p);
            p.state = Piece::State::Taken;
            --inFlight_;
        }
        done_.notify_one();
    }
}

bool Pipeline::open(FileWork& w, Scratch& s)
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
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
#endif
    if (w.spec.old && old_)
        w.oldUsable = oldDataFits(*old_, *w.spec.old, w.spec.level, password_, s.decode);
    return true;
}

int Pipeline::methodOf(FileWork& w, Scratch& s)
{
    std::lock_guard<std::mutex> g(w.openMutex);
    if (w.probed)
        return w.method;
    w.probed = true;
    if (w.method != fmt::Stored && w.spec.size >= ProbeFrom) {
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
    Piece& p = w.pieces[k];
    if (!open(w, s))
        return;
    const uint64_t size = w.spec.size;
    const uint64_t start = uint64_t(k) * w.pieceSize;
    const size_t want = size_t(std::min<uint64_t>(w.pieceSize, size - std::min(size, start)));
    const bool last = k + 1 == w.pieces.size();

    if (w.whole()) {
        // The whole file in one go: checked against the old entry, and
        // compressed when it differs.
        s.in.resize(std::max<size_t>(want, 1));
        p.read = readUpTo(w.fd, 0, s.in.data(), want, p.err);
        p.shortRead = p.read < want;
        p.crc = uint32_t(crc32_z(0, s.in.data(), p.read));
        if (p.err == 0 && !p.shortRead) {
            unsigned char probe;
            p.grew = readUpTo(w.fd, size, &probe, 1, p.err) > 0;
        }
        {
            // Nothing else reads this file: its descriptor goes back at once.
            std::lock_guard<std::mutex> g(w.openMutex);
            ::close(w.fd);
            w.fd = -1;
        }
        if (p.err != 0)
            return;
        if (w.verifying && w.oldUsable && !w.sizeDiffers && !p.shortRead && !p.grew && p.read == w.spec.old->size &&
            p.crc == w.spec.old->crc) {
            p.unchanged = true;
            return;
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
    std::vector<unsigned char>& buf = keepInput ? p.data : s.in;
    buf.resize(dict + want);
    size_t gotDict = dict ? readUpTo(w.fd, start - dict, buf.data(), dict, p.err) : 0;
    if (p.err != 0)
        return;
    if (gotDict < dict) { // the file shrank below this piece
        p.shortRead = true;
        p.read = 0;
    } else {
        p.read = readUpTo(w.fd, start, buf.data() + dict, want, p.err);
        p.shortRead = p.read < want;
    }
    if (p.err != 0)
        return;
    const unsigned char* data = buf.data() + dict;
    p.crc = uint32_t(crc32_z(0, data, p.read));
    if (last && !p.shortRead) {
        unsigned char probe;
        p.grew = readUpTo(w.fd, size, &probe, 1, p.err) > 0;
    }
    if (w.verifying)
        return;
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
