#include "net/request_client.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "core/form_body.h"
#include "core/text.h"
#include "support/http_test_server.h"

namespace ft {
namespace {

using testing::HttpTestServer;
using testing::LogIn;

constexpr const char* kDemoSign = "86ed6febd5cbf80e9b46cfe1d71c8b63";  // md5sum of the text

class RequestClientTest : public ::testing::Test {
protected:
    void SetUp() override {
        server.Serve(session, ServerMode::IntradayFirstRound);
        LogIn(session, "demo", "demo");
    }
    HttpTestServer server;
    SessionState session;
};

TEST_F(RequestClientTest, EmptyBodyGetsCredentialsAndSignatureInOrder) {
    server.Answer("ok");
    std::string answer;
    ASSERT_TRUE(PostForm(session, "index.php?m=client&a=getallproduct", "", answer));
    const auto request = server.Last();
    EXPECT_EQ(request.path, "/index.php?m=client&a=getallproduct");
    EXPECT_EQ(request.body, std::string("user_name=demo&user_pwd=demo&sign=") + kDemoSign);
    EXPECT_EQ(request.contentType, "application/x-www-form-urlencoded");
    EXPECT_EQ(answer, "ok");
}

TEST_F(RequestClientTest, StartFieldKeepsBlankAndColonsAndSignatureIsTheSameForAnyBody) {
    server.Answer("");
    std::string answer = "before";
    ASSERT_TRUE(
        PostForm(session, "index.php?m=client&a=tradedetail", "start=2026-12-07 16:40:00", answer));
    EXPECT_EQ(server.Last().body, std::string("start=2026-12-07 16:40:00&user_name=demo"
                                              "&user_pwd=demo&sign=") +
                                      kDemoSign);
    EXPECT_EQ(answer, "");
}

TEST_F(RequestClientTest, LoginPathGetsOnlyTheSignature) {
    LogIn(session, "trader", "secret");
    server.Answer("0,x");
    std::string answer;
    const std::string body = FormBody()
                                 .Add("user_name", "trader")
                                 .Add("user_pwd", "secret")
                                 .Add("pwd", "secret")
                                 .AppendRaw("&ver=20150906")
                                 .Add("yjm", "123")
                                 .Text();
    ASSERT_TRUE(PostForm(session, kLoginPath, body, answer));
    EXPECT_EQ(server.Last().body,
              "user_name=trader&user_pwd=secret&pwd=secret&ver=20150906&yjm=123&sign=" +
                  RequestSignature("trader", "secret"));
}

TEST_F(RequestClientTest, CredentialsAreEscapedButSignedAsTyped) {
    LogIn(session, "user", "a&b=c+d%e");
    server.Answer("0");
    std::string answer;
    ASSERT_TRUE(PostForm(session, "index.php?m=client&a=lcdetail", "", answer));
    EXPECT_EQ(server.Last().body,
              "user_name=user&user_pwd=a%26b%3Dc%2Bd%25e"
              "&sign=e9c8af2db3b9e67f965d8c991024df36");
}

TEST_F(RequestClientTest, ChineseTravelsAsRawUtf8AndAnswersArriveAsGbk) {
    LogIn(session, Ansi("张三"), "pw");
    server.Answer("1,用户名或密码错误");
    std::string answer;
    ASSERT_TRUE(PostForm(session, "index.php?m=client&a=getuserfutures",
                         FormBody().Add("user_name", Ansi("张三")).Text(), answer));
    EXPECT_EQ(server.Last().body,
              "user_name=张三&user_name=张三&user_pwd=pw"
              "&sign=4f8240034fc37836c82f6fd0436f19bd");
    EXPECT_EQ(answer, Ansi("1,用户名或密码错误"));
}

TEST_F(RequestClientTest, AnErrorStatusIsAFailureThatReachedTheBackEnd) {
    server.SetStatus(500);
    server.Answer("<html>Internal Server Error</html>");
    std::string answer = "unchanged";
    EXPECT_FALSE(PostForm(session, "index.php?m=client&a=getmoney", "", answer));
    const PostResult result = PostRequest(session, "index.php?m=client&a=getmoney", "", answer);
    EXPECT_EQ(result.status, PostStatus::HttpError);
    EXPECT_EQ(HttpStatusText(result), "HTTP 500");
    EXPECT_EQ(answer, "unchanged");
    server.SetStatus(204);
    EXPECT_TRUE(PostRequest(session, "index.php?m=client&a=getmoney", "", answer).ok());
}

TEST_F(RequestClientTest, AnswersAboveTheOldBufferAreReadWholeUpToTheLimit) {
    const std::string big(std::size_t{300} * 1024, 'x');
    server.Answer(big);
    std::string answer;
    ASSERT_TRUE(PostForm(session, "index.php?m=client&a=weituodetail", "", answer));
    EXPECT_EQ(answer.size(), big.size());

    RequestLimits small;
    small.maxAnswerBytes = std::size_t{256} * 1024;
    answer = "unchanged";
    // Part of an answer came: the request reached the back-end.
    EXPECT_EQ(PostRequest(session, "index.php?m=client&a=weituodetail", "", answer, small).status,
              PostStatus::MaybeSent);
    EXPECT_EQ(answer, "unchanged");
}

TEST_F(RequestClientTest, AnAnswerIsTakenUpToItsFirstZeroByte) {
    server.Answer(std::string("0,ok\0garbage", 12));
    std::string answer;
    ASSERT_TRUE(PostForm(session, "index.php?m=client&a=getmoney", "", answer));
    EXPECT_EQ(answer, "0,ok");
}

TEST_F(RequestClientTest, ASignatureInputTooLongIsNotSent) {
    // 48 bytes of signing text leave 207 bytes for account and password.
    LogIn(session, std::string(100, 'u'), std::string(107, 'p'));
    server.Answer("0");
    std::string answer;
    EXPECT_TRUE(PostForm(session, "index.php?m=client&a=getmoney", "", answer));
    LogIn(session, std::string(100, 'u'), std::string(108, 'p'));
    answer = "unchanged";
    EXPECT_FALSE(PostForm(session, "index.php?m=client&a=getmoney", "", answer));
    EXPECT_EQ(answer, "unchanged");
    EXPECT_EQ(server.Requests().size(), 1u);
}

TEST(RequestClientFailures, EmptyCredentialsStillProduceTheFields) {
    HttpTestServer server;
    SessionState session;
    server.Serve(session, ServerMode::SecondRound);
    LogIn(session, "", "", ServerMode::SecondRound);
    server.Answer("0");
    std::string answer;
    ASSERT_TRUE(PostForm(session, "index.php?m=client&a=getmoney", "", answer));
    EXPECT_EQ(server.Last().body, "user_name=&user_pwd=&sign=dd51c22522a0ec81a0219bdf7568146c");
}

TEST(RequestClientFailures, RefusedConnectionAndUnresolvedHostFail) {
    SessionState session;
    LogIn(session, "demo", "demo");
    int port;
    {
        HttpTestServer gone;  // a port that was just free and is closed again
        port = gone.port();
    }
    session.profiles[0].webHost = "127.0.0.1";
    session.profiles[0].webPort = std::to_string(port);
    std::string answer = "unchanged";
    // Nothing left the machine: the trader may be told it failed.
    EXPECT_EQ(PostRequest(session, "index.php?m=client&a=getmoney", "", answer).status,
              PostStatus::NotSent);
    session.profiles[0].webHost = "";
    EXPECT_FALSE(PostForm(session, "index.php?m=client&a=getmoney", "", answer));
    EXPECT_EQ(answer, "unchanged");
}

TEST(RequestClientFailures, AServerThatNeverAnswersIsGivenUpOnInBoundedTime) {
    int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    ASSERT_EQ(::listen(listener, 4), 0);
    socklen_t len = sizeof addr;
    ::getsockname(listener, reinterpret_cast<sockaddr*>(&addr), &len);

    SessionState session;
    LogIn(session, "demo", "demo");
    session.profiles[0].webHost = "127.0.0.1";
    session.profiles[0].webPort = std::to_string(ntohs(addr.sin_port));
    RequestLimits limits;
    limits.stallTimeout = std::chrono::seconds(1);
    std::string answer = "unchanged";
    const auto start = std::chrono::steady_clock::now();
    // The request went out: it may have been carried out, so the outcome is unknown.
    EXPECT_EQ(PostRequest(session, "index.php?m=client&a=getmoney", "", answer, limits).status,
              PostStatus::MaybeSent);
    // libcurl notices a stall a few seconds after the stall time at most.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(12));
    EXPECT_EQ(answer, "unchanged");
    ::close(listener);
}

TEST(RequestClientFailures, TheDefaultAnswerTimeoutBoundsEveryRequest) {
    HttpTestServer server;
    SessionState session;
    server.Serve(session, ServerMode::IntradayFirstRound);
    LogIn(session, "demo", "demo");
    server.AnswerWith([](const testing::RecordedRequest&) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        return std::string("0");
    });
    const std::chrono::milliseconds was = DefaultAnswerTimeout();
    SetDefaultAnswerTimeout(std::chrono::milliseconds(300));
    std::string answer;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(PostRequest(session, "index.php?m=client&a=getmoney", "", answer).status,
              PostStatus::MaybeSent);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1200));
    SetDefaultAnswerTimeout(was);
    EXPECT_TRUE(PostRequest(session, "index.php?m=client&a=getmoney", "", answer).ok());
}

TEST(FormBody, EscapesExactlyTheFourCharactersThatChangeTheForm) {
    EXPECT_EQ(EscapeFormValue("a&b=c+d%e f:g/h?"), "a%26b%3Dc%2Bd%25e f:g/h?");
    EXPECT_EQ(FormBody().Add("a", "1").Add("b", "").AppendRaw("&c=2").Text(), "a=1&b=&c=2");
    EXPECT_EQ(FormBody().Add("n", Ansi("名")).Text(), "n=" + Ansi("名"));
}

}  // namespace
}  // namespace ft
