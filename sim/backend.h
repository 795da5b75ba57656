// One simulated back-end: its market, its accounts' ledger and their storage, behind one lock,
// with the switches the test and demo control turns.
#pragma once

#include <sqlite3.h>

#include <ctime>
#include <map>
#include <mutex>
#include <string>

#include "ledger.h"
#include "market.h"
#include "model.h"
#include "simulator.h"
#include "storage.h"

namespace fsim {

// Read and set only under the back-end's lock.
struct Knobs {
    bool randomWalk = true;
    bool fillNext = false;
    std::string rejectNext;
    int stallWebMs = 0;
    int stallQuotesMs = 0;
    bool closeQuotes = false;
    std::string announcement;
    std::string version;
    Fault webFault = Fault::None;
    Fault quoteFault = Fault::None;
    std::map<std::string, int> requests;             // web requests by action
    std::map<std::string, std::vector<Form>> forms;  // the latest forms by action, oldest first
    std::map<std::string, std::string> traffic;      // '>' a request came, '<' its answer went
    int quoteRequests = 0;                           // served or not
};

class Backend {
public:
    Backend(int mode, sqlite3* db, bool seed, bool seedPosition, std::string version,
            std::string announcement, unsigned rngSeed);

    // Runs `fn(*this)` under the back-end's lock; every server thread and control call goes
    // through here.
    template <typename Fn>
    auto Locked(Fn&& fn) {
        std::lock_guard lock(mutex_);
        return fn(*this);
    }

    // A web request: the action and its decoded form; the answer text (UTF-8).
    std::string Handle(const std::string& module, const std::string& action, const Form& form);
    // A quote request body ("codes=..&username=..&count=.."): the answer body.
    std::string QuoteAnswer(const std::string& body);
    // One step of the random walk, then order matching.
    void Walk();
    // Sets a contract's quote and matches resting orders against it.
    void SetQuote(const std::string& code, double last, double bid, double ask);
    // Runs the clock at `t` (0: the real clock), settling if the trading day moved on.
    void SetClock(std::time_t t);

    int mode() const { return mode_; }
    Market& market() { return market_; }
    Ledger& ledger() { return ledger_; }
    Knobs knobs;

private:
    std::mutex mutex_;
    int mode_;
    Market market_;
    Store store_;
    Ledger ledger_;
};

// The answer of a signed web request for account `a` (web_actions.cpp).
std::string RunWebAction(Backend& backend, const std::string& module, const std::string& action,
                         Account& a, const Form& form);
// The answer of the login action.
std::string LoginAnswer(Backend& backend, const Form& form);

}  // namespace fsim
