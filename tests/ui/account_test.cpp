// The account dialogs against the reference back-end started in the test: the settlement
// statement, bank-futures transfers and the password change, driven through their controls.
#include <gtest/gtest.h>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QMenuBar>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

#include "account/transfer_rules.h"
#include "core/record_format.h"
#include "core/text.h"
#include "net/request_client.h"
#include "support/ui_fixture.h"
#include "ui/account/password_dialog.h"
#include "ui/account/statement_dialog.h"
#include "ui/account/transfer_dialog.h"
#include "ui/common/text_boundary.h"
#include "ui/controls/gradient_button.h"
#include "ui/controls/list_ctrl.h"
#include "ui/controls/text_controls.h"
#include "ui/market/top_view.h"

namespace ft::ui {
namespace {

QString Q(const char* utf8) {
    return QString::fromUtf8(utf8);
}

// Records the save dialog's proposal and, in one list, messages and process exits in order.
struct AccountRecord {
    std::mutex mutex;
    QStringList proposals;
    QStringList filters;
    QStringList events;  // "message:<text>" or "exit:<code>"
};

class AccountEffects : public ft::testing::RecordingEffects {
public:
    AccountEffects(ft::testing::RecordedEffects& base, AccountRecord& record)
        : RecordingEffects(base), record_(record) {}
    MessageResult ShowMessage(QWidget* owner, const QString& text, const QString& caption,
                              MessageButtons buttons) override {
        {
            std::lock_guard lock(record_.mutex);
            record_.events << "message:" + text;
        }
        return RecordingEffects::ShowMessage(owner, text, caption, buttons);
    }
    QString AskSaveFileName(QWidget* owner, const QString& proposedName, const QString& filter,
                            const QString& suffix) override {
        {
            std::lock_guard lock(record_.mutex);
            record_.proposals << proposedName;
            record_.filters << filter + "|" + suffix;
        }
        return RecordingEffects::AskSaveFileName(owner, proposedName, filter, suffix);
    }
    void ExitProcess(int code) override {
        {
            std::lock_guard lock(record_.mutex);
            record_.events << "exit:" + QString::number(code);
        }
        RecordingEffects::ExitProcess(code);
    }

private:
    AccountRecord& record_;
};

class AccountTest : public ft::testing::UiFixture {
protected:
    void SetUp() override {
        UiFixture::SetUp();
        SetEffects(std::make_unique<AccountEffects>(effects, record));
    }

    void StartLoggedIn() {
        StartBackEnd();
        LogInSession();
        LoginFields login = session.Login();
        login.bankName = Ansi("招商银行");
        session.SetLogin(login);
    }

    QDate TradingDay() {
        return QDate::fromString(QString::fromStdString(BackEnd().TradingDay()), "yyyy-MM-dd");
    }
    // The weekday `n` trading days before `day`.
    static QDate TradingDaysBefore(QDate day, int n) {
        while (n > 0) {
            day = day.addDays(-1);
            if (day.dayOfWeek() <= 5) {
                --n;
            }
        }
        return day;
    }

    std::string Post(const char* path, const std::string& body) {
        std::string answer;
        EXPECT_TRUE(PostForm(session, path, body, answer));
        return answer;
    }

    void FillPasswordChange(CPwdDlg& dialog, const QString& old, const QString& fresh) {
        dialog.show();
        Type(dialog.OldPassword(), old);
        Type(dialog.NewPassword(), fresh);
        Type(dialog.Confirmation(), fresh);
    }
    // Shows the transfer dialog, waits for its start answer and fills a transfer to the bank.
    void ReadyTransferToBank(CZZDlg& dialog, const QString& amount) {
        QSignalSpy started(dialog.TransferPanel(), &CZZDlg1::started);
        dialog.show();
        ASSERT_TRUE(started.wait(5000));
        Type(dialog.TransferPanel()->Amount(), amount);
        Type(dialog.TransferPanel()->FundPassword(), "123456");
    }

    std::vector<QString> Messages() { return effects.Messages(); }
    QString Notice(const char* utf8) { return Q("通知|") + Q(utf8); }

    static void Click(QAbstractButton* button) { QTest::mouseClick(button, Qt::LeftButton); }
    // Replaces the text of an edit by typing, as the trader does.
    static void Type(QLineEdit* edit, const QString& text) {
        edit->setFocus();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClicks(edit, text);
    }
    static void PickDate(QDateEdit* picker, QDate date) {
        // Tabbed into, the picker selects its year; it moves on as each section fills.
        picker->setFocus(Qt::TabFocusReason);
        QTest::keyClicks(picker, date.toString("yyyyMMdd"));
    }

