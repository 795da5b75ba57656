// Client-side stop-loss and take-profit: the rule table of the positions panel, the save step
// of the settings dialog and the evaluation against each quote. No Qt here.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <ctime>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "trading/number_input.h"

namespace ft {

// One slot. Every field is a zero-terminated GBK text of fixed capacity (terminator
// included); a slot is free while its in-use mark is empty.
struct StopRule {
    char positionId[16];
    char setTime[32];  // "%04d-%02d-%02d %02d:%02d:%02d", local time of the save
    char stopLossPrice[16];
    char stopLossLots[8];
    char takeProfitPrice[16];
    char takeProfitLots[8];
    char inUse[8];  // "1" while taken

    bool Taken() const { return inUse[0] != '\0'; }
    bool BelongsTo(std::string_view id) const;
};

class StopRuleTable {
public:
    static constexpr std::size_t kSlots = 100;

    StopRuleTable() { Clear(); }
    void Clear();
    void ClearSlot(std::size_t slot);
    std::array<StopRule, kSlots>& Slots() { return slots_; }
    const std::array<StopRule, kSlots>& Slots() const { return slots_; }
    // Index of the first free slot, or kSlots when the table is full.
    std::size_t FirstFree() const;
    // Whether any slot holds a leg that could still fire.
    bool AnyLiveLeg() const;

private:
    std::array<StopRule, kSlots> slots_;
};

// The set time of a rule saved at `t`.
std::string RuleTimeText(std::time_t t);

// One row of the settings dialog's grid as typed (GBK).
struct RuleGridRow {
    std::string setTime;
    std::string stopLossPrice;
    std::string stopLossLots;
    std::string takeProfitPrice;
    std::string takeProfitLots;
};

// The dialog's 单位数量 choice: what a leg whose price is typed but whose lots cell is left
// empty closes. 自动 and 默认手数: the position's closable lots at saving; 1手: one lot. (A leg
// saved without lots would otherwise never fire.)
enum class LotsUnit { Auto, OneLot, Default };
void FillMissingLots(std::vector<RuleGridRow>& rows, LotsUnit unit, std::string_view closableLots);

// What the dialog's 保存 step produced: the message that stopped it (nothing stored), or the
// first stop-loss and first take-profit of the grid for the positions list.
struct SaveOutcome {
    std::string message;  // GBK; empty when the rules were stored
    std::string stopLossPrice;
    std::string stopLossLots;
    std::string takeProfitPrice;
    std::string takeProfitLots;
};

// The messages of the save step.
std::string OutOfLimitsMessage();  // "设置的止损止盈价格超出了当天的涨跌停范围!"
std::string BadStopLossMessage();    // "止损价格设置错误!"
std::string BadTakeProfitMessage();  // "止盈价格设置错误!"
// A position without an id (or with one its rule could not hold) takes no rules.
std::string NoPositionIdMessage();
// Whether a rule can hold `id` whole: not empty, no zero byte, shorter than the field.
bool UsablePositionId(std::string_view id);

std::string TableFullMessage();  // the table has no room for the grid's rows

// What the dialog's 保存 refuses first (GBK): the first price or lots cell that breaks the input
// rule (prices with at most `priceDecimals` decimals); empty when every cell is good or empty.
std::string CheckRuleInputs(const std::vector<RuleGridRow>& rows, int priceDecimals);

// Checks every row against the day's limits and the last price of `quoteRecord` (FindQuote of
// the position's code; fewer than 20 fields count as limits and price 0), then replaces the
// rules of `positionId` by the grid's rows, all with the set time of `now`. When the table has
// no room for every row nothing is stored and the outcome says so.
SaveOutcome SaveStopRules(StopRuleTable& table, std::string_view code, std::string_view direction,
                          std::string_view positionId, std::string_view quoteRecord,
                          const std::vector<RuleGridRow>& rows, std::time_t now);

// Frees the slots of positions not in `held` (closed since their rules were saved). Returns
// how many were freed.
std::size_t FreeSlotsOfGonePositions(StopRuleTable& table,
                                     const std::set<std::string, std::less<>>& held);

// A closing order (all GBK texts): updown "1" buys, "2" sells.
struct CloseOrder {
    std::string code;
    std::string updown;
    std::string lots;
    std::string price;
    std::string positionId;
    std::string type = "2";  // 2 平今 (with a position id: any day but on 上期所), 3 平仓
    friend bool operator==(const CloseOrder&, const CloseOrder&) = default;
};

// A leg that fired: its log line and the closing order to send.
struct FiredLeg {
    bool stopLoss = false;  // else the take-profit leg
    std::string logLine;
    CloseOrder order;
    // The orders that carry it out, sent in turn, each once the one before was accepted: one
    // (`order`) but on 上期所, where today's and earlier lots go by separate instructions.
    std::vector<CloseOrder> legs;
};

// The positions row the rules are evaluated against (texts as shown; direction trimmed).
struct StopRuleRow {
    std::string_view code;
    std::string_view direction;
    std::string_view positionId;
    std::string_view closableLots;
};

// Fires the legs of `row`'s rules that the quote (last, bid and ask texts) crosses. A fired
// leg is cleared before it is handed out, so it never fires twice; a slot left without a leg
// that could fire becomes free. Returns whether any leg fired.
bool EvaluateStopRules(StopRuleTable& table, const StopRuleRow& row, std::string_view last,
                       std::string_view bid, std::string_view ask, std::vector<FiredLeg>& fired);

// Whether a taken slot of `positionId` holds a leg that could still fire.
bool HasLiveLeg(const StopRuleTable& table, std::string_view positionId);

// The rule columns of a position ("price/lots", or empty).
struct RuleColumns {
    std::string stopLoss;
    std::string takeProfit;
    friend bool operator==(const RuleColumns&, const RuleColumns&) = default;
};
// After a rebuild: the first slot of the position with a non-empty price of each leg.
RuleColumns ShownRuleColumns(const StopRuleTable& table, std::string_view positionId);
// After a leg fired: the first taken slot of the position with a price above 0 and lots above 0
// of each leg.
RuleColumns LiveRuleColumns(const StopRuleTable& table, std::string_view positionId);
// After the settings dialog saved: "price/lots" of its outputs, empty when either is empty.
RuleColumns SavedRuleColumns(const SaveOutcome& saved);

// Rules are held while the quote feed has given no answer yet or its last answer is older than
// kStaleQuoteMs: a frozen price must neither fire a leg nor hide one that should fire.
bool StopRulesHeld(std::uint64_t lastAnswerTick, std::uint64_t nowTick);

}  // namespace ft
