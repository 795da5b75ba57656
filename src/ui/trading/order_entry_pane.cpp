#include "ui/trading/order_entry_pane.h"

#include "ui/trading/order_entry_panel.h"

#include <QTabWidget>

namespace ft::ui {

CTradeView::CTradeView(const PaneContext& context, QWidget* parent) : CTFormView(context, parent) {
    AddTab(QStringLiteral("标准下单板(小键盘+)"));
    SetPanel(0, new CTradeDlg1(context));
    Tabs()->setCurrentIndex(0);
}

}  // namespace ft::ui
