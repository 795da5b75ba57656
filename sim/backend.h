// One simulated back-end: accounts, catalogue, market, orders and their storage.
#pragma once

#include <sqlite3.h>

#include <ctime>
#include <map>
#include <mutex>
#include <random>
#include <string>
#include <vector>

namespace fsim {

struct Product {
    std::string variety, code, name, exchange, type, lastDate;
    int multiplier = 1;
    double tick = 1;
    double marginRate = 0.1;
    double commissionPerLot = 5;
    double commissionRate = 0;  // of the turnover; when set, instead of the amount per lot
    double preSettlement = 0;
};

struct Quote {
    double last = 0, bid = 0, ask = 0, open = 0, high = 0, low = 0, preClose = 0;
    double preSettlement = 0, limitUp = 0, limitDown = 0, turnover = 0;
    long long volume = 0, openInterest = 0, bidVolume = 0, askVolume = 0;
};

enum class OrderState { Working = 0, Partial = 1, Filled = 2, Cancelled = 3 };

struct Order {
    long long id = 0;
    std::string code;
    int direction = 1;  // 1 buy, 2 sell
    int openClose = 1;  // 1 open, 2 close today, 3 close
    int volume = 0;
    int filled = 0;
    double price = 0;
    double fillValue = 0;  // sum of price × lots filled
    std::string time;
    OrderState state = OrderState::Working;
    // A close sent from the positions list names its position ("dsid"); it closes that
    // position's lots of any day, today's first.
    long long positionId = 0;
    std::string day;  // trading day
};

struct Position {
    long long id = 0;
    std::string code;
    int direction = 1;  // 1 long, 2 short
    int today = 0;
    int yesterday = 0;
    double avgPrice = 0;
};

struct Trade {
    long long id = 0;
    std::string code;
    int direction = 1;
    int openClose = 1;
    double price = 0;
    int volume = 0;
    std::string time;
    std::string day;  // trading day "YYYY-MM-DD"
    double fee = 0;
    double closeProfit = 0;
};

enum class TransferKind { ToFutures = 1, ToBank = 2 };

struct Transfer {
    long long id = 0;
    std::string time;
    std::string day;  // trading day
    TransferKind kind = TransferKind::ToFutures;
    double amount = 0;
};

struct Account {
    std::string user, password, displayName, bank, card, fundPassword, bankPassword;
    // staticEquity already holds today's transfers (inOut); the previous day's closing
    // balance is staticEquity - inOut.
    double staticEquity = 0, closeProfit = 0, commission = 0, bankBalance = 0, riskBase = 0;
    double inOut = 0;
    int forcedCloses = 0;
    std::vector<std::pair<std::string, std::string>> custom;
    std::vector<Order> orders;
    std::vector<Position> positions;
    std::vector<Trade> trades;
    std::vector<Transfer> transfers;
    // Settled trading days: date -> the getuserdayjs answer as it stood at the roll-over.
    std::map<std::string, std::string> statements;
    bool refresh = false;  // orders, fills or funds changed since the last quote answer
};

class Backend {
public:
    Backend(int mode, sqlite3* db, bool seed, std::string version, std::string announcement,
            unsigned rngSeed);

    // A web request: the action and its decoded form; the answer text (UTF-8).
    std::string Handle(const std::string& module, const std::string& action,
                       const std::map<std::string, std::string>& form);
    // A quote request body ("codes=..&username=..&count=.."): the answer body.
    std::string QuoteAnswer(const std::string& body);
    // One step of the random walk, then order matching.
    void Walk();

    // Control.
    std::mutex mutex;
    bool randomWalk = true;
    bool fillNext = false;
    std::string rejectNext;
    int stallWebMs = 0;
    int stallQuotesMs = 0;
    bool closeQuotes = false;
    std::string announcement;
    std::string version;
    std::time_t clockOverride = 0;  // 0: the real clock
    void SetQuoteLocked(const std::string& code, double last, double bid, double ask);
    bool HasAccountLocked(const std::string& user) const { return accounts_.count(user) > 0; }
    // Settles every account if the trading day of the (possibly overridden) clock has moved on.
    void RollOverIfDueLocked();
    const std::string& TradingDayLocked() const { return tradingDay_; }

private:
    void Seed();
    void Load();
    void Save(const Account& account);
    std::string Login(const std::map<std::string, std::string>& form);
    std::string PlaceOrder(Account& a, const std::map<std::string, std::string>& form);
    std::string Cancel(Account& a, const std::string& id);
    std::string Statement(const Account& a, const std::string& date);
    std::string LiveStatement(const Account& a) const;
    std::string MoveMoney(Account& a, const std::map<std::string, std::string>& form,
                          TransferKind kind);
    std::string ChangePassword(Account& a, const std::map<std::string, std::string>& form);
    void SeedHistory(Account& a);
    void SaveTradingDay();
    void MatchAll();
    void Fill(Account& a, Order& o, int lots, double price);
    double Margin(const Product& p, double price, int lots) const;
    double Fee(const Product& p, double price, int lots) const;
    double Frozen(const Account& a) const;
    double PositionProfit(const Position& pos) const;
    double FloatingProfit(const Account& a) const;
    double PositionMargin(const Account& a) const;
    double Available(const Account& a) const;
    int Closable(const Account& a, const std::string& code, int positionDirection,
                 bool todayOnly) const;
    const Product* FindProduct(const std::string& code) const;
    std::string Now() const;
    std::time_t NowTime() const;

    int mode_;
    sqlite3* db_;
    std::vector<Product> products_;
    std::map<std::string, Quote> quotes_;
    std::map<std::string, Account> accounts_;
    long long nextId_ = 1;
    std::string tradingDay_;
    std::mt19937 rng_;
};

// The trading day a moment belongs to: from 16:40 local time on, the next weekday.
std::string TradingDayOf(std::time_t t);

// The demo catalogue: about thirty contracts across the Chinese exchanges.
std::vector<Product> DemoCatalogue();

}  // namespace fsim
