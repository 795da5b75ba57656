#include "ui/trading/working_orders_panel.h"

#include <QPainter>

#include "ui/controls/gradient_button.h"
#include "ui/controls/list_kit.h"

namespace ft::ui {

COrderSubDlg1::COrderSubDlg1(const PaneContext& context, QWidget* parent)
    : TabPanel(parent),
      context_(context),
      list_(new CListCtrlCl(this)),
      cancel_(new CXPButton(QStringLiteral("撤单(&X)"), this)),
      cancelAll_(new CXPButton(QStringLiteral("全撤(&X)"), this)),
      canceller_(this, context) {
    StyleMarketList(*list_);
    BuildColumns(*list_, kWorkingOrderColumns);
    for (CXPButton* button : {cancel_, cancelAll_}) {
        button->singleLine = false;
    }
    connect(cancel_, &QPushButton::clicked, this, [this] { CancelSelectedOrder(); });
    connect(cancelAll_, &QPushButton::clicked, this, &COrderSubDlg1::CancelAllOrders);
    connect(list_, &CListCtrlCl::itemDoubleClicked, this, [this] { CancelSelectedOrder(); });
    connect(&timer_, &QTimer::timeout, this, &COrderSubDlg1::Tick);
    FillWorkingOrders();
    timer_.start(kTickMs);
}

void COrderSubDlg1::resizeEvent(QResizeEvent* event) {
    TabPanel::resizeEvent(event);
    const QRect client = rect();
    list_->setGeometry(client.adjusted(0, 0, -50, 0));
    const int right = list_->geometry().right() + 1;
    cancel_->setGeometry(right, 0, 45, 110);
    cancelAll_->setGeometry(right, 115, 45, 65);
}

void COrderSubDlg1::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
}

int COrderSubDlg1::Fill(std::shared_ptr<const OrderTable> orders,
                        std::vector<const OrderRecord*> shown) {
    const int before = list_->GetItemCount();
    const int written = rows_.Fill(*list_, std::move(orders), std::move(shown));
    // The window never waits for the funds: they reload aside.
    if (list_->GetItemCount() != before) {
        context_.loader.StartReloadMoney();
    }
    return written;
}

void COrderSubDlg1::FillWorkingOrders() {
    auto orders = context_.session.orders.Snapshot();
    std::vector<const OrderRecord*> shown;
    WorkingOrders(*orders, shown);
    Fill(std::move(orders), std::move(shown));
}

int COrderSubDlg1::Tick() {
    auto orders = context_.session.orders.Snapshot();
    if (rows_.Shows(orders.get())) {
        return 0;
    }
    // Counted with the rule the list uses, so a partly filled order does not rebuild the list
    // on every tick.
    std::vector<const OrderRecord*> shown;
    WorkingOrders(*orders, shown);
    if (static_cast<int>(shown.size()) != list_->GetItemCount()) {
        return Fill(std::move(orders), std::move(shown));
    }
    return rows_.Update(*list_, std::move(orders), std::move(shown));
}

void COrderSubDlg1::CancelSelectedOrder() {
    // The selected row's order, from the table the list shows.
    const OrderRecord* order = rows_.At(list_->GetFirstSelectedRow());
    if (!order) {
        return;
    }
    canceller_.CancelOne(std::string(FieldText(order->orderNo)),
                         std::string(FieldText(order->contractCode)),
                         std::string(FieldText(order->unfilledVolume)));
}

void COrderSubDlg1::CancelAllOrders() {
    context_.loader.StartReloadMoney();
    if (list_->GetItemCount() == 0) {
        return;
    }
    canceller_.CancelAll();
}

}  // namespace ft::ui
