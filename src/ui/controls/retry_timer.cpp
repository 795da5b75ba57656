#include "ui/controls/retry_timer.h"

#include <QTimer>

namespace ft::ui {

void RetryEvery(QObject* owner, int intervalMs, int tries, std::function<bool()> attempt) {
    auto* timer = new QTimer(owner);
    auto left = std::make_shared<int>(tries);
    QObject::connect(timer, &QTimer::timeout, owner, [timer, left, attempt = std::move(attempt)] {
        if (attempt() || --*left <= 0) {
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start(intervalMs);
}

}  // namespace ft::ui