    // Runs `drive` while the frame's modal dialog of type T is open; the dialog is closed
    // afterwards if `drive` left it open, so a failure never leaves the test waiting.
    template <typename T>
    void WhileModal(std::function<void(T&)> drive, bool* seen = nullptr) {
        QTimer::singleShot(0, [drive, seen] {
            QWidget* modal = nullptr;
            WaitFor([&] { return (modal = QApplication::activeModalWidget()) != nullptr; });
            auto* dialog = qobject_cast<T*>(modal);
            auto close = qScopeGuard([modal] {
                if (auto* d = qobject_cast<QDialog*>(modal); d && d->isVisible()) {
                    d->reject();
                }
            });
            if (seen) {
                *seen = dialog != nullptr;
            }
            if (dialog) {
                drive(*dialog);
            }
        });
    }

    QAction* MenuAction(const char* utf8) {
        for (QAction* action : frame->menuBar()->findChildren<QAction*>()) {
            if (action->text() == Q(utf8)) {
                return action;
            }
        }
        return nullptr;
    }

    static std::string ReadFile(const std::filesystem::path& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    AccountRecord record;
};

// ---- Settlement statement -------------------------------------------------------------

TEST_F(AccountTest, StatementOfTodayAndOfAPastDayAreShownAndSaved) {
    StartLoggedIn();
    // Today's statement lists a transfer made this trading day.
    Post(kToBankPath, "username=demo&money=123.45&pwd=123456");
    const QDate today = TradingDay();
    CJiesDlg dialog(session, nullptr, today);
    QSignalSpy fetched(&dialog, &CJiesDlg::fetchFinished);
    dialog.show();
    ASSERT_TRUE(fetched.wait(5000));
    EXPECT_EQ(dialog.DatePicker()->date(), today);
    const std::string todays = dialog.StatementText();
    const std::string day = today.toString("yyyy-MM-dd").toStdString();
    EXPECT_NE(todays.find(Ansi("客户号： ") + "      demo"), std::string::npos);
    EXPECT_NE(todays.find(Ansi("客户名称： ") + "  " + Ansi("演示账户")), std::string::npos);
    EXPECT_NE(todays.find(Ansi("日期： ") + day), std::string::npos);
    EXPECT_NE(todays.find("|     -123.45|        0.00|"), std::string::npos);
    // The box shows the statement, line for line.
    EXPECT_EQ(dialog.TextBox()->toPlainText(),
              ToQt(todays).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    EXPECT_EQ(dialog.TextBox()->palette().color(QPalette::Base), QColor(255, 255, 245));
    EXPECT_EQ(dialog.TextBox()->font().pixelSize(), 13);
    for (const QSize size : {dialog.size(), QSize(1000, 420)}) {
        dialog.resize(size);
        EXPECT_EQ(dialog.TextBox()->geometry(), QRect(3, 36, size.width() - 3, size.height() - 36));
    }

    // Two trading days back: the winning rb2705 round trip of the demo history.
    const QDate past = TradingDaysBefore(today, 2);
    PickDate(dialog.DatePicker(), past);
    ASSERT_EQ(dialog.DatePicker()->date(), past);
    Click(dialog.QueryButton());
    ASSERT_TRUE(fetched.wait(5000));
    const std::string pasts = dialog.StatementText();
    EXPECT_NE(pasts.find(Ansi("日期： ") + past.toString("yyyy-MM-dd").toStdString()),
              std::string::npos);
    EXPECT_NE(pasts.find(" rb2705|"), std::string::npos);
    EXPECT_NE(pasts.find("| " + Ansi("共") + "   2" + Ansi("条") + " |"), std::string::npos);
    EXPECT_EQ(pasts.find("-123.45"), std::string::npos);

    // Saved under the name the trader typed, ".txt" added, byte for byte.
    const QString before = QDateTime::currentDateTime().toString("yyyyMMddHHmm");
    effects.saveFileName = QString::fromStdString((dir / "statement").string());
    Click(dialog.SaveButton());
    const QString after = QDateTime::currentDateTime().toString("yyyyMMddHHmm");
    ASSERT_EQ(record.proposals.size(), 1);
    EXPECT_TRUE(record.proposals[0] == "inout" + before || record.proposals[0] == "inout" + after)
        << record.proposals[0].toStdString();
    EXPECT_EQ(record.filters[0], Q("txt文件(*.txt)|txt"));
    EXPECT_EQ(ReadFile(dir / "statement.txt"), pasts);
    EXPECT_TRUE(Messages().empty());

    // Saving today's statement over it: the dialog returns the name with ".txt", and it is
    // replaced without a second question.
    PickDate(dialog.DatePicker(), today);
    Click(dialog.QueryButton());
    ASSERT_TRUE(fetched.wait(5000));
    effects.saveFileName = QString::fromStdString((dir / "statement.txt").string());
    Click(dialog.SaveButton());
    EXPECT_EQ(ReadFile(dir / "statement.txt"), dialog.StatementText());
    EXPECT_TRUE(Messages().empty());
}

TEST_F(AccountTest, DateWithoutStatementOrFailedRequestKeepsTheTextAndSaysSo) {
    StartLoggedIn();
    CJiesDlg dialog(session, nullptr, TradingDay());
    QSignalSpy fetched(&dialog, &CJiesDlg::fetchFinished);
    dialog.show();
    ASSERT_TRUE(fetched.wait(5000));
    const std::string shown = dialog.StatementText();
    const QString boxText = dialog.TextBox()->toPlainText();
    ASSERT_FALSE(shown.empty());

    // The back-end has no statement for that day ("1,该日无结算单"): the text stays, and the
    // trader is told it is not that day's.
    PickDate(dialog.DatePicker(), QDate(2001, 1, 2));
    Click(dialog.QueryButton());
    ASSERT_TRUE(fetched.wait(5000));
    EXPECT_EQ(dialog.StatementText(), shown);
    EXPECT_EQ(dialog.TextBox()->toPlainText(), boxText);
    EXPECT_EQ(Messages(),
              (std::vector<QString>{
                  Notice("未能取得 2001-01-02 的结算单：该日无结算单。下方仍是之前查询的结算单")}));

    // While a slow request is out the button refuses a second press.
    BackEnd().StallWeb(300);
    PickDate(dialog.DatePicker(), TradingDaysBefore(TradingDay(), 3));
    Click(dialog.QueryButton());
    EXPECT_FALSE(dialog.QueryButton()->isEnabled());
    Click(dialog.QueryButton());
    ASSERT_TRUE(fetched.wait(5000));
    ASSERT_TRUE(Settle());
    EXPECT_EQ(fetched.count(), 3) << "one fetch for two presses";
    EXPECT_TRUE(dialog.QueryButton()->isEnabled());
    const std::string deposit = dialog.StatementText();
    EXPECT_NE(deposit, shown);
    EXPECT_NE(deposit.find(Ansi("银行转期货")), std::string::npos);

    // A request refused before it left leaves the previous day's statement on screen, and says so.
    BackEnd().StallWeb(0);
    BackEnd().CloseWebConnections(true);
    PickDate(dialog.DatePicker(), TradingDay());
    Click(dialog.QueryButton());
    ASSERT_TRUE(fetched.wait(10000));
    EXPECT_EQ(dialog.StatementText(), deposit);
    ASSERT_EQ(Messages().size(), 2u);
    EXPECT_EQ(Messages().back(),
              Notice(("未能取得 " + TradingDay().toString("yyyy-MM-dd").toStdString() +
                      " 的结算单：无法连接交易服务器。下方仍是之前查询的结算单")
                         .c_str()));
}

TEST_F(AccountTest, StatementSaveAsksBeforeReplacingAndReportsFailures) {
    StartLoggedIn();
    CJiesDlg dialog(session, nullptr, TradingDay());
    QSignalSpy fetched(&dialog, &CJiesDlg::fetchFinished);
    dialog.show();
    ASSERT_TRUE(fetched.wait(5000));

    // Cancelled: nothing written, nothing said.
    effects.saveFileName.clear();
    Click(dialog.SaveButton());
    EXPECT_TRUE(Messages().empty());

    // A folder that does not exist: the trader is told.
    const std::filesystem::path missing = dir / "missing" / "day";
    effects.saveFileName = QString::fromStdString(missing.string());
    Click(dialog.SaveButton());
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0],
              Notice("结算单未能保存到文件 ") + QString::fromStdString(missing.string()) + ".txt");

