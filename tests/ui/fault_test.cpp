// The terminal against a back-end whose web API or quote server misbehaves: cut answers,
// garbage, oversized answers, broken text, answers trickling in and refused connections, while
// an order, a cancellation, a table reload and the quote feed are out. The window must keep
// answering, say what happened, send nothing twice and come back by itself.
#include <gtest/gtest.h>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <fstream>
#include <thread>

#include "platform/system.h"
#include "support/ui_fixture.h"
#include "trading/order_rules.h"
#include "ui/controls/gradient_button.h"
#include "ui/controls/list_ctrl.h"
#include "ui/controls/text_controls.h"
#include "ui/market/quote_board_panel.h"
#include "ui/market/top_view.h"
#include "ui/trading/all_orders_panel.h"
#include "ui/trading/order_entry_pane.h"
#include "ui/trading/order_entry_panel.h"
#include "ui/trading/orders_pane.h"
#include "ui/trading/working_orders_panel.h"

namespace ft::ui {
namespace {

using fsim::Fault;

// Time the calling thread has spent runnable but waiting for a processor, from the kernel's
// scheduler statistics (0 where they are missing).
qint64 RunQueueWaitNs() {
    std::ifstream in("/proc/thread-self/schedstat");
    qint64 onProcessor = 0;
    qint64 waiting = 0;
    in >> onProcessor >> waiting;
    return waiting;
}

// The longest time the window's event loop went without running a 10 ms timer, less the time
// the window thread stood in the processor's queue: with tests run three per core, that time
// is the other programs' and says nothing about a window that stands still.
class Watchdog {
public:
    Watchdog() {
        timer_.setInterval(10);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            const qint64 queued = RunQueueWaitNs();
            worst_ = std::max(worst_, clock_.restart() - (queued - queued_) / 1'000'000);
            queued_ = queued;
            ++rounds_;
        });
        queued_ = RunQueueWaitNs();
        clock_.start();
        timer_.start();
    }
    qint64 WorstGapMs() const { return worst_; }
    int Rounds() const { return rounds_; }

private:
    QTimer timer_;
    QElapsedTimer clock_;
    qint64 queued_ = 0;
    qint64 worst_ = 0;
    int rounds_ = 0;
};

const char* Name(Fault fault) {
    switch (fault) {
        case Fault::CutAnswer:
            return "CutAnswer";
        case Fault::Garbage:
            return "Garbage";
        case Fault::Oversized:
            return "Oversized";
        case Fault::InvalidText:
            return "InvalidText";
        case Fault::SlowBytes:
            return "SlowBytes";
        case Fault::Refuse:
            return "Refuse";
        case Fault::None:
            break;
    }
    return "None";
}

// The watchdog sees a window thread that works or blocks for 150 ms, however loaded the machine.
TEST(WatchdogTest, SeesAWindowThreadThatWorksOrBlocks) {
    ft::testing::TestApp();
    for (const bool blocks : {false, true}) {
        Watchdog watchdog;
        bool done = false;
        QTimer::singleShot(20, [blocks, &done] {
            if (blocks) {
                std::this_thread::sleep_for(std::chrono::milliseconds(150));
            } else {
                // 150 ms of the processor's time, however long the machine makes that take.
                const std::clock_t start = std::clock();
                while (std::clock() - start < CLOCKS_PER_SEC * 150 / 1000) {
                }
            }
            done = true;
        });
        ASSERT_TRUE(QTest::qWaitFor([&] { return done; }, 10000));
        const int rounds = watchdog.Rounds();  // the next round sees the gap
        ASSERT_TRUE(QTest::qWaitFor([&] { return watchdog.Rounds() > rounds; }, 10000));
        EXPECT_GE(watchdog.WorstGapMs(), 100) << (blocks ? "blocked" : "busy");
    }
}

