// Whatever a server answers, the parsers of its answers must neither crash nor write outside
// their records. Random answers are built from the pieces the formats are made of, so they
// reach deep into the parsers instead of failing at the first byte; the sanitizers of the test
// build turn any stray read or write into a failure.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "core/frame_rules.h"
#include "core/login.h"
#include "core/record_format.h"
#include "core/session_state.h"
#include "market/funds_bar.h"
#include "market/quote_board_rules.h"
#include "net/quote_book.h"
#include "net/table_loaders.h"

namespace ft {
namespace {

std::string RandomAnswer(std::mt19937& rng) {
    static const std::vector<std::string> pieces = {",",
                                                    "|",
                                                    "**",
                                                    "||",
                                                    "0",
                                                    "1",
                                                    "-1",
                                                    "3500",
                                                    "3500.0",
                                                    "-0.5",
                                                    "1e9",
                                                    "nan",
                                                    "1e400",
                                                    "-inf",
                                                    "rb2705",
                                                    "cu2702",
                                                    "",
                                                    " ",
                                                    "\xC2\xF2",
                                                    "\xBF\xAA\xB2\xD6",
                                                    "\xA3",
                                                    std::string("\0", 1),
                                                    "\r\n",
                                                    "99999999999999999999",
                                                    std::string(40, '9'),
                                                    std::string(300, 'x'),
                                                    "\xD9",
                                                    "\xFF\xFF"};
    std::string answer;
    const int count = static_cast<int>(rng() % 200);
    for (int i = 0; i < count; ++i) {
        answer += pieces[rng() % pieces.size()];
    }
    return answer;
}

// Every field of every row still ends inside its width.
template <typename Table>
void ExpectTerminated(const Table& table) {
    for (const auto& row : table.rows) {
        const char* bytes = reinterpret_cast<const char*>(&row);
        ASSERT_NE(std::memchr(bytes, '\0', sizeof row), nullptr);
    }
}

TEST(ServerAnswers, NoAnswerBreaksAParser) {
    std::mt19937 rng(20261207);
    QuoteBook quotes;
    std::vector<std::string> list;
    std::vector<CellWrite> writes;
    for (int round = 0; round < 3000; ++round) {
        const std::string answer = RandomAnswer(rng);

        auto products = ParseProducts(answer);
        ExpectTerminated(*products);
        ExpectTerminated(*ParseOrders(answer));
        ExpectTerminated(*ParseTrades(answer));
        auto positions = ParsePositions(answer, &quotes);
        ExpectTerminated(*positions);
        auto money = ParseMoney(answer, round % 2 == 0);
        ASSERT_TRUE(money);

        ParseLoginAnswer(answer, static_cast<ServerMode>(round % kServerModeCount));
        IsAnnouncement(answer);
        ParseCustomContracts(answer);
        SplitText("**", answer, list);
        TrimZeros(answer);

        quotes.SetQuoteText(answer);
        const std::string record = quotes.FindQuote("rb2705");
        QuoteBoardRow shown;
        shown[0] = "rb2705";
        for (std::size_t c = 2; c < shown.size(); ++c) {
            shown[c] = RandomAnswer(rng).substr(0, 12);
        }
        QuoteRowWrites(shown, record, writes);
        QuoteRowWrites(shown, answer, writes);

        std::vector<std::string> profits;
        profits.reserve(3);
        for (int i = 0; i < 3; ++i) {
            profits.push_back(RandomAnswer(rng).substr(0, 16));
        }
        ComputeFundsBar(*money, *positions, &profits, static_cast<ServerMode>(round % 4));
        ComputeFundsBar(*money, *positions, nullptr, ServerMode::Cooperation);
    }
}

}  // namespace
}  // namespace ft
