// The funds answer (getusermoneyinfo) into the funds record, and the funds bar computed from
// it in every server mode.
#include <cstring>

#include "core/frame_rules.h"
#include "fuzz_support.h"
#include "market/funds_bar.h"
#include "net/table_loaders.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace ft;
    // The first byte picks the mode; the rest is the answer.
    if (size == 0) {
        return 0;
    }
    const int mode = data[0] % kServerModeCount;
    const std::string_view answer = fuzz::Text(data + 1, size - 1);
    const auto money = ParseMoney(answer, mode == static_cast<int>(ServerMode::Cooperation));
    FUZZ_CHECK(fuzz::Terminated(money->staticEquity) && fuzz::Terminated(money->riskBase));
    static const PositionTable positions{};
    const std::vector<std::string> profits{std::string(FieldText(money->closeProfit)),
                                           std::string(FieldText(money->frozen))};
    ComputeFundsBar(*money, positions, nullptr, static_cast<ServerMode>(mode));
    ComputeFundsBar(*money, positions, &profits, static_cast<ServerMode>(mode));
    FrameCounters counters;
    static const TradeTable trades{};
    counters.Update(trades, *money);
    return 0;
}
