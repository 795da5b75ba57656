// The settlement statement laid out from an answer, against texts written out by hand, and
// the rules for saving it.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <vector>

#include "account/statement_rules.h"
#include "core/text.h"

namespace ft {
namespace {

std::string G(const char* utf8) {
    return Utf8ToGbk(utf8);
}
std::string S(int n) {
    return std::string(static_cast<std::size_t>(n), ' ');
}
const std::string kDash = std::string(105, '-') + "\r\n";
const std::string kEnd = "\r\n";

// The lines of a statement without their CR LF; fails the test on a line that lacks it.
std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find("\r\n", start);
        EXPECT_NE(end, std::string::npos) << "unterminated line at byte " << start;
        if (end == std::string::npos) {
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

std::string Header(const std::string& date, const std::string& user, const std::string& name,
                   const std::string& figures) {
    return kEnd + S(44) + G("结算单") + kEnd +                        //
           S(85) + G("制表时间：") + date + kEnd +                    //
           kDash + kEnd +                                             //
           S(41) + G("交易结算单(盯市)") + kEnd +                     //
           G("客户号： ") + user + S(18) + G("客户名称： ") + name +  //
           S(20) + G("日期： ") + date + kEnd + kEnd +                //
           S(41) + G("资金状况 币种：人民币") + kEnd +                //
           kDash + figures;
}

const std::string kTransferHead = "|" + S(6) + G("发生日期") + S(6) + "|" + S(4) + G("金额") +
                                  S(4) + "|" + S(2) + G("信用额度") + S(2) + "|" + S(2) +
                                  G("说明") + S(50) + "|" + kEnd;
const std::string kFillHead =
    "|" + S(1) + G("成交日期") + S(2) + "|" + S(2) + G("品种") + S(1) + "|" + G("买卖") + "|" +
    G("开平") + "|" + S(2) + G("成交价") + S(1) + "|" + S(2) + G("手数") + S(1) + "|" + S(3) +
    G("成交额") + S(3) + "|" + S(2) + G("手续费") + S(2) + "|" + S(1) + G("平仓盈亏") + S(1) + "|" +
    G("成交时间") + "|" + S(2) + G("成交序号") + S(1) + "|" + G("投保") + "|" + kEnd;
const std::string kPositionHead =
    "|" + S(1) + G("持仓日期") + S(2) + "|" + S(2) + G("品种") + S(1) + "|" + G("买卖") + "|" +
    S(1) + G("手数") + S(1) + "|" + S(2) + G("开仓价") + S(2) + "|" + S(1) + G("昨结算价") + S(1) +
    "|" + S(3) + G("持仓盈亏") + S(2) + "|" + S(2) + G("占用保证金") + S(1) + "|" + S(2) +
    G("开仓序号") + S(1) + "|" + G("投保") + "|" + kEnd;

TEST(StatementLayoutTest, MatchesTheHandWrittenStatementByteForByte) {
    const std::string answer =
        G("2024-03-15,张三,1000000.00,150.00,300.75,1000250.75,0.00,50.00"
          "**2024-03-15,100.50,0.00,银行转期货|2024-03-15,200.25,0.00,银行转期货|2024-03-15,9|"
          "**"
          "**2024-03-15,averylongcode2705,买,2,3200.00,3190.00,200.00,6400.00,17,投机|");
    const std::optional<std::string> text = LayOutStatement(answer, "demo");
    ASSERT_TRUE(text);

    std::string expected =
        Header("2024-03-15", S(6) + "demo", S(6) + G("张三"),
               G("期初结存：") + S(4) + "1000000.00" + S(12) + G("持仓盈亏：") + S(8) + "150.00" +
                   S(12) + G("出 入 金：") + S(8) + "300.75" + kEnd +  //
                   G("期末结存：") + S(4) + "1000250.75" + S(12) + G("平仓盈亏：") + S(10) +
                   "0.00" + S(12) + G("手 续 费：") + S(9) + "50.00" + kEnd + kEnd);
    // Transfers: the record of two fields is neither listed nor counted.
    expected += S(41) + G("出入金明细") + kEnd + kDash + kTransferHead + kDash;
    expected += "|" + S(8) + "2024-03-15|" + S(6) + "100.50|" + S(8) + "0.00|" + S(46) +
                G("银行转期货") + "|" + kEnd;
    expected += "|" + S(8) + "2024-03-15|" + S(6) + "200.25|" + S(8) + "0.00|" + S(46) +
                G("银行转期货") + "|" + kEnd;
    expected += kDash + "|" + S(6) + G("共") + S(2) + "2" + G("条") + S(6) + "|" + S(6) +
                "300.75|" + S(8) + "0.00|" + S(55) + "|" + kEnd + kDash + kEnd;
    // Fills: none, so every total is "0".
    expected += S(41) + G("成交明细") + kEnd + kDash + kFillHead + kDash;
    expected += kDash + "| " + G("共") + S(3) + "0" + G("条") + " |" + S(6) + "|" + S(4) + "|" +
                S(4) + "|" + S(9) + "|" + S(5) + "0|" + S(11) + "0|" + S(8) + "0|" + S(8) + "0|" +
                S(8) + "|" + S(10) + "|" + S(4) + "|" + kEnd + kDash + kEnd;
    // Positions: the code wider than its 7 bytes widens its own line only.
    expected += S(41) + G("持仓明细") + kEnd + kDash + kPositionHead + kDash;
    expected += "|2024-03-15|averylongcode2705|" + S(2) + G("买") + "|" + S(4) + "2|" + S(3) +
                "3200.00|" + S(3) + "3190.00|" + S(6) + "200.00|" + S(5) + "6400.00|" + S(8) +
                "17|" + G("投机") + "|" + kEnd;
    expected += kDash + "| " + G("共") + S(3) + "1" + G("条") + " |" + S(6) + "|" + S(4) + "|" +
                S(4) + "2|" + S(10) + "|" + S(10) + "|" + S(6) + "200.00|" + S(5) + "6400.00|" +
                S(10) + "|" + S(4) + "|" + kEnd + kDash + kEnd;
    expected += kEnd + kEnd + kEnd;

    EXPECT_EQ(*text, expected);
    // Line by line as well, so a difference is easy to find.
    const std::vector<std::string> got = Lines(*text), want = Lines(expected);
    for (std::size_t i = 0; i < std::min(got.size(), want.size()); ++i) {
        EXPECT_EQ(got[i], want[i]) << "line " << i;
    }
    EXPECT_EQ(got.size(), want.size());
}

TEST(StatementLayoutTest, RulesAreOneHundredAndFiveDashesAndTotalsFollowTheirTables) {
    const std::string answer =
        G("2024-03-15,演示账户,1,2,3,4,5,6"
          "**2024-03-15,100.50,0.00,银行转期货|"
          "**2024-03-15,rb2705,买,开仓,3200.00,2,64000.00,3.50,0.00,09:31:02,1001,投机|"
          "**2024-03-15,rb2705,买,2,3200.00,3190.00,200.00,6400.00,17,投机|");
    const auto text = LayOutStatement(answer, "demo");
    ASSERT_TRUE(text);
    const std::vector<std::string> lines = Lines(*text);
    int dashes = 0;
    for (const std::string& line : lines) {
        if (!line.empty() && line.front() == '-') {
            EXPECT_EQ(line, std::string(105, '-'));
            ++dashes;
        }
    }
    EXPECT_EQ(dashes, 1 + 1 + 3 * 4);
    // The header lines keep their cells as they are, whatever the rows' widths.
    for (const std::string& head : {kTransferHead, kFillHead, kPositionHead}) {
        EXPECT_NE(text->find(head), std::string::npos);
    }
    // The fills' totals: lots as an integer, money with two decimals.
    const std::string fillTotals = "| " + G("共") + S(3) + "1" + G("条") + " |" + S(6) + "|" +
                                   S(4) + "|" + S(4) + "|" + S(9) + "|" + S(5) + "2|" + S(4) +
                                   "64000.00|" + S(5) + "3.50|" + S(5) + "0.00|";
    EXPECT_NE(text->find(fillTotals), std::string::npos);
    EXPECT_EQ(text->substr(text->size() - 6), "\r\n\r\n\r\n");
}

TEST(StatementLayoutTest, TotalsAddEveryCountedRecord) {
    // Lots are added as integers ("2.9" counts 2), money as decimals.
    const std::string answer =
        "d,n,1,2,3,4,5,6**"
        "t,-50.25,10,x|t,1000.10,0.5,y|**"
        "f,c,b,o,1,3,10.10,1.25,-5.5,tm,1,h|f,c,b,o,1,2.9,0.20,0.25,2.25,tm,2,h|**"
        "p,c,b,7,1,1,-1.5,100.005,1,h|p,c,b,8,1,1,-2.5,0.005,2,h";
    const auto text = LayOutStatement(answer, "u");
    ASSERT_TRUE(text);
    EXPECT_NE(text->find("|" + S(6) + G("共") + S(2) + "2" + G("条") + S(6) + "|" + S(6) +
                         "949.85|" + S(7) + "10.50|"),
              std::string::npos);
    EXPECT_NE(text->find(S(5) + "5|" + S(7) + "10.30|" + S(5) + "1.50|" + S(4) + "-3.25|"),
              std::string::npos);
    EXPECT_NE(text->find("|" + S(3) + "15|" + S(10) + "|" + S(10) + "|" + S(7) + "-4.00|" + S(6) +
                         "100.01|"),
              std::string::npos);
}

TEST(StatementLayoutTest, AHugeAnswerListsTenThousandRowsASectionAndCountsThemAll) {
    std::string answer = "d,n,1,2,3,4,5,6**";
    for (int i = 0; i < 10003; ++i) {
        answer += "t,1,0,x|";
    }
    answer += "**";
    for (int i = 0; i < 4; ++i) {
        answer += "f,c,b,o,1,1,1,0,0,tm,1,h|";
    }
    answer += "**";
    const auto text = LayOutStatement(answer, "u");
    ASSERT_TRUE(text);
    const auto count = [&](const std::string& what) {
        std::size_t n = 0;
        for (std::size_t at = text->find(what); at != std::string::npos;
             at = text->find(what, at + 1)) {
            ++n;
        }
        return n;
    };
    EXPECT_EQ(count("|" + S(17) + "t|"), 10000u);
    EXPECT_EQ(count("| " + G("……另有3条未列出") + "\r\n"), 1u);
    EXPECT_NE(text->find(G("共") + "10003" + G("条")), std::string::npos);
    EXPECT_NE(text->find("10003.00|"), std::string::npos) << "every amount is added";
    EXPECT_EQ(count(S(9) + "f|"), 4u) << "the fills are listed whole";
    EXPECT_LT(text->size(), 1200000u);
}

TEST(StatementLayoutTest, AnAnswerWithoutAStatementGivesTheBackEndsReasonOrSaysWhatItIs) {
    EXPECT_EQ(StatementRefusal(G("1,该日无结算单")), G("该日无结算单"));
    EXPECT_EQ(StatementRefusal(G("-1,该日无结算单。")), G("该日无结算单"));
    // No code and reason: a statement short of summary fields, an error page with a comma.
    for (const std::string& noReason :
         {std::string(), std::string("1"), std::string("1,"), std::string("1, "),
          std::string("<html>502 Bad Gateway</html>"), std::string("<p>a, b</p>"),
          G("2024-03-15,张三,100**x**y**z"), G("1,该日**无结算单")}) {
        EXPECT_EQ(StatementRefusal(noReason), G("交易服务器的回答不是结算单")) << noReason;
    }
    EXPECT_EQ(StatementFailureMessage("2024-03-15", G("该日无结算单"), false),
              G("未能取得 2024-03-15 的结算单：该日无结算单"));
    EXPECT_EQ(StatementFailureMessage("2024-03-15", G("交易服务器无应答"), true),
              G("未能取得 2024-03-15 的结算单：交易服务器无应答。下方仍是之前查询的结算单"));
}

TEST(StatementLayoutTest, TooFewSectionsOrSummaryFieldsGiveNothing) {
    EXPECT_FALSE(LayOutStatement(G("1,该日无结算单"), "demo"));
    EXPECT_FALSE(LayOutStatement("a,b,c,d,e,f,g,h**x**y", "demo"));
    EXPECT_FALSE(LayOutStatement("a,b,c,d,e,f,g**x**y**z", "demo"));
    EXPECT_FALSE(LayOutStatement("", "demo"));
    // Eight summary fields and four sections, all else empty: a statement of empty tables.
    const auto empty = LayOutStatement(",,,,,,,******", "demo");
    ASSERT_TRUE(empty);
    EXPECT_NE(empty->find(G("共") + S(2) + "0" + G("条")), std::string::npos);
}

TEST(StatementLayoutTest, PercentSignsOfTheBackEndAreTextNotFormats) {
    const auto text = LayOutStatement("2024-03-15,%s%d%n,1,2,3,4,5,6******", "a%sb");
    ASSERT_TRUE(text);
    EXPECT_NE(text->find(G("客户名称： ") + S(4) + "%s%d%n"), std::string::npos);
    EXPECT_NE(text->find(G("客户号： ") + S(6) + "a%sb"), std::string::npos);
}

TEST(StatementRequestTest, BodyNamesTheUserAndThePickedDate) {
    EXPECT_EQ(StatementBody("demo", 2024, 3, 5), "user_name=demo&date=2024-03-05");
    EXPECT_EQ(StatementBody("a&b", 987, 12, 31), "user_name=a%26b&date=0987-12-31");
}

TEST(StatementFileTest, ProposedNameIsTheLocalMinute) {
    std::tm now{};
    now.tm_year = 2024 - 1900;
    now.tm_mon = 0;
    now.tm_mday = 9;
    now.tm_hour = 7;
    now.tm_min = 5;
    now.tm_sec = 59;
    EXPECT_EQ(ProposedStatementName(now), "inout202401090705");
}

TEST(StatementFileTest, TxtIsAddedOnlyWhenTheNameLacksIt) {
    const std::pair<const char*, const char*> cases[] = {
        {"/tmp/inout202401090705", "/tmp/inout202401090705.txt"},
        {"/tmp/inout202401090705.txt", "/tmp/inout202401090705.txt"},
        {"/tmp/a.TXT", "/tmp/a.TXT"},
        {"/tmp/a.csv", "/tmp/a.csv.txt"},
        {"/tmp/atxt", "/tmp/atxt.txt"},
        {".txt", ".txt.txt"},
        {"", ""},
    };
    for (const auto& [chosen, file] : cases) {
        EXPECT_EQ(StatementFilePath(chosen), file) << chosen;
    }
}

class StatementWriteTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir =
            std::filesystem::temp_directory_path() / ("ft-statement-" + std::to_string(::getpid()));
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }
    static std::string Read(const std::filesystem::path& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    std::size_t Entries() const {
        return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(dir),
                                                      std::filesystem::directory_iterator()));
    }
    std::filesystem::path dir;
};

