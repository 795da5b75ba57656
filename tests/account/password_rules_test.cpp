// The password change's checks, request and answers.
#include <gtest/gtest.h>

#include "account/password_rules.h"
#include "core/text.h"

namespace ft {
namespace {

std::string G(const char* utf8) {
    return Utf8ToGbk(utf8);
}

TEST(PasswordRulesTest, MessagesComeInTheOrderOfTheFields) {
    struct Case {
        const char* old;
        const char* fresh;
        const char* confirmation;
        const char* message;  // nullptr: sent
    } cases[] = {
        {"", "", "", "请输入原密码"},
        {"", "new", "new", "请输入原密码"},
        {"old", "", "", "请输入新密码"},
        {"old", "", "new", "请输入新密码"},
        {"old", "new", "", "请输入确认密码"},
        {"old", "new", "New", "新密码和确认密码不一致"},
        {"old", "new", "new ", "新密码和确认密码不一致"},
        {"old", "new", "new", nullptr},
        {"same", "same", "same", nullptr},  // the back-end decides
    };
    for (const Case& c : cases) {
        const auto message = PasswordInputMessage(c.old, c.fresh, c.confirmation);
        if (c.message) {
            EXPECT_EQ(message, G(c.message)) << c.old << "/" << c.fresh << "/" << c.confirmation;
        } else {
            EXPECT_FALSE(message) << c.old << "/" << c.fresh;
        }
    }
}

TEST(PasswordRulesTest, BodyKeepsTheFormIntact) {
    EXPECT_EQ(PasswordChangeBody("demo", "s3cret"), "oldpwd=demo&pwd=s3cret");
    EXPECT_EQ(PasswordChangeBody("a=b", "c&pwd=d"), "oldpwd=a%3Db&pwd=c%26pwd%3Dd");
}

TEST(PasswordRulesTest, AnswerStartingWithZeroIsSuccess) {
    EXPECT_TRUE(ParsePasswordAnswer(G("0,修改成功")).success);
    EXPECT_TRUE(ParsePasswordAnswer("0").success);
    EXPECT_TRUE(ParsePasswordAnswer("0k,anything").success);
    EXPECT_FALSE(ParsePasswordAnswer(G("0,修改成功")).message);

    const PasswordOutcome refused = ParsePasswordAnswer(G("1,原密码错误"));
    EXPECT_FALSE(refused.success);
    EXPECT_EQ(refused.message, G("修改失败，原密码错误"));
    // One field that is not a success: nothing to say.
    for (const char* answer : {"1", "", "<html>"}) {
        const PasswordOutcome silent = ParsePasswordAnswer(answer);
        EXPECT_FALSE(silent.success) << answer;
        EXPECT_FALSE(silent.message) << answer;
    }
    EXPECT_EQ(PasswordChangedMessage(), G("密码修改成功,请重新登录系统"));
}

}  // namespace
}  // namespace ft
