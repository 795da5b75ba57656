// The lists of orders and fills: their columns, which rows they show and how a row is written,
// and the cancellation requests with their texts. No Qt here.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/list_table.h"
#include "core/session_state.h"

namespace ft {

// The working orders (未成交单); `field` is the OrderRecord field.
struct WorkingOrderCol {
    enum : int { OrderNo, Code, Direction, OpenClose, Volume, Unfilled, Price, OrderTime, Count };
};
extern const std::array<ColumnSpec, WorkingOrderCol::Count> kWorkingOrderColumns;

// All orders of the day (所有委托单).
struct AllOrderCol {
    enum : int {
        OrderNo,
        Code,
        Direction,
        OpenClose,
        Status,
        Price,
        Volume,
        Unfilled,
        Filled,
        AvgFillPrice,
        Count
    };
};
extern const std::array<ColumnSpec, AllOrderCol::Count> kAllOrderColumns;

// The day's fills (成交记录); `field` is the TradeRecord field.
struct TradeCol {
    enum : int { TradeNo, Code, Direction, OpenClose, Price, Volume, TradeTime, Count };
};
extern const std::array<ColumnSpec, TradeCol::Count> kTradeColumns;

// The texts a row shows, as views into the list (read just before the rule runs).
using WorkingOrderRow = std::array<std::string_view, WorkingOrderCol::Count>;
using AllOrderRow = std::array<std::string_view, AllOrderCol::Count>;
using TradeRow = std::array<std::string_view, TradeCol::Count>;

// An order that still waits in the market: unfilled lots above 0 and the status "未成交" or
// "部分成交".
bool IsWorkingOrder(const OrderRecord& order);

// The four filters of the all-orders list.
enum class OrderFilter { All, Working, Filled, Cancelled };
bool PassesFilter(const OrderRecord& order, OrderFilter filter);

// The orders a list shows, in table order, from the first row up to the first empty
// contractCode (the whole table at most).
void WorkingOrders(const OrderTable& orders, std::vector<const OrderRecord*>& shown);
void FilteredOrders(const OrderTable& orders, OrderFilter filter,
                    std::vector<const OrderRecord*>& shown);
std::size_t TradeCount(const TradeTable& trades);

// The row rules: the writes that make a shown row show its record. Prices show by the number
// display rule (3500.000 as 3500). A cell whose text is already right gets no write; a
// coloured column carries its colour with its text.
void WorkingOrderRowWrites(const WorkingOrderRow& shown, const OrderRecord& order,
                           std::vector<CellWrite>& writes);
void AllOrderRowWrites(const AllOrderRow& shown, const OrderRecord& order,
                       std::vector<CellWrite>& writes);
void TradeRowWrites(const TradeRow& shown, const TradeRecord& trade,
                    std::vector<CellWrite>& writes);

// Cancellation.
inline constexpr const char* kCancelPath = "index.php?m=client&a=cancelweituo";
inline constexpr const char* kCancelAllPath = "index.php?m=client&a=cancelallweituo";
std::string CancelBody(std::string_view orderNo);  // "id=" and the order number
// "撤单:" + number + "  " + contract + "  " + lots + "手" (GBK).
std::string CancelConfirmationText(std::string_view orderNo, std::string_view code,
                                   std::string_view lots);
std::string CancelAllQuestion();  // "是否确认要撤销全部委托单?"
// The message a cancellation answer calls for; nothing when it was accepted (the answer starts
// with "0").
std::optional<std::string> CancelRefusal(std::string_view answer);
// What the trader is told once the orders are read again after a cancellation of unknown
// outcome: the order's status now (`orderNo` empty: how many orders are still working).
std::string CancelReconcileReport(const OrderTable& orders, std::string_view orderNo);
// Whether the all-orders list may cancel a row showing `status`.
bool CancellableStatus(std::string_view status);

}  // namespace ft
