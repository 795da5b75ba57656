#include "trading/number_input.h"

#include "core/text.h"

namespace ft {
namespace {

// Digits only, with at most one '.', and how many digits stand before and after it.
struct Shape {
    bool digitsOnly = true;
    bool dot = false;
    std::size_t whole = 0;
    std::size_t fraction = 0;
};

Shape ShapeOf(std::string_view text) {
    Shape s;
    for (char c : text) {
        if (c == '.' && !s.dot) {
            s.dot = true;
        } else if (c >= '0' && c <= '9') {
            ++(s.dot ? s.fraction : s.whole);
        } else {
            s.digitsOnly = false;
        }
    }
    return s;
}

// Prices of every contract fit in this many whole digits; more is a slip of the finger (and
// would lose digits in a double).
constexpr std::size_t kMaxWholeDigits = 9;

// The trader's input as a message quotes it: a pasted page quoted whole would make a box
// taller than the screen, its button out of reach.
std::string Quoted(std::string_view text) {
    constexpr std::size_t kQuotedBytes = 32;
    if (text.size() <= kQuotedBytes) {
        return std::string(text);
    }
    return std::string(text.substr(0, GbkFitLength(text, kQuotedBytes))) + Ansi("…");
}

}  // namespace

int TickDecimals(const ProductTable& products, std::string_view code) {
    for (std::size_t i = 0; i < ProductTable::kCapacity; ++i) {
        const ProductRecord& row = products.rows[i];
        if (row.contractCode[0] == '\0') {
            break;
        }
        if (FieldText(row.contractCode) != code) {
            continue;
        }
        const std::string_view tick = Trim(FieldText(row.tickSize));
        const Shape s = ShapeOf(tick);
        if (tick.empty() || !s.digitsOnly) {
            return kAnyTickDecimals;
        }
        // "0.50" ticks in halves: trailing zeros are not decimals of the tick.
        std::size_t decimals = s.fraction;
        while (decimals > 0 && tick[tick.size() - (s.fraction - decimals) - 1] == '0') {
            --decimals;
        }
        return static_cast<int>(decimals);
    }
    return kAnyTickDecimals;
}

bool NumberMayGrow(NumberKind kind, std::string_view text, int decimals) {
    const Shape s = ShapeOf(text);
    if (!s.digitsOnly || s.whole > kMaxWholeDigits) {
        return false;
    }
    if (kind == NumberKind::Lots) {
        return !s.dot && (text.empty() || ToInt(text) <= kMaxLots);
    }
    return s.fraction <= static_cast<std::size_t>(decimals < 0 ? 0 : decimals) &&
           !(s.dot && decimals <= 0);
}

std::string CheckNumber(NumberKind kind, std::string_view text, int decimals) {
    const Shape s = ShapeOf(text);
    const bool lots = kind == NumberKind::Lots;
    if (text.empty()) {
        return Ansi(lots ? "请输入手数" : "请输入价格");
    }
    if (!s.digitsOnly || s.whole == 0 || (s.dot && s.fraction == 0) || s.whole > kMaxWholeDigits) {
        return Ansi(lots ? "手数必须是正整数: " : "价格不是有效的数字: ") + Quoted(text);
    }
    if (lots) {
        if (s.dot) {
            return Ansi("手数必须是正整数: ") + Quoted(text);
        }
        const long long n = ToInt(text);
        if (n < 1 || n > kMaxLots) {
            return Ansi("手数必须在1到") + std::to_string(kMaxLots) + Ansi("之间: ") + Quoted(text);
        }
        return {};
    }
    if (s.fraction > static_cast<std::size_t>(decimals < 0 ? 0 : decimals)) {
        return Ansi("价格的小数位数超过最小变动价位(") + std::to_string(decimals) + Ansi("位): ") +
               Quoted(text);
    }
    if (!(ToDouble(text) > 0)) {
        return Ansi("价格必须大于0: ") + Quoted(text);
    }
    return {};
}

std::string CheckTransferAmount(std::string_view text) {
    if (text.empty()) {
        return Ansi("请输入转账金额");
    }
    const Shape s = ShapeOf(text);
    if (!s.digitsOnly || s.whole == 0 || (s.dot && s.fraction == 0) || s.fraction > 2 ||
        !(ToDouble(text) > 0)) {
        return Ansi("转账金额须是大于0的半角数字，最多两位小数: ") + Quoted(text);
    }
    if (s.whole > kMaxWholeDigits) {
        return Ansi("转账金额不能超过999999999.99: ") + Quoted(text);
    }
    return {};
}

}  // namespace ft
