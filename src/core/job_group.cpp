#include "core/job_group.h"

#include <chrono>
#include <thread>

namespace ft {

JobGroup::JobGroup() : state_(std::make_shared<State>()) {}

JobGroup::~JobGroup() {
    WaitIdle();
}

void JobGroup::Run(std::function<void()> job) {
    {
        std::lock_guard lock(state_->mutex);
        ++state_->running;
    }
    std::thread([state = state_, job = std::move(job)] {
        job();
        std::lock_guard lock(state->mutex);
        --state->running;
        state->idle.notify_all();
    }).detach();
}

void JobGroup::WaitIdle() {
    std::unique_lock lock(state_->mutex);
    state_->idle.wait(lock, [this] { return state_->running == 0; });
}

bool JobGroup::WaitIdleFor(int ms) {
    std::unique_lock lock(state_->mutex);
    return state_->idle.wait_for(lock, std::chrono::milliseconds(ms),
                                 [this] { return state_->running == 0; });
}

std::size_t JobGroup::Running() const {
    std::lock_guard lock(state_->mutex);
    return state_->running;
}

}  // namespace ft
