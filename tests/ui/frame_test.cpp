#include "ui/frame/main_frame.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>
#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMouseEvent>
#include <QScreen>
#include <QSignalSpy>
#include <QSplitter>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <filesystem>

#include "core/text.h"
#include "platform/system.h"
#include "support/http_test_server.h"
#include "support/ui_fixture.h"
#include "ui/app/client_app.h"
#include "ui/common/text_boundary.h"
#include "ui/controls/gradient_button.h"
#include "ui/controls/text_controls.h"
#include "ui/frame/announcement_dialog.h"
#include "ui/market/quote_board_panel.h"
#include "ui/market/top_view.h"
#include "ui/positions/positions_pane.h"
#include "ui/trading/order_entry_pane.h"
#include "ui/trading/order_entry_panel.h"
#include "ui/trading/orders_pane.h"
#include "ui/trading/trade_records_pane.h"

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

    // The menu item with this text, as the trader picks it.
    static void PickMenu(CMainFrame& frame, const QString& text) {
        for (QAction* action : frame.menuBar()->actions()) {
            QList<QAction*> items{action};
            if (action->menu()) {
                items += action->menu()->actions();
            }
            for (QAction* item : items) {
                if (item->text() == text) {
                    item->trigger();
                    return;
                }
            }
        }
        ADD_FAILURE() << "no menu item " << text.toStdString();
    }

    HttpTestServer server;
    std::uint64_t now = 100'000;
};

TEST_F(FrameTest, TitleAndStatusPanesFollowTheMode) {
    LogIn(ServerMode::OvernightFirstRound);
    {
        CMainFrame window(session, loader, quotes, {}, FakeClock());
        EXPECT_EQ(window.windowTitle(), QStringLiteral("远帆隔夜赛(模拟)-演示账户"));
        EXPECT_EQ(window.StatusPane(0)->text(), QStringLiteral("版本更新日期:2021.04.26"));
        EXPECT_EQ(window.StatusPane(0)->width(), 260);
        EXPECT_EQ(window.StatusPane(1)->text(), QStringLiteral("强平次数:4"));
        EXPECT_EQ(window.StatusPane(1)->width(), 80);
        EXPECT_EQ(window.StatusPane(2)->text(), QStringLiteral("您登陆的账号是:demo01"));
        EXPECT_EQ(window.StatusPane(2)->width(), 450);
        EXPECT_EQ(window.StatusPane(2)->palette().color(QPalette::WindowText), QColor(255, 0, 0));
        EXPECT_EQ(window.StatusPane(3)->text(), QStringLiteral("当日开仓总数: 0"));
    }
    LogIn(ServerMode::Cooperation);
    CMainFrame window(session, loader, quotes, {}, FakeClock());
    EXPECT_TRUE(window.windowTitle().startsWith(QStringLiteral("分账户终端-CTP-合作操盘-实盘-")));
    EXPECT_EQ(window.StatusPane(1)->text(), QStringLiteral("  "));
}

TEST_F(FrameTest, PanesSitInTheirSplittersWithTheirSizesAndTabs) {
    LogIn(ServerMode::IntradayFirstRound);
    CMainFrame window(session, loader, quotes, {}, FakeClock());
    window.show();
    QCoreApplication::processEvents();
    EXPECT_EQ(window.MainSplitter()->sizes().value(0), 220);
    EXPECT_EQ(window.MainSplitter()->sizes().value(1), 240);
    EXPECT_EQ(window.MiddleSplitter()->sizes().value(0), 315);
    EXPECT_EQ(window.BottomSplitter()->sizes().value(0), 551);
    EXPECT_EQ(window.MiddleSplitter()->widget(1), window.OrderView());
    EXPECT_EQ(window.BottomSplitter()->widget(1), window.DetailView());

    EXPECT_EQ(window.TopView()->Tabs()->tabText(0), QStringLiteral("报价表(F1)"));
    EXPECT_EQ(window.TopView()->Tabs()->tabText(1), QStringLiteral("合约列表(F6)"));
    EXPECT_EQ(window.OrderView()->Tabs()->tabText(0), QStringLiteral("未成交单(F2)"));
    EXPECT_EQ(window.OrderView()->Tabs()->tabText(1), QStringLiteral("所有委托单(F5)"));
    EXPECT_EQ(window.LcView()->Tabs()->tabText(0), QStringLiteral("持仓(F3)"));
    EXPECT_EQ(window.DetailView()->Tabs()->tabText(0), QStringLiteral("成交记录(F4)"));

    // Growing the window gives the extra room to the bottom row and the right columns.
    window.resize(1300, 900);
    QCoreApplication::processEvents();
    EXPECT_EQ(window.MainSplitter()->sizes().value(0), 220);
    EXPECT_EQ(window.MiddleSplitter()->sizes().value(0), 315);
}

