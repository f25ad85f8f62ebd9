#include "platform/zip/DecodeAhead.h"

#include "platform/zip/ExtractFolders.h"
#include "platform/zip/FileIo.h"
#include "platform/zip/ResultCodes.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qm::zip {

namespace dt = qm::datetime;

namespace {

// How long the caller waits for a worker between two ticks.
constexpr auto TickEvery = std::chrono::milliseconds(30);
// Jobs ahead of the caller, for each worker, and at most.
constexpr size_t AheadPerWorker = 32;
constexpr size_t MaxAhead = 256;
// A worker claims this many jobs at once, or fewer that hold this many bytes.
constexpr size_t Batch = 16;
constexpr uint64_t BatchBytes = 256 * 1024;
// A job this small is decoded by the caller itself when no worker has it done in a moment.
constexpr uint64_t StealBelow = 64 * 1024;
// A worker reads small entries through a window of this size.
constexpr size_t WorkerWindow = 64 * 1024;
// Checks the caller makes before it sleeps while it waits.
constexpr int SpinRounds = 2000;
// Below this size a worker does not look whether a folder stands in a
// file's way (the caller skips it then): looking costs more than it saves.
constexpr uint64_t LookFrom = 64 * 1024;
// Output ahead of the caller, for each worker: in memory, and in files.
constexpr uint64_t MemoryPerWorker = 2 << 20;
constexpr uint64_t FilesPerWorker = 8 << 20;

// A moment's pause in a spin.
inline void pause()
{
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#endif
}

} // namespace

FileStamp stampOf(const ArchiveEntry& e, mode_t created)
{
    FileStamp s;
    s.mode = created & 0777;
    const uint32_t unixMode = e.unixMode();
    if (unixMode != 0 && S_ISREG(unixMode))
        s.mode = unixMode & 0777;
    if (e.attributes() & 1)
        s.mode &= ~mode_t(0222);
    const fmt::EntryTimes t = e.times();
    s.modified = t.modified ? *t.modified : int64_t(dt::toTimeT(e.modified()));
    s.accessed = t.accessed ? *t.accessed : s.modified;
    return s;
}

void applyStamp(int fd, const FileStamp& s, bool& modeSet, bool& timeSet)
{
    modeSet = ::fchmod(fd, s.mode) == 0;
    struct timespec ts[2];
    ts[0].tv_sec = s.accessed;
    ts[0].tv_nsec = 0;
    ts[1].tv_sec = s.modified;
    ts[1].tv_nsec = 0;
    timeSet = ::futimens(fd, ts) == 0;
}

int skipReasonOf(const ArchiveEntry& e, const struct stat* target, const SkipRules& rules)
{
    if (!target)
        return rules.whenMissing ? skip::TargetMissing : 0;
    if (S_ISDIR(target->st_mode))
        return skip::FolderInTheWay;
    if (rules.whenExisting)
        return skip::TargetExists;
    if (rules.whenOlder) {
        const std::optional<int64_t> t = e.times().modified;
        const bool older = t ? *t < int64_t(target->st_mtime)
                             : ((uint32_t(e.dosDate) << 16) | e.dosTime) <
                                   fmt::dosFromTimeT(int64_t(target->st_mtime)).packed();
        if (older)
            return skip::OlderThanTarget;
    }
    // Entries carry no version information, so "older version" never applies.
    return 0;
}

struct DecodeAhead::Scratch {
    explicit Scratch(const Settings& s) : near(s.folder, s.keepFolderNames)
    {
        decode.window = ReadWindow(WorkerWindow);
    }
    DecodeScratch decode;
    OutFile out;
    NearestFolder near;
    // The job under way, for the sink and the progress of decodeEntry.
    DecodeAhead* self = nullptr;
    Slot* slot = nullptr;
    uint64_t made = 0;
    size_t marks = 0;
};

bool DecodeAhead::worthIt(const std::vector<const ArchiveEntry*>& jobs, int workers)
{
    if (workers < 2)
        return false;
    size_t n = 0;
    for (const ArchiveEntry* e : jobs)
        if (e && ++n >= 2)
            return true;
    return false;
}

