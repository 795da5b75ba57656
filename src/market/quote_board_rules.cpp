#include "market/quote_board_rules.h"

#include "core/text.h"
#include "net/form_body.h"
#include "net/record_format.h"

namespace ft {
namespace {

// Columns 4..9 and 11..18 with the record field each shows.
constexpr std::array<std::pair<int, int>, 14> kPlainColumns{{{4, 18},
                                                             {5, 19},
                                                             {6, 20},
                                                             {7, 21},
                                                             {8, 11},
                                                             {9, 13},
                                                             {11, 6},
                                                             {12, 12},
                                                             {13, 16},
                                                             {14, 17},
                                                             {15, 8},
                                                             {16, 5},
                                                             {17, 9},
                                                             {18, 10}}};

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
    if (price != shown[2]) {
        const Rgb colour = ToDouble(shown[2]) < ToDouble(price) ? kUpColour : kDownColour;
        const float change = static_cast<float>(last - preSettlement);
        // Without a previous settlement there is no meaningful percentage.
        std::string percent = preSettlement != 0
                                  ? FormatFixed(change * 100.0 / preSettlement, 2) + "%"
                                  : std::string();
        writes.push_back({2, std::move(price), colour});
        writes.push_back({10, std::move(percent), colour});
    }

    std::string change = TrimZeros(FormatFixed(last - preSettlement, 2));
    if (change != shown[3]) {
        const Rgb colour = ToDouble(change) > 0 ? kUpColour : kDownColour;
        writes.push_back({3, std::move(change), colour});
    }

    for (const auto& [column, field] : kPlainColumns) {
        // Records of 20 or 21 fields lack the ask side; those cells keep what they show.
        if (static_cast<std::size_t>(field) >= fields.size()) {
            continue;
        }
        std::string text = TrimZeros(fields[field]);
        if (text != shown[column]) {
            writes.push_back({column, std::move(text), std::nullopt});
        }
    }
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