class FaultTest : public ft::testing::UiFixture, public ::testing::WithParamInterface<Fault> {
protected:
    void SetUp() override {
        UiFixture::SetUp();
        FrameOptions options;
        options.countersInterval = std::chrono::milliseconds(50);
        QuoteTimings timings;
        timings.receiveWait = std::chrono::milliseconds(500);
        timings.connectWait = std::chrono::milliseconds(300);
        OpenDemoFrame(options, timings);
        BackEnd().SetRandomWalk(false);
        BackEnd().SetQuote("rb2705", 3215, 3214, 3216);
        board = frame->TopView()->QuoteBoard();
        entry = dynamic_cast<CTradeDlg1*>(frame->TradeView()->OrderEntryPanel());
        working = qobject_cast<COrderSubDlg1*>(frame->OrderView()->Panel(0));
        all = qobject_cast<COrderSubDlg2*>(frame->OrderView()->Panel(1));
        pane = frame->StatusPane(CMainFrame::kConnectionPane);
        ASSERT_TRUE(board && entry && working && all && pane);
        ASSERT_TRUE(WaitFor([this] {
            return board->List()->GetItemCount() > 0 &&
                   board->List()->GetItemText(0, QuoteCol::BidPrice) == "3214";
        }));
        ASSERT_TRUE(WaitFor([this] { return pane->text() == QStringLiteral("行情已连接"); }));
        // A resting order for the cancellation to come.
        ClickRow(*board->List(), 0);
        GivePrice(QStringLiteral("3100"));
        QSignalSpy finished(entry, &CTradeDlg1::orderFinished);
        QTest::mouseClick(entry->OrderButton(), Qt::LeftButton);
        ASSERT_TRUE(finished.wait(5000));
        ASSERT_TRUE(WaitFor([this] { return working->List()->GetItemCount() == 1; }));
    }

