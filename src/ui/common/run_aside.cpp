#include "ui/common/run_aside.h"

#include <QVariant>

namespace ft::ui {
namespace {

constexpr const char* kWaitingCount = "ftWaitingCount";

}  // namespace

JobGroup& AsideJobs() {
    static JobGroup* jobs = new JobGroup;  // never destroyed: FinishAsideWork waits instead
    return *jobs;
}

WaitingLook::WaitingLook(QWidget* window) : window_(window) {
    if (!window_) {
        return;
    }
    const int count = window_->property(kWaitingCount).toInt();
    window_->setProperty(kWaitingCount, count + 1);
    if (count == 0) {
        window_->setCursor(Qt::BusyCursor);
    }
}

WaitingLook::~WaitingLook() {
    if (!window_) {
        return;
    }
    const int count = window_->property(kWaitingCount).toInt() - 1;
    window_->setProperty(kWaitingCount, count);
    if (count <= 0) {
        window_->unsetCursor();
    }
}

void FinishAsideWork() {
    ShutDownHandOver();
    AsideJobs().WaitIdle();
    ResumeHandOver();
}

}  // namespace ft::ui
