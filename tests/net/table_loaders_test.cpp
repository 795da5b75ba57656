#include "net/table_loaders.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <map>
#include <thread>

#include "core/text.h"
#include "net/request_client.h"
#include "support/http_test_server.h"

namespace ft {
namespace {

using testing::HttpTestServer;
using testing::LogIn;

class LoaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        server.Serve(session, ServerMode::IntradayFirstRound);
        server.Serve(session, ServerMode::Cooperation);
        LogIn(session, "demo", "demo");
        server.AnswerWith([this](const testing::RecordedRequest& r) {
            std::lock_guard lock(mutex);
            auto action = r.path.substr(r.path.rfind("a=") + 2);
            return answers[action];
        });
    }
    void Answer(const std::string& action, const std::string& utf8) {
        std::lock_guard lock(mutex);
        answers[action] = utf8;
    }
    std::vector<std::string> Actions() const {
        std::vector<std::string> out;
        for (const auto& r : server.Requests()) {
            out.push_back(r.path.substr(r.path.rfind("a=") + 2));
        }
        return out;
    }

    HttpTestServer server;
    SessionState session;
    QuoteBook quotes;
    std::mutex mutex;
    std::map<std::string, std::string> answers;
};

TEST_F(LoaderTest, EachLoaderSendsItsPathAndBody) {
    TableLoader loader(session, quotes);
    const std::string credentials =
        "user_name=demo&user_pwd=demo&sign=" + RequestSignature("demo", "demo");
    ASSERT_EQ(loader.LoadProducts(), 1);
    EXPECT_EQ(server.Last().path, "/index.php?m=client&a=getallproduct");
    EXPECT_EQ(server.Last().body, credentials);
    ASSERT_EQ(loader.LoadPositions(), 1);
    EXPECT_EQ(server.Last().path, "/index.php?m=client&a=lcdetail");
    EXPECT_EQ(server.Last().body, credentials);
    ASSERT_EQ(loader.LoadMoney(), 1);
    EXPECT_EQ(server.Last().path, "/index.php?m=client&a=getusermoneyinfo");
    EXPECT_EQ(server.Last().body, credentials);

    const std::string orderStart = OrderStartField(TradingDayStart(std::time(nullptr)));
    ASSERT_EQ(loader.LoadOrders(), 1);
    EXPECT_EQ(server.Last().path, "/index.php?m=client&a=weituodetail");
    // The order body carries its own user_name, so the account is sent twice.
    EXPECT_EQ(server.Last().body, "user_name=demo" + orderStart + "&" + credentials);

    const std::string tradeStart = TradeStartField(TradingDayStart(std::time(nullptr)));
    ASSERT_EQ(loader.LoadTrades(), 1);
    EXPECT_EQ(server.Last().path, "/index.php?m=client&a=tradedetail");
    EXPECT_EQ(server.Last().body, tradeStart + "&" + credentials);
}

TEST_F(LoaderTest, ShortAndEmptyRecordsLeaveTheirRowsEmpty) {
    Answer("tradedetail", "T1,rb2501,买,开仓,3500,2,09:01:02|T2,cu2501|");
    TableLoader loader(session, quotes);
    ASSERT_EQ(loader.LoadTrades(), 1);
    auto trades = session.trades.Snapshot();
    EXPECT_EQ(trades->Count(), 1u);
    EXPECT_STREQ(trades->rows[0].tradeNo, "T1");
    EXPECT_EQ(std::string(trades->rows[0].direction), Ansi("买"));
    EXPECT_STREQ(trades->rows[0].tradeTime, "09:01:02");
    EXPECT_EQ(trades->rows[1].contractCode[0], '\0');
    EXPECT_EQ(trades->rows[2].contractCode[0], '\0');
}