TEST_F(FrameTest, RefreshRunsAtMostOnceInTwoSeconds) {
    LogIn(ServerMode::IntradayFirstRound);
    CMainFrame window(session, loader, quotes, {}, FakeClock());
    now += 2500;
    PickMenu(window, QStringLiteral("刷新(&R)"));
    now += 1000;
    PickMenu(window, QStringLiteral("刷新(&R)"));
    loader.WaitIdle();
    EXPECT_EQ(RequestsTo("a=weituodetail"), 1);
    now += 1500;
    PickMenu(window, QStringLiteral("刷新(&R)"));
    loader.WaitIdle();
    EXPECT_EQ(RequestsTo("a=weituodetail"), 2);
    // One pass over orders, positions, trades and funds; products are not reloaded.
    EXPECT_EQ(RequestsTo("a=getallproduct"), 0);
    EXPECT_EQ(RequestsTo("a=lcdetail"), 2);
}

TEST_F(FrameTest, ResizesRepaintTheFourListViewsOnlyAfterThreeSeconds) {
    LogIn(ServerMode::IntradayFirstRound);
    CMainFrame window(session, loader, quotes, {}, FakeClock());
    window.show();
    std::vector<QString> order;
    for (CTFormView* view : std::initializer_list<CTFormView*>{window.TopView(), window.TradeView(),
                                                               window.OrderView(), window.LcView(),
                                                               window.DetailView()}) {
        QObject::connect(view, &CTFormView::listsRepaintRequested,
                         [&order, view] { order.push_back(view->Tabs()->tabText(0)); });
    }
    QCoreApplication::processEvents();
    order.clear();  // the activation asks the active view to repaint; only resizes count here
    now += 3000;
    window.resize(1100, 700);
    QCoreApplication::processEvents();
    EXPECT_TRUE(order.empty());
    now += 1;
    window.resize(1200, 750);
    QCoreApplication::processEvents();
    EXPECT_EQ(order,
              (std::vector<QString>{QStringLiteral("报价表(F1)"), QStringLiteral("未成交单(F2)"),
                                    QStringLiteral("持仓(F3)"), QStringLiteral("成交记录(F4)")}));
}

TEST_F(FrameTest, AnnouncementIsShownForRealAnswersOnly) {
    LogIn(ServerMode::IntradayFirstRound);
    for (const auto& [answer, shown] : std::vector<std::pair<std::string, bool>>{
             {"0", false}, {"-1", false}, {"-1 none", false}, {"明天休市", true}, {"1", true}}) {
        server.Answer(answer);
        server.Clear();
        RecordingFrame window(session, loader, quotes, {}, FakeClock());
        ASSERT_TRUE(WaitFor(
            [&] { return RequestsTo("/index.php?m=client&a=givemelastgonggao") > 0; }, 1000))
            << answer;
        // The answer has been read and, where it is one, shown.
        ASSERT_TRUE(Settle());
        ASSERT_EQ(RequestsTo("/index.php?m=client&a=givemelastgonggao"), 1) << answer;
        if (shown) {
            EXPECT_EQ(window.announcements, QStringList{QString::fromStdString(answer)});
        } else {
            EXPECT_TRUE(window.announcements.isEmpty()) << answer;
        }
    }
}

