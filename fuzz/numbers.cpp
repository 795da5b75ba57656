// The number readers: atoi/atof-like reading of back-end and typed texts, and the readers
// built on them (integer lists, rule times, the lots spinner, the lots hint), and the checks of
// what the trader types or pastes as a price, lots or a transfer amount.
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <string>

#include "core/layout_store.h"
#include "core/text.h"
#include "fuzz_support.h"
#include "positions/stop_rule_file.h"
#include "trading/number_input.h"
#include "trading/order_rules.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace ft;
    const std::string_view input = fuzz::Text(data, size);
    const std::string text(input.substr(0, input.find('\0')));
    // Integers read exactly as the C library reads them, saturating at the ends.
    FUZZ_CHECK(ToInt(text) == std::strtoll(text.c_str(), nullptr, 10));
    const double value = ToDouble(text);
    FUZZ_CHECK(!std::isnan(value));
    // After blanks and one sign only a digit or a point starts a number.
    std::size_t i = text.find_first_not_of(" \t\n\v\f\r");
    if (i != std::string::npos && (text[i] == '+' || text[i] == '-')) {
        ++i;
    }
    if (i == std::string::npos || i >= text.size() ||
        !((text[i] >= '0' && text[i] <= '9') || text[i] == '.')) {
        FUZZ_CHECK(value == 0);
    }
    FUZZ_CHECK(ToInt(FormatFixed(static_cast<double>(ToInt(text)), 0)) == ToInt(text) ||
               ToInt(text) > (1LL << 53) || ToInt(text) < -(1LL << 53));
    ParseIntList(text);
    ParseRuleTime(text);
    StepLots(text, true);
    StepLots(text, false);
    // A value the checks let through is a finite number above zero; a refusal quotes the text
    // by its start only.
    for (const NumberKind kind : {NumberKind::Price, NumberKind::Lots}) {
        const std::string problem = CheckNumber(kind, input, 2);
        FUZZ_CHECK(problem.empty() ? std::isfinite(ToDouble(text)) && ToDouble(text) > 0 &&
                                         text.size() == input.size()
                                   : problem.size() < 128);
    }
    const std::string amountProblem = CheckTransferAmount(input);
    FUZZ_CHECK(amountProblem.empty() ? ToDouble(text) > 0 && text.size() == input.size()
                                     : amountProblem.size() < 128);
    const auto parts = fuzz::Parts(input, 4);
    OpenLotsHint(parts[0], parts[1], parts[2], parts[3]);
    return 0;
}
