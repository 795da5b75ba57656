#include "positions/close_split.h"

#include <algorithm>

#include "core/text.h"
#include "trading/number_input.h"

namespace ft {
namespace {

// Today's lots of a row that gives both day counts as plain numbers.
bool DayCounts(std::string_view today, std::string_view yesterday, long long& todayLots) {
    const std::string_view t = Trim(today);
    const std::string_view y = Trim(yesterday);
    auto plain = [](std::string_view s) {
        return !s.empty() &&
               std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
    };
    if (!plain(t) || !plain(y) || t.size() > 9) {
        return false;
    }
    todayLots = ToInt(t);
    return true;
}

// Today's part of a close of `lots`, or nothing when the close is not split.
long long TodayPart(std::string_view exchange, std::string_view today, std::string_view yesterday,
                    long long lots) {
    long long todayLots = 0;
    if (!ClosesByDay(exchange) || !DayCounts(today, yesterday, todayLots)) {
        return -1;
    }
    return std::min(lots, todayLots);
}

}  // namespace

bool ClosesByDay(std::string_view exchange) {
    static const std::string kShanghai = Ansi("上期所");
    return Trim(exchange) == kShanghai;
}

std::vector<CloseLeg> PlanClose(const HeldPosition* position, OpenClose chosen, long long lots) {
    if (chosen != OpenClose::Close || !position || lots <= 0) {
        return {{chosen, lots}};
    }
    const long long today =
        TodayPart(position->exchange, position->today, position->yesterday, lots);
    if (today <= 0) {
        return {{chosen, lots}};
    }
    std::vector<CloseLeg> legs{{OpenClose::CloseToday, today}};
    if (lots > today) {
        legs.push_back({OpenClose::Close, lots - today});
    }
    return legs;
}

std::vector<CloseLeg> PlanFormOrder(const OrderForm& form, std::span<const HeldPosition> held) {
    if (!CheckNumber(NumberKind::Lots, form.lots, 0).empty()) {
        return {{form.openClose, 0}};
    }
    return PlanClose(ClosedPosition(held, form.code, form.side), form.openClose, ToInt(form.lots));
}

std::string SplitConfirmationText(const OrderForm& form, std::span<const CloseLeg> legs) {
    std::string text = OrderConfirmationText(form);
    if (legs.size() > 1 || (legs.size() == 1 && legs[0].type != form.openClose)) {
        text += Ansi("（") + CloseLegsLabel(legs) + Ansi("）");
    }
    return text;
}

std::string LegsNotSentText(const CloseLeg& leg, std::span<const CloseLeg> rest, bool unknown) {
    const CloseLeg done[] = {leg};
    return CloseLegsLabel(rest) + Ansi("未发送（") + CloseLegsLabel(done) +
           Ansi(unknown ? "结果未知，请核对委托列表）" : "未被受理）");
}

std::string CloseLegsLabel(std::span<const CloseLeg> legs) {
    std::string label;
    for (const CloseLeg& leg : legs) {
        if (!label.empty()) {
            label += " + ";
        }
        label += Ansi(leg.type == OpenClose::Open         ? "开仓 "
                      : leg.type == OpenClose::CloseToday ? "平今 "
                                                          : "平仓 ") +
                 std::to_string(leg.lots) + Ansi("手");
    }
    return label;
}

std::vector<CloseOrder> SplitCloseOrder(const CloseOrder& order, std::string_view exchange,
                                        std::string_view todayLots,
                                        std::string_view yesterdayLots) {
    const long long lots = ToInt(order.lots);
    const long long today = TodayPart(exchange, todayLots, yesterdayLots, lots);
    if (today < 0 || lots <= 0) {
        return {order};
    }
    std::vector<CloseOrder> legs;
    if (today > 0) {
        CloseOrder first = order;
        first.type = TypeField(OpenClose::CloseToday);
        first.lots = std::to_string(today);
        legs.push_back(std::move(first));
    }
    if (lots > today) {
        CloseOrder rest = order;
        rest.type = TypeField(OpenClose::Close);
        rest.lots = std::to_string(lots - today);
        legs.push_back(std::move(rest));
    }
    return legs;
}

}  // namespace ft
