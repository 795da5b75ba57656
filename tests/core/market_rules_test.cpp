#include <gtest/gtest.h>

#include <memory>

#include "core/text.h"
#include "market/funds_bar.h"
#include "market/quote_board_rules.h"

namespace ft {
namespace {

// A quote record of 22 fields: code at 1, last at 4, previous settlement at 5, bid/ask at 18-21.
std::string Record(const std::string& last, const std::string& preSettlement, int fields = 22) {
    std::vector<std::string> f(static_cast<std::size_t>(fields), "0");
    f[1] = "rb2705";
    f[4] = last;
    f[5] = preSettlement;
    f[6] = "3490.000";
    f[8] = "3495";
    f[9] = "3520";
    f[10] = "3480";
    f[11] = "1200";
    f[12] = "41880000";
    f[13] = "5600";
    f[16] = "3770";
    f[17] = "3230";
    if (fields > 18)
        f[18] = "3499";
    if (fields > 19)
        f[19] = "12";
    if (fields > 20)
        f[20] = "3501";
    if (fields > 21)
        f[21] = "7";
    std::string text;
    for (std::size_t i = 0; i < f.size(); ++i) {
        text += (i ? "," : "") + f[i];
    }
    return text;
}

QuoteBoardRow Apply(QuoteBoardRow row, const std::vector<CellWrite>& writes) {
    for (const CellWrite& w : writes) {
        row[static_cast<std::size_t>(w.column)] = w.text;
    }
    return row;
}

const CellWrite* Find(const std::vector<CellWrite>& writes, int column) {
    for (const CellWrite& w : writes) {
        if (w.column == column)
            return &w;
    }
    return nullptr;
}

// The board's row rule: a new row gets its code (in the code colour) and name, then its
// quote; a row already showing them gets only what the quote changed.
TEST(QuoteRowTest, TheBoardRowRuleWritesCodeAndNameOnceThenTheQuote) {
    QuoteBoardRowView shown{};
    std::vector<CellWrite> writes;
    QuoteBoardEntry entry{"rb2705", Ansi("螺纹"), ""};
    QuoteBoardRowWrites(shown, entry, writes);
    ASSERT_EQ(writes.size(), 2u) << "no quote yet";
    EXPECT_EQ(writes[0].column, QuoteCol::Code);
    EXPECT_EQ(writes[0].colour, std::optional<Rgb>(kCodeColour));
    EXPECT_EQ(writes[1].column, QuoteCol::Name);

    const QuoteBoardRow full = Apply({}, writes);
    shown = {};
    for (std::size_t c = 0; c < full.size(); ++c) {
        shown[c] = full[c];
    }
    entry.quote = Record("3500", "3490");
    QuoteBoardRowWrites(shown, entry, writes);
    EXPECT_EQ(Find(writes, QuoteCol::Code), nullptr);
    ASSERT_NE(Find(writes, QuoteCol::LastPrice), nullptr);
    EXPECT_EQ(Find(writes, QuoteCol::LastPrice)->text, "3500");
    EXPECT_EQ(Find(writes, QuoteCol::Open)->text, "3495");
}

TEST(QuoteRowTest, FirstQuoteFillsEveryCellAndThePriceIsUp) {
    QuoteBoardRow row{};
    row[0] = "rb2705";
    std::vector<CellWrite> writes;
    QuoteRowWrites(row, Record("3500.000", "3490"), writes);
    const QuoteBoardRow shown = Apply(row, writes);
    EXPECT_EQ(shown[2], "3500");
    EXPECT_EQ(*Find(writes, 2)->colour, kUpColour);
    EXPECT_EQ(*Find(writes, 10)->colour, kUpColour);
    EXPECT_EQ(shown[3], "10");
    EXPECT_EQ(*Find(writes, 3)->colour, kUpColour);
    EXPECT_EQ(shown[10], "0.29%");
    EXPECT_EQ(shown[4], "3499");
    EXPECT_EQ(shown[5], "12");
    EXPECT_EQ(shown[6], "3501");
    EXPECT_EQ(shown[7], "7");
    EXPECT_EQ(shown[8], "1200");
    EXPECT_EQ(shown[9], "5600");
    EXPECT_EQ(shown[11], "3490");
    EXPECT_EQ(shown[12], "41880000");
    EXPECT_EQ(shown[13], "3770");
    EXPECT_EQ(shown[14], "3230");
    EXPECT_EQ(shown[15], "3495");
    EXPECT_EQ(shown[16], "3490");
    EXPECT_EQ(shown[17], "3520");
    EXPECT_EQ(shown[18], "3480");
    EXPECT_FALSE(Find(writes, 4)->colour) << "plain columns keep the default colour";

    // The same quote again writes nothing, also when it differs only in trailing zeros.
    QuoteRowWrites(shown, Record("3500.0", "3490.00"), writes);
    EXPECT_TRUE(writes.empty());
}

TEST(QuoteRowTest, PriceColoursFollowTheMoveAndTheChangeColourFollowsItsSign) {
    QuoteBoardRow row{};
    std::vector<CellWrite> writes;
    QuoteRowWrites(row, Record("3500", "3490"), writes);
    row = Apply(row, writes);

    // A fall that stays above the previous settlement: price and percentage green, the
    // change (still positive) red.
    QuoteRowWrites(row, Record("3495", "3490"), writes);
    EXPECT_EQ(*Find(writes, 2)->colour, kDownColour);
    EXPECT_EQ(*Find(writes, 10)->colour, kDownColour);
    EXPECT_EQ(Find(writes, 3)->text, "5");
    EXPECT_EQ(*Find(writes, 3)->colour, kUpColour);
    row = Apply(row, writes);

    // Below the settlement: the change turns green and negative.
    QuoteRowWrites(row, Record("3480", "3490"), writes);
    EXPECT_EQ(Find(writes, 3)->text, "-10");
    EXPECT_EQ(*Find(writes, 3)->colour, kDownColour);
    EXPECT_EQ(Find(writes, 10)->text, "-0.29%");
    row = Apply(row, writes);

    // A change of exactly zero is not positive.
    QuoteRowWrites(row, Record("3490", "3490"), writes);
    EXPECT_EQ(Find(writes, 3)->text, "0");
    EXPECT_EQ(*Find(writes, 3)->colour, kDownColour);
    EXPECT_EQ(*Find(writes, 2)->colour, kUpColour);
}

TEST(QuoteRowTest, PercentageIsRewrittenOnlyWithThePrice) {
    QuoteBoardRow row{};
    std::vector<CellWrite> writes;
    QuoteRowWrites(row, Record("3500", "3490"), writes);
    row = Apply(row, writes);
    // A new previous settlement with the same price rewrites the change, not column 10.
    QuoteRowWrites(row, Record("3500", "3400"), writes);
    EXPECT_TRUE(Find(writes, 3));
    EXPECT_FALSE(Find(writes, 2));
    EXPECT_FALSE(Find(writes, 10));
}

TEST(QuoteRowTest, ShortAndOddRecords) {
    QuoteBoardRow row{};
    std::vector<CellWrite> writes;
    QuoteRowWrites(row, "", writes);
    EXPECT_TRUE(writes.empty());
    QuoteRowWrites(row, Record("3500", "3490", 19), writes);
    EXPECT_TRUE(writes.empty()) << "fewer than 20 fields leave the row as it is";

    // 20 fields: everything but the ask price and volume.
    QuoteRowWrites(row, Record("3500", "3490", 20), writes);
    EXPECT_TRUE(Find(writes, 2));
    EXPECT_TRUE(Find(writes, 5));
    EXPECT_FALSE(Find(writes, 6));
    EXPECT_FALSE(Find(writes, 7));
    EXPECT_TRUE(Find(writes, 18));

    // No previous settlement: an empty percentage instead of a division by zero.
    QuoteRowWrites(QuoteBoardRow{}, Record("3500", "0"), writes);
    ASSERT_TRUE(Find(writes, 10));
    EXPECT_EQ(Find(writes, 10)->text, "");
    EXPECT_EQ(Find(writes, 3)->text, "3500");

    // Garbage numbers count as 0 and never crash.
    QuoteRowWrites(QuoteBoardRow{}, Record("abc", "x"), writes);
    EXPECT_EQ(Find(writes, 2)->text, "abc");
    EXPECT_EQ(Find(writes, 3)->text, "0");
}

TEST(CustomListTest, AnswerAndBodies) {
    EXPECT_EQ(ParseCustomContracts("rb2705,螺纹钢|"),
              (std::vector<CustomContract>{{"rb2705", "螺纹钢"}}));
    EXPECT_EQ(ParseCustomContracts("rb2705|cu2702,沪铜,x|"),
              (std::vector<CustomContract>{{"cu2702", "沪铜"}}))
        << "a record of one field adds nothing; extra fields are ignored";
    EXPECT_TRUE(ParseCustomContracts("").empty());

    EXPECT_EQ(GetUserFuturesBody("demo"), "user_name=demo");
    EXPECT_EQ(SetUserFuturesBody("demo", {{"rb2705", "A"}, {"cu2702", "B"}}),
              "user_name=demo&fs=rb2705,A|cu2702,B|");
    EXPECT_EQ(SetUserFuturesBody("demo", {}), "user_name=demo&fs=");
    EXPECT_EQ(SetUserFuturesBody("a&b", {}), "user_name=a%26b&fs=");
}

class FundsBarTest : public ::testing::Test {
protected:
    void SetMoney(const char* equity, const char* closeProfit, const char* commission,
                  const char* frozen, const char* riskBase = "") {
        CopyField(money.staticEquity, sizeof money.staticEquity, equity);
        CopyField(money.closeProfit, sizeof money.closeProfit, closeProfit);
        CopyField(money.commission, sizeof money.commission, commission);
        CopyField(money.frozen, sizeof money.frozen, frozen);
        CopyField(money.riskBase, sizeof money.riskBase, riskBase);
    }
    void AddPosition(std::size_t row, const char* margin) {
        CopyField(positions->rows[row].contractCode, 16, "rb2705");
        CopyField(positions->rows[row].margin, 16, margin);
    }
    MoneyRecord money{};
    std::unique_ptr<PositionTable> positions = std::make_unique<PositionTable>();
};

TEST_F(FundsBarTest, WorkedExample) {
    SetMoney("900", "50", "2", "0");
    AddPosition(0, "200.25");
    AddPosition(1, "100.25");
    const std::vector<std::string> profits{"10.4", "2.5"};
    const FundsBarTexts t =
        ComputeFundsBar(money, *positions, &profits, ServerMode::IntradayFirstRound);
    EXPECT_EQ(t.staticEquity, "900");
    EXPECT_EQ(t.closeProfit, "50");
    EXPECT_EQ(t.frozen, "0");
    EXPECT_EQ(*t.positionProfit, "12");
    EXPECT_EQ(*t.dynamicEquity, "960");
    EXPECT_EQ(t.margin, "300");
    EXPECT_EQ(*t.available, "659.5");
    EXPECT_EQ(*t.risk, "31.3%");
    EXPECT_EQ(*t.commission, "2");
}

// Each step adds in double and stores the sum as a float, as `float m; m += atof(x)` does;
// rounding every addend to float first would show 131110 and 916237.06 here.
TEST_F(FundsBarTest, SumsAreFormedInDoubleAndStoredAsFloat) {
    SetMoney("1000000", "0", "0", "0");
    AddPosition(0, "32395.00");
    AddPosition(1, "98714.99");
    const std::vector<std::string> none;
    EXPECT_EQ(ComputeFundsBar(money, *positions, &none, ServerMode::SecondRound).margin, "131109");
    AddPosition(0, "1.84");
    AddPosition(1, "83761.07");
    EXPECT_EQ(*ComputeFundsBar(money, *positions, &none, ServerMode::SecondRound).available,
              "916237.12");
}

TEST_F(FundsBarTest, NoPositionsAndNoPanel) {
    SetMoney("1000000", "", "", "");
    const std::vector<std::string> none;
    FundsBarTexts t = ComputeFundsBar(money, *positions, &none, ServerMode::SecondRound);
    EXPECT_EQ(t.margin, "0");
    EXPECT_EQ(*t.dynamicEquity, "1000000");
    EXPECT_EQ(*t.available, "1000000");
    EXPECT_EQ(*t.risk, "0.0%");
    EXPECT_EQ(*t.commission, "") << "empty fields are shown empty";

    t = ComputeFundsBar(money, *positions, nullptr, ServerMode::SecondRound);
    EXPECT_FALSE(t.positionProfit);
    EXPECT_FALSE(t.risk);

    SetMoney("", "", "", "");
    t = ComputeFundsBar(money, *positions, &none, ServerMode::SecondRound);
    EXPECT_EQ(*t.risk, "0.0%") << "zero equity gives no division";
}

TEST_F(FundsBarTest, CooperationRiskUsesTheRiskBase) {
    SetMoney("1000", "0", "0", "0", "500");
    AddPosition(0, "100");
    const std::vector<std::string> none;
    EXPECT_EQ(*ComputeFundsBar(money, *positions, &none, ServerMode::Cooperation).risk, "20.0%");
    EXPECT_EQ(*ComputeFundsBar(money, *positions, &none, ServerMode::SecondRound).risk, "10.0%");
    SetMoney("500", "0", "0", "0", "500");
    EXPECT_EQ(*ComputeFundsBar(money, *positions, &none, ServerMode::Cooperation).risk, "0.0%");
}

TEST_F(FundsBarTest, MarginStopsAtTheFirstEmptyRowAndHugeValuesAreClamped) {
    SetMoney("1000", "0", "0", "0");
    AddPosition(0, "100");
    AddPosition(2, "900");
    const std::vector<std::string> profits{"1e30"};
    const FundsBarTexts t =
        ComputeFundsBar(money, *positions, &profits, ServerMode::IntradayFirstRound);
    EXPECT_EQ(t.margin, "100");
    EXPECT_EQ(*t.positionProfit, "2147483647");
}

}  // namespace
}  // namespace ft
