#include "positions/positions_rules.h"

#include "core/text.h"

namespace ft {

const std::array<ColumnSpec, PositionCol::Count> kPositionColumns{{
    {"合约", 75, Align::Center, PositionField::ContractCode},
    {"买卖", 50, Align::Left, PositionField::Direction},
    {"总持仓", 65, Align::Right, PositionField::TotalVolume},
    {"昨仓", 55, Align::Right, PositionField::YesterdayVolume},
    {"今仓", 55, Align::Right, PositionField::TodayVolume},
    {"可平量", 60, Align::Right, PositionField::ClosableVolume},
    {"均价", 80, Align::Right, PositionField::AvgPrice, 105},
    {"盈亏", 90, Align::Right, PositionField::Profit},
    {"保证金", 100, Align::Right, PositionField::Margin},
    {"止损/数量", 100, Align::Right},
    {"止盈/数量", 100, Align::Right},
    {"交易所", 100, Align::Right, PositionField::Exchange},
    {"编号", 100, Align::Right, PositionField::PositionNo},
}};

namespace {

std::string_view Field(const PositionRecord& record, int column) {
    return FieldText(
        record, static_cast<std::size_t>(kPositionColumns[static_cast<std::size_t>(column)].field));
}

Rgb ProfitColour(double profit) {
    return profit < 0 ? kSellColour : kBuyColour;
}

}  // namespace

CellWrite DirectionCell(std::string_view direction, int blanks) {
    // The cell is read back trimmed, so the record's own blanks must not decide the side.
    direction = Trim(direction);
    if (direction == Ansi("买")) {
        return {PositionCol::Direction, std::string(direction), kBuyColour};
    }
    return {PositionCol::Direction,
            std::string(static_cast<std::size_t>(blanks), ' ') + std::string(direction),
            kSellColour};
}

void PositionRowFill(const PositionRecord& record, std::vector<CellWrite>& writes) {
    writes.clear();
    for (int column = 0; column < PositionCol::Count; ++column) {
        if (column == PositionCol::StopLoss || column == PositionCol::TakeProfit) {
            continue;
        }
        if (column == PositionCol::Direction) {
            writes.push_back(DirectionCell(Field(record, column), 2));
            continue;
        }
        CellWrite write{column, std::string(Field(record, column)), std::nullopt};
        if (column == PositionCol::Code) {
            write.colour = kCodeColour;
        } else if (column == PositionCol::Profit) {
            // Colours stay with the row index; a stale one from another position must not
            // show until the first quote.
            write.colour = ProfitColour(ToDouble(write.text));
        }
        writes.push_back(std::move(write));
    }
}

PositionRowSync PositionRowWrites(const ShownPositionRow& shown, const PositionRecord& record,
                                  std::vector<CellWrite>& writes) {
    writes.clear();
    PositionRowSync sync;
    if (shown[PositionCol::PositionNo] != Field(record, PositionCol::PositionNo)) {
        sync.otherPosition = true;
        return sync;
    }
    auto compare = [&](int column) {
        const std::string_view text = Field(record, column);
        if (shown[static_cast<std::size_t>(column)] != text) {
            writes.push_back({column, std::string(text), std::nullopt});
            return true;
        }
        return false;
    };
    sync.fundsChanged |= compare(PositionCol::TotalVolume);
    const std::string_view direction = Trim(Field(record, PositionCol::Direction));
    if (Trim(shown[PositionCol::Direction]) != direction) {
        writes.push_back(DirectionCell(direction, 1));
        sync.fundsChanged = true;
    }
    sync.fundsChanged |= compare(PositionCol::Code);
    for (int column : {PositionCol::YesterdayVolume, PositionCol::TodayVolume,
                       PositionCol::ClosableVolume, PositionCol::AvgPrice, PositionCol::Margin}) {
        compare(column);
    }
    return sync;
}

std::optional<QuotePrices> ReadQuotePrices(std::string_view record, std::string_view code) {
    if (code.empty() || record.find(code) == std::string_view::npos) {
        return std::nullopt;
    }
    // Fields 4, 18 and 20, and proof that field 20 exists.
    std::string_view fields[21];
    std::size_t start = 0;
    for (int i = 0; i < 21; ++i) {
        if (start > record.size()) {
            return std::nullopt;
        }
        const std::size_t comma = record.find(',', start);
        const std::size_t end = comma == std::string_view::npos ? record.size() : comma;
        fields[i] = record.substr(start, end - start);
        start = comma == std::string_view::npos ? record.size() + 1 : comma + 1;
    }
    return QuotePrices{fields[4], fields[18], fields[20]};
}

double FloatingProfit(std::string_view direction, long long lots, double avg, double last,
                      long long multiplier) {
    const double n = static_cast<double>(lots);
    const double m = static_cast<double>(multiplier);
    return Trim(direction) == Ansi("买") ? n * (last - avg) * m : n * (avg - last) * m;
}

std::optional<CellWrite> ProfitWrite(std::string_view shown, double profit) {
    std::string text = FormatFixed(profit, 0);
    if (!shown.empty() && ToDouble(text) == ToDouble(shown)) {
        return std::nullopt;
    }
    return CellWrite{PositionCol::Profit, std::move(text), ProfitColour(profit)};
}

long long MultiplierCache::Get(const std::shared_ptr<const ProductTable>& products,
                               std::string_view code) {
    if (products != products_) {
        products_ = products;
        byCode_.clear();
    }
    if (auto it = byCode_.find(code); it != byCode_.end()) {
        return it->second;
    }
    const long long multiplier = products ? ContractMultiplier(*products, code) : 1;
    byCode_.emplace(std::string(code), multiplier);
    return multiplier;
}

}  // namespace ft
