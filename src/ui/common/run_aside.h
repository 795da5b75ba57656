// The one way widgets get work done off the UI thread: the work runs on a worker, and its
// result is handed to `done` on the UI thread, unless the owner object is gone by then, in
// which case the result is dropped. Nothing waits on the UI thread: no nested event loop, no
// join. Work that needs the window (a message box, a control's text) asks through
// RunOnUiThread.
#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>
#include <type_traits>
#include <utility>

#include "core/job_group.h"
#include "ui/common/ui_thread.h"

namespace ft::ui {

// The workers of every RunAside.
JobGroup& AsideJobs();

// While a request the trader waits for is out, its window shows the busy cursor and still takes
// input. Counted, so overlapping requests on one window end the busy look only when all are done.
class WaitingLook {
public:
    explicit WaitingLook(QWidget* window);
    ~WaitingLook();
    WaitingLook(const WaitingLook&) = delete;
    WaitingLook& operator=(const WaitingLook&) = delete;

private:
    QPointer<QWidget> window_;
};

// Runs `work()` on a worker and then `done(result)` on the UI thread while `owner` exists.
// `waiting`, when given, is the window that shows it waits until `done` has run (or would
// have). Call on the UI thread. `work` must not touch widgets.
template <typename Work, typename Done>
void RunAside(QObject* owner, Work work, Done done, QWidget* waiting = nullptr) {
    using Result = std::invoke_result_t<Work&>;
    QPointer<QObject> guard(owner);
    auto look = std::make_shared<WaitingLook>(waiting);
    auto finish = std::make_shared<Done>(std::move(done));
    // Everything that touches the UI is moved on to the UI thread, so its last reference is
    // never dropped on the worker.
    AsideJobs().Run([guard = std::move(guard), look = std::move(look), finish = std::move(finish),
                     work = std::move(work)]() mutable {
        if constexpr (std::is_void_v<Result>) {
            work();
            PostToUiThread([guard = std::move(guard), look = std::move(look),
                            finish = std::move(finish)]() mutable {
                if (guard) {
                    (*finish)();
                }
                finish.reset();
                look.reset();
            });
        } else {
            auto result = std::make_shared<Result>(work());
            PostToUiThread([guard = std::move(guard), look = std::move(look),
                            finish = std::move(finish), result]() mutable {
                if (guard) {
                    (*finish)(std::move(*result));
                }
                finish.reset();
                look.reset();
            });
        }
    });
}

// At the end of the program, or of a test: refuses the hand-overs of workers still running,
// waits for them, then accepts hand-overs again. Call on the UI thread with the windows gone.
void FinishAsideWork();

}  // namespace ft::ui
