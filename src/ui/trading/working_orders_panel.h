// COrderSubDlg1, the working orders ("未成交单(F2)"): the orders that still wait in the market,
// with single cancellation (button or double-click) and cancel-all.
#pragma once

#include <QTimer>
#include <memory>
#include <vector>

#include "trading/order_lists.h"
#include "ui/controls/list_kit.h"
#include "ui/pane/pane_view.h"
#include "ui/trading/order_cancel.h"

namespace ft::ui {

class CListCtrlCl;
class CXPButton;

class COrderSubDlg1 : public TabPanel {
    Q_OBJECT
public:
    static constexpr int kTickMs = 500;

    explicit COrderSubDlg1(const PaneContext& context, QWidget* parent = nullptr);

    CListCtrlCl* List() const { return list_; }
    CXPButton* CancelButton() const { return cancel_; }
    CXPButton* CancelAllButton() const { return cancelAll_; }
    const OrderCanceller& Canceller() const { return canceller_; }

    // Rebuilds the list from the order table; a changed number of rows reloads the funds.
    void FillWorkingOrders();
    // One 500 ms step: a changed number of working orders rebuilds the list, otherwise only the
    // cells that changed are rewritten. Returns the number of texts written.
    int Tick();
    // "撤单(&X)" and the double-click: cancels the selected order.
    void CancelSelectedOrder();
    // "全撤(&X)": reloads the funds and, when orders are listed, cancels them all.
    void CancelAllOrders();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    int Fill(std::shared_ptr<const OrderTable> orders, std::vector<const OrderRecord*> shown);

    PaneContext context_;
    CListCtrlCl* list_;
    CXPButton* cancel_;
    CXPButton* cancelAll_;
    OrderCanceller canceller_;
    QTimer timer_;
    TableRows<OrderRecord, WorkingOrderCol::Count> rows_{WorkingOrderRowWrites};
};

}  // namespace ft::ui
