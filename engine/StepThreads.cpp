#include "StepThreads.h"

#include <algorithm>
#include <system_error>
#include <unistd.h>

namespace ombrix::detail {

TStepThreads::~TStepThreads() {
    {
        std::lock_guard lock(Lock_);
        Stop_ = true;
    }
    Wake_.notify_all();
    for (std::thread& thread : Threads_)
        thread.join();
}

void TStepThreads::Serve(int worker) {
    std::uint64_t seen = 0;
    std::unique_lock lock(Lock_);
    for (;;) {
        Wake_.wait(lock, [&] { return Stop_ || Round_ != seen; });
        if (Stop_)
            return;
        seen = Round_;
        if (worker >= Workers_)
            continue; // not wanted this round
        const std::function<void(int)>& task = *Task_;
        lock.unlock();
        task(worker);
        lock.lock();
        if (--Busy_ == 0)
            Finished_.notify_one();
    }
}

void TStepThreads::Run(int workers, const std::function<void(int)>& task) {
    std::lock_guard running(Running_);
    std::unique_lock lock(Lock_);
    while (static_cast<int>(Threads_.size()) + 1 < workers) {
        try {
            Threads_.emplace_back(&TStepThreads::Serve, this,
                                  static_cast<int>(Threads_.size()) + 1);
        } catch (const std::system_error&) {
            break;
        }
    }
    Workers_ = std::min(workers, static_cast<int>(Threads_.size()) + 1);
    Busy_ = Workers_ - 1;
    Task_ = &task;
    ++Round_;
    // Read under the lock: once it is released the workers count Busy_ down.
    const bool helped = Busy_ > 0;
    lock.unlock();
    if (helped)
        Wake_.notify_all();
    task(0);
    lock.lock();
    Finished_.wait(lock, [&] { return Busy_ == 0; });
    Task_ = nullptr;
}

TStepThreads& TStepThreads::Shared() {
    // Never destroyed: its threads wait to the end of the process. A child made by fork
    // has the pool's memory but none of its threads, and starts a pool of its own.
    static std::mutex making;
    static TStepThreads* pool = nullptr;
    static pid_t owner = 0;
    std::lock_guard lock(making);
    if (pool == nullptr || owner != ::getpid()) {
        pool = new TStepThreads;
        owner = ::getpid();
    }
    return *pool;
}

} // namespace ombrix::detail
