#include "positions/close_order.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/text.h"
#include "platform/system.h"
#include "support/http_test_server.h"
#include "support/temp_dir_test.h"

namespace ft {
namespace {

class CloseOrderTest : public ft::testing::TempDirTest {
protected:
    void SetUp() override {
        TempDirTest::SetUp();
        server.Serve(session, ServerMode::IntradayFirstRound);
        ft::testing::LogIn(session, "demo", "pw");
    }
    // The messages of today's log, without their time stamps.
    std::vector<std::string> LogMessages() {
        const std::tm t = platform::LocalNow();
        std::ifstream in(
            dir / Format("log%04d%02d%02d.txt", t.tm_year + 1900, t.tm_mon + 1, t.tm_mday),
            std::ios::binary);
        std::vector<std::string> out;
        std::string line;
        while (std::getline(in, line)) {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            out.push_back(line.size() > 25 ? line.substr(25) : line);
        }
        return out;
    }

    ft::testing::HttpTestServer server;
    SessionState session;
    const CloseOrder order{"rb2705", "2", "3", "3450", "9001"};
    const std::string body =
        "user_name=demo&code=rb2705&type=2&updown=2&num=3&price=3450&pricetype=3&src=lctrade&"
        "dsid=9001";
};

TEST_F(CloseOrderTest, AnAcceptedOrderIsLoggedWithItsBodyAndAnswer) {
    EXPECT_EQ(CloseOrderBody("demo", order), body);
    server.Answer("0,委托成功,77");
    const CloseOutcome out = SendCloseOrder(session, order);
    EXPECT_TRUE(out.answered);
    EXPECT_TRUE(out.accepted);
    EXPECT_TRUE(out.problem.empty());
    ASSERT_EQ(server.Requests().size(), 1u);
    EXPECT_EQ(server.Last().path, "/index.php?m=client&a=weituo");
    EXPECT_EQ(server.Last().body.substr(0, body.size()), body);
    EXPECT_EQ(LogMessages(),
              (std::vector<std::string>{"to weituo trade...,post:" + body,
                                        "to weituo trade...,result:" + Ansi("0,委托成功,77")}));
}

TEST_F(CloseOrderTest, ARefusalCarriesTheBackEndsReason) {
    server.Answer("1,持仓不存在");
    CloseOutcome out = SendCloseOrder(session, order);
    EXPECT_TRUE(out.answered);
    EXPECT_FALSE(out.accepted);
    EXPECT_EQ(out.problem, Ansi("持仓不存在"));
    EXPECT_EQ(LogMessages().back(), "to weituo trade...,result:" + Ansi("1,持仓不存在"));

    // An error page is no acceptance either.
    server.Answer("<html>502</html>");
    out = SendCloseOrder(session, order);
    EXPECT_FALSE(out.accepted);
    EXPECT_EQ(out.problem, "<html>502</html>");
}

TEST_F(CloseOrderTest, ARequestThatFailsIsLoggedAsFailed) {
    session.profiles[0].webPort = "1";  // nothing listens there
    const CloseOutcome out = SendCloseOrder(session, order);
    EXPECT_FALSE(out.answered);
    EXPECT_FALSE(out.accepted);
    EXPECT_EQ(out.problem, Ansi("交易服务器无应答"));
    EXPECT_EQ(LogMessages(),
              (std::vector<std::string>{"to weituo trade...,post:" + body,
                                        "to weituo trade...,failed:" + Ansi("交易服务器无应答")}));
}

}  // namespace
}  // namespace ft
