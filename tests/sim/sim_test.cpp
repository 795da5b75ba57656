// The reference back-end driven over loopback: libcurl for the web API, raw sockets for quotes.
#include <arpa/inet.h>
#include <curl/curl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <openssl/evp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "simulator.h"

namespace {

const std::string kSigning = "Tz7#pq!!Lm@@x9&&wR$$k2^^Bn**c4%%Yd((e6))Hs++u8==";

std::string Md5(const std::string& text) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int n = 0;
    EVP_Digest(text.data(), text.size(), digest, &n, EVP_md5(), nullptr);
    std::string hex;
    char b[3];
    for (unsigned int i = 0; i < n; ++i) {
        std::snprintf(b, sizeof b, "%02x", digest[i]);
        hex += b;
    }
    return hex;
}

std::vector<std::string> Split(const std::string& text, const std::string& sep) {
    std::vector<std::string> parts;
    std::size_t start = 0, at;
    while ((at = text.find(sep, start)) != std::string::npos) {
        parts.push_back(text.substr(start, at - start));
        start = at + sep.size();
    }
    parts.push_back(text.substr(start));
    return parts;
}

size_t Collect(char* data, size_t size, size_t n, void* out) {
    static_cast<std::string*>(out)->append(data, size * n);
    return size * n;
}

class SimClient {
public:
    void Start(const std::string& db, bool seedPosition = false) {
        fsim::SimOptions options;
        options.seedPosition = seedPosition;
        options.webPorts = {0, 0, 0, 0};
        options.quotePorts = {0, 0, 0, 0};
        options.dbPath = db;
        options.randomWalk = false;
        options.rngSeed = 7;
        options.walkIntervalMs = 50;
        sim = std::make_unique<fsim::Simulator>(options);
        std::string error;
        ASSERT_TRUE(sim->Start(&error)) << error;
    }

    std::string Post(const std::string& action, const std::string& body, int mode = 0,
                     const std::string& module = "client") {
        std::string answer;
        EXPECT_EQ(TryPost(action, body, answer, mode, module), CURLE_OK);
        return answer;
    }
    CURLcode TryPost(const std::string& action, const std::string& body, std::string& answer,
                     int mode = 0, const std::string& module = "client") {
        CURL* curl = curl_easy_init();
        const std::string url = "http://127.0.0.1:" + std::to_string(sim->WebPort(mode)) +
                                "/index.php?m=" + module + "&a=" + action;
        curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
        curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body.c_str());
        curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, Collect);
        curl_easy_setopt(curl, CURLOPT_WRITEDATA, &answer);
        curl_easy_setopt(curl, CURLOPT_TIMEOUT, 10L);
        curl_easy_setopt(curl, CURLOPT_NOPROXY, "*");
        const CURLcode result = curl_easy_perform(curl);
        curl_easy_cleanup(curl);
        return result;
    }
    // An action of the demo account with the credentials and signature appended.
    std::string Act(const std::string& action, std::string body = "", int mode = 0,
                    const std::string& password = "demo", const std::string& module = "client") {
        std::string escaped;
        for (char c : password)
            escaped += c == '&' ? std::string("%26") : std::string(1, c);
        body += std::string(body.empty() ? "" : "&") + "user_name=demo&user_pwd=" + escaped +
                "&sign=" + Md5("demo" + password + kSigning);
        return Post(action, body, mode, module);
    }
    std::string Order(const std::string& code, int type, int updown, int lots,
                      const std::string& price) {
        return Act("weituo", "code=" + code + "&type=" + std::to_string(type) + "&updown=" +
                                 std::to_string(updown) + "&num=" + std::to_string(lots) +
                                 "&price=" + price + "&pricetype=2&src=tradedlg1");
    }
    // One quote request over a raw socket; returns the answer body.
    std::string Quotes(const std::string& codes, int mode = 0) {
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(static_cast<uint16_t>(sim->QuotePort(mode)));
        inet_pton(AF_INET, "127.0.0.1", &a.sin_addr);
        EXPECT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
        const std::string body = "codes=" + codes + "&username=demo&count=0";
        char header[33];
        std::snprintf(header, sizeof header, "%08zu%024d", body.size() + 32, 0);
        const std::string message = std::string(header, 32) + body;
        EXPECT_EQ(::send(fd, message.data(), message.size(), 0),
                  static_cast<ssize_t>(message.size()));
        std::string answer;
        char buffer[4096];
        std::size_t total = 0;
        while (total == 0 || answer.size() < total) {
            const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
            if (n <= 0)
                break;
            answer.append(buffer, static_cast<std::size_t>(n));
            if (total == 0 && answer.size() >= 8)
                total = std::stoul(answer.substr(0, 8));
        }
        ::close(fd);
        EXPECT_EQ(answer.size(), total);
        return answer.size() >= 32 ? answer.substr(32) : "";
    }
    std::unique_ptr<fsim::Simulator> sim;
};

