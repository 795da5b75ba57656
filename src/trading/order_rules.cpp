#include "trading/order_rules.h"

#include <limits>

#include "core/form_body.h"
#include "core/record_format.h"
#include "core/text.h"
#include "trading/number_input.h"

namespace ft {

std::atomic<int> LastOrderAccepted{0};

const char* TypeField(OpenClose openClose) {
    switch (openClose) {
        case OpenClose::Open:
            return "1";
        case OpenClose::CloseToday:
            return "2";
        case OpenClose::Close:
            break;
    }
    return "3";
}

const char* UpdownField(OrderSide side) {
    return side == OrderSide::Buy ? "1" : "2";
}

std::string WeituoBody(const std::string& userName, const OrderForm& form) {
    return FormBody()
        .Add("user_name", userName)
        .Add("code", form.code)
        .Add("type", TypeField(form.openClose))
        .Add("updown", UpdownField(form.side))
        .Add("num", form.lots)
        .Add("price", form.price)
        .Add("pricetype", form.followPrice ? "1" : "2")
        .Add("src", "tradedlg1")
        .Text();
}

std::string OrderConfirmationText(const OrderForm& form) {
    const char* openClose = form.openClose == OpenClose::Open         ? "开仓  "
                            : form.openClose == OpenClose::CloseToday ? "平今  "
                                                                      : "平仓  ";
    return Ansi("下单:") + Ansi(openClose) + Ansi(form.side == OrderSide::Buy ? "买  " : "卖  ") +
           form.code + "  " + form.lots + Ansi("手  于价格 ") + form.price;
}

LimitCheck CheckPriceLimits(const ProductTable& products, OpenClose type, std::string_view code,
                            OrderSide side, std::string_view price, std::string_view upper,
                            std::string_view lower, std::string_view priceLimitBuffer) {
    bool found = false;
    for (std::size_t i = 0; i < ProductTable::kCapacity; ++i) {
        const ProductRecord& row = products.rows[i];
        if (row.contractCode[0] == '\0') {
            return {false, {}};
        }
        if (FieldText(row.contractCode) == code) {
            found = true;
            break;
        }
    }
    if (!found) {
        return {true, {}};  // a full table without the contract: the back-end decides
    }
    const double p = ToDouble(price);
    const double up = ToDouble(upper);
    const double down = ToDouble(lower);
    if (side == OrderSide::Buy && p > up) {
        return {false, Ansi("报价超过涨停价,买入失败")};
    }
    if (side == OrderSide::Sell && p < down) {
        return {false, Ansi("报价超过涨停价,已跌停卖出失败")};
    }
    if (p > up || p < down) {
        return {false, Ansi("委托失败！价格不能超过该合约涨跌幅")};
    }
    if (type == OpenClose::Open) {
        const double margin = ToDouble(priceLimitBuffer);
        if (p > up - margin || p < down + margin) {
            return {false, Ansi("委托失败！价格不能超过该合约设定的上下幅度限制")};
        }
    }
    return {true, {}};
}

OrderOutcome RunOrder(const OrderForm& form, const OrderAccount& account, const OrderSteps& steps) {
    const char* missing = form.code.empty()                           ? "请输入合约"
                          : form.lots.empty() || ToInt(form.lots) < 1 ? "请输入手数"
                          : form.price.empty()                        ? "请输入价格"
                                                                      : nullptr;
    if (missing) {
        steps.notify(Ansi(missing));
        LastOrderAccepted = 0;
        return OrderOutcome::NotSent;
    }
    // Lots and price as the back-end will read them: "nan", "1e400" or "3500.." would pass
    // every comparison below, or be read as another number than the one sent.
    static const ProductTable kNoProducts{};
    const ProductTable& products = account.products ? *account.products : kNoProducts;
    for (const std::string& problem :
         {CheckNumber(NumberKind::Lots, form.lots, 0),
          CheckNumber(NumberKind::Price, form.price, TickDecimals(products, form.code))}) {
        if (!problem.empty()) {
            steps.notify(problem);
            LastOrderAccepted = 0;
            return OrderOutcome::NotSent;
        }
    }
    if (form.confirm && !steps.confirm(OrderConfirmationText(form))) {
        LastOrderAccepted = 0;
        return OrderOutcome::NotSent;
    }
    if (account.mode == ServerMode::IntradayFirstRound) {
        const LimitCheck check =
            CheckPriceLimits(products, form.openClose, form.code, form.side, form.price,
                             form.upperLimit, form.lowerLimit, account.priceLimitBuffer);
        if (!check.passed) {
            if (!check.message.empty()) {
                steps.notify(check.message);
            }
            steps.notify(Ansi("挂单价格超出合约的涨跌幅限制"));
            return OrderOutcome::NotSent;
        }
    }
    std::string answer;
    const PostResult sent = steps.post(WeituoBody(account.userName, form), answer);
    LastOrderAccepted = 0;
    if (sent.unknown()) {
        // Told "系统错误" the trader would send again and hold twice the position.
        steps.notify(
            Ansi("委托结果未知（交易服务器未应答），请核对委托列表；连接恢复后将自动刷新"));
        return OrderOutcome::Unknown;
    }
    if (sent.status == PostStatus::HttpError) {
        steps.notify(Ansi("系统错误（") + HttpStatusText(sent) + Ansi("），请核对委托列表"));
        steps.reloadTables();
        return OrderOutcome::Failed;
    }
    if (!sent.ok()) {
        steps.notify(Ansi("系统错误"));
        return OrderOutcome::Failed;
    }
    const auto fields = SplitView(",", answer);
    if (fields.size() < 2) {
        steps.notify(Ansi("委托结果未知（无法识别的应答），请核对委托列表；将自动刷新"));
        return OrderOutcome::NoVerdict;
    }
    if (fields[0] == "0") {
        LastOrderAccepted = 1;
        steps.reloadTables();
        return OrderOutcome::Accepted;
    }
    steps.notify(std::string(fields[1]));
    return OrderOutcome::Refused;
}

std::string OrderReconcileReport(const OrderTable& before, const OrderTable& after,
                                 const OrderForm& form) {
    auto known = [&before](std::string_view orderNo) {
        for (const OrderRecord& row : before.rows) {
            if (FieldText(row.orderNo) == orderNo) {
                return true;
            }
        }
        return false;
    };
    const std::string side = Ansi(form.side == OrderSide::Buy ? "买" : "卖");
    std::string found;
    for (const OrderRecord& row : after.rows) {
        const std::string_view orderNo = FieldText(row.orderNo);
        if (orderNo.empty() || FieldText(row.contractCode) != form.code ||
            Trim(FieldText(row.direction)) != side || known(orderNo)) {
            continue;
        }
        found += Ansi("，委托号 ") + std::string(orderNo) + " " + form.code + " " + side + " " +
                 std::string(FieldText(row.volume)) + Ansi("手 ") +
                 std::string(FieldText(row.status));
    }
    if (found.empty()) {
        return Ansi("委托结果已核对：委托列表中没有这笔委托（") + form.code + " " + side + " " +
               form.lots + Ansi("手），它未被受理");
    }
    return Ansi("委托结果已核对：这笔委托已被受理") + found;
}

std::optional<EntryQuote> ParseEntryQuote(std::string_view record, std::string_view code) {
    if (record.empty() || record.find(code) == std::string_view::npos) {
        return std::nullopt;
    }
    const auto fields = SplitView(",", record);
    if (fields.size() < 21) {
        return std::nullopt;
    }
    return EntryQuote{std::string(fields[18]), std::string(fields[20]), std::string(fields[16]),
                      std::string(fields[17])};
}

std::string NoLotsHint() {
    return Ansi("0手");
}

std::string OpenLotsHint(std::string_view funds, std::string_view price,
                         std::string_view multiplier, std::string_view margin) {
    const double p = ToDouble(price);
    const long long m = ToInt(multiplier);
    const double rate = ToDouble(margin);
    if (p == 0 || m == 0 || rate == 0) {
        return NoLotsHint();
    }
    const double lots = ToDouble(funds) * 100 / p / static_cast<double>(m) / rate;
    // Funds below zero open nothing; an absurd figure must not overflow the count.
    if (!(lots >= 1)) {
        return NoLotsHint();
    }
    const float narrowed = lots < std::numeric_limits<float>::max()
                               ? static_cast<float>(lots)
                               : std::numeric_limits<float>::max();
    const int shown =
        narrowed >= 2147483648.0f ? std::numeric_limits<int>::max() : static_cast<int>(narrowed);
    return Format("%d", shown) + Ansi("手");
}

namespace {

const std::string& ClosedDirection(OrderSide side) {
    static const std::string& shortSide = Ansi("卖");
    static const std::string& longSide = Ansi("买");
    return side == OrderSide::Buy ? shortSide : longSide;
}

}  // namespace

const HeldPosition* ClosedPosition(std::span<const HeldPosition> rows, std::string_view code,
                                   OrderSide side) {
    const std::string& direction = ClosedDirection(side);
    for (const HeldPosition& row : rows) {
        if (row.code == code && Trim(row.direction) == direction) {
            return &row;
        }
    }
    return nullptr;
}

const HeldPosition* ReversiblePosition(std::span<const HeldPosition> rows, std::string_view code,
                                       OrderSide side, std::string_view lots) {
    const std::string& direction = ClosedDirection(side);
    const long long wanted = ToInt(lots);
    for (const HeldPosition& row : rows) {
        if (row.code == code && Trim(row.direction) == direction && ToInt(row.closable) == wanted) {
            return &row;
        }
    }
    return nullptr;
}

std::optional<std::string> StepLots(std::string_view lots, bool up) {
    const long long n = ToInt(lots);
    if (up) {
        // The largest count stays where it is rather than wrapping to the most negative.
        return Format("%lld", n < std::numeric_limits<long long>::max() ? n + 1 : n);
    }
    if (n > 1) {
        return Format("%lld", n - 1);
    }
    return std::nullopt;
}

std::optional<std::string> StepPrice(const ProductTable& products, std::string_view code,
                                     std::string_view price, bool up) {
    if (code.size() < 2 && price.size() < 2) {
        return std::nullopt;
    }
    const ProductRecord* product = FindProduct(products, code);
    if (!product) {
        return std::nullopt;
    }
    const double tick = ToDouble(FieldText(product->tickSize));
    // At a price of 1 or below (an empty field too) the up arrow still adds a tick, so the
    // arrow always moves the price.
    const double next = ToDouble(price) + (up ? tick : -tick);
    return TrimZeros(FormatFixed(next, 2));
}

}  // namespace ft
