#include "ui/app/login_dialog.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <QCheckBox>
#include <QComboBox>
#include <QSignalSpy>
#include <QTest>
#include <filesystem>
#include <map>

#include "core/login.h"
#include "core/session_state.h"
#include "core/text.h"
#include "net/table_loaders.h"
#include "platform/ini_file.h"
#include "platform/paths.h"
#include "platform/system.h"
#include "simulator.h"
#include "support/http_test_server.h"
#include "support/ui_fixture.h"
#include "ui/controls/gradient_button.h"
#include "ui/controls/text_controls.h"

namespace ft {
namespace {

using testing::HttpTestServer;
using testing::RecordedEffects;
using testing::RecordingEffects;
using ui::CFLoginDlg;

class LoginTest : public testing::UiFixture {
protected:
    void SetUp() override {
        UiFixture::SetUp();
        for (int mode = 0; mode < kServerModeCount; ++mode) {
            server.Serve(session, static_cast<ServerMode>(mode));
        }
        server.AnswerWith([this](const testing::RecordedRequest& r) {
            std::lock_guard lock(mutex);
            if (r.path.find("dologin2018") != std::string::npos) {
                return loginAnswer;
            }
            return std::string();
        });
    }
    void AnswerLogin(const std::string& utf8) {
        std::lock_guard lock(mutex);
        loginAnswer = utf8;
    }
    // Types into the dialog, presses 登录 and waits for the worker's outcome.
    bool LogIn(CFLoginDlg& dialog, int serverRow, const QString& account, const QString& password) {
        dialog.serverList()->setCurrentIndex(serverRow);
        dialog.accountEdit()->clear();
        QTest::keyClicks(dialog.accountEdit(), account);
        dialog.passwordEdit()->clear();
        QTest::keyClicks(dialog.passwordEdit(), password);
        QSignalSpy accepted(&dialog, &QDialog::accepted);
        QSignalSpy failed(&dialog, &CFLoginDlg::loginFailed);
        QTest::mouseClick(dialog.loginButton(), Qt::LeftButton);
        for (int i = 0; i < 100 && accepted.isEmpty() && failed.isEmpty(); ++i) {
            accepted.wait(50);
        }
        return !accepted.isEmpty();
    }
    std::string SystemIni(const char* file, const char* section, const std::string& key) {
        return platform::GetPrivateProfileString(section, key, "", platform::SystemFile(file));
    }
    static std::string Today() {
        std::tm t = platform::LocalNow();
        return Format("%04d%02d%02d", t.tm_year + 1900, t.tm_mon + 1, t.tm_mday);
    }