class SimTest : public ::testing::Test, public SimClient {
protected:
    void SetUp() override { Start(":memory:"); }
    void TearDown() override { sim.reset(); }
};

TEST_F(SimTest, LoginAnswersTenFieldsAndRefusesWrongPasswords) {
    const auto ok =
        Split(Post("dologin2018", "user_name=demo&user_pwd=demo&pwd=demo&ver=20150906&yjm=x"), ",");
    ASSERT_EQ(ok.size(), 10u);
    EXPECT_EQ(ok[0], "0");
    EXPECT_EQ(ok[2], "20210426");
    EXPECT_EQ(ok[5], "招商银行");
    EXPECT_EQ(ok[8], "demo");
    EXPECT_EQ(Split(Post("dologin2018", "user_name=demo&user_pwd=bad"), ",")[0], "1");
    EXPECT_EQ(Split(Post("dologin2018", "user_name=nobody&user_pwd=demo"), ",")[0], "1");
    sim->control(1).SetVersion("20990101");
    EXPECT_EQ(Split(Post("dologin2018", "user_name=demo&user_pwd=demo", 1), ",")[2], "20990101");
}

TEST_F(SimTest, EveryOtherActionChecksPasswordAndSignature) {
    EXPECT_EQ(Split(Post("getallproduct", "user_name=demo&user_pwd=demo&sign=00"), ",")[0], "1");
    EXPECT_EQ(
        Split(Post("getallproduct", "user_name=demo&user_pwd=x&sign=" + Md5("demox" + kSigning)),
              ",")[0],
        "1");
    const auto products = Split(Act("getallproduct"), "|");
    EXPECT_GE(products.size(), 30u);
    EXPECT_EQ(Split(products[0], ",").size(), 10u);
    EXPECT_EQ(Act("nosuchaction").substr(0, 2), "1,");
    const auto money = Split(Act("getusermoneyinfo"), ",");
    ASSERT_EQ(money.size(), 7u);
    EXPECT_EQ(money[0], "1000000.00");
    EXPECT_EQ(money[6], "") << "the risk base is filled only in mode 3";
    EXPECT_NE(Split(Act("getusermoneyinfo", "", 3), ",")[6], "");
}

TEST_F(SimTest, CustomListIsDecodedLikePhpAndStored) {
    EXPECT_EQ(Split(Act("getuserfutures"), "|").size(), 11u) << "ten contracts and the last piece";
    // Escaped "&" and "+", a literal blank as "+", raw UTF-8.
    EXPECT_EQ(Act("setuserfs", "fs=rb2705,A%26B%2B+C|cu2702,沪铜|"), "0,修改成功");
    EXPECT_EQ(Act("getuserfutures"), "rb2705,A&B+ C|cu2702,沪铜|");
    EXPECT_EQ(Act("setuserfs", "fs="), "0,修改成功");
    EXPECT_EQ(Act("getuserfutures"), "");
}