TEST_F(FrameTest, TheAnnouncementDialogShowsTheTextReadOnlyAndEnterClosesIt) {
    CGonggaoDlg dialog;
    dialog.SetAnnouncement(QStringLiteral("明天休市\n请注意"));
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    ASSERT_TRUE(WaitFor([&] { return !dialog.Refocusing(); }, 2000))
        << "the second focus move has happened";
    EXPECT_EQ(dialog.TextBox()->toPlainText(), QStringLiteral("明天休市\n请注意"));
    EXPECT_TRUE(dialog.TextBox()->isReadOnly());
    EXPECT_EQ(dialog.TextBox()->InnerColour(), dialog.TextBox()->palette().color(QPalette::Base))
        << "a read-only box keeps its background in the inner frame";
    EXPECT_EQ(dialog.TextBox()->OuterColour(), QColor(127, 157, 185));
    ASSERT_EQ(QApplication::focusWidget(), dialog.OkButton());
    QTest::keyClick(dialog.OkButton(), Qt::Key_Return);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_FALSE(dialog.isVisible());

    // A back-end's megabyte on one line is shown cut, so laying it out never stalls the window.
    CGonggaoDlg huge;
    huge.SetAnnouncement(QStringLiteral("公告\n") +
                         QString(qsizetype{1024} * 1024, QLatin1Char('9')));
    EXPECT_EQ(
        huge.TextBox()->toPlainText(),
        QStringLiteral("公告\n") + QString(kMaxShownLine, QLatin1Char('9')) + QStringLiteral("…"));
}

TEST_F(FrameTest, PanelKeysGoToTheOrderEntryPanelAndEnterIsSwallowed) {
    LogIn(ServerMode::IntradayFirstRound);
    CMainFrame window(session, loader, quotes, {}, FakeClock());
    auto* entry = new KeyRecorder;
    window.TradeView()->SetPanel(0, entry);
    auto* edit = new QLineEdit(window.OrderView()->Panel(0));
    window.show();
    QSignalSpy returned(edit, &QLineEdit::returnPressed);

    QTest::keyClick(edit, Qt::Key_A);
    QTest::keyClick(edit, Qt::Key_F8);
    QTest::keyClick(edit, Qt::Key_Return);
    QTest::keyClick(edit, Qt::Key_Escape);
    EXPECT_EQ(entry->keys, (std::vector<int>{Qt::Key_A, Qt::Key_F8}));
    EXPECT_EQ(edit->text(), QStringLiteral("a")) << "other keys are still handled";
    EXPECT_EQ(returned.count(), 0);
}

