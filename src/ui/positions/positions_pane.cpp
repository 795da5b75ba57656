#include "ui/positions/positions_pane.h"

#include <QTabWidget>

#include "ui/positions/positions_panel.h"

namespace ft::ui {

CLcView::CLcView(const PaneContext& context, QWidget* parent) : CTFormView(context, parent) {
    AddTab(QStringLiteral("持仓(F3)"));
    SetPanel(0, new CLcSubDlg1(context));
    Tabs()->setCurrentIndex(0);
}

CLcSubDlg1* CLcView::PositionsPanel() const {
    return qobject_cast<CLcSubDlg1*>(Panel(0));
}

}  // namespace ft::ui
