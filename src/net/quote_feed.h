// The quote server connection and the thread that polls it. Quotes come over one plain TCP
// connection: every poll sends the subscribed codes and receives the latest quotes of those
// codes, which go into the QuoteBook; the answer's refresh flag asks for a table reload.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

#include "core/session_state.h"
#include "net/quote_book.h"

namespace ft {

// Waits of the quote connection and the polling thread. The defaults are the real ones; tests
// shorten what they must.
struct QuoteTimings {
    std::chrono::milliseconds connectWait{3000};  // for a non-blocking connect to complete
    std::chrono::milliseconds receiveWait{3000};  // silence that drops the connection
    std::chrono::milliseconds retryPause{100};    // between the first connect attempts
    int connectRetries = 5;                       // attempts after the first one
    std::chrono::milliseconds pollPause{300};     // after a quote request
    std::chrono::milliseconds idlePause{500};     // while nothing is subscribed
};

// Both directions: a 32-byte header, bytes 0-7 the total length in decimal digits, then the
// body; no terminating byte.
inline constexpr std::size_t kQuoteHeaderSize = 32;
// Largest message accepted or sent, header included. An answer announcing more is refused and
// the connection reopened; a request that would be longer is not sent.
inline constexpr std::size_t kMaxQuoteMessage = std::size_t{1024} * 1024;

// The quote connection. Used by one thread only, except Interrupt.
class CClientSocket {
public:
    explicit CClientSocket(const SessionState& session, QuoteTimings timings = {});
    ~CClientSocket();
    CClientSocket(const CClientSocket&) = delete;
    CClientSocket& operator=(const CClientSocket&) = delete;

    // Opens a new connection (the old one, if any, is closed first). The host and port are
    // taken from the profile of the session's ServerMode at the first call and kept for the
    // life of the object.
    bool Connect();
    // Sends the whole message. On an error, reconnects once and sends it again. Returns the
    // bytes sent or -1.
    long Send(std::string_view message);
    // Receives one whole message (header and body) into `message`, waiting at most
    // receiveWait for each piece. Returns its length, or -1 after silence, an error, the peer
    // closing, or a length header that is not a number, below the header size or above
    // kMaxQuoteMessage; the connection has then been closed and reopened.
    long Receive(std::string& message);
    void Close();
    // Callable from any thread: a pending or later wait returns at once and no new
    // connection is opened, so the owning thread can be joined.
    void Interrupt();

    bool connected() const { return fd_ >= 0; }
    const std::string& host() const { return host_; }
    int port() const { return port_; }

private:
    bool WaitReadable();
    // Reads exactly `size` bytes into `dst`, waiting before each read; false on any failure.
    bool ReadFully(char* dst, std::size_t size);
    long Drop();
    long SendAll(std::string_view message);

    const SessionState& session_;
    QuoteTimings timings_;
    std::string host_;
    int port_ = 0;
    int fd_ = -1;
    int wake_[2] = {-1, -1};
    std::atomic<bool> interrupted_{false};
};

// The polling thread with its refresh-flag state. The app runs it until the process ends;
// tests stop and join it.
class QuoteFeed {
public:
    // Called from the feed thread when the server raises the refresh flag; must return quickly
    // (the app starts TableLoader::StartReloadTables(100) from it).
    using ReloadCallback = std::function<void()>;

    QuoteFeed(const SessionState& session, QuoteBook& quotes, ReloadCallback reload,
              QuoteTimings timings = {});
    // Stops and joins the thread.
    ~QuoteFeed();
    QuoteFeed(const QuoteFeed&) = delete;
    QuoteFeed& operator=(const QuoteFeed&) = delete;

    // Starts the polling thread (once per object).
    void Start();
    // Ends the polling thread and waits for it; the feed cannot be started again.
    void Stop();

    // One poll: sends the request for `codes`, takes the answer into the quote book and acts
    // on the refresh flag. True when an answer was taken. This is what the thread runs; call
    // it directly only while the thread is not running.
    bool QuoteRequest(const std::string& codes);

    // The value sent as `count` in the next request.
    unsigned RefreshEcho() const { return refreshEcho_.load(); }
    // How far the thread has got: connection attempts before its loop, then rounds of the
    // loop (a poll or an idle pause each), so a caller can wait for the thread's next turn.
    std::uint64_t ConnectAttempts() const { return connectAttempts_.load(); }
    std::uint64_t Rounds() const { return rounds_.load(); }
    const CClientSocket& connection() const { return socket_; }

    // The request message: the 32-byte header ("%08d" total length, "%08d" of 2, the first
    // 16 characters of "%08d%08d" of process id and millisecond tick) and the body
    // "codes=...&username=...&count=N".
    static std::string BuildRequest(std::string_view codes, std::string_view userName,
                                    unsigned count, int processId, std::uint64_t tick);

private:
    void Run();
    // Waits `pause` or until Stop; false when stopping.
    bool Pause(std::chrono::milliseconds pause);

    const SessionState& session_;
    QuoteBook& quotes_;
    ReloadCallback reload_;
    QuoteTimings timings_;
    CClientSocket socket_;

    std::atomic<unsigned> refreshEcho_{0};
    std::atomic<std::uint64_t> connectAttempts_{0};
    std::atomic<std::uint64_t> rounds_{0};
    std::uint64_t lastRefresh_ = 0;
    bool refreshed_ = false;

    std::mutex stopMutex_;
    std::condition_variable stopChanged_;
    bool stopping_ = false;
    std::thread thread_;
};

}  // namespace ft
