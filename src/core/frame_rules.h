// The window-free rules of the main frame: title and status texts, the refresh and resize
// gates, the heartbeat writer and the announcement check. No Qt here.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "core/session_state.h"

namespace ft {

// Milliseconds of a monotonic clock; tests pass their own.
using TickSource = std::function<std::uint64_t()>;
TickSource SystemTicks();

// The frame title (GBK) for a mode and display name; nothing for a mode outside 0..3, where
// the window keeps the title it has.
std::optional<std::string> FrameTitle(int mode, const std::string& displayName);

// Status pane texts (GBK).
std::string VersionPaneText();
std::string ForcedClosePaneText(ServerMode mode, const std::string& forcedCloseCount);
std::string AccountPaneText(const std::string& userName);

// Sum of `volume` over the trades whose openClose is "开仓", walking at most 512 rows and
// stopping at the first row without a contract code.
long long TodayOpenVolume(const TradeTable& trades);

// The two further status texts, each produced only when its value changed since the last
// call (both start as "never shown").
class FrameCounters {
public:
    struct Changes {
        std::optional<std::string> openVolumeText;  // "当日开仓总数: %d"
        std::optional<std::string> stopLossText;    // "止损强平次数: %s"
    };
    Changes Update(const TradeTable& trades, const MoneyRecord& money);

private:
    long long openVolume_ = -1;
    long long stopLossCount_ = -1;
};

// The refresh command is honoured only when more than 2000 ms have passed since the last
// honoured one (or since construction).
class RefreshGate {
public:
    static constexpr std::uint64_t kMinIntervalMs = 2000;
    explicit RefreshGate(TickSource tick = SystemTicks());
    // True when the refresh may run; the gate then restarts from now.
    bool TryRefresh();

private:
    TickSource tick_;
    std::uint64_t last_;
};

// Resizes ask the panes to repaint only when the splitter layout has been built more than
// 3000 ms ago.
class LayoutClock {
public:
    static constexpr std::uint64_t kQuietMs = 3000;
    explicit LayoutClock(TickSource tick = SystemTicks()) : tick_(std::move(tick)) {}
    void MarkLayoutReady() { ready_ = tick_(); }
    bool RepaintOnResize() const;

private:
    TickSource tick_;
    std::optional<std::uint64_t> ready_;
};

// A thread that can be told to stop while it waits. The destructor stops and joins it.
class StoppableThread {
public:
    StoppableThread() = default;
    ~StoppableThread() { Stop(); }
    StoppableThread(const StoppableThread&) = delete;
    StoppableThread& operator=(const StoppableThread&) = delete;

    // `body` receives the thread itself, for WaitFor.
    void Start(std::function<void(StoppableThread&)> body);
    // Waits up to `duration`; false when the thread was told to stop.
    bool WaitFor(std::chrono::milliseconds duration);
    void Stop();

private:
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stopping_ = false;
    std::thread thread_;
};

// Writes the heartbeat of `mode` at once and then every `interval` until destroyed.
class HeartbeatWriter {
public:
    explicit HeartbeatWriter(ServerMode mode,
                             std::chrono::milliseconds interval = std::chrono::milliseconds(2000));

private:
    StoppableThread thread_;
};

// "0" and answers starting with "-1" mean there is no announcement. An empty answer carries
// nothing to show either.
bool IsAnnouncement(const std::string& answer);

inline constexpr const char* kAnnouncementPath = "index.php?m=client&a=givemelastgonggao";

// What the connection pane says: the quote feed's state, the age of the last quote answer once
// it is older than kStaleQuoteMs, the web back-end's reachability, whether the stop-loss and
// take-profit rules are held for stale quotes, a closing order of theirs that failed, trouble
// with their file and the last leg that fired.
inline constexpr std::uint64_t kStaleQuoteMs = 3000;
struct ConnectionFacts {
    std::uint64_t lastAnswerTick = 0;  // 0 before the first quote answer
    std::int64_t feedDownSince = 0;    // seconds since 1970; 0 while the feed answers
    bool subscribed = false;           // quotes are asked for at all
    bool webUnreachable = false;
    std::int64_t webUnreachableSince = 0;
    std::uint64_t nowTick = 0;
    // Contracts whose armed stop rules wait for a fresh quote of their own.
    std::vector<std::string> heldRuleCodes;
    std::string stopOrderProblem;  // GBK; empty when none
    std::string ruleFileProblem;   // GBK; the rule file could not be written or read
    std::string firedLegNotice;    // GBK; the last stop-loss or take-profit leg that fired
    std::string keyNotice;         // GBK; the last order or cancellation a trading key started
};
struct ConnectionText {
    std::string text;  // GBK
    bool trouble = false;
};
ConnectionText ConnectionPaneText(const ConnectionFacts& facts);

}  // namespace ft