TEST_F(LoaderTest, AShortRecordInTheMiddleEndsTheTableForReaders) {
    Answer("weituodetail",
           "1,rb2501,买,开仓,1,1,3500,t,未成交,0,0|x,y|3,cu2501,卖,平仓,1,0,1,t,"
           "全部成交,1,1");
    TableLoader loader(session, quotes);
    ASSERT_EQ(loader.LoadOrders(), 1);
    auto orders = session.orders.Snapshot();
    EXPECT_EQ(orders->Count(), 1u);
    EXPECT_STREQ(orders->rows[2].contractCode, "cu2501");  // stored, but behind the end
}

TEST_F(LoaderTest, AnEmptyAnswerClearsTheTableAndAFailureKeepsIt) {
    Answer("getallproduct", "rb,rb2501,螺纹钢,上期所,10,1,期货,20250115,0.1,3");
    TableLoader loader(session, quotes);
    ASSERT_EQ(loader.LoadProducts(), 1);
    EXPECT_EQ(session.products.Snapshot()->Count(), 1u);
    EXPECT_EQ(std::string(session.products.Snapshot()->rows[0].contractName), Ansi("螺纹钢"));

    session.profiles[0].webHost = "";  // every request fails now
    EXPECT_EQ(loader.LoadProducts(), 0);
    EXPECT_EQ(session.products.Snapshot()->Count(), 1u);

    server.Serve(session, ServerMode::IntradayFirstRound);
    Answer("getallproduct", "");
    ASSERT_EQ(loader.LoadProducts(), 1);
    EXPECT_EQ(session.products.Snapshot()->Count(), 0u);
}

// Two loads overlap and the one asked for first is answered last: the later answer stays, with
// the quotes its positions hold, for the orders as for the positions.
TEST_F(LoaderTest, AnAnswerAskedForEarlierNeverReplacesALaterOne) {
    std::mutex gate;
    std::condition_variable opened;
    bool open = false;
    std::atomic<int> asked{0};
    server.AnswerWith([&](const testing::RecordedRequest& r) -> std::string {
        const bool positions = r.path.ends_with("a=lcdetail");
        if (++asked == 1) {  // the first of each pair: the older state, answered last
            std::unique_lock lock(gate);
            opened.wait(lock, [&] { return open; });
            return positions ? "rb2501,买,1,0,1,1,3500,0,100,上期所,0,0,P1|"
                             : "1,rb2501,买,开仓,1,1,3500,09:00:01,未成交,0,0|";
        }
        return positions ? "cu2502,卖,1,0,1,1,78000,0,100,上期所,0,0,P2|"
                         : "1,rb2501,买,开仓,1,0,3500,09:00:01,全部成交,1,3500|";
    });
    TableLoader loader(session, quotes);
    for (const bool positions : {false, true}) {
        asked = 0;
        open = false;
        auto load = [&] { return positions ? loader.LoadPositions() : loader.LoadOrders(); };
        std::thread older([&] { EXPECT_EQ(load(), 1); });
        while (server.Requests().size() < (positions ? 3u : 1u)) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        EXPECT_EQ(load(), 1);  // the later request, answered at once
        {
            std::lock_guard lock(gate);
            open = true;
        }
        opened.notify_all();
        older.join();
        if (positions) {
            EXPECT_EQ(FieldText(session.positions.Snapshot()->rows[0].contractCode), "cu2502");
            EXPECT_EQ(quotes.Codes(), std::vector<std::string>{"cu2502"});
        } else {
            EXPECT_EQ(FieldText(session.orders.Snapshot()->rows[0].status), Ansi("全部成交"));
        }
    }
}

TEST_F(LoaderTest, ErrorPagesAreStoredFieldByFieldLikeData) {
    Answer("getallproduct", "1,用户名或密码错误");  // two fields: no row
    TableLoader loader(session, quotes);
    ASSERT_EQ(loader.LoadProducts(), 1);
    EXPECT_EQ(session.products.Snapshot()->Count(), 0u);
}

