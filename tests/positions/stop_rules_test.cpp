#include "positions/stop_rules.h"

#include <gtest/gtest.h>

#include "core/session_state.h"
#include "core/text.h"

namespace ft {
namespace {

// A quote record of 22 fields with the code at 1, last at 4, limits at 16/17, bid/ask at 18/20.
std::string Quote(const std::string& last, const std::string& upper = "3770",
                  const std::string& lower = "3230", const std::string& code = "rb2705") {
    std::vector<std::string> f(22, "0");
    f[1] = code;
    f[4] = last;
    f[16] = upper;
    f[17] = lower;
    std::string text;
    for (std::size_t i = 0; i < f.size(); ++i)
        text += (i ? "," : "") + f[i];
    return text;
}

RuleGridRow Row(const char* slPrice, const char* slLots, const char* tpPrice = "",
                const char* tpLots = "") {
    return RuleGridRow{"2026-12-07 10:00", slPrice, slLots, tpPrice, tpLots};
}

class StopRulesTest : public ::testing::Test {
protected:
    // Saves `rows` for position `id` against a last price of 3500.
    SaveOutcome Save(const std::vector<RuleGridRow>& rows, const char* direction = "买",
                     const std::string& id = "9001", const std::string& last = "3500") {
        return SaveStopRules(table, "rb2705", Ansi(direction), id, Quote(last), rows, now);
    }
    bool Evaluate(const char* direction, const std::string& bid, const std::string& ask,
                  const std::string& closable = "10", const std::string& id = "9001") {
        directionText = Ansi(direction);
        return EvaluateStopRules(table, {"rb2705", directionText, id, closable}, "3499", bid, ask,
                                 fired);
    }
    int Taken() const {
        int n = 0;
        for (const StopRule& r : table.Slots())
            n += r.Taken();
        return n;
    }

