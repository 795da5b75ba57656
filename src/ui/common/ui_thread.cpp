#include "ui/common/ui_thread.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>

namespace ft::ui {
namespace {

struct HandOver {
    std::function<void()> fn;
    bool done = false;
    bool ran = false;
};

// Hand-overs wait in this queue rather than in a blocking queued call, so that a shutting-down
// UI thread can refuse them instead of leaving their workers blocked.
struct HandOverQueue {
    std::mutex mutex;
    std::condition_variable finished;
    std::deque<std::shared_ptr<HandOver>> pending;
    bool shutDown = false;
};

HandOverQueue& Queue() {
    static HandOverQueue queue;
    return queue;
}

void RunPending() {
    HandOverQueue& queue = Queue();
    while (true) {
        std::shared_ptr<HandOver> next;
        {
            std::lock_guard lock(queue.mutex);
            if (queue.pending.empty()) {
                return;
            }
            next = queue.pending.front();
            queue.pending.pop_front();
        }
        next->fn();
        std::lock_guard lock(queue.mutex);
        next->done = true;
        next->ran = true;
        queue.finished.notify_all();
    }
}

}  // namespace

bool OnUiThread() {
    auto* app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

bool RunOnUiThread(const std::function<void()>& fn) {
    auto* app = QCoreApplication::instance();
    if (!app || OnUiThread()) {
        fn();
        return true;
    }
    HandOverQueue& queue = Queue();
    auto handOver = std::make_shared<HandOver>();
    handOver->fn = fn;
    {
        std::lock_guard lock(queue.mutex);
        if (queue.shutDown) {
            return false;
        }
        queue.pending.push_back(handOver);
    }
    QMetaObject::invokeMethod(app, &RunPending, Qt::QueuedConnection);
    std::unique_lock lock(queue.mutex);
    queue.finished.wait(lock, [&] { return handOver->done; });
    return handOver->ran;
}

void PostToUiThread(std::function<void()> fn) {
    auto* app = QCoreApplication::instance();
    if (!app) {
        fn();
        return;
    }
    QMetaObject::invokeMethod(app, std::move(fn), Qt::QueuedConnection);
}

void ShutDownHandOver() {
    HandOverQueue& queue = Queue();
    std::lock_guard lock(queue.mutex);
    queue.shutDown = true;
    for (const auto& handOver : queue.pending) {
        handOver->done = true;
    }
    queue.pending.clear();
    queue.finished.notify_all();
}

void ResumeHandOver() {
    HandOverQueue& queue = Queue();
    std::lock_guard lock(queue.mutex);
    queue.shutDown = false;
}

}  // namespace ft::ui
