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

namespace {

std::vector<const TradeRecord*> Records(const TradeTable& trades) {
    std::vector<const TradeRecord*> shown;
    const std::size_t count = TradeCount(trades);
    shown.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        shown.push_back(&trades.rows[i]);
    }
    return shown;
}

}  // namespace

void CTDetailSubDlg1::Fill(std::shared_ptr<const TradeTable> trades) {
    auto shown = Records(*trades);
    rows_.Fill(*list_, std::move(trades), std::move(shown));
}

void CTDetailSubDlg1::FillTrades() {
    Fill(context_.session.trades.Snapshot());
}

// Only the number of fills is watched: a reload that replaces fills without changing their
// number leaves the list as it is. New fills come last, so they are appended.
bool CTDetailSubDlg1::Tick() {
    auto trades = context_.session.trades.Snapshot();
    if (rows_.Shows(trades.get()) ||
        static_cast<int>(TradeCount(*trades)) == list_->GetItemCount()) {
        return false;
    }
    rows_.Sync(*list_, trades, Records(*trades));
    return true;
}

}  // namespace ft::ui