DecodeAhead::DecodeAhead(const ArchiveReader& archive, const std::vector<const ArchiveEntry*>& jobs,
                         std::string password, const Settings& settings)
    : archive_(archive), jobs_(jobs), password_(std::move(password)), settings_(settings)
{
    size_t decodable = 0;
    for (size_t i = 0; i < jobs_.size(); ++i)
        decodable += claimable(i);
    const size_t n = std::min(size_t(std::max(settings_.workers, 1)), decodable);
    const uint64_t perWorker = settings_.output == Output::Memory ? MemoryPerWorker : FilesPerWorker;
    outputBudget_ = perWorker * std::max<size_t>(n, 1);
    slotCount_ = std::min(MaxAhead, AheadPerWorker * std::max<size_t>(n, 1));
    slots_ = std::make_unique<Slot[]>(slotCount_);
    threads_.reserve(n);
    try {
        for (size_t i = 0; i < n; ++i) {
            {
                std::lock_guard<std::mutex> g(m_);
                ++running_;
            }
            try {
                threads_.emplace_back([this] {
                    workerLoop();
                    std::lock_guard<std::mutex> g(m_);
                    --running_;
                    ended_.notify_all();
                });
            } catch (...) {
                std::lock_guard<std::mutex> g(m_);
                --running_;
                throw;
            }
        }
    } catch (...) {
        stopAll();
        throw;
    }
}

DecodeAhead::~DecodeAhead()
{
    stopAll();
}

void DecodeAhead::stopAll()
{
    std::unique_lock<std::mutex> g(m_);
    stop_ = true;
    work_.notify_all();
    ended_.wait(g, [this] { return running_ == 0; });
    g.unlock();
    for (std::thread& t : threads_)
        t.join();
    threads_.clear();
    for (size_t i = 0; i < slotCount_; ++i)
        if (slots_[i].state.load() != State::Idle)
            release(slots_[i]);
}

bool DecodeAhead::claimable(size_t job) const
{
    const ArchiveEntry* e = jobs_[job];
    return e && (settings_.output != Output::Memory || e->size <= settings_.memoryLimit);
}

void DecodeAhead::decline(Slot& slot)
{
    outputAhead_ -= slot.counted;
    slot.counted = 0;
    settle(slot, State::Claimed, State::Declined);
}

void DecodeAhead::release(Slot& slot)
{
    Decoded& d = slot.d;
    outputAhead_ -= slot.counted;
    slot.counted = 0;
    if (d.fd >= 0)
        ::close(d.fd);
    d.fd = -1;
    d.localBad = false;
    d.result = DecodeResult::Ok;
    d.failure = nullptr;
    d.headerFailure = nullptr;
    d.modeNotSet = false;
    d.timeNotSet = false;
    d.marks.clear(); // its room stays for the next job of the slot
    if (d.data.capacity() > (64 << 10))
        std::vector<unsigned char>().swap(d.data);
    d.data.clear();
    slot.marks = 0;
    slot.state = State::Idle;
}

void DecodeAhead::wakeCaller()
{
    if (callerWaits_) {
        std::lock_guard<std::mutex> g(m_);
        done_.notify_all();
    }
}

void DecodeAhead::wakeWorkers()
{
    // One at a time: the one woken wakes the next when there is more to claim.
    if (idle_ > 0 && !woken_.exchange(true)) {
        std::lock_guard<std::mutex> g(m_);
        work_.notify_one();
    }
}

size_t DecodeAhead::room() const
{
    const size_t end = at_ + slotCount_, c = cursor_;
    return end > c ? end - c : 0;
}

std::vector<size_t> DecodeAhead::claimLocked()
{
    std::vector<size_t> batch;
    uint64_t bytes = 0;
    size_t c = cursor_;
    bool full = false;
    while (c < jobs_.size() && batch.size() < Batch && bytes < BatchBytes) {
        if (!claimable(c)) {
            ++c;
            continue;
        }
        Slot& slot = slotOf(c);
        // One job is always let go when no output is ahead, however large.
        const uint64_t output = settings_.output == Output::Nothing ? 0 : jobs_[c]->size;
        full = output > 0 && outputAhead_ > 0 && outputAhead_ + output > outputBudget_;
        if (c >= at_ + slotCount_ || slot.state != State::Idle || full)
            break;
        outputAhead_ += output;
        slot.counted = output;
        bytes += jobs_[c]->compressedSize;
        slot.job.store(c, std::memory_order_relaxed);
        slot.state = State::Claimed;
        batch.push_back(c++);
    }
    cursor_ = c;
    budgetFull_ = full;
    return batch;
}

