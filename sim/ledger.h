// The accounts of one mode and everything that moves their money and lots: orders, fills,
// transfers, password changes and the daily settlement.
#pragma once

#include <ctime>
#include <map>
#include <string>
#include <vector>

#include "market.h"
#include "model.h"
#include "storage.h"

namespace fsim {

inline constexpr const char* kDirection[] = {"", "买", "卖"};
inline constexpr const char* kOpenClose[] = {"", "开仓", "平今", "平仓"};
inline constexpr const char* kState[] = {"未成交", "部分成交", "全部成交", "已撤"};

inline const char* TransferText(TransferKind kind) {
    return kind == TransferKind::ToFutures ? "银行转期货" : "期货转银行";
}

// The trading day a moment belongs to: from 16:40 local time on, the next weekday.
std::string TradingDayOf(std::time_t t);
// The trading days before `day` ("YYYY-MM-DD"), newest first.
std::vector<std::string> PreviousTradingDays(const std::string& day, int count);

class Ledger {
public:
    // Loads the stored trading day and accounts (a new database starts on today's).
    Ledger(Market& market, Store& store);

    Account* Find(const std::string& user);
    bool Has(const std::string& user) const { return accounts_.count(user) > 0; }
    // Adds (or replaces) an account and stores it.
    void Add(const Account& account);
    bool Empty() const { return accounts_.empty(); }
    const std::string& TradingDay() const { return tradingDay_; }
    long long NextId() { return nextId_++; }
    void Save(const Account& a) { store_.Save(a, nextId_); }

    // The clock: `clockOverride` when set, else the real one.
    std::time_t clockOverride = 0;
    std::time_t NowTime() const;
    std::string Now() const;  // "YYYY-MM-DD HH:MM:SS" local

    double Frozen(const Account& a) const;
    double PositionProfit(const Position& pos) const;
    double FloatingProfit(const Account& a) const;
    double PositionMargin(const Account& a) const;
    double Available(const Account& a) const;
    int Closable(const Account& a, const std::string& code, int positionDirection,
                 bool todayOnly) const;
    enum class CloseDay { Any, Today, Yesterday };
    int Closable(const Account& a, const std::string& code, int positionDirection,
                 CloseDay day) const;

    // The web actions' answers. `fillNext` is consumed by an order that is accepted.
    std::string PlaceOrder(Account& a, const Form& form, bool& fillNext);
    std::string Cancel(Account& a, const std::string& id);
    std::string CancelAll(Account& a);
    std::string MoveMoney(Account& a, const Form& form, TransferKind kind);
    std::string ChangePassword(Account& a, const Form& form);
    std::string Statement(const Account& a, const std::string& date);
    std::string LiveStatement(const Account& a) const;

    // Fills every working order the market has reached.
    void MatchAll();
    // Settles every account if the trading day of the clock has moved on.
    void RollOverIfDue();

private:
    void Fill(Account& a, Order& o, int lots, double price);

    Market& market_;
    Store& store_;
    std::map<std::string, Account> accounts_;
    long long nextId_ = 1;
    std::string tradingDay_;
};

// The demo account of a new database, with three settled days of history; `withPosition` gives
// it a long rb2705 (上期所) holding both earlier and today's lots.
void SeedDemoAccount(Ledger& ledger, const Market& market, int mode, bool withPosition);

}  // namespace fsim
