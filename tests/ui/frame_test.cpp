#include "ui/frame/main_frame.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QSplitter>
#include <QTabWidget>
#include <QTest>

#include <filesystem>

#include "core/text.h"
#include "support/http_test_server.h"
#include "support/ui_fixture.h"
#include "ui/common/text_boundary.h"
#include "ui/controls/text_controls.h"
#include "ui/controls/xp_button.h"
#include "ui/frame/announcement_dialog.h"
#include "ui/market/top_view.h"
#include "ui/positions/lc_view.h"
#include "ui/trading/detail_view.h"
#include "ui/trading/order_view.h"
#include "ui/trading/trade_view.h"

namespace ft::ui {
namespace {

using ft::testing::HttpTestServer;

// Records the keys the frame hands to the order-entry panel.
class KeyRecorder : public TabPanel {
public:
    void HandleForwardedKey(int key, Qt::KeyboardModifiers) override { keys.push_back(key); }
    std::vector<int> keys;
};

using RecordingFrame = ft::testing::TestFrame;

class FrameTest : public ft::testing::UiFixture {
protected:
    void SetUp() override {
        UiFixture::SetUp();
        for (int mode = 0; mode < kServerModeCount; ++mode) {
            server.Serve(session, static_cast<ServerMode>(mode));
        }
        server.Answer("0");
    }
    void LogIn(ServerMode mode, const char* displayName = "演示账户") {
        LoginFields login;
        login.userName = "demo01";
        login.password = "pw";
        login.displayName = Ansi(displayName);
        login.forcedCloseCount = "4";
        login.serverMode = mode;
        session.SetLogin(login);
    }
    FrameOptions FakeClock() {
        FrameOptions options;
        options.tick = [this] { return now; };
        options.announcementDelay = std::chrono::milliseconds(10);
        return options;
    }
    int RequestsTo(const char* action) {
        int n = 0;
        for (const auto& r : server.Requests()) {
            n += r.path.find(action) != std::string::npos;
        }
        return n;
    }

