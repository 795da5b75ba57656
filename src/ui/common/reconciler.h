// After a request of unknown outcome the terminal asks the back-end again until it answers,
// then re-reads what the request may have changed and says what it found. The probes run aside
// one at a time with a pause on a timer between them: the window never waits.
#pragma once

#include <QObject>
#include <QTimer>
#include <functional>

namespace ft::ui {

class Reconciler : public QObject {
    Q_OBJECT
public:
    static constexpr int kRetryMs = 1000;

    explicit Reconciler(QObject* owner);

    // `probe` runs on a worker: true once the back-end answered and the affected tables are
    // read again. `found` then runs on the UI thread. A running reconciliation is replaced.
    void Start(std::function<bool()> probe, std::function<void()> found);
    bool Running() const { return running_; }

private:
    void Probe();

    std::function<bool()> probe_;
    std::function<void()> found_;
    QTimer pause_;
    bool running_ = false;
    int generation_ = 0;  // answers of a replaced reconciliation are dropped
};

}  // namespace ft::ui
