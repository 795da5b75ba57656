#include "core/frame_rules.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <memory>
#include <mutex>
#include <thread>

#include "core/text.h"
#include "platform/ini_file.h"
#include "platform/paths.h"
#include "support/http_test_server.h"

#include "support/temp_dir_test.h"

#include "support/local_time.h"
namespace ft {
namespace {

TradeTable* AddTrade(TradeTable& table, std::size_t row, const char* code, const char* openClose,
                     const char* volume) {
    TradeRecord& r = table.rows[row];
    CopyField(r.contractCode, sizeof r.contractCode, code);
    CopyField(r.openClose, sizeof r.openClose, Ansi(openClose));
    CopyField(r.volume, sizeof r.volume, volume);
    return &table;
}

TEST(FrameTextTest, TitlesAndStatusPanesFollowTheMode) {
    const std::string name = Ansi("张三");
    EXPECT_EQ(*FrameTitle(0, name), Ansi("远帆日内初赛(模拟)-张三"));
    EXPECT_EQ(*FrameTitle(1, name), Ansi("远帆隔夜赛(模拟)-张三"));
    EXPECT_EQ(*FrameTitle(2, name), Ansi("远帆分账户系统-张三"));
    EXPECT_EQ(*FrameTitle(3, name), Ansi("分账户终端-CTP-合作操盘-实盘-张三"));
    EXPECT_FALSE(FrameTitle(4, name));
    EXPECT_FALSE(FrameTitle(-1, name));

    EXPECT_EQ(VersionPaneText(), Ansi("版本更新日期:2021.04.26"));
    EXPECT_EQ(ForcedClosePaneText(ServerMode::OvernightFirstRound, "3"), Ansi("强平次数:3"));
    for (ServerMode mode :
         {ServerMode::IntradayFirstRound, ServerMode::SecondRound, ServerMode::Cooperation}) {
        EXPECT_EQ(ForcedClosePaneText(mode, "3"), "  ");
    }
    EXPECT_EQ(AccountPaneText("demo"), Ansi("您登陆的账号是:demo"));
}

TEST(FrameCountersTest, OpenVolumeCountsOpeningTradesUpToTheFirstEmptyRow) {
    auto trades = std::make_unique<TradeTable>();
    AddTrade(*trades, 0, "rb2705", "开仓", "2");
    AddTrade(*trades, 1, "rb2705", "平今", "1");
    AddTrade(*trades, 2, "cu2702", "开仓", "5");
    // Row 3 is empty and ends the table: row 4 is never counted.
    AddTrade(*trades, 4, "cu2702", "开仓", "100");
    EXPECT_EQ(TodayOpenVolume(*trades), 7);

    // Only the first 512 rows are walked even in a full table.
    auto full = std::make_unique<TradeTable>();
    for (std::size_t i = 0; i < TradeTable::kCapacity; ++i) {
        AddTrade(*full, i, "m2705", "开仓", "1");
    }
    EXPECT_EQ(TodayOpenVolume(*full), 512);
}

TEST(FrameCountersTest, TextsAreProducedOnlyWhenTheirValueChanges) {
    auto trades = std::make_unique<TradeTable>();
    MoneyRecord money{};
    FrameCounters counters;

    // Both start as never shown, so zero is shown once.
    FrameCounters::Changes first = counters.Update(*trades, money);
    ASSERT_TRUE(first.openVolumeText);
    EXPECT_EQ(*first.openVolumeText, Ansi("当日开仓总数: 0"));
    ASSERT_TRUE(first.stopLossText);
    EXPECT_EQ(*first.stopLossText, Ansi("止损强平次数: "));

    FrameCounters::Changes same = counters.Update(*trades, money);
    EXPECT_FALSE(same.openVolumeText);
    EXPECT_FALSE(same.stopLossText);

    AddTrade(*trades, 0, "rb2705", "开仓", "3");
    CopyField(money.stopLossCloseCount, sizeof money.stopLossCloseCount, "2");
    FrameCounters::Changes changed = counters.Update(*trades, money);
    ASSERT_TRUE(changed.openVolumeText);
    EXPECT_EQ(*changed.openVolumeText, Ansi("当日开仓总数: 3"));
    ASSERT_TRUE(changed.stopLossText);
    EXPECT_EQ(*changed.stopLossText, Ansi("止损强平次数: 2"));
}

TEST(FrameGatesTest, RefreshNeedsMoreThanTwoSecondsSinceTheLastOne) {
    std::uint64_t now = 10'000;
    RefreshGate gate([&] { return now; });
    now += 2000;
    EXPECT_FALSE(gate.TryRefresh()) << "exactly 2000 ms after construction is not more";
    now += 1;
    EXPECT_TRUE(gate.TryRefresh());
    now += 1000;
    EXPECT_FALSE(gate.TryRefresh());
    now += 1500;
    EXPECT_TRUE(gate.TryRefresh()) << "2500 ms after the last honoured refresh";
}

TEST(FrameGatesTest, ResizesRepaintOnlyMoreThanThreeSecondsAfterTheLayout) {
    std::uint64_t now = 500;
    LayoutClock clock([&] { return now; });
    EXPECT_FALSE(clock.RepaintOnResize()) << "no layout yet";
    clock.MarkLayoutReady();
    now += 3000;
    EXPECT_FALSE(clock.RepaintOnResize());
    now += 1;
    EXPECT_TRUE(clock.RepaintOnResize());
}

TEST(AnnouncementRuleTest, ZeroAndMinusOneMeanNone) {
    EXPECT_FALSE(IsAnnouncement("0"));
    EXPECT_FALSE(IsAnnouncement("-1"));
    EXPECT_FALSE(IsAnnouncement(Ansi("-1没有公告")));
    EXPECT_FALSE(IsAnnouncement(""));
    EXPECT_TRUE(IsAnnouncement("x"));
    EXPECT_TRUE(IsAnnouncement("00"));
    EXPECT_TRUE(IsAnnouncement("-2"));
    EXPECT_TRUE(IsAnnouncement(Ansi("明日休市")));
}

class FrameThreadsTest : public testing::TempDirTest {
protected:
    FrameThreadsTest() : TempDirTest("FT_SYSTEM_ROOT") {}
};

TEST_F(FrameThreadsTest, HeartbeatGoesToTheFileAndSectionOfTheMode) {
    const long long before = std::time(nullptr);
    { HeartbeatWriter writer(ServerMode::Cooperation, std::chrono::milliseconds(20)); }
    { HeartbeatWriter writer(ServerMode::OvernightFirstRound, std::chrono::milliseconds(20)); }
    const std::string hz = platform::GetPrivateProfileString("login_np", "lasttime", "",
                                                             platform::SystemFile("hz.ini"));
    const std::string fs = platform::GetPrivateProfileString("login_gy", "lasttime", "",
                                                             platform::SystemFile("fs.ini"));
    ASSERT_FALSE(hz.empty());
    ASSERT_FALSE(fs.empty());
    EXPECT_GE(std::stoll(hz), before);
    EXPECT_LE(std::stoll(hz), std::time(nullptr));
    EXPECT_EQ(platform::GetPrivateProfileString("login_np", "lasttime", "",
                                                platform::SystemFile("fs.ini")),
              "");
}

TEST_F(FrameThreadsTest, HeartbeatIsRewrittenEveryInterval) {
    HeartbeatWriter writer(ServerMode::IntradayFirstRound, std::chrono::milliseconds(30));
    const std::string file = platform::SystemFile("fs.ini");
    std::filesystem::file_time_type first{};
    for (int i = 0; i < 100 && !std::filesystem::exists(file); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_TRUE(std::filesystem::exists(file));
    first = std::filesystem::last_write_time(file);
    bool rewritten = false;
    for (int i = 0; i < 100 && !rewritten; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        rewritten =
            std::filesystem::exists(file) && std::filesystem::last_write_time(file) != first;
    }
    EXPECT_TRUE(rewritten);
}

TEST(ConnectionPaneTest, SaysWhetherQuotesFlowAndTheWebBackEndAnswers) {
    ConnectionFacts facts;
    facts.subscribed = true;
    facts.nowTick = 50'000;
    EXPECT_EQ(ConnectionPaneText(facts).text, Ansi("行情连接中"));
    EXPECT_FALSE(ConnectionPaneText(facts).trouble);

    facts.lastAnswerTick = 47'000;
    EXPECT_EQ(ConnectionPaneText(facts).text, Ansi("行情已连接")) << "3 s old is not stale yet";
    EXPECT_FALSE(ConnectionPaneText(facts).trouble);

    facts.nowTick = 54'500;
    EXPECT_EQ(ConnectionPaneText(facts).text, Ansi("行情已连接，行情已7秒未更新"));
    EXPECT_TRUE(ConnectionPaneText(facts).trouble);
    facts.subscribed = false;
    EXPECT_EQ(ConnectionPaneText(facts).text, Ansi("行情已连接"))
        << "nothing asked for, nothing overdue";

    const std::time_t down = testing::LocalTime(2026, 12, 8, 10, 32, 5);
    facts.feedDownSince = down;
    facts.webUnreachable = true;
    facts.webUnreachableSince = down + 60;
    const ConnectionText text = ConnectionPaneText(facts);
    EXPECT_EQ(text.text, Ansi("行情重连中(自10:32:05)；交易服务器无法连接(自10:33:05)"));
    EXPECT_TRUE(text.trouble);
}

TEST(ConnectionPaneTest, SaysThatStopRulesArePausedAndThatAClosingOrderFailed) {
    ConnectionFacts facts;
    facts.subscribed = true;
    facts.lastAnswerTick = 10'000;
    facts.nowTick = 10'500;
    facts.heldRuleCodes = {"al2702", "rb2705"};
    ConnectionText text = ConnectionPaneText(facts);
    EXPECT_EQ(text.text, Ansi("行情已连接，止损止盈已暂停(al2702,rb2705)"));
    EXPECT_TRUE(text.trouble) << "held rules are trouble even while the feed looks fine";

    facts.nowTick = 15'000;
    facts.heldRuleCodes.clear();
    facts.stopOrderProblem = Ansi("止损止盈平仓失败: rb2705 持仓不存在");
    text = ConnectionPaneText(facts);
    EXPECT_EQ(text.text, Ansi("行情已连接，行情已5秒未更新；止损止盈平仓失败: rb2705 持仓不存在"));
    EXPECT_TRUE(text.trouble);

    facts.nowTick = 10'500;
    facts.stopOrderProblem.clear();
    EXPECT_FALSE(ConnectionPaneText(facts).trouble);

    // A fired leg is news, not trouble; a rule file that cannot be written is trouble.
    facts.firedLegNotice = Ansi("止损触发: rb2705 卖出平仓 2手 价3450 10:11:12");
    text = ConnectionPaneText(facts);
    EXPECT_EQ(text.text, Ansi("行情已连接；止损触发: rb2705 卖出平仓 2手 价3450 10:11:12"));
    EXPECT_FALSE(text.trouble);
    facts.ruleFileProblem = Ansi("止损止盈文件写入失败");
    text = ConnectionPaneText(facts);
    EXPECT_EQ(text.text, Ansi("行情已连接；止损止盈文件写入失败；止损触发: rb2705 卖出平仓 2手 "
                              "价3450 10:11:12"));
    EXPECT_TRUE(text.trouble);
}

}  // namespace
}  // namespace ft
