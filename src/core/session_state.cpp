#include "core/session_state.h"

#include <numeric>

#include "core/text.h"

namespace ft {
namespace {

template <typename Record>
constexpr bool FieldsPacked() {
    std::size_t sum = 0;
    for (auto w : Record::kWidths) {
        sum += w;
    }
    return sum == sizeof(Record);
}
static_assert(FieldsPacked<ProductRecord>());
static_assert(FieldsPacked<OrderRecord>());
static_assert(FieldsPacked<PositionRecord>());
static_assert(FieldsPacked<TradeRecord>());
static_assert(FieldsPacked<MoneyRecord>());

}  // namespace

const ProductRecord* FindProduct(const ProductTable& products, std::string_view code) {
    for (const auto& row : products.rows) {
        if (row.contractCode[0] == '\0') {
            break;
        }
        if (code == row.contractCode) {
            return &row;
        }
    }
    return nullptr;
}

long long ContractMultiplier(const ProductTable& products, std::string_view code) {
    const ProductRecord* row = FindProduct(products, code);
    return row ? ToInt(row->multiplier) : 1;
}

}  // namespace ft