    // "day" names "day.txt", which exists: replaced only when the trader says yes.
    const std::filesystem::path file = dir / "day.txt";
    std::ofstream(file, std::ios::binary) << "earlier";
    effects.saveFileName = QString::fromStdString((dir / "day").string());
    effects.answer = MessageResult::No;
    Click(dialog.SaveButton());
    ASSERT_EQ(Messages().size(), 2u);
    EXPECT_EQ(Messages()[1],
              Notice("文件 ") + QString::fromStdString(file.string()) + Q(" 已存在，要替换它吗？"));
    EXPECT_EQ(ReadFile(file), "earlier");
    effects.answer = MessageResult::Yes;
    Click(dialog.SaveButton());
    EXPECT_EQ(Messages().size(), 3u);
    EXPECT_EQ(ReadFile(file), dialog.StatementText());
}

TEST_F(AccountTest, FundsBarQueryOpensTodaysStatement) {
    OpenDemoFrame();
    bool seen = false;
    QDate picked;
    WhileModal<CJiesDlg>(
        [&](CJiesDlg& dialog) {
            picked = dialog.DatePicker()->date();
            QSignalSpy fetched(&dialog, &CJiesDlg::fetchFinished);
            EXPECT_TRUE(fetched.wait(5000));
            EXPECT_EQ(dialog.windowTitle(), Q("历史结算单查询"));
        },
        &seen);
    Click(frame->TopView()->QueryButton());
    EXPECT_TRUE(seen);
    EXPECT_EQ(picked, QDate::currentDate());

    seen = false;
    WhileModal<CJiesDlg>([](CJiesDlg&) {}, &seen);
    ASSERT_TRUE(MenuAction("历史交易记录查询"));
    MenuAction("历史交易记录查询")->trigger();
    EXPECT_TRUE(seen);
}

// ---- Bank-futures transfer ----------------------------------------------------------------

TEST_F(AccountTest, TransferDialogShowsCardFundsAndHistory) {
    StartLoggedIn();
    CZZDlg dialog(session);
    CZZDlg1& panel = *dialog.TransferPanel();
    QSignalSpy started(&panel, &CZZDlg1::started);
    QSignalSpy loaded(dialog.HistoryPanel(), &CZZDlg2::historyLoaded);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    ASSERT_TRUE(started.count() > 0 || started.wait(5000));
    ASSERT_TRUE(loaded.count() > 0 || loaded.wait(5000));

    EXPECT_EQ(dialog.windowTitle(), Q("银期转帐"));
    EXPECT_EQ(dialog.Tabs()->tabText(0), Q("  转帐  "));
    EXPECT_EQ(dialog.Tabs()->tabText(1), Q("查转帐记录"));
    QComboBox* banks = panel.BankList();
    ASSERT_EQ(banks->count(), 5);
    const char* names[] = {"招商银行", "工商银行", "建设银行", "农业银行", "中国银行"};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(banks->itemText(i), Q(names[i]));
    }
    EXPECT_EQ(banks->currentIndex(), 0);
    EXPECT_EQ(panel.CardLine()->text(), Q("银行卡号:6225880212345678"));
    EXPECT_EQ(panel.CreditLine()->text(), Q("信用资产：0.00"));
    const std::string available = Post(kFuturesFundsPath, "username=demo&pwd=123456");
    EXPECT_EQ(panel.TransferableLine()->text(), Q("可转金额：") + ToQt(available));