TEST_F(SimTest, OrderLifeCycleRestFillCancel) {
    sim->control(0).SetQuote("rb2705", 3200, 3199, 3201);
    EXPECT_EQ(Order("rb2705", 1, 1, 2, "3190").substr(0, 2), "0,");
    auto orders = Split(Act("weituodetail", "start=2000-01-01 00:00:00"), "|");
    ASSERT_EQ(orders.size(), 2u);
    auto f = Split(orders[0], ",");
    ASSERT_EQ(f.size(), 11u);
    EXPECT_EQ(f[2], "买");
    EXPECT_EQ(f[3], "开仓");
    EXPECT_EQ(f[8], "未成交");
    EXPECT_NE(Split(Act("getusermoneyinfo"), ",")[2], "0.00") << "the working order freezes funds";

    // The market reaches the order: it fills and a position appears.
    sim->control(0).FillNextOrder();
    EXPECT_EQ(Order("rb2705", 1, 2, 1, "3210").substr(0, 2), "0,");  // a second, filled at once
    sim->control(0).SetQuote("rb2705", 3190, 3189, 3190);
    orders = Split(Act("weituodetail", "start=2000-01-01 00:00:00"), "|");
    EXPECT_NE(Split(orders[0], ",")[8], "未成交");
    const auto positions = Split(Act("lcdetail"), "|");
    ASSERT_GE(positions.size(), 2u);
    EXPECT_EQ(Split(positions[0], ",").size(), 13u);
    EXPECT_GE(Split(Act("tradedetail", "start=2000-01-01 00:00:00"), "|").size(), 3u);
    EXPECT_EQ(Act("tradedetail", "start=2999-01-01 00:00:00"), "") << "only fills after start";

    // Cancel one, cancel all.
    EXPECT_EQ(Order("cu2702", 1, 1, 1, "76000").substr(0, 2), "0,");
    EXPECT_EQ(Order("cu2702", 1, 1, 1, "76010").substr(0, 2), "0,");
    orders = Split(Act("weituodetail", "start=2000-01-01 00:00:00"), "|");
    const std::string id = Split(orders[orders.size() - 3], ",")[0];
    EXPECT_EQ(Act("cancelweituo", "id=" + id), "0,撤单成功");
    EXPECT_EQ(Act("cancelweituo", "id=" + id).substr(0, 2), "1,");
    EXPECT_EQ(Act("cancelallweituo").substr(0, 2), "0,");
    orders = Split(Act("weituodetail", "start=2000-01-01 00:00:00"), "|");
    EXPECT_EQ(Split(orders[orders.size() - 2], ",")[8], "已撤");
}

TEST_F(SimTest, CommissionIsPerLotOrARateOfTheTurnover) {
    std::string rb, cu, rbMargin, auMargin;
    for (const std::string& record : Split(Act("getallproduct"), "|")) {
        const auto f = Split(record, ",");
        if (f.size() == 10 && f[1] == "rb2705") {
            rb = f[9];
            rbMargin = f[8];
        }
        if (f.size() == 10 && f[1] == "cu2702")
            cu = f[9];
        if (f.size() == 10 && f[1] == "au2706")
            auMargin = f[8];
    }
    EXPECT_EQ(rb, "3.50");
    EXPECT_EQ(cu, "万分之0.50");
    // The margin rate in percent, as the order-entry panel's lots hint reads it.
    EXPECT_EQ(rbMargin, "10.00");
    EXPECT_EQ(auMargin, "12.00");
    sim->control(0).SetQuote("cu2702", 78650, 78640, 78660);
    sim->control(0).FillNextOrder();
    ASSERT_EQ(Order("rb2705", 1, 1, 1, "3215").substr(0, 2), "0,");
    sim->control(0).FillNextOrder();
    ASSERT_EQ(Order("cu2702", 1, 1, 1, "78650").substr(0, 2), "0,");
    // 3.50 + 0.00005 × 78650 × 5
    EXPECT_EQ(Split(Act("getusermoneyinfo"), ",")[4], "23.16");
}

TEST_F(SimTest, RefusalsCarryAReason) {
    EXPECT_EQ(Order("rb2705", 3, 2, 1, "3200"), "1,可平仓数量不足");
    EXPECT_EQ(Order("rb2705", 1, 1, 100000, "3200").substr(0, 2), "1,");
    EXPECT_EQ(Order("rb2705", 1, 1, 1, "abc"), "1,委托价格错误");
    EXPECT_EQ(Order("xx9999", 1, 1, 1, "1"), "1,合约不存在");
    EXPECT_EQ(Order("rb2705", 1, 1, 1, "99999"), "1,委托价格超出涨跌停板");
    sim->control(0).RejectNextOrder("风控拒绝");
    EXPECT_EQ(Order("rb2705", 1, 1, 1, "3200"), "1,风控拒绝");
}

