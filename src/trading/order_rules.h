// The order-entry panel's rules without a window: what a quote shows on the form, the lots
// hint, the spinners, and how an order is checked, confirmed, sent and answered. No Qt here:
// the panel hands in a snapshot of its form and the ways to ask, tell and send.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "core/session_state.h"
#include "net/request_client.h"

namespace ft {

// Outcome of the last order sent from the order-entry panel: 1 accepted, 0 not. Written by the
// order worker, read by whoever wants to know (the quick reverse waits for its own order's
// outcome instead).
extern std::atomic<int> LastOrderAccepted;

enum class OrderSide { Buy, Sell };
enum class OpenClose { Open, CloseToday, Close };

// The form as the trader left it when the order was started (GBK texts as shown).
struct OrderForm {
    std::string code;  // the contract box
    OrderSide side = OrderSide::Buy;
    OpenClose openClose = OpenClose::Open;
    std::string lots;
    std::string price;
    bool followPrice = false;  // the toggle reads "跟盘价"
    bool confirm = false;      // "下单确认" is checked
    std::string upperLimit;    // the limit labels as shown
    std::string lowerLimit;
};

inline constexpr const char* kOrderPath = "index.php?m=client&a=weituo";

// "type" and "updown" of the request: 1 open, 2 close today, 3 close; 1 buy, 2 sell.
const char* TypeField(OpenClose openClose);
const char* UpdownField(OrderSide side);

// The weituo form: user_name, code, type, updown, num, price, pricetype, src, in this order.
std::string WeituoBody(const std::string& userName, const OrderForm& form);
// "下单:开仓  买  rb2705  2手  于价格 3500" (GBK).
std::string OrderConfirmationText(const OrderForm& form);

// The client-side check of a price against the day's limits (ServerMode 0). `message` is what
// the check itself shows (GBK), empty when it fails silently or passes.
struct LimitCheck {
    bool passed = false;
    std::string message;
};
LimitCheck CheckPriceLimits(const ProductTable& products, OpenClose type, std::string_view code,
                            OrderSide side, std::string_view price, std::string_view upper,
                            std::string_view lower, std::string_view priceLimitBuffer);

enum class OrderOutcome {
    NotSent,    // an input was missing, the trader cancelled or the limit check failed
    Accepted,   // the back-end took it
    Refused,    // the back-end said why not
    Failed,     // the request failed before it left, or the back-end answered an HTTP error
    NoVerdict,  // an answer without a second field: it arrived, the outcome is unknown
    Unknown,    // sent, then no answer (time-out, connection lost): it may have been carried out
};

// Whether the order may have been carried out without the terminal being told.
inline bool OutcomeUnknown(OrderOutcome outcome) {
    return outcome == OrderOutcome::NoVerdict || outcome == OrderOutcome::Unknown;
}

// What the order worker needs from its surroundings; each may block its caller (the worker).
struct OrderSteps {
    std::function<void(const std::string& gbkText)> notify;   // caption "通知"
    std::function<bool(const std::string& gbkText)> confirm;  // caption "确认下单"; true: OK
    std::function<PostResult(const std::string& body, std::string& answer)> post;  // weituo
    std::function<void()> reloadTables;
};

struct OrderAccount {
    std::string userName;
    ServerMode mode = ServerMode::IntradayFirstRound;
    std::string priceLimitBuffer;
    std::shared_ptr<const ProductTable> products;
};

// One order from the form: the input checks, the confirmation, the limit check in ServerMode 0,
// the request and its answer, with every message in its order. Sets LastOrderAccepted.
OrderOutcome RunOrder(const OrderForm& form, const OrderAccount& account, const OrderSteps& steps);

// What the trader is told once the tables are read again after an order of unknown outcome:
// the orders of `after` that `before` lacks on the order's contract and side, or that none is
// there.
std::string OrderReconcileReport(const OrderTable& before, const OrderTable& after,
                                 const OrderForm& form);

// The fields of a quote record the form shows, taken only from a record that is not empty,
// holds the code and has at least 21 fields.
struct EntryQuote {
    std::string bid, ask, upperLimit, lowerLimit;  // fields 18, 20, 16, 17 as sent
};
std::optional<EntryQuote> ParseEntryQuote(std::string_view record, std::string_view code);

// "%d手" of the lots the available funds open: funds × 100 ÷ price ÷ multiplier ÷ margin,
// truncated; "0手" when the price, multiplier or margin is zero or empty, and never below 0.
std::string OpenLotsHint(std::string_view funds, std::string_view price,
                         std::string_view multiplier, std::string_view margin);
std::string NoLotsHint();  // "0手"

// A row of the positions list as the order-entry panel reads it (GBK, as shown).
struct HeldPosition {
    std::string code;
    std::string direction;  // "买" long, "卖" short
    std::string closable;
    // Today's and earlier lots and the exchange, which decide how a close goes out (empty
    // where a row does not give them).
    std::string today{};
    std::string yesterday{};
    std::string exchange{};
};
// The first position an order of `side` on `code` closes: a buy closes a short.
const HeldPosition* ClosedPosition(std::span<const HeldPosition> rows, std::string_view code,
                                   OrderSide side);
// The position the quick reverse turns: the one `side` closes whose closable lots equal `lots`.
const HeldPosition* ReversiblePosition(std::span<const HeldPosition> rows, std::string_view code,
                                       OrderSide side, std::string_view lots);

// The lots spinner: the new text, or nothing when the down arrow is at 1 or below.
std::optional<std::string> StepLots(std::string_view lots, bool up);
// The price spinner: one tick of the contract up or down, "%0.2f" without trailing zeros;
// nothing when neither text has two characters or the contract is not a product.
std::optional<std::string> StepPrice(const ProductTable& products, std::string_view code,
                                     std::string_view price, bool up);

}  // namespace ft
