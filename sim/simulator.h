// futures-sim: four independent simulated futures back-ends (one per server mode) with their
// web API and quote server, for the terminal's demo mode and its tests.
#pragma once

#include <array>
#include <ctime>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace fsim {

struct SimOptions {
    std::string bind = "127.0.0.1";
    // Index = server mode 0..3; 0 picks a free port.
    std::array<int, 4> webPorts{9090, 2073, 2086, 9092};
    std::array<int, 4> quotePorts{9292, 2173, 2186, 9293};
    std::string dbPath = ":memory:";
    // Create the demo data when the database is new.
    bool seed = true;
    // With `seed`: the demo account also holds a position (for showing by hand; tests start
    // without one).
    bool seedPosition = false;
    std::string version = "20210426";
    std::string announcement;  // empty: the seeded one
    bool randomWalk = true;
    unsigned rngSeed = 0;  // 0: from the clock
    int walkIntervalMs = 500;
};

class Backend;

// A fault a server of one mode injects into every answer until it is lifted (None).
enum class Fault {
    None,
    CutAnswer,    // half the answer, then the connection closes
    Garbage,      // web: a body of random bytes; quotes: a length field that is no number
    Oversized,    // a 50 MB answer
    InvalidText,  // the answer with bytes that are not UTF-8 and a GBK character cut in half
    SlowBytes,    // the answer one byte at a time, 20 ms apart
    Refuse,       // the port is closed: open connections end, new ones are refused
};

// Test and demo control of one mode's back-end; every call is thread-safe.
class Control {
public:
    explicit Control(Backend& backend) : backend_(backend) {}
    void SetRandomWalk(bool on);
    // Sets a contract's quote and matches resting orders against it.
    void SetQuote(const std::string& code, double last, double bid, double ask);
    // The next order fills completely at its price as soon as it is placed.
    void FillNextOrder();
    void RejectNextOrder(const std::string& reasonUtf8);
    void StallWeb(int ms);
    void StallQuotes(int ms);
    void CloseQuoteConnections(bool on);
    // While on, the mode's web port is closed: open connections end and new ones are refused.
    void CloseWebConnections(bool on);
    // The answers are still computed (an order is placed) before a fault spoils them.
    void InjectWebFault(Fault fault);
    void InjectQuoteFault(Fault fault);
    // Web requests of `action` ("weituo", ...) received so far, answered or not.
    int Requests(const std::string& action);
    // The web requests of `action` and their answers in the order they came and went: '>' a
    // request came, '<' its answer went out (after any stall); the latest 64.
    std::string Traffic(const std::string& action);
    // Quote requests received so far, answered or not (a closed feed still reads them).
    int QuoteRequests();
    // The forms of the latest web requests of `action` (at most 32), oldest first.
    std::vector<std::map<std::string, std::string>> Forms(const std::string& action);
    // Runs the back-end's clock at `t` (0: the real clock) and rolls the trading day over if
    // `t` belongs to a later one.
    void SetClock(std::time_t t);
    std::string TradingDay();
    void SetAnnouncement(const std::string& utf8);  // "" = none ("0" is answered)
    void SetVersion(const std::string& version);
    bool HasAccount(const std::string& user);

private:
    friend class Simulator;
    Backend& backend_;
    std::function<void(bool)> webSwitch_;
};

class Simulator {
public:
    explicit Simulator(SimOptions options);
    ~Simulator();
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    // Binds all eight ports and starts serving; on failure nothing is left running and
    // `error` says which port could not be bound.
    bool Start(std::string* error);
    void Stop();
    int WebPort(int mode) const;
    int QuotePort(int mode) const;
    Control& control(int mode);

private:
    void ReleaseAfterFailedStart();
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace fsim
