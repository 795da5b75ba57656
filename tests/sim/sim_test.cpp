// The reference back-end driven over loopback: libcurl for the web API, raw sockets for quotes.
#include <arpa/inet.h>
#include <curl/curl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <openssl/evp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
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
    void Start(const std::string& db) {
        fsim::SimOptions options;
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
        CURL* curl = curl_easy_init();
        std::string answer;
        const std::string url = "http://127.0.0.1:" + std::to_string(sim->WebPort(mode)) +
                                "/index.php?m=" + module + "&a=" + action;
        curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
        curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body.c_str());
        curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, Collect);
        curl_easy_setopt(curl, CURLOPT_WRITEDATA, &answer);
        curl_easy_setopt(curl, CURLOPT_TIMEOUT, 10L);
        curl_easy_setopt(curl, CURLOPT_NOPROXY, "*");
        EXPECT_EQ(curl_easy_perform(curl), CURLE_OK);
        curl_easy_cleanup(curl);
        return answer;
    }
    // An action of the demo account with the credentials and signature appended.
    std::string Act(const std::string& action, std::string body = "", int mode = 0) {
        body += std::string(body.empty() ? "" : "&") +
                "user_name=demo&user_pwd=demo&sign=" + Md5("demo" + std::string("demo") + kSigning);
        return Post(action, body, mode);
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
    }
    {
        SimClient t;
        t.Start(db.string());
        EXPECT_EQ(Split(t.Act("lcdetail"), ",")[2], Split(before, ",")[2]);
        EXPECT_EQ(Split(t.Act("weituodetail", "start=2000-01-01 00:00:00"), "|").size(), 2u);
        EXPECT_NE(Split(t.Act("getusermoneyinfo"), ",")[4], "0.00") << "commission kept";
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

}  // namespace