    void GivePrice(const QString& price) {
        if (entry->PriceModeButton()->text() != QStringLiteral("指定价")) {
            QTest::mouseClick(entry->PriceModeButton(), Qt::LeftButton);
        }
        QTest::keyClick(entry->PriceEdit(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(entry->PriceEdit(), Qt::Key_Delete);
        QTest::keyClicks(entry->PriceEdit(), price);
    }
    void Refresh() {
        for (QAction* action : frame->menuBar()->actions()) {
            if (action->text() == QStringLiteral("刷新(&R)")) {
                action->trigger();
            }
        }
    }
    // An order at 3101, a cancellation of the resting one and a reload of the tables, all sent
    // at once; returns when the order has its outcome.
    OrderOutcome SendOrderCancellationAndReload() {
        QSignalSpy finished(entry, &CTradeDlg1::orderFinished);
        GivePrice(QStringLiteral("3101"));
        QTest::mouseClick(entry->OrderButton(), Qt::LeftButton);
        ClickRow(*working->List(), 0);
        QTest::mouseClick(working->CancelButton(), Qt::LeftButton);
        platform::AdvanceTickCount(2100);  // past the menu's refresh gate
        Refresh();
        if (!finished.wait(20000)) {
            ADD_FAILURE() << "the order has no outcome";
            return OrderOutcome::NotSent;
        }
        return static_cast<OrderOutcome>(finished.at(0).at(0).toInt());
    }
    // The back-end's orders and the terminal's all-orders list agree again.
    void ExpectOrdersListedAsTheBackEndHasThem(int orders) {
        EXPECT_TRUE(WaitFor([&] { return all->List()->GetItemCount() == orders; }, 10000))
            << all->List()->GetItemCount() << " listed, " << orders << " at the back-end";
    }

    CPriceSubDlg1* board = nullptr;
    CTradeDlg1* entry = nullptr;
    COrderSubDlg1* working = nullptr;
    COrderSubDlg2* all = nullptr;
    QLabel* pane = nullptr;
};

using WebFaultTest = FaultTest;
using QuoteFaultTest = FaultTest;

TEST_P(WebFaultTest, TheTerminalSaysWhatHappenedSendsNothingTwiceAndRecovers) {
    const Fault fault = GetParam();
    Watchdog watchdog;
    BackEnd().InjectWebFault(fault);
    const OrderOutcome outcome = SendOrderCancellationAndReload();

    // Told: an accepted order shows in the lists, anything else is said in a message.
    if (outcome != OrderOutcome::Accepted) {
        EXPECT_FALSE(effects.Messages().empty()) << Name(fault) << ": nothing said";
    }
    if (fault == Fault::Refuse || fault == Fault::CutAnswer || fault == Fault::Oversized) {
        EXPECT_NE(outcome, OrderOutcome::Accepted);
        // The failed reload marks the trading server unreachable.
        EXPECT_TRUE(WaitFor(
            [&] { return pane->text().contains(QStringLiteral("交易服务器无法连接")); }, 10000))
            << pane->text().toStdString();
    }
    // Once each at most, and once unless the port refused it.
    const int sentOrders = fault == Fault::Refuse ? 1 : 2;
    EXPECT_TRUE(WaitFor([&] { return BackEnd().Requests("weituo") >= sentOrders; }));

    BackEnd().InjectWebFault(Fault::None);
    // An order of unknown outcome is checked against the back-end first; until then no other
    // order is taken.
    ASSERT_TRUE(WaitFor([&] { return !entry->Reconciling(); }, 15000)) << Name(fault);
    // The next order goes through and the lists catch up with the back-end.
    GivePrice(QStringLiteral("3102"));
    QSignalSpy finished(entry, &CTradeDlg1::orderFinished);
    QTest::mouseClick(entry->OrderButton(), Qt::LeftButton);
    ASSERT_TRUE(finished.wait(5000));
    EXPECT_EQ(static_cast<OrderOutcome>(finished.at(0).at(0).toInt()), OrderOutcome::Accepted);
    ExpectOrdersListedAsTheBackEndHasThem(sentOrders + 1);
    // Counted after the recovery, so that a late repetition would be in.
    EXPECT_EQ(BackEnd().Requests("weituo"), sentOrders + 1);
    EXPECT_LE(BackEnd().Requests("cancelweituo"), 1);
    EXPECT_TRUE(WaitFor([&] { return pane->text() == QStringLiteral("行情已连接"); }, 10000))
        << pane->text().toStdString();
    EXPECT_LT(watchdog.WorstGapMs(), 100) << Name(fault) << ": the window stood still";
}

TEST_P(QuoteFaultTest, TheBoardSaysWhatHappenedAndRecovers) {
    const Fault fault = GetParam();
    Watchdog watchdog;
    BackEnd().InjectQuoteFault(fault);
    const OrderOutcome outcome = SendOrderCancellationAndReload();
    EXPECT_EQ(outcome, OrderOutcome::Accepted);
    if (fault != Fault::InvalidText) {
        // Cut, unreadable, oversized, trickling or refused answers: the feed is marked.
        EXPECT_TRUE(WaitFor(
            [&] { return pane->palette().color(QPalette::WindowText) == QColor(255, 0, 0); },
            10000))
            << Name(fault) << ": " << pane->text().toStdString();
    }
    BackEnd().InjectQuoteFault(Fault::None);
    BackEnd().SetQuote("rb2705", 3230, 3229, 3231);
    EXPECT_TRUE(
        WaitFor([&] { return board->List()->GetItemText(0, QuoteCol::BidPrice) == "3229"; }, 10000))
        << Name(fault) << ": the board does not follow the market again";
    EXPECT_TRUE(WaitFor([&] { return pane->text() == QStringLiteral("行情已连接"); }, 10000))
        << pane->text().toStdString();
    ExpectOrdersListedAsTheBackEndHasThem(2);
    EXPECT_EQ(BackEnd().Requests("weituo"), 2);
    EXPECT_LE(BackEnd().Requests("cancelweituo"), 1);
    EXPECT_LT(watchdog.WorstGapMs(), 100) << Name(fault) << ": the window stood still";
}

const auto kFaults = ::testing::Values(Fault::CutAnswer, Fault::Garbage, Fault::Oversized,
                                       Fault::InvalidText, Fault::SlowBytes, Fault::Refuse);
std::string FaultName(const ::testing::TestParamInfo<Fault>& info) {
    return Name(info.param);
}
INSTANTIATE_TEST_SUITE_P(Web, WebFaultTest, kFaults, FaultName);
INSTANTIATE_TEST_SUITE_P(Quotes, QuoteFaultTest, kFaults, FaultName);

}  // namespace
}  // namespace ft::ui
