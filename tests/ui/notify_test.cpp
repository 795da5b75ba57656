// The notifications against the in-process back-end: a fill, a fired stop rule, a refused
// closing order, an order of unknown outcome and the connection lost and back each raise one
// notification through the seam; a kind switched off in 系统 → 提醒设置 raises none.
#include <gtest/gtest.h>
#include <QCheckBox>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QStyle>
#include <QStyleOptionButton>
#include <QSystemTrayIcon>
#include <QTest>

#include <algorithm>

#include "core/text.h"
#include "platform/ini_file.h"
#include "platform/paths.h"
#include "platform/system.h"
#include "positions/stop_rules.h"
#include "support/ui_fixture.h"
#include "ui/common/trading_stepper.h"
#include "ui/controls/gradient_button.h"
#include "ui/controls/list_ctrl.h"
#include "ui/controls/text_controls.h"
#include "ui/frame/notification_center.h"
#include "ui/frame/notify_settings_dialog.h"
#include "ui/market/quote_board_panel.h"
#include "ui/market/top_view.h"
#include "ui/trading/order_entry_pane.h"
#include "ui/trading/order_entry_panel.h"

namespace ft::ui {
namespace {

class RecordingNotifier : public Notifier {
public:
    struct Shown {
        NotifyKind kind;
        QString title;
        QString text;
    };
    void Notify(NotifyKind kind, const QString& title, const QString& text) override {
        shown.push_back({kind, title, text});
    }
    void PlaySound(NotifyKind kind) override { sounds.push_back(kind); }

    int Count(NotifyKind kind) const {
        return static_cast<int>(std::count_if(shown.begin(), shown.end(),
                                              [&](const Shown& s) { return s.kind == kind; }));
    }
    const Shown* Last(NotifyKind kind) const {
        for (auto it = shown.rbegin(); it != shown.rend(); ++it) {
            if (it->kind == kind) {
                return &*it;
            }
        }
        return nullptr;
    }

    std::vector<Shown> shown;
    std::vector<NotifyKind> sounds;
};

class NotifyTest : public ft::testing::UiFixture {
protected:
    void SetUp() override {
        UiFixture::SetUp();
        StartBackEnd();
        BackEnd().SetRandomWalk(false);
        BackEnd().SetQuote("rb2705", 3215, 3214, 3216);
    }

    void Open() {
        FrameOptions options;
        options.notify.notifier = notifier;
        options.notify.settle = std::chrono::milliseconds(1000);
        options.notify.interval = std::chrono::milliseconds(50);
        QuoteTimings timings;
        timings.receiveWait = std::chrono::milliseconds(500);
        timings.connectWait = std::chrono::milliseconds(300);
        OpenDemoFrame(options, timings);
        entry = dynamic_cast<CTradeDlg1*>(frame->TradeView()->OrderEntryPanel());
        board = frame->TopView()->QuoteBoard();
        ASSERT_TRUE(entry && board);
        ASSERT_TRUE(WaitFor([this] {
            return board->List()->GetItemCount() > 0 &&
                   board->List()->GetItemText(0, QuoteCol::BidPrice) == "3214";
        }));
    }

