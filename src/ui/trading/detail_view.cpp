#include "ui/trading/detail_view.h"

#include <QTabWidget>

namespace ft::ui {

CTDetailView::CTDetailView(const PaneContext& context, QWidget* parent)
    : CTFormView(context, parent) {
    AddTab(QStringLiteral("成交记录(F4)"));
    Tabs()->setCurrentIndex(0);
}

}  // namespace ft::ui
