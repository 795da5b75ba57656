// The five loaders that fill the session tables from the back-end's answers, and the worker
// routines that run them.
#pragma once

#include <condition_variable>
#include <ctime>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "core/job_group.h"
#include "core/session_state.h"
#include "net/quote_book.h"

namespace ft {

// Parsing of one answer into a new table (no network). Records go to the row of their own
// index; a record with two fields or fewer leaves its row empty; records beyond the capacity
// are dropped; over-long fields are cut to their width at a character boundary; fields the
// record lacks stay empty. `subscribe` holds the codes of the stored positions for
// kPositionsOwner and lets go of its others.
std::shared_ptr<ProductTable> ParseProducts(std::string_view answer);
std::shared_ptr<OrderTable> ParseOrders(std::string_view answer);
std::shared_ptr<TradeTable> ParseTrades(std::string_view answer);
std::shared_ptr<PositionTable> ParsePositions(std::string_view answer, QuoteBook* subscribe);
// Holds the quotes of every contract the table has a position in (kPositionsOwner) and lets
// go of the rest.
void HoldPositionQuotes(const PositionTable& table, QuoteBook& quotes);
// One record split at ","; more than three fields fill fields 0 to 5, and field 6 only when
// `withRiskBase` (ServerMode 3).
std::shared_ptr<MoneyRecord> ParseMoney(std::string_view answer, bool withRiskBase);

// Start of the trading day whose orders and fills are listed: today 16:40:00 local time from
// 16:30 on, otherwise today 16:40:00 minus 86400 seconds.
std::time_t TradingDayStart(std::time_t now);
// The start fields of the order and trade queries.
std::string OrderStartField(std::time_t start);  // "&start=%d-%02d-%02d %02d:%02d:%02d"
std::string TradeStartField(std::time_t start);  // "start=%04d-%02d-%02d %02d:%02d:%02d"

class TableLoader {
public:
    TableLoader(SessionState& session, QuoteBook& quotes) : session_(session), quotes_(quotes) {}
    // Waits for the workers it started (a pending pause is cut short).
    ~TableLoader();
    TableLoader(const TableLoader&) = delete;
    TableLoader& operator=(const TableLoader&) = delete;

    // Each: 1 when the request succeeded and the table was replaced, 0 when it failed (the
    // table is then unchanged).
    int LoadProducts();
    int LoadOrders();
    int LoadPositions();
    int LoadTrades();
    int LoadMoney();

    // All five in order, each failed one once more; then TablesLoading is set to 0.
    int LoadAllTables();
    // Orders, positions, trades and funds, each failed one once more; with a pause flag above
    // 10 a second pass follows after 2000 ms.
    int ReloadTables(int pause);
    // LoadMoney once, without retry.
    int ReloadMoney();
    // After a request of unknown outcome: the orders once; false when the back-end does not
    // answer them, otherwise positions, fills and funds follow.
    bool ReloadWhenAnswering();
    // Whether the back-end answers at all: a funds query whose answer is not kept, so a probe
    // publishes nothing and can never overtake a reload with older tables.
    bool Answers();

    // Worker-thread starters: each runs on a thread of its own and returns at once.
    void StartLoadAllTables();
    void StartReloadTables(int pause);
    void StartReloadMoney();
    // Blocks until every started worker has finished.
    void WaitIdle();
    bool Idle() const { return jobs_.Running() == 0; }
    // Ends a pending pause at once and skips the second pass of every reload from now on: for
    // an owner about to wait for the workers (as the destructor does).
    void CutPauses();

private:
    template <typename Fn>
    void StartWorker(Fn fn);
    int Twice(int (TableLoader::*load)());

    SessionState& session_;
    QuoteBook& quotes_;
    std::mutex mutex_;
    std::condition_variable changed_;
    bool stopping_ = false;
    JobGroup jobs_;
};

}  // namespace ft
