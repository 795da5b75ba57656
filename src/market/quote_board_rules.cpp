#include "market/quote_board_rules.h"

#include "core/form_body.h"
#include "core/record_format.h"
#include "core/session_state.h"
#include "core/text.h"

namespace ft {

const std::array<ColumnSpec, QuoteCol::Count> kQuoteColumns{{
    {"合约", 70, Align::Left},
    {"合约名", 90, Align::Left, kNoField, 130},
    {"最新价", 70, Align::Right, QuoteField::LastPrice},
    {"涨跌", 60, Align::Right},
    {"买价", 70, Align::Right, QuoteField::BidPrice},
    {"买量", 70, Align::Right, QuoteField::BidVolume},
    {"卖价", 70, Align::Right, QuoteField::AskPrice},
    {"卖量", 70, Align::Right, QuoteField::AskVolume},
    {"成交量", 70, Align::Right, QuoteField::Volume},
    {"持仓量", 70, Align::Right, QuoteField::OpenInterest},
    {"涨跌幅", 70, Align::Right},
    {"昨收盘", 70, Align::Right, QuoteField::PreClose},
    {"成交额", 70, Align::Right, QuoteField::Turnover, 130},
    {"涨停价", 80, Align::Right, QuoteField::UpperLimit},
    {"跌停价", 80, Align::Right, QuoteField::LowerLimit},
    {"今开盘", 80, Align::Right, QuoteField::Open},
    {"昨结算", 80, Align::Right, QuoteField::PreSettlement},
    {"最高价", 80, Align::Right, QuoteField::High},
    {"最低价", 80, Align::Right, QuoteField::Low},
}};

const std::array<ColumnSpec, ContractCol::Count> kContractColumns{{
    {"品种代码", 80, Align::Center, ProductField::VarietyCode},
    {"合约", 110, Align::Center, ProductField::ContractCode},
    {"合约名", 120, Align::Center, ProductField::ContractName},
    {"交易所", 90, Align::Center, ProductField::Exchange},
    {"合约乘数", 80, Align::Center, ProductField::Multiplier},
    {"最小价格变动单位", 120, Align::Center, ProductField::TickSize},
    {"品种类型", 80, Align::Center, ProductField::ProductType},
    {"最后日期", 110, Align::Center, ProductField::LastDate},
    {"保证金", 80, Align::Center, ProductField::Margin},
    {"手续费", 190, Align::Right, ProductField::Commission},
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

// Shared by both kinds of shown row; appends to `writes`.
template <typename Row>
void AppendQuoteWrites(const Row& shown, std::string_view record, std::vector<CellWrite>& writes) {
    thread_local std::vector<std::string_view> fields;
    SplitFields(record, fields);
    if (fields.size() < 20) {
        return;
    }
    const double last = ToDouble(fields[QuoteField::LastPrice]);
    const double preSettlement = ToDouble(fields[QuoteField::PreSettlement]);

    std::string price = TrimZeros(fields[QuoteField::LastPrice]);
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
        std::string text = TrimZeros(fields[static_cast<std::size_t>(field)]);
        if (text != shown[static_cast<std::size_t>(column)]) {
            writes.push_back({column, std::move(text), std::nullopt});
        }
    }
}

}  // namespace

void QuoteRowWrites(const QuoteBoardRow& shown, std::string_view record,
                    std::vector<CellWrite>& writes) {
    writes.clear();
    AppendQuoteWrites(shown, record, writes);
}

void QuoteRowWrites(const QuoteBoardRowView& shown, std::string_view record,
                    std::vector<CellWrite>& writes) {
    writes.clear();
    AppendQuoteWrites(shown, record, writes);
}

void QuoteBoardRowWrites(const QuoteBoardRowView& shown, const QuoteBoardEntry& entry,
                         std::vector<CellWrite>& writes) {
    writes.clear();
    if (shown[QuoteCol::Code] != entry.code) {
        writes.push_back({QuoteCol::Code, entry.code, kCodeColour});
    }
    if (shown[QuoteCol::Name] != entry.name) {
        writes.push_back({QuoteCol::Name, entry.name, std::nullopt});
    }
    AppendQuoteWrites(shown, entry.quote, writes);
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