TEST_F(SimTest, QuotesCarryTheCodeAtFieldOneAndTheRefreshFlagOnce) {
    const auto parts = Split(Quotes("rb2705,cu2702,nosuch"), "||");
    ASSERT_EQ(parts.size(), 2u);
    EXPECT_EQ(parts[1], "0");
    const auto records = Split(parts[0], "**");
    ASSERT_EQ(records.size(), 2u);
    const auto fields = Split(records[0], ",");
    EXPECT_GE(fields.size(), 22u);
    EXPECT_EQ(fields[1], "rb2705");
    EXPECT_GE(std::stod(fields[4]), std::stod(fields[17]));
    EXPECT_LE(std::stod(fields[4]), std::stod(fields[16]));

    sim->control(0).FillNextOrder();
    Order("rb2705", 1, 1, 1, "3215");
    EXPECT_EQ(Split(Quotes("rb2705"), "||")[1], "1");
    EXPECT_EQ(Split(Quotes("rb2705"), "||")[1], "0") << "delivered once";
    EXPECT_EQ(Split(Quotes("rb2705", 1), "||")[1], "0") << "modes are independent";
}

TEST_F(SimTest, TransfersBothWaysMoveFundsAndAreListed) {
    const auto start = Split(Act("getbzjwithcangetvalue"), ",");
    ASSERT_EQ(start.size(), 3u);
    EXPECT_EQ(start[1], "1000000.00");
    EXPECT_EQ(start[2], "6225880212345678");
    EXPECT_EQ(Act("getmoney", "username=demo&pwd=123456"), "1000000.00");
    EXPECT_EQ(Act("getmoney", "username=demo&pwd=000000"), "1,资金密码错误");
    EXPECT_EQ(Act("getbankmoney", "username=demo&pwd=123456"), "200000.00");
    EXPECT_EQ(Act("getmoney", "username=other&pwd=123456").substr(0, 2), "1,");

    EXPECT_EQ(Act("futuresmoneytobankmoney", "username=demo&money=1000.50&pwd=123456"), "0");
    EXPECT_EQ(Act("futuresmoneytobankmoney", "username=demo&money=9999999&pwd=123456"),
              "1,可转金额不足");
    for (const char* money : {"-5", "0.001", "nan", "1e309", ""}) {
        EXPECT_EQ(Act("futuresmoneytobankmoney",
                      std::string("username=demo&money=") + money + "&pwd=123456"),
                  "1,转账金额错误")
            << money;
    }
    EXPECT_EQ(Act("tobankmoney", "username=demo&money=300&pwd=123456&type=1", 0, "demo", "Bank"),
              "0");
    EXPECT_EQ(Act("tobankmoney", "username=demo&money=300&pwd=9&type=1", 0, "demo", "Bank"),
              "1,银行密码错误");
    EXPECT_EQ(Act("tobankmoney", "username=demo&money=900000&pwd=123456&type=1", 0, "demo", "Bank"),
              "1,银行余额不足");

    EXPECT_EQ(Act("getbankmoney", "username=demo&pwd=123456"), "200700.50");
    EXPECT_EQ(Split(Act("getusermoneyinfo"), ",")[0], "999299.50");
    const auto history = Split(Act("qryinoutdetail", "username=demo"), "|");
    ASSERT_EQ(history.size(), 4u) << "the seeded deposit, the two transfers, the last piece";
    const auto out = Split(history[1], ",");
    ASSERT_EQ(out.size(), 4u);
    EXPECT_EQ(out[1], "期货转银行");
    EXPECT_EQ(out[2], "1000.50");
    EXPECT_EQ(Split(history[2], ",")[1], "银行转期货");
    EXPECT_EQ(Split(Quotes("rb2705"), "||")[1], "1") << "funds changed";
}

TEST_F(SimTest, PasswordChangeTakesEffectAtOnce) {
    EXPECT_EQ(Act("submodipwd", "oldpwd=wrong&pwd=x"), "1,原密码错误");
    EXPECT_EQ(Act("submodipwd", "oldpwd=demo&pwd="), "1,新密码不能为空");
    // An escaped "&" in the new password arrives as one character.
    EXPECT_EQ(Act("submodipwd", "oldpwd=demo&pwd=n%26w"), "0,修改成功");
    EXPECT_EQ(Act("getusermoneyinfo"), "1,密码错误");
    EXPECT_EQ(Act("getusermoneyinfo", "", 0, "n&w").substr(0, 10), "1000000.00");
    EXPECT_EQ(Split(Post("dologin2018", "user_name=demo&user_pwd=n%26w"), ",")[0], "0");
    EXPECT_EQ(Split(Post("dologin2018", "user_name=demo&user_pwd=demo", 1), ",")[0], "0")
        << "each mode has its own account";
}

