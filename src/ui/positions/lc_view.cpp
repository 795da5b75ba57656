#include "ui/positions/lc_view.h"

#include <QTabWidget>

namespace ft::ui {

CLcView::CLcView(const PaneContext& context, QWidget* parent) : CTFormView(context, parent) {
    AddTab(QStringLiteral("持仓(F3)"));
    Tabs()->setCurrentIndex(0);
}

}  // namespace ft::ui
