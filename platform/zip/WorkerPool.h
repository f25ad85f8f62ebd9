#pragma once
// The worker threads of one zip control. They are started when a method
// first needs them and kept, idle, until the control goes: a run of many
// small operations does not start threads for each. Internal to the control.
//
//     WorkerPool::Crew crew = pool.run(4, [&](int i) { ... });
//     ...
//     crew.join(); // (or the crew's destructor) waits for the four jobs
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace qm::zip {

class WorkerPool {
public:
    WorkerPool();
    // Waits for the jobs at work and stops every thread.
    ~WorkerPool();
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    // The jobs of one run: join() waits until each has returned.
    class Crew {
    public:
        Crew() = default;
        Crew(Crew&&) noexcept = default;
        Crew& operator=(Crew&& other) noexcept;
        ~Crew() { join(); }
        void join();

    private:
        friend class WorkerPool;
        struct Count;
        std::shared_ptr<Count> count_;
    };

    // Runs `job(0)` .. `job(n - 1)`, each on a thread of its own at the same
    // time (threads are started when too few are idle). A job that throws
    // ends the program, as an exception leaving a thread does.
    [[nodiscard]] Crew run(int n, std::function<void(int)> job);

    // Threads started since the pool was made.
    int64_t threadsStarted() const;

private:
    struct Task {
        std::shared_ptr<const std::function<void(int)>> job;
        int index;
        std::shared_ptr<Crew::Count> count;
    };
    void loop();

    mutable std::mutex m_;
    std::condition_variable wake_;
    std::deque<Task> queue_;
    size_t idle_ = 0;
    bool stop_ = false;
    std::vector<std::thread> threads_;
};

} // namespace qm::zip
