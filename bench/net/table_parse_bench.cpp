// Parsing an answer of 1024 orders or 1024 trades into a new table and publishing it.
#include <benchmark/benchmark.h>

#include <string>

#include "core/session_state.h"
#include "core/text.h"
#include "net/table_loaders.h"

namespace {

constexpr int kRecords = 1024;

std::string OrderAnswer() {
    std::string text;
    for (int i = 0; i < kRecords; ++i) {
        if (i > 0) {
            text += "|";
        }
        text += ft::Format("%d,rb%d,", 20240000 + i, 2401 + i % 12) +
                ft::Ansi(i % 2 ? "买" : "卖") + "," + ft::Ansi("开仓") +
                ft::Format(",%d,%d,%d.0,2024-06-11 09:%02d:%02d,", 1 + i % 5, i % 3, 3600 + i,
                           i % 60, i % 60) +
                ft::Ansi("部分成交") + ft::Format(",%d,%d.5", i % 2, 3600 + i);
    }
    return text;
}

std::string TradeAnswer() {
    std::string text;
    for (int i = 0; i < kRecords; ++i) {
        if (i > 0) {
            text += "|";
        }
        text += ft::Format("%d,rb%d,", 7000000 + i, 2401 + i % 12) + ft::Ansi(i % 2 ? "买" : "卖") +
                "," + ft::Ansi("开仓") +
                ft::Format(",%d.0,%d,09:%02d:%02d", 3600 + i, 1 + i % 5, i % 60, i % 60);
    }
    return text;
}

void BM_ParseAndPublishOrders_1024(benchmark::State& state) {
    ft::SessionState session;
    const std::string answer = OrderAnswer();
    for (auto _ : state) {
        session.orders.Publish(ft::ParseOrders(answer));
    }
    if (session.orders.Snapshot()->Count() != kRecords) {
        state.SkipWithError("not every order was stored");
    }
}
BENCHMARK(BM_ParseAndPublishOrders_1024);

void BM_ParseAndPublishTrades_1024(benchmark::State& state) {
    ft::SessionState session;
    const std::string answer = TradeAnswer();
    for (auto _ : state) {
        session.trades.Publish(ft::ParseTrades(answer));
    }
    if (session.trades.Snapshot()->Count() != kRecords) {
        state.SkipWithError("not every trade was stored");
    }
}
BENCHMARK(BM_ParseAndPublishTrades_1024);

}  // namespace
