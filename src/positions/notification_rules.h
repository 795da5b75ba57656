// Desktop notifications without a window: which events the trader is told of, their title and
// text, which kinds are switched on (kept in client.ini), and the watches that turn the
// session's tables and the connection state into single events. No Qt here.
#pragma once

#include <array>
#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "core/session_state.h"
#include "positions/stop_rules.h"
#include "trading/order_rules.h"

namespace ft {

enum class NotifyKind : int {
    Fill,            // a new fill of the account
    RuleFired,       // a stop-loss or take-profit leg fired and its order went out
    CloseFailed,     // a stop rule's closing order did not go through
    OrderUnknown,    // an order was sent and no verdict came back
    ConnectionLost,  // the quote server or the trade server stopped answering
    ConnectionBack,  // ... and answers again
};
inline constexpr int kNotifyKindCount = 6;

// The settings dialog's label of a kind (GBK), e.g. "成交".
std::string NotifyKindLabel(NotifyKind kind);
// Kinds that may sound as well: fills and fired rules.
bool KindHasSound(NotifyKind kind);

struct NotifySettings {
    std::array<bool, kNotifyKindCount> notify{true, true, true, true, true, true};
    std::array<bool, kNotifyKindCount> sound{true, true, false, false, false, false};

    bool Notifies(NotifyKind kind) const { return notify[static_cast<int>(kind)]; }
    // Only kinds that have a sound, and only while they notify.
    bool Sounds(NotifyKind kind) const {
        return KindHasSound(kind) && Notifies(kind) && sound[static_cast<int>(kind)];
    }
};

// Section [notify] of `file` (client.ini); missing keys keep their defaults.
NotifySettings ReadNotifySettings(const std::string& file);
// One update of the file; false when it could not be written.
bool WriteNotifySettings(const NotifySettings& settings, const std::string& file);

// What to show (GBK).
struct Notification {
    NotifyKind kind = NotifyKind::Fill;
    std::string title;
    std::string text;
};

// The new fills of one table read: one notification, naming each fill ("成交: rb2705 买入开仓
// 2手 价3215 10:11:12"), at most kFillLinesShown of them, then how many more.
inline constexpr std::size_t kFillLinesShown = 4;
Notification FillNotification(const std::vector<TradeRecord>& fills);
Notification RuleFiredNotification(const FiredLeg& leg);
// `problem` is what the trading state says of the failed order (GBK).
Notification CloseFailedNotification(const std::string& problem);
Notification OrderUnknownNotification(const OrderForm& form);
enum class Link { Quotes, Trade };
Notification ConnectionNotification(Link link, bool lost, const std::string& clock);

// Which fills are new. The table shown when the window opened holds the fills the trader
// already knows of; a reload that repeats them, or brings back one seen before, is no news.
class FillWatch {
public:
    explicit FillWatch(const TradeTable& known);
    // The fills of `table` not seen before, in table order.
    std::vector<TradeRecord> NewFills(const TradeTable& table);

private:
    static std::string Key(const TradeRecord& record);
    std::set<std::string> seen_;
};

// Turns a link's up-or-down readings into "lost" and "back" events that a flapping connection
// cannot repeat: a link is lost once it has been down for `settleMs`, and back once it has
// answered for `settleMs` after that; a short drop says nothing, and a drop while it is
// coming back neither says "back" nor "lost" again.
class ConnectionWatch {
public:
    enum class Event { None, Lost, Back };
    explicit ConnectionWatch(std::uint64_t settleMs) : settleMs_(settleMs) {}
    Event Update(bool down, std::uint64_t nowTick);
    bool Lost() const { return lost_; }

private:
    std::uint64_t settleMs_;
    bool lost_ = false;        // "lost" was said, "back" not yet
    bool changing_ = false;    // the reading differs from what was said
    std::uint64_t since_ = 0;  // tick at which it began to differ
};

}  // namespace ft
