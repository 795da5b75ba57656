// Short jobs (one request, one load) each on a thread of its own, counted by the group that
// started them, so whoever owns the data the jobs use can wait for them before it goes away.
// No Qt here; the widgets' way of running work aside builds on it.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>

namespace ft {

class JobGroup {
public:
    JobGroup();
    // Waits for the jobs under way (their own time-outs bound the wait).
    ~JobGroup();
    JobGroup(const JobGroup&) = delete;
    JobGroup& operator=(const JobGroup&) = delete;

    // Starts `job` on a new thread and returns at once.
    void Run(std::function<void()> job);
    // Blocks until no job of the group runs.
    void WaitIdle();
    // Waits at most `ms` milliseconds; true when the group is idle.
    bool WaitIdleFor(int ms);
    std::size_t Running() const;

private:
    // Shared with the threads, so a finishing job never touches a group that is gone.
    struct State {
        mutable std::mutex mutex;
        std::condition_variable idle;
        std::size_t running = 0;
    };
    std::shared_ptr<State> state_;
};

}  // namespace ft
