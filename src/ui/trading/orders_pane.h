// COrderView, the middle right pane: "未成交单(F2)" and "所有委托单(F5)".
#pragma once

#include "ui/pane/pane_view.h"

namespace ft::ui {

class COrderView : public CTFormView {
    Q_OBJECT
public:
    explicit COrderView(const PaneContext& context, QWidget* parent = nullptr);
};

}  // namespace ft::ui