// Statement sections: summary ** transfers ** fills ** positions.
std::vector<std::vector<std::string>> Sections(const std::string& answer) {
    std::vector<std::vector<std::string>> out;
    for (const std::string& section : Split(answer, "**"))
        out.push_back(Split(section, "|"));
    return out;
}

TEST_F(SimTest, SeededStatementsEndAtTheSeededFunds) {
    // Three settled days before the current trading day; the last one closes at the funds.
    std::vector<std::string> days;
    const std::time_t now = std::time(nullptr);
    const std::string current = sim->control(0).TradingDay();
    for (int back = 0; back <= 10 && days.size() < 3; ++back) {
        std::tm tm{};
        const std::time_t t = now - std::time_t{back} * 86400;
        localtime_r(&t, &tm);
        char date[16];
        std::strftime(date, sizeof date, "%Y-%m-%d", &tm);
        const std::string answer = Act("getuserdayjs", std::string("user_name=demo&date=") + date);
        if (date != current && answer.substr(0, 2) != "1,")
            days.push_back(answer);
    }
    ASSERT_EQ(days.size(), 3u);
    const auto last = Sections(days[0]);
    ASSERT_EQ(last.size(), 4u);
    const auto summary = Split(last[0][0], ",");
    ASSERT_EQ(summary.size(), 8u);
    EXPECT_EQ(summary[5], "1000000.00");
    EXPECT_EQ(Split(last[2][0], ",").size(), 12u) << "a fill record";
    const auto first = Sections(days[2]);
    EXPECT_EQ(Split(first[1][0], ",").size(), 4u) << "the deposit";
    EXPECT_EQ(Act("getuserdayjs", "user_name=demo&date=1999-01-01"), "1,该日无结算单");
}

TEST_F(SimTest, TradingDayRollOverKeepsTheStatementAndCarriesTheBalance) {
    fsim::Control& control = sim->control(0);
    const std::string day = control.TradingDay();
    control.SetQuote("m2705", 2850, 2849, 2851);
    control.FillNextOrder();
    ASSERT_EQ(Order("m2705", 1, 1, 2, "2850").substr(0, 2), "0,");
    ASSERT_EQ(Order("m2705", 1, 1, 1, "2750").substr(0, 2), "0,");  // rests
    control.FillNextOrder();
    ASSERT_EQ(Order("m2705", 3, 2, 1, "2860").substr(0, 2), "0,");  // closes one at a profit
    ASSERT_EQ(Act("futuresmoneytobankmoney", "username=demo&money=500&pwd=123456"), "0");

    const std::string live = Act("getuserdayjs", "user_name=demo&date=" + day);
    const auto sections = Sections(live);
    ASSERT_EQ(sections.size(), 4u);
    const auto summary = Split(sections[0][0], ",");
    ASSERT_EQ(summary.size(), 8u);
    EXPECT_EQ(summary[0], day);
    EXPECT_EQ(summary[4], "-500.00");
    EXPECT_EQ(summary[6], "100.00") << "one lot of m2705 closed 10 above";
    EXPECT_EQ(sections[2].size(), 3u) << "two fills and the last piece";
    EXPECT_EQ(sections[3].size(), 2u) << "one position";
    const double closing = std::stod(summary[5]);
    EXPECT_DOUBLE_EQ(closing, std::stod(summary[2]) - 500 + 100 - std::stod(summary[7]));

    // A week later the day has been settled as it stood.
    control.SetClock(std::time(nullptr) + std::time_t{7} * 86400);
    EXPECT_NE(control.TradingDay(), day);
    EXPECT_EQ(Act("getuserdayjs", "user_name=demo&date=" + day), live);
    EXPECT_EQ(Split(Act("getusermoneyinfo"), ",")[0], summary[5]);
    const auto position = Split(Split(Act("lcdetail"), "|")[0], ",");
    ASSERT_GE(position.size(), 5u);
    EXPECT_EQ(position[3], "1") << "yesterday's lots";
    EXPECT_EQ(position[4], "0") << "today's lots";
    const auto orders = Split(Act("weituodetail", "start=2000-01-01 00:00:00"), "|");
    for (std::size_t i = 0; i + 1 < orders.size(); ++i) {
        EXPECT_NE(Split(orders[i], ",")[8], "未成交") << "working orders expire";
    }
    const auto next = Sections(Act("getuserdayjs", "user_name=demo&date=" + control.TradingDay()));
    EXPECT_EQ(Split(next[0][0], ",")[2], summary[5]) << "opening = previous closing";

    // Yesterday's lot: a 平今 from the order panel finds none, a close from the positions list
    // (type 2 at the market, naming the position) takes it.
    EXPECT_EQ(Order("m2705", 2, 2, 1, "2850"), "1,可平仓数量不足");
    const std::string close = "code=m2705&type=2&updown=2&num=1&price=2850&pricetype=3&src=lctrade";
    EXPECT_EQ(Act("weituo", close + "&dsid=999999"), "1,持仓不存在");
    control.FillNextOrder();
    EXPECT_EQ(Act("weituo", close + "&dsid=" + position[12]).substr(0, 2), "0,");
    EXPECT_EQ(Act("lcdetail"), "") << "the position is closed";
}

