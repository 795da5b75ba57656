// The market of one mode: the catalogue, each contract's quote and its random walk.
#pragma once

#include <map>
#include <random>
#include <string>
#include <vector>

#include "model.h"

namespace fsim {

double RoundToTick(double price, double tick);
// Decimals a price of this tick needs (at most 4).
int Decimals(double tick);
double Margin(const Product& p, double price, int lots);
double Fee(const Product& p, double price, int lots);

class Market {
public:
    // Every contract opens at its previous settlement; `rngSeed` 0 seeds from the clock.
    Market(std::vector<Product> products, unsigned rngSeed, int mode);

    const std::vector<Product>& products() const { return products_; }
    const Product* Find(const std::string& code) const;
    // The quote of a catalogue contract.
    Quote& QuoteOf(const std::string& code) { return quotes_[code]; }
    const Quote* FindQuote(const std::string& code) const;
    // False for a contract outside the catalogue.
    bool Set(const std::string& code, double last, double bid, double ask);
    // One step of the random walk for every contract, within the price limits.
    void Step();
    // A new trading day opens around each contract's settlement (last) price.
    void OpenDay();
    // The shared random source: the walk and the partial fills draw from it in turn.
    std::mt19937& rng() { return rng_; }

    // The getallproduct answer.
    std::string ProductList() const;
    // The quote records of `codes` ("a,b,c"; unknown codes are left out) joined by "**";
    // `now` is "YYYY-MM-DD HH:MM:SS".
    std::string QuoteRecords(const std::string& codes, const std::string& now);

private:
    std::vector<Product> products_;
    std::map<std::string, Quote> quotes_;
    std::mt19937 rng_;
};

}  // namespace fsim
