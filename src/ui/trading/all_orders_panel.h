// COrderSubDlg2, all orders of the day ("所有委托单(F5)"), narrowed by four filters, with
// single cancellation and cancel-all.
#pragma once

#include <QTimer>
#include <array>
#include <memory>
#include <vector>

#include "trading/order_lists.h"
#include "ui/controls/list_kit.h"
#include "ui/pane/pane_view.h"
#include "ui/trading/order_cancel.h"

class QRadioButton;

namespace ft::ui {

class CListCtrlCl;
class CXPButton;

class COrderSubDlg2 : public TabPanel {
    Q_OBJECT
public:
    static constexpr int kTickMs = 500;

    explicit COrderSubDlg2(const PaneContext& context, QWidget* parent = nullptr);

    CListCtrlCl* List() const { return list_; }
    // The filters in their order: 全部单, 挂单, 已成交, 已撤单/错单.
    QRadioButton* FilterButton(OrderFilter filter) const {
        return filters_[static_cast<std::size_t>(filter)];
    }
    CXPButton* CancelButton() const { return cancel_; }
    CXPButton* CancelAllButton() const { return cancelAll_; }
    OrderFilter Filter() const;

    void FillAllOrders();
    // One 500 ms step: another number of shown orders rebuilds the list, otherwise only the
    // cells that changed are rewritten. Returns the number of texts written.
    int Tick();
    // "撤单(&X)": cancels the selected order when it is still "未成交".
    void CancelSelectedOrder();
    // "全撤(&C)": when the list shows orders, cancels every working order.
    void CancelAllOrders();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    int Fill(std::shared_ptr<const OrderTable> orders, std::vector<const OrderRecord*> shown);

    PaneContext context_;
    CListCtrlCl* list_;
    std::array<QRadioButton*, 4> filters_{};
    CXPButton* cancel_;
    CXPButton* cancelAll_;
    OrderCanceller canceller_;
    QTimer timer_;
    TableRows<OrderRecord, AllOrderCol::Count> rows_{AllOrderRowWrites};
    OrderFilter shownFilter_ = OrderFilter::All;
};

}  // namespace ft::ui