// A moment at 17:00 local time on a Monday to Thursday some weeks ahead.
std::time_t EveningAhead() {
    std::time_t t = std::time(nullptr) + std::time_t{21} * 86400;
    std::tm tm{};
    localtime_r(&t, &tm);
    while (tm.tm_wday < 1 || tm.tm_wday > 4) {
        t += 86400;
        localtime_r(&t, &tm);
    }
    tm.tm_hour = 17;
    tm.tm_min = 0;
    tm.tm_sec = 0;
    tm.tm_isdst = -1;
    return std::mktime(&tm);
}

TEST_F(SimTest, EveningOrdersBelongToTheNextTradingDay) {
    fsim::Control& control = sim->control(0);
    const std::time_t evening = EveningAhead();
    control.SetClock(evening);
    control.SetQuote("rb2705", 3200, 3199, 3201);
    ASSERT_EQ(Order("rb2705", 1, 1, 1, "3100").substr(0, 2), "0,");
    control.SetClock(evening + 86400);  // that trading day ends
    const auto orders = Split(Act("weituodetail", "start=2000-01-01 00:00:00"), "|");
    ASSERT_EQ(orders.size(), 2u) << "still listed with its day";
    EXPECT_EQ(Split(orders[0], ",")[8], "已撤") << "expired at the roll-over";
}

TEST_F(SimTest, CloseOfAnyDayTakesEarlierLotsFirst) {
    fsim::Control& control = sim->control(0);
    control.SetQuote("m2705", 2850, 2849, 2851);
    control.FillNextOrder();
    ASSERT_EQ(Order("m2705", 1, 1, 1, "2850").substr(0, 2), "0,");
    control.SetClock(EveningAhead());  // that lot is now an earlier one
    control.SetQuote("m2705", 2850, 2849, 2851);
    control.FillNextOrder();
    ASSERT_EQ(Order("m2705", 1, 1, 1, "2850").substr(0, 2), "0,");  // today's lot
    ASSERT_EQ(Order("m2705", 2, 2, 1, "2950").substr(0, 2), "0,");  // 平今 rests
    control.FillNextOrder();
    ASSERT_EQ(Order("m2705", 3, 2, 1, "2850").substr(0, 2), "0,");  // 平仓 fills at once
    auto position = Split(Split(Act("lcdetail"), "|")[0], ",");
    ASSERT_GE(position.size(), 5u);
    EXPECT_EQ(position[3], "0") << "the earlier lot went";
    EXPECT_EQ(position[4], "1") << "today's lot is left to the 平今";
    control.SetQuote("m2705", 2950, 2950, 2951);
    EXPECT_EQ(Act("lcdetail"), "") << "the 平今 closed today's lot";
    const auto trades = Split(Act("tradedetail", "start=2000-01-01 00:00:00"), "|");
    EXPECT_EQ(trades.size(), 5u) << "two opens, two closes and the last piece";
}

