#include "ui/trading/orders_pane.h"

#include "ui/trading/all_orders_panel.h"
#include "ui/trading/working_orders_panel.h"

#include <QTabWidget>

namespace ft::ui {

COrderView::COrderView(const PaneContext& context, QWidget* parent) : CTFormView(context, parent) {
    AddTab(QStringLiteral("未成交单(F2)"));
    AddTab(QStringLiteral("所有委托单(F5)"));
    SetPanel(0, new COrderSubDlg1(context));
    SetPanel(1, new COrderSubDlg2(context));
    Tabs()->setCurrentIndex(0);
}

}  // namespace ft::ui
