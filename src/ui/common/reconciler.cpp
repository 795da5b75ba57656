#include "ui/common/reconciler.h"

#include "ui/common/run_aside.h"

namespace ft::ui {

Reconciler::Reconciler(QObject* owner) : QObject(owner) {
    pause_.setSingleShot(true);
    connect(&pause_, &QTimer::timeout, this, &Reconciler::Probe);
}

void Reconciler::Start(std::function<bool()> probe, std::function<void()> found) {
    probe_ = std::move(probe);
    found_ = std::move(found);
    running_ = true;
    ++generation_;
    pause_.start(kRetryMs);
}

void Reconciler::Probe() {
    const int generation = generation_;
    RunAside(this, probe_, [this, generation](bool answered) {
        if (generation != generation_ || !running_) {
            return;
        }
        if (!answered) {
            pause_.start(kRetryMs);
            return;
        }
        running_ = false;
        if (found_) {
            found_();
        }
    });
}

}  // namespace ft::ui