TEST_F(FrameTest, F1ToF5ShowTheTabsTheirLabelsName) {
    LogIn(ServerMode::IntradayFirstRound);
    CMainFrame window(session, loader, quotes, {}, FakeClock());
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    struct Case {
        Qt::Key key;
        CTFormView* view;
        int tab;
        const char* label;
    };
    const Case cases[] = {
        {Qt::Key_F5, window.OrderView(), 1, "所有委托单(F5)"},
        {Qt::Key_F3, window.LcView(), 0, "持仓(F3)"},
        {Qt::Key_F2, window.OrderView(), 0, "未成交单(F2)"},
        {Qt::Key_F4, window.DetailView(), 0, "成交记录(F4)"},
        {Qt::Key_F1, window.TopView(), 0, "报价表(F1)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        QTest::keyClick(window.ActiveView()->Tabs()->currentWidget(), c.key);
        EXPECT_EQ(window.ActiveView(), c.view);
        EXPECT_EQ(c.view->Tabs()->currentIndex(), c.tab);
        EXPECT_EQ(c.view->Tabs()->tabText(c.tab), QString::fromUtf8(c.label));
    }
}

TEST_F(FrameTest, NoSplitterSqueezesTheOrderPanelsControlsAway) {
    LogIn(ServerMode::IntradayFirstRound);
    CMainFrame window(session, loader, quotes, {}, FakeClock());
    window.resize(1024, 690);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    // The trader drags the top splitter far down and the middle one far left.
    window.MainSplitter()->setSizes({600, 10, 80});
    window.MiddleSplitter()->setSizes({5, 1000});
    auto* entry = dynamic_cast<CTradeDlg1*>(window.TradeView()->OrderEntryPanel());
    ASSERT_TRUE(entry);
    const std::initializer_list<QWidget*> controls{entry->OrderButton(), entry->LotsEdit(),
                                                   entry->PriceEdit(), entry->ContractBox(),
                                                   entry->ConfirmBox()};
    // The panels' layouts follow the new sizes once their posted layout requests have run.
    WaitFor(
        [&] {
            return std::all_of(controls.begin(), controls.end(), [](QWidget* control) {
                return control->visibleRegion().boundingRect() == control->rect();
            });
        },
        1000);
    for (QWidget* control : controls) {
        EXPECT_EQ(control->visibleRegion().boundingRect(), control->rect())
            << control->metaObject()->className();
    }
}

TEST_F(FrameTest, F6MovesThroughThePanesAndShiftF6Back) {
    LogIn(ServerMode::IntradayFirstRound);
    CMainFrame window(session, loader, quotes, {}, FakeClock());
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    EXPECT_EQ(window.ActiveView(), window.TopView());
    QTest::keyClick(window.ActiveView(), Qt::Key_F6);
    EXPECT_EQ(window.ActiveView(), window.TradeView());
    QTest::keyClick(window.ActiveView(), Qt::Key_F6, Qt::ShiftModifier);
    QTest::keyClick(window.ActiveView(), Qt::Key_F6, Qt::ShiftModifier);
    EXPECT_EQ(window.ActiveView(), window.DetailView());
    QTest::keyClick(window.ActiveView(), Qt::Key_F6);
    EXPECT_EQ(window.ActiveView(), window.TopView());
    QTest::keyClick(window.ActiveView(), Qt::Key_F6, Qt::ShiftModifier);
    EXPECT_EQ(window.ActiveView(), window.DetailView());
}

TEST_F(FrameTest, MenuCommandsGoThroughTheSeams) {
    LogIn(ServerMode::IntradayFirstRound);
    session.chatUrl = "http://localhost/chat.php";
    CMainFrame window(session, loader, quotes, {}, FakeClock());
    PickMenu(window, QStringLiteral("和我们在线交谈"));
    PickMenu(window, QStringLiteral("退出(&Q)"));
    EXPECT_EQ(effects.openedUrls,
              std::vector<QString>{QStringLiteral("http://localhost/chat.php")});
    QStringList items;
    for (QAction* action : window.menuBar()->actions()) {
        items << action->text();
        if (action->menu()) {
            for (QAction* sub : action->menu()->actions()) {
                items << (sub->isSeparator() ? QStringLiteral("-") : sub->text());
            }
        }
    }
    EXPECT_EQ(items.join(QLatin1Char('|')),
              QStringLiteral(
                  "系统(&F)|历史交易记录查询|-|银期转帐|-|修改密码(&P)|-|快捷键设置|提醒设置|-|"
                  "退出(&Q)|刷新(&R)|和我们在线交谈"));
    EXPECT_EQ(effects.exitCodes, std::vector<int>{0});
}

TEST_F(FrameTest, WithoutABrowserTheChatCommandSaysSo) {
    LogIn(ServerMode::IntradayFirstRound);
    session.chatUrl = "http://localhost/chat.php";
    effects.openUrlWorks = false;
    CMainFrame window(session, loader, quotes, {}, FakeClock());
    PickMenu(window, QStringLiteral("和我们在线交谈"));
    EXPECT_EQ(effects.Messages(),
              std::vector<QString>{QStringLiteral(
                  "通知|未能打开网页浏览器，请在浏览器中打开: http://localhost/chat.php")});
}

// Windows a panel owns are not the panel's controls: they keep Enter and Escape, and typing
// into them sends nothing to the order-entry panel.
TEST_F(FrameTest, DialogsAndMenusOwnedByAPanelKeepTheirKeys) {
    LogIn(ServerMode::IntradayFirstRound);
    CMainFrame window(session, loader, quotes, {}, FakeClock());
    auto* entry = new KeyRecorder;
    window.TradeView()->SetPanel(0, entry);
    window.show();
    TabPanel* board = window.TopView()->Panel(0);

    QDialog dialog(board);
    auto* filter = new QLineEdit(&dialog);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    QTest::keyClicks(filter, QStringLiteral("cu"));
    EXPECT_EQ(filter->text(), QStringLiteral("cu"));
    EXPECT_TRUE(entry->keys.empty()) << "typing in a dialog is not a panel key";
    QTest::keyClick(filter, Qt::Key_Escape);
    EXPECT_FALSE(dialog.isVisible()) << "Escape closes the dialog";

    // The quote board's right-click menu closes with Escape.
    bool menuSeen = false;
    QTimer::singleShot(200, [&menuSeen] {
        if (QWidget* popup = QApplication::activePopupWidget()) {
            menuSeen = true;
            QTest::keyClick(popup, Qt::Key_Escape);
        }
    });
    // A menu that ignored Escape would keep the test here: close it the hard way then.
    QTimer::singleShot(3000, [] {
        if (QWidget* popup = QApplication::activePopupWidget()) {
            popup->close();
        }
    });
    const auto opened = std::chrono::steady_clock::now();
    // The board has no rows against this server; the menu opens on the empty list as well.
    QTest::mouseClick(window.TopView()->QuoteBoard()->List()->viewport(), Qt::RightButton,
                      Qt::NoModifier, QPoint(20, 20));
    EXPECT_TRUE(menuSeen);
    EXPECT_LT(std::chrono::steady_clock::now() - opened, std::chrono::milliseconds(2500))
        << "the menu stayed open after Escape";
    EXPECT_TRUE(entry->keys.empty());
}

TEST_F(FrameTest, MessageBoxesStandOverTheirWindowAndSpeakChinese) {
    ASSERT_TRUE(LoadQtChineseTranslations()) << "qt6-translations-l10n is missing";
    QWidget owner;
    owner.setGeometry(700, 400, 500, 300);
    owner.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&owner));
    QRect boxGeometry;
    QStringList buttons;
    QTimer::singleShot(100, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) {
            return;
        }
        boxGeometry = box->frameGeometry();
        for (QAbstractButton* b : box->buttons()) {
            buttons << b->text();
        }
        QTest::keyClick(box, Qt::Key_Escape);
    });
    Effects real;
    EXPECT_EQ(real.ShowMessage(&owner, QStringLiteral("下单成功"), QStringLiteral("通知"),
                               MessageButtons::OkCancel),
              MessageResult::Cancel);
    ASSERT_TRUE(boxGeometry.isValid());
    EXPECT_TRUE(owner.frameGeometry().contains(boxGeometry.center()))
        << "box at " << boxGeometry.x() << "," << boxGeometry.y();
    buttons.sort();
    EXPECT_EQ(buttons, (QStringList{QStringLiteral("取消"), QStringLiteral("确定")}));
}

