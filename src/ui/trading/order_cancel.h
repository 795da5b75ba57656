// The cancellations the two order panels share: the question, the request aside (the window
// keeps taking input), and what its answer calls for.
#pragma once

#include <string>

#include "ui/pane/pane_view.h"

namespace ft::ui {

class Reconciler;

class OrderCanceller {
public:
    // `panel` owns the canceller: answers arriving after it is gone are dropped.
    OrderCanceller(QWidget* panel, const PaneContext& context);

    // Asks about one order ("撤单:..."), and after OK sends its cancellation. A refusal or a
    // failure is shown, an acceptance reloads the tables; an answer that may never come is said
    // to be unknown and checked against the orders once the back-end answers again. Refused
    // with a message while an earlier cancellation is out.
    void CancelOne(const std::string& orderNo, const std::string& code, const std::string& lots);
    // Asks "是否确认要撤销全部委托单?" and after OK cancels every working order; its answer is
    // taken as CancelOne's.
    void CancelAll();

    bool OneOut() const { return oneOut_; }
    bool AllOut() const { return allOut_; }

private:
    bool Refused();
    void Send(const char* path, const std::string& body, const std::string& orderNo);
    void Reconcile(const std::string& orderNo);

    QWidget* panel_;
    PaneContext context_;
    bool oneOut_ = false;
    bool allOut_ = false;
    Reconciler* reconciler_;
};

}  // namespace ft::ui
