#include "trading/order_lists.h"

#include <algorithm>
#include <initializer_list>

#include "core/form_body.h"
#include "core/record_format.h"
#include "core/text.h"

namespace ft {

const std::array<ColumnSpec, WorkingOrderCol::Count> kWorkingOrderColumns{{
    {"报单编号", 90, Align::Center, OrderField::OrderNo},
    {"合约", 100, Align::Center, OrderField::ContractCode},
    {"买卖", 70, Align::Center, OrderField::Direction},
    {"开平", 70, Align::Center, OrderField::OpenClose},
    {"报单手数", 80, Align::Right, OrderField::Volume},
    {"未成交手数", 80, Align::Right, OrderField::UnfilledVolume},
    {"报单价格", 80, Align::Right, OrderField::Price},
    {"报单时间", 130, Align::Center, OrderField::OrderTime, 165},
}};

const std::array<ColumnSpec, AllOrderCol::Count> kAllOrderColumns{{
    {"报单编号", 80, Align::Center, OrderField::OrderNo},
    {"合约", 80, Align::Center, OrderField::ContractCode},
    {"买卖", 65, Align::Center, OrderField::Direction},
    {"开平", 65, Align::Center, OrderField::OpenClose},
    {"挂单状态", 80, Align::Center, OrderField::Status},
    {"报单价格", 85, Align::Right, OrderField::Price},
    {"报单手数", 70, Align::Right, OrderField::Volume},
    {"未成交手数", 75, Align::Right, OrderField::UnfilledVolume},
    {"成交手数", 75, Align::Right, OrderField::FilledVolume},
    {"成交均价", 85, Align::Right, OrderField::AvgFillPrice, 105},
}};

const std::array<ColumnSpec, TradeCol::Count> kTradeColumns{{
    {"编号", 80, Align::Center, TradeField::TradeNo},
    {"合约", 80, Align::Center, TradeField::ContractCode},
    {"买卖", 60, Align::Center, TradeField::Direction},
    {"开平", 60, Align::Center, TradeField::OpenClose},
    {"成交价格", 75, Align::Center, TradeField::Price},
    {"成交数量", 65, Align::Center, TradeField::Volume},
    {"成交时间", 90, Align::Center, TradeField::TradeTime},
}};

namespace {

constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kAllBuy{210, 47, 45};
constexpr Rgb kAllSell{0, 126, 0};
constexpr Rgb kFilledStatus{0, 121, 0};
constexpr Rgb kCancelledStatus{122, 126, 0};
constexpr Rgb kTradeBuy{204, 51, 51};
constexpr Rgb kTradeSell{0, 128, 0};

const std::string& Buy() {
    static const std::string& text = Ansi("买");
    return text;
}
const std::string& Sell() {
    static const std::string& text = Ansi("卖");
    return text;
}
const std::string& Unfilled() {
    static const std::string& text = Ansi("未成交");
    return text;
}
const std::string& PartlyFilled() {
    static const std::string& text = Ansi("部分成交");
    return text;
}
const std::string& AllFilled() {
    static const std::string& text = Ansi("全部成交");
    return text;
}
const std::string& Cancelled() {
    static const std::string& text = Ansi("已撤");
    return text;
}

template <std::size_t N>
void Put(const std::array<std::string_view, N>& shown, int column, std::string_view text,
         std::optional<Rgb> colour, std::vector<CellWrite>& writes) {
    if (shown[static_cast<std::size_t>(column)] != text) {
        writes.push_back({column, std::string(text), colour});
    }
}

// Every column shows its field; `numeric` columns show it by the number display rule, and
// `colour` gives a column's colour for its text.
template <typename Record, std::size_t N, typename Colour>
void RowWrites(const std::array<ColumnSpec, N>& columns, std::initializer_list<int> numeric,
               const std::array<std::string_view, N>& shown, const Record& record, Colour colour,
               std::vector<CellWrite>& writes) {
    writes.clear();
    std::string trimmed;
    for (std::size_t c = 0; c < N; ++c) {
        const int column = static_cast<int>(c);
        std::string_view text = FieldText(record, static_cast<std::size_t>(columns[c].field));
        if (std::find(numeric.begin(), numeric.end(), column) != numeric.end()) {
            trimmed = TrimZeros(text);
            text = trimmed;
        }
        Put(shown, column, text, colour(column, text), writes);
    }
}

template <typename Test>
void ScanOrders(const OrderTable& orders, std::vector<const OrderRecord*>& shown, Test test) {
    shown.clear();
    const std::size_t count = orders.Count();
    for (std::size_t i = 0; i < count; ++i) {
        if (test(orders.rows[i])) {
            shown.push_back(&orders.rows[i]);
        }
    }
}

}  // namespace

bool IsWorkingOrder(const OrderRecord& order) {
    if (ToInt(FieldText(order.unfilledVolume)) <= 0) {
        return false;
    }
    const std::string_view status = FieldText(order.status);
    return status == Unfilled() || status == PartlyFilled();
}

bool PassesFilter(const OrderRecord& order, OrderFilter filter) {
    switch (filter) {
        case OrderFilter::All:
            return true;
        case OrderFilter::Working:
            return FieldText(order.status) == Unfilled();
        case OrderFilter::Filled:
            return ToInt(FieldText(order.filledVolume)) >= ToInt(FieldText(order.volume));
        case OrderFilter::Cancelled:
            return FieldText(order.status) == Cancelled();
    }
    return false;
}

void WorkingOrders(const OrderTable& orders, std::vector<const OrderRecord*>& shown) {
    ScanOrders(orders, shown, [](const OrderRecord& o) { return IsWorkingOrder(o); });
}

void FilteredOrders(const OrderTable& orders, OrderFilter filter,
                    std::vector<const OrderRecord*>& shown) {
    ScanOrders(orders, shown, [filter](const OrderRecord& o) { return PassesFilter(o, filter); });
}

std::size_t TradeCount(const TradeTable& trades) {
    return trades.Count();
}

void WorkingOrderRowWrites(const WorkingOrderRow& shown, const OrderRecord& order,
                           std::vector<CellWrite>& writes) {
    RowWrites(
        kWorkingOrderColumns, {WorkingOrderCol::Price}, shown, order,
        [](int column, std::string_view) -> std::optional<Rgb> {
            return column == WorkingOrderCol::Code ? std::optional<Rgb>(kCodeColour) : std::nullopt;
        },
        writes);
}

void AllOrderRowWrites(const AllOrderRow& shown, const OrderRecord& order,
                       std::vector<CellWrite>& writes) {
    // Every status and direction gets its colour, also the plain black ones, so a row never
    // keeps the colour of the order shown there before.
    RowWrites(
        kAllOrderColumns, {AllOrderCol::Price, AllOrderCol::AvgFillPrice}, shown, order,
        [](int column, std::string_view text) -> std::optional<Rgb> {
            switch (column) {
                case AllOrderCol::Code:
                    return kCodeColour;
                case AllOrderCol::Direction:
                    return text == Buy() ? kAllBuy : text == Sell() ? kAllSell : kBlack;
                case AllOrderCol::Status:
                    return text == AllFilled()   ? kFilledStatus
                           : text == Cancelled() ? kCancelledStatus
                                                 : kBlack;
                default:
                    return std::nullopt;
            }
        },
        writes);
}

void TradeRowWrites(const TradeRow& shown, const TradeRecord& trade,
                    std::vector<CellWrite>& writes) {
    writes.clear();
    static const std::string indentedSell = "  " + Sell();
    std::string trimmed;
    for (std::size_t c = 0; c < kTradeColumns.size(); ++c) {
        const int column = static_cast<int>(c);
        std::string_view text = FieldText(trade, static_cast<std::size_t>(kTradeColumns[c].field));
        std::optional<Rgb> colour;
        if (column == TradeCol::Price) {
            trimmed = TrimZeros(text);
            text = trimmed;
        } else if (column == TradeCol::Code) {
            colour = kCodeColour;
        } else if (column == TradeCol::Direction) {
            const bool sell = text == Sell();
            colour = sell ? kTradeSell : kTradeBuy;
            if (sell) {
                text = indentedSell;
            }
        }
        Put(shown, column, text, colour, writes);
    }
}

std::string CancelBody(std::string_view orderNo) {
    return FormBody().Add("id", orderNo).Text();
}

std::string CancelConfirmationText(std::string_view orderNo, std::string_view code,
                                   std::string_view lots) {
    return Ansi("撤单:") + std::string(orderNo) + "  " + std::string(code) + "  " +
           std::string(lots) + Ansi("手");
}

std::string CancelAllQuestion() {
    return Ansi("是否确认要撤销全部委托单?");
}

std::optional<std::string> CancelRefusal(std::string_view answer) {
    if (!answer.empty() && answer.front() == '0') {
        return std::nullopt;
    }
    const auto fields = SplitView(",", answer);
    if (fields.size() >= 2) {
        return Ansi("撤单失败，") + std::string(fields[1]);
    }
    // Without a reason of its own the answer itself is the reason.
    return answer.empty() ? Ansi("撤单失败") : Ansi("撤单失败，") + std::string(answer);
}

bool CancellableStatus(std::string_view status) {
    return status == Unfilled();
}

std::string CancelReconcileReport(const OrderTable& orders, std::string_view orderNo) {
    int working = 0;
    for (const OrderRecord& row : orders.rows) {
        const std::string_view status = Trim(FieldText(row.status));
        if (!orderNo.empty() && FieldText(row.orderNo) == orderNo) {
            return Ansi("撤单结果已核对：委托 ") + std::string(orderNo) + Ansi(" 现为") +
                   std::string(status);
        }
        working += status == Unfilled() || status == PartlyFilled();
    }
    if (!orderNo.empty()) {
        return Ansi("撤单结果已核对：委托列表中没有委托 ") + std::string(orderNo);
    }
    return Ansi("撤单结果已核对：尚有 ") + std::to_string(working) + Ansi(" 笔委托未成交");
}

}  // namespace ft
