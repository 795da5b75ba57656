#include "ledger.h"
#include "wire.h"

namespace fsim {
namespace {

// Demo history: the three trading days before today, with a deposit, a winning and a losing
// round trip, ending at the seeded funds.
void SeedHistory(Account& a, Ledger& ledger, const Market& market) {
    const std::vector<std::string> days =
        PreviousTradingDays(ledger.TradingDay(), 3);  // newest first
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
        const Product* p = market.Find(trip.code);
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
                       std::to_string(ledger.NextId()) + ",投机|";
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
    x.id = ledger.NextId();
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

}  // namespace

void SeedDemoAccount(Ledger& ledger, const Market& market, int mode, bool withPosition) {
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
    a.riskBase = mode == 3 ? 800000 : 0;
    SeedHistory(a, ledger, market);
    for (const char* code : {"rb2705", "hc2705", "cu2702", "au2706", "ag2706", "i2705", "m2705",
                             "MA705", "IF2701", "sc2702"}) {
        if (const Product* p = market.Find(code))
            a.custom.emplace_back(p->code, p->name);
    }
    if (withPosition && market.Find("rb2705")) {
        // Earlier lots and today's side by side, so that a close on 上期所 needs both
        // instructions.
        Position pos;
        pos.id = ledger.NextId();
        pos.code = "rb2705";
        pos.direction = 1;
        pos.yesterday = 3;
        pos.today = 2;
        pos.avgPrice = 3205;
        a.positions.push_back(pos);
    }
    ledger.Add(a);
}

}  // namespace fsim
