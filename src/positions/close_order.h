// The closing orders that the positions panel sends by itself (fired stop-loss and take-profit
// legs): their request, the two log lines and what the back-end made of them. No Qt here.
#pragma once

#include <string>

#include "core/session_state.h"
#include "positions/stop_rules.h"

namespace ft {

inline constexpr const char* kCloseOrderPath = "index.php?m=client&a=weituo";

// "user_name=..&code=..&type=2&updown=..&num=..&price=..&pricetype=3&src=lctrade&dsid=.."
// (type 3 for the earlier lots of a 上期所 position).
std::string CloseOrderBody(const std::string& userName, const CloseOrder& order);

struct CloseOutcome {
    bool answered = false;  // the request went out and an answer came back
    bool accepted = false;  // the answer's first field is "0"
    std::string answer;     // GBK, as received
    // Why the order did not go through (GBK): the back-end's reason, or that it never answered.
    std::string problem;
};

// Logs the body ("to weituo trade...,post:"), posts it, and logs the outcome: the answer
// ("to weituo trade...,result:") or the failure ("to weituo trade...,failed:"). Blocks until
// the back-end answers: call it off the UI thread.
CloseOutcome SendCloseOrder(const SessionState& session, const CloseOrder& order);

}  // namespace ft
