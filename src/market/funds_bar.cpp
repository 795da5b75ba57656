#include "market/funds_bar.h"

#include "core/record_format.h"
#include "core/text.h"

namespace ft {
namespace {

template <std::size_t N>
std::string Text(const char (&field)[N]) {
    return std::string(FieldText(field));
}

template <std::size_t N>
double Number(const char (&field)[N]) {
    return ToDouble(FieldText(field));
}

// "%d" of a value truncated toward zero; values beyond the integer range (a garbled answer)
// are clamped rather than converted with undefined results.
std::string Truncated(float value) {
    if (!(value == value)) {
        return "0";
    }
    constexpr double kLimit = 2147483647.0;
    const double v = value;
    const double clamped = v > kLimit ? kLimit : v < -kLimit ? -kLimit : v;
    return std::to_string(static_cast<long long>(clamped));
}

}  // namespace

FundsBarTexts ComputeFundsBar(const MoneyRecord& money, const PositionTable& positions,
                              const std::vector<std::string>* profitTexts, ServerMode mode) {
    FundsBarTexts out;
    out.staticEquity = Text(money.staticEquity);
    out.closeProfit = Text(money.closeProfit);
    out.frozen = Text(money.frozen);

    float margin = 0;
    const std::size_t rows = positions.Count();
    for (std::size_t i = 0; i < rows; ++i) {
        // As `float m; m += atof(x);` does: the sum is formed in double, then stored as float.
        margin = static_cast<float>(margin + Number(positions.rows[i].margin));
    }
    out.margin = Truncated(margin);
    if (!profitTexts) {
        return out;
    }

    float pnl = 0;
    for (const std::string& text : *profitTexts) {
        pnl = static_cast<float>(pnl + ToDouble(text));
    }
    const std::string profit = Truncated(pnl);
    out.positionProfit = profit;

    const float dynamic =
        static_cast<float>(Number(money.closeProfit) + Number(money.staticEquity) +
                           ToDouble(profit) - Number(money.commission));
    const std::string dynamicText = TrimZeros(FormatFixed(dynamic, 2));
    out.dynamicEquity = dynamicText;
    out.commission = Text(money.commission);

    const float available =
        static_cast<float>(ToDouble(dynamicText) - margin - Number(money.frozen));
    out.available = TrimZeros(FormatFixed(available, 2));

    double risk = 0;
    if (mode == ServerMode::Cooperation) {
        const float base = static_cast<float>(dynamic - Number(money.riskBase));
        if (base != 0) {
            risk = margin / base;
        }
    } else if (dynamic != 0) {
        risk = margin / dynamic;
    }
    out.risk = FormatFixed(risk * 100, 1) + "%";
    return out;
}

}  // namespace ft
