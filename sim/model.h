// The back-end's records: contracts, quotes, and one account with its orders, positions, fills
// and transfers.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace fsim {

// A decoded request form.
using Form = std::map<std::string, std::string>;

// A form field, empty when absent.
inline std::string Get(const Form& form, const char* name) {
    auto it = form.find(name);
    return it == form.end() ? std::string() : it->second;
}

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
    // position's lots of any day, earlier lots first (on 上期所 only those of its type's day).
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

// The demo catalogue: about thirty contracts across the Chinese exchanges.
std::vector<Product> DemoCatalogue();

}  // namespace fsim
