// CTradeView, the middle left pane: the order-entry panel on "标准下单板(小键盘+)".
#pragma once

#include "ui/pane/pane_view.h"

namespace ft::ui {

class CTradeView : public CTFormView {
    Q_OBJECT
public:
    explicit CTradeView(const PaneContext& context, QWidget* parent = nullptr);
    TabPanel* OrderEntryPanel() const { return Panel(0); }

protected:
    // The order-entry panel holds no list.
    void RepaintLists() override {}
};

}  // namespace ft::ui
