#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "core/text.h"
#include "trading/order_rules.h"

#include "support/quote_records.h"

namespace ft {
namespace {

std::shared_ptr<ProductTable> Products(
    const std::vector<std::pair<std::string, std::string>>& codesAndTicks) {
    auto table = std::make_shared<ProductTable>();
    std::size_t i = 0;
    for (const auto& [code, tick] : codesAndTicks) {
        CopyField(table->rows[i].contractCode, 16, code);
        CopyField(table->rows[i].tickSize, 8, tick);
        ++i;
    }
    return table;
}

// What the order worker asked, told and sent, in order.
struct Recorder {
    std::vector<std::string> events;  // "notify:...", "confirm:...", "post:...", "reload"
    bool confirmAnswer = true;
    PostResult sent{PostStatus::Answered, 200};
    std::string answer = "0,ok";

    OrderSteps Steps() {
        OrderSteps steps;
        steps.notify = [this](const std::string& text) { events.push_back("notify:" + text); };
        steps.confirm = [this](const std::string& text) {
            events.push_back("confirm:" + text);
            return confirmAnswer;
        };
        steps.post = [this](const std::string& body, std::string& out) {
            events.push_back("post:" + body);
            if (sent.ok()) {
                out = answer;
            }
            return sent;
        };
        steps.reloadTables = [this] { events.push_back("reload"); };
        return steps;
    }
};

std::string Notify(const char* utf8) {
    return "notify:" + Ansi(utf8);
}

OrderForm Form() {
    OrderForm form;
    form.code = "rb2705";
    form.lots = "2";
    form.price = "3500";
    form.upperLimit = "3770";
    form.lowerLimit = "3230";
    return form;
}

OrderAccount Account(ServerMode mode = ServerMode::IntradayFirstRound) {
    return {"demo", mode, "10", Products({{"rb2705", "1"}, {"cu2702", "10"}})};
}

TEST(PriceLimitTest, EachRuleWithItsMessage) {
    const auto products = Products({{"rb2705", "1"}});
    struct Case {
        OpenClose type;
        OrderSide side;
        const char* price;
        bool passed;
        const char* message;
    } cases[] = {
        {OpenClose::Close, OrderSide::Buy, "3771", false, "报价超过涨停价,买入失败"},
        {OpenClose::Close, OrderSide::Sell, "3229", false, "报价超过涨停价,已跌停卖出失败"},
        {OpenClose::Close, OrderSide::Buy, "3229", false, "委托失败！价格不能超过该合约涨跌幅"},
        {OpenClose::Close, OrderSide::Sell, "3771", false, "委托失败！价格不能超过该合约涨跌幅"},
        // At the limit itself a close passes; an open must keep the buffer of 10 away.
        {OpenClose::Close, OrderSide::Buy, "3770", true, ""},
        {OpenClose::CloseToday, OrderSide::Sell, "3235", true, ""},
        {OpenClose::Open, OrderSide::Buy, "3765", false,
         "委托失败！价格不能超过该合约设定的上下幅度限制"},
        {OpenClose::Open, OrderSide::Sell, "3235", false,
         "委托失败！价格不能超过该合约设定的上下幅度限制"},
        {OpenClose::Open, OrderSide::Buy, "3760", true, ""},
        {OpenClose::Open, OrderSide::Sell, "3240", true, ""},
    };
    for (const Case& c : cases) {
        const LimitCheck check =
            CheckPriceLimits(*products, c.type, "rb2705", c.side, c.price, "3770", "3230", "10");
        EXPECT_EQ(check.passed, c.passed) << c.price;
        EXPECT_EQ(check.message, Ansi(c.message)) << c.price;
    }
}

TEST(PriceLimitTest, AnUnknownContractFailsSilentlyUnlessTheTableIsFull) {
    const auto products = Products({{"rb2705", "1"}});
    const LimitCheck unknown = CheckPriceLimits(*products, OpenClose::Open, "zz9999",
                                                OrderSide::Buy, "1", "3770", "3230", "10");
    EXPECT_FALSE(unknown.passed);
    EXPECT_EQ(unknown.message, "");

    ProductTable full;
    for (std::size_t i = 0; i < ProductTable::kCapacity; ++i) {
        CopyField(full.rows[i].contractCode, 16, "c" + std::to_string(i));
    }
    EXPECT_TRUE(
        CheckPriceLimits(full, OpenClose::Open, "zz9999", OrderSide::Buy, "1", "", "", "").passed);
    EXPECT_FALSE(
        CheckPriceLimits(full, OpenClose::Open, "c511", OrderSide::Buy, "1", "", "", "").passed)
        << "the last row is still checked";
}

TEST(OrderWorkerTest, MissingInputsAreAskedForOneAtATimeAndNothingIsSent) {
    struct Case {
        OrderForm form;
        const char* message;
    };
    std::vector<Case> cases;
    OrderForm noCode = Form();
    noCode.code.clear();
    noCode.lots.clear();  // the contract is asked for first
    cases.push_back({noCode, "请输入合约"});
    for (const char* lots : {"", "0", "-1", "abc"}) {
        OrderForm f = Form();
        f.lots = lots;
        f.price.clear();
        cases.push_back({f, "请输入手数"});
    }
    OrderForm noPrice = Form();
    noPrice.price.clear();
    cases.push_back({noPrice, "请输入价格"});
    for (const Case& c : cases) {
        Recorder r;
        LastOrderAccepted = 1;
        EXPECT_EQ(RunOrder(c.form, Account(), r.Steps()), OrderOutcome::NotSent);
        EXPECT_EQ(r.events, std::vector<std::string>{Notify(c.message)}) << c.message;
        EXPECT_EQ(LastOrderAccepted, 0);
    }
}

// "nan" passed the limit check (every comparison with it is false) and was sent; "3500.."
// was checked as 3500 and sent as typed. Nothing but a plain number within the tick leaves.
TEST(OrderWorkerTest, PricesAndLotsOutsideTheInputRuleAreRefusedBeforeAnything) {
    for (ServerMode mode : {ServerMode::IntradayFirstRound, ServerMode::SecondRound}) {
        for (const char* price : {"nan", "inf", "1e400", "-1", "3500..", "3500.5", "0"}) {
            OrderForm f = Form();
            f.price = price;
            f.confirm = true;
            Recorder r;
            LastOrderAccepted = 1;
            EXPECT_EQ(RunOrder(f, Account(mode), r.Steps()), OrderOutcome::NotSent) << price;
            ASSERT_EQ(r.events.size(), 1u) << price;
            EXPECT_TRUE(r.events[0].starts_with("notify:")) << price;
            EXPECT_NE(r.events[0].find(price), std::string::npos) << price;
            EXPECT_EQ(LastOrderAccepted, 0);
        }
        for (const char* lots : {"1.5", "10001", "2x"}) {
            OrderForm f = Form();
            f.lots = lots;
            Recorder r;
            EXPECT_EQ(RunOrder(f, Account(mode), r.Steps()), OrderOutcome::NotSent) << lots;
            ASSERT_EQ(r.events.size(), 1u) << lots;
            EXPECT_TRUE(r.events[0].starts_with("notify:")) << lots;
        }
    }
    // cu2702 ticks by 10: whole prices only; an unknown contract takes a few decimals.
    OrderForm f = Form();
    f.code = "zz9999";
    f.price = "3500.25";
    Recorder r;
    EXPECT_EQ(RunOrder(f, Account(ServerMode::SecondRound), r.Steps()), OrderOutcome::Accepted);
}

TEST(OrderWorkerTest, TheConfirmationNamesTheOrderAndCancelSendsNothing) {
    OrderForm form = Form();
    form.confirm = true;
    form.openClose = OpenClose::CloseToday;
    form.side = OrderSide::Sell;
    EXPECT_EQ(OrderConfirmationText(form), Ansi("下单:平今  卖  rb2705  2手  于价格 3500"));
    form.openClose = OpenClose::Open;
    form.side = OrderSide::Buy;
    EXPECT_EQ(OrderConfirmationText(form), Ansi("下单:开仓  买  rb2705  2手  于价格 3500"));
    form.openClose = OpenClose::Close;
    EXPECT_EQ(OrderConfirmationText(form), Ansi("下单:平仓  买  rb2705  2手  于价格 3500"));

    Recorder r;
    r.confirmAnswer = false;
    LastOrderAccepted = 1;
    EXPECT_EQ(RunOrder(form, Account(), r.Steps()), OrderOutcome::NotSent);
    EXPECT_EQ(r.events, std::vector<std::string>{"confirm:" + OrderConfirmationText(form)});
    EXPECT_EQ(LastOrderAccepted, 0);

    Recorder ok;
    EXPECT_EQ(RunOrder(form, Account(), ok.Steps()), OrderOutcome::Accepted);
    ASSERT_EQ(ok.events.size(), 3u);
    EXPECT_EQ(ok.events[0].substr(0, 8), "confirm:");
    EXPECT_EQ(ok.events[1].substr(0, 5), "post:");
}

TEST(OrderWorkerTest, TheRequestCarriesTheFormAsShown) {
    OrderForm form = Form();
    form.lots = "02";
    form.price = "3500.0";
    EXPECT_EQ(WeituoBody("demo", form),
              "user_name=demo&code=rb2705&type=1&updown=1&num=02&price=3500.0&pricetype=2&"
              "src=tradedlg1");
    form.followPrice = true;
    form.side = OrderSide::Sell;
    form.openClose = OpenClose::CloseToday;
    EXPECT_EQ(WeituoBody("demo", form),
              "user_name=demo&code=rb2705&type=2&updown=2&num=02&price=3500.0&pricetype=1&"
              "src=tradedlg1");
    form.openClose = OpenClose::Close;
    EXPECT_EQ(WeituoBody("demo", form).substr(0, 46),
              "user_name=demo&code=rb2705&type=3&updown=2&num");
}

TEST(OrderWorkerTest, AFreshPanelInModeZeroRefusesEveryOrderWithTwoMessages) {
    OrderForm form = Form();
    form.upperLimit.clear();
    form.lowerLimit.clear();
    Recorder buy;
    LastOrderAccepted = 1;
    EXPECT_EQ(RunOrder(form, Account(), buy.Steps()), OrderOutcome::NotSent);
    EXPECT_EQ(buy.events, (std::vector<std::string>{Notify("报价超过涨停价,买入失败"),
                                                    Notify("挂单价格超出合约的涨跌幅限制")}));
    EXPECT_EQ(LastOrderAccepted, 1) << "a failed limit check leaves the flag as it was";

    form.side = OrderSide::Sell;
    Recorder sell;
    RunOrder(form, Account(), sell.Steps());
    EXPECT_EQ(sell.events, (std::vector<std::string>{Notify("委托失败！价格不能超过该合约涨跌幅"),
                                                     Notify("挂单价格超出合约的涨跌幅限制")}));

    // An unknown contract fails the check without a message of its own.
    form.code = "zz9999";
    Recorder unknown;
    RunOrder(form, Account(), unknown.Steps());
    EXPECT_EQ(unknown.events, std::vector<std::string>{Notify("挂单价格超出合约的涨跌幅限制")});
}

TEST(OrderWorkerTest, OtherModesSendWithoutTheLimitCheck) {
    OrderForm form = Form();
    form.upperLimit.clear();
    form.lowerLimit.clear();
    for (ServerMode mode :
         {ServerMode::OvernightFirstRound, ServerMode::SecondRound, ServerMode::Cooperation}) {
        Recorder r;
        EXPECT_EQ(RunOrder(form, Account(mode), r.Steps()), OrderOutcome::Accepted);
        EXPECT_EQ(r.events,
                  (std::vector<std::string>{"post:" + WeituoBody("demo", form), "reload"}));
    }
}

TEST(OrderWorkerTest, ACloseNearALimitIsSentWhereAnOpenIsRefused) {
    OrderForm form = Form();
    form.price = "3765";
    Recorder open;
    EXPECT_EQ(RunOrder(form, Account(), open.Steps()), OrderOutcome::NotSent);
    EXPECT_EQ(open.events,
              (std::vector<std::string>{Notify("委托失败！价格不能超过该合约设定的上下幅度限制"),
                                        Notify("挂单价格超出合约的涨跌幅限制")}));
    form.openClose = OpenClose::Close;
    Recorder close;
    EXPECT_EQ(RunOrder(form, Account(), close.Steps()), OrderOutcome::Accepted);
}

TEST(OrderReconcileTest, NamesTheNewOrdersOfTheContractAndSideOrSaysNoneIsThere) {
    auto order = [](OrderRecord& row, const char* no, const char* code, const char* side,
                    const char* status) {
        CopyField(row.orderNo, 32, no);
        CopyField(row.contractCode, 16, code);
        CopyField(row.direction, 8, Ansi(side));
        CopyField(row.volume, 8, "2");
        CopyField(row.status, 16, Ansi(status));
    };
    auto tables = std::make_unique<std::array<OrderTable, 2>>();
    OrderTable& before = (*tables)[0];
    OrderTable& after = (*tables)[1];
    order(before.rows[0], "11", "rb2705", "买", "未成交");
    after = before;
    order(after.rows[1], "12", "cu2702", "买", "未成交");
    EXPECT_EQ(OrderReconcileReport(before, after, Form()),
              Ansi("委托结果已核对：委托列表中没有这笔委托（rb2705 买 2手），它未被受理"));
    order(after.rows[2], "13", "rb2705", "卖", "未成交");
    order(after.rows[3], "14", "rb2705", "买", "全部成交");
    EXPECT_EQ(OrderReconcileReport(before, after, Form()),
              Ansi("委托结果已核对：这笔委托已被受理，委托号 14 rb2705 买 2手 全部成交"));
}

TEST(OrderWorkerTest, TheAnswerDecidesTheFlagTheReloadAndTheMessage) {
    const std::string unreadable =
        Notify("委托结果未知（无法识别的应答），请核对委托列表；将自动刷新");
    struct Case {
        PostResult sent;
        const char* answer;
        OrderOutcome outcome;
        std::vector<std::string> after;  // events after the post
        int flag;                        // LastOrderAccepted after, starting from 7
    } cases[] = {
        {{PostStatus::Answered, 200}, "0,委托成功,12", OrderOutcome::Accepted, {"reload"}, 1},
        {{PostStatus::Answered, 200},
         "1,可用资金不足",
         OrderOutcome::Refused,
         {Notify("可用资金不足")},
         0},
        {{PostStatus::Answered, 200}, "2,", OrderOutcome::Refused, {"notify:"}, 0},
        // An answer that is no verdict is said, not swallowed: the order may stand.
        {{PostStatus::Answered, 200}, "0", OrderOutcome::NoVerdict, {unreadable}, 0},
        {{PostStatus::Answered, 200},
         "<html>error</html>",
         OrderOutcome::NoVerdict,
         {unreadable},
         0},
        {{PostStatus::NotSent, 0}, "", OrderOutcome::Failed, {Notify("系统错误")}, 0},
        // Sent without an answer: unknown, never "系统错误" that invites a second order.
        {{PostStatus::MaybeSent, 0},
         "",
         OrderOutcome::Unknown,
         {Notify("委托结果未知（交易服务器未应答），请核对委托列表；连接恢复后将自动刷新")},
         0},
        {{PostStatus::HttpError, 502},
         "",
         OrderOutcome::Failed,
         {Notify("系统错误（HTTP 502），请核对委托列表"), "reload"},
         0},
    };
    for (const Case& c : cases) {
        Recorder r;
        r.sent = c.sent;
        r.answer = Ansi(c.answer);
        LastOrderAccepted = 7;
        EXPECT_EQ(RunOrder(Form(), Account(), r.Steps()), c.outcome) << c.answer;
        ASSERT_GE(r.events.size(), 1u);
        EXPECT_EQ(r.events[0].substr(0, 5), "post:");
        EXPECT_EQ(std::vector<std::string>(r.events.begin() + 1, r.events.end()), c.after)
            << c.answer;
        EXPECT_EQ(LastOrderAccepted, c.flag) << c.answer;
    }
}

std::string Quote(int fields, const std::string& code = "rb2705") {
    return testing::QuoteRecordText(
        fields, code, {{16, "3770.000"}, {17, "3230.000"}, {18, "3499.000"}, {20, "3501.000"}});
}

TEST(EntryQuoteTest, TakenOnlyFromAWholeRecordOfTheContract) {
    const auto quote = ParseEntryQuote(Quote(21), "rb2705");
    ASSERT_TRUE(quote);
    EXPECT_EQ(quote->bid, "3499.000");
    EXPECT_EQ(quote->ask, "3501.000");
    EXPECT_EQ(quote->upperLimit, "3770.000");
    EXPECT_EQ(quote->lowerLimit, "3230.000");
    EXPECT_FALSE(ParseEntryQuote(Quote(20), "rb2705"));
    EXPECT_FALSE(ParseEntryQuote(Quote(23), "cu2702"));
    EXPECT_FALSE(ParseEntryQuote("", ""));
}

TEST(LotsHintTest, FundsOpenLotsAtThePriceMultiplierAndMargin) {
    // 1,000,000 × 100 ÷ 3500 ÷ 10 ÷ 10 = 285.7
    EXPECT_EQ(OpenLotsHint("1000000", "3500", "10", "10"), Ansi("285手"));
    EXPECT_EQ(OpenLotsHint("1000000.00", "3500", "10", "10.00"), Ansi("285手"));
    for (auto [funds, price, multiplier, margin] :
         {std::array<const char*, 4>{"1000000", "", "10", "10"},
          std::array<const char*, 4>{"1000000", "3500", "0", "10"},
          std::array<const char*, 4>{"1000000", "3500", "10", ""},
          std::array<const char*, 4>{"--", "3500", "10", "10"},
          std::array<const char*, 4>{"-5000", "3500", "10", "10"},
          std::array<const char*, 4>{"10", "3500", "10", "10"}}) {
        EXPECT_EQ(OpenLotsHint(funds, price, multiplier, margin), NoLotsHint())
            << funds << " " << price << " " << multiplier << " " << margin;
    }
    // The count passes through single precision: 16777217.5 becomes 16777218.
    EXPECT_EQ(OpenLotsHint("16777217.5", "100", "1", "1"), Ansi("16777218手"));
    EXPECT_EQ(OpenLotsHint("1e300", "0.0001", "1", "0.0001"), Ansi("2147483647手"));
}

TEST(PositionMatchTest, AnOrderClosesTheOtherSideAndTheReverseNeedsTheWholeLots) {
    const std::vector<HeldPosition> rows{
        {"rb2705", Ansi("买"), "3"},
        {"rb2705", "  " + Ansi("卖"), "2"},
        {"rb2705", Ansi("卖"), "5"},
        {"cu2702", Ansi("卖"), "1"},
    };
    const HeldPosition* closedByBuy = ClosedPosition(rows, "rb2705", OrderSide::Buy);
    ASSERT_TRUE(closedByBuy);
    EXPECT_EQ(closedByBuy->closable, "2") << "the first short, its direction trimmed";
    const HeldPosition* closedBySell = ClosedPosition(rows, "rb2705", OrderSide::Sell);
    ASSERT_TRUE(closedBySell);
    EXPECT_EQ(closedBySell->closable, "3");
    EXPECT_FALSE(ClosedPosition(rows, "cu2702", OrderSide::Sell));
    EXPECT_FALSE(ClosedPosition({}, "rb2705", OrderSide::Buy));

    const HeldPosition* reverse = ReversiblePosition(rows, "rb2705", OrderSide::Buy, "5");
    ASSERT_TRUE(reverse);
    EXPECT_EQ(reverse, &rows[2]);
    EXPECT_FALSE(ReversiblePosition(rows, "rb2705", OrderSide::Buy, "4"));
    EXPECT_FALSE(ReversiblePosition(rows, "rb2705", OrderSide::Sell, "2"));
}

TEST(SpinnerTest, LotsNeverGoBelowOne) {
    EXPECT_EQ(StepLots("", true), "1");
    EXPECT_EQ(StepLots("9", true), "10");
    EXPECT_EQ(StepLots("2", false), "1");
    // The largest count the text can say stays put instead of wrapping below zero.
    EXPECT_EQ(StepLots("9223372036854775807", true), "9223372036854775807");
    EXPECT_EQ(StepLots("99999999999999999999", true), "9223372036854775807");
    EXPECT_EQ(StepLots("1", false), std::nullopt);
    EXPECT_EQ(StepLots("0", false), std::nullopt);
    EXPECT_EQ(StepLots("", false), std::nullopt);
}

TEST(SpinnerTest, PriceMovesByTheContractsTick) {
    const auto products = Products({{"rb2705", "1"}, {"au2706", "0.02"}, {"x", "0.5"}});
    EXPECT_EQ(StepPrice(*products, "rb2705", "3500", true), "3501");
    EXPECT_EQ(StepPrice(*products, "rb2705", "3500", false), "3499");
    EXPECT_EQ(StepPrice(*products, "au2706", "612.38", true), "612.4");
    EXPECT_EQ(StepPrice(*products, "au2706", "612.4", false), "612.38");
    // At 1 or below the up arrow still adds a tick; an empty field counts as 0.
    EXPECT_EQ(StepPrice(*products, "x", "0.5", true), "1");
    EXPECT_EQ(StepPrice(*products, "x", "1.0", true), "1.5");
    EXPECT_EQ(StepPrice(*products, "rb2705", "", true), "1");
    EXPECT_EQ(StepPrice(*products, "x", "5", true), std::nullopt) << "both texts too short";
    EXPECT_EQ(StepPrice(*products, "zz9999", "3500", true), std::nullopt) << "not a product";
}

}  // namespace
}  // namespace ft
