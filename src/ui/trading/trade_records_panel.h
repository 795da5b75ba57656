// CTDetailSubDlg1, the day's fills ("成交记录(F4)").
#pragma once

#include <QTimer>
#include <memory>

#include "trading/order_lists.h"
#include "ui/controls/list_kit.h"
#include "ui/pane/pane_view.h"

namespace ft::ui {

class CListCtrlCl;

class CTDetailSubDlg1 : public TabPanel {
    Q_OBJECT
public:
    static constexpr int kTickMs = 100;

    explicit CTDetailSubDlg1(const PaneContext& context, QWidget* parent = nullptr);

    CListCtrlCl* List() const { return list_; }
    void FillTrades();
    // One 100 ms step: the list follows when the number of fills differs from its rows.
    // Returns whether it did.
    bool Tick();

private:
    void Fill(std::shared_ptr<const TradeTable> trades);

    PaneContext context_;
    CListCtrlCl* list_;
    QTimer timer_;
    TableRows<TradeRecord, TradeCol::Count> rows_{TradeRowWrites};
};

}  // namespace ft::ui
