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

class FrameThreadsTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = std::filesystem::temp_directory_path() /
              ("ft-frame-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir);
        setenv("FT_SYSTEM_ROOT", dir.c_str(), 1);
    }
    void TearDown() override {
        unsetenv("FT_SYSTEM_ROOT");
        std::filesystem::remove_all(dir);
    }
    std::filesystem::path dir;
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

TEST_F(FrameThreadsTest, AnnouncementCheckAsksOnceAndShowsOnlyRealAnnouncements) {
    testing::HttpTestServer server;
    SessionState session;
    server.Serve(session, ServerMode::IntradayFirstRound);
    testing::LogIn(session, "demo", "demo");

    for (const auto& [answer, shown] : std::vector<std::pair<std::string, bool>>{
             {"0", false}, {"-1 none", false}, {"明日休市", true}, {"1", true}}) {
        server.Answer(answer);
        std::mutex mutex;
        std::vector<std::string> seen;
        {
            AnnouncementCheck check(session, std::chrono::milliseconds(10),
                                    [&](const std::string& text) {
                                        std::lock_guard lock(mutex);
                                        seen.push_back(text);
                                    });
            for (int i = 0; i < 200 && server.Requests().empty(); ++i) {
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        const auto requests = server.Requests();
        ASSERT_EQ(requests.size(), 1u) << answer;
        EXPECT_EQ(requests[0].path, "/index.php?m=client&a=givemelastgonggao");
        std::lock_guard lock(mutex);
        if (shown) {
            ASSERT_EQ(seen.size(), 1u) << answer;
            EXPECT_EQ(seen[0], Utf8ToGbk(answer));
        } else {
            EXPECT_TRUE(seen.empty()) << answer;
        }
        server.Clear();
    }
}

TEST_F(FrameThreadsTest, DestroyingTheCheckCutsItsWaitShort) {
    testing::HttpTestServer server;
    SessionState session;
    server.Serve(session, ServerMode::IntradayFirstRound);
    const auto started = std::chrono::steady_clock::now();
    {
        AnnouncementCheck check(session, std::chrono::seconds(30), [](const std::string&) {});
    }
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(2));
    EXPECT_TRUE(server.Requests().empty());
}

}  // namespace
}  // namespace ft
