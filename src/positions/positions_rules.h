// The positions list without Qt: its columns, the texts and colours of a row, the in-place
// refresh of a row from its position record, and the floating profit from the latest quote.
#pragma once

#include <array>
#include <cstddef>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/list_table.h"
#include "core/session_state.h"

namespace ft {

// The positions list's columns; `field` is the PositionRecord field a column shows as it is.
struct PositionCol {
    enum : int {
        Code,
        Direction,
        TotalVolume,
        YesterdayVolume,
        TodayVolume,
        ClosableVolume,
        AvgPrice,
        Profit,
        Margin,
        StopLoss,
        TakeProfit,
        Exchange,
        PositionNo,
        Count
    };
};
extern const std::array<ColumnSpec, PositionCol::Count> kPositionColumns;

// The list shows at most this many positions.
inline constexpr std::size_t kMaxPositionRows = 64;

// Buys and gains red, sells and losses green.
inline constexpr Rgb kBuyColour{204, 51, 51};
inline constexpr Rgb kSellColour{0, 128, 0};

// The texts a row shows, as views into the list's cells (valid until the list changes).
using ShownPositionRow = std::array<std::string_view, PositionCol::Count>;

// The direction cell: "买" in red; anything else, a sell, after `blanks` blanks in green (two
// when the list is filled, one when the cell is rewritten in place). Readers trim it.
CellWrite DirectionCell(std::string_view direction, int blanks);

// The cells of a newly appended row: columns 0 to 8, 11 and 12 from the record (the profit
// column shows the record's profit, coloured by its sign); the rule columns stay empty.
void PositionRowFill(const PositionRecord& record, std::vector<CellWrite>& writes);

// What an in-place refresh of a row found.
struct PositionRowSync {
    // Column 0, 1 or 2 was rewritten: the funds are reloaded after the step.
    bool fundsChanged = false;
    // The row now belongs to another position: the list is rebuilt, so that the rule columns
    // and the rules evaluated against the row follow the position id.
    bool otherPosition = false;
};
// The writes that bring `shown` up to date with `record` (columns 2, 1, 0, 3, 4, 5, 6 and 8,
// compared as texts; the direction trimmed).
PositionRowSync PositionRowWrites(const ShownPositionRow& shown, const PositionRecord& record,
                                  std::vector<CellWrite>& writes);

// Last, bid and ask of a quote record (fields 4, 18 and 20), when the record holds `code` and
// has at least 21 fields.
struct QuotePrices {
    std::string_view last;
    std::string_view bid;
    std::string_view ask;
};
std::optional<QuotePrices> ReadQuotePrices(std::string_view record, std::string_view code);

// Buy: lots x (last - avg) x multiplier; sell: lots x (avg - last) x multiplier.
double FloatingProfit(std::string_view direction, long long lots, double avg, double last,
                      long long multiplier);

// The profit cell for `profit` ("%0.0f"; green below zero, red otherwise), or nothing when
// the shown cell is not empty and has the same value.
std::optional<CellWrite> ProfitWrite(std::string_view shown, double profit);

// Contract multipliers of one product table, looked up once per code.
class MultiplierCache {
public:
    // The multiplier of `code` in `products` (1 when the contract is not there).
    long long Get(const std::shared_ptr<const ProductTable>& products, std::string_view code);

private:
    std::shared_ptr<const ProductTable> products_;
    std::map<std::string, long long, std::less<>> byCode_;
};

}  // namespace ft