    HttpTestServer server;
    std::mutex mutex;
    std::string loginAnswer = "0,演示账户,20210426,,5,招商银行,x,y,demo01,3";
};

TEST_F(LoginTest, MissingInputsAreReportedAndTheButtonComesBack) {
    CFLoginDlg dialog(session, loader);
    EXPECT_FALSE(LogIn(dialog, 0, "", "pw"));
    EXPECT_FALSE(LogIn(dialog, 0, "demo", ""));
    EXPECT_EQ(effects.Messages(),
              (std::vector<QString>{"通知|用户名不能为空", "通知|密码不能为空"}));
    EXPECT_TRUE(dialog.loginButton()->isEnabled());
    EXPECT_EQ(dialog.loginButton()->text(), "登陆");
    EXPECT_TRUE(server.Requests().empty());
}

TEST_F(LoginTest, RefusalsShowTheTextAfterTheFirstComma) {
    CFLoginDlg dialog(session, loader);
    AnswerLogin("1,用户名或密码错误,请重试");
    EXPECT_FALSE(LogIn(dialog, 0, "demo", "bad"));
    AnswerLogin("1");
    EXPECT_FALSE(LogIn(dialog, 0, "demo", "bad"));
    EXPECT_EQ(effects.Messages(), (std::vector<QString>{"通知|用户名或密码错误,请重试", "通知|1"}));
}

TEST_F(LoginTest, BlanksAreNotEmptyAndTheBodyIsInOrder) {
    CFLoginDlg dialog(session, loader);
    AnswerLogin("1,no");
    EXPECT_FALSE(LogIn(dialog, 0, " ", " "));
    const std::string body = server.Requests().at(0).body;
    EXPECT_EQ(body.rfind("user_name= &user_pwd= &pwd= &ver=20150906&yjm=", 0), 0u) << body;
    EXPECT_NE(body.find("&sign="), std::string::npos);
}

// A second terminal on the same account and mode would restore and fire the same stop rules
// and write the same files: it is refused before it loads anything, and may log in elsewhere.
TEST_F(LoginTest, ASecondTerminalOnTheSameAccountAndModeIsRefused) {
    auto first = std::make_unique<CFLoginDlg>(session, loader);
    ASSERT_TRUE(LogIn(*first, 1, "demo", "secret"));
    const std::size_t requestsAfterFirst = server.Requests().size();

    CFLoginDlg second(session, loader);
    EXPECT_FALSE(LogIn(second, 1, "demo", "secret"));
    ASSERT_EQ(effects.Messages().size(), 1u);
    EXPECT_TRUE(effects.Messages()[0].contains("demo01")) << effects.Messages()[0].toStdString();
    EXPECT_TRUE(effects.Messages()[0].contains("不能重复登录"));
    // Only the login request went out: no tables were loaded for the refused terminal.
    EXPECT_EQ(server.Requests().size(), requestsAfterFirst + 1);
    EXPECT_TRUE(second.loginButton()->isEnabled());

    // Another mode is another account's files.
    EXPECT_TRUE(LogIn(second, 2, "demo", "secret"));

    // The holder keeps the lock past its dialog; once it ends, the account is free again.
    std::unique_ptr<platform::FileLock> held = first->TakeAccountLock();
    first.reset();
    CFLoginDlg third(session, loader);
    EXPECT_FALSE(LogIn(third, 1, "demo", "secret"));
    held.reset();
    EXPECT_TRUE(LogIn(third, 1, "demo", "secret"));
}

TEST_F(LoginTest, AnUnreachableServerIsReported) {
    session.profiles[2].webHost = "";
    CFLoginDlg dialog(session, loader);
    EXPECT_FALSE(LogIn(dialog, 2, "demo", "demo"));
    EXPECT_EQ(effects.Messages(), (std::vector<QString>{"通知|服务器连接失败!"}));
}

TEST_F(LoginTest, AnAnswerWithTooFewFieldsDoesNotLeaveTheDialogStuck) {
    CFLoginDlg dialog(session, loader);
    AnswerLogin("0,演示账户,20210426,,5,招商银行,x,y,demo01");  // mode 1 needs field 9
    EXPECT_FALSE(LogIn(dialog, 1, "demo", "demo"));
    ASSERT_EQ(effects.Messages().size(), 1u);
    EXPECT_TRUE(dialog.loginButton()->isEnabled());
}

TEST_F(LoginTest, AVersionMismatchStartsTheUpdaterAndEndsTheProcess) {
    CFLoginDlg dialog(session, loader);
    AnswerLogin("0,演示账户,20990101,--from http://x/u.zip,5,招商银行,x,y,demo01");
    QSignalSpy failed(&dialog, &CFLoginDlg::loginFailed);
    dialog.accountEdit()->setText("demo");
    dialog.passwordEdit()->setText("demo");
    dialog.StartLogin();
    EXPECT_TRUE(WaitFor(
        [&] {
            std::lock_guard lock(effects.mutex);
            return !effects.exitCodes.empty();
        },
        2000));
    std::lock_guard lock(effects.mutex);
    EXPECT_EQ(effects.messages, (std::vector<QString>{"通知|发现新版本，请先更新!"}));
    EXPECT_EQ(effects.updaterCommands, (std::vector<std::string>{"--from http://x/u.zip"}));
    EXPECT_EQ(effects.exitCodes, (std::vector<int>{0}));
}

TEST_F(LoginTest, LeavingTheDialogDuringALoginEndsTheProcessInsteadOfClosingIt) {
    CFLoginDlg dialog(session, loader);
    dialog.exitButton()->click();  // no login under way: the dialog just closes
    {
        std::lock_guard lock(effects.mutex);
        EXPECT_TRUE(effects.exitCodes.empty());
    }
    AnswerLogin("1,拒绝");
    QSignalSpy failed(&dialog, &CFLoginDlg::loginFailed);
    dialog.accountEdit()->setText("demo");
    dialog.passwordEdit()->setText("demo");
    dialog.StartLogin();
    dialog.exitButton()->click();
    {
        std::lock_guard lock(effects.mutex);
        EXPECT_EQ(effects.exitCodes, (std::vector<int>{0}));
    }
    ASSERT_TRUE(failed.wait(5000));
    dialog.exitButton()->click();  // the login is over: back to closing the dialog
    std::lock_guard lock(effects.mutex);
    EXPECT_EQ(effects.exitCodes.size(), 1u);
}

TEST_F(LoginTest, ASuccessfulLoginStoresTheSessionAndWritesTheIniFiles) {
    {
        CFLoginDlg dialog(session, loader);
        dialog.saveAccountBox()->setChecked(true);
        ASSERT_TRUE(LogIn(dialog, 1, "demo", "secret"));
    }
    const LoginFields login = session.Login();
    EXPECT_EQ(login.userName, "demo01");  // replaced by the answer
    EXPECT_EQ(login.password, "secret");
    EXPECT_EQ(login.displayName, Ansi("演示账户"));
    EXPECT_EQ(login.bankName, Ansi("招商银行"));
    EXPECT_EQ(login.priceLimitBuffer, "5");
    EXPECT_EQ(login.forcedCloseCount, "3");
    EXPECT_EQ(login.serverMode, ServerMode::OvernightFirstRound);
    EXPECT_EQ(session.tablesLoading.load(), 0);
    // The five tables were loaded after the login request.
    EXPECT_EQ(server.Requests().size(), 6u);

    EXPECT_EQ(SystemIni("fs.ini", "login_gy", Today()), "demo");
    const std::string client = platform::SettingsFile("client.ini");
    EXPECT_EQ(platform::GetPrivateProfileString("loginfo", "saveuser", "", client), "1");
    EXPECT_EQ(platform::GetPrivateProfileString("loginfo", "user", "", client), "demo");
    EXPECT_EQ(platform::GetPrivateProfileString("loginfo", "td", "", client), "1");

    // The next start shows the saved account; unchecking before another successful login in
    // mode 3 keeps it saved.
    {
        CFLoginDlg next(session, loader);
        EXPECT_EQ(next.accountEdit()->text(), "demo");
        EXPECT_TRUE(next.saveAccountBox()->isChecked());
        EXPECT_EQ(next.serverList()->currentIndex(), 1);
        next.saveAccountBox()->setChecked(false);
        ASSERT_TRUE(LogIn(next, 3, "other", "secret"));
    }
    EXPECT_EQ(SystemIni("hz.ini", "login_np", Today()), "other");
    EXPECT_EQ(platform::GetPrivateProfileString("loginfo", "user", "", client), "demo");
    EXPECT_EQ(platform::GetPrivateProfileString("loginfo", "td", "", client), "3");
}

TEST_F(LoginTest, TheAutoLoginFileLogsInWithTheFixedPasswordAndIsDeleted) {
    const std::string file = platform::SystemFile("autologinsvrfutres.ini");
    platform::WritePrivateProfileString("user", "username", "trader", file);
    platform::WritePrivateProfileString("user", "nsel", "2", file);
    AnswerLogin("1,拒绝");
    CFLoginDlg dialog(session, loader);
    QSignalSpy failed(&dialog, &CFLoginDlg::loginFailed);
    ASSERT_TRUE(failed.wait(5000));
    EXPECT_FALSE(std::filesystem::exists(file));  // gone even though the login failed
    const std::string body = server.Requests().at(0).body;
    EXPECT_EQ(body.rfind(std::string("user_name=trader&user_pwd=Qv#7)m(Rp*2!k%26Z8&pwd="), 0), 0u)
        << body;
    EXPECT_EQ(dialog.serverList()->currentIndex(), 2);

    platform::WritePrivateProfileString("user", "username", "0", file);
    CFLoginDlg ignored(session, loader);
    EXPECT_TRUE(std::filesystem::exists(file));  // "0" does not trigger and stays
    EXPECT_EQ(server.Requests().size(), 1u);
}

TEST_F(LoginTest, CloseAndRegistrationGoThroughTheSeam) {
    CFLoginDlg dialog(session, loader);
    QTest::mouseClick(dialog.registerButton(), Qt::LeftButton);
    QTest::mouseClick(dialog.closeButton(), Qt::LeftButton);
    std::lock_guard lock(effects.mutex);
    ASSERT_EQ(effects.openedUrls.size(), 1u);
    EXPECT_TRUE(effects.openedUrls[0].endsWith("/reg-1.html"));
    EXPECT_EQ(effects.exitCodes, (std::vector<int>{0}));
    EXPECT_TRUE(QString::fromStdString(session.chatUrl).endsWith("/chat.php"));
}

TEST(LoginRules, MachineCodeWritesEachByteAsASignedDecimal) {
    EXPECT_EQ(MachineCode({{0x00, 0x1A, 0xFF}}, {0x01, 0x02, 0x03, 0x80}, "pc"),
              "026-1123-12811299");
    std::vector<std::vector<unsigned char>> many(700, std::vector<unsigned char>(6, 1));
    EXPECT_EQ(MachineCode(many, {}, "").size(), 682u * 6u);  // stops before 4096 bytes
}

TEST(LoginRules, AnswerKinds) {
    EXPECT_EQ(ParseLoginAnswer("1,bad", ServerMode::SecondRound).kind, LoginAnswer::Kind::Refused);
    EXPECT_EQ(ParseLoginAnswer("0,a", ServerMode::SecondRound).kind,
              LoginAnswer::Kind::TooFewFields);
    const auto ok = ParseLoginAnswer("0,a,20210426,,5,b,6,7,u", ServerMode::SecondRound);
    EXPECT_EQ(ok.kind, LoginAnswer::Kind::Accepted);
    EXPECT_EQ(ok.forcedCloseCount, "");
    EXPECT_EQ(ParseLoginAnswer("0,a,20210426,,5,b,6,7,u", ServerMode::OvernightFirstRound).kind,
              LoginAnswer::Kind::TooFewFields);
}

}  // namespace
}  // namespace ft