void DecodeAhead::workerLoop()
{
    Scratch s(settings_);
    std::unique_lock<std::mutex> g(m_);
    for (;;) {
        if (stop_ || cursor_ >= jobs_.size())
            return;
        // Counted as waiting before it looks, so that whoever makes room
        // meanwhile sees it and wakes it.
        ++idle_;
        std::vector<size_t> batch = claimLocked();
        if (batch.empty()) {
            work_.wait(g);
            --idle_;
            woken_ = false;
            continue;
        }
        --idle_;
        woken_ = false;
        if (idle_ > 0 && room() >= Batch) {
            woken_ = true;
            work_.notify_one();
        }
        g.unlock();
        for (size_t job : batch)
            run(job, s);
        g.lock();
    }
}

bool DecodeAhead::settle(Slot& slot, State from, State to)
{
    if (slot.state.compare_exchange_strong(from, to)) {
        wakeCaller();
        return true;
    }
    // The caller has passed it over: it is nobody's any more.
    release(slot);
    wakeWorkers();
    return false;
}

void DecodeAhead::run(size_t job, Scratch& s)
{
    Slot& slot = slotOf(job);
    const ArchiveEntry& e = *jobs_[job];
    Decoded& d = slot.d;
    if (stop_)
        return; // what it holds goes when the workers have stopped
    if (slot.state == State::Abandoned) {
        release(slot);
        wakeWorkers();
        return;
    }
    int folder = -1;
    if (settings_.output != Output::Nothing) {
        // An entry the caller will skip, or cannot place, is left to it.
        folder = s.near.of(e.name());
        const SkipRules& rules = settings_.rules;
        const bool look = rules.whenExisting || rules.whenMissing || rules.whenOlder || e.size >= LookFrom;
        struct stat st {};
        if (folder < 0 || (look && skipReasonOf(e, s.near.target(st) ? &st : nullptr, rules) != 0)) {
            decline(slot);
            return;
        }
    }
    LocalHeader h;
    try {
        h = archive_.readLocal(e, &s.decode.window);
    } catch (const FormatError&) {
        d.localBad = true;
        settle(slot, State::Claimed, State::Done);
        return;
    } catch (...) {
        d.headerFailure = std::current_exception();
        settle(slot, State::Claimed, State::Done);
        return;
    }
    int fd = -1;
    if (settings_.output == Output::UnnamedFile) {
        fd = ::openat(folder, ".", O_TMPFILE | O_RDWR | O_CLOEXEC, 0666);
        if (fd < 0) {
            // The caller makes this one itself, as it would without workers.
            decline(slot);
            return;
        }
        s.out.attach(fd, "", nullptr);
    }
    // Room for every mark: one for each chunk read.
    d.marks.resize(size_t(e.compressedSize / DecodeChunk) + 2);
    if (settings_.output == Output::Memory)
        d.data.reserve(size_t(e.size));
    if (!settle(slot, State::Claimed, State::Started)) {
        s.out.close();
        return;
    }
    s.self = this;
    s.slot = &slot;
    s.made = 0;
    s.marks = 0;
    // Each captures one pointer, so that no job allocates for them.
    Scratch* const js = &s;
    ByteSink sink;
    if (settings_.output == Output::Memory)
        sink = [js](const unsigned char* p, size_t n) {
            js->slot->d.data.insert(js->slot->d.data.end(), p, p + n);
            js->made += n;
        };
    else if (fd >= 0)
        sink = [js](const unsigned char* p, size_t n) {
            js->out.write(p, n);
            js->made += n;
        };
    else
        sink = [js](const unsigned char*, size_t n) { js->made += n; };
    const std::function<void(uint64_t)> progress = [js](uint64_t in) { js->self->marked(*js, in); };
    try {
        d.result = decodeEntry(archive_, e, h, password_, sink, progress, s.decode);
        if (fd >= 0 && d.result == DecodeResult::Ok) {
            s.out.flush();
            struct stat st {};
            ::fstat(fd, &st);
            bool modeSet = true, timeSet = true;
            applyStamp(fd, stampOf(e, st.st_mode), modeSet, timeSet);
            d.modeNotSet = !modeSet;
            d.timeNotSet = !timeSet;
            d.fd = s.out.release();
        }
    } catch (const Cancelled&) {
    } catch (...) {
        d.failure = std::current_exception();
    }
    s.out.close();
    settle(slot, State::Started, State::Done);
}

