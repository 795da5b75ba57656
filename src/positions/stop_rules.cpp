#include "positions/stop_rules.h"

#include <algorithm>
#include <cstring>

#include "core/frame_rules.h"
#include "core/record_format.h"
#include "core/session_state.h"
#include "core/text.h"
#include "platform/system.h"

namespace ft {
namespace {

template <std::size_t N>
void Set(char (&field)[N], std::string_view text) {
    CopyField(field, N, text);
}

template <std::size_t N>
void Clear(char (&field)[N]) {
    std::memset(field, 0, N);
}

bool IsLong(std::string_view direction) {
    return direction == Ansi("买");
}
bool IsShort(std::string_view direction) {
    return direction == Ansi("卖");
}

std::string Joined(std::string_view price, std::string_view lots) {
    return std::string(price) + "/" + std::string(lots);
}

}  // namespace

bool StopRule::BelongsTo(std::string_view id) const {
    if (!Taken()) {
        return false;
    }
    const std::size_t n = id.size();
    if (n == 0 || n >= sizeof positionId) {
        return FieldText(positionId) == id;
    }
    // Every row is checked against every slot on each step: the terminator and the last
    // character (where ids of one account differ most) settle most of them at once.
    return positionId[n] == '\0' && positionId[n - 1] == id[n - 1] &&
           std::memcmp(positionId, id.data(), n) == 0;
}

void StopRuleTable::Clear() {
    std::memset(slots_.data(), 0, sizeof(StopRule) * kSlots);
}

void StopRuleTable::ClearSlot(std::size_t slot) {
    if (slot < kSlots) {
        std::memset(&slots_[slot], 0, sizeof(StopRule));
    }
}

std::size_t StopRuleTable::FirstFree() const {
    for (std::size_t i = 0; i < kSlots; ++i) {
        if (!slots_[i].Taken()) {
            return i;
        }
    }
    return kSlots;
}

namespace {

bool LiveLeg(const StopRule& rule) {
    return rule.Taken() && ((ToInt(FieldText(rule.stopLossLots)) >= 1 &&
                             ToDouble(FieldText(rule.stopLossPrice)) > 0.1) ||
                            (ToInt(FieldText(rule.takeProfitLots)) >= 1 &&
                             ToDouble(FieldText(rule.takeProfitPrice)) > 0.1));
}

}  // namespace

bool StopRuleTable::AnyLiveLeg() const {
    return std::any_of(slots_.begin(), slots_.end(), LiveLeg);
}

bool HasLiveLeg(const StopRuleTable& table, std::string_view positionId) {
    return std::any_of(table.Slots().begin(), table.Slots().end(), [&](const StopRule& rule) {
        return rule.BelongsTo(positionId) && LiveLeg(rule);
    });
}

std::string RuleTimeText(std::time_t t) {
    const std::tm tm = platform::LocalTime(t);
    return Format("%04d-%02d-%02d %02d:%02d:%02d", tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday,
                  tm.tm_hour, tm.tm_min, tm.tm_sec);
}

std::string OutOfLimitsMessage() {
    return Ansi("设置的止损止盈价格超出了当天的涨跌停范围!");
}
std::string BadStopLossMessage() {
    return Ansi("止损价格设置错误!");
}
std::string BadTakeProfitMessage() {
    return Ansi("止盈价格设置错误!");
}
std::string NoPositionIdMessage() {
    return Ansi("该持仓没有可用的持仓编号，不能设置止损止盈!");
}

bool UsablePositionId(std::string_view id) {
    return !id.empty() && id.size() < sizeof StopRule::positionId &&
           id.find('\0') == std::string_view::npos;
}

std::string TableFullMessage() {
    return Ansi("止损止盈设置已满(最多") + std::to_string(StopRuleTable::kSlots) +
           Ansi("条)，本次设置未保存。请先删除不再需要的设置。");
}

void FillMissingLots(std::vector<RuleGridRow>& rows, LotsUnit unit, std::string_view closableLots) {
    const std::string lots = unit == LotsUnit::OneLot ? "1" : std::string(closableLots);
    for (RuleGridRow& row : rows) {
        if (!row.stopLossPrice.empty() && row.stopLossLots.empty()) {
            row.stopLossLots = lots;
        }
        if (!row.takeProfitPrice.empty() && row.takeProfitLots.empty()) {
            row.takeProfitLots = lots;
        }
    }
}

std::string CheckRuleInputs(const std::vector<RuleGridRow>& rows, int priceDecimals) {
    // "3500.." or "nan" would be read as another number than the one stored and shown.
    for (const RuleGridRow& row : rows) {
        const std::pair<NumberKind, const std::string*> cells[] = {
            {NumberKind::Price, &row.stopLossPrice},
            {NumberKind::Lots, &row.stopLossLots},
            {NumberKind::Price, &row.takeProfitPrice},
            {NumberKind::Lots, &row.takeProfitLots}};
        for (const auto& [kind, text] : cells) {
            if (!text->empty()) {
                std::string message = CheckNumber(kind, *text, priceDecimals);
                if (!message.empty()) {
                    return message;
                }
            }
        }
    }
    return {};
}

SaveOutcome SaveStopRules(StopRuleTable& table, std::string_view code, std::string_view direction,
                          std::string_view positionId, std::string_view quoteRecord,
                          const std::vector<RuleGridRow>& rows, std::time_t now) {
    SaveOutcome out;
    // A rule is found again only by its position's id: one that is missing or would be cut
    // could fire for another position.
    if (!UsablePositionId(positionId)) {
        out.message = NoPositionIdMessage();
        return out;
    }
    double upper = 0, lower = 0, last = 0;
    if (!code.empty() && quoteRecord.find(code) != std::string_view::npos) {
        const std::vector<std::string_view> fields = SplitView(",", quoteRecord);
        if (fields.size() >= 20) {
            upper = ToDouble(fields[16]);
            lower = ToDouble(fields[17]);
            last = ToDouble(fields[4]);
        }
    }
    const std::string_view side = Trim(direction);
    for (const RuleGridRow& row : rows) {
        if (!row.stopLossPrice.empty()) {
            const double price = ToDouble(row.stopLossPrice);
            if (lower > price || price > upper) {
                out.message = OutOfLimitsMessage();
                return out;
            }
            if ((IsLong(side) && price > last) || (IsShort(side) && price < last)) {
                out.message = BadStopLossMessage();
                return out;
            }
        }
        if (!row.takeProfitPrice.empty()) {
            const double price = ToDouble(row.takeProfitPrice);
            if (lower > price || price > upper) {
                out.message = OutOfLimitsMessage();
                return out;
            }
            if ((IsLong(side) && price < last) || (IsShort(side) && price > last)) {
                out.message = BadTakeProfitMessage();
                return out;
            }
        }
    }

    std::size_t room = 0;
    for (const StopRule& rule : table.Slots()) {
        room += !rule.Taken() || rule.BelongsTo(positionId);
    }
    if (rows.size() > room) {
        out.message = TableFullMessage();
        return out;
    }

    bool haveStopLoss = false, haveTakeProfit = false;
    for (const RuleGridRow& row : rows) {
        if (!haveStopLoss && !row.stopLossPrice.empty()) {
            haveStopLoss = true;
            out.stopLossPrice = row.stopLossPrice;
            out.stopLossLots = row.stopLossLots;
        }
        if (!haveTakeProfit && !row.takeProfitPrice.empty()) {
            haveTakeProfit = true;
            out.takeProfitPrice = row.takeProfitPrice;
            out.takeProfitLots = row.takeProfitLots;
        }
    }

    for (std::size_t i = 0; i < StopRuleTable::kSlots; ++i) {
        if (table.Slots()[i].BelongsTo(positionId)) {
            table.ClearSlot(i);
        }
    }
    const std::string setTime = RuleTimeText(now);
    for (const RuleGridRow& row : rows) {
        StopRule& rule = table.Slots()[table.FirstFree()];
        Set(rule.positionId, positionId);
        Set(rule.setTime, setTime);
        Set(rule.inUse, "1");
        Set(rule.stopLossLots, row.stopLossLots);
        Set(rule.stopLossPrice, row.stopLossPrice);
        Set(rule.takeProfitLots, row.takeProfitLots);
        Set(rule.takeProfitPrice, row.takeProfitPrice);
    }
    return out;
}

std::size_t FreeSlotsOfGonePositions(StopRuleTable& table,
                                     const std::set<std::string, std::less<>>& held) {
    std::size_t freed = 0;
    for (std::size_t i = 0; i < StopRuleTable::kSlots; ++i) {
        const StopRule& rule = table.Slots()[i];
        if (rule.Taken() && !held.contains(FieldText(rule.positionId))) {
            table.ClearSlot(i);
            ++freed;
        }
    }
    return freed;
}

namespace {

// Fires one leg: the log line, the order at the leg's own price for the leg's lots (the
// closable lots when fewer), and the leg cleared.
template <std::size_t P, std::size_t L>
void Fire(bool stopLoss, char (&price)[P], char (&lots)[L], const StopRuleRow& row,
          std::string_view last, std::vector<FiredLeg>& fired) {
    const std::string_view legLots = FieldText(lots);
    FiredLeg leg;
    leg.stopLoss = stopLoss;
    leg.logLine = "to weituo A 111...,strCode:" + std::string(row.code) +
                  ",optnum:" + std::string(legLots) + ",,price:" + std::string(last);
    leg.order.code = std::string(row.code);
    leg.order.updown = IsLong(row.direction) ? "2" : "1";
    leg.order.lots = ToInt(row.closableLots) < ToInt(legLots) ? std::string(row.closableLots)
                                                              : std::string(legLots);
    leg.order.price = std::string(FieldText(price));
    leg.order.positionId = std::string(row.positionId);
    Clear(price);
    Clear(lots);
    fired.push_back(std::move(leg));
}

template <std::size_t P, std::size_t L>
bool Armed(const char (&price)[P], const char (&lots)[L], double& value) {
    value = ToDouble(FieldText(price));
    return ToInt(FieldText(lots)) >= 1 && value > 0.1;
}

}  // namespace

bool EvaluateStopRules(StopRuleTable& table, const StopRuleRow& row, std::string_view last,
                       std::string_view bid, std::string_view ask, std::vector<FiredLeg>& fired) {
    const bool isLong = IsLong(row.direction);
    const bool isShort = IsShort(row.direction);
    if (!isLong && !isShort) {
        return false;
    }
    const double bidValue = ToDouble(bid);
    const double askValue = ToDouble(ask);
    bool changed = false;
    for (std::size_t i = 0; i < StopRuleTable::kSlots; ++i) {
        StopRule& rule = table.Slots()[i];
        if (!rule.BelongsTo(row.positionId)) {
            continue;
        }
        int firedLegs = 0;
        double price = 0;
        if (Armed(rule.stopLossPrice, rule.stopLossLots, price) &&
            (isLong ? price >= bidValue && bidValue > 0.1 : price <= askValue && askValue > 0)) {
            Fire(true, rule.stopLossPrice, rule.stopLossLots, row, last, fired);
            firedLegs = 1;
            changed = true;
        }
        if (Armed(rule.takeProfitPrice, rule.takeProfitLots, price) &&
            (isLong ? price <= bidValue && bidValue > 0 : price >= askValue && askValue > 0)) {
            Fire(false, rule.takeProfitPrice, rule.takeProfitLots, row, last, fired);
            ++firedLegs;
            changed = true;
        }
        // A slot whose other leg was never set (or already spent) holds nothing more.
        if (firedLegs > 0 && !LiveLeg(rule)) {
            table.ClearSlot(i);
        }
    }
    return changed;
}

RuleColumns ShownRuleColumns(const StopRuleTable& table, std::string_view positionId) {
    RuleColumns out;
    for (const StopRule& rule : table.Slots()) {
        if (!rule.BelongsTo(positionId)) {
            continue;
        }
        if (out.stopLoss.empty() && rule.stopLossPrice[0] != '\0') {
            out.stopLoss = Joined(FieldText(rule.stopLossPrice), FieldText(rule.stopLossLots));
        }
        if (out.takeProfit.empty() && rule.takeProfitPrice[0] != '\0') {
            out.takeProfit =
                Joined(FieldText(rule.takeProfitPrice), FieldText(rule.takeProfitLots));
        }
    }
    return out;
}

RuleColumns LiveRuleColumns(const StopRuleTable& table, std::string_view positionId) {
    RuleColumns out;
    for (const StopRule& rule : table.Slots()) {
        if (!rule.BelongsTo(positionId) || ToInt(FieldText(rule.inUse)) < 1) {
            continue;
        }
        if (out.stopLoss.empty() && ToDouble(FieldText(rule.stopLossPrice)) > 0 &&
            ToInt(FieldText(rule.stopLossLots)) > 0) {
            out.stopLoss = Joined(FieldText(rule.stopLossPrice), FieldText(rule.stopLossLots));
        }
        if (out.takeProfit.empty() && ToDouble(FieldText(rule.takeProfitPrice)) > 0 &&
            ToInt(FieldText(rule.takeProfitLots)) > 0) {
            out.takeProfit =
                Joined(FieldText(rule.takeProfitPrice), FieldText(rule.takeProfitLots));
        }
    }
    return out;
}

RuleColumns SavedRuleColumns(const SaveOutcome& saved) {
    RuleColumns out;
    if (!saved.stopLossPrice.empty() && !saved.stopLossLots.empty()) {
        out.stopLoss = Joined(saved.stopLossPrice, saved.stopLossLots);
    }
    if (!saved.takeProfitPrice.empty() && !saved.takeProfitLots.empty()) {
        out.takeProfit = Joined(saved.takeProfitPrice, saved.takeProfitLots);
    }
    return out;
}

bool StopRulesHeld(std::uint64_t lastAnswerTick, std::uint64_t nowTick) {
    return lastAnswerTick == 0 ||
           (nowTick > lastAnswerTick && nowTick - lastAnswerTick > kStaleQuoteMs);
}

}  // namespace ft