    // The card is shown only while the session's bank is selected.
    banks->setFocus();
    QTest::keyClick(banks, Qt::Key_Down);
    EXPECT_EQ(banks->currentText(), Q("工商银行"));
    EXPECT_EQ(panel.CardLine()->text(), Q("银行卡号:"));
    QTest::keyClick(banks, Qt::Key_Up);
    EXPECT_EQ(panel.CardLine()->text(), Q("银行卡号:6225880212345678"));

    // The history tab lists the demo account's deposit.
    EXPECT_TRUE(panel.isVisible());
    EXPECT_FALSE(dialog.HistoryPanel()->isVisible());
    QTabBar* bar = dialog.Tabs()->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, bar->tabRect(1).center());
    EXPECT_TRUE(dialog.HistoryPanel()->isVisible());
    EXPECT_FALSE(panel.isVisible());
    const CListCtrlCl& list = *dialog.HistoryPanel()->List();
    const char* titles[] = {"转账时间", "转账类型", "转账金额", "状态"};
    const int widths[] = {150, 90, 90, 90};
    for (int c = 0; c < 4; ++c) {
        EXPECT_EQ(list.model()->headerData(c, Qt::Horizontal).toString(), Q(titles[c]));
        EXPECT_EQ(list.columnWidth(c), widths[c]);
        EXPECT_EQ(list.CellAlignment(c), Qt::AlignHCenter);
    }
    ASSERT_EQ(list.GetItemCount(), 1);
    EXPECT_EQ(list.GetItemText(0, TransferCol::Kind), Ansi("银行转期货"));
    EXPECT_EQ(list.GetItemText(0, TransferCol::Status), Ansi("成功"));
    EXPECT_EQ(list.GetItemText(0, TransferCol::Time).substr(11), "09:05:00");
}

TEST_F(AccountTest, UnknownBankIsNotPreselectedAndShowsNoCard) {
    StartLoggedIn();
    LoginFields login = session.Login();
    login.bankName = Ansi("交通银行");
    session.SetLogin(login);
    CZZDlg dialog(session);
    QSignalSpy started(dialog.TransferPanel(), &CZZDlg1::started);
    dialog.show();
    ASSERT_TRUE(started.wait(5000));
    QComboBox* banks = dialog.TransferPanel()->BankList();
    EXPECT_EQ(banks->currentIndex(), -1);
    // Before any choice the start shows the back-end's card; a choice never matches.
    EXPECT_EQ(dialog.TransferPanel()->CardLine()->text(), Q("银行卡号:6225880212345678"));
    banks->setFocus();
    QTest::keyClick(banks, Qt::Key_Down);
    EXPECT_GE(banks->currentIndex(), 0);
    EXPECT_EQ(dialog.TransferPanel()->CardLine()->text(), Q("银行卡号:"));
}