void DecodeAhead::marked(Scratch& s, uint64_t in)
{
    Slot& slot = *s.slot;
    if (s.marks < slot.d.marks.size()) {
        slot.d.marks[s.marks++] = {in, s.made};
        slot.marks = s.marks;
        wakeCaller();
    }
    if (stop_ || slot.state.load(std::memory_order_relaxed) == State::Abandoned)
        throw Cancelled{};
}

DecodeAhead::Slot* DecodeAhead::slotOf(const Decoded& d)
{
    for (size_t i = 0; i < slotCount_; ++i)
        if (&slots_[i].d == &d)
            return &slots_[i];
    return nullptr;
}

void DecodeAhead::waitFor(const std::function<bool()>& ready, const std::function<void()>& tick)
{
    // Workers hand small jobs over within microseconds: a short spin spares
    // both sides a sleep and a wake-up.
    for (int i = 0; i < SpinRounds; ++i) {
        if (ready())
            return;
        pause();
    }
    {
        std::unique_lock<std::mutex> g(m_);
        callerWaits_ = true;
        if (idle_ > 0)
            work_.notify_all();
        if (!ready())
            done_.wait_for(g, TickEvery);
        callerWaits_ = false;
    }
    if (tick)
        tick();
}

const Decoded* DecodeAhead::take(size_t i, const std::function<void()>& tick)
{
    // The jobs passed over are done with: what they hold goes, and their
    // places go to the jobs ahead.
    bool freed = false;
    const size_t claimed = cursor_;
    for (size_t k = at_; k < i && k < claimed; ++k) {
        Slot& slot = slotOf(k);
        if (!claimable(k) || slot.job.load(std::memory_order_relaxed) != k)
            continue;
        State st = slot.state;
        for (;;) {
            if (st == State::Done || st == State::Declined) {
                release(slot);
                freed = true;
                break;
            }
            if (st != State::Claimed && st != State::Started)
                break;
            if (slot.state.compare_exchange_weak(st, State::Abandoned))
                break;
        }
    }
    at_ = std::max(at_.load(), i);
    if (room() >= Batch || (freed && budgetFull_))
        wakeWorkers();
    if (!claimable(i))
        return nullptr;
    if (i >= cursor_) {
        std::lock_guard<std::mutex> g(m_);
        if (i >= cursor_) {
            // No worker got to it: the caller decodes it, the workers go on after it.
            cursor_ = i + 1;
            return nullptr;
        }
    }
    Slot& slot = slotOf(i);
    if (jobs_[i]->compressedSize <= StealBelow) {
        // A small job is waited for only briefly: when its worker is slow
        // (it may not even run), the caller decodes it sooner itself.
        for (int k = 0; k < SpinRounds; ++k) {
            const State st = slot.state;
            if (st == State::Done)
                return &slot.d;
            if (st == State::Declined)
                return nullptr;
            pause();
        }
        State st = slot.state;
        while ((st == State::Claimed || st == State::Started) &&
               !slot.state.compare_exchange_weak(st, State::Abandoned)) {
        }
        if (st == State::Claimed || st == State::Started)
            return nullptr; // abandoned to the caller
        return st == State::Done ? &slot.d : nullptr;
    }
    while (slot.state == State::Claimed)
        waitFor([&] { return slot.state != State::Claimed; }, tick);
    if (slot.state == State::Declined)
        return nullptr;
    return &slot.d;
}

void DecodeAhead::follow(const Decoded& d, const std::function<void(const Decoded::Mark&)>& mark,
                         const std::function<void()>& tick)
{
    Slot* s = slotOf(d);
    if (!s)
        return;
    if (settings_.output == Output::Memory)
        while (s->state != State::Done)
            waitFor([&] { return s->state == State::Done; }, tick);
    size_t seen = 0;
    for (;;) {
        const size_t published = s->marks;
        while (seen < published)
            mark(d.marks[seen++]);
        if (s->state == State::Done && s->marks == seen)
            return;
        waitFor([&] { return s->marks != seen || s->state == State::Done; }, tick);
    }
}

} // namespace qm::zip
