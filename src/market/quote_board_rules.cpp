#include "market/quote_board_rules.h"

#include "core/form_body.h"
#include "core/record_format.h"
#include "core/session_state.h"
#include "core/text.h"

namespace ft {

const std::array<ColumnSpec, QuoteCol::Count> kQuoteColumns{{
    {"合约", 70, Align::Left},        {"合约名", 90, Align::Left},
    {"最新价", 70, Align::Right, 4},  {"涨跌", 60, Align::Right},
    {"买价", 70, Align::Right, 18},   {"买量", 70, Align::Right, 19},
    {"卖价", 70, Align::Right, 20},   {"卖量", 70, Align::Right, 21},
    {"成交量", 70, Align::Right, 11}, {"持仓量", 70, Align::Right, 13},
    {"涨跌幅", 70, Align::Right},     {"昨收盘", 70, Align::Right, 6},
    {"成交额", 70, Align::Right, 12}, {"涨停价", 80, Align::Right, 16},
    {"跌停价", 80, Align::Right, 17}, {"今开盘", 80, Align::Right, 8},
    {"昨结算", 80, Align::Right, 5},  {"最高价", 80, Align::Right, 9},
    {"最低价", 80, Align::Right, 10},
}};

const std::array<ColumnSpec, ContractCol::Count> kContractColumns{{
    {"品种代码", 80, Align::Center, 0},
    {"合约", 110, Align::Center, 1},
    {"合约名", 120, Align::Center, 2},
    {"交易所", 90, Align::Center, 3},
    {"合约乘数", 80, Align::Center, 4},
    {"最小价格变动单位", 120, Align::Center, 5},
    {"品种类型", 80, Align::Center, 6},
    {"最后日期", 110, Align::Center, 7},
    {"保证金", 80, Align::Center, 8},
    {"手续费", 190, Align::Right, 9},
}};

namespace {

void SplitFields(std::string_view record, std::vector<std::string_view>& fields) {
    fields.clear();
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = record.find(',', start);
        if (comma == std::string_view::npos) {
            fields.push_back(record.substr(start));
            return;
        }
        fields.push_back(record.substr(start, comma - start));
        start = comma + 1;
    }
}

}  // namespace

void QuoteRowWrites(const QuoteBoardRow& shown, std::string_view record,
                    std::vector<CellWrite>& writes) {
    writes.clear();
    thread_local std::vector<std::string_view> fields;
    SplitFields(record, fields);
    if (fields.size() < 20) {
        return;
    }
    const double last = ToDouble(fields[4]);
    const double preSettlement = ToDouble(fields[5]);

    std::string price = TrimZeros(fields[4]);
    if (price != shown[QuoteCol::LastPrice]) {
        const Rgb colour =
            ToDouble(shown[QuoteCol::LastPrice]) < ToDouble(price) ? kUpColour : kDownColour;
        const float change = static_cast<float>(last - preSettlement);
        // Without a previous settlement there is no meaningful percentage.
        std::string percent = preSettlement != 0
                                  ? FormatFixed(change * 100.0 / preSettlement, 2) + "%"
                                  : std::string();
        writes.push_back({QuoteCol::LastPrice, std::move(price), colour});
        writes.push_back({QuoteCol::ChangePercent, std::move(percent), colour});
    }

    std::string change = TrimZeros(FormatFixed(last - preSettlement, 2));
    if (change != shown[QuoteCol::Change]) {
        const Rgb colour = ToDouble(change) > 0 ? kUpColour : kDownColour;
        writes.push_back({QuoteCol::Change, std::move(change), colour});
    }

    for (int column = QuoteCol::BidPrice; column < QuoteCol::Count; ++column) {
        const int field = kQuoteColumns[static_cast<std::size_t>(column)].field;
        // Records of 20 or 21 fields lack the ask side; those cells keep what they show.
        if (field == kNoField || static_cast<std::size_t>(field) >= fields.size()) {
            continue;
        }
        std::string text = TrimZeros(fields[field]);
        if (text != shown[column]) {
            writes.push_back({column, std::move(text), std::nullopt});
        }
    }
}

std::array<std::string, ContractCol::Count> ContractRowTexts(const ProductRecord& product) {
    std::array<std::string, ContractCol::Count> texts;
    for (std::size_t c = 0; c < texts.size(); ++c) {
        texts[c] = FieldText(product, static_cast<std::size_t>(kContractColumns[c].field));
    }
    return texts;
}

std::vector<CustomContract> Catalogue(const ProductTable& products) {
    std::vector<CustomContract> contracts;
    const std::size_t rows = products.Count(kContractListRows);
    for (std::size_t i = 0; i < rows; ++i) {
        const ProductRecord& p = products.rows[i];
        contracts.push_back(
            {std::string(FieldText(p.contractCode)), std::string(FieldText(p.contractName))});
    }
    return contracts;
}

bool IsListedContract(const ProductTable& products, std::string_view code) {
    const std::size_t rows = products.Count(kContractListRows);
    for (std::size_t i = 0; i < rows; ++i) {
        if (FieldText(products.rows[i].contractCode) == code) {
            return true;
        }
    }
    return false;
}

std::vector<CustomContract> ParseCustomContracts(std::string_view answer) {
    std::vector<CustomContract> contracts;
    std::vector<std::string> records;
    SplitText("|", answer, records);
    for (const std::string& record : records) {
        std::vector<std::string> fields;
        SplitText(",", record, fields);
        if (fields.size() >= 2) {
            contracts.push_back({fields[0], fields[1]});
        }
    }
    return contracts;
}

std::string GetUserFuturesBody(const std::string& userName) {
    FormBody body;
    body.Add("user_name", userName);
    return body.Text();
}

std::string SetUserFuturesBody(const std::string& userName,
                               const std::vector<CustomContract>& contracts) {
    std::string fs;
    for (const CustomContract& c : contracts) {
        fs += c.code + "," + c.name + "|";
    }
    FormBody body;
    body.Add("user_name", userName);
    body.Add("fs", fs);
    return body.Text();
}

}  // namespace ft