TEST_F(AccountTest, BalancesAndTransfersBothWaysReachTheFundsBarAfterOk) {
    QuoteTimings timings;
    // No refresh signal from the quote feed during the test: the reload must come from 确定.
    timings.pollPause = std::chrono::milliseconds(60000);
    OpenDemoFrame({}, timings);
    CTopView& top = *frame->TopView();
    ASSERT_TRUE(WaitFor([&] { return !top.FundsValue(0)->text().isEmpty(); }));
    const double before = top.FundsValue(0)->text().toDouble();
    ASSERT_GT(before, 0);

    bool seen = false;
    WhileModal<CZZDlg>(
        [&](CZZDlg& dialog) {
            CZZDlg1& panel = *dialog.TransferPanel();
            QSignalSpy finished(&panel, &CZZDlg1::requestFinished);
            Type(panel.FundPassword(), "123456");
            Click(panel.FuturesQueryButton());
            ASSERT_TRUE(finished.wait(5000));
            const QString futures = panel.FuturesFunds()->text();
            EXPECT_GT(futures.toDouble(), 0) << futures.toStdString();
            Type(panel.BankPassword(), "123456");
            Click(panel.BankQueryButton());
            ASSERT_TRUE(finished.wait(5000));
            EXPECT_EQ(panel.BankFunds()->text(), "200000.00");

            Type(panel.Amount(), "1000");
            Click(panel.ToBankButton());
            ASSERT_TRUE(finished.wait(5000));
            Type(panel.Amount(), "300.5");
            Click(panel.ToFuturesButton());
            ASSERT_TRUE(finished.wait(5000));
            EXPECT_EQ(Messages(), (std::vector<QString>{Notice("转账成功"), Notice("转账成功")}));
            // Neither transfer refreshes the balances; a new query does.
            EXPECT_EQ(panel.BankFunds()->text(), "200000.00");
            Click(panel.BankQueryButton());
            ASSERT_TRUE(finished.wait(5000));
            EXPECT_EQ(panel.BankFunds()->text(), "200699.50");
            Click(panel.FuturesQueryButton());
            ASSERT_TRUE(finished.wait(5000));
            EXPECT_NEAR(panel.FuturesFunds()->text().toDouble(), futures.toDouble() - 699.5, 0.001);

            ASSERT_TRUE(Settle());
            EXPECT_EQ(top.FundsValue(0)->text().toDouble(), before) << "no reload before 确定";
            Click(dialog.OkButton());
        },
        &seen);
    ASSERT_TRUE(MenuAction("银期转帐"));
    MenuAction("银期转帐")->trigger();
    ASSERT_TRUE(seen);
    EXPECT_TRUE(WaitFor([&] {
        return std::abs(top.FundsValue(0)->text().toDouble() - (before - 699.5)) < 0.001;
    })) << top.FundsValue(0)->text().toStdString();
}