    // An order from the panel: rb2705 from the board, a typed price, 下单.
    void PlaceOrder(const QString& price) {
        ClickRow(*board->List(), 0);
        if (entry->PriceModeButton()->text() != QStringLiteral("指定价")) {
            QTest::mouseClick(entry->PriceModeButton(), Qt::LeftButton);
        }
        QTest::keyClick(entry->PriceEdit(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(entry->PriceEdit(), Qt::Key_Delete);
        QTest::keyClicks(entry->PriceEdit(), price);
        QSignalSpy finished(entry, &CTradeDlg1::orderFinished);
        QTest::mouseClick(entry->OrderButton(), Qt::LeftButton);
        ASSERT_TRUE(finished.wait(8000));
    }

    // Opens a long rb2705 position at the back-end, as a filled order of another terminal.
    void OpenPositionAtTheBackEnd(int lots) {
        BackEnd().FillNextOrder();
        std::string answer;
        ASSERT_TRUE(PostForm(session, "index.php?m=client&a=weituo",
                             "user_name=demo&code=rb2705&type=1&updown=1&num=" +
                                 std::to_string(lots) + "&price=3216&pricetype=2&src=tradedlg1",
                             answer));
        ASSERT_EQ(answer.substr(0, 2), "0,") << answer;
    }

    // A long rb2705 position of `lots` reaches the window, and `rule` is stored for it as the
    // settings dialog stores it (the dialog has its own tests).
    void ArmRuleOnANewPosition(int lots, const RuleGridRow& rule) {
        OpenPositionAtTheBackEnd(lots);
        Refresh();
        ASSERT_TRUE(WaitFor([&] { return frame->Trading().Positions().size() == 1; }));
        const std::string id = frame->Trading().Positions()[0].positionNo;
        ASSERT_EQ(SaveStopRules(frame->Trading().Rules(), "rb2705", Ansi("买"), id,
                                quotes.FindQuote("rb2705"), {rule}, std::time(nullptr))
                      .message,
                  "");
        frame->Trading().RulesSaved(id);
    }

    QAction* MenuAction(const QString& text) const {
        for (QAction* top : frame->menuBar()->actions()) {
            if (top->text() == text) {
                return top;
            }
            if (top->menu()) {
                for (QAction* action : top->menu()->actions()) {
                    if (action->text() == text) {
                        return action;
                    }
                }
            }
        }
        return nullptr;
    }
    // A click on a check box's square.
    static void Click(QCheckBox* box) {
        QStyleOptionButton option;
        option.initFrom(box);
        const QRect square =
            box->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, box);
        QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier, square.center());
    }
    void Refresh() {
        platform::AdvanceTickCount(2100);  // past the menu's refresh gate
        MenuAction(QStringLiteral("刷新(&R)"))->trigger();
    }
    // A few rounds of the watch after everything sent aside came back.
    void Quiet() {
        ASSERT_TRUE(Settle());
        const int rounds = frame->Notices()->Rounds();
        ASSERT_TRUE(WaitFor([&] { return frame->Notices()->Rounds() >= rounds + 3; }));
    }

    std::string Shown() const {
        std::string out;
        for (const auto& s : notifier->shown) {
            out += (s.title + ": " + s.text + "\n").toStdString();
        }
        return out;
    }

