#include "positions/positions_rules.h"

#include <gtest/gtest.h>

#include "core/text.h"

#include "support/quote_records.h"

namespace ft {
namespace {

PositionRecord Record(const std::string& code, const char* direction, const std::string& lots,
                      const std::string& avg, const std::string& id = "9001") {
    PositionRecord r{};
    CopyField(r.contractCode, sizeof r.contractCode, code);
    CopyField(r.direction, sizeof r.direction, Ansi(direction));
    CopyField(r.totalVolume, sizeof r.totalVolume, lots);
    CopyField(r.yesterdayVolume, sizeof r.yesterdayVolume, "1");
    CopyField(r.todayVolume, sizeof r.todayVolume, "2");
    CopyField(r.closableVolume, sizeof r.closableVolume, lots);
    CopyField(r.avgPrice, sizeof r.avgPrice, avg);
    CopyField(r.profit, sizeof r.profit, "-120.00");
    CopyField(r.margin, sizeof r.margin, "10500.00");
    CopyField(r.exchange, sizeof r.exchange, Ansi("上期所"));
    CopyField(r.positionNo, sizeof r.positionNo, id);
    return r;
}

// The row as the list would show it after `writes`.
struct ShownRow {
    std::array<std::string, PositionCol::Count> texts;
    ShownPositionRow View() const {
        ShownPositionRow view;
        for (std::size_t c = 0; c < texts.size(); ++c)
            view[c] = texts[c];
        return view;
    }
    void Apply(const std::vector<CellWrite>& writes) {
        for (const CellWrite& w : writes)
            texts[static_cast<std::size_t>(w.column)] = w.text;
    }
};

TEST(PositionColumnsTest, TitlesWidthsAlignmentAndFields) {
    const char* titles[] = {"合约", "买卖",   "总持仓",    "昨仓",      "今仓",   "可平量", "均价",
                            "盈亏", "保证金", "止损/数量", "止盈/数量", "交易所", "编号"};
    const int widths[] = {75, 50, 65, 55, 55, 60, 80, 90, 100, 100, 100, 100, 100};
    for (std::size_t c = 0; c < kPositionColumns.size(); ++c) {
        EXPECT_STREQ(kPositionColumns[c].title, titles[c]);
        EXPECT_EQ(kPositionColumns[c].width, widths[c]);
    }
    EXPECT_EQ(AlignmentText(kPositionColumns), "1022222222222");
    EXPECT_EQ(kPositionColumns[PositionCol::Exchange].field, 9);
    EXPECT_EQ(kPositionColumns[PositionCol::PositionNo].field, 12);
}

TEST(PositionRowTest, AFilledRowShowsTheRecordWithSellsIndentedByTwoBlanks) {
    std::vector<CellWrite> writes;
    PositionRowFill(Record("rb2705", "卖", "3", "3500.000"), writes);
    ShownRow row;
    row.Apply(writes);
    EXPECT_EQ(row.texts[PositionCol::Code], "rb2705");
    EXPECT_EQ(row.texts[PositionCol::Direction], "  " + Ansi("卖"));
    EXPECT_EQ(row.texts[PositionCol::AvgPrice], "3500.000") << "shown as received";
    EXPECT_EQ(row.texts[PositionCol::Profit], "-120.00");
    EXPECT_EQ(row.texts[PositionCol::Exchange], Ansi("上期所"));
    EXPECT_EQ(row.texts[PositionCol::PositionNo], "9001");
    EXPECT_TRUE(row.texts[PositionCol::StopLoss].empty());
    for (const CellWrite& w : writes) {
        EXPECT_NE(w.column, PositionCol::StopLoss);
        EXPECT_NE(w.column, PositionCol::TakeProfit);
        if (w.column == PositionCol::Code) {
            EXPECT_EQ(w.colour, kCodeColour);
        }
        if (w.column == PositionCol::Direction) {
            EXPECT_EQ(w.colour, kSellColour);
        }
        if (w.column == PositionCol::Profit) {
            EXPECT_EQ(w.colour, kSellColour) << "a loss";
        }
    }
    PositionRowFill(Record("rb2705", "买", "3", "3500"), writes);
    row.Apply(writes);
    EXPECT_EQ(row.texts[PositionCol::Direction], Ansi("买"));
}

TEST(PositionRowTest, InPlaceRefreshRewritesOnlyWhatChangedAndFlipsWithOneBlank) {
    std::vector<CellWrite> writes;
    ShownRow row;
    PositionRowFill(Record("rb2705", "卖", "3", "3500"), writes);
    row.Apply(writes);

    PositionRowSync sync =
        PositionRowWrites(row.View(), Record("rb2705", "卖", "3", "3500"), writes);
    EXPECT_TRUE(writes.empty()) << "a trimmed \"  卖\" equals \"卖\"";
    EXPECT_FALSE(sync.fundsChanged);

    // Only the average price moved: no funds reload.
    sync = PositionRowWrites(row.View(), Record("rb2705", "卖", "3", "3501"), writes);
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_EQ(writes[0].column, PositionCol::AvgPrice);
    EXPECT_FALSE(sync.fundsChanged);

    // The direction flipped in place: one blank; then back to buy.
    sync = PositionRowWrites(row.View(), Record("rb2705", "买", "3", "3500"), writes);
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_EQ(writes[0].text, Ansi("买"));
    EXPECT_EQ(writes[0].colour, kBuyColour);
    EXPECT_TRUE(sync.fundsChanged);
    row.Apply(writes);
    sync = PositionRowWrites(row.View(), Record("rb2705", "卖", "5", "3500"), writes);
    row.Apply(writes);
    EXPECT_EQ(row.texts[PositionCol::Direction], " " + Ansi("卖"));
    EXPECT_EQ(row.texts[PositionCol::TotalVolume], "5");
    EXPECT_EQ(row.texts[PositionCol::ClosableVolume], "5");
    EXPECT_TRUE(sync.fundsChanged);
    EXPECT_TRUE(
        PositionRowWrites(row.View(), Record("rb2705", "卖", "5", "3500"), writes).fundsChanged ==
        false);
}

TEST(PositionRowTest, ARowTakenOverByAnotherPositionIsNotPatchedInPlace) {
    std::vector<CellWrite> writes;
    ShownRow row;
    PositionRowFill(Record("rb2705", "买", "3", "3500", "9001"), writes);
    row.Apply(writes);
    const PositionRowSync sync =
        PositionRowWrites(row.View(), Record("cu2702", "买", "3", "3500", "9002"), writes);
    EXPECT_TRUE(sync.otherPosition);
    EXPECT_TRUE(writes.empty());
}

std::string Quote(int fields, const std::string& code = "rb2705") {
    return testing::QuoteRecordText(fields, code, {{4, "3510"}, {18, "3509"}, {20, "3511"}});
}

TEST(QuotePricesTest, NeedTheCodeAndTwentyOneFields) {
    const std::string record = Quote(21);
    auto prices = ReadQuotePrices(record, "rb2705");
    ASSERT_TRUE(prices);
    EXPECT_EQ(prices->last, "3510");
    EXPECT_EQ(prices->bid, "3509");
    EXPECT_EQ(prices->ask, "3511");
    EXPECT_FALSE(ReadQuotePrices(Quote(20), "rb2705"));
    EXPECT_FALSE(ReadQuotePrices(Quote(23), "cu2702"));
    EXPECT_FALSE(ReadQuotePrices("", "rb2705"));
    // A trailing empty field still counts.
    EXPECT_TRUE(ReadQuotePrices(Quote(20) + ",", "rb2705"));
}

TEST(FloatingProfitTest, LongAndShortTimesTheMultiplier) {
    EXPECT_DOUBLE_EQ(FloatingProfit(Ansi("买"), 3, 3500, 3510, 10), 300);
    EXPECT_DOUBLE_EQ(FloatingProfit(" " + Ansi("卖"), 3, 3500, 3510, 10), -300);
    EXPECT_DOUBLE_EQ(FloatingProfit(Ansi("卖"), 2, 612.38, 610.5, 1000),
                     2 * (612.38 - 610.5) * 1000);
}

TEST(FloatingProfitTest, MissingProductCountsAsMultiplierOne) {
    auto products = std::make_shared<ProductTable>();
    CopyField(products->rows[0].contractCode, 16, "rb2705");
    CopyField(products->rows[0].multiplier, 8, "10");
    MultiplierCache cache;
    std::shared_ptr<const ProductTable> table = products;
    EXPECT_EQ(cache.Get(table, "rb2705"), 10);
    EXPECT_EQ(cache.Get(table, "xx9999"), 1);
    // A new product table is looked up anew.
    auto next = std::make_shared<ProductTable>(*products);
    CopyField(next->rows[0].multiplier, 8, "5");
    EXPECT_EQ(cache.Get(next, "rb2705"), 5);
}

TEST(ProfitCellTest, NoDecimalsGreenBelowZeroRedOtherwise) {
    auto write = ProfitWrite("", 0.0);
    ASSERT_TRUE(write) << "an empty cell is always written";
    EXPECT_EQ(write->text, "0");
    EXPECT_EQ(write->colour, kBuyColour) << "zero is red";

    write = ProfitWrite("0", -1234.6);
    ASSERT_TRUE(write);
    EXPECT_EQ(write->text, "-1235");
    EXPECT_EQ(write->colour, kSellColour);

    EXPECT_FALSE(ProfitWrite("-1235", -1234.6)) << "same value: no write";
    EXPECT_FALSE(ProfitWrite("300.00", 300.2)) << "compared as numbers, not texts";
    EXPECT_TRUE(ProfitWrite("300.00", 301));
}

TEST(PositionRowTest, ABlankBesideTheDirectionNeitherFlipsTheSideNorKeepsTheRowUnsettled) {
    // "卖 " once kept the row changing on every step (a funds reload each time) and "买 "
    // showed as a sell.
    for (const char* direction : {"卖 ", "买 ", " 买\t"}) {
        const PositionRecord record = Record("rb2705", direction, "3", "3500");
        std::vector<CellWrite> writes;
        PositionRowFill(record, writes);
        ShownRow row;
        row.Apply(writes);
        const bool buy = std::string(direction).find("买") != std::string::npos;
        EXPECT_EQ(std::string(Trim(row.texts[PositionCol::Direction])), Ansi(buy ? "买" : "卖"));
        EXPECT_EQ(DirectionCell(FieldText(record.direction), 1).colour,
                  buy ? kBuyColour : kSellColour);
        const PositionRowSync sync = PositionRowWrites(row.View(), record, writes);
        EXPECT_FALSE(sync.fundsChanged) << direction;
        EXPECT_TRUE(writes.empty()) << direction;
    }
}

}  // namespace
}  // namespace ft