TEST_F(AccountTest, MissingInputsAndRefusalsAreReported) {
    StartLoggedIn();
    CZZDlg dialog(session);
    CZZDlg1& panel = *dialog.TransferPanel();
    QSignalSpy started(&panel, &CZZDlg1::started);
    QSignalSpy finished(&panel, &CZZDlg1::requestFinished);
    dialog.show();
    ASSERT_TRUE(started.wait(5000));

    Click(panel.FuturesQueryButton());
    Click(panel.BankQueryButton());
    Click(panel.ToBankButton());
    Click(panel.ToFuturesButton());
    Type(panel.Amount(), "100");
    Click(panel.ToBankButton());
    Click(panel.ToFuturesButton());
    EXPECT_EQ(Messages(), (std::vector<QString>{Notice("请输入密码"), Notice("请输入密码"),
                                                Notice("请输入转账金额"), Notice("请输入转账金额"),
                                                Notice("请输入期货密码"), Notice("请输入密码")}));
    EXPECT_EQ(finished.count(), 0) << "nothing was sent";

    // The back-end's reasons, as they are.
    Type(panel.FundPassword(), "000000");
    Click(panel.FuturesQueryButton());
    ASSERT_TRUE(finished.wait(5000));
    EXPECT_EQ(panel.FuturesFunds()->text(), "");
    Click(panel.ToBankButton());
    ASSERT_TRUE(finished.wait(5000));
    Type(panel.BankPassword(), "123456");
    Type(panel.Amount(), "999999");
    Click(panel.ToFuturesButton());
    ASSERT_TRUE(finished.wait(5000));
    const std::vector<QString> messages = Messages();
    ASSERT_EQ(messages.size(), 9u);
    EXPECT_EQ(messages[6], Notice("资金密码错误"));
    EXPECT_EQ(messages[7], Notice("资金密码错误"));
    EXPECT_EQ(messages[8], Notice("银行余额不足"));
    EXPECT_EQ(ParseTransferHistory(Post(kTransferHistoryPath, "username=demo")).size(), 1u)
        << "no money moved";

    // An amount a lax reader would take for another ("1,000" as 1) never leaves.
    Type(panel.Amount(), "1,000");
    Click(panel.ToFuturesButton());
    EXPECT_EQ(Messages().back(), Notice("转账金额须是大于0的半角数字，最多两位小数: 1,000"));
    EXPECT_TRUE(panel.ToFuturesButton()->isEnabled()) << "no transfer is out";
    EXPECT_EQ(finished.count(), 3);

    // Blanks around a pasted amount are not part of it.
    Type(panel.Amount(), " 50 ");
    Click(panel.ToFuturesButton());
    ASSERT_TRUE(finished.wait(5000));
    EXPECT_EQ(Messages().back(), Notice("转账成功"));
    EXPECT_EQ(ParseTransferHistory(Post(kTransferHistoryPath, "username=demo")).size(), 2u);
}

TEST_F(AccountTest, DoubleClickOnTransferMovesTheMoneyOnce) {
    StartLoggedIn();
    CZZDlg dialog(session);
    CZZDlg1& panel = *dialog.TransferPanel();
    ReadyTransferToBank(dialog, "10");
    QSignalSpy finished(&panel, &CZZDlg1::requestFinished);

    BackEnd().StallWeb(300);
    // A double click as the window system delivers it: a click, then a double-click event in
    // place of the second press, then its release.
    Click(panel.ToBankButton());
    QTest::mouseDClick(panel.ToBankButton(), Qt::LeftButton);
    QTest::mouseRelease(panel.ToBankButton(), Qt::LeftButton);
    EXPECT_FALSE(panel.ToBankButton()->isEnabled()) << "the dialog shows it waits";
    panel.TransferToBank();  // even a press that reaches the handler is refused
    ASSERT_TRUE(finished.wait(5000));
    ASSERT_TRUE(Settle());
    EXPECT_EQ(finished.count(), 1);
    EXPECT_EQ(Messages(), std::vector<QString>{Notice("转账成功")});
    EXPECT_TRUE(panel.ToBankButton()->isEnabled());
    BackEnd().StallWeb(0);
    EXPECT_EQ(ParseTransferHistory(Post(kTransferHistoryPath, "username=demo")).size(), 2u);
}

TEST_F(AccountTest, ATransferWithoutAnAnswerIsSaidAndGuardedUntilTheBalanceIsReadAgain) {
    ft::testing::ShortStallTimeout shortStall;
    StartLoggedIn();
    CZZDlg dialog(session);
    CZZDlg1& panel = *dialog.TransferPanel();
    ReadyTransferToBank(dialog, "5000");
    QSignalSpy finished(&panel, &CZZDlg1::requestFinished);

    BackEnd().StallWeb(4000);
    Click(panel.ToBankButton());
    // Esc, ✕ and the buttons keep the dialog while the transfer is out, and say why.
    QTest::keyClick(&dialog, Qt::Key_Escape);
    dialog.close();
    Click(dialog.OkButton());
    EXPECT_TRUE(dialog.isVisible());
    const QString wait = Notice("转账请求已发出，正在等待结果，请稍候再关闭");
    EXPECT_EQ(Messages(), (std::vector<QString>{wait, wait, wait}));

    ASSERT_TRUE(finished.wait(10000));
    EXPECT_EQ(Messages().back(), Notice("转账结果未知，请勿重复转账；将重新读取可转金额，也可在"
                                        "“查转帐记录”中核对"));
    // Neither direction may go until the balance is read again.
    EXPECT_FALSE(panel.ToBankButton()->isEnabled());
    EXPECT_FALSE(panel.ToFuturesButton()->isEnabled());
    panel.TransferToBank();
    panel.TransferToFutures();
    EXPECT_EQ(finished.count(), 1);

    BackEnd().StallWeb(0);
    ASSERT_TRUE(WaitFor([&] { return panel.ToBankButton()->isEnabled(); }, 15000));
    EXPECT_TRUE(panel.ToFuturesButton()->isEnabled());
    EXPECT_TRUE(Messages().back().startsWith(Notice("转账结果核对：原可转金额：")))
        << Messages().back().toStdString();
    EXPECT_TRUE(Messages().back().contains(Q("，现") + panel.TransferableLine()->text()));
    EXPECT_EQ(ParseTransferHistory(Post(kTransferHistoryPath, "username=demo")).size(), 2u)
        << "moved once";
}

