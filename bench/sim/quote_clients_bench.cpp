// A hundred quote boards on one back-end, each polling its custom list every 300 ms over its own
// connection: the round-trip time a board sees while the others are being served.
//
// All clients are driven from one poll loop rather than a thread each, so that on a small
// machine the measuring side does not compete with the server for cores; sends are spread evenly
// over the period so the loop is rarely busy with one answer when another arrives.
#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "sim_harness.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr std::size_t kClients = 100;
constexpr std::size_t kHeaderSize = 32;
constexpr auto kPeriod = 300ms;
constexpr auto kPollingTime = 3s;
constexpr auto kAnswerTimeout = 5s;

struct QuoteClient {
    int fd = -1;
    Clock::time_point due;
    Clock::time_point sentAt;
    bool waiting = false;
    unsigned count = 0;
    std::string answer;
    std::size_t expected = 0;
};

int Connect(int port, std::string* error) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0) {
        *error = std::string("socket: ") + std::strerror(errno);
        return -1;
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    inet_pton(AF_INET, "127.0.0.1", &address.sin_addr);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        *error = std::string("connect: ") + std::strerror(errno);
        ::close(fd);
        return -1;
    }
    const int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    return fd;
}

std::string Request(unsigned count) {
    const std::string body = std::string("codes=") + simbench::kCustomCodes +
                             "&username=demo&count=" + std::to_string(count);
    char length[16];
    std::snprintf(length, sizeof length, "%08zu", kHeaderSize + body.size());
    return std::string(length, 8) + std::string(kHeaderSize - 8, ' ') + body;
}

// Records joined by "**", then "||" and the refresh flag.
bool AnswerIsComplete(const std::string& answer, std::string* error) {
    const std::size_t bar = answer.rfind("||");
    if (answer.size() < kHeaderSize || bar == std::string::npos || bar < kHeaderSize) {
        *error = "answer without \"||\": " + answer.substr(0, 80);
        return false;
    }
    std::size_t records = 1;
    for (std::size_t at = answer.find("**", kHeaderSize); at < bar;
         at = answer.find("**", at + 2)) {
        ++records;
    }
    if (bar == kHeaderSize || records != simbench::kCustomCount) {
        *error = "answer with " + std::to_string(bar == kHeaderSize ? 0 : records) +
                 " records instead of " + std::to_string(simbench::kCustomCount);
        return false;
    }
    return true;
}

// Reads what has arrived; true once the whole answer is in.
bool ReadAnswer(QuoteClient& client, std::string* error) {
    char buffer[8192];
    for (;;) {
        const ssize_t n = ::recv(client.fd, buffer, sizeof buffer, 0);
        if (n > 0) {
            client.answer.append(buffer, static_cast<std::size_t>(n));
            if (client.expected == 0 && client.answer.size() >= 8) {
                client.expected = std::strtoul(client.answer.substr(0, 8).c_str(), nullptr, 10);
                if (client.expected < kHeaderSize) {
                    *error = "bad answer header: " + client.answer.substr(0, 8);
                    return false;
                }
            }
            if (client.expected != 0 && client.answer.size() >= client.expected) {
                if (client.answer.size() > client.expected) {
                    *error = "more bytes than the header announced";
                }
                return true;
            }
            continue;
        }
        if (n == 0) {
            *error = "the quote server closed a connection";
        } else if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
            *error = std::string("recv: ") + std::strerror(errno);
        }
        return false;
    }
}

// Nearest rank: the smallest value at least `fraction` of the samples do not exceed.
double Percentile(const std::vector<double>& sorted, double fraction) {
    if (sorted.empty()) {
        return 0;
    }
    const auto rank =
        static_cast<std::size_t>(std::ceil(fraction * static_cast<double>(sorted.size())));
    return sorted[std::clamp<std::size_t>(rank, 1, sorted.size()) - 1];
}

