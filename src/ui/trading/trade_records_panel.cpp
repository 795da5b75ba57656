#include "ui/trading/trade_records_panel.h"

#include "ui/controls/list_kit.h"

namespace ft::ui {

CTDetailSubDlg1::CTDetailSubDlg1(const PaneContext& context, QWidget* parent)
    : TabPanel(parent), context_(context), list_(new CListCtrlCl(this)) {
    StyleMarketList(*list_);
    BuildColumns(*list_, kTradeColumns);
    SetSoleWidget(list_);
    connect(&timer_, &QTimer::timeout, this, &CTDetailSubDlg1::Tick);
    FillTrades();
    timer_.start(kTickMs);
}

void CTDetailSubDlg1::Fill(const TradeTable& trades) {
    trades_.clear();
    const std::size_t count = TradeCount(trades);
    for (std::size_t i = 0; i < count; ++i) {
        trades_.push_back(&trades.rows[i]);
    }
    FillRows<TradeCol::Count>(*list_, std::span<const TradeRecord* const>(trades_), TradeRowWrites,
                              writes_);
}

void CTDetailSubDlg1::FillTrades() {
    Fill(*context_.session.trades.Snapshot());
}

bool CTDetailSubDlg1::Tick() {
    const auto trades = context_.session.trades.Snapshot();
    if (static_cast<int>(TradeCount(*trades)) == list_->GetItemCount()) {
        return false;
    }
    Fill(*trades);
    return true;
}

}  // namespace ft::ui
