#include "backend.h"

#include "wire.h"

namespace fsim {

Backend::Backend(int mode, sqlite3* db, bool seed, bool seedPosition, std::string version,
                 std::string announcement, unsigned rngSeed)
    : mode_(mode),
      market_(DemoCatalogue(), rngSeed, mode),
      store_(db, mode),
      ledger_(market_, store_) {
    knobs.version = std::move(version);
    knobs.announcement = std::move(announcement);
    if (ledger_.Empty() && seed) {
        SeedDemoAccount(ledger_, market_, mode_, seedPosition);
    }
    // The process may have been down over one or more roll-overs.
    ledger_.RollOverIfDue();
    if (knobs.announcement.empty()) {
        knobs.announcement = "欢迎使用演示账户。模拟行情每半秒变动一次，委托在行情触及价格时成交。";
    }
}

std::string Backend::Handle(const std::string& module, const std::string& action,
                            const Form& form) {
    ledger_.RollOverIfDue();
    if (module == "client" && action == "dologin2018") {
        return LoginAnswer(*this, form);
    }
    const std::string user = Get(form, "user_name");
    Account* a = ledger_.Find(user);
    if (!a) {
        return "1,用户不存在";
    }
    if (Get(form, "user_pwd") != a->password) {
        return "1,密码错误";
    }
    if (Get(form, "sign") != Md5Hex(user + a->password + kSigningText)) {
        return "1,签名错误";
    }
    // A body naming an account ("username=") must name the signed one.
    if (form.count("username") && Get(form, "username") != user) {
        return "1,用户名不符";
    }
    return RunWebAction(*this, module, action, *a, form);
}

void Backend::SetQuote(const std::string& code, double last, double bid, double ask) {
    if (market_.Set(code, last, bid, ask))
        ledger_.MatchAll();
}

void Backend::SetClock(std::time_t t) {
    ledger_.clockOverride = t;
    ledger_.RollOverIfDue();
}

void Backend::Walk() {
    ledger_.RollOverIfDue();
    if (knobs.randomWalk)
        market_.Step();
    ledger_.MatchAll();
}

std::string Backend::QuoteAnswer(const std::string& body) {
    const Form form = ParseForm(body);
    const std::string out = market_.QuoteRecords(Get(form, "codes"), ledger_.Now());
    std::string flag = "0";
    Account* a = ledger_.Find(Get(form, "username"));
    if (a && a->refresh) {
        a->refresh = false;
        flag = "1";
    }
    return out + "||" + flag;
}

}  // namespace fsim
