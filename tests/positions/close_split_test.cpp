// How a close goes out by exchange: on 上期所 today's lots with 平今 first, then the rest with
// 平仓; elsewhere as it is.
#include "positions/close_split.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "core/record_format.h"
#include "core/text.h"
#include "platform/system.h"
#include "positions/close_order.h"
#include "positions/stop_rule_file.h"
#include "positions/trading_state.h"
#include "support/quote_records.h"
#include "support/temp_dir_test.h"

namespace ft {
namespace {

HeldPosition Held(const char* exchange, const char* today, const char* yesterday,
                  const char* direction = "买") {
    return {"rb2705", Ansi(direction), "5", today, yesterday, Ansi(exchange)};
}

TEST(CloseSplitTest, OnShanghaiTodaysLotsGoFirstWithCloseTodayThenTheRestWithClose) {
    struct Case {
        const char* exchange;
        const char *today, *yesterday;
        OpenClose chosen;
        long long lots;
        std::vector<CloseLeg> legs;
    };
    using enum OpenClose;
    const Case cases[] = {
        {"上期所", "2", "3", Close, 5, {{CloseToday, 2}, {Close, 3}}},
        {"上期所", "2", "3", Close, 4, {{CloseToday, 2}, {Close, 2}}},
        {"上期所", "2", "3", Close, 2, {{CloseToday, 2}}},
        {"上期所", "2", "3", Close, 1, {{CloseToday, 1}}},
        {"上期所", "0", "3", Close, 3, {{Close, 3}}},
        // More than is held: the rest goes as 平仓, which the back-end refuses with its reason.
        {"上期所", "2", "3", Close, 7, {{CloseToday, 2}, {Close, 5}}},
        {"上期所 ", " 2", "3 ", Close, 5, {{CloseToday, 2}, {Close, 3}}},
        // The trader's own 平今, an opening order, or a row without both day counts: as chosen.
        {"上期所", "2", "3", CloseToday, 5, {{CloseToday, 5}}},
        {"上期所", "2", "3", Open, 5, {{Open, 5}}},
        {"上期所", "", "3", Close, 5, {{Close, 5}}},
        {"上期所", "2", "", Close, 5, {{Close, 5}}},
        {"上期所", "2x", "3", Close, 5, {{Close, 5}}},
        {"上期所", "-2", "3", Close, 5, {{Close, 5}}},
        // Other exchanges: nothing changes.
        {"大商所", "2", "3", Close, 5, {{Close, 5}}},
        {"上期能源", "2", "3", Close, 5, {{Close, 5}}},
        {"", "2", "3", Close, 5, {{Close, 5}}},
    };
    for (const Case& c : cases) {
        const HeldPosition held = Held(c.exchange, c.today, c.yesterday);
        EXPECT_EQ(PlanClose(&held, c.chosen, c.lots), c.legs)
            << c.exchange << " " << c.today << "/" << c.yesterday << " " << c.lots;
    }
    EXPECT_EQ(PlanClose(nullptr, Close, 5), (std::vector<CloseLeg>{{Close, 5}}));
}

TEST(CloseSplitTest, TheFormIsSplitOnlyAgainstThePositionItClosesWithValidLots) {
    const std::vector<HeldPosition> held{Held("上期所", "2", "3", "卖"),
                                         Held("上期所", "1", "4", "买")};
    OrderForm form;
    form.code = "rb2705";
    form.side = OrderSide::Sell;  // closes the long: 1 of today, 4 earlier
    form.openClose = OpenClose::Close;
    form.lots = "5";
    EXPECT_EQ(PlanFormOrder(form, held),
              (std::vector<CloseLeg>{{OpenClose::CloseToday, 1}, {OpenClose::Close, 4}}));
    form.side = OrderSide::Buy;  // closes the short
    EXPECT_EQ(PlanFormOrder(form, held),
              (std::vector<CloseLeg>{{OpenClose::CloseToday, 2}, {OpenClose::Close, 3}}));
    form.code = "cu2702";
    EXPECT_EQ(PlanFormOrder(form, held).size(), 1u) << "no position of that contract";
    form.code = "rb2705";
    for (const char* lots : {"", "0", "abc", "100001", "1.5"}) {
        form.lots = lots;
        EXPECT_EQ(PlanFormOrder(form, held).size(), 1u)
            << "'" << lots << "' goes out as it is, for the order's checks to refuse";
    }
}

TEST(CloseSplitTest, TheConfirmationAndTheReportNameEveryLeg) {
    using enum OpenClose;
    const std::vector<CloseLeg> legs{{CloseToday, 2}, {Close, 3}};
    EXPECT_EQ(CloseLegsLabel(legs), Ansi("平今 2手 + 平仓 3手"));
    OrderForm form;
    form.code = "rb2705";
    form.side = OrderSide::Sell;
    form.openClose = Close;
    form.lots = "5";
    form.price = "3199";
    EXPECT_EQ(SplitConfirmationText(form, legs),
              Ansi("下单:平仓  卖  rb2705  5手  于价格 3199（平今 2手 + 平仓 3手）"));
    const CloseLeg asChosen[] = {{Close, 5}};
    EXPECT_EQ(SplitConfirmationText(form, asChosen), OrderConfirmationText(form))
        << "one leg as chosen: the usual text";
    EXPECT_EQ(SplitConfirmationText(form, std::span(legs).first(1)),
              Ansi("下单:平仓  卖  rb2705  5手  于价格 3199（平今 2手）"));
    EXPECT_EQ(LegsNotSentText(legs[0], std::span(legs).subspan(1), false),
              Ansi("平仓 3手未发送（平今 2手未被受理）"));
    EXPECT_EQ(LegsNotSentText(legs[0], std::span(legs).subspan(1), true),
              Ansi("平仓 3手未发送（平今 2手结果未知，请核对委托列表）"));
}

TEST(CloseSplitTest, AFiredCloseNamesItsPositionInEveryLeg) {
    const CloseOrder order{"rb2705", "2", "4", "3190", "P7"};
    const std::vector<CloseOrder> legs = SplitCloseOrder(order, Ansi("上期所"), "2", "3");
    ASSERT_EQ(legs.size(), 2u);
    EXPECT_EQ(legs[0], (CloseOrder{"rb2705", "2", "2", "3190", "P7", "2"}));
    EXPECT_EQ(legs[1], (CloseOrder{"rb2705", "2", "2", "3190", "P7", "3"}));
    EXPECT_EQ(CloseOrderBody("demo", legs[1]),
              "user_name=demo&code=rb2705&type=3&updown=2&num=2&price=3190&pricetype=3&src="
              "lctrade&dsid=P7");
    EXPECT_EQ(SplitCloseOrder(order, Ansi("上期所"), "0", "5"),
              (std::vector<CloseOrder>{{"rb2705", "2", "4", "3190", "P7", "3"}}));
    EXPECT_EQ(SplitCloseOrder(order, Ansi("上期所"), "9", "0"), std::vector<CloseOrder>{order});
    EXPECT_EQ(SplitCloseOrder(order, Ansi("郑商所"), "2", "3"), std::vector<CloseOrder>{order})
        << "elsewhere one 平今 naming the position, as before";
    EXPECT_EQ(SplitCloseOrder(order, Ansi("上期所"), "", ""), std::vector<CloseOrder>{order});
}

// The trading state hands a fired leg out with its split, and the report of a first leg that
// did not go through says what was not sent.
class CloseSplitStateTest : public ft::testing::TempDirTest {
protected:
    void SetUp() override {
        TempDirTest::SetUp();
        auto products = std::make_shared<ProductTable>();
        for (std::size_t i = 0; i < 2; ++i) {
            CopyField(products->rows[i].varietyCode, 8, "x");
            CopyField(products->rows[i].contractCode, 16, i == 0 ? "rb2705" : "m2705");
            CopyField(products->rows[i].multiplier, 8, "10");
        }
        session.products.Publish(products);
        session.money.Publish(std::make_shared<MoneyRecord>());
        auto table = std::make_shared<PositionTable>();
        Put(table->rows[0], "rb2705", "上期所", "P1");
        Put(table->rows[1], "m2705", "大商所", "P2");
        quotes.HoldOnly(kPositionsOwner, {"rb2705", "m2705"});
        session.positions.Publish(table);
    }
    static void Put(PositionRecord& p, const char* code, const char* exchange, const char* id) {
        CopyField(p.contractCode, 16, code);
        CopyField(p.direction, 8, Ansi("买"));
        CopyField(p.totalVolume, 8, "5");
        CopyField(p.yesterdayVolume, 8, "3");
        CopyField(p.todayVolume, 8, "2");
        CopyField(p.closableVolume, 8, "5");
        CopyField(p.avgPrice, 16, "3200");
        CopyField(p.profit, 16, "0");
        CopyField(p.exchange, 32, Ansi(exchange));
        CopyField(p.positionNo, 16, id);
    }
    static std::string Answer(const char* code, const char* last) {
        return ft::testing::QuoteRecordText(
            22, code, {{4, last}, {16, "99999"}, {17, "1"}, {18, last}, {20, last}});
    }
    SessionState session;
    QuoteBook quotes;
};

TEST_F(CloseSplitStateTest, FiredLegsCarryTheirSplitAndHeldPositionsTheirDays) {
    TradingState state(session, quotes);
    state.RestoreRules((dir / "rules.txt").string(), std::time(nullptr));
    quotes.SetQuoteText(Answer("rb2705", "3200") + "**" + Answer("m2705", "3200"));
    for (const char* id : {"P1", "P2"}) {
        const std::string code = std::string(id) == "P1" ? "rb2705" : "m2705";
        ASSERT_EQ(SaveStopRules(state.Rules(), code, Ansi("买"), id, quotes.FindQuote(code),
                                {RuleGridRow{"", "3100", "4", "", ""}}, std::time(nullptr))
                      .message,
                  "");
        ASSERT_TRUE(state.RulesSaved(id));
    }
    state.Step(platform::TickCount());
    const std::vector<HeldPosition> held = state.HeldPositions();
    ASSERT_EQ(held.size(), 2u);
    EXPECT_EQ(held[0].today, "2");
    EXPECT_EQ(held[0].yesterday, "3");
    EXPECT_EQ(held[0].exchange, Ansi("上期所"));

    quotes.SetQuoteText(Answer("rb2705", "3100") + "**" + Answer("m2705", "3100"));
    const TradingStep step = state.Step(platform::TickCount());
    ASSERT_EQ(step.fired.size(), 2u);
    EXPECT_EQ(step.fired[0].order.lots, "4") << "the log line and notice keep the whole close";
    ASSERT_EQ(step.fired[0].legs.size(), 2u);
    EXPECT_EQ(step.fired[0].legs[0].type, "2");
    EXPECT_EQ(step.fired[0].legs[0].lots, "2");
    EXPECT_EQ(step.fired[0].legs[1].type, "3");
    EXPECT_EQ(step.fired[0].legs[1].lots, "2");
    EXPECT_EQ(step.fired[1].legs, std::vector<CloseOrder>{step.fired[1].order});

    // The 平今 is refused: the 平仓 after it is not sent, and the pane says both.
    CloseOutcome refused;
    refused.answered = true;
    refused.problem = Ansi("资金账户冻结");
    state.CloseOrderSent();
    state.CloseOrderAnswered(step.fired[0].legs[0], refused, "10:11:12");
    state.CloseLegsNotSent(std::span(step.fired[0].legs).subspan(1));
    EXPECT_EQ(state.StopOrderProblem(),
              Ansi("止损止盈平仓失败: rb2705 资金账户冻结 (10:11:12)，平仓 2手未发送"));
    EXPECT_EQ(state.CloseOrdersOut(), 0);
}

}  // namespace
}  // namespace ft
