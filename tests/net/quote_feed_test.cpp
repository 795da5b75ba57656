#include "net/quote_feed.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <memory>

#include "core/text.h"
#include "net/fake_quote_server.h"

namespace ft {
namespace {

using namespace std::chrono_literals;
using test::FakeQuoteServer;
using test::QuoteReply;
using Clock = std::chrono::steady_clock;

long long MsSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

std::string CountOf(const std::string& body) {
    return body.substr(body.rfind("count=") + 6);
}

class QuoteFeedTest : public ::testing::Test {
protected:
    void SetUp() override {
        LoginFields login;
        login.userName = "trader01";
        login.serverMode = ServerMode::SecondRound;
        session.SetLogin(login);
        // Only the profile of the session's mode points at the server.
        for (auto& profile : session.profiles) {
            profile.quoteHost = "127.0.0.1";
            profile.quotePort = "1";
        }
        PointAt(server.port());
    }

    void PointAt(int port) { session.profiles[2].quotePort = std::to_string(port); }

    static QuoteTimings Fast() {
        QuoteTimings t;
        t.connectWait = 1000ms;
        t.receiveWait = 500ms;
        t.retryPause = 100ms;
        t.pollPause = 20ms;
        t.idlePause = 20ms;
        return t;
    }

    std::unique_ptr<QuoteFeed> MakeFeed(QuoteTimings timings = Fast()) {
        return std::make_unique<QuoteFeed>(
            session, quotes, [this] { ++reloads; }, timings);
    }

    FakeQuoteServer server;
    SessionState session;
    QuoteBook quotes;
    std::atomic<int> reloads{0};
};

TEST(QuoteRequestFormat, HeaderLayoutAndBody) {
    const std::string message = QuoteFeed::BuildRequest("IF2406,rb2410", "u1", 3, 4321, 987);
    const std::string body = "codes=IF2406,rb2410&username=u1&count=3";
    EXPECT_EQ(message, Format("%08d", static_cast<int>(32 + body.size())) + "00000002" +
                           "00004321" + "00000987" + body);

    // Only the first 16 characters of pid and tick are sent; the tick is a 32-bit "%d".
    EXPECT_EQ(QuoteFeed::BuildRequest("A", "u", 0, 123456789, 5).substr(16, 16),
              "1234567890000000");
    EXPECT_EQ(QuoteFeed::BuildRequest("A", "u", 0, 42, 0x1FFFFFFFFull).substr(16, 16),
              "00000042-0000001");
}

TEST_F(QuoteFeedTest, SendsHeaderAndBodyAndKeepsPartZero) {
    server.SetDefault(QuoteReply::Answer("a,IF2406,1**b,rb2410,2||0"));
    auto feed = MakeFeed();
    // Not connected yet: the send fails, reconnects and sends again.
    ASSERT_TRUE(feed->QuoteRequest("IF2406,rb2410"));

    auto seen = server.Requests();
    ASSERT_EQ(seen.size(), 1u);
    const std::string body = "codes=IF2406,rb2410&username=trader01&count=0";
    EXPECT_EQ(seen[0].body, body);
    EXPECT_EQ(seen[0].header.substr(0, 8), Format("%08d", static_cast<int>(32 + body.size())));
    EXPECT_EQ(seen[0].header.substr(8, 8), "00000002");
    EXPECT_EQ(seen[0].header.substr(16, 8), Format("%08d", static_cast<int>(::getpid())));
    EXPECT_EQ(quotes.QuoteText(), "a,IF2406,1**b,rb2410,2");
    EXPECT_EQ(feed->connection().port(), server.port());
    EXPECT_EQ(reloads, 0);
}

TEST_F(QuoteFeedTest, LongRequestsAndAnswersGoWhole) {
    // Far beyond the 1024-byte request and 6144-byte answer buffers of old.
    std::string codes;
    for (int i = 0; i < 400; ++i) {
        codes += (i ? "," : "") + Format("c%05d", i);
    }
    std::string records;
    for (int i = 0; i < 2000; ++i) {
        records += (i ? "**" : "") + Format("x,c%05d,1,2,3,4,5,6,7,8,9,10,11", i);
    }
    // The body ends at the first zero byte: nothing after it is read, not even a flag.
    server.SetDefault(QuoteReply::Answer(records + std::string(1, '\0') + "junk||1"));
    auto feed = MakeFeed();
    ASSERT_TRUE(feed->QuoteRequest(codes));

    auto seen = server.Requests();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].body, "codes=" + codes + "&username=trader01&count=0");
    EXPECT_EQ(quotes.QuoteText(), records);
    EXPECT_EQ(reloads, 0);
}

