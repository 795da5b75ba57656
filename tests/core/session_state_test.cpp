#include "core/session_state.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>
#include <vector>

#include "core/text.h"

namespace ft {
namespace {

TEST(SessionState, RecordWidthsAreTheFixedOnes) {
    EXPECT_EQ(sizeof(ProductRecord), 152u);
    EXPECT_EQ(sizeof(OrderRecord), 168u);
    EXPECT_EQ(sizeof(PositionRecord), 168u);
    EXPECT_EQ(sizeof(TradeRecord), 88u);
    EXPECT_EQ(sizeof(MoneyRecord), 184u);
    PositionRecord p{};
    EXPECT_EQ(FieldData(p, 12), p.positionNo);
    EXPECT_EQ(FieldData(p, 9), p.exchange);
    OrderRecord o{};
    EXPECT_EQ(FieldData(o, 10), o.avgFillPrice);
}

TEST(SessionState, TableCapacities) {
    EXPECT_EQ(ProductTable::kCapacity, 512u);
    EXPECT_EQ(OrderTable::kCapacity, 1024u);
    EXPECT_EQ(PositionTable::kCapacity, 128u);
    EXPECT_EQ(TradeTable::kCapacity, 1024u);
}

TEST(SessionState, AnEmptyKeyEndsTheTable) {
    auto table = std::make_shared<TradeTable>();
    std::strcpy(table->rows[0].contractCode, "rb2501");
    std::strcpy(table->rows[2].contractCode, "cu2501");
    EXPECT_EQ(table->Count(), 1u);
    EXPECT_EQ(table->Count(0), 0u);
}

TEST(SessionState, ProductLookupAndMultiplier) {
    ProductTable products{};
    std::strcpy(products.rows[0].contractCode, "rb2501");
    std::strcpy(products.rows[0].multiplier, "10");
    std::strcpy(products.rows[1].contractCode, "IF2501");
    std::strcpy(products.rows[1].multiplier, "300");
    EXPECT_EQ(ContractMultiplier(products, "IF2501"), 300);
    EXPECT_EQ(ContractMultiplier(products, "rb250"), 1);  // exact match only
    EXPECT_EQ(ContractMultiplier(products, "zz9999"), 1);
    EXPECT_EQ(FindProduct(products, "rb2501"), &products.rows[0]);
}

// Readers always see a whole table, never one a writer is filling.
TEST(SessionState, PublishedTablesAreWholeUnderConcurrentReadersAndWriters) {
    SessionState session;
    std::atomic<bool> stop{false};
    std::atomic<long> torn{0};
    std::vector<std::thread> writers;
    writers.reserve(2);
    for (int w = 0; w < 2; ++w) {
        writers.emplace_back([&, w] {
            for (int round = 0; round < 300; ++round) {
                auto table = std::make_shared<OrderTable>();
                const std::string tag = std::to_string(w * 1000 + round);
                for (std::size_t i = 0; i < 200; ++i) {
                    CopyField(table->rows[i].contractCode, 16, "c" + tag);
                    CopyField(table->rows[i].orderNo, 32, tag);
                }
                session.orders.Publish(std::move(table));
            }
        });
    }
    std::vector<std::thread> readers;
    readers.reserve(3);
    for (int r = 0; r < 3; ++r) {
        readers.emplace_back([&] {
            while (!stop) {
                auto snapshot = session.orders.Snapshot();
                const std::size_t n = snapshot->Count();
                if (n != 0 && n != 200) {
                    ++torn;
                }
                for (std::size_t i = 1; i < n; ++i) {
                    if (std::strcmp(snapshot->rows[i].orderNo, snapshot->rows[0].orderNo) != 0) {
                        ++torn;
                    }
                }
            }
        });
    }
    for (auto& t : writers) {
        t.join();
    }
    stop = true;
    for (auto& t : readers) {
        t.join();
    }
    EXPECT_EQ(torn.load(), 0);
    EXPECT_EQ(session.orders.Snapshot()->Count(), 200u);
}

}  // namespace
}  // namespace ft