namespace ft {
namespace {

// The same dialog against the reference back-end: a real refusal, a real login with every
// table loaded, and the back-end announcing a newer client.
TEST_F(LoginTest, AgainstTheReferenceBackEnd) {
    fsim::SimOptions options = BackEndOptions();
    options.randomWalk = false;
    StartBackEnd(options);
    {
        CFLoginDlg dialog(session, loader);
        EXPECT_FALSE(LogIn(dialog, 3, "demo", "wrong"));
        EXPECT_EQ(effects.Messages(), (std::vector<QString>{"通知|用户名或密码错误"}));
        ASSERT_TRUE(LogIn(dialog, 3, "demo", "demo"));
    }
    const LoginFields login = session.Login();
    EXPECT_EQ(login.displayName, Ansi("演示账户"));
    EXPECT_EQ(login.bankName, Ansi("招商银行"));
    EXPECT_EQ(login.serverMode, ServerMode::Cooperation);
    EXPECT_EQ(session.products.Snapshot()->Count(), 30u);
    EXPECT_EQ(std::string(session.money.Snapshot()->staticEquity), "1000000.00");
    EXPECT_NE(std::string(session.money.Snapshot()->riskBase), "") << "mode 3 carries it";
    EXPECT_NE(SystemIni("hz.ini", "login_np", Today()), "");

    BackEnd().SetVersion("20990101");
    CFLoginDlg again(session, loader);
    EXPECT_FALSE(LogIn(again, 0, "demo", "demo"));
    ASSERT_EQ(effects.updaterCommands.size(), 1u);
    EXPECT_EQ(effects.updaterCommands[0], "update --from 20990101");
    EXPECT_EQ(effects.exitCodes, std::vector<int>{0});
}

}  // namespace
}  // namespace ft
