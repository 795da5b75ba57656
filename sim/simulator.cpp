#include "simulator.h"

#include <arpa/inet.h>
#include <httplib.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <list>
#include <thread>

#include "backend.h"
#include "wire.h"

namespace fsim {
namespace {

constexpr std::size_t kHeader = 32;
constexpr std::size_t kMaxRequest = std::size_t{1024} * 1024;
constexpr std::size_t kOversized = std::size_t{50} * 1024 * 1024;
constexpr auto kSlowByte = std::chrono::milliseconds(20);
constexpr std::size_t kKeptForms = 32;

// Notes one step of an action's traffic, keeping the latest 64 so a long run stays small.
void NoteTraffic(std::string& traffic, char step) {
    traffic += step;
    if (traffic.size() > 64)
        traffic.erase(0, traffic.size() - 64);
}

// Bytes that are not UTF-8 (a lone continuation byte, an over-long form) near the start, and at
// the end a CJK character cut after two of its three UTF-8 bytes and a GBK lead byte alone.
std::string SpoilText(std::string text) {
    text.insert(std::min<std::size_t>(text.size(), 2), "\x80\xc0\xaf");
    return text + "\xe4\xb8" + "\xb0";
}

// The same pseudo-random bytes every time, NUL and separators included.
std::string GarbageBytes(std::size_t size) {
    std::string out(size, '\0');
    std::uint32_t x = 2463534242u;
    for (char& c : out) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        c = static_cast<char>(x & 0xff);
    }
    return out;
}

// 64 KiB of the answer repeated, to fill an oversized one.
std::string FillerOf(const std::string& answer) {
    const std::string unit = answer.empty() ? std::string("0,") : answer;
    std::string out;
    while (out.size() < std::size_t{64} * 1024)
        out += unit;
    return out;
}

std::string QuoteMessage(const std::string& answer, std::size_t total) {
    char lengthText[24];
    std::snprintf(lengthText, sizeof lengthText, "%08zu", total);
    std::string message(lengthText);
    message.append(kHeader - message.size(), ' ');
    return message + answer;
}

bool ReadExactly(int fd, char* data, std::size_t size, const std::atomic<bool>& stopping) {
    std::size_t done = 0;
    while (done < size) {
        pollfd p{fd, POLLIN, 0};
        const int ready = ::poll(&p, 1, 200);
        if (stopping)
            return false;
        if (ready == 0)
            continue;
        if (ready < 0)
            return false;
        const ssize_t n = ::recv(fd, data + done, size - done, 0);
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// Waits for room in the socket in short steps, so a client that stops reading cannot hold
// the thread past a stop.
bool SendAll(int fd, const std::string& data, const std::atomic<bool>& stopping) {
    std::size_t done = 0;
    while (done < data.size()) {
        pollfd p{fd, POLLOUT, 0};
        const int ready = ::poll(&p, 1, 200);
        if (stopping || ready < 0)
            return false;
        if (ready == 0)
            continue;
        const ssize_t n =
            ::send(fd, data.data() + done, data.size() - done, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

// The quote server of one mode: one thread per client, one answer per request.
class QuoteServer {
public:
    QuoteServer(Backend& backend) : backend_(backend) {}
    ~QuoteServer() { Stop(); }

    bool Bind(const std::string& address, int port, std::string* error) {
        address_ = address;
        fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
        int one = 1;
        ::setsockopt(fd_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(static_cast<uint16_t>(port));
        if (::inet_pton(AF_INET, address.c_str(), &a.sin_addr) != 1 ||
            ::bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || ::listen(fd_, 64) != 0) {
            *error = "cannot listen on " + address + ":" + std::to_string(port) + " (" +
                     std::strerror(errno) + ")";
            ::close(fd_);
            fd_ = -1;
            return false;
        }
        socklen_t len = sizeof a;
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &len);
        port_ = ntohs(a.sin_port);
        return true;
    }
    void Start() {
        acceptor_ = std::thread([this] { AcceptLoop(); });
    }
    void Stop() {
        stopping_ = true;
        if (acceptor_.joinable())
            acceptor_.join();
        for (Client& c : clients_)
            c.thread.join();
        clients_.clear();
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
    }
    int port() const { return port_; }

private:
    Fault CurrentFault() {
        return backend_.Locked([](Backend& b) { return b.knobs.quoteFault; });
    }
    // While refusing, the listening socket is closed; lifted, it listens on its port again.
    void FollowRefusal() {
        const bool refusing = CurrentFault() == Fault::Refuse;
        if (refusing && fd_ >= 0) {
            ::close(fd_);
            fd_ = -1;
        } else if (!refusing && fd_ < 0) {
            std::string ignored;
            Bind(address_, port_, &ignored);
        }
    }
    void AcceptLoop() {
        while (!stopping_) {
            FollowRefusal();
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, 100) <= 0)
                continue;
            const int client = ::accept(fd_, nullptr, nullptr);
            if (client < 0)
                continue;
            // Reap the threads of clients that went away, so reconnecting clients do not pile up.
            for (auto it = clients_.begin(); it != clients_.end();) {
                if (it->done) {
                    it->thread.join();
                    it = clients_.erase(it);
                } else {
                    ++it;
                }
            }
            Client& c = clients_.emplace_back();
            c.thread = std::thread([this, client, &c] {
                Serve(client);
                c.done = true;
            });
        }
    }
    void Serve(int fd) {
        while (!stopping_) {
            char header[kHeader];
            if (!ReadExactly(fd, header, kHeader, stopping_))
                break;
            const long long total = std::atoll(std::string(header, 8).c_str());
            if (total < static_cast<long long>(kHeader) ||
                total > static_cast<long long>(kMaxRequest))
                break;
            std::string body(static_cast<std::size_t>(total) - kHeader, '\0');
            if (!ReadExactly(fd, body.data(), body.size(), stopping_))
                break;
            int stall = 0;
            bool close = false;
            Fault fault = Fault::None;
            std::string answer;
            backend_.Locked([&](Backend& b) {
                ++b.knobs.quoteRequests;
                stall = b.knobs.stallQuotesMs;
                fault = b.knobs.quoteFault;
                close = b.knobs.closeQuotes || fault == Fault::Refuse;
                if (!close)
                    answer = b.QuoteAnswer(body);
            });
            if (close)
                break;
            if (stall > 0)
                std::this_thread::sleep_for(std::chrono::milliseconds(stall));
            if (!Answer(fd, answer, fault))
                break;
        }
        ::close(fd);
    }
    // Sends one answer as the fault has it; false when the connection is to end.
    bool Answer(int fd, std::string answer, Fault fault) {
        switch (fault) {
            case Fault::CutAnswer:
                SendAll(fd,
                        QuoteMessage(answer, answer.size() + kHeader)
                            .substr(0, kHeader + answer.size() / 2),
                        stopping_);
                return false;
            case Fault::Garbage: {
                std::string message = QuoteMessage(answer, answer.size() + kHeader);
                message.replace(0, 8, "x7#q!z%&");
                return SendAll(fd, message, stopping_);
            }
            case Fault::Oversized: {
                if (!SendAll(fd, QuoteMessage("", kOversized + kHeader), stopping_))
                    return false;
                const std::string filler = FillerOf(answer);
                for (std::size_t sent = 0; sent < kOversized; sent += filler.size()) {
                    if (!SendAll(fd, filler.substr(0, std::min(filler.size(), kOversized - sent)),
                                 stopping_))
                        return false;
                }
                return true;
            }
            case Fault::InvalidText: {
                // The records spoilt, the refresh flag after "||" left readable.
                const std::size_t flag = answer.rfind("||");
                answer = flag == std::string::npos
                             ? SpoilText(answer)
                             : SpoilText(answer.substr(0, flag)) + answer.substr(flag);
                return SendAll(fd, QuoteMessage(answer, answer.size() + kHeader), stopping_);
            }
            case Fault::SlowBytes: {
                const std::string message = QuoteMessage(answer, answer.size() + kHeader);
                for (std::size_t i = 0; i < message.size(); ++i) {
                    if (CurrentFault() != Fault::SlowBytes)
                        return SendAll(fd, message.substr(i), stopping_);
                    std::this_thread::sleep_for(kSlowByte);
                    if (!SendAll(fd, message.substr(i, 1), stopping_))
                        return false;
                }
                return true;
            }
            case Fault::None:
            case Fault::Refuse:
                break;
        }
        return SendAll(fd, QuoteMessage(answer, answer.size() + kHeader), stopping_);
    }

    Backend& backend_;
    std::string address_;
    int fd_ = -1;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    std::thread acceptor_;
    struct Client {
        std::thread thread;
        std::atomic<bool> done{false};
    };
    std::list<Client> clients_;  // only the acceptor thread touches the list
};

namespace {

// The web answer as the fault has it.
void SetAnswer(Backend& backend, httplib::Response& res, const std::string& answer, Fault fault) {
    const char* type = "text/html; charset=utf-8";
    switch (fault) {
        case Fault::CutAnswer:
            // More is announced than is sent, also for an empty answer; a provider that fails
            // makes httplib drop the connection.
            res.set_content_provider(answer.size() + 1, type,
                                     [answer](std::size_t, std::size_t, httplib::DataSink& sink) {
                                         sink.write(answer.data(), answer.size() / 2);
                                         return false;
                                     });
            return;
        case Fault::Garbage:
            res.set_content(GarbageBytes(4096), type);
            return;
        case Fault::Oversized:
            res.set_content_provider(kOversized, type,
                                     [filler = FillerOf(answer)](std::size_t, std::size_t length,
                                                                 httplib::DataSink& sink) {
                                         return sink.write(filler.data(),
                                                           std::min(length, filler.size()));
                                     });
            return;
        case Fault::InvalidText:
            res.set_content(SpoilText(answer), type);
            return;
        case Fault::SlowBytes:
            res.set_content_provider(
                answer.size(), type,
                [answer, &backend](std::size_t offset, std::size_t, httplib::DataSink& sink) {
                    // Byte by byte while the fault lasts; the rest at once when it is lifted.
                    if (backend.Locked([](Backend& b) { return b.knobs.webFault; }) !=
                        Fault::SlowBytes)
                        return sink.write(answer.data() + offset, answer.size() - offset);
                    std::this_thread::sleep_for(kSlowByte);
                    return sink.write(answer.data() + offset, 1);
                });
            return;
        case Fault::None:
        case Fault::Refuse:
            break;
    }
    res.set_content(answer, type);
}

std::unique_ptr<httplib::Server> MakeWebServer(Backend& backend) {
    auto server = std::make_unique<httplib::Server>();
    // Without these a kept-alive connection waits on Nagle and delayed ACKs (about 40 ms per
    // answer) and is dropped after five requests.
    server->set_tcp_nodelay(true);
    server->set_keep_alive_max_count(100000);
    server->Post("/index.php", [&backend](const httplib::Request& req, httplib::Response& res) {
        const std::string query = req.target.find('?') == std::string::npos
                                      ? std::string()
                                      : req.target.substr(req.target.find('?') + 1);
        const auto route = ParseForm(query);
        auto value = [&](const char* name) {
            auto it = route.find(name);
            return it == route.end() ? std::string() : it->second;
        };
        std::string answer;
        int stall = 0;
        Fault fault = Fault::None;
        backend.Locked([&](Backend& b) {
            ++b.knobs.requests[value("a")];
            NoteTraffic(b.knobs.traffic[value("a")], '>');
            Form form = ParseForm(req.body);
            std::vector<Form>& kept = b.knobs.forms[value("a")];
            if (kept.size() >= kKeptForms)
                kept.erase(kept.begin());
            kept.push_back(form);
            answer = b.Handle(value("m"), value("a"), form);
            stall = b.knobs.stallWebMs;
            fault = b.knobs.webFault;
        });
        if (stall > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(stall));
        backend.Locked([&](Backend& b) { NoteTraffic(b.knobs.traffic[value("a")], '<'); });
        SetAnswer(backend, res, answer, fault);
    });
    return server;
}

void Listen(httplib::Server* server, std::vector<std::thread>& threads, std::size_t slot) {
    if (threads.size() <= slot)
        threads.resize(slot + 1);
    threads[slot] = std::thread([server] { server->listen_after_bind(); });
    while (!server->is_running())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

}  // namespace

struct Simulator::Impl {
    SimOptions options;
    sqlite3* db = nullptr;
    std::vector<std::unique_ptr<Backend>> backends;
    std::vector<std::unique_ptr<Control>> controls;
    std::vector<std::unique_ptr<httplib::Server>> web;
    std::vector<std::thread> webThreads;
    std::vector<std::unique_ptr<QuoteServer>> quotes;
    std::array<int, 4> webPorts{}, quotePorts{};
    std::thread walker;
    std::mutex walkMutex;
    std::condition_variable walkWake;
    bool stopping = false;
    bool running = false;
    std::mutex webMutex;  // guards web and webThreads against the web switch

    void SwitchWeb(std::size_t mode, bool closed) {
        std::lock_guard lock(webMutex);
        if (!running || mode >= web.size())
            return;
        if (closed) {
            if (web[mode]) {
                web[mode]->stop();
                webThreads[mode].join();
                web[mode].reset();
            }
            return;
        }
        if (web[mode])
            return;
        auto server = MakeWebServer(*backends[mode]);
        // The port was ours a moment ago; binding again can only fail if another process took it.
        if (!server->bind_to_port(options.bind, webPorts[mode]))
            return;
        web[mode] = std::move(server);
        Listen(web[mode].get(), webThreads, mode);
    }
};

Simulator::Simulator(SimOptions options) : impl_(std::make_unique<Impl>()) {
    impl_->options = std::move(options);
}

Simulator::~Simulator() {
    Stop();
}

bool Simulator::Start(std::string* error) {
    Impl& s = *impl_;
    std::string ignored;
    if (!error)
        error = &ignored;
    if (sqlite3_open(s.options.dbPath.c_str(), &s.db) != SQLITE_OK) {
        *error = "cannot open database " + s.options.dbPath;
        sqlite3_close(s.db);
        s.db = nullptr;
        return false;
    }
    sqlite3_exec(s.db,
                 "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL;"
                 "CREATE TABLE IF NOT EXISTS accounts(mode INTEGER, user TEXT, data TEXT, "
                 "next_id INTEGER, PRIMARY KEY(mode, user));",
                 nullptr, nullptr, nullptr);
    for (int mode = 0; mode < 4; ++mode) {
        s.backends.push_back(std::make_unique<Backend>(mode, s.db, s.options.seed,
                                                       s.options.seedPosition, s.options.version,
                                                       s.options.announcement, s.options.rngSeed));
        s.backends.back()->knobs.randomWalk = s.options.randomWalk;
        s.controls.push_back(std::make_unique<Control>(*s.backends.back()));
    }
    for (int mode = 0; mode < 4; ++mode) {
        Backend& backend = *s.backends[static_cast<std::size_t>(mode)];
        auto server = MakeWebServer(backend);
        const int wanted = s.options.webPorts[static_cast<std::size_t>(mode)];
        int port = wanted;
        bool bound = false;
        if (wanted == 0) {
            port = server->bind_to_any_port(s.options.bind);
            bound = port > 0;
        } else {
            bound = server->bind_to_port(s.options.bind, wanted);
        }
        if (!bound) {
            *error = "cannot listen on " + s.options.bind + ":" + std::to_string(wanted);
            ReleaseAfterFailedStart();
            return false;
        }
        s.webPorts[static_cast<std::size_t>(mode)] = port;
        s.web.push_back(std::move(server));

        auto quote = std::make_unique<QuoteServer>(backend);
        if (!quote->Bind(s.options.bind, s.options.quotePorts[static_cast<std::size_t>(mode)],
                         error)) {
            ReleaseAfterFailedStart();
            return false;
        }
        s.quotePorts[static_cast<std::size_t>(mode)] = quote->port();
        s.quotes.push_back(std::move(quote));
    }
    for (std::size_t mode = 0; mode < s.web.size(); ++mode)
        Listen(s.web[mode].get(), s.webThreads, mode);
    for (std::size_t mode = 0; mode < s.controls.size(); ++mode)
        s.controls[mode]->webSwitch_ = [&s, mode](bool closed) { s.SwitchWeb(mode, closed); };
    for (auto& quote : s.quotes)
        quote->Start();
    s.walker = std::thread([&s] {
        std::unique_lock lock(s.walkMutex);
        while (!s.walkWake.wait_for(lock, std::chrono::milliseconds(s.options.walkIntervalMs),
                                    [&s] { return s.stopping; })) {
            for (auto& backend : s.backends)
                backend->Locked([](Backend& b) { b.Walk(); });
        }
    });
    s.running = true;
    return true;
}

// A server that is bound but not listening keeps its port after stop(); let the bound ones
// listen so that Stop() closes them.
void Simulator::ReleaseAfterFailedStart() {
    Impl& s = *impl_;
    for (std::size_t mode = 0; mode < s.web.size(); ++mode)
        Listen(s.web[mode].get(), s.webThreads, mode);
    Stop();
}

void Simulator::Stop() {
    Impl& s = *impl_;
    // Slow answers finish at once, so that no server thread outlasts the stop by much.
    for (auto& backend : s.backends) {
        backend->Locked([](Backend& b) { b.knobs.webFault = b.knobs.quoteFault = Fault::None; });
    }
    {
        std::lock_guard lock(s.walkMutex);
        s.stopping = true;
    }
    s.walkWake.notify_all();
    if (s.walker.joinable())
        s.walker.join();
    std::lock_guard webLock(s.webMutex);
    for (auto& server : s.web) {
        if (server)
            server->stop();
    }
    for (std::thread& t : s.webThreads) {
        if (t.joinable())
            t.join();
    }
    s.webThreads.clear();
    s.web.clear();
    for (auto& quote : s.quotes)
        quote->Stop();
    s.quotes.clear();
    s.controls.clear();
    s.backends.clear();
    if (s.db)
        sqlite3_close(s.db);
    s.db = nullptr;
    s.running = false;
}

int Simulator::WebPort(int mode) const {
    return impl_->webPorts.at(static_cast<std::size_t>(mode));
}
int Simulator::QuotePort(int mode) const {
    return impl_->quotePorts.at(static_cast<std::size_t>(mode));
}
Control& Simulator::control(int mode) {
    return *impl_->controls.at(static_cast<std::size_t>(mode));
}

void Control::SetRandomWalk(bool on) {
    backend_.Locked([&](Backend& b) { b.knobs.randomWalk = on; });
}
void Control::SetQuote(const std::string& code, double last, double bid, double ask) {
    backend_.Locked([&](Backend& b) { b.SetQuote(code, last, bid, ask); });
}
void Control::FillNextOrder() {
    backend_.Locked([](Backend& b) { b.knobs.fillNext = true; });
}
void Control::RejectNextOrder(const std::string& reasonUtf8) {
    backend_.Locked(
        [&](Backend& b) { b.knobs.rejectNext = reasonUtf8.empty() ? "拒绝" : reasonUtf8; });
}
void Control::StallWeb(int ms) {
    backend_.Locked([&](Backend& b) { b.knobs.stallWebMs = ms; });
}
void Control::StallQuotes(int ms) {
    backend_.Locked([&](Backend& b) { b.knobs.stallQuotesMs = ms; });
}
void Control::CloseQuoteConnections(bool on) {
    backend_.Locked([&](Backend& b) { b.knobs.closeQuotes = on; });
}
void Control::CloseWebConnections(bool on) {
    if (webSwitch_)
        webSwitch_(on);
}
void Control::InjectWebFault(Fault fault) {
    backend_.Locked([&](Backend& b) { b.knobs.webFault = fault; });
    if (webSwitch_)
        webSwitch_(fault == Fault::Refuse);
}
void Control::InjectQuoteFault(Fault fault) {
    backend_.Locked([&](Backend& b) { b.knobs.quoteFault = fault; });
}
int Control::Requests(const std::string& action) {
    return backend_.Locked([&](Backend& b) {
        auto it = b.knobs.requests.find(action);
        return it == b.knobs.requests.end() ? 0 : it->second;
    });
}
std::string Control::Traffic(const std::string& action) {
    return backend_.Locked([&](Backend& b) {
        auto it = b.knobs.traffic.find(action);
        return it == b.knobs.traffic.end() ? std::string() : it->second;
    });
}
int Control::QuoteRequests() {
    return backend_.Locked([](Backend& b) { return b.knobs.quoteRequests; });
}
std::vector<Form> Control::Forms(const std::string& action) {
    return backend_.Locked([&](Backend& b) {
        auto it = b.knobs.forms.find(action);
        return it == b.knobs.forms.end() ? std::vector<Form>() : it->second;
    });
}
void Control::SetClock(std::time_t t) {
    backend_.Locked([&](Backend& b) { b.SetClock(t); });
}
std::string Control::TradingDay() {
    return backend_.Locked([](Backend& b) { return b.ledger().TradingDay(); });
}
void Control::SetAnnouncement(const std::string& utf8) {
    backend_.Locked([&](Backend& b) { b.knobs.announcement = utf8; });
}
void Control::SetVersion(const std::string& version) {
    backend_.Locked([&](Backend& b) { b.knobs.version = version; });
}
bool Control::HasAccount(const std::string& user) {
    return backend_.Locked([&](Backend& b) { return b.ledger().Has(user); });
}

}  // namespace fsim
