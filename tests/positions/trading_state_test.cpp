// The trading state without any window: positions, profits, funds and stop rules from a
// sequence of table reloads and quote answers.
#include "positions/trading_state.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "core/frame_rules.h"
#include "core/text.h"
#include "platform/system.h"
#include "positions/stop_rule_file.h"
#include "support/quote_records.h"
#include "support/temp_dir_test.h"

namespace ft {
namespace {

constexpr std::uint64_t kStale = kStaleQuoteMs + 500;

class TradingStateTest : public ft::testing::TempDirTest {
protected:
    void SetUp() override {
        TempDirTest::SetUp();
        auto products = std::make_shared<ProductTable>();
        Product(*products, 0, "al2702", "5");
        Product(*products, 1, "rb2705", "10");
        session.products.Publish(products);
        auto money = std::make_shared<MoneyRecord>();
        CopyField(money->staticEquity, 32, "100000");
        CopyField(money->closeProfit, 32, "200");
        CopyField(money->commission, 16, "50");
        session.money.Publish(money);
    }
    static void Product(ProductTable& table, std::size_t row, const char* code, const char* m) {
        CopyField(table.rows[row].varietyCode, 8, "x");
        CopyField(table.rows[row].contractCode, 16, code);
        CopyField(table.rows[row].multiplier, 8, m);
    }
    static void Position(PositionTable& table, std::size_t row, const char* code,
                         const char* direction, const char* lots, const char* avg, const char* id,
                         const char* margin = "1000") {
        PositionRecord& p = table.rows[row];
        CopyField(p.contractCode, 16, code);
        CopyField(p.direction, 8, Ansi(direction));
        CopyField(p.totalVolume, 8, lots);
        CopyField(p.closableVolume, 8, lots);
        CopyField(p.avgPrice, 16, avg);
        CopyField(p.profit, 16, "0");
        CopyField(p.margin, 16, margin);
        CopyField(p.positionNo, 16, id);
    }
    // A quote answer of records (code, last, bid, ask).
    static std::string Answer(std::initializer_list<std::array<const char*, 4>> records) {
        std::string text;
        for (const auto& r : records) {
            text += (text.empty() ? "" : "**") +
                    ft::testing::QuoteRecordText(
                        22, r[0], {{4, r[1]}, {16, "99999"}, {17, "1"}, {18, r[2]}, {20, r[3]}});
        }
        return text;
    }
    void Publish(std::shared_ptr<PositionTable> table) {
        std::vector<std::string> codes;
        for (std::size_t i = 0; i < table->Count(); ++i) {
            codes.emplace_back(FieldText(table->rows[i].contractCode));
        }
        quotes.HoldOnly(kPositionsOwner, codes);
        session.positions.Publish(std::move(table));
    }
    void AddStop(TradingState& state, const char* code, const char* direction, const char* id,
                 const char* quote, const char* stop, const char* lots) {
        const SaveOutcome saved =
            SaveStopRules(state.Rules(), code, Ansi(direction), id, quote,
                          {RuleGridRow{"", stop, lots, "", ""}}, std::time(nullptr));
        ASSERT_TRUE(saved.message.empty());
        ASSERT_TRUE(state.RulesSaved(id));
    }
    std::string RulePath() const { return (dir / "rules.txt").string(); }