// On 上期所 平今 takes today's lots only and 平仓 earlier ones only, each refused with its reason
// beyond them; a position id narrows the close to that position without changing the day.
TEST_F(SimTest, ShanghaiClosesTodayAndEarlierLotsByTheirOwnInstruction) {
    fsim::Control& control = sim->control(0);
    control.SetQuote("rb2705", 3200, 3199, 3201);
    control.FillNextOrder();
    ASSERT_EQ(Order("rb2705", 1, 1, 3, "3200").substr(0, 2), "0,");
    control.SetClock(EveningAhead());  // those three are now earlier lots
    control.SetQuote("rb2705", 3200, 3199, 3201);
    control.FillNextOrder();
    ASSERT_EQ(Order("rb2705", 1, 1, 2, "3200").substr(0, 2), "0,");  // two of today

    EXPECT_EQ(Order("rb2705", 3, 2, 4, "3200"), "1,上期所平仓数量不足：昨仓可平3手，今仓请用平今");
    EXPECT_EQ(Order("rb2705", 2, 2, 3, "3200"), "1,上期所平今数量不足：今仓可平2手，昨仓请用平仓");
    EXPECT_EQ(Order("rb2705", 3, 2, 6, "3200"), "1,可平仓数量不足") << "more than is held";

    // A resting 平今 promises one of today's lots, not an earlier one.
    ASSERT_EQ(Order("rb2705", 2, 2, 1, "3300").substr(0, 2), "0,");
    EXPECT_EQ(Order("rb2705", 2, 2, 2, "3200").substr(0, 2), "1,");
    control.FillNextOrder();
    ASSERT_EQ(Order("rb2705", 3, 2, 3, "3200").substr(0, 2), "0,");
    auto position = Split(Split(Act("lcdetail"), "|")[0], ",");
    ASSERT_EQ(position.size(), 13u);
    EXPECT_EQ(position[3], "0") << "the 平仓 took the earlier lots";
    EXPECT_EQ(position[4], "2") << "and left today's";

    // Naming the position: 平仓 still finds no earlier lot, 平今 takes today's.
    const std::string named = "&pricetype=3&src=lctrade&dsid=" + position[12];
    EXPECT_EQ(Act("weituo", "code=rb2705&type=3&updown=2&num=1&price=3200" + named).substr(0, 2),
              "1,");
    control.FillNextOrder();
    EXPECT_EQ(Act("weituo", "code=rb2705&type=2&updown=2&num=1&price=3200" + named).substr(0, 2),
              "0,");
    position = Split(Split(Act("lcdetail"), "|")[0], ",");
    ASSERT_EQ(position.size(), 13u);
    EXPECT_EQ(position[4], "1");
    control.SetQuote("rb2705", 3300, 3300, 3301);  // the resting 平今 fills
    EXPECT_EQ(Act("lcdetail"), "");
    EXPECT_EQ(control.Forms("weituo").back().at("type"), "2");
}

// The demo of a standalone back-end holds a 上期所 position of earlier and today's lots, closed
// by 平今 then 平仓.
TEST(SimSeedTest, TheDemoPositionClosesByTodayThenEarlierLots) {
    SimClient client;
    client.Start(":memory:", /*seedPosition=*/true);
    const auto position = Split(Split(client.Act("lcdetail"), "|")[0], ",");
    ASSERT_EQ(position.size(), 13u);
    EXPECT_EQ(position[0], "rb2705");
    EXPECT_EQ(position[3], "3") << "earlier lots";
    EXPECT_EQ(position[4], "2") << "today's lots";
    EXPECT_EQ(position[9], "上期所");
    fsim::Control& control = client.sim->control(0);
    control.SetQuote("rb2705", 3200, 3199, 3201);
    control.FillNextOrder();
    EXPECT_EQ(client.Order("rb2705", 2, 2, 2, "3199").substr(0, 2), "0,");
    control.FillNextOrder();
    EXPECT_EQ(client.Order("rb2705", 3, 2, 3, "3199").substr(0, 2), "0,");
    EXPECT_EQ(client.Act("lcdetail"), "");
}

