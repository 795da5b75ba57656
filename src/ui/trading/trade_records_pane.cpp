#include "ui/trading/trade_records_pane.h"

#include "ui/trading/trade_records_panel.h"

#include <QTabWidget>

namespace ft::ui {

CTDetailView::CTDetailView(const PaneContext& context, QWidget* parent)
    : CTFormView(context, parent) {
    AddTab(QStringLiteral("成交记录(F4)"));
    SetPanel(0, new CTDetailSubDlg1(context));
    Tabs()->setCurrentIndex(0);
}

}  // namespace ft::ui
