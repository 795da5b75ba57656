#include "market.h"

#include <algorithm>
#include <chrono>
#include <cmath>

#include "wire.h"

namespace fsim {

double RoundToTick(double price, double tick) {
    return tick > 0 ? std::round(price / tick) * tick : price;
}

int Decimals(double tick) {
    int d = 0;
    while (d < 4 && std::fabs(tick * std::pow(10, d) - std::round(tick * std::pow(10, d))) > 1e-9) {
        ++d;
    }
    return d;
}

double Margin(const Product& p, double price, int lots) {
    return p.marginRate * price * p.multiplier * lots;
}

double Fee(const Product& p, double price, int lots) {
    return p.commissionRate > 0 ? p.commissionRate * price * p.multiplier * lots
                                : p.commissionPerLot * lots;
}

Market::Market(std::vector<Product> products, unsigned rngSeed, int mode)
    : products_(std::move(products)),
      rng_(rngSeed ? rngSeed + static_cast<unsigned>(mode)
                   : static_cast<unsigned>(
                         std::chrono::steady_clock::now().time_since_epoch().count()) +
                         static_cast<unsigned>(mode)) {
    for (const Product& p : products_) {
        Quote q;
        q.preSettlement = p.preSettlement;
        q.preClose = RoundToTick(p.preSettlement * 0.998, p.tick);
        q.last = q.open = q.high = q.low = RoundToTick(p.preSettlement, p.tick);
        q.limitUp = RoundToTick(p.preSettlement * 1.07, p.tick);
        q.limitDown = RoundToTick(p.preSettlement * 0.93, p.tick);
        q.bid = q.last - p.tick;
        q.ask = q.last + p.tick;
        q.bidVolume = 12;
        q.askVolume = 9;
        q.openInterest = 100000 + static_cast<long long>(rng_() % 50000);
        quotes_[p.code] = q;
    }
}

const Product* Market::Find(const std::string& code) const {
    for (const Product& p : products_) {
        if (p.code == code)
            return &p;
    }
    return nullptr;
}

const Quote* Market::FindQuote(const std::string& code) const {
    auto it = quotes_.find(code);
    return it == quotes_.end() ? nullptr : &it->second;
}

bool Market::Set(const std::string& code, double last, double bid, double ask) {
    auto it = quotes_.find(code);
    if (it == quotes_.end())
        return false;
    Quote& q = it->second;
    q.last = last;
    q.bid = bid;
    q.ask = ask;
    q.high = std::max(q.high, last);
    q.low = std::min(q.low, last);
    return true;
}

void Market::Step() {
    for (const Product& p : products_) {
        Quote& q = quotes_[p.code];
        const int step = static_cast<int>(rng_() % 5) - 2;
        const double last =
            std::clamp(RoundToTick(q.last + step * p.tick, p.tick), q.limitDown, q.limitUp);
        const long long traded = 1 + static_cast<long long>(rng_() % 40);
        q.last = last;
        q.bid = std::max(q.limitDown, last - p.tick);
        q.ask = std::min(q.limitUp, last + p.tick);
        q.bidVolume = 1 + static_cast<long long>(rng_() % 80);
        q.askVolume = 1 + static_cast<long long>(rng_() % 80);
        q.volume += traded;
        q.turnover += static_cast<double>(traded) * last * p.multiplier;
        q.openInterest += static_cast<long long>(rng_() % 7) - 3;
        q.high = std::max(q.high, last);
        q.low = std::min(q.low, last);
    }
}

void Market::OpenDay() {
    for (const Product& p : products_) {
        Quote& q = quotes_[p.code];
        q.preSettlement = q.last;
        q.preClose = q.last;
        q.open = q.high = q.low = q.last;
        q.limitUp = RoundToTick(q.last * 1.07, p.tick);
        q.limitDown = RoundToTick(q.last * 0.93, p.tick);
        q.volume = 0;
        q.turnover = 0;
    }
}

std::string Market::ProductList() const {
    std::string out;
    for (const Product& p : products_) {
        out += p.variety + "," + p.code + "," + p.name + "," + p.exchange + "," +
               std::to_string(p.multiplier) + "," + Fixed(p.tick, Decimals(p.tick)) + "," + p.type +
               "," + p.lastDate + "," + Fixed(p.marginRate * 100, 2) + "," +
               (p.commissionRate > 0 ? "万分之" + Fixed(p.commissionRate * 10000, 2)
                                     : Fixed(p.commissionPerLot, 2)) +
               "|";
    }
    return out;
}

namespace {

std::string QuoteRecord(const Product& p, const Quote& q, const std::string& now) {
    const int d = Decimals(p.tick);
    return now.substr(0, 10) + "," + p.code + "," + p.code + "," + p.variety + "," +
           Fixed(q.last, d) + "," + Fixed(q.preSettlement, d) + "," + Fixed(q.preClose, d) + ",0," +
           Fixed(q.open, d) + "," + Fixed(q.high, d) + "," + Fixed(q.low, d) + "," +
           std::to_string(q.volume) + "," + Fixed(q.turnover, 0) + "," +
           std::to_string(q.openInterest) + ",0,0," + Fixed(q.limitUp, d) + "," +
           Fixed(q.limitDown, d) + "," + Fixed(q.bid, d) + "," + std::to_string(q.bidVolume) + "," +
           Fixed(q.ask, d) + "," + std::to_string(q.askVolume) + "," + now.substr(11);
}

}  // namespace

std::string Market::QuoteRecords(const std::string& codes, const std::string& now) {
    std::string out;
    for (const std::string& code : Split(codes, ",")) {
        const Product* p = Find(code);
        if (!p)
            continue;
        if (!out.empty())
            out += "**";
        out += QuoteRecord(*p, quotes_[code], now);
    }
    return out;
}

}  // namespace fsim
