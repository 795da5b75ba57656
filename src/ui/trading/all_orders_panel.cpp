#include "ui/trading/all_orders_panel.h"

#include <QRadioButton>
#include <algorithm>

#include "ui/controls/gradient_button.h"
#include "ui/controls/list_kit.h"

namespace ft::ui {

COrderSubDlg2::COrderSubDlg2(const PaneContext& context, QWidget* parent)
    : TabPanel(parent),
      context_(context),
      list_(new CListCtrlCl(this)),
      cancel_(new CXPButton(QStringLiteral("撤单(&X)"), this)),
      cancelAll_(new CXPButton(QStringLiteral("全撤(&C)"), this)),
      canceller_(this, context) {
    StyleMarketList(*list_);
    BuildColumns(*list_, kAllOrderColumns);
    // The dialog's font, so the filters' texts fit their widths.
    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(12);
    setFont(font);
    const char* titles[] = {"全部单(&A)", "挂单(&S)", "已成交(&D)", "已撤单/错单(&F)"};
    for (std::size_t i = 0; i < filters_.size(); ++i) {
        filters_[i] = new QRadioButton(QString::fromUtf8(titles[i]), this);
        connect(filters_[i], &QRadioButton::clicked, this, &COrderSubDlg2::FillAllOrders);
    }
    filters_[0]->setChecked(true);
    connect(cancel_, &QPushButton::clicked, this, &COrderSubDlg2::CancelSelectedOrder);
    connect(cancelAll_, &QPushButton::clicked, this, &COrderSubDlg2::CancelAllOrders);
    connect(&timer_, &QTimer::timeout, this, &COrderSubDlg2::Tick);
    FillAllOrders();
    timer_.start(kTickMs);
}

void COrderSubDlg2::resizeEvent(QResizeEvent* event) {
    TabPanel::resizeEvent(event);
    const QRect client = rect();
    list_->setGeometry(client.adjusted(0, 0, 0, -27));
    const int top = list_->geometry().bottom() + 1 + 3;
    const int widths[] = {70, 65, 75, 110};
    int x = 10;
    for (std::size_t i = 0; i < filters_.size(); ++i) {
        // Never narrower than its text: the fonts standing in for 宋体 run wider.
        const int width = std::max(widths[i], filters_[i]->sizeHint().width());
        filters_[i]->setGeometry(x, top, width, 20);
        x += width + 10;
    }
    cancel_->setGeometry(x, top - 2, 70, 24);
    cancelAll_->setGeometry(x + 80, top - 2, 70, 24);
}

OrderFilter COrderSubDlg2::Filter() const {
    for (std::size_t i = 0; i < filters_.size(); ++i) {
        if (filters_[i]->isChecked()) {
            return static_cast<OrderFilter>(i);
        }
    }
    return OrderFilter::All;
}

int COrderSubDlg2::Fill(std::shared_ptr<const OrderTable> orders,
                        std::vector<const OrderRecord*> shown) {
    shownFilter_ = Filter();
    return rows_.Fill(*list_, std::move(orders), std::move(shown));
}

void COrderSubDlg2::FillAllOrders() {
    auto orders = context_.session.orders.Snapshot();
    std::vector<const OrderRecord*> shown;
    FilteredOrders(*orders, Filter(), shown);
    Fill(std::move(orders), std::move(shown));
}

int COrderSubDlg2::Tick() {
    auto orders = context_.session.orders.Snapshot();
    const OrderFilter filter = Filter();
    if (rows_.Shows(orders.get()) && filter == shownFilter_) {
        return 0;
    }
    std::vector<const OrderRecord*> shown;
    FilteredOrders(*orders, filter, shown);
    if (static_cast<int>(shown.size()) != list_->GetItemCount() || filter != shownFilter_) {
        return Fill(std::move(orders), std::move(shown));
    }
    return rows_.Update(*list_, std::move(orders), std::move(shown));
}

void COrderSubDlg2::CancelSelectedOrder() {
    // The selected row's order, from the table the list shows.
    const OrderRecord* order = rows_.At(list_->GetFirstSelectedRow());
    if (!order || !CancellableStatus(FieldText(order->status))) {
        return;
    }
    canceller_.CancelOne(std::string(FieldText(order->orderNo)),
                         std::string(FieldText(order->contractCode)),
                         std::string(FieldText(order->unfilledVolume)));
}

void COrderSubDlg2::CancelAllOrders() {
    if (list_->GetItemCount() == 0) {
        return;
    }
    canceller_.CancelAll();
}

}  // namespace ft::ui