TEST_F(QuoteFeedTest, RefreshEchoCountsDownAfterAFlag) {
    server.Script({QuoteReply::Answer("q||0"), QuoteReply::Answer("q||1")});
    server.SetDefault(QuoteReply::Answer("q||0"));
    auto feed = MakeFeed();
    for (int i = 0; i < 9; ++i) {
        ASSERT_TRUE(feed->QuoteRequest("IF2406"));
    }
    std::vector<std::string> counts;
    for (const auto& r : server.Requests()) {
        counts.push_back(CountOf(r.body));
    }
    EXPECT_EQ(counts, (std::vector<std::string>{"0", "0", "5", "4", "3", "2", "1", "0", "0"}));
    EXPECT_EQ(reloads, 1);
    EXPECT_EQ(feed->RefreshEcho(), 0u);
}

TEST_F(QuoteFeedTest, AFlagWithinASecondOfAReloadIsIgnored) {
    server.SetDefault(QuoteReply::Answer("q||1"));
    auto feed = MakeFeed();
    const auto start = Clock::now();
    ASSERT_TRUE(feed->QuoteRequest("IF2406"));
    EXPECT_EQ(reloads, 1);

    std::this_thread::sleep_until(start + 500ms);
    ASSERT_TRUE(feed->QuoteRequest("IF2406"));
    EXPECT_EQ(reloads, 1);
    EXPECT_EQ(feed->RefreshEcho(), 4u);  // not set back to 5 by the ignored flag

    std::this_thread::sleep_until(start + 1100ms);
    ASSERT_TRUE(feed->QuoteRequest("IF2406"));
    EXPECT_EQ(reloads, 2);
    EXPECT_EQ(feed->RefreshEcho(), 5u);
}

TEST_F(QuoteFeedTest, OnlyAnExactOneAfterTheSeparatorIsAFlag) {
    struct Case {
        const char* body;
        bool reload;
        const char* quoteText;
    };
    const Case cases[] = {
        {"r1**r2||1", true, "r1**r2"}, {"r1||1||more", true, "r1"}, {"||1", true, ""},
        {"r1||0", false, "r1"},        {"r1||10", false, "r1"},     {"r1|| 1", false, "r1"},
        {"r1||1 ", false, "r1"},       {"r1|1", false, "r1|1"},     {"", false, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.body);
        server.Script({QuoteReply::Answer(c.body)});
        reloads = 0;
        auto feed = MakeFeed();  // fresh: no reload yet
        ASSERT_TRUE(feed->QuoteRequest("IF2406"));
        EXPECT_EQ(reloads == 1, c.reload);
        EXPECT_EQ(quotes.QuoteText(), c.quoteText);
    }
}

TEST_F(QuoteFeedTest, ReconnectsAtOnceWhenTheServerCloses) {
    server.Script(
        {QuoteReply::Answer("one||0"), QuoteReply::Close(), QuoteReply::Answer("two||0")});
    auto feed = MakeFeed(QuoteTimings{});  // real 3 s wait: a spin or a wait would show
    ASSERT_TRUE(feed->QuoteRequest("IF2406"));

    const auto start = Clock::now();
    EXPECT_FALSE(feed->QuoteRequest("IF2406"));
    EXPECT_LT(MsSince(start), 1000);
    EXPECT_EQ(quotes.QuoteText(), "one");
    EXPECT_TRUE(server.WaitForConnections(2, 1s));  // reconnected before returning

    ASSERT_TRUE(feed->QuoteRequest("IF2406"));
    EXPECT_EQ(quotes.QuoteText(), "two");
    EXPECT_EQ(server.Requests().back().connection, 1);
}

TEST_F(QuoteFeedTest, RecoversWhenAnIdleConnectionIsClosed) {
    server.SetDefault(QuoteReply::Answer("one||0"));
    auto feed = MakeFeed();
    ASSERT_TRUE(feed->QuoteRequest("IF2406"));
    server.CloseConnections();

    // The first send may still be accepted by the dead socket; within two polls the feed is
    // answered on a new connection.
    server.SetDefault(QuoteReply::Answer("two||0"));
    bool answered = feed->QuoteRequest("IF2406") || feed->QuoteRequest("IF2406");
    EXPECT_TRUE(answered);
    EXPECT_EQ(quotes.QuoteText(), "two");
    EXPECT_EQ(server.Requests().back().connection, 1);
}

TEST_F(QuoteFeedTest, SilenceOverThreeSecondsDropsTheConnection) {
    server.Script(
        {QuoteReply::Answer("one||0"), QuoteReply::Silent(), QuoteReply::Answer("two||0")});
    auto feed = MakeFeed(QuoteTimings{});
    ASSERT_TRUE(feed->QuoteRequest("IF2406"));

    const auto start = Clock::now();
    EXPECT_FALSE(feed->QuoteRequest("IF2406"));
    const auto waited = MsSince(start);
    EXPECT_GE(waited, 2900);
    EXPECT_LT(waited, 4500);
    EXPECT_EQ(quotes.QuoteText(), "one");
    EXPECT_TRUE(server.WaitForConnections(2, 1s));  // reconnected before returning

    ASSERT_TRUE(feed->QuoteRequest("IF2406"));
    EXPECT_EQ(quotes.QuoteText(), "two");
}