TEST_F(StatementWriteTest, WritesTheExactBytesAndReplacesAnEarlierFile) {
    const std::string path = (dir / "inout.txt").string();
    const std::string first = G("\r\n结算单\r\n") + std::string("\0x", 2);
    ASSERT_TRUE(WriteFileReplacing(path, first));
    EXPECT_EQ(Read(path), first);
    ASSERT_TRUE(WriteFileReplacing(path, "second"));
    EXPECT_EQ(Read(path), "second");
    ASSERT_TRUE(WriteFileReplacing(path, ""));
    EXPECT_TRUE(std::filesystem::exists(path));
    EXPECT_EQ(std::filesystem::file_size(path), 0u);
    EXPECT_EQ(Entries(), 1u) << "no temporary file left";
}

TEST_F(StatementWriteTest, AFailedWriteKeepsTheEarlierFile) {
    const std::string path = (dir / "inout.txt").string();
    ASSERT_TRUE(WriteFileReplacing(path, "earlier statement"));

    // The disk refuses more than 16 bytes per file: the new statement cannot be written.
    struct rlimit saved {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    struct sigaction ignore {
    }, previous{};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGXFSZ, &ignore, &previous);
    struct rlimit small = saved;
    small.rlim_cur = 16;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool written = WriteFileReplacing(path, std::string(4096, 'x'));
    setrlimit(RLIMIT_FSIZE, &saved);
    sigaction(SIGXFSZ, &previous, nullptr);

    EXPECT_FALSE(written);
    EXPECT_EQ(Read(path), "earlier statement");
    EXPECT_EQ(Entries(), 1u) << "the temporary file is removed";

    // A directory of that name, or a missing directory, cannot be written either.
    std::filesystem::create_directory(dir / "taken.txt");
    EXPECT_FALSE(WriteFileReplacing((dir / "taken.txt").string(), "x"));
    EXPECT_FALSE(WriteFileReplacing((dir / "missing" / "a.txt").string(), "x"));
    EXPECT_EQ(Entries(), 2u);
}

TEST(StatementLayoutTest, LotTotalsBeyondTheRangeStayAtItsEnd) {
    // Eleven fills and eleven positions of lot counts beyond what the field can say: the sums
    // must neither wrap nor overflow (the sanitizer build stops on a signed overflow).
    std::string fills, positions;
    for (int i = 0; i < 11; ++i) {
        fills += "a,b,c,d,e,99999999999999999999,g,h,i,j,k,l|";
        positions += "a,b,c,-99999999999999999999,e,f,g,h,i,j|";
    }
    const auto text = LayOutStatement("d,n,0,0,0,0,0,0**|**" + fills + "**" + positions, "u");
    ASSERT_TRUE(text);
    EXPECT_NE(text->find("|9223372036854775807|"), std::string::npos);
    EXPECT_NE(text->find("|-9223372036854775808|"), std::string::npos);
}

}  // namespace
}  // namespace ft
