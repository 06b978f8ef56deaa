#include "ordered_work.h"

#include <algorithm>

namespace lha::detail {

OrderedWork::OrderedWork(unsigned workers, std::size_t maxQueued)
    : workers_(std::max(1u, workers)), maxQueued_(std::max<std::size_t>(1, maxQueued)) {}

unsigned OrderedWork::workersFor(unsigned requested) {
    if (requested) return requested;
    return std::max(1u, std::thread::hardware_concurrency());
}

OrderedWork::~OrderedWork() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    taskReady_.notify_all();
}

void OrderedWork::submit(Work work, Collect collect) {
    if (workers_ == 1) {
        work(0);
        collect();
        return;
    }
    if (threads_.empty()) {
        for (unsigned k = 0; k < workers_; ++k) threads_.emplace_back([this, k] { workLoop(k); });
    }
    {
        std::lock_guard lock(mutex_);
        tasks_.push_back(std::make_unique<Task>(Task{std::move(work), std::move(collect), nullptr, false}));
    }
    taskReady_.notify_one();
    drain(maxQueued_);
}

void OrderedWork::workLoop(unsigned worker) {
    for (;;) {
        Task* task;
        {
            std::unique_lock lock(mutex_);
            taskReady_.wait(lock, [&] { return stopping_ || taken_ < tasks_.size(); });
            if (stopping_) return;
            task = tasks_[taken_++].get();
        }
        try {
            task->work(worker);
        } catch (...) {
            task->error = std::current_exception();
        }
        {
            std::lock_guard lock(mutex_);
            task->done = true;
        }
        taskDone_.notify_all();
    }
}

// Collects finished tasks from the front, waiting for them while more than
// `maxPending` remain.
void OrderedWork::drain(std::size_t maxPending) {
    for (;;) {
        std::unique_ptr<Task> task;
        {
            std::unique_lock lock(mutex_);
            if (tasks_.size() <= maxPending && (tasks_.empty() || !tasks_.front()->done)) return;
            taskDone_.wait(lock, [&] { return tasks_.front()->done; });
            task = std::move(tasks_.front());
            tasks_.pop_front();
            --taken_;
        }
        if (task->error) std::rethrow_exception(task->error);
        task->collect();
    }
}

}  // namespace lha::detail
