#include "core/frame_rules.h"

#include <cstring>
#include <ctime>

#include "core/login.h"
#include "core/text.h"
#include "platform/system.h"

namespace ft {

TickSource SystemTicks() {
    return [] { return platform::TickCount(); };
}

std::optional<std::string> FrameTitle(int mode, const std::string& displayName) {
    const char* prefix = nullptr;
    switch (mode) {
        case 0:
            prefix = "远帆日内初赛(模拟)-";
            break;
        case 1:
            prefix = "远帆隔夜赛(模拟)-";
            break;
        case 2:
            prefix = "远帆分账户系统-";
            break;
        case 3:
            prefix = "分账户终端-CTP-合作操盘-实盘-";
            break;
        default:
            return std::nullopt;
    }
    return Ansi(prefix) + displayName;
}

std::string VersionPaneText() {
    return Ansi("版本更新日期:2021.04.26");
}

std::string ForcedClosePaneText(ServerMode mode, const std::string& forcedCloseCount) {
    if (mode == ServerMode::OvernightFirstRound) {
        return Ansi("强平次数:") + forcedCloseCount;
    }
    return "  ";
}

std::string AccountPaneText(const std::string& userName) {
    return Ansi("您登陆的账号是:") + userName;
}

long long TodayOpenVolume(const TradeTable& trades) {
    const std::string& open = Ansi("开仓");
    long long total = 0;
    const std::size_t count = trades.Count(512);
    for (std::size_t i = 0; i < count; ++i) {
        const TradeRecord& row = trades.rows[i];
        if (open == row.openClose) {
            total += ToInt(row.volume);
        }
    }
    return total;
}

FrameCounters::Changes FrameCounters::Update(const TradeTable& trades, const MoneyRecord& money) {
    Changes changes;
    const long long openVolume = TodayOpenVolume(trades);
    if (openVolume != openVolume_) {
        openVolume_ = openVolume;
        changes.openVolumeText = Ansi("当日开仓总数: ") + std::to_string(openVolume);
    }
    const long long stopLoss = ToInt(money.stopLossCloseCount);
    if (stopLoss != stopLossCount_) {
        stopLossCount_ = stopLoss;
        changes.stopLossText =
            Ansi("止损强平次数: ") + std::string(FieldText(money.stopLossCloseCount));
    }
    return changes;
}

RefreshGate::RefreshGate(TickSource tick) : tick_(std::move(tick)), last_(tick_()) {}

bool RefreshGate::TryRefresh() {
    const std::uint64_t now = tick_();
    if (now - last_ <= kMinIntervalMs) {
        return false;
    }
    last_ = now;
    return true;
}

bool LayoutClock::RepaintOnResize() const {
    return ready_ && tick_() - *ready_ > kQuietMs;
}

void StoppableThread::Start(std::function<void(StoppableThread&)> body) {
    thread_ = std::thread([this, body = std::move(body)] { body(*this); });
}

bool StoppableThread::WaitFor(std::chrono::milliseconds duration) {
    std::unique_lock lock(mutex_);
    return !wake_.wait_for(lock, duration, [this] { return stopping_; });
}

void StoppableThread::Stop() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable()) {
        thread_.join();
    }
}

HeartbeatWriter::HeartbeatWriter(ServerMode mode, std::chrono::milliseconds interval) {
    thread_.Start([mode, interval](StoppableThread& self) {
        do {
            WriteHeartbeat(mode, std::time(nullptr));
        } while (self.WaitFor(interval));
    });
}

bool IsAnnouncement(const std::string& answer) {
    return !answer.empty() && answer != "0" && answer.compare(0, 2, "-1") != 0;
}

namespace {

std::string ClockText(std::int64_t seconds) {
    const std::tm t = platform::LocalTime(static_cast<std::time_t>(seconds));
    return Format("%02d:%02d:%02d", t.tm_hour, t.tm_min, t.tm_sec);
}

}  // namespace

ConnectionText ConnectionPaneText(const ConnectionFacts& facts) {
    ConnectionText out;
    if (facts.feedDownSince != 0) {
        out.text = Ansi("行情重连中(自") + ClockText(facts.feedDownSince) + ")";
        out.trouble = true;
    } else if (facts.lastAnswerTick == 0) {
        out.text = Ansi(facts.subscribed ? "行情连接中" : "行情未订阅");
    } else {
        out.text = Ansi("行情已连接");
    }
    if (facts.subscribed && facts.lastAnswerTick != 0 &&
        facts.nowTick - facts.lastAnswerTick > kStaleQuoteMs) {
        out.text += Ansi("，行情已") +
                    std::to_string((facts.nowTick - facts.lastAnswerTick) / 1000) +
                    Ansi("秒未更新");
        out.trouble = true;
    }
    if (!facts.heldRuleCodes.empty()) {
        out.text += Ansi("，止损止盈已暂停(");
        for (std::size_t i = 0; i < facts.heldRuleCodes.size(); ++i) {
            out.text += (i ? "," : "") + facts.heldRuleCodes[i];
        }
        out.text += ")";
        out.trouble = true;
    }
    if (facts.webUnreachable) {
        out.text += Ansi("；交易服务器无法连接(自") + ClockText(facts.webUnreachableSince) + ")";
        out.trouble = true;
    }
    if (!facts.stopOrderProblem.empty()) {
        out.text += Ansi("；") + facts.stopOrderProblem;
        out.trouble = true;
    }
    if (!facts.ruleFileProblem.empty()) {
        out.text += Ansi("；") + facts.ruleFileProblem;
        out.trouble = true;
    }
    if (!facts.firedLegNotice.empty()) {
        out.text += Ansi("；") + facts.firedLegNotice;
    }
    if (!facts.keyNotice.empty()) {
        out.text += Ansi("；") + facts.keyNotice;
    }
    return out;
}

}  // namespace ft