TEST(Loaders, RecordsBeyondTheCapacityAreDropped) {
    std::string answer;
    for (int i = 0; i < 600; ++i) {
        answer += "v,c" + std::to_string(i) + ",n,e,1,1,t,d,0.1,1|";
    }
    auto products = ParseProducts(answer);
    EXPECT_EQ(products->Count(), 512u);
    EXPECT_STREQ(products->rows[511].contractCode, "c511");
}

TEST(Loaders, OverlongFieldsAreCutAtACharacterBoundary) {
    // contractCode holds 15 bytes; the name 31 bytes, i.e. 15 Chinese characters.
    const std::string name(20, 'x');
    std::string longName;
    for (int i = 0; i < 20; ++i) {
        longName += Ansi("铜");
    }
    auto products = ParseProducts("v,abcdefghijklmnopqrstuvwxyz," + longName + ",e");
    EXPECT_STREQ(products->rows[0].contractCode, "abcdefghijklmno");
    EXPECT_EQ(std::strlen(products->rows[0].contractName), 30u);
    EXPECT_EQ(products->rows[0].contractName[31], '\0');
}

TEST(Loaders, MissingFieldsOfAShortRecordStayEmpty) {
    auto positions = ParsePositions("rb2501,买,3", nullptr);
    EXPECT_EQ(positions->Count(), 1u);
    EXPECT_STREQ(positions->rows[0].totalVolume, "3");
    EXPECT_STREQ(positions->rows[0].positionNo, "");
    EXPECT_STREQ(positions->rows[0].exchange, "");
}

TEST(Loaders, PositionCodesAreSubscribed) {
    QuoteBook quotes;
    quotes.Hold(kCustomListOwner, "IF2501");
    ParsePositions(
        "rb2501,买,1,0,1,1,3500,0,100,上期所,0,0,P1|IF2501,卖,1,0,1,1,3900,0,9,中金所,"
        "0,0,P2|",
        &quotes);
    EXPECT_EQ(quotes.Codes(), (std::vector<std::string>{"IF2501", "rb2501"}));
}

TEST(Loaders, MoneyNeedsMoreThanThreeFieldsAndTakesTheRiskBaseOnlyWhenAsked) {
    auto three = ParseMoney("1,2,3", false);
    EXPECT_STREQ(three->staticEquity, "");
    auto seven = ParseMoney("900,50,0,7,2,1,100", false);
    EXPECT_STREQ(seven->staticEquity, "900");
    EXPECT_STREQ(seven->stopLossCloseCount, "1");
    EXPECT_STREQ(seven->riskBase, "");
    EXPECT_STREQ(ParseMoney("900,50,0,7,2,1,100", true)->riskBase, "100");
    EXPECT_STREQ(ParseMoney("900,50,0,7", true)->commission, "");
}

TEST_F(LoaderTest, MoneyLoaderStoresTheRiskBaseInTheCooperationModeOnly) {
    Answer("getusermoneyinfo", "900,50,0,7,2,1,100");
    TableLoader loader(session, quotes);
    ASSERT_EQ(loader.LoadMoney(), 1);
    EXPECT_STREQ(session.money.Snapshot()->riskBase, "");
    LogIn(session, "demo", "demo", ServerMode::Cooperation);
    ASSERT_EQ(loader.LoadMoney(), 1);
    EXPECT_STREQ(session.money.Snapshot()->riskBase, "100");
}

TEST_F(LoaderTest, LoadAllTablesRunsTheFiveInOrderAndClearsTheFlag) {
    TableLoader loader(session, quotes);
    session.tablesLoading = 1;
    loader.StartLoadAllTables();
    loader.WaitIdle();
    EXPECT_EQ(session.tablesLoading.load(), 0);
    EXPECT_EQ(Actions(), (std::vector<std::string>{"getallproduct", "weituodetail", "lcdetail",
                                                   "tradedetail", "getusermoneyinfo"}));
}

