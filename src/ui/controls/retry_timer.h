// Asking again later without waiting: for a step that must wait for something another window
// fills in (an order panel's price) while the window keeps running.
#pragma once

#include <QObject>
#include <functional>

namespace ft::ui {

// Calls `attempt` on the UI thread every `intervalMs` until it returns true, at most `tries`
// times, then `gaveUp` if no attempt succeeded; nothing more happens once `owner` is gone.
void RetryEvery(QObject* owner, int intervalMs, int tries, std::function<bool()> attempt,
                std::function<void()> gaveUp = {});
// Whether an attempt of `owner` is still to be made (for tests).
bool Retrying(const QObject& owner);

}  // namespace ft::ui
