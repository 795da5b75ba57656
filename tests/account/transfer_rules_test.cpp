// What the transfer panel sends and how it reads the answers.
#include <gtest/gtest.h>

#include "account/transfer_rules.h"
#include "core/text.h"

namespace ft {
namespace {

std::string G(const char* utf8) {
    return Utf8ToGbk(utf8);
}

TEST(TransferRulesTest, BankListAndCardLine) {
    EXPECT_EQ(BankIndex(G("招商银行")), 0);
    EXPECT_EQ(BankIndex(G("中国银行")), 4);
    EXPECT_EQ(BankIndex(G("交通银行")), -1);
    EXPECT_EQ(BankIndex(""), -1);

    const std::string card = "6225880212345678";
    EXPECT_EQ(CardLine(G("招商银行"), G("招商银行"), card), G("银行卡号:") + card);
    EXPECT_EQ(CardLine(G("工商银行"), G("招商银行"), card), G("银行卡号:"));
    // A bank the list does not hold never matches a selection.
    EXPECT_EQ(CardLine(G("工商银行"), G("交通银行"), card), G("银行卡号:"));
    EXPECT_EQ(CardLine(G("招商银行"), G("招商银行"), ""), G("银行卡号:"));
}

TEST(TransferRulesTest, StartAnswerFillsWhatItHas) {
    const TransferStart full = ParseTransferStart("0.00,998500.00,6225880212345678");
    EXPECT_EQ(full.creditLine, G("信用资产：") + "0.00");
    EXPECT_EQ(full.transferableLine, G("可转金额：") + "998500.00");
    EXPECT_EQ(full.cardNumber, "6225880212345678");

    const TransferStart two = ParseTransferStart("1,2");
    EXPECT_EQ(two.creditLine, G("信用资产：") + "1");
    EXPECT_EQ(two.cardNumber, "");

    const TransferStart one = ParseTransferStart(G("系统维护"));
    EXPECT_FALSE(one.creditLine);
    EXPECT_FALSE(one.transferableLine);
    EXPECT_EQ(one.cardNumber, "");
}

TEST(TransferRulesTest, BodiesCarryTheFieldsAsTyped) {
    EXPECT_EQ(FuturesFundsBody("demo", "123456"), "username=demo&pwd=123456");
    EXPECT_EQ(BankFundsBody("demo", "654321"), "username=demo&pwd=654321");
    EXPECT_EQ(TransferBody(TransferKind::ToBank, "demo", "100.5", "123456"),
              "username=demo&money=100.5&pwd=123456");
    EXPECT_EQ(TransferBody(TransferKind::ToFutures, "demo", "100", "654321"),
              "username=demo&money=100&pwd=654321&type=1");
    EXPECT_EQ(TransferHistoryBody("demo"), "username=demo");
    // A password holding the form's own separators cannot add or change a field.
    EXPECT_EQ(TransferBody(TransferKind::ToBank, "demo", "1", "a&type=2"),
              "username=demo&money=1&pwd=a%26type%3D2");
}

TEST(TransferRulesTest, InputMessagesComeAmountFirst) {
    struct Case {
        TransferKind kind;
        const char* amount;
        const char* password;
        const char* message;  // nullptr: sent
    } cases[] = {
        {TransferKind::ToBank, "", "", "请输入转账金额"},
        {TransferKind::ToBank, "", "123456", "请输入转账金额"},
        {TransferKind::ToBank, "100", "", "请输入期货密码"},
        {TransferKind::ToFutures, "", "", "请输入转账金额"},
        {TransferKind::ToFutures, "100", "", "请输入密码"},
        {TransferKind::ToBank, "100", "123456", nullptr},
        {TransferKind::ToFutures, "100.5", "x", nullptr},
        {TransferKind::ToBank, "0.01", "x", nullptr},
        // What a lax reader would take for another amount, or for none.
        {TransferKind::ToFutures, "abc", "x", "转账金额须是大于0的半角数字，最多两位小数: abc"},
        {TransferKind::ToBank, "1,000", "x", "转账金额须是大于0的半角数字，最多两位小数: 1,000"},
        {TransferKind::ToBank, "1e5", "x", "转账金额须是大于0的半角数字，最多两位小数: 1e5"},
        {TransferKind::ToBank, "-100", "x", "转账金额须是大于0的半角数字，最多两位小数: -100"},
        {TransferKind::ToBank, "0", "x", "转账金额须是大于0的半角数字，最多两位小数: 0"},
        {TransferKind::ToBank, "0.00", "x", "转账金额须是大于0的半角数字，最多两位小数: 0.00"},
        {TransferKind::ToBank, "100.005", "x",
         "转账金额须是大于0的半角数字，最多两位小数: 100.005"},
        {TransferKind::ToBank, "100.", "x", "转账金额须是大于0的半角数字，最多两位小数: 100."},
        {TransferKind::ToBank, " 100", "x", "转账金额须是大于0的半角数字，最多两位小数:  100"},
        {TransferKind::ToBank, "nan", "x", "转账金额须是大于0的半角数字，最多两位小数: nan"},
        {TransferKind::ToBank, "1234567890", "x", "转账金额不能超过999999999.99: 1234567890"},
        {TransferKind::ToBank, "999999999.99", "x", nullptr},
    };
    for (const Case& c : cases) {
        const auto message = TransferInputMessage(c.kind, c.amount, c.password);
        if (c.message) {
            EXPECT_EQ(message, G(c.message)) << c.amount << "/" << c.password;
        } else {
            EXPECT_FALSE(message) << c.amount;
        }
    }
    EXPECT_EQ(MissingPasswordMessage(), G("请输入密码"));
}

TEST(TransferRulesTest, OneFieldIsTheResultMoreFieldsARefusal) {
    const BalanceOutcome balance = ParseBalanceAnswer("998500.00");
    EXPECT_EQ(balance.balance, "998500.00");
    EXPECT_FALSE(balance.message);
    const BalanceOutcome empty = ParseBalanceAnswer("");
    EXPECT_EQ(empty.balance, "");
    const BalanceOutcome refused = ParseBalanceAnswer(G("1,资金密码错误"));
    EXPECT_FALSE(refused.balance);
    EXPECT_EQ(refused.message, G("资金密码错误"));

    EXPECT_EQ(TransferAnswerMessage("0"), G("转账成功"));
    // Only the success status says the money moved: an empty answer or an error page does not.
    for (const char* answer : {"", "<html><h1>502 Bad Gateway</h1></html>", "1"}) {
        EXPECT_EQ(TransferAnswerVerdict(answer), TransferVerdict::Unknown) << answer;
        EXPECT_EQ(TransferAnswerMessage(answer), TransferUnknownMessage()) << answer;
    }
    EXPECT_EQ(TransferAnswerVerdict(G("1,银行余额不足")), TransferVerdict::Refused);
    EXPECT_EQ(TransferAnswerMessage(G("1,银行余额不足")), G("银行余额不足"));
    EXPECT_EQ(TransferAnswerMessage("1,"), "");
}

TEST(TransferRulesTest, HistoryRowsNeedThreeFields) {
    const auto rows = ParseTransferHistory(
        G("2024-03-15 10:00:01,银行转期货,1000.00,成功|2024-03-15 10:05:00,期货转银行,5.00|"
          "2024-03-15,x|"));
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0][TransferCol::Time], "2024-03-15 10:00:01");
    EXPECT_EQ(rows[0][TransferCol::Kind], G("银行转期货"));
    EXPECT_EQ(rows[0][TransferCol::Amount], "1000.00");
    EXPECT_EQ(rows[0][TransferCol::Status], G("成功"));
    EXPECT_EQ(rows[1][TransferCol::Amount], "5.00");
    EXPECT_EQ(rows[1][TransferCol::Status], "");
    EXPECT_TRUE(ParseTransferHistory("").empty());
}

TEST(TransferRulesTest, AHugeHistoryListsTenThousandRowsAndCountsTheRest) {
    std::string answer;
    for (std::size_t i = 0; i < kMaxTransferRows + 7; ++i) {
        answer += "t" + std::to_string(i) + ",k,1|x|";
    }
    const auto rows = ParseTransferHistory(answer);
    ASSERT_EQ(rows.size(), kMaxTransferRows + 1);
    EXPECT_EQ(rows[kMaxTransferRows - 1][TransferCol::Time], "t9999");
    EXPECT_EQ(rows.back()[TransferCol::Time], G("另有7条未列出"));
    EXPECT_EQ(rows.back()[TransferCol::Amount], "");
    EXPECT_EQ(ParseTransferHistory(answer.substr(0, answer.find("t10000"))).size(),
              kMaxTransferRows)
        << "no note when nothing was left out";
}

}  // namespace
}  // namespace ft