    std::shared_ptr<RecordingNotifier> notifier = std::make_shared<RecordingNotifier>();
    CTradeDlg1* entry = nullptr;
    CPriceSubDlg1* board = nullptr;
};

TEST_F(NotifyTest, AFillRaisesOneNotificationWithItsSoundAndTheFillsOfLoginNone) {
    // A fill before the window opened is known to the trader.
    LogInSession();
    OpenPositionAtTheBackEnd(1);
    Open();
    Quiet();
    EXPECT_TRUE(notifier->shown.empty());

    BackEnd().FillNextOrder();
    PlaceOrder(QStringLiteral("3216"));
    ASSERT_TRUE(WaitFor([&] { return notifier->Count(NotifyKind::Fill) == 1; }));
    const auto* fill = notifier->Last(NotifyKind::Fill);
    EXPECT_EQ(fill->title, QStringLiteral("成交"));
    EXPECT_TRUE(fill->text.startsWith(QStringLiteral("rb2705 买入开仓 1手 价3216 ")))
        << fill->text.toStdString();
    EXPECT_EQ(notifier->sounds, std::vector<NotifyKind>{NotifyKind::Fill});

    // Reloads that bring the same fills again say nothing more.
    Refresh();
    Quiet();
    Refresh();
    Quiet();
    EXPECT_EQ(notifier->shown.size(), 1u);
    EXPECT_EQ(notifier->sounds.size(), 1u);
}

TEST_F(NotifyTest, AFiredStopRuleRaisesOneAndItsClosingFillAnother) {
    Open();
    ArmRuleOnANewPosition(2, RuleGridRow{"", "3190", "2", "", ""});
    ASSERT_TRUE(WaitFor([&] { return notifier->Count(NotifyKind::Fill) == 1; }));

    QSignalSpy answered(frame->Stepper(), &TradingStepper::closeOrderAnswered);
    BackEnd().SetQuote("rb2705", 3189, 3188, 3190);
    ASSERT_TRUE(answered.wait(5000));
    ASSERT_TRUE(answered.at(0).at(0).toBool());
    ASSERT_EQ(notifier->Count(NotifyKind::RuleFired), 1);
    EXPECT_EQ(notifier->Last(NotifyKind::RuleFired)->title, QStringLiteral("止损触发"));
    EXPECT_EQ(notifier->Last(NotifyKind::RuleFired)->text,
              QStringLiteral("rb2705 卖出平仓 2手 价3190"));
    // The closing order fills: the fill is news of its own.
    ASSERT_TRUE(WaitFor([&] { return notifier->Count(NotifyKind::Fill) == 2; }, 10000)) << Shown();
    EXPECT_TRUE(notifier->Last(NotifyKind::Fill)->text.startsWith(QStringLiteral("rb2705 卖出平")))
        << Shown();
    Quiet();
    EXPECT_EQ(notifier->Count(NotifyKind::RuleFired), 1);
    EXPECT_EQ(notifier->Count(NotifyKind::Fill), 2);
    EXPECT_EQ(notifier->Count(NotifyKind::CloseFailed), 0);
    EXPECT_EQ(notifier->sounds,
              (std::vector<NotifyKind>{NotifyKind::Fill, NotifyKind::RuleFired, NotifyKind::Fill}));
}

TEST_F(NotifyTest, ARefusedClosingOrderRaisesOneFailedClose) {
    Open();
    ArmRuleOnANewPosition(3, RuleGridRow{"", "", "", "3300", "1"});
    BackEnd().RejectNextOrder("资金账户冻结");
    QSignalSpy answered(frame->Stepper(), &TradingStepper::closeOrderAnswered);
    BackEnd().SetQuote("rb2705", 3301, 3301, 3302);
    ASSERT_TRUE(answered.wait(5000));
    EXPECT_FALSE(answered.at(0).at(0).toBool());
    Quiet();
    EXPECT_EQ(notifier->Count(NotifyKind::RuleFired), 1);
    EXPECT_EQ(notifier->Last(NotifyKind::RuleFired)->title, QStringLiteral("止盈触发"));
    ASSERT_EQ(notifier->Count(NotifyKind::CloseFailed), 1);
    EXPECT_TRUE(notifier->Last(NotifyKind::CloseFailed)
                    ->text.startsWith(QStringLiteral("止损止盈平仓失败: rb2705 资金账户冻结")))
        << notifier->Last(NotifyKind::CloseFailed)->text.toStdString();
    // Only fills and fired rules sound.
    EXPECT_EQ(std::count(notifier->sounds.begin(), notifier->sounds.end(), NotifyKind::CloseFailed),
              0);
}

TEST_F(NotifyTest, AnOrderWithoutAnAnswerRaisesOneUnknownOutcome) {
    Open();
    BackEnd().InjectWebFault(fsim::Fault::CutAnswer);
    PlaceOrder(QStringLiteral("3100"));
    ASSERT_EQ(notifier->Count(NotifyKind::OrderUnknown), 1);
    EXPECT_EQ(notifier->Last(NotifyKind::OrderUnknown)->text,
              QStringLiteral("rb2705 买入开仓 1手 价3100：交易服务器未应答，请核对委托列表"));
    BackEnd().InjectWebFault(fsim::Fault::None);
    // The reconciliation that follows reads the tables again; no second notification.
    ASSERT_TRUE(WaitFor([&] { return !entry->Reconciling(); }, 10000));
    Quiet();
    EXPECT_EQ(notifier->Count(NotifyKind::OrderUnknown), 1);
    EXPECT_TRUE(notifier->sounds.empty());
}

TEST_F(NotifyTest, EachConnectionIsLostAndBackOnceEvenWhenItFlaps) {
    Open();
    // A drop shorter than the settle time is no news.
    BackEnd().CloseQuoteConnections(true);
    ASSERT_TRUE(WaitFor([&] { return quotes.Health().downSince != 0; }));
    BackEnd().CloseQuoteConnections(false);
    ASSERT_TRUE(WaitFor([&] { return quotes.Health().downSince == 0; }));
    Quiet();
    EXPECT_TRUE(notifier->shown.empty());

    BackEnd().CloseQuoteConnections(true);
    ASSERT_TRUE(WaitFor([&] { return notifier->Count(NotifyKind::ConnectionLost) == 1; }));
    EXPECT_EQ(notifier->Last(NotifyKind::ConnectionLost)->title,
              QStringLiteral("行情服务器连接中断"));
    // Several failed polls, each seen by the watch, and the clock past another settle time.
    const int polls = BackEnd().QuoteRequests();
    ASSERT_TRUE(WaitFor([&] { return BackEnd().QuoteRequests() >= polls + 3; }));
    platform::AdvanceTickCount(1100);
    Quiet();
    BackEnd().CloseQuoteConnections(false);
    ASSERT_TRUE(WaitFor([&] { return notifier->Count(NotifyKind::ConnectionBack) == 1; }));
    EXPECT_EQ(notifier->Last(NotifyKind::ConnectionBack)->title,
              QStringLiteral("行情服务器连接恢复"));
    EXPECT_EQ(notifier->Count(NotifyKind::ConnectionLost), 1);

    // The trade server: a reload that fails, then one that succeeds.
    BackEnd().CloseWebConnections(true);
    Refresh();
    ASSERT_TRUE(WaitFor([&] { return notifier->Count(NotifyKind::ConnectionLost) == 2; }, 10000));
    EXPECT_EQ(notifier->Last(NotifyKind::ConnectionLost)->title,
              QStringLiteral("交易服务器连接中断"));
    Refresh();
    Quiet();  // the second failed reload has been seen
    BackEnd().CloseWebConnections(false);
    Refresh();
    ASSERT_TRUE(WaitFor([&] { return notifier->Count(NotifyKind::ConnectionBack) == 2; }, 10000));
    EXPECT_EQ(notifier->Last(NotifyKind::ConnectionBack)->title,
              QStringLiteral("交易服务器连接恢复"));
    Quiet();
    EXPECT_EQ(notifier->shown.size(), 4u);
    EXPECT_TRUE(notifier->sounds.empty());
}

TEST_F(NotifyTest, KindsSwitchedOffInTheDialogRaiseNothingAndStaySwitchedOff) {
    Open();
    QAction* settings = MenuAction(QStringLiteral("提醒设置"));
    ASSERT_TRUE(settings);
    settings->trigger();
    NotifySettingsDialog* dialog = frame->NotifyDialog();
    ASSERT_TRUE(dialog && dialog->isVisible());
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("提醒设置"));
    EXPECT_EQ(dialog->SoundBox(NotifyKind::ConnectionLost), nullptr);
    QCheckBox* fills = dialog->NotifyBox(NotifyKind::Fill);
    QCheckBox* unknown = dialog->NotifyBox(NotifyKind::OrderUnknown);
    ASSERT_TRUE(fills->isChecked() && unknown->isChecked());
    Click(fills);
    Click(unknown);
    EXPECT_FALSE(fills->isChecked());
    EXPECT_FALSE(dialog->SoundBox(NotifyKind::Fill)->isEnabled()) << "no sound for a kind off";
    EXPECT_TRUE(dialog->Problem()->text().isEmpty());
    const std::string ini = platform::SettingsFile("client.ini");
    EXPECT_EQ(platform::GetPrivateProfileString("notify", "fill", "", ini), "0");
    EXPECT_EQ(platform::GetPrivateProfileString("notify", "order_unknown", "", ini), "0");
    QTest::mouseClick(dialog->CloseButton(), Qt::LeftButton);
    EXPECT_TRUE(WaitFor([&] { return !frame->NotifyDialog(); }));