    StopRuleTable table;
    std::vector<FiredLeg> fired;
    std::string directionText;
    std::time_t now = 1'796'000'000;
};

TEST_F(StopRulesTest, LongStopFiresAtAnEqualBidAndNotAboveIt) {
    ASSERT_TRUE(Save({Row("3500", "2")}).message.empty());
    EXPECT_FALSE(Evaluate("买", "3500.2", "3501"));
    EXPECT_TRUE(fired.empty());
    EXPECT_TRUE(Evaluate("买", "3500.0", "3501"));
    ASSERT_EQ(fired.size(), 1u);
    EXPECT_EQ(fired[0].order, (CloseOrder{"rb2705", "2", "2", "3500", "9001"}))
        << "a long closes by selling at the leg's own price";
    EXPECT_EQ(fired[0].logLine, "to weituo A 111...,strCode:rb2705,optnum:2,,price:3499");
    // The leg is gone, and with nothing left to fire, its slot is free again.
    EXPECT_FALSE(table.Slots()[0].Taken());
}

TEST_F(StopRulesTest, AFiredLegNeverFiresAgainWhileItsOrderIsOut) {
    ASSERT_TRUE(Save({Row("3500", "2")}).message.empty());
    EXPECT_TRUE(Evaluate("买", "3490", "3491"));
    for (int step = 0; step < 20; ++step)
        EXPECT_FALSE(Evaluate("买", "3480", "3481"));
    EXPECT_EQ(fired.size(), 1u);
}

TEST_F(StopRulesTest, ShortTakeProfitAtAnEqualAskButNothingWithoutAnAsk) {
    ASSERT_TRUE(Save({Row("", "", "3400", "1")}, "卖").message.empty());
    EXPECT_FALSE(Evaluate("卖", "3399", "0"));
    EXPECT_FALSE(Evaluate("卖", "3399", "3400.5"));
    EXPECT_TRUE(Evaluate("卖", "3399", "3400"));
    ASSERT_EQ(fired.size(), 1u);
    EXPECT_EQ(fired[0].order, (CloseOrder{"rb2705", "1", "1", "3400", "9001"}))
        << "a short closes by buying";
}

TEST_F(StopRulesTest, ShortStopAndLongTakeProfitFireOnTheirSides) {
    ASSERT_TRUE(Save({Row("3600", "1")}, "卖").message.empty());
    EXPECT_FALSE(Evaluate("卖", "3598", "3599"));
    EXPECT_TRUE(Evaluate("卖", "3600", "3601"));
    ASSERT_TRUE(Save({Row("", "", "3600", "1")}, "买").message.empty());
    EXPECT_FALSE(Evaluate("买", "3599", "3600"));
    EXPECT_FALSE(Evaluate("买", "0", "3700")) << "no bid yet";
    EXPECT_TRUE(Evaluate("买", "3600", "3601"));
    EXPECT_EQ(fired.size(), 2u);
}

TEST_F(StopRulesTest, LegsAtPriceOneTenthOrWithoutLotsNeverFire) {
    // The back-end's quotes cannot reach these prices in a normal day, so the rows go into the
    // table directly.
    ASSERT_TRUE(SaveStopRules(table, "rb2705", Ansi("卖"), "9001", Quote("0.05", "5000", "0"),
                              {Row("0.1", "1"), Row("3600", "0"), Row("3600", "")}, now)
                    .message.empty());
    EXPECT_FALSE(Evaluate("卖", "5000", "5000"));
    EXPECT_TRUE(fired.empty());
    EXPECT_EQ(Taken(), 3);
}

TEST_F(StopRulesTest, LotsAreCappedAtTheClosableLotsButTheLogShowsTheRulesLots) {
    ASSERT_TRUE(Save({Row("3500", "5")}).message.empty());
    EXPECT_TRUE(Evaluate("买", "3400", "3401", "3"));
    ASSERT_EQ(fired.size(), 1u);
    EXPECT_EQ(fired[0].order.lots, "3");
    EXPECT_EQ(fired[0].logLine, "to weituo A 111...,strCode:rb2705,optnum:5,,price:3499");
}

TEST_F(StopRulesTest, BothLegsInOneStepSendTwoOrdersAndFreeTheSlot) {
    // Saving asks for a stop at or beyond the last price and a take-profit at or within it,
    // so one quote crosses both only at that very price.
    ASSERT_TRUE(Save({Row("3650", "1", "3650", "2")}, "卖", "9001", "3650").message.empty());
    EXPECT_TRUE(Evaluate("卖", "3649", "3650"));
    ASSERT_EQ(fired.size(), 2u);
    EXPECT_EQ(fired[0].order.lots, "1");
    EXPECT_EQ(fired[1].order.lots, "2");
    EXPECT_FALSE(table.Slots()[0].Taken()) << "both legs fired: the slot is free again";
    EXPECT_EQ(table.FirstFree(), 0u);
}

TEST_F(StopRulesTest, OneLegFiringLeavesTheOtherAndTheColumnsFollowTheRemainingRules) {
    ASSERT_TRUE(Save({Row("3450", "1", "3600", "2"), Row("3400", "3")}).message.empty());
    EXPECT_EQ(ShownRuleColumns(table, "9001"), (RuleColumns{"3450/1", "3600/2"}));
    EXPECT_TRUE(Evaluate("买", "3420", "3421"));
    ASSERT_EQ(fired.size(), 1u);
    EXPECT_TRUE(table.Slots()[0].Taken());
    EXPECT_EQ(LiveRuleColumns(table, "9001"), (RuleColumns{"3400/3", "3600/2"}));
    // Several slots of one position fire in slot order within one step.
    EXPECT_TRUE(Evaluate("买", "3390", "3391"));
    ASSERT_EQ(fired.size(), 2u);
    EXPECT_EQ(fired[1].order.price, "3400");
    EXPECT_EQ(LiveRuleColumns(table, "9001"), (RuleColumns{"", "3600/2"}));
}

TEST_F(StopRulesTest, RulesOfOtherPositionsAreLeftAlone) {
    ASSERT_TRUE(Save({Row("3500", "1")}, "买", "9001").message.empty());
    ASSERT_TRUE(Save({Row("3500", "1")}, "买", "9002").message.empty());
    EXPECT_TRUE(Evaluate("买", "3400", "3401", "10", "9002"));
    ASSERT_EQ(fired.size(), 1u);
    EXPECT_EQ(fired[0].order.positionId, "9002");
    EXPECT_EQ(LiveRuleColumns(table, "9001").stopLoss, "3500/1");
    EXPECT_FALSE(Evaluate("买", "3400", "3401", "10", "")) << "an empty id matches no free slot";
}

TEST_F(StopRulesTest, SavingReplacesThePositionsRulesAndAnEmptyGridRemovesThem) {
    ASSERT_TRUE(Save({Row("3450", "1")}, "买", "9002").message.empty());
    SaveOutcome saved =
        Save({Row("", "", "3600", "1"), Row("3400", "2", "3700", "1"), Row("", "")});
    ASSERT_TRUE(saved.message.empty());
    EXPECT_EQ(Taken(), 4) << "rows with both prices empty are stored too";
    EXPECT_EQ(saved.stopLossPrice, "3400");
    EXPECT_EQ(saved.stopLossLots, "2");
    EXPECT_EQ(saved.takeProfitPrice, "3600");
    EXPECT_EQ(SavedRuleColumns(saved), (RuleColumns{"3400/2", "3600/1"}));
    const StopRule& first = table.Slots()[1];
    EXPECT_EQ(FieldText(first.setTime), RuleTimeText(now)) << "the save time, not the row's";
    EXPECT_EQ(FieldText(first.inUse), "1");

    saved = Save({});
    ASSERT_TRUE(saved.message.empty());
    EXPECT_EQ(Taken(), 1);
    EXPECT_TRUE(table.Slots()[0].BelongsTo("9002"));
    EXPECT_EQ(SavedRuleColumns(saved), RuleColumns{});
}

TEST_F(StopRulesTest, APriceWithoutLotsShowsNoColumnAfterSaving) {
    const SaveOutcome saved = Save({Row("3400", "")});
    ASSERT_TRUE(saved.message.empty());
    EXPECT_EQ(SavedRuleColumns(saved).stopLoss, "");
    EXPECT_EQ(ShownRuleColumns(table, "9001").stopLoss, "3400/");
    EXPECT_EQ(LiveRuleColumns(table, "9001").stopLoss, "");
}

// A price typed without lots would never fire: the dialog's unit choice supplies the lots.
TEST(StopRuleLotsTest, AnEmptyLotsCellTakesTheUnitChoice) {
    const std::vector<RuleGridRow> typed{{"", "3100", "", "3300", "2"}, {"", "", "", "", ""}};
    std::vector<RuleGridRow> rows = typed;
    FillMissingLots(rows, LotsUnit::Auto, "3");
    EXPECT_EQ(rows[0].stopLossLots, "3");
    EXPECT_EQ(rows[0].takeProfitLots, "2") << "typed lots stay";
    EXPECT_EQ(rows[1].stopLossLots, "") << "no price, no lots";
    rows = typed;
    FillMissingLots(rows, LotsUnit::OneLot, "3");
    EXPECT_EQ(rows[0].stopLossLots, "1");
    rows = typed;
    FillMissingLots(rows, LotsUnit::Default, "3");
    EXPECT_EQ(rows[0].stopLossLots, "3");
}

TEST_F(StopRulesTest, TheThreeMessagesInOrderAndNothingStoredOnAFailure) {
    ASSERT_TRUE(Save({Row("3450", "1")}).message.empty());
    // The first failing row and leg decide.
    EXPECT_EQ(Save({Row("3800", "1")}).message, OutOfLimitsMessage());
    EXPECT_EQ(Save({Row("", "", "3200", "1")}).message, OutOfLimitsMessage());
    EXPECT_EQ(Save({Row("3501", "1", "3800", "1")}).message, BadStopLossMessage());
    EXPECT_EQ(Save({Row("3400", "1", "3499", "1"), Row("3900", "1")}).message,
              BadTakeProfitMessage());
    EXPECT_EQ(Save({Row("3499", "1", "3499", "1")}, "卖").message, BadStopLossMessage());
    EXPECT_EQ(Save({Row("", "", "3501", "1")}, "卖").message, BadTakeProfitMessage());
    EXPECT_EQ(ShownRuleColumns(table, "9001"), (RuleColumns{"3450/1", ""}))
        << "the rules from before are untouched";
    EXPECT_EQ(OutOfLimitsMessage(), Ansi("设置的止损止盈价格超出了当天的涨跌停范围!"));
    EXPECT_EQ(BadStopLossMessage(), Ansi("止损价格设置错误!"));
    EXPECT_EQ(BadTakeProfitMessage(), Ansi("止盈价格设置错误!"));
}

TEST_F(StopRulesTest, AStopEqualToTheLastPricePassesForBothDirections) {
    EXPECT_TRUE(Save({Row("3500", "1", "3500", "1")}, "买").message.empty());
    EXPECT_TRUE(Save({Row("3500", "1", "3500", "1")}, "卖").message.empty());
    EXPECT_TRUE(SaveStopRules(table, "rb2705", "  " + Ansi("卖"), "9001", Quote("3500"),
                              {Row("3501", "1", "3499", "1")}, now)
                    .message.empty())
        << "the direction is trimmed";
}

TEST_F(StopRulesTest, WithoutAUsableQuoteEveryPositivePriceIsOutOfLimits) {
    std::string nineteenFields = Quote("3500");
    for (int i = 0; i < 3; ++i)
        nineteenFields.erase(nineteenFields.rfind(','));
    for (const std::string& quote :
         {std::string(), Quote("3500", "3770", "3230", "cu2702"), nineteenFields}) {
        EXPECT_EQ(SaveStopRules(table, "rb2705", Ansi("买"), "9001", quote, {Row("3400", "1")}, now)
                      .message,
                  OutOfLimitsMessage());
    }
    EXPECT_TRUE(SaveStopRules(table, "rb2705", Ansi("买"), "9001", "", {Row("", "1")}, now)
                    .message.empty());
}

// A full table used to drop the rows beyond it while the columns showed them.
TEST_F(StopRulesTest, AFullTableRefusesTheSaveAndStoresNothing) {
    std::vector<RuleGridRow> rows(99, Row("3400", "1"));
    ASSERT_TRUE(Save(rows, "买", "9002").message.empty());
    ASSERT_TRUE(Save({Row("3460", "1")}).message.empty());
    const SaveOutcome refused = Save({Row("3450", "1"), Row("3440", "2"), Row("3430", "3")});
    EXPECT_EQ(refused.message, TableFullMessage());
    EXPECT_EQ(Taken(), 100);
    EXPECT_EQ(ShownRuleColumns(table, "9001").stopLoss, "3460/1") << "the stored rule stays";
    // Replacing the position's own rule fits in its own slot.
    ASSERT_TRUE(Save({Row("3450", "1")}).message.empty());
    EXPECT_EQ(ShownRuleColumns(table, "9001").stopLoss, "3450/1");
    // Slots of positions closed since are freed for the next save.
    EXPECT_EQ(FreeSlotsOfGonePositions(table, {"9001"}), 99u);
    EXPECT_TRUE(Save({Row("3450", "1"), Row("3440", "2"), Row("3430", "3")}).message.empty());
    EXPECT_EQ(Taken(), 3);

    table.Clear();
    // (An id too long for its field is refused instead: see the test below.)
    ASSERT_TRUE(Save({Row("3400", "1234")}, "买", "123456789012345").message.empty());
    EXPECT_EQ(FieldText(table.Slots()[0].positionId), "123456789012345");
}

TEST(StopRuleInputTest, CellsOutsideTheInputRuleAreNamed) {
    for (const char* price : {"3500..", "nan", "inf", "1e400", "-1", "3400.123456", "3400."}) {
        const std::string message = CheckRuleInputs({Row("3400", "1"), Row(price, "1")}, 4);
        EXPECT_NE(message, "") << price;
        EXPECT_NE(message.find(price), std::string::npos) << price;
        EXPECT_NE(CheckRuleInputs({Row("", "", price, "1")}, 4), "") << price;
    }
    for (const char* lots : {"1.5", "0", "-2", "10001"}) {
        EXPECT_NE(CheckRuleInputs({Row("3400", lots)}, 4), "") << lots;
        EXPECT_NE(CheckRuleInputs({Row("", "", "3600", lots)}, 4), "") << lots;
    }
    // The contract's tick: rb ticks by 1.
    EXPECT_NE(CheckRuleInputs({Row("3400.5", "1")}, 0), "");
    EXPECT_EQ(CheckRuleInputs({Row("3400.5", "1", "3600", "2"), Row("", "")}, 1), "");
}

TEST_F(StopRulesTest, ASlotWhoseOnlyLegFiredIsFreed) {
    ASSERT_TRUE(Save({Row("3450", "1"), Row("3440", "1", "3600", "1")}).message.empty());
    EXPECT_EQ(Taken(), 2);
    EXPECT_TRUE(Evaluate("买", "3445", "3446"));
    EXPECT_EQ(Taken(), 1) << "the first row had nothing left";
    EXPECT_TRUE(Evaluate("买", "3439", "3440"));
    EXPECT_EQ(Taken(), 1) << "the second row keeps its take-profit";
    EXPECT_TRUE(Evaluate("买", "3600", "3601"));
    EXPECT_EQ(Taken(), 0);
    ASSERT_EQ(fired.size(), 3u);
    EXPECT_TRUE(fired[0].stopLoss);
    EXPECT_FALSE(fired[2].stopLoss);
}

TEST(StopRuleHoldTest, HeldWithoutAnAnswerAndWhileTheLastOneIsOlderThanThreeSeconds) {
    EXPECT_TRUE(StopRulesHeld(0, 50'000));
    EXPECT_FALSE(StopRulesHeld(47'000, 50'000)) << "exactly 3 s is still fresh";
    EXPECT_TRUE(StopRulesHeld(46'999, 50'000));
    EXPECT_FALSE(StopRulesHeld(50'100, 50'000)) << "an answer newer than the clock reading";
}

TEST(StopRuleTableTest, LiveLegsAreThoseThatCouldFire) {
    StopRuleTable table;
    EXPECT_FALSE(table.AnyLiveLeg());
    ASSERT_TRUE(SaveStopRules(table, "rb2705", Ansi("买"), "1", Quote("3500"),
                              {Row("", ""), Row("3400", "0")}, 0)
                    .message.empty());
    EXPECT_FALSE(table.AnyLiveLeg());
    ASSERT_TRUE(SaveStopRules(table, "rb2705", Ansi("买"), "1", Quote("3500"),
                              {Row("", "", "3600", "1")}, 0)
                    .message.empty());
    EXPECT_TRUE(table.AnyLiveLeg());
}

TEST_F(StopRulesTest, APositionWithoutAWholeIdTakesNoRules) {
    const std::vector<RuleGridRow> rows{{"", "3450", "1", "", ""}};
    for (const std::string& id : {std::string(), std::string(16, '7'),
                                  std::string("9\0"
                                              "1",
                                              3)}) {
        EXPECT_EQ(Save(rows, "买", id).message, NoPositionIdMessage());
        EXPECT_EQ(Taken(), 0);
    }
    EXPECT_TRUE(Save(rows, "买", std::string(15, '7')).message.empty());
    EXPECT_EQ(Taken(), 1);
}

TEST_F(StopRulesTest, NanOrADoubleSignIsNoStopPrice) {
    for (const char* price : {"nan", "inf", "--3400", "+-3400"}) {
        EXPECT_EQ(Save({{"", price, "1", "", ""}}).message, OutOfLimitsMessage()) << price;
        EXPECT_EQ(Taken(), 0);
    }
}

}  // namespace
}  // namespace ft
