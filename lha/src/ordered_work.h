#pragma once
// Worker threads whose results are taken back on the calling thread in the
// order the work was handed in: streams and archives are written strictly in
// order while the costly coding runs in parallel.
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace lha::detail {

class OrderedWork {
public:
    using Work = std::function<void(unsigned worker)>;  // runs on worker `worker`
    using Collect = std::function<void()>;              // runs on the caller's thread

    // With one worker everything runs on the caller's thread. Threads start
    // at the first submit().
    OrderedWork(unsigned workers, std::size_t maxQueued);
    // Stops the workers; what was not collected is dropped.
    ~OrderedWork();
    OrderedWork(const OrderedWork&) = delete;
    OrderedWork& operator=(const OrderedWork&) = delete;

    // `requested` workers, or one per hardware thread when it is 0.
    static unsigned workersFor(unsigned requested);

    bool started() const { return !threads_.empty(); }

    // Queues `work`; its `collect` runs once it and every earlier task are
    // done, from this call or a later one. Waits while `maxQueued` tasks are
    // pending, which bounds memory however fast work comes in. An exception
    // from a task is thrown instead of its collect.
    void submit(Work work, Collect collect);
    // Collects every pending task.
    void finish() { drain(0); }

private:
    struct Task {
        Work work;
        Collect collect;
        std::exception_ptr error;
        bool done = false;
    };

    void workLoop(unsigned worker);
    void drain(std::size_t maxPending);

    unsigned workers_;
    std::size_t maxQueued_;
    std::mutex mutex_;
    std::condition_variable taskReady_, taskDone_;
    std::deque<std::unique_ptr<Task>> tasks_;  // in order; the first `taken_` are with workers
    std::size_t taken_ = 0;
    bool stopping_ = false;
    std::vector<std::jthread> threads_;  // last member: joined before the queue goes
};

// One T per worker, made on first use by that worker's own thread, so each
// keeps its tables and buffers from task to task.
template <typename T>
class PerWorker {
public:
    PerWorker(unsigned workers, std::function<std::unique_ptr<T>()> make) : make_(std::move(make)), byWorker_(workers) {}

    // Called only from worker `worker`'s own thread.
    T& of(unsigned worker) {
        auto& item = byWorker_[worker];
        if (!item) item = make_();
        return *item;
    }

private:
    std::function<std::unique_ptr<T>()> make_;
    std::vector<std::unique_ptr<T>> byWorker_;
};

}  // namespace lha::detail
