#include "positions/notification_rules.h"

#include "core/record_format.h"
#include "core/text.h"
#include "platform/ini_file.h"

namespace ft {
namespace {

constexpr const char* kSection = "notify";
// INI keys by kind; the sound of a kind is "<key>_sound".
constexpr std::array<const char*, kNotifyKindCount> kKeys{
    "fill", "rule_fired", "close_failed", "order_unknown", "connection_lost", "connection_back"};
constexpr std::array<const char*, kNotifyKindCount> kLabels{
    "成交", "止损止盈触发", "止损止盈平仓失败", "委托结果未知", "连接中断", "连接恢复"};

// "买" and "卖" of the tables as the order panel says them: "买入", "卖出".
std::string SideText(std::string_view direction) {
    direction = Trim(direction);
    if (direction == Ansi("买")) {
        return Ansi("买入");
    }
    if (direction == Ansi("卖")) {
        return Ansi("卖出");
    }
    return std::string(direction);
}

std::string FillLine(const TradeRecord& fill) {
    return std::string(FieldText(fill.contractCode)) + " " + SideText(FieldText(fill.direction)) +
           std::string(Trim(FieldText(fill.openClose))) + " " +
           std::string(FieldText(fill.volume)) + Ansi("手 价") + TrimZeros(FieldText(fill.price)) +
           " " + std::string(FieldText(fill.tradeTime));
}

}  // namespace

std::string NotifyKindLabel(NotifyKind kind) {
    return Ansi(kLabels[static_cast<int>(kind)]);
}

bool KindHasSound(NotifyKind kind) {
    return kind == NotifyKind::Fill || kind == NotifyKind::RuleFired;
}

NotifySettings ReadNotifySettings(const std::string& file) {
    NotifySettings settings;
    for (int i = 0; i < kNotifyKindCount; ++i) {
        settings.notify[i] =
            platform::GetPrivateProfileInt(kSection, kKeys[i], settings.notify[i], file) != 0;
        settings.sound[i] =
            platform::GetPrivateProfileInt(kSection, std::string(kKeys[i]) + "_sound",
                                           settings.sound[i], file) != 0;
    }
    return settings;
}

bool WriteNotifySettings(const NotifySettings& settings, const std::string& file) {
    std::vector<platform::ProfileEntry> entries;
    for (int i = 0; i < kNotifyKindCount; ++i) {
        entries.push_back({kSection, kKeys[i], settings.notify[i] ? "1" : "0"});
        if (KindHasSound(static_cast<NotifyKind>(i))) {
            entries.push_back(
                {kSection, std::string(kKeys[i]) + "_sound", settings.sound[i] ? "1" : "0"});
        }
    }
    return platform::WritePrivateProfileStrings(entries, file);
}

Notification FillNotification(const std::vector<TradeRecord>& fills) {
    Notification n{NotifyKind::Fill, Ansi("成交"), {}};
    if (fills.size() > 1) {
        n.title = Ansi("成交 ") + std::to_string(fills.size()) + Ansi("笔");
    }
    for (std::size_t i = 0; i < fills.size() && i < kFillLinesShown; ++i) {
        n.text += (i ? "\n" : "") + FillLine(fills[i]);
    }
    if (fills.size() > kFillLinesShown) {
        n.text += Ansi("\n另有") + std::to_string(fills.size() - kFillLinesShown) + Ansi("笔");
    }
    return n;
}

Notification RuleFiredNotification(const FiredLeg& leg) {
    const CloseOrder& o = leg.order;
    return {NotifyKind::RuleFired, Ansi(leg.stopLoss ? "止损触发" : "止盈触发"),
            o.code + Ansi(o.updown == "2" ? " 卖出平仓 " : " 买入平仓 ") + o.lots + Ansi("手 价") +
                o.price};
}

Notification CloseFailedNotification(const std::string& problem) {
    return {NotifyKind::CloseFailed, Ansi("止损止盈平仓失败"), problem};
}

Notification OrderUnknownNotification(const OrderForm& form) {
    const char* type = form.openClose == OpenClose::Open         ? "开仓"
                       : form.openClose == OpenClose::CloseToday ? "平今"
                                                                 : "平仓";
    return {NotifyKind::OrderUnknown, Ansi("委托结果未知"),
            form.code + " " + Ansi(form.side == OrderSide::Buy ? "买入" : "卖出") + Ansi(type) +
                " " + form.lots + Ansi("手 价") + form.price +
                Ansi("：交易服务器未应答，请核对委托列表")};
}

Notification ConnectionNotification(Link link, bool lost, const std::string& clock) {
    const char* server = link == Link::Quotes ? "行情服务器" : "交易服务器";
    if (lost) {
        return {NotifyKind::ConnectionLost, Ansi(server) + Ansi("连接中断"),
                Ansi(server) + Ansi("自") + clock + Ansi("起无应答，正在重试")};
    }
    return {NotifyKind::ConnectionBack, Ansi(server) + Ansi("连接恢复"),
            Ansi(server) + Ansi("已恢复应答 ") + clock};
}

FillWatch::FillWatch(const TradeTable& known) {
    for (std::size_t i = 0; i < known.Count(); ++i) {
        seen_.insert(Key(known.rows[i]));
    }
}

std::vector<TradeRecord> FillWatch::NewFills(const TradeTable& table) {
    std::vector<TradeRecord> fresh;
    for (std::size_t i = 0; i < table.Count(); ++i) {
        if (seen_.insert(Key(table.rows[i])).second) {
            fresh.push_back(table.rows[i]);
        }
    }
    return fresh;
}

std::string FillWatch::Key(const TradeRecord& record) {
    // A fill number may come back on another trading day; with its time and contract it
    // names one fill.
    return std::string(FieldText(record.tradeNo)) + '|' +
           std::string(FieldText(record.contractCode)) + '|' +
           std::string(FieldText(record.tradeTime));
}

ConnectionWatch::Event ConnectionWatch::Update(bool down, std::uint64_t nowTick) {
    // What was said last is `lost_`; a reading that differs from it must last `settleMs_`.
    if (down == lost_) {
        changing_ = false;
        return Event::None;
    }
    if (!changing_) {
        changing_ = true;
        since_ = nowTick;
    }
    if (nowTick - since_ < settleMs_) {
        return Event::None;
    }
    changing_ = false;
    lost_ = down;
    return down ? Event::Lost : Event::Back;
}

}  // namespace ft
