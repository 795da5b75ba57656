// The quote server's answer through the quote book: every lookup must agree with the plain
// rule (copy, split at "**", first record whose first occurrence of the code is a whole inner
// field), and the records found feed the quote board, the positions, the order panel and the
// stop rules.
#include "core/record_format.h"
#include "fuzz_support.h"
#include "market/quote_board_rules.h"
#include "net/quote_book.h"
#include "positions/positions_rules.h"
#include "positions/stop_rules.h"
#include "trading/order_rules.h"

namespace {

// `records` is the answer split at "**", once per input: splitting it again for every code
// made this check, not the book, most of the run's time.
std::string PlainLookup(std::string_view text, const std::vector<std::string_view>& records,
                        std::string_view code) {
    if (text.empty()) {
        return {};
    }
    for (std::string_view record : records) {
        if (ft::QuoteRecordMatches(record, code)) {
            return std::string(record);
        }
    }
    return {};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace ft;
    const std::string_view text = fuzz::Text(data, size);
    QuoteBook book;
    book.SetQuoteText(std::string(text));
    FUZZ_CHECK(book.QuoteText() == text);
    // Codes to look up: some inner fields of the answer itself, and a few that are no field.
    std::vector<std::string_view> codes{"", ",", "rb2705", "IF2406"};
    const auto records = SplitView("**", text);
    for (std::size_t r = 0; r < records.size() && r < 4; ++r) {
        const auto fields = SplitView(",", records[r]);
        for (std::size_t f = 0; f < fields.size() && f < 4; ++f) {
            codes.push_back(fields[f]);
        }
    }
    std::vector<CellWrite> writes;
    std::vector<FiredLeg> fired;
    const QuoteBoardRow shown{};
    for (std::string_view code : codes) {
        const std::string record = book.FindQuote(code);
        FUZZ_CHECK(record == PlainLookup(text, records, code));
        QuoteRowWrites(shown, record, writes);
        ParseEntryQuote(record, code);
        if (auto prices = ReadQuotePrices(record, code)) {
            StopRuleTable rules;
            const std::vector<RuleGridRow> grid{
                {"", std::string(prices->bid), "1", std::string(prices->ask), "1"}};
            SaveStopRules(rules, code, "\xc2\xf2", "7", record, grid, 0);
            const StopRuleRow row{code, "\xc2\xf2", "7", "3"};
            EvaluateStopRules(rules, row, prices->last, prices->bid, prices->ask, fired);
        }
    }
    return 0;
}