// ---- Password change --------------------------------------------------------------------

TEST_F(AccountTest, PasswordMessagesComeInTheOrderOfTheFields) {
    StartLoggedIn();
    CPwdDlg dialog(session);
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), Q("密码修改"));
    for (QLineEdit* edit : {static_cast<QLineEdit*>(dialog.OldPassword()),
                            static_cast<QLineEdit*>(dialog.NewPassword()),
                            static_cast<QLineEdit*>(dialog.Confirmation())}) {
        EXPECT_EQ(edit->echoMode(), QLineEdit::Password);
    }
    Click(dialog.OkButton());
    Type(dialog.NewPassword(), "new");
    Type(dialog.Confirmation(), "new");
    Click(dialog.OkButton());  // the old one is still missing
    Type(dialog.OldPassword(), "demo");
    Type(dialog.NewPassword(), "");
    Click(dialog.OkButton());
    Type(dialog.NewPassword(), "new");
    Type(dialog.Confirmation(), "");
    Click(dialog.OkButton());
    Type(dialog.Confirmation(), "neW");
    Click(dialog.OkButton());
    EXPECT_EQ(Messages(), (std::vector<QString>{Notice("请输入原密码"), Notice("请输入原密码"),
                                                Notice("请输入新密码"), Notice("请输入确认密码"),
                                                Notice("新密码和确认密码不一致")}));
    // Nothing was sent: the account still answers to its password.
    EXPECT_NE(Post("index.php?m=client&a=getusermoneyinfo", "").substr(0, 2), "1,");
}

TEST_F(AccountTest, RefusedPasswordChangeKeepsTheDialogOpen) {
    StartLoggedIn();
    CPwdDlg dialog(session);
    QSignalSpy finished(&dialog, &CPwdDlg::requestFinished);
    FillPasswordChange(dialog, "wrong", "abc");
    Click(dialog.OkButton());
    EXPECT_FALSE(dialog.OkButton()->isEnabled());
    ASSERT_TRUE(finished.wait(5000));
    EXPECT_EQ(Messages(), std::vector<QString>{Notice("修改失败，原密码错误")});
    EXPECT_TRUE(effects.exitCodes.empty());
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_TRUE(dialog.OkButton()->isEnabled());

    // A request that could not leave is said to have failed; nothing changed.
    BackEnd().CloseWebConnections(true);
    Click(dialog.OkButton());
    ASSERT_TRUE(finished.wait(10000));
    EXPECT_EQ(Messages().size(), 2u);
    EXPECT_EQ(Messages().back(), Notice("密码修改失败，无法连接交易服务器"));
    EXPECT_TRUE(effects.exitCodes.empty());
}

TEST_F(AccountTest, ThePasswordDialogCannotBeClosedWhileTheChangeIsOut) {
    StartLoggedIn();
    CPwdDlg dialog(session);
    FillPasswordChange(dialog, "demo", "abc");
    BackEnd().StallWeb(800);
    Click(dialog.OkButton());
    QTest::keyClick(&dialog, Qt::Key_Escape);
    dialog.close();
    EXPECT_TRUE(dialog.isVisible());
    // The change went through: the session ends as always, stop-loss requests included.
    ASSERT_TRUE(WaitFor([&] { return !effects.exitCodes.empty(); }));
    const QString wait = "message:" + Q("密码修改请求已发出，正在等待结果，请稍候再关闭");
    EXPECT_EQ(record.events,
              (QStringList{wait, wait, "message:" + Q("密码修改成功,请重新登录系统"), "exit:0"}));
}

TEST_F(AccountTest, APasswordChangeWithoutAnAnswerEndsTheSessionSayingSo) {
    ft::testing::ShortStallTimeout shortStall;
    StartLoggedIn();
    CPwdDlg dialog(session);
    FillPasswordChange(dialog, "demo", "abc");
    BackEnd().StallWeb(4000);
    Click(dialog.OkButton());
    ASSERT_TRUE(WaitFor([&] { return !effects.exitCodes.empty(); }, 10000));
    EXPECT_EQ(record.events,
              (QStringList{"message:" + Q("密码修改结果未知，程序将退出；请重新登录，新密码或原密码"
                                          "之一有效"),
                           "exit:0"}));
    BackEnd().StallWeb(0);
}

