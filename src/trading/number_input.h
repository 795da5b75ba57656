// The one rule for prices and lots the trader enters, wherever they come from (typed, pasted,
// dropped, composed or filled in): plain decimal text, finite and above zero, prices with no
// more decimals than the contract's tick, lots a whole number up to kMaxLots. No Qt here.
#pragma once

#include <string>
#include <string_view>

#include "core/session_state.h"

namespace ft {

inline constexpr long long kMaxLots = 10000;
// Decimals allowed when the contract's tick is unknown.
inline constexpr int kAnyTickDecimals = 4;

enum class NumberKind { Price, Lots };

// Decimals of `code`'s tick size ("0.2" → 1, "1" → 0), kAnyTickDecimals when the contract or
// its tick is unknown.
int TickDecimals(const ProductTable& products, std::string_view code);

// The whole check: empty when `text` is a good value, else what is wrong (GBK), for a message.
std::string CheckNumber(NumberKind kind, std::string_view text, int decimals);

// While the text is being entered: false when no further input could make it good ("3500..",
// "nan", "-1", a third decimal for a 0.01 tick), so the edit is refused at once. "" and "3500."
// may still become good.
bool NumberMayGrow(NumberKind kind, std::string_view text, int decimals);

// A transfer's amount in yuan: plain decimal text above zero with at most two decimals. Empty
// when good, else the message (GBK). A back-end reading numbers the lax way would move 1 for
// "1,000" and 100000 for "1e5".
std::string CheckTransferAmount(std::string_view text);

}  // namespace ft
