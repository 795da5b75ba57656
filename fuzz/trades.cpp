// The trades answer (tradedetail) into the trades table, the fills list and the status bar's
// opened-lots count.
#include "core/frame_rules.h"
#include "fuzz_support.h"
#include "net/table_loaders.h"
#include "trading/order_lists.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace ft;
    const auto table = ParseTrades(fuzz::Text(data, size));
    TodayOpenVolume(*table);
    FUZZ_CHECK(TradeCount(*table) <= TradeTable::kCapacity);
    FrameCounters counters;
    counters.Update(*table, MoneyRecord{});
    std::vector<CellWrite> writes;
    const TradeRow empty{};
    for (std::size_t i = 0; i < table->Count() && i < 8; ++i) {
        FUZZ_CHECK(fuzz::Terminated(table->rows[i].tradeTime));
        TradeRowWrites(empty, table->rows[i], writes);
    }
    return 0;
}