TEST_F(FrameTest, TheWindowOpensMaximizedWithTheOriginalRestoredSize) {
    LogIn(ServerMode::IntradayFirstRound);
    CMainFrame window(session, loader, quotes, {}, FakeClock());
    window.ShowAsSaved();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    EXPECT_TRUE(window.isMaximized()) << window.windowState();
    EXPECT_EQ(window.normalGeometry().size(), QSize(1024, 690));
    // Maximized, the window has the whole screen (on a screen of 1280 px and more the funds
    // bar's 查询 button, which ends at x = 1115, is inside it).
    EXPECT_EQ(window.frameGeometry().width(), window.screen()->availableGeometry().width());
}

// Drags a splitter's handle by `dy` / `dx` pixels with the mouse.
void DragHandle(QSplitter& splitter, int index, QPoint by) {
    QSplitterHandle* handle = splitter.handle(index);
    const QPoint from = handle->rect().center();
    QTest::mousePress(handle, Qt::LeftButton, Qt::NoModifier, from);
    QMouseEvent move(QEvent::MouseMove, QPointF(from + by), handle->mapToGlobal(QPointF(from + by)),
                     Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(handle, &move);
    QTest::mouseRelease(handle, Qt::LeftButton, Qt::NoModifier, from + by);
}

TEST_F(FrameTest, TheLayoutTheTraderLeftIsKeptForTheNextStart) {
    LogIn(ServerMode::IntradayFirstRound);
    {
        CMainFrame window(session, loader, quotes, {}, FakeClock());
        window.resize(1200, 800);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        EXPECT_FALSE(std::filesystem::exists(ProgramDir() / "layout.ini"))
            << "nothing is written until the trader changes something";
        DragHandle(*window.MainSplitter(), 1, QPoint(0, 80));
        EXPECT_EQ(window.MainSplitter()->sizes().value(0), 300);
        window.TopView()->QuoteBoard()->List()->Header()->resizeSection(2, 111);
        // Kept soon after the drag, before any close (退出 ends the process without one).
        EXPECT_TRUE(
            WaitFor([&] { return std::filesystem::exists(ProgramDir() / "layout.ini"); }, 2000));
        window.close();
    }
    ASSERT_TRUE(std::filesystem::exists(ProgramDir() / "layout.ini"));
    CMainFrame again(session, loader, quotes, {}, FakeClock());
    again.ShowAsSaved();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&again));
    EXPECT_FALSE(again.isMaximized());
    EXPECT_EQ(again.size(), QSize(1200, 800));
    EXPECT_EQ(again.MainSplitter()->sizes().value(0), 300);
    EXPECT_EQ(again.MainSplitter()->sizes().value(1), CMainFrame::kOrderPaneMinHeight)
        << "the order-entry row keeps its controls; the bottom row gave the room";
    EXPECT_EQ(again.MiddleSplitter()->sizes().value(0), 315);
    EXPECT_EQ(again.TopView()->QuoteBoard()->List()->columnWidth(2), 111);
    EXPECT_EQ(again.TopView()->QuoteBoard()->List()->columnWidth(3), 60);
    EXPECT_GE(again.MainSplitter()->handleWidth(), 5) << "handles the trader can see";
}

}  // namespace

