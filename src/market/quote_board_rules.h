// The quote board's refresh rule for one row, and its custom list answer. No Qt here: the
// widget hands in the texts it shows and applies the writes it gets back.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/list_table.h"
#include "core/session_state.h"

namespace ft {

// The fields of a quote record (one comma-separated record of the quote answer). Fields 0 to
// 3, 7, 14 and 15 carry nothing the terminal reads.
struct QuoteField {
    enum : int {
        Field0,
        Field1,
        Field2,
        Field3,
        LastPrice,
        PreSettlement,
        PreClose,
        Field7,
        Open,
        High,
        Low,
        Volume,
        Turnover,
        OpenInterest,
        Field14,
        Field15,
        UpperLimit,
        LowerLimit,
        BidPrice,
        BidVolume,
        AskPrice,
        AskVolume,
    };
};

// The quote board's columns; `field` is the quote record field a column shows as it is.
struct QuoteCol {
    enum : int {
        Code,
        Name,
        LastPrice,
        Change,
        BidPrice,
        BidVolume,
        AskPrice,
        AskVolume,
        Volume,
        OpenInterest,
        ChangePercent,
        PreClose,
        Turnover,
        UpperLimit,
        LowerLimit,
        Open,
        PreSettlement,
        High,
        Low,
        Count
    };
};
inline constexpr int kQuoteBoardColumns = QuoteCol::Count;
extern const std::array<ColumnSpec, QuoteCol::Count> kQuoteColumns;

// The contract list's columns; `field` is the ProductRecord field.
struct ContractCol {
    enum : int {
        VarietyCode,
        Code,
        Name,
        Exchange,
        Multiplier,
        TickSize,
        ProductType,
        LastDate,
        Margin,
        Commission,
        Count
    };
};
extern const std::array<ColumnSpec, ContractCol::Count> kContractColumns;
// The contract list's background of every other row (the first, third, ... are striped).
inline constexpr Rgb kStripeColour{240, 240, 240};

using QuoteBoardRow = std::array<std::string, QuoteCol::Count>;
using QuoteBoardRowView = std::array<std::string_view, QuoteCol::Count>;

// The writes that bring a shown row up to date with its quote record (the comma-separated
// text FindQuote returns; empty when there is none). Unchanged cells produce no write, and a
// record of fewer than 20 fields none at all.
void QuoteRowWrites(const QuoteBoardRow& shown, std::string_view record,
                    std::vector<CellWrite>& writes);
void QuoteRowWrites(const QuoteBoardRowView& shown, std::string_view record,
                    std::vector<CellWrite>& writes);

// One row of the board: a contract with the quote record it last got (empty before any).
struct QuoteBoardEntry {
    std::string code;
    std::string name;
    std::string quote;
    friend bool operator==(const QuoteBoardEntry&, const QuoteBoardEntry&) = default;
};
inline std::string_view QuoteBoardKey(const QuoteBoardEntry& entry) {
    return entry.code;
}
// The board's row rule: the code (in the code colour) and the name, then the quote's writes.
void QuoteBoardRowWrites(const QuoteBoardRowView& shown, const QuoteBoardEntry& entry,
                         std::vector<CellWrite>& writes);

// The texts of a product's row in the contract list, column by column.
struct ProductRecord;
std::array<std::string, ContractCol::Count> ContractRowTexts(const ProductRecord& product);

// The contracts of a getuserfutures answer: (code, name) of every record with at least two
// fields, in order.
struct CustomContract {
    std::string code;
    std::string name;
    friend bool operator==(const CustomContract&, const CustomContract&) = default;
};
std::vector<CustomContract> ParseCustomContracts(std::string_view answer);

// The contract list shows at most this many products.
inline constexpr std::size_t kContractListRows = 500;
// The contracts the contract list offers, (code, name) in the table's order.
std::vector<CustomContract> Catalogue(const ProductTable& products);
// Whether `code` is one of the contracts the contract list offers.
bool IsListedContract(const ProductTable& products, std::string_view code);

// Bodies of the two custom list requests.
inline constexpr const char* kGetUserFuturesPath = "index.php?m=client&a=getuserfutures";
inline constexpr const char* kSetUserFuturesPath = "index.php?m=client&a=setuserfs";
std::string GetUserFuturesBody(const std::string& userName);
std::string SetUserFuturesBody(const std::string& userName,
                               const std::vector<CustomContract>& contracts);

}  // namespace ft
