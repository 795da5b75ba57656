// The cancellations the two order panels share: the question, the request aside (the window
// keeps taking input), and what its answer calls for.
#pragma once

#include <functional>
#include <string>

#include "ui/pane/pane_view.h"

namespace ft::ui {

class OrderCanceller {
public:
    // `panel` owns the canceller: answers arriving after it is gone are dropped.
    OrderCanceller(QWidget* panel, const PaneContext& context);

    // Asks about one order ("撤单:..."), and after OK sends its cancellation. A refusal is
    // shown, an acceptance reloads the tables. `stillWanted`, when given, decides when the
    // answer arrives whether it is looked at. Refused while an earlier one is out.
    void CancelOne(const std::string& orderNo, const std::string& code, const std::string& lots,
                   std::function<bool()> stillWanted = {});
    // Asks "是否确认要撤销全部委托单?" and after OK cancels every working order; a request that
    // went through reloads the tables. Refused while an earlier one is out.
    void CancelAll();

    bool OneOut() const { return oneOut_; }
    bool AllOut() const { return allOut_; }

private:
    QWidget* panel_;
    PaneContext context_;
    bool oneOut_ = false;
    bool allOut_ = false;
};

}  // namespace ft::ui