// The connection pane against the reference back-end: an outage of the quote server and of
// the web port, and their end.
class ConnectionPaneTest : public ft::testing::UiFixture {};

TEST_F(ConnectionPaneTest, ShowsAnOutageAndItsEnd) {
    FrameOptions options;
    options.countersInterval = std::chrono::milliseconds(50);
    QuoteTimings timings;
    timings.receiveWait = std::chrono::milliseconds(500);
    timings.connectWait = std::chrono::milliseconds(300);
    OpenDemoFrame(options, timings);
    QLabel* pane = frame->StatusPane(CMainFrame::kConnectionPane);
    ASSERT_TRUE(WaitFor([&] { return pane->text() == QStringLiteral("行情已连接"); }))
        << pane->text().toStdString();
    EXPECT_NE(pane->palette().color(QPalette::WindowText), QColor(255, 0, 0));

    BackEnd().CloseQuoteConnections(true);
    ASSERT_TRUE(WaitFor([&] { return pane->text().startsWith(QStringLiteral("行情重连中(自")); }))
        << pane->text().toStdString();
    EXPECT_EQ(pane->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    ASSERT_TRUE(WaitFor([&] { return pane->text().contains(QStringLiteral("秒未更新")); }))
        << pane->text().toStdString();

    BackEnd().CloseWebConnections(true);
    platform::AdvanceTickCount(2100);  // past the refresh gate
    for (QAction* action : frame->menuBar()->actions()) {
        if (action->text() == QStringLiteral("刷新(&R)")) {
            action->trigger();
        }
    }
    ASSERT_TRUE(WaitFor([&] {
        return pane->text().contains(QStringLiteral("交易服务器无法连接"));
    })) << pane->text().toStdString();
    EXPECT_TRUE(effects.Messages().empty()) << "no message boxes for this";

    BackEnd().CloseQuoteConnections(false);
    BackEnd().CloseWebConnections(false);
    ASSERT_TRUE(
        WaitFor([&] { return pane->text().startsWith(QStringLiteral("行情已连接")); }, 8000))
        << pane->text().toStdString();
    // The web mark stays until a request succeeds again.
    EXPECT_TRUE(pane->text().contains(QStringLiteral("交易服务器无法连接")));
    loader.StartReloadMoney();
    ASSERT_TRUE(WaitFor([&] { return pane->text() == QStringLiteral("行情已连接"); }))
        << pane->text().toStdString();
    EXPECT_NE(pane->palette().color(QPalette::WindowText), QColor(255, 0, 0));
}

}  // namespace ft::ui