TEST_F(AccountTest, ChangedPasswordEndsTheProcessAndHoldsForTheNextSession) {
    OpenDemoFrame();
    const QString fresh = Q("n3w&pwd=x+%");
    bool seen = false;
    WhileModal<CPwdDlg>(
        [&](CPwdDlg& dialog) {
            Type(dialog.OldPassword(), "demo");
            Type(dialog.NewPassword(), fresh);
            Type(dialog.Confirmation(), fresh);
            Click(dialog.OkButton());
            EXPECT_TRUE(WaitFor([&] { return !effects.exitCodes.empty(); }));
        },
        &seen);
    ASSERT_TRUE(MenuAction("修改密码(&P)"));
    MenuAction("修改密码(&P)")->trigger();
    ASSERT_TRUE(seen);
    EXPECT_EQ(record.events,
              (QStringList{"message:" + Q("密码修改成功,请重新登录系统"), "exit:0"}));

    // A new session of the terminal logs in with the new password.
    frame.reset();
    feed.reset();
    LogInSession("demo", FromQt(fresh));
    const std::string money = Post("index.php?m=client&a=getusermoneyinfo", "");
    std::vector<std::string> fields;
    SplitText(",", money, fields);
    EXPECT_GT(fields.size(), 3u) << money;
    LogInSession("demo", "demo");
    EXPECT_EQ(Post("index.php?m=client&a=getusermoneyinfo", ""), Ansi("1,密码错误"));

    // The passwords are nowhere in what the terminal wrote or said.
    for (const QString& message : Messages()) {
        EXPECT_FALSE(message.contains(fresh));
    }
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir)) {
        if (entry.is_regular_file()) {
            const std::string text = ReadFile(entry.path());
            EXPECT_EQ(text.find(FromQt(fresh)), std::string::npos) << entry.path();
        }
    }
}

// Refreshes the pictures of the three dialogs for the documentation, with the back-end's data:
//   FT_SCREENSHOT_DIR=docs build/dev/tests/ui/account_tests --gtest_also_run_disabled_tests
//   --gtest_filter='*Screenshots*'
TEST_F(AccountTest, DISABLED_ScreenshotsOfTheThreeDialogs) {
    const char* out = std::getenv("FT_SCREENSHOT_DIR");
    if (!out) {
        GTEST_SKIP() << "FT_SCREENSHOT_DIR not set";
    }
    const std::filesystem::path shots(out);
    StartLoggedIn();
    BackEnd().SetRandomWalk(false);
    // A day with a transfer, a round trip and an open position.
    Post(kToFuturesPath, "username=demo&money=50000&pwd=123456&type=1");
    for (const char* order : {"code=rb2705&type=1&updown=1&num=3&pricetype=3",
                              "code=rb2705&type=2&updown=2&num=1&pricetype=3",
                              "code=cu2702&type=1&updown=2&num=1&pricetype=3"}) {
        BackEnd().FillNextOrder();
        EXPECT_EQ(Post("index.php?m=client&a=weituo", order).substr(0, 1), "0") << order;
    }

    CJiesDlg statement(session, nullptr, TradingDay());
    QSignalSpy fetched(&statement, &CJiesDlg::fetchFinished);
    statement.show();
    ASSERT_TRUE(fetched.wait(5000));
    ASSERT_NE(statement.StatementText().find("cu2702"), std::string::npos);
    EXPECT_TRUE(
        statement.grab().save(QString::fromStdString((shots / "statement-dialog.png").string())));

    CZZDlg transfer(session);
    CZZDlg1& panel = *transfer.TransferPanel();
    QSignalSpy started(&panel, &CZZDlg1::started);
    QSignalSpy finished(&panel, &CZZDlg1::requestFinished);
    transfer.show();
    ASSERT_TRUE(started.wait(5000));
    Type(panel.FundPassword(), "123456");
    Click(panel.FuturesQueryButton());
    ASSERT_TRUE(finished.wait(5000));
    Type(panel.BankPassword(), "123456");
    Click(panel.BankQueryButton());
    ASSERT_TRUE(finished.wait(5000));
    Type(panel.Amount(), "10000");
    EXPECT_TRUE(
        transfer.grab().save(QString::fromStdString((shots / "transfer-dialog.png").string())));
    QTabBar* bar = transfer.Tabs()->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, bar->tabRect(1).center());
    EXPECT_TRUE(
        transfer.grab().save(QString::fromStdString((shots / "transfer-history.png").string())));

    CPwdDlg password(session);
    password.show();
    Type(password.OldPassword(), "demo");
    Type(password.NewPassword(), "s3cret");
    Type(password.Confirmation(), "s3cret");
    EXPECT_TRUE(
        password.grab().save(QString::fromStdString((shots / "password-dialog.png").string())));
}

}  // namespace
}  // namespace ft::ui
