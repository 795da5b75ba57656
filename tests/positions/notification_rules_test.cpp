#include "positions/notification_rules.h"

#include <gtest/gtest.h>

#include <fstream>

#include "core/text.h"
#include "platform/ini_file.h"
#include "support/temp_dir_test.h"

namespace ft {
namespace {

TradeRecord Fill(const char* no, const char* code, const char* direction, const char* openClose,
                 const char* price, const char* volume, const char* time) {
    TradeRecord r{};
    CopyField(r.tradeNo, sizeof r.tradeNo, no);
    CopyField(r.contractCode, sizeof r.contractCode, code);
    CopyField(r.direction, sizeof r.direction, Ansi(direction));
    CopyField(r.openClose, sizeof r.openClose, Ansi(openClose));
    CopyField(r.price, sizeof r.price, price);
    CopyField(r.volume, sizeof r.volume, volume);
    CopyField(r.tradeTime, sizeof r.tradeTime, time);
    return r;
}

TEST(NotificationTextTest, SayWhatHappenedInGbk) {
    const TradeRecord buy = Fill("11", "rb2705", "买", "开仓", "3215.000", "2", "10:11:12");
    Notification n = FillNotification({buy});
    EXPECT_EQ(n.kind, NotifyKind::Fill);
    EXPECT_EQ(n.title, Ansi("成交"));
    EXPECT_EQ(n.text, Ansi("rb2705 买入开仓 2手 价3215 10:11:12"));

    // Several fills of one reload are one notification; beyond four lines, a count.
    std::vector<TradeRecord> many(6,
                                  Fill("12", "cu2702", "卖", "平仓", "78650.5", "1", "10:12:00"));
    n = FillNotification(many);
    EXPECT_EQ(n.title, Ansi("成交 6笔"));
    EXPECT_EQ(n.text.substr(n.text.rfind('\n') + 1), Ansi("另有2笔"));
    EXPECT_EQ(std::count(n.text.begin(), n.text.end(), '\n'), 4);
    EXPECT_EQ(n.text.substr(0, n.text.find('\n')), Ansi("cu2702 卖出平仓 1手 价78650.5 10:12:00"));

    FiredLeg leg;
    leg.stopLoss = true;
    leg.order = {"rb2705", "2", "3", "3190", "7"};
    n = RuleFiredNotification(leg);
    EXPECT_EQ(n.title, Ansi("止损触发"));
    EXPECT_EQ(n.text, Ansi("rb2705 卖出平仓 3手 价3190"));
    leg.stopLoss = false;
    leg.order.updown = "1";
    EXPECT_EQ(RuleFiredNotification(leg).title, Ansi("止盈触发"));
    EXPECT_EQ(RuleFiredNotification(leg).text, Ansi("rb2705 买入平仓 3手 价3190"));

    OrderForm form;
    form.code = "rb2705";
    form.side = OrderSide::Sell;
    form.openClose = OpenClose::CloseToday;
    form.lots = "2";
    form.price = "3200";
    n = OrderUnknownNotification(form);
    EXPECT_EQ(n.kind, NotifyKind::OrderUnknown);
    EXPECT_EQ(n.text, Ansi("rb2705 卖出平今 2手 价3200：交易服务器未应答，请核对委托列表"));

    n = ConnectionNotification(Link::Quotes, true, "09:00:01");
    EXPECT_EQ(n.kind, NotifyKind::ConnectionLost);
    EXPECT_EQ(n.title, Ansi("行情服务器连接中断"));
    EXPECT_EQ(n.text, Ansi("行情服务器自09:00:01起无应答，正在重试"));
    n = ConnectionNotification(Link::Trade, false, "09:05:00");
    EXPECT_EQ(n.kind, NotifyKind::ConnectionBack);
    EXPECT_EQ(n.title, Ansi("交易服务器连接恢复"));
}

class NotifySettingsTest : public ft::testing::TempDirTest {
protected:
    std::string File() const { return (dir / "client.ini").string(); }
};

TEST_F(NotifySettingsTest, DefaultsWithoutAFileAndEveryKeyRoundTrips) {
    const NotifySettings defaults = ReadNotifySettings(File());
    for (int i = 0; i < kNotifyKindCount; ++i) {
        EXPECT_TRUE(defaults.notify[i]) << i;
    }
    EXPECT_TRUE(defaults.Sounds(NotifyKind::Fill));
    EXPECT_TRUE(defaults.Sounds(NotifyKind::RuleFired));
    EXPECT_FALSE(defaults.Sounds(NotifyKind::ConnectionLost)) << "no sound for that kind";

    // The login's keys in the same file stay as they were.
    {
        std::ofstream out(File(), std::ios::binary);
        out << "[client]\r\nuser=demo\r\n";
    }
    // Each kind switched off alone comes back off, the others on.
    for (int i = 0; i < kNotifyKindCount; ++i) {
        NotifySettings s;
        s.notify[i] = false;
        ASSERT_TRUE(WriteNotifySettings(s, File()));
        const NotifySettings read = ReadNotifySettings(File());
        EXPECT_EQ(read.notify, s.notify) << i;
    }
    NotifySettings quiet;
    quiet.sound[static_cast<int>(NotifyKind::Fill)] = false;
    ASSERT_TRUE(WriteNotifySettings(quiet, File()));
    const NotifySettings read = ReadNotifySettings(File());
    EXPECT_FALSE(read.Sounds(NotifyKind::Fill));
    EXPECT_TRUE(read.Sounds(NotifyKind::RuleFired));
    EXPECT_EQ(platform::GetPrivateProfileString("client", "user", "", File()), "demo");
    EXPECT_EQ(platform::GetPrivateProfileString("notify", "fill_sound", "", File()), "0");

    // A kind switched off is silent too, whatever its sound says.
    NotifySettings off;
    off.notify[static_cast<int>(NotifyKind::RuleFired)] = false;
    EXPECT_FALSE(off.Sounds(NotifyKind::RuleFired));
}

TEST(FillWatchTest, OnlyFillsNotSeenBeforeAreNews) {
    auto table = std::make_shared<TradeTable>();
    table->rows[0] = Fill("1", "rb2705", "买", "开仓", "3200", "1", "09:01:00");
    FillWatch watch(*table);
    EXPECT_TRUE(watch.NewFills(*table).empty()) << "the fills known at login";

    auto next = std::make_shared<TradeTable>(*table);
    next->rows[1] = Fill("2", "rb2705", "卖", "平仓", "3210", "1", "09:02:00");
    next->rows[2] = Fill("3", "cu2702", "买", "开仓", "78600", "2", "09:02:01");
    const auto fresh = watch.NewFills(*next);
    ASSERT_EQ(fresh.size(), 2u);
    EXPECT_EQ(FieldText(fresh[0].tradeNo), "2");
    EXPECT_EQ(FieldText(fresh[1].tradeNo), "3");
    // A reload repeating them, or one that briefly lost a row and brings it back, says nothing.
    EXPECT_TRUE(watch.NewFills(*next).empty());
    EXPECT_TRUE(watch.NewFills(TradeTable{}).empty());
    EXPECT_TRUE(watch.NewFills(*next).empty());
    // The same number on another day (another time) is another fill.
    TradeTable nextDay{};
    nextDay.rows[0] = Fill("1", "rb2705", "买", "开仓", "3200", "1", "21:01:00");
    EXPECT_EQ(watch.NewFills(nextDay).size(), 1u);
}

TEST(ConnectionWatchTest, LostAndBackOnceEachWhateverTheFlapping) {
    using Event = ConnectionWatch::Event;
    ConnectionWatch watch(3000);
    EXPECT_EQ(watch.Update(false, 0), Event::None);
    // A short drop is no news.
    EXPECT_EQ(watch.Update(true, 1000), Event::None);
    EXPECT_EQ(watch.Update(true, 3999), Event::None);
    EXPECT_EQ(watch.Update(false, 4000), Event::None);
    // Down for the settle time: lost, once.
    EXPECT_EQ(watch.Update(true, 5000), Event::None);
    EXPECT_EQ(watch.Update(true, 8000), Event::Lost);
    EXPECT_TRUE(watch.Lost());
    EXPECT_EQ(watch.Update(true, 9000), Event::None);
    // It flaps while coming back: nothing, neither back nor lost again.
    for (std::uint64_t t = 10000; t < 30000; t += 1000) {
        EXPECT_EQ(watch.Update(t % 2000 == 0, t), Event::None) << t;
    }
    // Up for the settle time: back, once.
    EXPECT_EQ(watch.Update(false, 31000), Event::None);
    EXPECT_EQ(watch.Update(false, 34000), Event::Back);
    EXPECT_EQ(watch.Update(false, 40000), Event::None);
    EXPECT_FALSE(watch.Lost());
}

}  // namespace
}  // namespace ft
