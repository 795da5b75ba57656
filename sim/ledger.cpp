#include "ledger.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "wire.h"

namespace fsim {
namespace {

// 上期所 closes today's and earlier lots by separate instructions: 平今 (type 2) today's only,
// 平仓 (type 3) earlier ones only. Elsewhere 平仓 closes lots of any day.
bool ClosesByDay(const Product& p) {
    return p.exchange == "上期所";
}

std::string Date(const std::tm& tm) {
    char buffer[16];
    std::strftime(buffer, sizeof buffer, "%Y-%m-%d", &tm);
    return buffer;
}

}  // namespace

std::string TradingDayOf(std::time_t t) {
    std::tm tm{};
    localtime_r(&t, &tm);
    if (tm.tm_hour * 60 + tm.tm_min >= 16 * 60 + 40)
        ++tm.tm_mday;
    tm.tm_hour = 12;  // away from any DST edge
    tm.tm_isdst = -1;
    std::mktime(&tm);
    while (tm.tm_wday == 0 || tm.tm_wday == 6) {
        ++tm.tm_mday;
        std::mktime(&tm);
    }
    return Date(tm);
}

std::vector<std::string> PreviousTradingDays(const std::string& day, int count) {
    std::tm tm{};
    tm.tm_year = std::atoi(day.substr(0, 4).c_str()) - 1900;
    tm.tm_mon = std::atoi(day.substr(5, 2).c_str()) - 1;
    tm.tm_mday = std::atoi(day.substr(8, 2).c_str());
    tm.tm_hour = 12;
    tm.tm_isdst = -1;
    std::vector<std::string> days;
    while (static_cast<int>(days.size()) < count) {
        --tm.tm_mday;
        std::mktime(&tm);
        if (tm.tm_wday != 0 && tm.tm_wday != 6)
            days.push_back(Date(tm));
    }
    return days;
}

Ledger::Ledger(Market& market, Store& store) : market_(market), store_(store) {
    tradingDay_ = store_.LoadTradingDay();
    if (tradingDay_.empty()) {
        tradingDay_ = TradingDayOf(NowTime());
        store_.SaveTradingDay(tradingDay_);
    }
    accounts_ = store_.LoadAccounts(nextId_);
}

Account* Ledger::Find(const std::string& user) {
    auto it = accounts_.find(user);
    return it == accounts_.end() ? nullptr : &it->second;
}

void Ledger::Add(const Account& account) {
    accounts_[account.user] = account;
    Save(accounts_[account.user]);
}

std::time_t Ledger::NowTime() const {
    return clockOverride ? clockOverride : std::time(nullptr);
}

std::string Ledger::Now() const {
    const std::time_t t = NowTime();
    std::tm tm{};
    localtime_r(&t, &tm);
    char buffer[32];
    std::strftime(buffer, sizeof buffer, "%Y-%m-%d %H:%M:%S", &tm);
    return buffer;
}

double Ledger::Frozen(const Account& a) const {
    double frozen = 0;
    for (const Order& o : a.orders) {
        if (o.openClose != 1 ||
            (o.state != OrderState::Working && o.state != OrderState::Partial)) {
            continue;
        }
        if (const Product* p = market_.Find(o.code)) {
            const int left = o.volume - o.filled;
            frozen += Margin(*p, o.price, left) + Fee(*p, o.price, left);
        }
    }
    return frozen;
}

// A position's profit at the last price (0 without its product or quote).
double Ledger::PositionProfit(const Position& pos) const {
    const Product* p = market_.Find(pos.code);
    const Quote* q = market_.FindQuote(pos.code);
    if (!p || !q)
        return 0;
    const int sign = pos.direction == 1 ? 1 : -1;
    return sign * (q->last - pos.avgPrice) * p->multiplier * (pos.today + pos.yesterday);
}

double Ledger::FloatingProfit(const Account& a) const {
    double profit = 0;
    for (const Position& pos : a.positions)
        profit += PositionProfit(pos);
    return profit;
}

double Ledger::PositionMargin(const Account& a) const {
    double margin = 0;
    for (const Position& pos : a.positions) {
        if (const Product* p = market_.Find(pos.code)) {
            margin += Margin(*p, pos.avgPrice, pos.today + pos.yesterday);
        }
    }
    return margin;
}

double Ledger::Available(const Account& a) const {
    return a.staticEquity + a.closeProfit + FloatingProfit(a) - a.commission - PositionMargin(a) -
           Frozen(a);
}

int Ledger::Closable(const Account& a, const std::string& code, int positionDirection,
                     bool todayOnly) const {
    return Closable(a, code, positionDirection, todayOnly ? CloseDay::Today : CloseDay::Any);
}

int Ledger::Closable(const Account& a, const std::string& code, int positionDirection,
                     CloseDay day) const {
    int lots = 0;
    for (const Position& p : a.positions) {
        if (p.code == code && p.direction == positionDirection) {
            lots += day == CloseDay::Today       ? p.today
                    : day == CloseDay::Yesterday ? p.yesterday
                                                 : p.today + p.yesterday;
        }
    }
    // Lots already promised to working closing orders; where the day matters, only to those
    // that take lots of the same day.
    const int closingDirection = positionDirection == 1 ? 2 : 1;
    const Product* product = market_.Find(code);
    const bool byDay = product && ClosesByDay(*product) && day != CloseDay::Any;
    for (const Order& o : a.orders) {
        if (o.code == code && o.direction == closingDirection && o.openClose != 1 &&
            (!byDay || (o.openClose == 2) == (day == CloseDay::Today)) &&
            (o.state == OrderState::Working || o.state == OrderState::Partial)) {
            lots -= o.volume - o.filled;
        }
    }
    return std::max(0, lots);
}

std::string Ledger::PlaceOrder(Account& a, const Form& form, bool& fillNext) {
    const Product* p = market_.Find(Get(form, "code"));
    if (!p)
        return "1,合约不存在";
    long long type = 0, updown = 0, lots = 0, priceType = 0;
    double price = 0;
    if (!ParseInt(Get(form, "type"), type) || type < 1 || type > 3)
        return "1,开平标志错误";
    if (!ParseInt(Get(form, "updown"), updown) || updown < 1 || updown > 2)
        return "1,买卖方向错误";
    if (!ParseInt(Get(form, "num"), lots) || lots <= 0 || lots > 1000)
        return "1,委托数量错误";
    ParseInt(Get(form, "pricetype"), priceType);
    const Quote& q = market_.QuoteOf(p->code);
    if (priceType == 3) {
        price = updown == 1 ? q.ask : q.bid;
    } else if (!ParseNumber(Get(form, "price"), price) || price <= 0) {
        return "1,委托价格错误";
    }
    if (price > q.limitUp + 1e-9 || price < q.limitDown - 1e-9)
        return "1,委托价格超出涨跌停板";
    if (type == 1) {
        const double need =
            Margin(*p, price, static_cast<int>(lots)) + Fee(*p, price, static_cast<int>(lots));
        if (need > Available(a))
            return "1,可用资金不足";
    }
    long long positionId = 0;
    const std::string dsid = Get(form, "dsid");
    if (type != 1 && !dsid.empty()) {
        const int positionDirection = updown == 1 ? 2 : 1;
        auto named = std::find_if(a.positions.begin(), a.positions.end(), [&](const Position& x) {
            return std::to_string(x.id) == dsid && x.code == p->code &&
                   x.direction == positionDirection;
        });
        if (named == a.positions.end())
            return "1,持仓不存在";
        positionId = named->id;
    }
    if (type != 1) {
        const int positionDirection = updown == 1 ? 2 : 1;
        if (ClosesByDay(*p)) {
            // A position id narrows the close to that position; the type still says the day.
            if (Closable(a, p->code, positionDirection, CloseDay::Any) < lots)
                return "1,可平仓数量不足";
            const CloseDay day = type == 2 ? CloseDay::Today : CloseDay::Yesterday;
            const int closable = Closable(a, p->code, positionDirection, day);
            if (closable < lots) {
                return type == 2 ? "1,上期所平今数量不足：今仓可平" + std::to_string(closable) +
                                       "手，昨仓请用平仓"
                                 : "1,上期所平仓数量不足：昨仓可平" + std::to_string(closable) +
                                       "手，今仓请用平今";
            }
        } else {
            const bool todayOnly = type == 2 && positionId == 0;
            if (Closable(a, p->code, positionDirection, todayOnly) < lots)
                return "1,可平仓数量不足";
        }
    }
    Order o;
    o.id = nextId_++;
    o.code = p->code;
    o.direction = static_cast<int>(updown);
    o.openClose = static_cast<int>(type);
    o.volume = static_cast<int>(lots);
    o.price = RoundToTick(price, p->tick);
    o.time = Now();
    o.positionId = positionId;
    o.day = tradingDay_;
    a.orders.push_back(o);
    Order& placed = a.orders.back();
    if (fillNext) {
        fillNext = false;
        Fill(a, placed, placed.volume, placed.price);
    } else {
        // A marketable order fills at once at the book.
        if (placed.direction == 1 && q.ask > 0 && q.ask <= placed.price) {
            Fill(a, placed, placed.volume, q.ask);
        } else if (placed.direction == 2 && q.bid > 0 && q.bid >= placed.price) {
            Fill(a, placed, placed.volume, q.bid);
        }
    }
    a.refresh = true;
    Save(a);
    return "0,委托成功," + std::to_string(placed.id);
}

std::string Ledger::Cancel(Account& a, const std::string& id) {
    for (Order& o : a.orders) {
        if (std::to_string(o.id) != id)
            continue;
        if (o.state != OrderState::Working && o.state != OrderState::Partial) {
            return "1,该委托不可撤销";
        }
        o.state = OrderState::Cancelled;
        a.refresh = true;
        Save(a);
        return "0,撤单成功";
    }
    return "1,委托不存在";
}

void Ledger::Fill(Account& a, Order& o, int lots, double price) {
    const Product* p = market_.Find(o.code);
    if (!p || lots <= 0)
        return;
    const int positionDirection = o.direction == 1 ? 2 : 1;
    // A close of any day (平仓, or one naming its position) takes earlier lots first, leaving
    // today's to 平今 orders; on 上期所 the type alone says which day's lots go.
    const bool byDay = ClosesByDay(*p);
    const bool takesYesterday = byDay ? o.openClose == 3 : o.openClose == 3 || o.positionId != 0;
    const bool takesToday = !byDay || o.openClose == 2;
    auto closes = [&](const Position& pos) {
        return pos.code == o.code && pos.direction == positionDirection &&
               (o.positionId == 0 || pos.id == o.positionId);
    };
    // Another close may have taken the lots since this one was accepted: fill only what is
    // still held and cancel the rest.
    bool cancelRest = false;
    if (o.openClose != 1) {
        int held = 0;
        for (const Position& pos : a.positions) {
            if (closes(pos))
                held += (takesToday ? pos.today : 0) + (takesYesterday ? pos.yesterday : 0);
        }
        if (held < lots) {
            lots = held;
            cancelRest = true;
        }
    }
    if (lots == 0) {
        o.state = OrderState::Cancelled;
        a.refresh = true;
        return;
    }
    o.filled += lots;
    o.fillValue += price * lots;
    o.state = o.filled >= o.volume ? OrderState::Filled
              : cancelRest         ? OrderState::Cancelled
                                   : OrderState::Partial;
    a.commission += Fee(*p, price, lots);
    Trade t;
    t.id = nextId_++;
    t.code = o.code;
    t.direction = o.direction;
    t.openClose = o.openClose;
    t.price = price;
    t.volume = lots;
    t.time = Now();
    t.day = tradingDay_;
    t.fee = Fee(*p, price, lots);
    if (o.openClose == 1) {
        auto it = std::find_if(a.positions.begin(), a.positions.end(), [&](const Position& x) {
            return x.code == o.code && x.direction == o.direction;
        });
        if (it == a.positions.end()) {
            Position pos;
            pos.id = nextId_++;
            pos.code = o.code;
            pos.direction = o.direction;
            a.positions.push_back(pos);
            it = a.positions.end() - 1;
        }
        const int held = it->today + it->yesterday;
        it->avgPrice = (it->avgPrice * held + price * lots) / (held + lots);
        it->today += lots;
    } else {
        int left = lots;
        for (Position& pos : a.positions) {
            if (!closes(pos) || left == 0)
                continue;
            const int sign = positionDirection == 1 ? 1 : -1;
            const int fromYesterday = takesYesterday ? std::min(left, pos.yesterday) : 0;
            pos.yesterday -= fromYesterday;
            const int fromToday = takesToday ? std::min(left - fromYesterday, pos.today) : 0;
            pos.today -= fromToday;
            const int closed = fromToday + fromYesterday;
            t.closeProfit += sign * (price - pos.avgPrice) * p->multiplier * closed;
            left -= closed;
        }
        a.closeProfit += t.closeProfit;
        std::erase_if(a.positions, [](const Position& x) { return x.today + x.yesterday == 0; });
    }
    a.trades.push_back(t);
    a.refresh = true;
}

void Ledger::MatchAll() {
    for (auto& [user, a] : accounts_) {
        bool changed = false;
        for (Order& o : a.orders) {
            if (o.state != OrderState::Working && o.state != OrderState::Partial)
                continue;
            const Quote& q = market_.QuoteOf(o.code);
            const bool reached = o.direction == 1 ? (q.ask > 0 && q.ask <= o.price)
                                                  : (q.bid > 0 && q.bid >= o.price);
            if (!reached)
                continue;
            const int left = o.volume - o.filled;
            // Larger orders may fill in parts, as the book's volume allows.
            const int lots =
                left > 1 ? 1 + static_cast<int>(market_.rng()() % static_cast<unsigned>(left))
                         : left;
            Fill(a, o, lots, o.price);
            changed = true;
        }
        if (changed)
            Save(a);
    }
}

std::string Ledger::MoveMoney(Account& a, const Form& form, TransferKind kind) {
    double amount = 0;
    if (!ParseNumber(Get(form, "money"), amount) || amount > 1e12)
        return "1,转账金额错误";
    amount = std::round(amount * 100) / 100;  // whole fen
    if (!(amount >= 0.01))
        return "1,转账金额错误";
    if (kind == TransferKind::ToFutures) {
        if (Get(form, "type") != "1")
            return "1,转账类型错误";
        if (Get(form, "pwd") != a.bankPassword)
            return "1,银行密码错误";
        if (amount > a.bankBalance + 1e-9)
            return "1,银行余额不足";
        a.bankBalance -= amount;
        a.staticEquity += amount;
        a.inOut += amount;
    } else {
        if (Get(form, "pwd") != a.fundPassword)
            return "1,资金密码错误";
        if (amount > Available(a) + 1e-9)
            return "1,可转金额不足";
        a.bankBalance += amount;
        a.staticEquity -= amount;
        a.inOut -= amount;
    }
    Transfer x;
    x.id = nextId_++;
    x.time = Now();
    x.day = tradingDay_;
    x.kind = kind;
    x.amount = amount;
    a.transfers.push_back(x);
    a.refresh = true;
    Save(a);
    return "0";
}

std::string Ledger::ChangePassword(Account& a, const Form& form) {
    const std::string old = Get(form, "oldpwd");
    const std::string fresh = Get(form, "pwd");
    if (old != a.password)
        return "1,原密码错误";
    if (fresh.empty())
        return "1,新密码不能为空";
    if (fresh.size() > 64)
        return "1,新密码过长";
    for (unsigned char c : fresh) {
        if (c < 0x20 || c == 0x7f)
            return "1,新密码含有非法字符";
    }
    a.password = fresh;
    Save(a);
    return "0,修改成功";
}

std::string Ledger::Statement(const Account& a, const std::string& date) {
    if (date == tradingDay_)
        return LiveStatement(a);
    auto it = a.statements.find(date);
    return it == a.statements.end() ? "1,该日无结算单" : it->second;
}

// The getuserdayjs answer of the current trading day: summary ** transfers ** fills ** positions.
// The closing balance is the opening one plus transfers and close profit less fees; open
// positions' profit is shown beside it, counted from their average price.
std::string Ledger::LiveStatement(const Account& a) const {
    std::string transfers, fills, positions;
    for (const Transfer& x : a.transfers) {
        if (x.day != tradingDay_)
            continue;
        const double signedAmount = x.kind == TransferKind::ToFutures ? x.amount : -x.amount;
        transfers += x.time.substr(0, 10) + "," + Fixed(signedAmount, 2) + ",0.00," +
                     TransferText(x.kind) + "|";
    }
    double fees = 0, closeProfit = 0;
    for (const Trade& t : a.trades) {
        if (t.day != tradingDay_)
            continue;
        fees += t.fee;
        closeProfit += t.closeProfit;
        const Product* p = market_.Find(t.code);
        const double turnover = t.price * t.volume * (p ? p->multiplier : 1);
        fills += t.day + "," + t.code + "," + kDirection[t.direction] + "," +
                 kOpenClose[t.openClose] + "," + Fixed(t.price, 2) + "," +
                 std::to_string(t.volume) + "," + Fixed(turnover, 2) + "," + Fixed(t.fee, 2) + "," +
                 Fixed(t.closeProfit, 2) + "," + t.time.substr(11) + "," + std::to_string(t.id) +
                 ",投机|";
    }
    double positionProfit = 0;
    for (const Position& pos : a.positions) {
        const Product* p = market_.Find(pos.code);
        const Quote* q = market_.FindQuote(pos.code);
        if (!p || !q)
            continue;
        const int lots = pos.today + pos.yesterday;
        const double profit = PositionProfit(pos);
        positionProfit += profit;
        positions += tradingDay_ + "," + pos.code + "," + kDirection[pos.direction] + "," +
                     std::to_string(lots) + "," + Fixed(pos.avgPrice, 2) + "," +
                     Fixed(q->preSettlement, 2) + "," + Fixed(profit, 2) + "," +
                     Fixed(Margin(*p, pos.avgPrice, lots), 2) + "," + std::to_string(pos.id) +
                     ",投机|";
    }
    const double opening = a.staticEquity - a.inOut;
    const double closing = opening + a.inOut + closeProfit - fees;
    const std::string summary = tradingDay_ + "," + a.displayName + "," + Fixed(opening, 2) + "," +
                                Fixed(positionProfit, 2) + "," + Fixed(a.inOut, 2) + "," +
                                Fixed(closing, 2) + "," + Fixed(closeProfit, 2) + "," +
                                Fixed(fees, 2);
    return summary + "**" + transfers + "**" + fills + "**" + positions;
}

// Settlement: each account's statement of the ending day is kept as it stands, the closing
// balance becomes the new static equity, today's lots become earlier lots, working orders
// expire, and the market opens the new day around the settlement (last) price.
void Ledger::RollOverIfDue() {
    const std::string day = TradingDayOf(NowTime());
    if (day <= tradingDay_)
        return;
    for (auto& [user, a] : accounts_) {
        a.statements[tradingDay_] = LiveStatement(a);
        double closeProfit = 0, fees = 0;
        for (const Trade& t : a.trades) {
            if (t.day == tradingDay_)
                closeProfit += t.closeProfit, fees += t.fee;
        }
        a.staticEquity += closeProfit - fees;
        a.inOut = 0;
        a.closeProfit = 0;
        a.commission = 0;
        for (Position& pos : a.positions) {
            pos.yesterday += pos.today;
            pos.today = 0;
        }
        for (Order& o : a.orders) {
            if (o.state == OrderState::Working || o.state == OrderState::Partial)
                o.state = OrderState::Cancelled;
        }
        // Only the ending day's orders and fills stay listed; older ones live in statements.
        std::erase_if(a.orders, [&](const Order& o) { return o.day < tradingDay_; });
        std::erase_if(a.trades, [&](const Trade& t) { return t.day < tradingDay_; });
        a.refresh = true;
    }
    market_.OpenDay();
    tradingDay_ = day;
    store_.SaveTradingDay(tradingDay_);
    for (auto& [user, a] : accounts_)
        Save(a);
}

std::string Ledger::CancelAll(Account& a) {
    int n = 0;
    for (Order& o : a.orders) {
        if (o.state == OrderState::Working || o.state == OrderState::Partial) {
            o.state = OrderState::Cancelled;
            ++n;
        }
    }
    a.refresh = a.refresh || n > 0;
    Save(a);
    return "0,已撤销" + std::to_string(n) + "笔委托";
}

}  // namespace fsim
