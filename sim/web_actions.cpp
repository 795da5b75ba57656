// The web API: one entry per action name, each turning a signed request into its answer.
#include <algorithm>
#include <map>
#include <string_view>

#include "backend.h"
#include "wire.h"

namespace fsim {
namespace {

using Action = std::string (*)(Backend&, Account&, const Form&);

std::string Clean(std::string text) {
    // Stored records use tabs and newlines; the answer format uses "," and "|".
    for (char& c : text) {
        if (c == '\t' || c == '\n' || c == '\r' || c == ',' || c == '|')
            c = ' ';
    }
    return text;
}

std::string Orders(Backend&, Account& a, const Form& form) {
    const std::string start = Get(form, "start");
    std::string out;
    for (const Order& o : a.orders) {
        if (o.time < start)
            continue;
        const double avg = o.filled ? o.fillValue / o.filled : 0;
        out += std::to_string(o.id) + "," + o.code + "," + kDirection[o.direction] + "," +
               kOpenClose[o.openClose] + "," + std::to_string(o.volume) + "," +
               std::to_string(o.state == OrderState::Cancelled ? 0 : o.volume - o.filled) + "," +
               Fixed(o.price, 3) + "," + o.time + "," + kState[static_cast<int>(o.state)] + "," +
               std::to_string(o.filled) + "," + Fixed(avg, 3) + "|";
    }
    return out;
}

std::string Trades(Backend&, Account& a, const Form& form) {
    const std::string start = Get(form, "start");
    std::string out;
    for (const Trade& t : a.trades) {
        if (t.time < start)
            continue;
        out += std::to_string(t.id) + "," + t.code + "," + kDirection[t.direction] + "," +
               kOpenClose[t.openClose] + "," + Fixed(t.price, 3) + "," + std::to_string(t.volume) +
               "," + t.time.substr(11) + "|";
    }
    return out;
}

std::string Positions(Backend& b, Account& a, const Form&) {
    const Ledger& ledger = b.ledger();
    std::string out;
    for (const Position& pos : a.positions) {
        const Product* p = b.market().Find(pos.code);
        if (!p)
            continue;
        const int lots = pos.today + pos.yesterday;
        out += pos.code + "," + kDirection[pos.direction] + "," + std::to_string(lots) + "," +
               std::to_string(pos.yesterday) + "," + std::to_string(pos.today) + "," +
               std::to_string(ledger.Closable(a, pos.code, pos.direction, false)) + "," +
               Fixed(pos.avgPrice, 3) + "," + Fixed(ledger.PositionProfit(pos), 2) + "," +
               Fixed(Margin(*p, pos.avgPrice, lots), 2) + "," + p->exchange + ",0,0," +
               std::to_string(pos.id) + "|";
    }
    return out;
}

std::string Money(Backend& b, Account& a, const Form&) {
    const Ledger& ledger = b.ledger();
    std::string out = Fixed(a.staticEquity, 2) + "," + Fixed(a.closeProfit, 2) + "," +
                      Fixed(ledger.Frozen(a), 2) + "," + Fixed(ledger.Available(a), 2) + "," +
                      Fixed(a.commission, 2) + "," + std::to_string(a.forcedCloses);
    out += "," + (b.mode() == 3 ? Fixed(a.riskBase, 2) : std::string());
    return out;
}

std::string CustomList(Backend&, Account& a, const Form&) {
    std::string out;
    for (const auto& [code, name] : a.custom)
        out.append(code).append(",").append(name).append("|");
    return out;
}

std::string SetCustomList(Backend& b, Account& a, const Form& form) {
    a.custom.clear();
    for (const std::string& record : Split(Get(form, "fs"), "|")) {
        const std::vector<std::string> f = Split(record, ",");
        if (f.size() >= 2 && !f[0].empty())
            a.custom.emplace_back(Clean(f[0]), Clean(f[1]));
    }
    b.ledger().Save(a);
    return "0,修改成功";
}

std::string PlaceOrder(Backend& b, Account& a, const Form& form) {
    if (!b.knobs.rejectNext.empty()) {
        std::string reason = b.knobs.rejectNext;
        b.knobs.rejectNext.clear();
        return "1," + reason;
    }
    return b.ledger().PlaceOrder(a, form, b.knobs.fillNext);
}

std::string FundsPassword(Backend& b, Account& a, const Form& form) {
    if (Get(form, "pwd") != a.fundPassword)
        return "1,资金密码错误";
    return Fixed(b.ledger().Available(a), 2);
}

std::string BankBalance(Backend&, Account& a, const Form& form) {
    if (Get(form, "pwd") != a.bankPassword)
        return "1,银行密码错误";
    return Fixed(a.bankBalance, 2);
}

std::string Transfers(Backend&, Account& a, const Form&) {
    std::string out;
    for (const Transfer& x : a.transfers)
        out += x.time + "," + TransferText(x.kind) + "," + Fixed(x.amount, 2) + ",成功|";
    return out;
}

// The actions of every other module.
const std::map<std::string_view, Action>& Actions() {
    static const std::map<std::string_view, Action> table = {
        {"getallproduct",
         [](Backend& b, Account&, const Form&) { return b.market().ProductList(); }},
        {"weituodetail", Orders},
        {"tradedetail", Trades},
        {"lcdetail", Positions},
        {"getusermoneyinfo", Money},
        {"getuserfutures", CustomList},
        {"setuserfs", SetCustomList},
        {"givemelastgonggao",
         [](Backend& b, Account&, const Form&) {
             return b.knobs.announcement.empty() ? std::string("0") : b.knobs.announcement;
         }},
        {"weituo", PlaceOrder},
        {"cancelweituo",
         [](Backend& b, Account& a, const Form& f) { return b.ledger().Cancel(a, Get(f, "id")); }},
        {"cancelallweituo",
         [](Backend& b, Account& a, const Form&) { return b.ledger().CancelAll(a); }},
        {"getuserdayjs", [](Backend& b, Account& a,
                            const Form& f) { return b.ledger().Statement(a, Get(f, "date")); }},
        {"getbzjwithcangetvalue",
         [](Backend& b, Account& a, const Form&) {
             return "0.00," + Fixed(std::max(0.0, b.ledger().Available(a)), 2) + "," + a.card;
         }},
        {"getmoney", FundsPassword},
        {"getbankmoney", BankBalance},
        {"futuresmoneytobankmoney",
         [](Backend& b, Account& a, const Form& f) {
             return b.ledger().MoveMoney(a, f, TransferKind::ToBank);
         }},
        {"qryinoutdetail", Transfers},
        {"submodipwd",
         [](Backend& b, Account& a, const Form& f) { return b.ledger().ChangePassword(a, f); }},
    };
    return table;
}

// The bank module's actions.
const std::map<std::string_view, Action>& BankActions() {
    static const std::map<std::string_view, Action> table = {
        {"tobankmoney",
         [](Backend& b, Account& a, const Form& f) {
             return b.ledger().MoveMoney(a, f, TransferKind::ToFutures);
         }},
    };
    return table;
}

}  // namespace

std::string RunWebAction(Backend& backend, const std::string& module, const std::string& action,
                         Account& a, const Form& form) {
    const bool bank = module == "Bank";
    const auto& table = bank ? BankActions() : Actions();
    const auto it = table.find(action);
    if (it == table.end())
        return bank ? "1,暂不支持该操作" : "1,未知的操作";
    return it->second(backend, a, form);
}

std::string LoginAnswer(Backend& backend, const Form& form) {
    const Account* a = backend.ledger().Find(Get(form, "user_name"));
    if (!a || Get(form, "user_pwd") != a->password) {
        return "1,用户名或密码错误";
    }
    const std::string& version = backend.knobs.version;
    return "0," + a->displayName + "," + version + ",update --from " + version + ",5," + a->bank +
           ",0,0," + a->user + "," + std::to_string(a->forcedCloses);
}

}  // namespace fsim
