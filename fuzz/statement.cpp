// The settlement statement answer (getuserdayjs) laid out as the statement text, or the reason
// it gives none.
#include "account/statement_rules.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace ft;
    // Sanitizers watch the totals (signed sums of the lot fields) and the padding.
    const std::string_view answer = fuzz::Text(data, size);
    if (!LayOutStatement(answer, "demo")) {
        FUZZ_CHECK(!StatementRefusal(answer).empty());
    }
    return 0;
}
