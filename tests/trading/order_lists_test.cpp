#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/text.h"
#include "trading/order_lists.h"

namespace ft {
namespace {

// An order row: number, code, direction, open/close, volume, unfilled, price, time, status,
// filled, average price (UTF-8 where Chinese).
OrderRecord Order(const std::string& no, const char* direction, int volume, int unfilled,
                  const char* status, int filled) {
    OrderRecord o{};
    CopyField(o.orderNo, 32, no);
    CopyField(o.contractCode, 16, "rb2705");
    CopyField(o.direction, 8, Ansi(direction));
    CopyField(o.openClose, 8, Ansi("开仓"));
    CopyField(o.volume, 8, std::to_string(volume));
    CopyField(o.unfilledVolume, 8, std::to_string(unfilled));
    CopyField(o.price, 16, "3500.000");
    CopyField(o.orderTime, 32, "2026-12-07 09:30:00");
    CopyField(o.status, 16, Ansi(status));
    CopyField(o.filledVolume, 8, std::to_string(filled));
    CopyField(o.avgFillPrice, 16, filled ? "3500.000" : "0.000");
    return o;
}

// A list row: its texts, and views of them as a row rule reads them.
template <std::size_t N>
struct ShownRow {
    std::array<std::string, N> texts{};
    std::array<std::string_view, N> View() const {
        std::array<std::string_view, N> view;
        for (std::size_t c = 0; c < N; ++c) {
            view[c] = texts[c];
        }
        return view;
    }
    void Apply(const std::vector<CellWrite>& writes) {
        for (const CellWrite& w : writes) {
            texts[static_cast<std::size_t>(w.column)] = w.text;
        }
    }
};

const CellWrite* Find(const std::vector<CellWrite>& writes, int column) {
    for (const CellWrite& w : writes) {
        if (w.column == column)
            return &w;
    }
    return nullptr;
}

std::vector<std::string> Numbers(const std::vector<const OrderRecord*>& shown) {
    std::vector<std::string> numbers;
    numbers.reserve(shown.size());
    for (const OrderRecord* o : shown) {
        numbers.emplace_back(FieldText(o->orderNo));
    }
    return numbers;
}

TEST(OrderListsTest, ColumnsOfTheThreeLists) {
    EXPECT_EQ(AlignmentText(kWorkingOrderColumns), "11112221");
    EXPECT_EQ(AlignmentText(kAllOrderColumns), "1111122222");
    EXPECT_EQ(AlignmentText(kTradeColumns), "1111111");
    EXPECT_EQ(std::string(kWorkingOrderColumns[WorkingOrderCol::Unfilled].title), "未成交手数");
    EXPECT_EQ(kWorkingOrderColumns[WorkingOrderCol::OrderTime].width, 130);
    EXPECT_EQ(std::string(kAllOrderColumns[AllOrderCol::Status].title), "挂单状态");
    EXPECT_EQ(kAllOrderColumns[AllOrderCol::AvgFillPrice].field, 10);
    EXPECT_EQ(std::string(kTradeColumns[TradeCol::TradeTime].title), "成交时间");
}

TEST(OrderListsTest, WorkingOrdersAndTheFourFilters) {
    auto table = std::make_shared<OrderTable>();
    table->rows[0] = Order("1", "买", 2, 2, "未成交", 0);
    table->rows[1] = Order("2", "卖", 3, 1, "部分成交", 2);
    table->rows[2] = Order("3", "买", 2, 0, "全部成交", 2);
    table->rows[3] = Order("4", "买", 2, 0, "已撤", 0);
    table->rows[4] = Order("5", "买", 2, 0, "未成交", 0);  // nothing left to fill
    table->rows[5] = Order("6", "买", 0, 0, "已撤", 0);    // a rejected order
    table->rows[7] = Order("8", "买", 1, 1, "未成交", 0);  // after the row that ends the table

    std::vector<const OrderRecord*> shown;
    WorkingOrders(*table, shown);
    EXPECT_EQ(Numbers(shown), (std::vector<std::string>{"1", "2"}));
    FilteredOrders(*table, OrderFilter::All, shown);
    EXPECT_EQ(shown.size(), 6u);
    FilteredOrders(*table, OrderFilter::Working, shown);
    EXPECT_EQ(Numbers(shown), (std::vector<std::string>{"1", "5"})) << "a partly filled is not";
    FilteredOrders(*table, OrderFilter::Filled, shown);
    EXPECT_EQ(Numbers(shown), (std::vector<std::string>{"3", "6"}));
    FilteredOrders(*table, OrderFilter::Cancelled, shown);
    EXPECT_EQ(Numbers(shown), (std::vector<std::string>{"4", "6"}));

    // Every row of a full table is scanned.
    auto full = std::make_shared<OrderTable>();
    for (std::size_t i = 0; i < OrderTable::kCapacity; ++i) {
        full->rows[i] = Order(std::to_string(i), "买", 1, 1, "未成交", 0);
    }
    WorkingOrders(*full, shown);
    EXPECT_EQ(shown.size(), 1024u);
}

TEST(OrderListsTest, AWorkingRowIsWrittenOnceAndThenOnlyWhereItChanged) {
    OrderRecord order = Order("17", "卖", 3, 3, "未成交", 0);
    std::vector<CellWrite> writes;
    ShownRow<WorkingOrderCol::Count> row;
    WorkingOrderRowWrites(row.View(), order, writes);
    EXPECT_EQ(writes.size(), 8u);
    row.Apply(writes);
    EXPECT_EQ(row.texts[WorkingOrderCol::OrderNo], "17");
    EXPECT_EQ(row.texts[WorkingOrderCol::Direction], Ansi("卖"));
    EXPECT_EQ(row.texts[WorkingOrderCol::Price], "3500") << "the number display rule";
    EXPECT_EQ(row.texts[WorkingOrderCol::Volume], "3");
    ASSERT_TRUE(Find(writes, WorkingOrderCol::Code));
    EXPECT_EQ(Find(writes, WorkingOrderCol::Code)->colour, kCodeColour);
    EXPECT_FALSE(Find(writes, WorkingOrderCol::Direction)->colour);

    WorkingOrderRowWrites(row.View(), order, writes);
    EXPECT_TRUE(writes.empty());
    CopyField(order.unfilledVolume, 8, "1");
    WorkingOrderRowWrites(row.View(), order, writes);
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_EQ(writes[0].column, WorkingOrderCol::Unfilled);
    EXPECT_EQ(writes[0].text, "1");
}

TEST(OrderListsTest, AllOrderRowsColourEveryDirectionAndStatus) {
    std::vector<CellWrite> writes;
    ShownRow<AllOrderCol::Count> row;
    AllOrderRowWrites(row.View(), Order("1", "买", 2, 0, "全部成交", 2), writes);
    EXPECT_EQ(Find(writes, AllOrderCol::Direction)->colour, (Rgb{210, 47, 45}));
    EXPECT_EQ(Find(writes, AllOrderCol::Status)->colour, (Rgb{0, 121, 0}));
    EXPECT_EQ(Find(writes, AllOrderCol::Filled)->text, "2");
    EXPECT_EQ(Find(writes, AllOrderCol::AvgFillPrice)->text, "3500");
    row.Apply(writes);

    // Another order now in the same row: every differing cell, the status black again.
    AllOrderRowWrites(row.View(), Order("2", "卖", 2, 2, "未成交", 0), writes);
    EXPECT_EQ(Find(writes, AllOrderCol::OrderNo)->text, "2");
    EXPECT_EQ(Find(writes, AllOrderCol::Direction)->colour, (Rgb{0, 126, 0}));
    EXPECT_EQ(Find(writes, AllOrderCol::Status)->colour, (Rgb{0, 0, 0}));
    EXPECT_FALSE(Find(writes, AllOrderCol::Code)) << "same contract";
    row.Apply(writes);

    AllOrderRowWrites(row.View(), Order("2", "卖", 2, 0, "已撤", 0), writes);
    ASSERT_EQ(writes.size(), 2u);
    EXPECT_EQ(Find(writes, AllOrderCol::Status)->colour, (Rgb{122, 126, 0}));
    EXPECT_EQ(Find(writes, AllOrderCol::Unfilled)->text, "0");
}

TEST(OrderListsTest, ASellFillIsIndentedGreenAndABuyRed) {
    TradeRecord fill{};
    CopyField(fill.tradeNo, 16, "5");
    CopyField(fill.contractCode, 16, "rb2705");
    CopyField(fill.direction, 8, Ansi("卖"));
    CopyField(fill.openClose, 8, Ansi("平仓"));
    CopyField(fill.price, 16, "3500.500");
    CopyField(fill.volume, 8, "2");
    CopyField(fill.tradeTime, 16, "09:30:01");
    std::vector<CellWrite> writes;
    ShownRow<TradeCol::Count> row;
    TradeRowWrites(row.View(), fill, writes);
    EXPECT_EQ(writes.size(), 7u);
    EXPECT_EQ(Find(writes, TradeCol::Direction)->text, "  " + Ansi("卖"));
    EXPECT_EQ(Find(writes, TradeCol::Direction)->colour, (Rgb{0, 128, 0}));
    EXPECT_EQ(Find(writes, TradeCol::Code)->colour, kCodeColour);
    EXPECT_EQ(Find(writes, TradeCol::Price)->text, "3500.5");
    row.Apply(writes);
    TradeRowWrites(row.View(), fill, writes);
    EXPECT_TRUE(writes.empty()) << "the indented text counts as shown";

    CopyField(fill.direction, 8, Ansi("买"));
    TradeRowWrites(row.View(), fill, writes);
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_EQ(writes[0].text, Ansi("买"));
    EXPECT_EQ(writes[0].colour, (Rgb{204, 51, 51}));
}

TEST(CancelTest, RequestQuestionAndAnswers) {
    EXPECT_EQ(CancelBody("1024"), "id=1024");
    EXPECT_EQ(CancelConfirmationText("1024", "rb2705", "2"), Ansi("撤单:1024  rb2705  2手"));
    EXPECT_EQ(CancelAllQuestion(), Ansi("是否确认要撤销全部委托单?"));
    EXPECT_EQ(CancelRefusal("0,撤单成功"), std::nullopt);
    EXPECT_EQ(CancelRefusal("0"), std::nullopt);
    EXPECT_EQ(CancelRefusal(Ansi("1,该委托不可撤销")), Ansi("撤单失败，该委托不可撤销"));
    EXPECT_EQ(CancelRefusal("1"), Ansi("撤单失败，1"));
    EXPECT_EQ(CancelRefusal("<html>502</html>"), Ansi("撤单失败，<html>502</html>"));
    EXPECT_EQ(CancelRefusal(""), Ansi("撤单失败"));
    EXPECT_TRUE(CancellableStatus(Ansi("未成交")));
    EXPECT_FALSE(CancellableStatus(Ansi("部分成交")));
    EXPECT_FALSE(CancellableStatus(Ansi("已撤")));
}

}  // namespace
}  // namespace ft
