// The products answer (getallproduct) into the products table, and what the contract list and
// the order panel read from it.
#include "core/session_state.h"
#include "fuzz_support.h"
#include "market/quote_board_rules.h"
#include "net/table_loaders.h"
#include "trading/order_rules.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace ft;
    const auto table = ParseProducts(fuzz::Text(data, size));
    const std::size_t n = table->Count();
    FUZZ_CHECK(n <= ProductTable::kCapacity);
    for (std::size_t i = 0; i < n && i < 8; ++i) {
        const ProductRecord& row = table->rows[i];
        FUZZ_CHECK(fuzz::Terminated(row.contractCode) && fuzz::Terminated(row.commission));
        ContractRowTexts(row);
        const std::string_view code = FieldText(row.contractCode);
        FUZZ_CHECK(FindProduct(*table, code) != nullptr);
        ContractMultiplier(*table, code);
        StepPrice(*table, code, FieldText(row.margin), true);
        StepPrice(*table, code, FieldText(row.tickSize), false);
        CheckPriceLimits(*table, OpenClose::Open, code, OrderSide::Buy, FieldText(row.margin),
                         FieldText(row.lastDate), FieldText(row.tickSize), FieldText(row.exchange));
        OpenLotsHint(FieldText(row.commission), FieldText(row.margin), FieldText(row.multiplier),
                     FieldText(row.tickSize));
    }
    return 0;
}
