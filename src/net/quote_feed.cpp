#include "net/quote_feed.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <vector>

#include "core/record_format.h"
#include "core/text.h"
#include "platform/network.h"
#include "platform/system.h"

namespace ft {

namespace {

constexpr std::uint64_t kRefreshGapMs = 1000;
constexpr unsigned kRefreshEchoStart = 5;

int RemainingMs(std::chrono::steady_clock::time_point deadline) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

}  // namespace

CClientSocket::CClientSocket(const SessionState& session, QuoteTimings timings)
    : session_(session), timings_(timings) {
    if (::pipe2(wake_, O_CLOEXEC | O_NONBLOCK) != 0) {
        wake_[0] = wake_[1] = -1;
    }
}

CClientSocket::~CClientSocket() {
    Close();
    for (int fd : wake_) {
        if (fd >= 0) {
            ::close(fd);
        }
    }
}

bool CClientSocket::Connect() {
    Close();
    if (interrupted_.load()) {
        return false;
    }
    if (host_.empty()) {
        const ServerProfile& profile = session_.Profile(session_.serverMode());
        host_ = profile.quoteHost;
        port_ = static_cast<int>(ToInt(profile.quotePort));
    }
    int fd = platform::ConnectTcp(host_, port_, timings_.connectWait);
    if (fd < 0) {
        return false;
    }
    // A peer that stops reading must not hold a send for ever either.
    timeval limit{};
    limit.tv_sec = timings_.receiveWait.count() / 1000;
    limit.tv_usec = static_cast<suseconds_t>((timings_.receiveWait.count() % 1000) * 1000);
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
    fd_ = fd;
    return true;
}

void CClientSocket::Close() {
    platform::CloseSocket(fd_);
    fd_ = -1;
}

void CClientSocket::Interrupt() {
    interrupted_.store(true);
    if (wake_[1] >= 0) {
        [[maybe_unused]] ssize_t n = ::write(wake_[1], "x", 1);
    }
}

long CClientSocket::SendAll(std::string_view message) {
    if (fd_ < 0) {
        return -1;
    }
    std::size_t sent = 0;
    while (sent < message.size()) {
        // MSG_NOSIGNAL: a peer that has closed must give an error here, not end the process.
        ssize_t n = ::send(fd_, message.data() + sent, message.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return -1;
        }
        sent += static_cast<std::size_t>(n);
    }
    return static_cast<long>(sent);
}

long CClientSocket::Send(std::string_view message) {
    long result = SendAll(message);
    if (result < 0 && Connect()) {
        result = SendAll(message);
    }
    return result;
}

bool CClientSocket::WaitReadable() {
    if (fd_ < 0 || interrupted_.load()) {
        return false;
    }
    const auto deadline = std::chrono::steady_clock::now() + timings_.receiveWait;
    while (true) {
        pollfd p[2] = {{fd_, POLLIN, 0}, {wake_[0], POLLIN, 0}};
        int ready = ::poll(p, 2, RemainingMs(deadline));
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready <= 0 || (p[1].revents & POLLIN) != 0) {
            return false;
        }
        // POLLHUP comes with POLLIN when data is left to read; alone it is a dead socket.
        return (p[0].revents & POLLIN) != 0;
    }
}

bool CClientSocket::ReadFully(char* dst, std::size_t size) {
    std::size_t got = 0;
    while (got < size) {
        if (!WaitReadable()) {
            return false;
        }
        ssize_t n = ::recv(fd_, dst + got, size - got, 0);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        // 0 is the peer closing: without this the loop would wait on a dead socket for ever.
        if (n <= 0) {
            return false;
        }
        got += static_cast<std::size_t>(n);
    }
    return true;
}

long CClientSocket::Drop() {
    Close();
    if (!interrupted_.load()) {
        Connect();
    }
    return -1;
}

long CClientSocket::Receive(std::string& message) {
    message.clear();
    char lengthText[8];
    if (!ReadFully(lengthText, sizeof lengthText)) {
        return Drop();
    }
    // Decimal conversion: leading zeros and trailing non-digits are tolerated.
    const long long total = ToInt(std::string_view(lengthText, sizeof lengthText));
    if (total < static_cast<long long>(kQuoteHeaderSize) ||
        total > static_cast<long long>(kMaxQuoteMessage)) {
        return Drop();
    }
    message.assign(lengthText, sizeof lengthText);
    message.resize(static_cast<std::size_t>(total));
    if (!ReadFully(message.data() + sizeof lengthText, message.size() - sizeof lengthText)) {
        message.clear();
        return Drop();
    }
    return static_cast<long>(total);
}