    SessionState session;
    QuoteBook quotes;
};

TEST_F(TradingStateTest, ProfitAndFundsFollowQuotesAndReloads) {
    auto table = std::make_shared<PositionTable>();
    Position(*table, 0, "al2702", "买", "2", "20300", "P1", "3000");
    Position(*table, 1, "rb2705", "卖", "1", "3200", "P2", "2000");
    Publish(table);
    TradingState state(session, quotes);
    ASSERT_EQ(state.Positions().size(), 2u);
    EXPECT_EQ(state.Positions()[0].profitText, "0") << "the record's until the first quote";
    EXPECT_FALSE(state.Positions()[0].quoted);

    quotes.SetQuoteText(
        Answer({{"al2702", "20350", "20345", "20355"}, {"rb2705", "3210", "3209", "3211"}}));
    TradingStep step = state.Step(platform::TickCount());
    EXPECT_FALSE(step.rebuilt);
    EXPECT_EQ(state.Positions()[0].profitText, "500");   // 2 x 50 x 5
    EXPECT_EQ(state.Positions()[1].profitText, "-100");  // 1 x -10 x 10
    EXPECT_EQ(state.Positions()[1].profitColour, kSellColour);
    FundsBarTexts funds = state.Funds();
    EXPECT_EQ(funds.positionProfit, "400");
    EXPECT_EQ(funds.margin, "5000");
    EXPECT_EQ(funds.dynamicEquity, "100550");  // 100000 + 200 + 400 - 50
    EXPECT_EQ(funds.available, "95550");

    // A reload with fewer lots in place: the funds are reloaded, the rows stay.
    auto fewer = std::make_shared<PositionTable>(*table);
    CopyField(fewer->rows[0].totalVolume, 8, "1");
    Publish(fewer);
    step = state.Step(platform::TickCount());
    EXPECT_TRUE(step.fundsChanged);
    EXPECT_FALSE(step.rebuilt);
    EXPECT_EQ(state.Positions()[0].profitText, "250");
    // The same table again changes nothing.
    step = state.Step(platform::TickCount());
    EXPECT_FALSE(step.fundsChanged);

    // Another position in the first row: the positions are rebuilt.
    auto other = std::make_shared<PositionTable>(*fewer);
    CopyField(other->rows[0].positionNo, 16, "P9");
    Publish(other);
    step = state.Step(platform::TickCount());
    EXPECT_TRUE(step.rebuilt);
    EXPECT_TRUE(step.fundsChanged);
    ASSERT_NE(state.FindPosition("P9"), nullptr);
    EXPECT_EQ(state.FindPosition("P1"), nullptr);
    EXPECT_EQ(state.HeldPositions()[1].direction, Ansi("卖"));
}

TEST_F(TradingStateTest, AStopFiresOnceAndItsContractIsQuotedWhileItIsArmed) {
    auto table = std::make_shared<PositionTable>();
    Position(*table, 0, "al2702", "买", "2", "20300", "P1");
    Publish(table);
    TradingState state(session, quotes);
    state.RestoreRules(RulePath(), std::time(nullptr));
    const std::string quote = Answer({{"al2702", "20300", "20295", "20305"}});
    quotes.SetQuoteText(quote);
    AddStop(state, "al2702", "买", "P1", quote.c_str(), "20200", "2");
    EXPECT_TRUE(quotes.Holds(kStopRulesOwner, "al2702"));
    EXPECT_EQ(state.Positions()[0].ruleColumns.stopLoss, "20200/2");

    EXPECT_TRUE(state.Step(platform::TickCount()).fired.empty());
    // While the trader edits the rules, nothing fires.
    quotes.SetQuoteText(Answer({{"al2702", "20190", "20190", "20195"}}));
    state.SuspendRules(true);
    EXPECT_TRUE(state.Step(platform::TickCount()).fired.empty());
    state.SuspendRules(false);
    TradingStep step = state.Step(platform::TickCount());
    ASSERT_EQ(step.fired.size(), 1u);
    EXPECT_EQ(step.fired[0].order, (CloseOrder{"al2702", "2", "2", "20200", "P1"}));
    EXPECT_EQ(state.Positions()[0].ruleColumns.stopLoss, "");
    EXPECT_TRUE(state.Step(platform::TickCount()).fired.empty()) << "a leg fires once";
    EXPECT_FALSE(quotes.Holds(kStopRulesOwner, "al2702")) << "nothing armed any more";
    // The spent leg is on disk before the order goes out.
    StopRuleTable reread;
    ASSERT_TRUE(ReadStopRuleFile(RulePath(), reread));
    EXPECT_FALSE(HasLiveLeg(reread, "P1"));

    state.CloseOrderSent();
    EXPECT_EQ(state.CloseOrdersOut(), 1);
    CloseOutcome refused;
    refused.answered = true;
    refused.problem = Ansi("持仓不存在");
    state.CloseOrderAnswered(step.fired[0].order, refused, "10:00:00");
    EXPECT_EQ(state.CloseOrdersOut(), 0);
    EXPECT_EQ(state.StopOrderProblem(), Ansi("止损止盈平仓失败: al2702 持仓不存在 (10:00:00)"));
    state.ForgetProblemsOf("P1");
    EXPECT_EQ(state.StopOrderProblem(), "");
}

// A failed write used to be ignored: the order went out while the file still held the leg,
// and a restart the same day sent it again. Now nothing goes out until its leg is cleared on
// disk, and the trader sees why in the pane.
TEST_F(TradingStateTest, ALegWhoseClearingCannotBeWrittenIsHeldAndNeverFiresTwice) {
    auto table = std::make_shared<PositionTable>();
    Position(*table, 0, "al2702", "买", "2", "20300", "P1");
    Position(*table, 1, "rb2705", "卖", "3", "3500", "P2");
    Publish(table);
    const std::string calm =
        Answer({{"al2702", "20300", "20295", "20305"}, {"rb2705", "3500", "3499", "3501"}});
    const std::string crossed =
        Answer({{"al2702", "20190", "20190", "20195"}, {"rb2705", "3500", "3499", "3501"}});
    int ordersOut = 0;
    {
        TradingState state(session, quotes);
        state.RestoreRules(RulePath(), std::time(nullptr));
        quotes.SetQuoteText(calm);
        AddStop(state, "al2702", "买", "P1",
                Answer({{"al2702", "20300", "20295", "20305"}}).c_str(), "20200", "2");
        AddStop(state, "rb2705", "卖", "P2", Answer({{"rb2705", "3500", "3499", "3501"}}).c_str(),
                "3600", "1");
        EXPECT_EQ(state.RuleFileProblem(), "");

        // The temporary file of this process cannot be made: every write fails.
        const std::string temporary =
            RulePath() + "." + std::to_string(platform::ProcessId()) + ".tmp";
        std::filesystem::create_directory(temporary);
        quotes.SetQuoteText(crossed);
        for (int i = 0; i < 3; ++i) {
            ordersOut += static_cast<int>(state.Step(platform::TickCount()).fired.size());
        }
        EXPECT_EQ(ordersOut, 0);
        EXPECT_EQ(state.RuleFileProblem(),
                  Ansi("止损止盈文件写入失败，已触发的1笔平仓暂缓发出，写入成功后发出，"
                       "请检查磁盘或手动平仓"));
        EXPECT_EQ(state.FiredLegNotice(), "");
        EXPECT_EQ(state.Positions()[0].ruleColumns.stopLoss, "") << "spent in memory";
        EXPECT_FALSE(state.RulesSaved("P2")) << "a save meanwhile fails too";
        std::filesystem::remove(temporary);
        // The process ends here without the file ever being written.
    }
    // The restart the same day finds the leg still armed: it fires now, for the first time.
    TradingState restarted(session, quotes);
    restarted.RestoreRules(RulePath(), std::time(nullptr));
    TradingStep step = restarted.Step(platform::TickCount());
    ordersOut += static_cast<int>(step.fired.size());
    ASSERT_EQ(step.fired.size(), 1u);
    EXPECT_EQ(step.fired[0].order, (CloseOrder{"al2702", "2", "2", "20200", "P1"}));
    EXPECT_TRUE(
        restarted.FiredLegNotice().starts_with(Ansi("止损触发: al2702 卖出平仓 2手 价20200 ")))
        << restarted.FiredLegNotice();
    EXPECT_EQ(restarted.RuleFileProblem(), "");
    TradingState again(session, quotes);
    again.RestoreRules(RulePath(), std::time(nullptr));
    ordersOut += static_cast<int>(again.Step(platform::TickCount()).fired.size());
    EXPECT_EQ(ordersOut, 1);
    EXPECT_EQ(again.Positions()[1].ruleColumns.stopLoss, "3600/1") << "the other rule stays";
}

TEST_F(TradingStateTest, AHeldLegGoesOutOnceTheWriteSucceedsAndThePaneSaysItFired) {
    auto table = std::make_shared<PositionTable>();
    Position(*table, 0, "rb2705", "卖", "3", "3500", "P2");
    Publish(table);
    const std::string calm = Answer({{"rb2705", "3500", "3499", "3501"}});
    TradingState state(session, quotes);
    state.RestoreRules(RulePath(), std::time(nullptr));
    quotes.SetQuoteText(calm);
    // A short position: its take-profit lies below.
    const SaveOutcome saved =
        SaveStopRules(state.Rules(), "rb2705", Ansi("卖"), "P2", calm,
                      {RuleGridRow{"", "", "", "3400", "1"}}, std::time(nullptr));
    ASSERT_EQ(saved.message, "");
    ASSERT_TRUE(state.RulesSaved("P2"));
    const std::string temporary = RulePath() + "." + std::to_string(platform::ProcessId()) + ".tmp";
    std::filesystem::create_directory(temporary);
    quotes.SetQuoteText(Answer({{"rb2705", "3400", "3399", "3400"}}));
    EXPECT_TRUE(state.Step(platform::TickCount()).fired.empty());
    EXPECT_NE(state.RuleFileProblem(), "");
    std::filesystem::remove(temporary);
    TradingStep step = state.Step(platform::TickCount());
    ASSERT_EQ(step.fired.size(), 1u);
    EXPECT_EQ(step.fired[0].order, (CloseOrder{"rb2705", "1", "1", "3400", "P2"}));
    EXPECT_TRUE(state.Step(platform::TickCount()).fired.empty());
    EXPECT_EQ(state.RuleFileProblem(), "");
    EXPECT_TRUE(state.FiredLegNotice().starts_with(Ansi("止盈触发: rb2705 买入平仓 1手 价3400 ")))
        << state.FiredLegNotice();
    EXPECT_EQ(state.Rules().FirstFree(), 0u) << "its only leg spent, the slot is free";
}

TEST_F(TradingStateTest, RulesOfAContractMissingFromTheAnswersAreHeldUntilItIsBack) {
    auto table = std::make_shared<PositionTable>();
    Position(*table, 0, "al2702", "买", "1", "20300", "P1");
    Position(*table, 1, "rb2705", "买", "1", "3200", "P2");
    Publish(table);
    TradingState state(session, quotes);
    state.RestoreRules(RulePath(), std::time(nullptr));
    const std::string both =
        Answer({{"al2702", "20300", "20295", "20305"}, {"rb2705", "3200", "3199", "3201"}});
    quotes.SetQuoteText(both, 1000);
    AddStop(state, "al2702", "买", "P1", both.c_str(), "20200", "1");
    AddStop(state, "rb2705", "买", "P2", both.c_str(), "3100", "1");

    // al2702's last record crosses its stop while the trader edits the rules; then the
    // answers carry rb2705 only, which crosses its own.
    quotes.SetQuoteText(
        Answer({{"al2702", "20190", "20190", "20195"}, {"rb2705", "3200", "3199", "3201"}}), 2000);
    state.SuspendRules(true);
    EXPECT_TRUE(state.Step(2050).fired.empty());
    state.SuspendRules(false);
    quotes.SetQuoteText(Answer({{"rb2705", "3090", "3090", "3091"}}), 2000 + kStale);
    TradingStep step = state.Step(2000 + kStale + 100);
    EXPECT_EQ(state.HeldRuleCodes(), std::vector<std::string>{"al2702"});
    ASSERT_EQ(step.fired.size(), 1u) << "the fresh contract's rule is not held";
    EXPECT_EQ(step.fired[0].order.code, "rb2705");
    EXPECT_EQ(state.Positions()[0].last, "20190") << "the stale price is kept, not acted on";

    // al2702 is back, still through its stop: it fires, once.
    quotes.SetQuoteText(Answer({{"al2702", "20190", "20190", "20195"}}), 9000);
    step = state.Step(9050);
    ASSERT_EQ(step.fired.size(), 1u);
    EXPECT_EQ(step.fired[0].order.code, "al2702");
    EXPECT_TRUE(state.HeldRuleCodes().empty());
    EXPECT_TRUE(state.Step(9100).fired.empty());
}

TEST_F(TradingStateTest, ASilentFeedHoldsEveryArmedContract) {
    auto table = std::make_shared<PositionTable>();
    Position(*table, 0, "al2702", "买", "1", "20300", "P1");
    Position(*table, 1, "rb2705", "买", "1", "3200", "P2");
    Position(*table, 2, "cu2702", "买", "1", "78000", "P3");
    Publish(table);
    TradingState state(session, quotes);
    state.RestoreRules(RulePath(), std::time(nullptr));
    const std::string all = Answer({{"al2702", "20300", "20295", "20305"},
                                    {"rb2705", "3200", "3199", "3201"},
                                    {"cu2702", "78000", "77990", "78010"}});
    quotes.SetQuoteText(all, 1000);
    AddStop(state, "rb2705", "买", "P2", all.c_str(), "3100", "1");
    AddStop(state, "al2702", "买", "P1", all.c_str(), "20200", "1");
    EXPECT_TRUE(state.Step(1100).fired.empty());
    EXPECT_TRUE(state.HeldRuleCodes().empty());
    state.Step(1000 + kStale);
    // In position order; cu2702 has no rule, so nothing of it is held.
    EXPECT_EQ(state.HeldRuleCodes(), (std::vector<std::string>{"al2702", "rb2705"}));
}

}  // namespace
}  // namespace ft