// Runs the clients for kPollingTime; the round-trip times in microseconds go to `latencies`.
std::string Poll(std::vector<QuoteClient>& clients, std::vector<double>& latencies) {
    const Clock::time_point start = Clock::now();
    const Clock::time_point end = start + kPollingTime;
    for (std::size_t i = 0; i < clients.size(); ++i) {
        clients[i].due = start + kPeriod * i / clients.size();
    }
    std::vector<pollfd> fds;
    std::vector<QuoteClient*> polled;
    std::string error;
    for (;;) {
        Clock::time_point now = Clock::now();
        Clock::time_point wake = now + kAnswerTimeout;
        fds.clear();
        polled.clear();
        for (QuoteClient& client : clients) {
            if (!client.waiting && client.due < end) {
                if (client.due <= now) {
                    const std::string request = Request(client.count++);
                    client.answer.clear();
                    client.expected = 0;
                    client.sentAt = Clock::now();
                    if (::send(client.fd, request.data(), request.size(), MSG_NOSIGNAL) !=
                        static_cast<ssize_t>(request.size())) {
                        return std::string("send: ") + std::strerror(errno);
                    }
                    client.waiting = true;
                    client.due += kPeriod;
                } else {
                    wake = std::min(wake, client.due);
                }
            }
            if (client.waiting) {
                if (now - client.sentAt > kAnswerTimeout) {
                    return "no answer within 5 s";
                }
                wake = std::min(wake, client.sentAt + kAnswerTimeout);
                fds.push_back({client.fd, POLLIN, 0});
                polled.push_back(&client);
            }
        }
        if (polled.empty() && std::none_of(clients.begin(), clients.end(),
                                           [end](const QuoteClient& c) { return c.due < end; })) {
            return {};
        }
        const auto wait = std::max(wake - Clock::now(), Clock::duration::zero());
        const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(wait);
        const timespec timeout{static_cast<time_t>(seconds.count()),
                               static_cast<long>(std::chrono::nanoseconds(wait - seconds).count())};
        if (::ppoll(fds.data(), fds.size(), &timeout, nullptr) < 0 && errno != EINTR) {
            return std::string("ppoll: ") + std::strerror(errno);
        }
        for (std::size_t i = 0; i < fds.size(); ++i) {
            if (fds[i].revents == 0) {
                continue;
            }
            QuoteClient& client = *polled[i];
            const bool complete = ReadAnswer(client, &error);
            if (!error.empty()) {
                return error;
            }
            if (!complete) {
                continue;
            }
            now = Clock::now();
            latencies.push_back(
                std::chrono::duration<double, std::micro>(now - client.sentAt).count());
            client.waiting = false;
            if (!AnswerIsComplete(client.answer, &error)) {
                return error;
            }
            // A late answer delays the next poll instead of sending two at once.
            client.due = std::max(client.due, now);
        }
    }
}

void BM_QuoteClients100(benchmark::State& state) {
    std::string error;
    fsim::Simulator* sim = simbench::SharedSimulator(&error);
    if (sim == nullptr) {
        state.SkipWithError(error.c_str());
        return;
    }
    std::vector<QuoteClient> clients(kClients);
    for (QuoteClient& client : clients) {
        client.fd = Connect(sim->QuotePort(0), &error);
        if (client.fd < 0) {
            break;
        }
    }
    std::vector<double> latencies;
    latencies.reserve(kClients * static_cast<std::size_t>(kPollingTime / kPeriod + 1));
    if (error.empty()) {
        for (auto _ : state) {
            error = Poll(clients, latencies);
            if (!error.empty()) {
                break;
            }
        }
    }
    for (QuoteClient& client : clients) {
        if (client.fd >= 0) {
            ::close(client.fd);
        }
    }
    if (!error.empty()) {
        state.SkipWithError(error.c_str());
        return;
    }
    std::sort(latencies.begin(), latencies.end());
    state.counters["median_us"] = Percentile(latencies, 0.5);
    state.counters["p95_us"] = Percentile(latencies, 0.95);
    state.counters["max_us"] = latencies.empty() ? 0 : latencies.back();
    state.counters["requests"] = static_cast<double>(latencies.size());
}
BENCHMARK(BM_QuoteClients100)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