QuoteFeed::QuoteFeed(const SessionState& session, QuoteBook& quotes, ReloadCallback reload,
                     QuoteTimings timings)
    : session_(session),
      quotes_(quotes),
      reload_(std::move(reload)),
      timings_(timings),
      socket_(session, timings) {}

QuoteFeed::~QuoteFeed() {
    Stop();
}

void QuoteFeed::Start() {
    std::lock_guard lock(stopMutex_);
    if (thread_.joinable() || stopping_) {
        return;
    }
    thread_ = std::thread(&QuoteFeed::Run, this);
}

void QuoteFeed::Stop() {
    {
        std::lock_guard lock(stopMutex_);
        stopping_ = true;
    }
    stopChanged_.notify_all();
    socket_.Interrupt();
    if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id()) {
        thread_.join();
    }
}

bool QuoteFeed::Pause(std::chrono::milliseconds pause) {
    std::unique_lock lock(stopMutex_);
    return !stopChanged_.wait_for(lock, pause, [this] { return stopping_; });
}

std::string QuoteFeed::BuildRequest(std::string_view codes, std::string_view userName,
                                    unsigned count, int processId, std::uint64_t tick) {
    std::string body;
    body.reserve(codes.size() + userName.size() + 32);
    body += "codes=";
    body += codes;
    body += "&username=";
    body += userName;
    body += Format("&count=%d", static_cast<int>(count));
    const std::size_t total = kQuoteHeaderSize + body.size();
    if (total > kMaxQuoteMessage) {
        return {};
    }
    // The tick is the platform's 32-bit millisecond counter printed with "%d".
    char stamp[40];
    std::snprintf(stamp, sizeof stamp, "%08d%08d", processId,
                  static_cast<int>(static_cast<std::uint32_t>(tick)));
    std::string message = Format("%08d%08d", static_cast<int>(total), 2);
    message.append(stamp, 16);
    message += body;
    return message;
}

bool QuoteFeed::QuoteRequest(const std::string& codes) {
    const unsigned echo = refreshEcho_.load();
    const std::string message = BuildRequest(codes, session_.Login().userName, echo,
                                             platform::ProcessId(), platform::TickCount());
    if (message.empty()) {
        return false;
    }
    if (echo > 0) {
        refreshEcho_.store(echo - 1);
    }
    if (socket_.Send(message) <= 0) {
        quotes_.MarkFeedFailure(static_cast<std::int64_t>(std::time(nullptr)));
        return false;
    }
    std::string answer;
    if (socket_.Receive(answer) <= 0) {
        quotes_.MarkFeedFailure(static_cast<std::int64_t>(std::time(nullptr)));
        return false;
    }
    std::string_view body(answer);
    body.remove_prefix(kQuoteHeaderSize);
    body = body.substr(0, body.find('\0'));

    const auto parts = SplitView("||", body);
    const std::uint64_t now = platform::TickCount();
    if (parts.size() >= 2 && parts[1] == "1" &&
        (!refreshed_ || now - lastRefresh_ > kRefreshGapMs)) {
        refreshed_ = true;
        lastRefresh_ = now;
        refreshEcho_.store(kRefreshEchoStart);
        if (reload_) {
            reload_();
        }
    }
    quotes_.SetQuoteText(std::string(parts[0]));
    return true;
}

void QuoteFeed::Run() {
    bool connected = socket_.Connect();
    ++connectAttempts_;
    for (int i = 0; !connected && i < timings_.connectRetries; ++i) {
        if (!Pause(timings_.retryPause)) {
            return;
        }
        connected = socket_.Connect();
        ++connectAttempts_;
    }
    if (!connected) {
        quotes_.MarkFeedFailure(static_cast<std::int64_t>(std::time(nullptr)));
    }
    // Not connected after the retries: every send reconnects on its error.
    while (true) {
        const std::string codes = quotes_.JoinedCodes();
        std::chrono::milliseconds pause = timings_.idlePause;
        if (!codes.empty()) {
            QuoteRequest(codes);
            pause = timings_.pollPause;
        }
        ++rounds_;
        if (!Pause(pause)) {
            return;
        }
    }
}

}  // namespace ft
