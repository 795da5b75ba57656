// Hand-over to the UI thread: workers never touch a widget themselves.
#pragma once

#include <functional>

namespace ft::ui {

bool OnUiThread();
// The one blocking hand-over: runs `fn` on the UI thread and waits for it (runs it at once
// when already there). Returns false, without running it, once the UI has shut down, so a
// worker never waits for a UI thread that waits for the workers. Never call it while holding
// a lock the UI thread may wait for.
bool RunOnUiThread(const std::function<void()>& fn);
// Queues `fn` for the UI thread and returns at once.
void PostToUiThread(std::function<void()> fn);
// True while work handed or posted to the UI thread has not run yet.
bool UiThreadWorkWaiting();
// From now on RunOnUiThread refuses (and hand-overs already waiting are refused); called on
// the UI thread when the windows are gone, before waiting for the workers.
void ShutDownHandOver();
// Accepts hand-overs again (after the workers have been waited for).
void ResumeHandOver();

}  // namespace ft::ui