TEST_F(QuoteFeedTest, BrokenAnswersDropTheConnectionAndKeepTheQuotes) {
    const std::string pad(24, '0');
    struct Case {
        const char* name;
        QuoteReply reply;
        bool accepted;
        const char* quoteText;
    };
    const Case cases[] = {
        {"length not a number", QuoteReply::Raw("abcdefgh" + pad + "x||1"), false, "keep"},
        {"negative length", QuoteReply::Raw("-0000036" + pad + "x||1"), false, "keep"},
        {"length below header", QuoteReply::Raw("00000010" + pad), false, "keep"},
        {"length above bound", QuoteReply::Raw("01048577" + pad + "x||1"), false, "keep"},
        {"closed mid-body", QuoteReply::Raw(QuoteReply::Frame("abcdef||1").substr(0, 36), true),
         false, "keep"},
        {"silent mid-body", QuoteReply::Raw(QuoteReply::Frame("abcdef||1").substr(0, 36)), false,
         "keep"},
        {"closed mid-header", QuoteReply::Raw("0000", true), false, "keep"},
        // Decimal conversion: trailing non-digits after the number are tolerated.
        {"length with trailing text", QuoteReply::Raw("36abcdef" + pad + "x||1"), true, "x"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        server.Script({QuoteReply::Answer("keep||0"), c.reply, QuoteReply::Answer("next||0")});
        reloads = 0;
        auto feed = MakeFeed();
        ASSERT_TRUE(feed->QuoteRequest("IF2406"));
        const int connection = server.Requests().back().connection;

        EXPECT_EQ(feed->QuoteRequest("IF2406"), c.accepted);
        EXPECT_EQ(quotes.QuoteText(), c.quoteText);
        EXPECT_EQ(reloads, c.accepted ? 1 : 0);

        ASSERT_TRUE(feed->QuoteRequest("IF2406"));
        EXPECT_EQ(quotes.QuoteText(), "next");
        const int after = server.Requests().back().connection;
        EXPECT_EQ(after != connection, !c.accepted);
    }
}

TEST_F(QuoteFeedTest, HostAndPortStayAcrossReconnects) {
    FakeQuoteServer other;
    server.Script({QuoteReply::Answer("one||0"), QuoteReply::Close()});
    auto feed = MakeFeed();
    ASSERT_TRUE(feed->QuoteRequest("IF2406"));

    PointAt(other.port());
    EXPECT_FALSE(feed->QuoteRequest("IF2406"));
    ASSERT_TRUE(feed->QuoteRequest("IF2406"));
    EXPECT_EQ(server.Connections(), 2);
    EXPECT_EQ(other.Connections(), 0);
}

TEST_F(QuoteFeedTest, NoRequestWhileNothingIsSubscribed) {
    quotes.SetQuoteText("old**text");
    server.SetDefault(QuoteReply::Answer("new||0"));
    auto feed = MakeFeed();
    feed->Start();
    ASSERT_TRUE(server.WaitForConnections(1, 2s));
    // Three turns of the thread's loop with nothing to ask for.
    const auto deadline = Clock::now() + 5s;
    while (feed->Rounds() < 3 && Clock::now() < deadline) {
        std::this_thread::yield();
    }
    ASSERT_GE(feed->Rounds(), 3u);
    EXPECT_EQ(server.RequestCount(), 0u);
    EXPECT_EQ(quotes.QuoteText(), "old**text");

    quotes.Hold(kCustomListOwner, "IF2406");
    ASSERT_TRUE(server.WaitForRequests(3, 2s));
    feed->Stop();
    EXPECT_EQ(quotes.QuoteText(), "new");
    EXPECT_EQ(server.Requests()[0].body, "codes=IF2406&username=trader01&count=0");
}

TEST_F(QuoteFeedTest, ThreadRetriesTheFirstConnect) {
    // Nothing listens on the port for the first attempts; a server appears during the retries.
    const int port = server.port();
    server.Stop();
    QuoteTimings timings = Fast();
    timings.retryPause = 200ms;  // attempts at 0, 200, 400, ... 1000 ms
    auto feed = MakeFeed(timings);
    feed->Start();
    const auto deadline = Clock::now() + 5s;
    while (feed->ConnectAttempts() < 1 && Clock::now() < deadline) {
        std::this_thread::yield();
    }
    ASSERT_GE(feed->ConnectAttempts(), 1u) << "a first attempt found nobody";
    FakeQuoteServer late(port);
    // Nothing is subscribed, so only a retry can have made this connection.
    EXPECT_TRUE(late.WaitForConnections(1, 2s));
    feed->Stop();
}

TEST_F(QuoteFeedTest, StopDoesNotWaitOutASilentServer) {
    server.SetDefault(QuoteReply::Silent());
    quotes.Hold(kCustomListOwner, "IF2406");
    auto feed = MakeFeed(QuoteTimings{});
    feed->Start();
    ASSERT_TRUE(server.WaitForRequests(1, 2s));
    const auto start = Clock::now();
    feed->Stop();
    EXPECT_LT(MsSince(start), 1000);
    EXPECT_EQ(server.Connections(), 1);  // stopping does not reconnect
}

}  // namespace
}  // namespace ft
