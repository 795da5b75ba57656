#include "ui/trading/order_view.h"

#include <QTabWidget>

namespace ft::ui {

COrderView::COrderView(const PaneContext& context, QWidget* parent) : CTFormView(context, parent) {
    AddTab(QStringLiteral("未成交单(F2)"));
    AddTab(QStringLiteral("所有委托单(F5)"));
    Tabs()->setCurrentIndex(0);
}

}  // namespace ft::ui