    HttpTestServer server;
    std::uint64_t now = 100'000;
};

TEST_F(FrameTest, TitleAndStatusPanesFollowTheMode) {
    LogIn(ServerMode::OvernightFirstRound);
    {
        CMainFrame frame(session, loader, quotes, {}, FakeClock());
        EXPECT_EQ(frame.windowTitle(), QStringLiteral("远帆隔夜赛(模拟)-演示账户"));
        EXPECT_EQ(frame.StatusPane(0)->text(), QStringLiteral("版本更新日期:2021.04.26"));
        EXPECT_EQ(frame.StatusPane(0)->width(), 260);
        EXPECT_EQ(frame.StatusPane(1)->text(), QStringLiteral("强平次数:4"));
        EXPECT_EQ(frame.StatusPane(1)->width(), 80);
        EXPECT_EQ(frame.StatusPane(2)->text(), QStringLiteral("您登陆的账号是:demo01"));
        EXPECT_EQ(frame.StatusPane(2)->width(), 450);
        EXPECT_EQ(frame.StatusPane(2)->palette().color(QPalette::WindowText), QColor(255, 0, 0));
        EXPECT_EQ(frame.StatusPane(3)->text(), QStringLiteral("当日开仓总数: 0"));
    }
    LogIn(ServerMode::Cooperation);
    CMainFrame frame(session, loader, quotes, {}, FakeClock());
    EXPECT_TRUE(frame.windowTitle().startsWith(QStringLiteral("分账户终端-CTP-合作操盘-实盘-")));
    EXPECT_EQ(frame.StatusPane(1)->text(), QStringLiteral("  "));
}

TEST_F(FrameTest, PanesSitInTheirSplittersWithTheirSizesAndTabs) {
    LogIn(ServerMode::IntradayFirstRound);
    CMainFrame frame(session, loader, quotes, {}, FakeClock());
    frame.show();
    QCoreApplication::processEvents();
    EXPECT_EQ(frame.MainSplitter()->sizes().value(0), 220);
    EXPECT_EQ(frame.MainSplitter()->sizes().value(1), 240);
    EXPECT_EQ(frame.MiddleSplitter()->sizes().value(0), 315);
    EXPECT_EQ(frame.BottomSplitter()->sizes().value(0), 551);
    EXPECT_EQ(frame.MiddleSplitter()->widget(1), frame.OrderView());
    EXPECT_EQ(frame.BottomSplitter()->widget(1), frame.DetailView());

    EXPECT_EQ(frame.TopView()->Tabs()->tabText(0), QStringLiteral("报价表(F1)"));
    EXPECT_EQ(frame.TopView()->Tabs()->tabText(1), QStringLiteral("合约列表(F6)"));
    EXPECT_EQ(frame.OrderView()->Tabs()->tabText(0), QStringLiteral("未成交单(F2)"));
    EXPECT_EQ(frame.OrderView()->Tabs()->tabText(1), QStringLiteral("所有委托单(F5)"));
    EXPECT_EQ(frame.LcView()->Tabs()->tabText(0), QStringLiteral("持仓(F3)"));
    EXPECT_EQ(frame.DetailView()->Tabs()->tabText(0), QStringLiteral("成交记录(F4)"));

    // Growing the window gives the extra room to the bottom row and the right columns.
    frame.resize(1300, 900);
    QCoreApplication::processEvents();
    EXPECT_EQ(frame.MainSplitter()->sizes().value(0), 220);
    EXPECT_EQ(frame.MiddleSplitter()->sizes().value(0), 315);
}

TEST_F(FrameTest, RefreshRunsAtMostOnceInTwoSeconds) {
    LogIn(ServerMode::IntradayFirstRound);
    CMainFrame frame(session, loader, quotes, {}, FakeClock());
    now += 2500;
    frame.OnRefresh();
    now += 1000;
    frame.OnRefresh();
    loader.WaitIdle();
    EXPECT_EQ(RequestsTo("a=weituodetail"), 1);
    now += 1500;
    frame.OnRefresh();
    loader.WaitIdle();
    EXPECT_EQ(RequestsTo("a=weituodetail"), 2);
    // One pass over orders, positions, trades and funds; products are not reloaded.
    EXPECT_EQ(RequestsTo("a=getallproduct"), 0);
    EXPECT_EQ(RequestsTo("a=lcdetail"), 2);
}

TEST_F(FrameTest, ResizesRepaintTheFourListViewsOnlyAfterThreeSeconds) {
    LogIn(ServerMode::IntradayFirstRound);
    CMainFrame frame(session, loader, quotes, {}, FakeClock());
    frame.show();
    std::vector<QString> order;
    for (CTFormView* view :
         std::initializer_list<CTFormView*>{frame.TopView(), frame.TradeView(), frame.OrderView(),
                                            frame.LcView(), frame.DetailView()}) {
        QObject::connect(view, &CTFormView::listsRepaintRequested,
                         [&order, view] { order.push_back(view->Tabs()->tabText(0)); });
    }
    QCoreApplication::processEvents();
    order.clear();  // the activation asks the active view to repaint; only resizes count here
    now += 3000;
    frame.resize(1100, 700);
    QCoreApplication::processEvents();
    EXPECT_TRUE(order.empty());
    now += 1;
    frame.resize(1200, 750);
    QCoreApplication::processEvents();
    EXPECT_EQ(order,
              (std::vector<QString>{QStringLiteral("报价表(F1)"), QStringLiteral("未成交单(F2)"),
                                    QStringLiteral("持仓(F3)"), QStringLiteral("成交记录(F4)")}));
}

TEST_F(FrameTest, AnnouncementIsShownForRealAnswersOnly) {
    LogIn(ServerMode::IntradayFirstRound);
    for (const auto& [answer, shown] : std::vector<std::pair<std::string, bool>>{
             {"0", false}, {"-1", false}, {"明天休市", true}}) {
        server.Answer(answer);
        server.Clear();
        RecordingFrame frame(session, loader, quotes, {}, FakeClock());
        for (int i = 0; i < 100 && server.Requests().empty(); ++i) {
            QTest::qWait(10);
        }
        QTest::qWait(100);
        ASSERT_EQ(RequestsTo("givemelastgonggao"), 1) << answer;
        if (shown) {
            EXPECT_EQ(frame.announcements, QStringList{QString::fromStdString(answer)});
        } else {
            EXPECT_TRUE(frame.announcements.isEmpty()) << answer;
        }
    }
}

TEST_F(FrameTest, TheAnnouncementDialogShowsTheTextReadOnlyAndEnterClosesIt) {
    CGonggaoDlg dialog;
    dialog.SetAnnouncement(QStringLiteral("明天休市\n请注意"));
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    QTest::qWait(350);  // the second focus move has happened
    EXPECT_EQ(dialog.TextBox()->toPlainText(), QStringLiteral("明天休市\n请注意"));
    EXPECT_TRUE(dialog.TextBox()->isReadOnly());
    EXPECT_EQ(dialog.TextBox()->InnerColour(), dialog.TextBox()->palette().color(QPalette::Base))
        << "a read-only box keeps its background in the inner frame";
    EXPECT_EQ(dialog.TextBox()->OuterColour(), QColor(127, 157, 185));
    ASSERT_EQ(QApplication::focusWidget(), dialog.OkButton());
    QTest::keyClick(dialog.OkButton(), Qt::Key_Return);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_FALSE(dialog.isVisible());
}

TEST_F(FrameTest, PanelKeysGoToTheOrderEntryPanelAndEnterIsSwallowed) {
    LogIn(ServerMode::IntradayFirstRound);
    CMainFrame frame(session, loader, quotes, {}, FakeClock());
    auto* entry = new KeyRecorder;
    frame.TradeView()->SetPanel(0, entry);
    auto* edit = new QLineEdit(frame.OrderView()->Panel(0));
    frame.show();
    QSignalSpy returned(edit, &QLineEdit::returnPressed);

    QTest::keyClick(edit, Qt::Key_A);
    QTest::keyClick(edit, Qt::Key_F2);
    QTest::keyClick(edit, Qt::Key_Return);
    QTest::keyClick(edit, Qt::Key_Escape);
    EXPECT_EQ(entry->keys, (std::vector<int>{Qt::Key_A, Qt::Key_F2}));
    EXPECT_EQ(edit->text(), QStringLiteral("a")) << "other keys are still handled";
    EXPECT_EQ(returned.count(), 0);
}

TEST_F(FrameTest, F6MovesThroughThePanesAndShiftF6Back) {
    LogIn(ServerMode::IntradayFirstRound);
    CMainFrame frame(session, loader, quotes, {}, FakeClock());
    frame.show();
    frame.activateWindow();
    EXPECT_EQ(frame.ActiveView(), frame.TopView());
    frame.NextPane();
    EXPECT_EQ(frame.ActiveView(), frame.TradeView());
    frame.PreviousPane();
    frame.PreviousPane();
    EXPECT_EQ(frame.ActiveView(), frame.DetailView());

    // The keys themselves, pressed in the window.
    ASSERT_TRUE(QTest::qWaitForWindowActive(&frame));
    QTest::keyClick(frame.ActiveView(), Qt::Key_F6);
    EXPECT_EQ(frame.ActiveView(), frame.TopView());
    QTest::keyClick(frame.ActiveView(), Qt::Key_F6, Qt::ShiftModifier);
    EXPECT_EQ(frame.ActiveView(), frame.DetailView());
}

TEST_F(FrameTest, MenuCommandsGoThroughTheSeams) {
    LogIn(ServerMode::IntradayFirstRound);
    session.chatUrl = "http://localhost/chat.php";
    CMainFrame frame(session, loader, quotes, {}, FakeClock());
    frame.OnChat();
    frame.OnExit();
    EXPECT_EQ(effects.openedUrls,
              std::vector<QString>{QStringLiteral("http://localhost/chat.php")});
    QStringList items;
    for (QAction* action : frame.menuBar()->actions()) {
        items << action->text();
        if (action->menu()) {
            for (QAction* sub : action->menu()->actions()) {
                items << (sub->isSeparator() ? QStringLiteral("-") : sub->text());
            }
        }
    }
    EXPECT_EQ(items.join(QLatin1Char('|')),
              QStringLiteral("系统(&F)|历史交易记录查询|-|银期转帐|-|修改密码(&P)|-|退出(&Q)|刷新(&"
                             "R)|和我们在线交谈"));
    EXPECT_EQ(effects.exitCodes, std::vector<int>{0});
}

}  // namespace
}  // namespace ft::ui
