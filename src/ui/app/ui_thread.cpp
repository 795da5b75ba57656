#include "ui/app/ui_thread.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>

namespace ft::ui {

bool OnUiThread() {
    auto* app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

void RunOnUiThread(const std::function<void()>& fn) {
    auto* app = QCoreApplication::instance();
    if (!app || OnUiThread()) {
        fn();
        return;
    }
    QMetaObject::invokeMethod(app, fn, Qt::BlockingQueuedConnection);
}

void PostToUiThread(std::function<void()> fn) {
    auto* app = QCoreApplication::instance();
    if (!app) {
        fn();
        return;
    }
    QMetaObject::invokeMethod(app, std::move(fn), Qt::QueuedConnection);
}

}  // namespace ft::ui
