#include "platform/zip/WorkerPool.h"

#include <exception>

namespace qm::zip {

struct WorkerPool::Crew::Count {
    std::mutex m;
    std::condition_variable done;
    int left = 0;
};

WorkerPool::Crew& WorkerPool::Crew::operator=(Crew&& other) noexcept
{
    if (this != &other) {
        join();
        count_ = std::move(other.count_);
    }
    return *this;
}

void WorkerPool::Crew::join()
{
    if (!count_)
        return;
    std::unique_lock<std::mutex> lk(count_->m);
    count_->done.wait(lk, [this] { return count_->left == 0; });
    lk.unlock();
    count_.reset();
}

WorkerPool::WorkerPool() = default;

WorkerPool::~WorkerPool()
{
    {
        std::lock_guard<std::mutex> g(m_);
        stop_ = true;
    }
    wake_.notify_all();
    for (std::thread& t : threads_)
        t.join();
}

WorkerPool::Crew WorkerPool::run(int n, std::function<void(int)> job)
{
    Crew crew;
    if (n <= 0)
        return crew;
    auto shared = std::make_shared<const std::function<void(int)>>(std::move(job));
    std::lock_guard<std::mutex> g(m_);
    // Every job runs at once: each waiting job has an idle thread of its
    // own. Threads come first, so that a thread that cannot be started
    // leaves nothing queued.
    while (idle_ < queue_.size() + size_t(n)) {
        threads_.emplace_back([this] { loop(); });
        ++idle_; // idle from its start, so that it is not started twice
    }
    crew.count_ = std::make_shared<Crew::Count>();
    crew.count_->left = n;
    for (int i = 0; i < n; ++i)
        queue_.push_back({shared, i, crew.count_});
    wake_.notify_all();
    return crew;
}

int64_t WorkerPool::threadsStarted() const
{
    std::lock_guard<std::mutex> g(m_);
    return int64_t(threads_.size());
}

void WorkerPool::loop()
{
    std::unique_lock<std::mutex> lk(m_);
    for (;;) {
        wake_.wait(lk, [this] { return stop_ || !queue_.empty(); });
        if (queue_.empty())
            return; // stopping, nothing left to do
        Task t = std::move(queue_.front());
        queue_.pop_front();
        --idle_;
        lk.unlock();
        try {
            (*t.job)(t.index);
        } catch (...) {
            std::terminate();
        }
        t.job.reset();
        lk.lock();
        // Idle again before its crew hears of it: a run that follows finds
        // this thread free.
        ++idle_;
        {
            std::lock_guard<std::mutex> g(t.count->m);
            if (--t.count->left == 0)
                t.count->done.notify_all();
        }
        t.count.reset();
    }
}

} // namespace qm::zip
