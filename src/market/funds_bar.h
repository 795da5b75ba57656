// The nine figures of the funds bar, from the funds record, the positions and the profit
// column of the positions panel. No Qt here.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/session_state.h"

namespace ft {

struct FundsBarTexts {
    std::string staticEquity;
    std::string closeProfit;
    std::string frozen;
    std::string margin;
    // The rest needs the positions panel; absent while it does not exist.
    std::optional<std::string> positionProfit;
    std::optional<std::string> dynamicEquity;
    std::optional<std::string> commission;
    std::optional<std::string> available;
    std::optional<std::string> risk;
};

// `profitTexts` are the texts of the positions panel's "盈亏" column, or nullptr when that
// panel does not exist yet. The sums accumulate in 32-bit floats and the position profit
// enters the dynamic equity as its truncated integer text, as the back-office figures do.
FundsBarTexts ComputeFundsBar(const MoneyRecord& money, const PositionTable& positions,
                              const std::vector<std::string>* profitTexts, ServerMode mode);

}  // namespace ft
