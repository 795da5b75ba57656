// A quote server on loopback for the wire tests: accepts any number of connections, records
// every request and answers each with the next scripted reply (or the default one). Replies
// can also stay silent, close the connection or send raw bytes such as a broken header.
#pragma once

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <mutex>
#include <stdexcept>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace ft::test {

struct QuoteReply {
    enum class Kind { Raw, Silent, Close };
    Kind kind = Kind::Raw;
    std::string bytes;        // sent as they are (Raw)
    bool closeAfter = false;  // close the connection after sending (Raw)

    // A well-formed answer: "%08d" total length, 24 header bytes, the body.
    static std::string Frame(std::string_view body) {
        char length[16];
        std::snprintf(length, sizeof length, "%08d", static_cast<int>(32 + body.size()));
        std::string out(length);
        out += "000000010000000000000000";
        out += body;
        return out;
    }
    static QuoteReply Answer(std::string_view body) { return {Kind::Raw, Frame(body), false}; }
    static QuoteReply Raw(std::string bytes, bool closeAfter = false) {
        return {Kind::Raw, std::move(bytes), closeAfter};
    }
    static QuoteReply Silent() { return {Kind::Silent, {}, false}; }
    static QuoteReply Close() { return {Kind::Close, {}, false}; }
};

struct SeenRequest {
    std::string header;  // the 32 header bytes
    std::string body;
    int connection = 0;  // 0 for the first accepted connection, then 1, ...
    std::chrono::steady_clock::time_point at;
};

class FakeQuoteServer {
public:
    // Listens on 127.0.0.1:`port` (0: a free port).
    explicit FakeQuoteServer(int port = 0) {
        listen_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        int yes = 1;
        ::setsockopt(listen_, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        addr.sin_port = htons(static_cast<uint16_t>(port));
        if (::bind(listen_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
            ::listen(listen_, 16) != 0) {
            ::close(listen_);
            throw std::runtime_error("fake quote server: cannot listen");
        }
        socklen_t len = sizeof addr;
        ::getsockname(listen_, reinterpret_cast<sockaddr*>(&addr), &len);
        port_ = ntohs(addr.sin_port);
        if (::pipe2(stopPipe_, O_CLOEXEC) != 0) {
            throw std::runtime_error("fake quote server: no pipe");
        }
        acceptor_ = std::thread([this] { AcceptLoop(); });
    }
    ~FakeQuoteServer() { Stop(); }
    FakeQuoteServer(const FakeQuoteServer&) = delete;
    FakeQuoteServer& operator=(const FakeQuoteServer&) = delete;

    int port() const { return port_; }

    // Replies used in order, one per request; then the default one.
    void Script(std::vector<QuoteReply> replies) {
        std::lock_guard lock(mutex_);
        for (auto& r : replies) {
            script_.push_back(std::move(r));
        }
    }
    void SetDefault(QuoteReply reply) {
        std::lock_guard lock(mutex_);
        default_ = std::move(reply);
    }

    std::vector<SeenRequest> Requests() const {
        std::lock_guard lock(mutex_);
        return requests_;
    }
    std::size_t RequestCount() const {
        std::lock_guard lock(mutex_);
        return requests_.size();
    }
    int Connections() const {
        std::lock_guard lock(mutex_);
        return accepted_;
    }
    bool WaitForRequests(std::size_t n, std::chrono::milliseconds timeout) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, timeout, [&] { return requests_.size() >= n; });
    }
    bool WaitForConnections(int n, std::chrono::milliseconds timeout) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, timeout, [&] { return accepted_ >= n; });
    }

    // Closes every open connection now, without waiting for a request.
    void CloseConnections() {
        std::lock_guard lock(mutex_);
        for (int fd : open_) {
            if (fd >= 0) {
                ::shutdown(fd, SHUT_RDWR);
            }
        }
    }

    void Stop() {
        {
            std::lock_guard lock(mutex_);
            if (stopped_) {
                return;
            }
            stopped_ = true;
            for (int fd : open_) {
                if (fd >= 0) {
                    ::shutdown(fd, SHUT_RDWR);
                }
            }
        }
        [[maybe_unused]] ssize_t n = ::write(stopPipe_[1], "x", 1);
        acceptor_.join();
        // The acceptor is done, so the list of handlers no longer grows.
        for (auto& t : handlers_) {
            t.join();
        }
        ::close(listen_);
        ::close(stopPipe_[0]);
        ::close(stopPipe_[1]);
    }

private:
    void AcceptLoop() {
        while (true) {
            pollfd p[2] = {{listen_, POLLIN, 0}, {stopPipe_[0], POLLIN, 0}};
            if (::poll(p, 2, -1) < 0) {
                continue;
            }
            if (p[1].revents != 0) {
                return;
            }
            int fd = ::accept4(listen_, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd < 0) {
                continue;
            }
            std::lock_guard lock(mutex_);
            if (stopped_) {
                ::close(fd);
                return;
            }
            const int index = accepted_++;
            open_.push_back(fd);
            handlers_.emplace_back([this, fd, index] { Serve(fd, index); });
            changed_.notify_all();
        }
    }

    static bool ReadAll(int fd, char* dst, std::size_t size) {
        std::size_t got = 0;
        while (got < size) {
            ssize_t n = ::recv(fd, dst + got, size - got, 0);
            if (n <= 0) {
                return false;
            }
            got += static_cast<std::size_t>(n);
        }
        return true;
    }

    void Serve(int fd, int index) {
        while (true) {
            SeenRequest seen;
            seen.header.resize(32);
            if (!ReadAll(fd, seen.header.data(), 32)) {
                break;
            }
            const long total = std::strtol(seen.header.substr(0, 8).c_str(), nullptr, 10);
            if (total < 32 || total > (1L << 24)) {
                break;
            }
            seen.body.resize(static_cast<std::size_t>(total - 32));
            if (!ReadAll(fd, seen.body.data(), seen.body.size())) {
                break;
            }
            seen.connection = index;
            seen.at = std::chrono::steady_clock::now();
            QuoteReply reply;
            {
                std::lock_guard lock(mutex_);
                requests_.push_back(std::move(seen));
                if (!script_.empty()) {
                    reply = std::move(script_.front());
                    script_.pop_front();
                } else {
                    reply = default_;
                }
                changed_.notify_all();
            }
            if (reply.kind == QuoteReply::Kind::Close) {
                break;
            }
            if (reply.kind == QuoteReply::Kind::Raw) {
                ::send(fd, reply.bytes.data(), reply.bytes.size(), MSG_NOSIGNAL);
                if (reply.closeAfter) {
                    break;
                }
            }
        }
        std::lock_guard lock(mutex_);
        ::close(fd);
        for (int& open : open_) {
            if (open == fd) {
                open = -1;
            }
        }
    }

    int listen_ = -1;
    int port_ = 0;
    int stopPipe_[2] = {-1, -1};
    std::thread acceptor_;
    std::vector<std::thread> handlers_;

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<QuoteReply> script_;
    QuoteReply default_ = QuoteReply::Answer("||0");
    std::vector<SeenRequest> requests_;
    std::vector<int> open_;
    int accepted_ = 0;
    bool stopped_ = false;
};

}  // namespace ft::test
