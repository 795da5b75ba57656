// The custom contract list answer (getuserfutures) and the list sent back from it.
#include "fuzz_support.h"
#include "market/quote_board_rules.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace ft;
    const auto contracts = ParseCustomContracts(fuzz::Text(data, size));
    FUZZ_CHECK(contracts.size() <= size + 1);
    SetUserFuturesBody("u", contracts);
    return 0;
}
