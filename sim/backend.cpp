#include "backend.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <ctime>
#include <sstream>

#include "wire.h"

namespace fsim {
namespace {

const char* kDirection[] = {"", "买", "卖"};
const char* kOpenClose[] = {"", "开仓", "平今", "平仓"};
const char* kState[] = {"未成交", "部分成交", "全部成交", "已撤"};

std::string Clean(std::string text) {
    // Stored records use tabs and newlines; the answer format uses "," and "|".
    for (char& c : text) {
        if (c == '\t' || c == '\n' || c == '\r' || c == ',' || c == '|')
            c = ' ';
    }
    return text;
}

std::string Get(const std::map<std::string, std::string>& form, const char* name) {
    auto it = form.find(name);
    return it == form.end() ? std::string() : it->second;
}

double RoundToTick(double price, double tick) {
    return tick > 0 ? std::round(price / tick) * tick : price;
}

int Decimals(double tick) {
    int d = 0;
    while (d < 4 && std::fabs(tick * std::pow(10, d) - std::round(tick * std::pow(10, d))) > 1e-9) {
        ++d;
    }
    return d;
}

std::string Date(const std::tm& tm) {
    char buffer[16];
    std::strftime(buffer, sizeof buffer, "%Y-%m-%d", &tm);
    return buffer;
}

const char* TransferText(TransferKind kind) {
    return kind == TransferKind::ToFutures ? "银行转期货" : "期货转银行";
}

// The trading days before `day`, newest first.
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

Backend::Backend(int mode, sqlite3* db, bool seed, std::string version_, std::string announcement_,
                 unsigned rngSeed)
    : announcement(std::move(announcement_)),
      version(std::move(version_)),
      mode_(mode),
      db_(db),
      products_(DemoCatalogue()),
      rng_(rngSeed ? rngSeed + static_cast<unsigned>(mode)
                   : static_cast<unsigned>(
                         std::chrono::steady_clock::now().time_since_epoch().count()) +
                         static_cast<unsigned>(mode)) {
    for (const Product& p : products_) {
        Quote q;
        q.preSettlement = p.preSettlement;
        q.preClose = RoundToTick(p.preSettlement * 0.998, p.tick);
        q.last = q.open = q.high = q.low = RoundToTick(p.preSettlement, p.tick);
        q.limitUp = RoundToTick(p.preSettlement * 1.07, p.tick);
        q.limitDown = RoundToTick(p.preSettlement * 0.93, p.tick);
        q.bid = q.last - p.tick;
        q.ask = q.last + p.tick;
        q.bidVolume = 12;
        q.askVolume = 9;
        q.openInterest = 100000 + static_cast<long long>(rng_() % 50000);
        quotes_[p.code] = q;
    }
    sqlite3_exec(db_, "CREATE TABLE IF NOT EXISTS trading_days(mode INTEGER PRIMARY KEY, day TEXT)",
                 nullptr, nullptr, nullptr);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db_, "SELECT day FROM trading_days WHERE mode = ?", -1, &st, nullptr);
    sqlite3_bind_int(st, 1, mode_);
    if (sqlite3_step(st) == SQLITE_ROW) {
        const unsigned char* day = sqlite3_column_text(st, 0);
        tradingDay_ = day ? reinterpret_cast<const char*>(day) : "";
    }
    sqlite3_finalize(st);
    if (tradingDay_.empty()) {
        tradingDay_ = TradingDayOf(NowTime());
        SaveTradingDay();
    }
    Load();
    if (accounts_.empty() && seed) {
        Seed();
    }
    // The process may have been down over one or more roll-overs.
    RollOverIfDueLocked();
    if (announcement.empty()) {
        announcement = "欢迎使用演示账户。模拟行情每半秒变动一次，委托在行情触及价格时成交。";
    }
}

void Backend::Seed() {
    Account a;
    a.user = "demo";
    a.password = "demo";
    a.displayName = "演示账户";
    a.bank = "招商银行";
    a.card = "6225880212345678";
    a.fundPassword = "123456";
    a.bankPassword = "123456";
    a.staticEquity = 1000000;
    a.bankBalance = 200000;
    a.riskBase = mode_ == 3 ? 800000 : 0;
    SeedHistory(a);
    for (const char* code : {"rb2705", "hc2705", "cu2702", "au2706", "ag2706", "i2705", "m2705",
                             "MA705", "IF2701", "sc2702"}) {
        if (const Product* p = FindProduct(code))
            a.custom.emplace_back(p->code, p->name);
    }
    accounts_[a.user] = a;
    Save(accounts_[a.user]);
}

// Storage: one row per account holding its whole state, rewritten on every change.
void Backend::Save(const Account& a) {
    std::ostringstream out;
    out.precision(17);
    out << "A\t" << a.user << '\t' << a.password << '\t' << a.displayName << '\t' << a.bank << '\t'
        << a.card << '\t' << a.fundPassword << '\t' << a.bankPassword << '\t' << a.staticEquity
        << '\t' << a.closeProfit << '\t' << a.commission << '\t' << a.bankBalance << '\t'
        << a.riskBase << '\t' << a.forcedCloses << '\t' << a.inOut << '\n';
    for (const auto& [code, name] : a.custom)
        out << "C\t" << code << '\t' << name << '\n';
    for (const Order& o : a.orders) {
        out << "O\t" << o.id << '\t' << o.code << '\t' << o.direction << '\t' << o.openClose << '\t'
            << o.volume << '\t' << o.filled << '\t' << o.price << '\t' << o.fillValue << '\t'
            << o.time << '\t' << static_cast<int>(o.state) << '\t' << o.positionId << '\t' << o.day
            << '\n';
    }
    for (const Position& p : a.positions) {
        out << "P\t" << p.id << '\t' << p.code << '\t' << p.direction << '\t' << p.today << '\t'
            << p.yesterday << '\t' << p.avgPrice << '\n';
    }
    for (const Trade& t : a.trades) {
        out << "T\t" << t.id << '\t' << t.code << '\t' << t.direction << '\t' << t.openClose << '\t'
            << t.price << '\t' << t.volume << '\t' << t.time << '\t' << t.day << '\t' << t.fee
            << '\t' << t.closeProfit << '\n';
    }
    for (const Transfer& x : a.transfers) {
        out << "X\t" << x.id << '\t' << x.time << '\t' << x.day << '\t' << static_cast<int>(x.kind)
            << '\t' << x.amount << '\n';
    }
    for (const auto& [day, text] : a.statements)
        out << "S\t" << day << '\t' << text << '\n';
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db_,
                       "INSERT OR REPLACE INTO accounts(mode, user, data, next_id) "
                       "VALUES (?, ?, ?, ?)",
                       -1, &st, nullptr);
    const std::string data = out.str();
    sqlite3_bind_int(st, 1, mode_);
    sqlite3_bind_text(st, 2, a.user.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(st, 3, data.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_int64(st, 4, nextId_);
    sqlite3_step(st);
    sqlite3_finalize(st);
}

void Backend::Load() {
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db_, "SELECT data, next_id FROM accounts WHERE mode = ?", -1, &st, nullptr);
    sqlite3_bind_int(st, 1, mode_);
    while (sqlite3_step(st) == SQLITE_ROW) {
        const char* text = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
        nextId_ = std::max(nextId_, static_cast<long long>(sqlite3_column_int64(st, 1)));
        Account a;
        for (const std::string& line : Split(text ? text : "", "\n")) {
            const std::vector<std::string> f = Split(line, "\t");
            auto num = [&](std::size_t i) { return i < f.size() ? std::atof(f[i].c_str()) : 0.0; };
            auto str = [&](std::size_t i) { return i < f.size() ? f[i] : std::string(); };
            auto integer = [&](std::size_t i) { return static_cast<int>(num(i)); };
            if (f[0] == "A") {
                a.user = str(1), a.password = str(2), a.displayName = str(3), a.bank = str(4);
                a.card = str(5), a.fundPassword = str(6), a.bankPassword = str(7);
                a.staticEquity = num(8), a.closeProfit = num(9), a.commission = num(10);
                a.bankBalance = num(11), a.riskBase = num(12), a.forcedCloses = integer(13);
                a.inOut = num(14);
            } else if (f[0] == "C") {
                a.custom.emplace_back(str(1), str(2));
            } else if (f[0] == "O") {
                Order o;
                o.id = static_cast<long long>(num(1)), o.code = str(2), o.direction = integer(3);
                o.openClose = integer(4), o.volume = integer(5), o.filled = integer(6);
                o.price = num(7), o.fillValue = num(8), o.time = str(9);
                o.state = static_cast<OrderState>(std::clamp(integer(10), 0, 3));
                o.positionId = static_cast<long long>(num(11));
                o.day = f.size() > 12 ? str(12) : o.time.substr(0, 10);
                a.orders.push_back(o);
            } else if (f[0] == "P") {
                Position p;
                p.id = static_cast<long long>(num(1)), p.code = str(2), p.direction = integer(3);
                p.today = integer(4), p.yesterday = integer(5), p.avgPrice = num(6);
                a.positions.push_back(p);
            } else if (f[0] == "T") {
                Trade t;
                t.id = static_cast<long long>(num(1)), t.code = str(2), t.direction = integer(3);
                t.openClose = integer(4), t.price = num(5), t.volume = integer(6), t.time = str(7);
                t.day = str(8), t.fee = num(9), t.closeProfit = num(10);
                a.trades.push_back(t);
            } else if (f[0] == "X") {
                Transfer x;
                x.id = static_cast<long long>(num(1)), x.time = str(2), x.day = str(3);
                x.kind = integer(4) == 2 ? TransferKind::ToBank : TransferKind::ToFutures;
                x.amount = num(5);
                a.transfers.push_back(x);
            } else if (f[0] == "S") {
                a.statements[str(1)] = str(2);
            }
        }
        if (!a.user.empty())
            accounts_[a.user] = a;
    }
    sqlite3_finalize(st);
}

const Product* Backend::FindProduct(const std::string& code) const {
    for (const Product& p : products_) {
        if (p.code == code)
            return &p;
    }
    return nullptr;
}

std::time_t Backend::NowTime() const {
    return clockOverride ? clockOverride : std::time(nullptr);
}

std::string Backend::Now() const {
    const std::time_t t = NowTime();
    std::tm tm{};
    localtime_r(&t, &tm);
    char buffer[32];
    std::strftime(buffer, sizeof buffer, "%Y-%m-%d %H:%M:%S", &tm);
    return buffer;
}

double Backend::Margin(const Product& p, double price, int lots) const {
    return p.marginRate * price * p.multiplier * lots;
}

double Backend::Fee(const Product& p, double price, int lots) const {
    return p.commissionRate > 0 ? p.commissionRate * price * p.multiplier * lots
                                : p.commissionPerLot * lots;
}

double Backend::Frozen(const Account& a) const {
    double frozen = 0;
    for (const Order& o : a.orders) {
        if (o.openClose != 1 ||
            (o.state != OrderState::Working && o.state != OrderState::Partial)) {
            continue;
        }
        if (const Product* p = FindProduct(o.code)) {
            const int left = o.volume - o.filled;
            frozen += Margin(*p, o.price, left) + Fee(*p, o.price, left);
        }
    }
    return frozen;
}

// A position's profit at the last price (0 without its product or quote).
double Backend::PositionProfit(const Position& pos) const {
    const Product* p = FindProduct(pos.code);
    auto q = quotes_.find(pos.code);
    if (!p || q == quotes_.end())
        return 0;
    const int sign = pos.direction == 1 ? 1 : -1;
    return sign * (q->second.last - pos.avgPrice) * p->multiplier * (pos.today + pos.yesterday);
}

double Backend::FloatingProfit(const Account& a) const {
    double profit = 0;
    for (const Position& pos : a.positions)
        profit += PositionProfit(pos);
    return profit;
}

double Backend::PositionMargin(const Account& a) const {
    double margin = 0;
    for (const Position& pos : a.positions) {
        if (const Product* p = FindProduct(pos.code)) {
            margin += Margin(*p, pos.avgPrice, pos.today + pos.yesterday);
        }
    }
    return margin;
}

double Backend::Available(const Account& a) const {
    return a.staticEquity + a.closeProfit + FloatingProfit(a) - a.commission - PositionMargin(a) -
           Frozen(a);
}

int Backend::Closable(const Account& a, const std::string& code, int positionDirection,
                      bool todayOnly) const {
    int lots = 0;
    for (const Position& p : a.positions) {
        if (p.code == code && p.direction == positionDirection) {
            lots += todayOnly ? p.today : p.today + p.yesterday;
        }
    }
    // Lots already promised to working closing orders.
    const int closingDirection = positionDirection == 1 ? 2 : 1;
    for (const Order& o : a.orders) {
        if (o.code == code && o.direction == closingDirection && o.openClose != 1 &&
            (o.state == OrderState::Working || o.state == OrderState::Partial)) {
            lots -= o.volume - o.filled;
        }
    }
    return std::max(0, lots);
}

std::string Backend::Handle(const std::string& module, const std::string& action,
                            const std::map<std::string, std::string>& form) {
    RollOverIfDueLocked();
    if (module == "client" && action == "dologin2018") {
        return Login(form);
    }
    const std::string user = Get(form, "user_name");
    auto it = accounts_.find(user);
    if (it == accounts_.end()) {
        return "1,用户不存在";
    }
    Account& a = it->second;
    if (Get(form, "user_pwd") != a.password) {
        return "1,密码错误";
    }
    if (Get(form, "sign") != Md5Hex(user + a.password + kSigningText)) {
        return "1,签名错误";
    }
    // A body naming an account ("username=") must name the signed one.
    if (form.count("username") && Get(form, "username") != user) {
        return "1,用户名不符";
    }
    if (module == "Bank") {
        return action == "tobankmoney" ? MoveMoney(a, form, TransferKind::ToFutures)
                                       : "1,暂不支持该操作";
    }
    if (action == "getallproduct") {
        std::string out;
        for (const Product& p : products_) {
            out += p.variety + "," + p.code + "," + p.name + "," + p.exchange + "," +
                   std::to_string(p.multiplier) + "," + Fixed(p.tick, Decimals(p.tick)) + "," +
                   p.type + "," + p.lastDate + "," + Fixed(p.marginRate * 100, 2) + "," +
                   (p.commissionRate > 0 ? "万分之" + Fixed(p.commissionRate * 10000, 2)
                                         : Fixed(p.commissionPerLot, 2)) +
                   "|";
        }
        return out;
    }
    if (action == "weituodetail" || action == "tradedetail") {
        const std::string start = Get(form, "start");
        std::string out;
        if (action == "weituodetail") {
            for (const Order& o : a.orders) {
                if (o.time < start)
                    continue;
                const double avg = o.filled ? o.fillValue / o.filled : 0;
                out += std::to_string(o.id) + "," + o.code + "," + kDirection[o.direction] + "," +
                       kOpenClose[o.openClose] + "," + std::to_string(o.volume) + "," +
                       std::to_string(o.state == OrderState::Cancelled ? 0 : o.volume - o.filled) +
                       "," + Fixed(o.price, 3) + "," + o.time + "," +
                       kState[static_cast<int>(o.state)] + "," + std::to_string(o.filled) + "," +
                       Fixed(avg, 3) + "|";
            }
        } else {
            for (const Trade& t : a.trades) {
                if (t.time < start)
                    continue;
                out += std::to_string(t.id) + "," + t.code + "," + kDirection[t.direction] + "," +
                       kOpenClose[t.openClose] + "," + Fixed(t.price, 3) + "," +
                       std::to_string(t.volume) + "," + t.time.substr(11) + "|";
            }
        }
        return out;
    }
    if (action == "lcdetail") {
        std::string out;
        for (const Position& pos : a.positions) {
            const Product* p = FindProduct(pos.code);
            if (!p)
                continue;
            const int lots = pos.today + pos.yesterday;
            const double profit = PositionProfit(pos);
            out += pos.code + "," + kDirection[pos.direction] + "," + std::to_string(lots) + "," +
                   std::to_string(pos.yesterday) + "," + std::to_string(pos.today) + "," +
                   std::to_string(Closable(a, pos.code, pos.direction, false)) + "," +
                   Fixed(pos.avgPrice, 3) + "," + Fixed(profit, 2) + "," +
                   Fixed(Margin(*p, pos.avgPrice, lots), 2) + "," + p->exchange + ",0,0," +
                   std::to_string(pos.id) + "|";
        }
        return out;
    }
    if (action == "getusermoneyinfo") {
        std::string out = Fixed(a.staticEquity, 2) + "," + Fixed(a.closeProfit, 2) + "," +
                          Fixed(Frozen(a), 2) + "," + Fixed(Available(a), 2) + "," +
                          Fixed(a.commission, 2) + "," + std::to_string(a.forcedCloses);
        out += "," + (mode_ == 3 ? Fixed(a.riskBase, 2) : std::string());
        return out;
    }
    if (action == "getuserfutures") {
        std::string out;
        for (const auto& [code, name] : a.custom)
            out += code + "," + name + "|";
        return out;
    }
    if (action == "setuserfs") {
        a.custom.clear();
        for (const std::string& record : Split(Get(form, "fs"), "|")) {
            const std::vector<std::string> f = Split(record, ",");
            if (f.size() >= 2 && !f[0].empty())
                a.custom.emplace_back(Clean(f[0]), Clean(f[1]));
        }
        Save(a);
        return "0,修改成功";
    }
    if (action == "givemelastgonggao") {
        return announcement.empty() ? "0" : announcement;
    }
    if (action == "weituo") {
        return PlaceOrder(a, form);
    }
    if (action == "cancelweituo") {
        return Cancel(a, Get(form, "id"));
    }
    if (action == "cancelallweituo") {
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
    if (action == "getuserdayjs") {
        return Statement(a, Get(form, "date"));
    }
    if (action == "getbzjwithcangetvalue") {
        return "0.00," + Fixed(std::max(0.0, Available(a)), 2) + "," + a.card;
    }
    if (action == "getmoney") {
        if (Get(form, "pwd") != a.fundPassword)
            return "1,资金密码错误";
        return Fixed(Available(a), 2);
    }
    if (action == "getbankmoney") {
        if (Get(form, "pwd") != a.bankPassword)
            return "1,银行密码错误";
        return Fixed(a.bankBalance, 2);
    }
    if (action == "futuresmoneytobankmoney") {
        return MoveMoney(a, form, TransferKind::ToBank);
    }
    if (action == "qryinoutdetail") {
        std::string out;
        for (const Transfer& x : a.transfers) {
            out += x.time + "," + TransferText(x.kind) + "," + Fixed(x.amount, 2) + ",成功|";
        }
        return out;
    }
    if (action == "submodipwd") {
        return ChangePassword(a, form);
    }
    return "1,未知的操作";
}

std::string Backend::MoveMoney(Account& a, const std::map<std::string, std::string>& form,
                               TransferKind kind) {
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

std::string Backend::ChangePassword(Account& a, const std::map<std::string, std::string>& form) {
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

std::string Backend::Statement(const Account& a, const std::string& date) {
    if (date == tradingDay_)
        return LiveStatement(a);
    auto it = a.statements.find(date);
    return it == a.statements.end() ? "1,该日无结算单" : it->second;
}

// The getuserdayjs answer of the current trading day: summary ** transfers ** fills ** positions.
// The closing balance is the opening one plus transfers and close profit less fees; open
// positions' profit is shown beside it, counted from their average price.
std::string Backend::LiveStatement(const Account& a) const {
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
        const Product* p = FindProduct(t.code);
        const double turnover = t.price * t.volume * (p ? p->multiplier : 1);
        fills += t.day + "," + t.code + "," + kDirection[t.direction] + "," +
                 kOpenClose[t.openClose] + "," + Fixed(t.price, 2) + "," +
                 std::to_string(t.volume) + "," + Fixed(turnover, 2) + "," + Fixed(t.fee, 2) + "," +
                 Fixed(t.closeProfit, 2) + "," + t.time.substr(11) + "," + std::to_string(t.id) +
                 ",投机|";
    }
    double positionProfit = 0;
    for (const Position& pos : a.positions) {
        const Product* p = FindProduct(pos.code);
        auto q = quotes_.find(pos.code);
        if (!p || q == quotes_.end())
            continue;
        const int lots = pos.today + pos.yesterday;
        const double profit = PositionProfit(pos);
        positionProfit += profit;
        positions += tradingDay_ + "," + pos.code + "," + kDirection[pos.direction] + "," +
                     std::to_string(lots) + "," + Fixed(pos.avgPrice, 2) + "," +
                     Fixed(q->second.preSettlement, 2) + "," + Fixed(profit, 2) + "," +
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

void Backend::SaveTradingDay() {
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db_, "INSERT OR REPLACE INTO trading_days(mode, day) VALUES (?, ?)", -1, &st,
                       nullptr);
    sqlite3_bind_int(st, 1, mode_);
    sqlite3_bind_text(st, 2, tradingDay_.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_step(st);
    sqlite3_finalize(st);
}

// Settlement: each account's statement of the ending day is kept as it stands, the closing
// balance becomes the new static equity, today's lots become earlier lots, working orders
// expire, and the market opens the new day around the settlement (last) price.
void Backend::RollOverIfDueLocked() {
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
    for (const Product& p : products_) {
        Quote& q = quotes_[p.code];
        q.preSettlement = q.last;
        q.preClose = q.last;
        q.open = q.high = q.low = q.last;
        q.limitUp = RoundToTick(q.last * 1.07, p.tick);
        q.limitDown = RoundToTick(q.last * 0.93, p.tick);
        q.volume = 0;
        q.turnover = 0;
    }
    tradingDay_ = day;
    SaveTradingDay();
    for (auto& [user, a] : accounts_)
        Save(a);
}

// Demo history: the three trading days before today, with a deposit, a winning and a losing
// round trip, ending at the seeded funds.
void Backend::SeedHistory(Account& a) {
    const std::vector<std::string> days = PreviousTradingDays(tradingDay_, 3);  // newest first
    struct RoundTrip {
        const char* code;
        double open, close;
    };
    const RoundTrip trips[] = {{"rb2705", 3200, 3210}, {"cu2702", 78500, 78470}};
    struct Day {
        std::string transfers, fills;
        double inOut = 0, closeProfit = 0, fees = 0;
    };
    Day history[3];  // oldest first: the deposit, then one round trip of two lots a day
    for (int i = 0; i < 2; ++i) {
        const RoundTrip& trip = trips[i];
        const Product* p = FindProduct(trip.code);
        if (!p)
            continue;
        Day& d = history[i + 1];
        const std::string& day = days[static_cast<std::size_t>(1 - i)];
        for (int leg = 0; leg < 2; ++leg) {
            const double price = leg == 0 ? trip.open : trip.close;
            const double fee = Fee(*p, price, 2);
            const double profit = leg == 0 ? 0.0 : (trip.close - trip.open) * p->multiplier * 2;
            d.fees += fee;
            d.closeProfit += profit;
            d.fills += day + "," + trip.code + "," + (leg == 0 ? "买" : "卖") + "," +
                       (leg == 0 ? "开仓" : "平仓") + "," + Fixed(price, 2) + ",2," +
                       Fixed(price * p->multiplier * 2, 2) + "," + Fixed(fee, 2) + "," +
                       Fixed(profit, 2) + "," + (leg == 0 ? "09:31:02" : "14:12:45") + "," +
                       std::to_string(nextId_++) + ",投机|";
        }
    }
    // The deposit is chosen so that the last closing balance is the seeded funds.
    Day& first = history[0];
    first.inOut = a.staticEquity;
    for (const Day& d : history)
        first.inOut -= d.closeProfit - d.fees;
    first.transfers = days[2] + "," + Fixed(first.inOut, 2) + ",0.00," +
                      TransferText(TransferKind::ToFutures) + "|";
    Transfer x;
    x.id = nextId_++;
    x.time = days[2] + " 09:05:00";
    x.day = days[2];
    x.amount = first.inOut;
    a.transfers.push_back(x);

    double opening = 0;
    for (int i = 0; i < 3; ++i) {
        const Day& d = history[i];
        const std::string& day = days[static_cast<std::size_t>(2 - i)];
        const double closing = opening + d.inOut + d.closeProfit - d.fees;
        a.statements[day] = day + "," + a.displayName + "," + Fixed(opening, 2) + ",0.00," +
                            Fixed(d.inOut, 2) + "," + Fixed(closing, 2) + "," +
                            Fixed(d.closeProfit, 2) + "," + Fixed(d.fees, 2) + "**" + d.transfers +
                            "**" + d.fills + "**";
        opening = closing;
    }
}

std::string Backend::Login(const std::map<std::string, std::string>& form) {
    auto it = accounts_.find(Get(form, "user_name"));
    if (it == accounts_.end() || Get(form, "user_pwd") != it->second.password) {
        return "1,用户名或密码错误";
    }
    const Account& a = it->second;
    return "0," + a.displayName + "," + version + ",update --from " + version + ",5," + a.bank +
           ",0,0," + a.user + "," + std::to_string(a.forcedCloses);
}

std::string Backend::PlaceOrder(Account& a, const std::map<std::string, std::string>& form) {
    if (!rejectNext.empty()) {
        std::string reason = rejectNext;
        rejectNext.clear();
        return "1," + reason;
    }
    const Product* p = FindProduct(Get(form, "code"));
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
    const Quote& q = quotes_[p->code];
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
        const bool todayOnly = type == 2 && positionId == 0;
        if (Closable(a, p->code, positionDirection, todayOnly) < lots)
            return "1,可平仓数量不足";
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

std::string Backend::Cancel(Account& a, const std::string& id) {
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

void Backend::Fill(Account& a, Order& o, int lots, double price) {
    const Product* p = FindProduct(o.code);
    if (!p || lots <= 0)
        return;
    const int positionDirection = o.direction == 1 ? 2 : 1;
    // A close of any day (平仓, or one naming its position) takes earlier lots first, leaving
    // today's to 平今 orders.
    const bool anyDay = o.openClose == 3 || o.positionId != 0;
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
                held += pos.today + (anyDay ? pos.yesterday : 0);
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
            const int fromYesterday = anyDay ? std::min(left, pos.yesterday) : 0;
            pos.yesterday -= fromYesterday;
            const int fromToday = std::min(left - fromYesterday, pos.today);
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

void Backend::MatchAll() {
    for (auto& [user, a] : accounts_) {
        bool changed = false;
        for (Order& o : a.orders) {
            if (o.state != OrderState::Working && o.state != OrderState::Partial)
                continue;
            const Quote& q = quotes_[o.code];
            const bool reached = o.direction == 1 ? (q.ask > 0 && q.ask <= o.price)
                                                  : (q.bid > 0 && q.bid >= o.price);
            if (!reached)
                continue;
            const int left = o.volume - o.filled;
            // Larger orders may fill in parts, as the book's volume allows.
            const int lots =
                left > 1 ? 1 + static_cast<int>(rng_() % static_cast<unsigned>(left)) : left;
            Fill(a, o, lots, o.price);
            changed = true;
        }
        if (changed)
            Save(a);
    }
}

void Backend::SetQuoteLocked(const std::string& code, double last, double bid, double ask) {
    auto it = quotes_.find(code);
    if (it == quotes_.end())
        return;
    Quote& q = it->second;
    q.last = last;
    q.bid = bid;
    q.ask = ask;
    q.high = std::max(q.high, last);
    q.low = std::min(q.low, last);
    MatchAll();
}

void Backend::Walk() {
    RollOverIfDueLocked();
    if (randomWalk) {
        for (const Product& p : products_) {
            Quote& q = quotes_[p.code];
            const int step = static_cast<int>(rng_() % 5) - 2;
            const double last =
                std::clamp(RoundToTick(q.last + step * p.tick, p.tick), q.limitDown, q.limitUp);
            const long long traded = 1 + static_cast<long long>(rng_() % 40);
            q.last = last;
            q.bid = std::max(q.limitDown, last - p.tick);
            q.ask = std::min(q.limitUp, last + p.tick);
            q.bidVolume = 1 + static_cast<long long>(rng_() % 80);
            q.askVolume = 1 + static_cast<long long>(rng_() % 80);
            q.volume += traded;
            q.turnover += traded * last * p.multiplier;
            q.openInterest += static_cast<long long>(rng_() % 7) - 3;
            q.high = std::max(q.high, last);
            q.low = std::min(q.low, last);
        }
    }
    MatchAll();
}

std::string Backend::QuoteAnswer(const std::string& body) {
    const auto form = ParseForm(body);
    std::string out;
    for (const std::string& code : Split(Get(form, "codes"), ",")) {
        const Product* p = FindProduct(code);
        if (!p)
            continue;
        const Quote& q = quotes_[code];
        const int d = Decimals(p->tick);
        if (!out.empty())
            out += "**";
        out += Now().substr(0, 10) + "," + code + "," + code + "," + p->variety + "," +
               Fixed(q.last, d) + "," + Fixed(q.preSettlement, d) + "," + Fixed(q.preClose, d) +
               ",0," + Fixed(q.open, d) + "," + Fixed(q.high, d) + "," + Fixed(q.low, d) + "," +
               std::to_string(q.volume) + "," + Fixed(q.turnover, 0) + "," +
               std::to_string(q.openInterest) + ",0,0," + Fixed(q.limitUp, d) + "," +
               Fixed(q.limitDown, d) + "," + Fixed(q.bid, d) + "," + std::to_string(q.bidVolume) +
               "," + Fixed(q.ask, d) + "," + std::to_string(q.askVolume) + "," + Now().substr(11);
    }
    std::string flag = "0";
    auto it = accounts_.find(Get(form, "username"));
    if (it != accounts_.end() && it->second.refresh) {
        it->second.refresh = false;
        flag = "1";
    }
    return out + "||" + flag;
}

}  // namespace fsim
