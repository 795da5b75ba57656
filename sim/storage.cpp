#include "storage.h"

#include <algorithm>
#include <cstdlib>
#include <sstream>

#include "wire.h"

namespace fsim {

Store::Store(sqlite3* db, int mode) : db_(db), mode_(mode) {
    sqlite3_exec(db_, "CREATE TABLE IF NOT EXISTS trading_days(mode INTEGER PRIMARY KEY, day TEXT)",
                 nullptr, nullptr, nullptr);
}

std::string Store::LoadTradingDay() {
    std::string out;
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db_, "SELECT day FROM trading_days WHERE mode = ?", -1, &st, nullptr);
    sqlite3_bind_int(st, 1, mode_);
    if (sqlite3_step(st) == SQLITE_ROW) {
        const unsigned char* day = sqlite3_column_text(st, 0);
        out = day ? reinterpret_cast<const char*>(day) : "";
    }
    sqlite3_finalize(st);
    return out;
}

void Store::SaveTradingDay(const std::string& day) {
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db_, "INSERT OR REPLACE INTO trading_days(mode, day) VALUES (?, ?)", -1, &st,
                       nullptr);
    sqlite3_bind_int(st, 1, mode_);
    sqlite3_bind_text(st, 2, day.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_step(st);
    sqlite3_finalize(st);
}

void Store::Save(const Account& a, long long nextId) {
    std::ostringstream out;
    out.precision(17);
    out << "A\t" << a.user << '\t' << a.password << '\t' << a.displayName << '\t' << a.bank << '\t'
        << a.card << '\t' << a.fundPassword << '\t' << a.bankPassword << '\t' << a.staticEquity
        << '\t' << a.closeProfit << '\t' << a.commission << '\t' << a.bankBalance << '\t'
        << a.riskBase << '\t' << a.forcedCloses << '\t' << a.inOut << '\n';
    for (const auto& [code, name] : a.custom)
        out << "C\t" << code << '\t' << name << '\n';
    for (const Order& o : a.orders) {
        out << "O\t" << o.id << '\t' << o.code << '\t' << o.direction << '\t' << o.openClose << '\t'
            << o.volume << '\t' << o.filled << '\t' << o.price << '\t' << o.fillValue << '\t'
            << o.time << '\t' << static_cast<int>(o.state) << '\t' << o.positionId << '\t' << o.day
            << '\n';
    }
    for (const Position& p : a.positions) {
        out << "P\t" << p.id << '\t' << p.code << '\t' << p.direction << '\t' << p.today << '\t'
            << p.yesterday << '\t' << p.avgPrice << '\n';
    }
    for (const Trade& t : a.trades) {
        out << "T\t" << t.id << '\t' << t.code << '\t' << t.direction << '\t' << t.openClose << '\t'
            << t.price << '\t' << t.volume << '\t' << t.time << '\t' << t.day << '\t' << t.fee
            << '\t' << t.closeProfit << '\n';
    }
    for (const Transfer& x : a.transfers) {
        out << "X\t" << x.id << '\t' << x.time << '\t' << x.day << '\t' << static_cast<int>(x.kind)
            << '\t' << x.amount << '\n';
    }
    for (const auto& [day, text] : a.statements)
        out << "S\t" << day << '\t' << text << '\n';
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db_,
                       "INSERT OR REPLACE INTO accounts(mode, user, data, next_id) "
                       "VALUES (?, ?, ?, ?)",
                       -1, &st, nullptr);
    const std::string data = out.str();
    sqlite3_bind_int(st, 1, mode_);
    sqlite3_bind_text(st, 2, a.user.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(st, 3, data.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_int64(st, 4, nextId);
    sqlite3_step(st);
    sqlite3_finalize(st);
}

std::map<std::string, Account> Store::LoadAccounts(long long& nextId) {
    std::map<std::string, Account> accounts;
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db_, "SELECT data, next_id FROM accounts WHERE mode = ?", -1, &st, nullptr);
    sqlite3_bind_int(st, 1, mode_);
    while (sqlite3_step(st) == SQLITE_ROW) {
        const char* text = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
        nextId = std::max(nextId, static_cast<long long>(sqlite3_column_int64(st, 1)));
        Account a;
        for (const std::string& line : Split(text ? text : "", "\n")) {
            const std::vector<std::string> f = Split(line, "\t");
            auto num = [&](std::size_t i) { return i < f.size() ? std::atof(f[i].c_str()) : 0.0; };
            auto str = [&](std::size_t i) { return i < f.size() ? f[i] : std::string(); };
            auto integer = [&](std::size_t i) { return static_cast<int>(num(i)); };
            if (f[0] == "A") {
                a.user = str(1), a.password = str(2), a.displayName = str(3), a.bank = str(4);
                a.card = str(5), a.fundPassword = str(6), a.bankPassword = str(7);
                a.staticEquity = num(8), a.closeProfit = num(9), a.commission = num(10);
                a.bankBalance = num(11), a.riskBase = num(12), a.forcedCloses = integer(13);
                a.inOut = num(14);
            } else if (f[0] == "C") {
                a.custom.emplace_back(str(1), str(2));
            } else if (f[0] == "O") {
                Order o;
                o.id = static_cast<long long>(num(1)), o.code = str(2), o.direction = integer(3);
                o.openClose = integer(4), o.volume = integer(5), o.filled = integer(6);
                o.price = num(7), o.fillValue = num(8), o.time = str(9);
                o.state = static_cast<OrderState>(std::clamp(integer(10), 0, 3));
                o.positionId = static_cast<long long>(num(11));
                o.day = f.size() > 12 ? str(12) : o.time.substr(0, 10);
                a.orders.push_back(o);
            } else if (f[0] == "P") {
                Position p;
                p.id = static_cast<long long>(num(1)), p.code = str(2), p.direction = integer(3);
                p.today = integer(4), p.yesterday = integer(5), p.avgPrice = num(6);
                a.positions.push_back(p);
            } else if (f[0] == "T") {
                Trade t;
                t.id = static_cast<long long>(num(1)), t.code = str(2), t.direction = integer(3);
                t.openClose = integer(4), t.price = num(5), t.volume = integer(6), t.time = str(7);
                t.day = str(8), t.fee = num(9), t.closeProfit = num(10);
                a.trades.push_back(t);
            } else if (f[0] == "X") {
                Transfer x;
                x.id = static_cast<long long>(num(1)), x.time = str(2), x.day = str(3);
                x.kind = integer(4) == 2 ? TransferKind::ToBank : TransferKind::ToFutures;
                x.amount = num(5);
                a.transfers.push_back(x);
            } else if (f[0] == "S") {
                a.statements[str(1)] = str(2);
            }
        }
        if (!a.user.empty())
            accounts[a.user] = a;
    }
    sqlite3_finalize(st);
    return accounts;
}

}  // namespace fsim
