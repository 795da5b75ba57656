// Hand-over to the UI thread: workers never touch a widget themselves.
#pragma once

#include <functional>

namespace ft::ui {

bool OnUiThread();
// Runs `fn` on the UI thread and waits for it (runs it at once when already there). Never
// call it while holding a lock the UI thread may wait for.
void RunOnUiThread(const std::function<void()>& fn);
// Queues `fn` for the UI thread and returns at once.
void PostToUiThread(std::function<void()> fn);

}  // namespace ft::ui
