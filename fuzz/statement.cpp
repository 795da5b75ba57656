// The settlement statement answer (getuserdayjs) laid out as the statement text, or the reason
// it gives none.
#include "account/statement_rules.h"
#include "core/record_format.h"
#include "core/text.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace ft;
    // Sanitizers watch the totals (signed sums of the lot fields) and the padding.
    const std::string_view answer = fuzz::Text(data, size);
    if (!LayOutStatement(answer, "demo")) {
        // The reason quoted is the back-end's own, from a refusal's second field, or none.
        const std::string reason = StatementRefusal(answer);
        const auto fields = SplitView(",", answer);
        FUZZ_CHECK(reason == Ansi("交易服务器的回答不是结算单") ||
                   (answer.find("**") == std::string_view::npos && fields.size() >= 2 &&
                    fields[1].find(reason) != std::string_view::npos && !reason.empty()));
    }
    return 0;
}
