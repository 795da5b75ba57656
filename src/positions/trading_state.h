// The account's trading state outside the widgets: the open positions with their live prices
// and floating profit, the funds figures, and the stop-loss and take-profit rules, which are
// evaluated here on every step. The positions panel, the funds bar and the order-entry panel
// render from it and ask it. No Qt here.
#pragma once

#include <cstdint>
#include <ctime>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/list_table.h"
#include "core/session_state.h"
#include "market/funds_bar.h"
#include "net/quote_book.h"
#include "positions/close_order.h"
#include "positions/positions_rules.h"
#include "positions/stop_rules.h"
#include "trading/order_rules.h"

namespace ft {

// One open position as the terminal follows it (GBK texts).
struct LivePosition {
    PositionRecord record;  // as last loaded
    std::string code;
    std::string direction;  // trimmed: "买" or "卖"
    std::string positionNo;
    std::string totalLots;
    std::string closableLots;
    // The latest prices of its contract, once a quote record has been found.
    bool quoted = false;
    std::string last, bid, ask;
    // The profit column: the record's profit until the first quote, then the floating profit
    // ("%0.0f"), rewritten only when its value changes.
    std::string profitText;
    Rgb profitColour;
    // The stop-loss and take-profit columns as shown.
    RuleColumns ruleColumns;
};

// What one step changed.
struct TradingStep {
    bool rebuilt = false;       // another set of positions: lists start afresh
    bool fundsChanged = false;  // lots, direction or contract moved: the funds are reloaded
    // Legs whose clearing is now in the rule file; their orders are to be sent. A leg whose
    // clearing could not be written waits, spent, until a write succeeds: an order that went
    // out while the file still held its leg would go out again after a restart.
    std::vector<FiredLeg> fired;
};

class TradingState {
public:
    TradingState(const SessionState& session, QuoteBook& quotes);
    const SessionState& Session() const { return session_; }

    // The rules of this account and mode kept on disk, restored for the positions loaded now.
    void RestoreRules(std::string path, std::time_t now);
    const std::string& RuleFilePath() const { return rulePath_; }

    // Positions follow their table, profits their quotes, and the rules are evaluated against
    // each quoted position whose contract's quote is fresh. `nowTick`: millisecond tick.
    TradingStep Step(std::uint64_t nowTick);

    const std::vector<LivePosition>& Positions() const { return positions_; }
    const LivePosition* FindPosition(std::string_view positionNo) const;
    // The positions as the order rules see them (code, direction, closable lots).
    std::vector<HeldPosition> HeldPositions() const;
    // The funds bar's figures from the money record, the positions and their profits.
    FundsBarTexts Funds() const;

    StopRuleTable& Rules() { return rules_; }
    const StopRuleTable& Rules() const { return rules_; }
    // No rule is evaluated while the trader edits them.
    void SuspendRules(bool suspended) { suspended_ = suspended; }
    bool RulesSuspended() const { return suspended_; }
    // After the settings dialog stored the rules of `positionId`: the file is rewritten and the
    // position shows what the table holds. False when the file could not be written (it is
    // tried again on each step; RuleFileProblem says so meanwhile).
    bool RulesSaved(std::string_view positionId);
    // Before the settings dialog opens: slots of positions closed since are freed for it.
    void FreeSlotsOfClosedPositions();
    // What is wrong with the rule file (GBK): it could not be written (legs held back), or
    // lines of it could not be read at login. Empty when nothing.
    std::string RuleFileProblem() const;
    // The last leg that fired and went out: "止损触发: rb2705 卖出平仓 2手 价3450 10:11:12"
    // (GBK), with how many more fired before it this session; empty before the first.
    std::string FiredLegNotice() const;
    // Contracts whose armed rules wait, unevaluated, for a fresh quote of their own (in
    // position order, each once), as of the last step.
    const std::vector<std::string>& HeldRuleCodes() const { return heldCodes_; }

    // Closing orders of fired legs: sent aside by the window, their outcome reported back.
    void CloseOrderSent() { ++ordersOut_; }
    void CloseOrderAnswered(const CloseOrder& order, const CloseOutcome& outcome,
                            const std::string& clock);
    int CloseOrdersOut() const { return ordersOut_; }
    // After a leg of a split close did not go through (CloseOrderAnswered said so): the legs
    // that were to follow it are not sent, and the trader is told.
    void CloseLegsNotSent(std::span<const CloseOrder> legs);
    // The latest closing order that did not go through, for the trader (GBK); empty when none.
    std::string StopOrderProblem() const;
    // The trader looks at this position's rules: its failed order has been seen.
    void ForgetProblemsOf(std::string_view positionId);

private:
    void Sync(const std::shared_ptr<const PositionTable>& table, TradingStep& step);
    void Quote(LivePosition& position, const std::shared_ptr<const ProductTable>& products);
    void Evaluate(LivePosition& position, TradingStep& step);
    void HoldRuleCodes();
    // Writes the table when it has changes not yet on disk; the legs held back go out with
    // `step` once it is written.
    void WriteRules(TradingStep* step);

    const SessionState& session_;
    QuoteBook& quotes_;
    std::shared_ptr<const PositionTable> table_;
    std::vector<LivePosition> positions_;
    StopRuleTable rules_;
    std::string rulePath_;
    bool suspended_ = false;
    std::vector<std::string> heldCodes_;
    std::vector<std::string> ruleCodes_;  // what kStopRulesOwner holds
    MultiplierCache multipliers_;
    int ordersOut_ = 0;
    struct Problem {
        std::string positionId;
        std::string text;
    };
    std::vector<Problem> problems_;
    std::vector<FiredLeg> scratch_;
    bool unwritten_ = false;          // the table holds changes the file does not
    std::vector<FiredLeg> heldBack_;  // fired, spent, waiting for their clearing to be written
    std::string readProblem_;
    std::string firedNotice_;
    int firedCount_ = 0;
};

}  // namespace ft