TEST_F(LoaderTest, ReloadWithAPauseFlagMakesASecondPassAfterTwoSeconds) {
    TableLoader loader(session, quotes);
    const auto start = std::chrono::steady_clock::now();
    loader.ReloadTables(100);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    const std::vector<std::string> pass{"weituodetail", "lcdetail", "tradedetail",
                                        "getusermoneyinfo"};
    auto expected = pass;
    expected.insert(expected.end(), pass.begin(), pass.end());
    EXPECT_EQ(Actions(), expected);
    EXPECT_GE(elapsed, std::chrono::milliseconds(2000));

    loader.ReloadTables(0);
    EXPECT_EQ(Actions().size(), 12u);
}

TEST_F(LoaderTest, CuttingThePausesEndsAWaitingReloadWithoutItsSecondPass) {
    TableLoader loader(session, quotes);
    const auto start = std::chrono::steady_clock::now();
    loader.StartReloadTables(100);
    while (Actions().size() < 4 &&
           std::chrono::steady_clock::now() - start < std::chrono::seconds(5)) {
        std::this_thread::yield();
    }
    loader.CutPauses();
    loader.WaitIdle();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(2000));
    EXPECT_EQ(Actions().size(), 4u);
    loader.ReloadTables(100);
    EXPECT_EQ(Actions().size(), 8u) << "no second pass after the cut either";
}

TEST(TradingDayStart, SwitchesAtHalfPastFourInTheAfternoon) {
    setenv("TZ", "Asia/Shanghai", 1);
    tzset();
    auto at = [](int d, int h, int m) {
        std::tm t{};
        t.tm_year = 2026 - 1900;
        t.tm_mon = 11;
        t.tm_mday = d;
        t.tm_hour = h;
        t.tm_min = m;
        t.tm_isdst = -1;
        return std::mktime(&t);
    };
    EXPECT_EQ(TradeStartField(TradingDayStart(at(7, 16, 29))), "start=2026-12-06 16:40:00");
    EXPECT_EQ(TradeStartField(TradingDayStart(at(7, 16, 30))), "start=2026-12-07 16:40:00");
    EXPECT_EQ(TradeStartField(TradingDayStart(at(7, 0, 5))), "start=2026-12-06 16:40:00");
    EXPECT_EQ(OrderStartField(TradingDayStart(at(7, 17, 0))), "&start=2026-12-07 16:40:00");
    unsetenv("TZ");
    tzset();
}

TEST(TradingDayStart, ThePreviousDayIsExactly86400SecondsBackAcrossAClockChange) {
    setenv("TZ", "Europe/Berlin", 1);
    tzset();
    std::tm t{};
    t.tm_year = 2026 - 1900;
    t.tm_mon = 2;
    t.tm_mday = 29;  // clocks went forward at 02:00 this morning
    t.tm_hour = 10;
    t.tm_isdst = -1;
    EXPECT_EQ(TradeStartField(TradingDayStart(std::mktime(&t))), "start=2026-03-28 15:40:00");
    unsetenv("TZ");
    tzset();
}

TEST(Loaders, APositionIdTooLongForItsFieldIsNoIdRatherThanAnotherPositionsId) {
    // Cut to 15 bytes the two ids would be one, and a rule of one would close the other.
    auto positions = ParsePositions(
        "rb2501,买,1,0,1,1,3500,0,100,上期所,0,0,1234567890123456-A|"
        "rb2501,卖,1,0,1,1,3500,0,100,上期所,0,0,1234567890123456-B|"
        "rb2501,卖,1,0,1,1,3500,0,100,上期所,0,0,123456789012345|",
        nullptr);
    ASSERT_EQ(positions->Count(), 3u);
    EXPECT_STREQ(positions->rows[0].positionNo, "");
    EXPECT_STREQ(positions->rows[1].positionNo, "");
    EXPECT_STREQ(positions->rows[2].positionNo, "123456789012345");
    EXPECT_STREQ(positions->rows[0].totalVolume, "1") << "the position itself stays listed";
}

}  // namespace
}  // namespace ft
