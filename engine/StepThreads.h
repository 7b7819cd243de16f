// The threads that step a field's bands of columns: started once, when a step first
// needs them, and kept for the rest of the run, so that a generation costs two
// wake-ups instead of starting and joining threads.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace ombrix::detail {

class TStepThreads {
public:
    TStepThreads() = default;
    ~TStepThreads();
    TStepThreads(const TStepThreads&) = delete;
    TStepThreads& operator=(const TStepThreads&) = delete;

    /// Calls task(0) on the calling thread and task(1) .. task(workers - 1) on threads
    /// of the pool at once, and returns when all have returned. A thread that cannot be
    /// started leaves its call out, so a task must share its work with the others
    /// (tasks that take bands in turn do). One run at a time: a second caller waits.
    /// The task must not throw.
    void Run(int workers, const std::function<void(int)>& task);

    /// The pool of this process (a child made by fork starts a new one).
    static TStepThreads& Shared();

private:
    void Serve(int worker);

    std::mutex Running_; // held through a whole Run
    std::mutex Lock_;    // guards the fields below
    std::condition_variable Wake_;
    std::condition_variable Finished_;
    std::vector<std::thread> Threads_; // thread k runs task(k + 1)
    const std::function<void(int)>* Task_ = nullptr;
    int Workers_ = 0;
    int Busy_ = 0;
    std::uint64_t Round_ = 0;
    bool Stop_ = false;
};

} // namespace ombrix::detail
