#include "positions/trading_state.h"

#include <algorithm>
#include <set>

#include "core/frame_rules.h"
#include "core/text.h"
#include "net/daily_log.h"
#include "platform/system.h"
#include "positions/close_split.h"
#include "positions/stop_rule_file.h"

namespace ft {
namespace {

Rgb ProfitColour(double profit) {
    return profit < 0 ? kSellColour : kBuyColour;
}

LivePosition FromRecord(const PositionRecord& record) {
    LivePosition p;
    p.record = record;
    p.code = std::string(FieldText(record.contractCode));
    p.direction = std::string(Trim(FieldText(record.direction)));
    p.positionNo = std::string(FieldText(record.positionNo));
    p.totalLots = std::string(FieldText(record.totalVolume));
    p.closableLots = std::string(FieldText(record.closableVolume));
    p.profitText = std::string(FieldText(record.profit));
    p.profitColour = ProfitColour(ToDouble(p.profitText));
    return p;
}

}  // namespace

TradingState::TradingState(const SessionState& session, QuoteBook& quotes)
    : session_(session), quotes_(quotes) {
    TradingStep ignored;
    Sync(session_.positions.Snapshot(), ignored);
}

void TradingState::RestoreRules(std::string path, std::time_t now) {
    rulePath_ = std::move(path);
    std::set<std::string, std::less<>> ids;
    for (const LivePosition& p : positions_) {
        ids.insert(p.positionNo);
    }
    RestoreStopRules(rulePath_, ids, now, rules_, &readProblem_);
    for (LivePosition& p : positions_) {
        p.ruleColumns = ShownRuleColumns(rules_, p.positionNo);
    }
    HoldRuleCodes();
}

void TradingState::Sync(const std::shared_ptr<const PositionTable>& table, TradingStep& step) {
    if (table == table_) {
        return;
    }
    table_ = table;
    // Beyond the rows the list shows, more positions change nothing here.
    const std::size_t count = table->Count(kMaxPositionRows);
    bool same = count == positions_.size();
    for (std::size_t i = 0; same && i < count; ++i) {
        same = FieldText(table->rows[i].positionNo) == positions_[i].positionNo;
    }
    if (!same) {
        positions_.clear();
        for (std::size_t i = 0; i < count; ++i) {
            positions_.push_back(FromRecord(table->rows[i]));
            positions_.back().ruleColumns = ShownRuleColumns(rules_, positions_.back().positionNo);
        }
        std::erase_if(problems_, [this](const Problem& p) { return !FindPosition(p.positionId); });
        step.rebuilt = true;
        step.fundsChanged = true;
        HoldRuleCodes();
        return;
    }
    for (std::size_t i = 0; i < count; ++i) {
        LivePosition& p = positions_[i];
        const LivePosition next = FromRecord(table->rows[i]);
        step.fundsChanged |=
            next.totalLots != p.totalLots || next.direction != p.direction || next.code != p.code;
        p.record = next.record;
        p.code = next.code;
        p.direction = next.direction;
        p.totalLots = next.totalLots;
        p.closableLots = next.closableLots;
    }
}

TradingStep TradingState::Step(std::uint64_t nowTick) {
    TradingStep step;
    WriteRules(&step);
    Sync(session_.positions.Snapshot(), step);
    const auto products = session_.products.Snapshot();
    heldCodes_.clear();
    for (LivePosition& p : positions_) {
        Quote(p, products);
        // A contract's own quote must be fresh: a price missing from the feed's answers is as
        // frozen as a silent feed, and must neither fire a leg nor hide one that should fire.
        if (StopRulesHeld(quotes_.SeenTick(p.code), nowTick)) {
            if (HasLiveLeg(rules_, p.positionNo) &&
                std::find(heldCodes_.begin(), heldCodes_.end(), p.code) == heldCodes_.end()) {
                heldCodes_.push_back(p.code);
            }
            continue;
        }
        if (p.quoted && !suspended_) {
            Evaluate(p, step);
        }
    }
    if (!step.fired.empty()) {
        HoldRuleCodes();
    }
    return step;
}

void TradingState::Quote(LivePosition& p, const std::shared_ptr<const ProductTable>& products) {
    const std::string record = quotes_.FindQuote(p.code);
    const std::optional<QuotePrices> prices = ReadQuotePrices(record, p.code);
    if (!prices) {
        return;
    }
    p.quoted = true;
    p.last = std::string(prices->last);
    p.bid = std::string(prices->bid);
    p.ask = std::string(prices->ask);
    const double profit =
        FloatingProfit(p.direction, ToInt(p.totalLots), ToDouble(FieldText(p.record.avgPrice)),
                       ToDouble(p.last), multipliers_.Get(products, p.code));
    if (std::optional<CellWrite> write = ProfitWrite(p.profitText, profit)) {
        p.profitText = std::move(write->text);
        p.profitColour = *write->colour;
    }
}

void TradingState::Evaluate(LivePosition& p, TradingStep& step) {
    scratch_.clear();
    const StopRuleRow row{p.code, p.direction, p.positionNo, p.closableLots};
    if (!EvaluateStopRules(rules_, row, p.last, p.bid, p.ask, scratch_)) {
        return;
    }
    // The cleared legs are on disk before any order goes out, so not even a restart can send
    // one twice.
    unwritten_ = true;
    for (FiredLeg& leg : scratch_) {
        leg.legs =
            SplitCloseOrder(leg.order, FieldText(p.record.exchange),
                            FieldText(p.record.todayVolume), FieldText(p.record.yesterdayVolume));
        heldBack_.push_back(std::move(leg));
    }
    WriteRules(&step);
    p.ruleColumns = LiveRuleColumns(rules_, p.positionNo);
}

void TradingState::WriteRules(TradingStep* step) {
    if (!unwritten_ || !WriteStopRuleFile(rulePath_, rules_)) {
        return;
    }
    unwritten_ = false;
    const std::tm t = platform::LocalNow();
    const std::string clock = Format("%02d:%02d:%02d", t.tm_hour, t.tm_min, t.tm_sec);
    for (FiredLeg& leg : heldBack_) {
        WriteLog(leg.logLine);
        ++firedCount_;
        firedNotice_ = Ansi(leg.stopLoss ? "止损触发: " : "止盈触发: ") + leg.order.code +
                       Ansi(leg.order.updown == "2" ? " 卖出平仓 " : " 买入平仓 ") +
                       leg.order.lots + Ansi("手 价") + leg.order.price + " " + clock;
        if (step) {
            step->fired.push_back(std::move(leg));
        }
    }
    heldBack_.clear();
}

std::string TradingState::RuleFileProblem() const {
    std::string text;
    if (unwritten_) {
        text = Ansi("止损止盈文件写入失败");
        text += heldBack_.empty()
                    ? Ansi("，设置在重启后不会保留")
                    : Ansi("，已触发的") + std::to_string(heldBack_.size()) +
                          Ansi("笔平仓暂缓发出，写入成功后发出，请检查磁盘或手动平仓");
    }
    if (!readProblem_.empty()) {
        text += (text.empty() ? "" : Ansi("；")) + readProblem_;
    }
    return text;
}

std::string TradingState::FiredLegNotice() const {
    if (firedCount_ > 1) {
        return firedNotice_ + Ansi("(本次共触发") + std::to_string(firedCount_) + Ansi("笔)");
    }
    return firedNotice_;
}

void TradingState::FreeSlotsOfClosedPositions() {
    const auto table = session_.positions.Snapshot();
    // Only against a table that holds positions: an empty answer may be a failed one.
    if (!table || table->Count(PositionTable::kCapacity) == 0) {
        return;
    }
    std::set<std::string, std::less<>> held;
    for (std::size_t i = 0; i < table->Count(PositionTable::kCapacity); ++i) {
        held.insert(std::string(FieldText(table->rows[i].positionNo)));
    }
    if (FreeSlotsOfGonePositions(rules_, held) > 0) {
        unwritten_ = true;
    }
}

void TradingState::HoldRuleCodes() {
    std::vector<std::string> codes;
    for (const LivePosition& p : positions_) {
        if (HasLiveLeg(rules_, p.positionNo) &&
            std::find(codes.begin(), codes.end(), p.code) == codes.end()) {
            codes.push_back(p.code);
        }
    }
    if (codes != ruleCodes_) {
        ruleCodes_ = codes;
        quotes_.HoldOnly(kStopRulesOwner, ruleCodes_);
    }
}

bool TradingState::RulesSaved(std::string_view positionId) {
    unwritten_ = true;
    // Legs held back go out with the next step.
    if (heldBack_.empty()) {
        WriteRules(nullptr);
    }
    for (LivePosition& p : positions_) {
        if (p.positionNo == positionId) {
            p.ruleColumns = ShownRuleColumns(rules_, p.positionNo);
        }
    }
    HoldRuleCodes();
    return !unwritten_;
}

const LivePosition* TradingState::FindPosition(std::string_view positionNo) const {
    for (const LivePosition& p : positions_) {
        if (p.positionNo == positionNo) {
            return &p;
        }
    }
    return nullptr;
}

std::vector<HeldPosition> TradingState::HeldPositions() const {
    std::vector<HeldPosition> held;
    held.reserve(positions_.size());
    for (const LivePosition& p : positions_) {
        held.push_back({p.code, p.direction, p.closableLots,
                        std::string(FieldText(p.record.todayVolume)),
                        std::string(FieldText(p.record.yesterdayVolume)),
                        std::string(FieldText(p.record.exchange))});
    }
    return held;
}

FundsBarTexts TradingState::Funds() const {
    std::vector<std::string> profits;
    profits.reserve(positions_.size());
    for (const LivePosition& p : positions_) {
        profits.push_back(p.profitText);
    }
    return ComputeFundsBar(*session_.money.Snapshot(), *session_.positions.Snapshot(), &profits,
                           session_.serverMode());
}

void TradingState::CloseOrderAnswered(const CloseOrder& order, const CloseOutcome& outcome,
                                      const std::string& clock) {
    --ordersOut_;
    ForgetProblemsOf(order.positionId);
    if (!outcome.accepted) {
        problems_.push_back({order.positionId, Ansi("止损止盈平仓失败: ") + order.code + " " +
                                                   outcome.problem + " (" + clock + ")"});
    }
}

void TradingState::CloseLegsNotSent(std::span<const CloseOrder> legs) {
    if (legs.empty() || problems_.empty() || problems_.back().positionId != legs[0].positionId) {
        return;
    }
    for (const CloseOrder& leg : legs) {
        problems_.back().text +=
            Ansi(leg.type == "3" ? "，平仓 " : "，平今 ") + leg.lots + Ansi("手未发送");
    }
}

std::string TradingState::StopOrderProblem() const {
    if (problems_.empty()) {
        return {};
    }
    std::string text = problems_.back().text;
    if (problems_.size() > 1) {
        text += Ansi("，另有") + std::to_string(problems_.size() - 1) + Ansi("笔未成功");
    }
    return text;
}

void TradingState::ForgetProblemsOf(std::string_view positionId) {
    std::erase_if(problems_, [&](const Problem& p) { return p.positionId == positionId; });
}

}  // namespace ft