TEST_F(SimTest, ClosedWebPortRefusesUntilOpenedAgain) {
    sim->control(2).CloseWebConnections(true);
    std::string answer;
    EXPECT_NE(TryPost("getallproduct", "", answer, 2), CURLE_OK);
    EXPECT_EQ(Act("getuserfutures", "", 0).substr(0, 2), "rb") << "other modes keep serving";
    sim->control(2).CloseWebConnections(false);
    EXPECT_EQ(Act("getusermoneyinfo", "", 2).substr(0, 10), "1000000.00");
}

TEST(SimRestartTest, SameDatabaseKeepsOrdersPositionsAndFunds) {
    const auto db = std::filesystem::temp_directory_path() /
                    ("ft-sim-" + std::to_string(::getpid()) + ".sqlite");
    std::filesystem::remove(db);
    std::string before;
    {
        SimClient t;
        t.Start(db.string());
        t.sim->control(0).FillNextOrder();
        EXPECT_EQ(t.Order("rb2705", 1, 1, 3, "3215").substr(0, 2), "0,");
        before = t.Act("lcdetail");
        EXPECT_NE(before, "");
        EXPECT_EQ(t.Act("futuresmoneytobankmoney", "username=demo&money=100&pwd=123456"), "0");
        EXPECT_EQ(t.Act("submodipwd", "oldpwd=demo&pwd=demo2", 1), "0,修改成功");
    }
    {
        SimClient t;
        t.Start(db.string());
        EXPECT_EQ(Split(t.Act("lcdetail"), ",")[2], Split(before, ",")[2]);
        EXPECT_EQ(Split(t.Act("weituodetail", "start=2000-01-01 00:00:00"), "|").size(), 2u);
        EXPECT_NE(Split(t.Act("getusermoneyinfo"), ",")[4], "0.00") << "commission kept";
        EXPECT_EQ(Split(t.Act("qryinoutdetail", "username=demo"), "|").size(), 3u);
        EXPECT_EQ(t.Act("getbankmoney", "username=demo&pwd=123456"), "200100.00");
        EXPECT_EQ(t.Act("getusermoneyinfo", "", 1, "demo2").substr(0, 2), "10") << "new password";
    }
    std::filesystem::remove(db);
    std::filesystem::remove(db.string() + "-wal");
    std::filesystem::remove(db.string() + "-shm");
}

TEST(SimStartTest, ATakenPortFailsCleanly) {
    fsim::SimOptions first;
    first.webPorts = {0, 0, 0, 0};
    first.quotePorts = {0, 0, 0, 0};
    fsim::Simulator a(first);
    ASSERT_TRUE(a.Start(nullptr));
    fsim::SimOptions second = first;
    second.quotePorts[2] = a.QuotePort(2);
    fsim::Simulator b(second);
    std::string error;
    EXPECT_FALSE(b.Start(&error));
    EXPECT_NE(error.find(std::to_string(a.QuotePort(2))), std::string::npos) << error;
}

// The ports bound before the failing one are given back.
TEST(SimStartTest, AFailedStartReleasesThePortsItBound) {
    auto freePort = [] {
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        inet_pton(AF_INET, "127.0.0.1", &a.sin_addr);
        EXPECT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
        socklen_t len = sizeof a;
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
        ::close(fd);
        return static_cast<int>(ntohs(a.sin_port));
    };
    fsim::SimOptions blocker;
    blocker.webPorts = {0, 0, 0, 0};
    blocker.quotePorts = {0, 0, 0, 0};
    fsim::Simulator a(blocker);
    ASSERT_TRUE(a.Start(nullptr));
    fsim::SimOptions options = blocker;
    options.webPorts = {freePort(), 0, 0, 0};
    options.quotePorts[1] = a.QuotePort(1);
    {
        fsim::Simulator b(options);
        EXPECT_FALSE(b.Start(nullptr));
        // Nothing may still accept on the web port it had bound.
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in at{};
        at.sin_family = AF_INET;
        at.sin_port = htons(static_cast<uint16_t>(options.webPorts[0]));
        inet_pton(AF_INET, "127.0.0.1", &at.sin_addr);
        EXPECT_NE(::connect(fd, reinterpret_cast<sockaddr*>(&at), sizeof at), 0);
        ::close(fd);
    }
    options.quotePorts[1] = 0;
    fsim::Simulator c(options);
    std::string error;
    EXPECT_TRUE(c.Start(&error)) << error;
}

}  // namespace
