#include "ui/common/ui_thread.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QObject>
#include <QThread>
#include <atomic>
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

// Work for the UI thread waits in these queues, guarded by one mutex: a shutting-down UI
// thread can refuse the hand-overs instead of leaving their workers blocked, and everything a
// worker hands over is run and destroyed on the UI thread.
struct Queues {
    std::mutex mutex;
    std::condition_variable finished;
    std::deque<std::shared_ptr<HandOver>> handOvers;
    std::deque<std::function<void()>> posted;
    bool shutDown = false;
};

Queues& TheQueues() {
    static Queues queues;
    return queues;
}

void RunHandOvers() {
    Queues& q = TheQueues();
    while (true) {
        std::shared_ptr<HandOver> next;
        {
            std::lock_guard lock(q.mutex);
            if (q.handOvers.empty()) {
                return;
            }
            next = q.handOvers.front();
            q.handOvers.pop_front();
        }
        next->fn();
        std::lock_guard lock(q.mutex);
        next->done = true;
        next->ran = true;
        q.finished.notify_all();
    }
}

void RunPosted() {
    Queues& q = TheQueues();
    while (true) {
        std::function<void()> next;
        {
            std::lock_guard lock(q.mutex);
            if (q.posted.empty()) {
                return;
            }
            next = std::move(q.posted.front());
            q.posted.pop_front();
        }
        next();
    }
}

// Lives on the UI thread and drains the queues when asked. Asked by name, so a request
// carries no functor that a worker would have to destroy.
class Dispatcher : public QObject {
    Q_OBJECT
public:
    Q_INVOKABLE void Drain() {
        RunHandOvers();
        RunPosted();
    }
};

// Made on the UI thread while the application object is built (Qt runs start-up functions
// from QCoreApplication's constructor, or at once if it exists): a dispatcher first made by a
// worker would be an object handed to the UI thread through Qt's event queue, whose locks the
// thread checker cannot see.
std::atomic<Dispatcher*> theDispatcher{nullptr};

void MakeDispatcher() {
    if (!theDispatcher.load()) {
        theDispatcher.store(new Dispatcher);
    }
}
Q_COREAPP_STARTUP_FUNCTION(MakeDispatcher)

void Wake() {
    QMetaObject::invokeMethod(theDispatcher.load(), "Drain", Qt::QueuedConnection);
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
    Queues& q = TheQueues();
    auto handOver = std::make_shared<HandOver>();
    handOver->fn = fn;
    {
        std::lock_guard lock(q.mutex);
        if (q.shutDown) {
            return false;
        }
        q.handOvers.push_back(handOver);
    }
    Wake();
    std::unique_lock lock(q.mutex);
    q.finished.wait(lock, [&] { return handOver->done; });
    return handOver->ran;
}

void PostToUiThread(std::function<void()> fn) {
    auto* app = QCoreApplication::instance();
    if (!app) {
        fn();
        return;
    }
    {
        std::lock_guard lock(TheQueues().mutex);
        TheQueues().posted.push_back(std::move(fn));
    }
    Wake();
}

bool UiThreadWorkWaiting() {
    Queues& q = TheQueues();
    std::lock_guard lock(q.mutex);
    return !q.handOvers.empty() || !q.posted.empty();
}

void ShutDownHandOver() {
    Queues& q = TheQueues();
    std::lock_guard lock(q.mutex);
    q.shutDown = true;
    for (const auto& handOver : q.handOvers) {
        handOver->done = true;
    }
    q.handOvers.clear();
    q.finished.notify_all();
}

void ResumeHandOver() {
    Queues& q = TheQueues();
    std::lock_guard lock(q.mutex);
    q.shutDown = false;
}

}  // namespace ft::ui

#include "ui_thread.moc"