    // At once, without a restart: a fill and an order of unknown outcome, and nothing shown.
    BackEnd().FillNextOrder();
    PlaceOrder(QStringLiteral("3216"));
    ASSERT_TRUE(WaitFor([&] { return frame->Trading().Positions().size() == 1; }));
    BackEnd().InjectWebFault(fsim::Fault::CutAnswer);
    PlaceOrder(QStringLiteral("3100"));
    BackEnd().InjectWebFault(fsim::Fault::None);
    ASSERT_TRUE(WaitFor([&] { return !entry->Reconciling(); }, 10000));
    Quiet();
    EXPECT_TRUE(notifier->shown.empty());
    EXPECT_TRUE(notifier->sounds.empty());

    // The settings are read back by the next window.
    frame.reset();
    Open();
    settings = MenuAction(QStringLiteral("提醒设置"));
    settings->trigger();
    ASSERT_TRUE(frame->NotifyDialog());
    EXPECT_FALSE(frame->NotifyDialog()->NotifyBox(NotifyKind::Fill)->isChecked());
    EXPECT_TRUE(frame->NotifyDialog()->NotifyBox(NotifyKind::RuleFired)->isChecked());
    EXPECT_FALSE(frame->Notices()->Settings().Notifies(NotifyKind::OrderUnknown));
}

TEST_F(NotifyTest, WithoutATrayTheFrameStartsWithoutAnIconOrAnError) {
    ASSERT_FALSE(QSystemTrayIcon::isSystemTrayAvailable()) << "offscreen has no tray";
    OpenDemoFrame();
    EXPECT_TRUE(frame->Notices());
    EXPECT_EQ(frame->findChild<QSystemTrayIcon*>(), nullptr);
    EXPECT_TRUE(effects.Messages().empty());
    // The icon the tray would show is built into the program.
    EXPECT_FALSE(ProgramIcon().pixmap(32, 32).isNull());
}

TEST(NotifyTextTest, ABackEndsMarkupReachesTheDesktopAsText) {
    EXPECT_EQ(WithoutMarkup(QStringLiteral("平仓失败：<a href=\"http://x\">点此</a> &amp;")),
              QStringLiteral("平仓失败：＜a href=\"http://x\"＞点此＜/a＞ ＆amp;"));
    EXPECT_EQ(WithoutMarkup(QStringLiteral("买平仓 rb2705 2手 价3150")),
              QStringLiteral("买平仓 rb2705 2手 价3150"));
}

}  // namespace
}  // namespace ft::ui
