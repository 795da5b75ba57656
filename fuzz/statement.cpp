// The settlement statement answer (getuserdayjs) laid out as the statement text.
#include "account/statement_rules.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace ft;
    // Sanitizers watch the totals (signed sums of the lot fields) and the padding.
    LayOutStatement(fuzz::Text(data, size), "demo");
    return 0;
}
