#include "ui/controls/retry_timer.h"

#include <QTimer>

#include <algorithm>

namespace ft::ui {
namespace {

// The name that tells a retry's timer from the owner's other children.
constexpr auto kRetryTimerName = QLatin1StringView("ft-retry");

}  // namespace

void RetryEvery(QObject* owner, int intervalMs, int tries, std::function<bool()> attempt,
                std::function<void()> gaveUp) {
    auto* timer = new QTimer(owner);
    timer->setObjectName(kRetryTimerName);
    auto left = std::make_shared<int>(tries);
    QObject::connect(timer, &QTimer::timeout, owner,
                     [timer, left, attempt = std::move(attempt), gaveUp = std::move(gaveUp)] {
                         const bool done = attempt();
                         if (!done && --*left > 0) {
                             return;
                         }
                         timer->stop();
                         timer->deleteLater();
                         if (!done && gaveUp) {
                             gaveUp();
                         }
                     });
    timer->start(intervalMs);
}

bool Retrying(const QObject& owner) {
    const QList<QTimer*> timers =
        owner.findChildren<QTimer*>(kRetryTimerName, Qt::FindDirectChildrenOnly);
    return std::any_of(timers.begin(), timers.end(),
                       [](const QTimer* timer) { return timer->isActive(); });
}

}  // namespace ft::ui
