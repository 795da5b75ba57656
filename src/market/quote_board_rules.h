// The quote board's refresh rule for one row, and its custom list answer. No Qt here: the
// widget hands in the texts it shows and applies the writes it gets back.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ft {

struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

inline constexpr int kQuoteBoardColumns = 19;
inline constexpr Rgb kUpColour{255, 0, 0};
inline constexpr Rgb kDownColour{0, 187, 0};
inline constexpr Rgb kCodeColour{111, 94, 16};

// One cell to rewrite; a colour, when given, is set as the cell's text colour first.
struct CellWrite {
    int column = 0;
    std::string text;
    std::optional<Rgb> colour;
};

using QuoteBoardRow = std::array<std::string, kQuoteBoardColumns>;

// The writes that bring a shown row up to date with its quote record (the comma-separated
// text FindQuote returns; empty when there is none). Unchanged cells produce no write, and a
// record of fewer than 20 fields none at all.
void QuoteRowWrites(const QuoteBoardRow& shown, std::string_view record,
                    std::vector<CellWrite>& writes);

// The contracts of a getuserfutures answer: (code, name) of every record with at least two
// fields, in order.
struct CustomContract {
    std::string code;
    std::string name;
    friend bool operator==(const CustomContract&, const CustomContract&) = default;
};
std::vector<CustomContract> ParseCustomContracts(std::string_view answer);

// Bodies of the two custom list requests.
inline constexpr const char* kGetUserFuturesPath = "index.php?m=client&a=getuserfutures";
inline constexpr const char* kSetUserFuturesPath = "index.php?m=client&a=setuserfs";
std::string GetUserFuturesBody(const std::string& userName);
std::string SetUserFuturesBody(const std::string& userName,
                               const std::vector<CustomContract>& contracts);

}  // namespace ft
