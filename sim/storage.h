// Storage of one mode's accounts and trading day in the shared SQLite database.
#pragma once

#include <sqlite3.h>

#include <map>
#include <string>

#include "model.h"

namespace fsim {

class Store {
public:
    // Creates the trading-day table if the database lacks it; the accounts table is the
    // simulator's.
    Store(sqlite3* db, int mode);

    // "" when this mode has no trading day stored yet.
    std::string LoadTradingDay();
    void SaveTradingDay(const std::string& day);
    // Every stored account of the mode; `nextId` rises to the highest one stored.
    std::map<std::string, Account> LoadAccounts(long long& nextId);
    // One row per account holding its whole state, rewritten on every change.
    void Save(const Account& account, long long nextId);

private:
    sqlite3* db_;
    int mode_;
};

}  // namespace fsim
