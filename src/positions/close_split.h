// How a close becomes the instructions its exchange takes. On 上期所 today's lots and earlier
// lots are closed by separate instructions, 平今 (type 2) and 平仓 (type 3), and an instruction
// beyond its own lots is refused; so a close there goes out as today's lots with 平今 first,
// then the rest with 平仓 once the first is accepted. Elsewhere a close goes out as it is.
// No Qt here.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "positions/stop_rules.h"
#include "trading/order_rules.h"

namespace ft {

// Whether the exchange (GBK, as a positions row or a product names it) closes today's and
// earlier lots apart.
bool ClosesByDay(std::string_view exchange);

struct CloseLeg {
    OpenClose type = OpenClose::Close;
    long long lots = 0;
    friend bool operator==(const CloseLeg&, const CloseLeg&) = default;
};

// The legs of an order of `lots` with the choice `chosen` against `position` (null when the
// order closes no held position). Only a 平仓 of a 上期所 position whose row gives today's and
// earlier lots is split; any other order is one leg exactly as chosen.
std::vector<CloseLeg> PlanClose(const HeldPosition* position, OpenClose chosen, long long lots);

// The legs of the order-entry panel's form against the held positions; one leg means the form
// goes out exactly as it is (also when its lots are not a valid number: the order's own checks
// then say so).
std::vector<CloseLeg> PlanFormOrder(const OrderForm& form, std::span<const HeldPosition> held);

// "平今 2手 + 平仓 3手" (GBK).
std::string CloseLegsLabel(std::span<const CloseLeg> legs);
// The one confirmation of a split close: the order as the trader set it, then its legs:
// "下单:平仓  卖  rb2705  5手  于价格 3199（平今 2手 + 平仓 3手）" (GBK); a 平仓 of today's lots
// alone names its one 平今 leg.
std::string SplitConfirmationText(const OrderForm& form, std::span<const CloseLeg> legs);
// What the trader is told when a leg did not go through and `rest` is therefore not sent:
// "平仓 3手未发送（平今 2手未被受理）" (GBK); `unknown`: the leg's outcome is not known.
std::string LegsNotSentText(const CloseLeg& leg, std::span<const CloseLeg> rest, bool unknown);

// The closing orders of a fired stop-loss or take-profit leg, in the order they go out. They
// name their position, which elsewhere closes its lots of any day with 平今; on 上期所 today's
// lots go with 平今 and the rest with 平仓.
std::vector<CloseOrder> SplitCloseOrder(const CloseOrder& order, std::string_view exchange,
                                        std::string_view todayLots, std::string_view yesterdayLots);

}  // namespace ft
