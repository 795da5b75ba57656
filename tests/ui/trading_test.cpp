// The order-entry, orders and trades panels against the reference back-end started in the test,
// driven through their controls.
#include <gtest/gtest.h>
#include <QCheckBox>
#include <QComboBox>
#include <QCursor>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

#include <chrono>
#include <cstdlib>

#include "core/text.h"
#include "net/request_client.h"
#include "positions/positions_rules.h"
#include "support/http_test_server.h"
#include "support/ui_fixture.h"
#include "trading/order_lists.h"
#include "ui/common/text_boundary.h"
#include "ui/controls/gradient_button.h"
#include "ui/controls/list_ctrl.h"
#include "ui/controls/spin_arrows.h"
#include "ui/controls/text_controls.h"
#include "ui/market/quote_board_panel.h"
#include "ui/market/top_view.h"
#include "ui/positions/positions_pane.h"
#include "ui/positions/positions_panel.h"
#include "ui/trading/all_orders_panel.h"
#include "ui/trading/order_entry_pane.h"
#include "ui/trading/order_entry_panel.h"
#include "ui/trading/orders_pane.h"
#include "ui/trading/trade_records_pane.h"
#include "ui/trading/trade_records_panel.h"
#include "ui/trading/working_orders_panel.h"

namespace ft::ui {
namespace {

// Stands in for the positions panel: a selection the test sets (the positions themselves are
// the frame's trading state).
class PositionsStandIn : public TabPanel, public PositionsSource {
public:
    void OpenStopRuleEditor() override { ++stopRuleEditors; }
    bool HasSelectedRow() const override { return selected; }

    bool selected = true;
    int stopRuleEditors = 0;
};

class TradingTest : public ft::testing::UiFixture {
protected:
    void SetUp() override {
        UiFixture::SetUp();
        OpenDemoFrame();
        BackEnd().SetRandomWalk(false);
        BackEnd().SetQuote("rb2705", 3215, 3214, 3216);
        board = frame->TopView()->QuoteBoard();
        entry = dynamic_cast<CTradeDlg1*>(frame->TradeView()->OrderEntryPanel());
        working = qobject_cast<COrderSubDlg1*>(frame->OrderView()->Panel(0));
        all = qobject_cast<COrderSubDlg2*>(frame->OrderView()->Panel(1));
        trades = qobject_cast<CTDetailSubDlg1*>(frame->DetailView()->Panel(0));
        ASSERT_TRUE(board && entry && working && all && trades);
        ASSERT_TRUE(WaitFor([this] {
            return board->List()->GetItemCount() > 0 &&
                   board->List()->GetItemText(0, QuoteCol::BidPrice) == "3214";
        }));
    }

    static void Type(QLineEdit* edit, const QString& text) {
        QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClicks(edit, text);
    }
    // Puts the panel in "指定价" and types the price.
    void GivePrice(const QString& price) {
        if (entry->PriceModeButton()->text() != QStringLiteral("指定价")) {
            QTest::mouseClick(entry->PriceModeButton(), Qt::LeftButton);
        }
        Type(entry->PriceEdit(), price);
    }
    // Clicks 下单 and waits for the order's outcome.
    OrderOutcome PlaceOrder() {
        QSignalSpy finished(entry, &CTradeDlg1::orderFinished);
        QTest::mouseClick(entry->OrderButton(), Qt::LeftButton);
        if (!finished.wait(5000)) {
            ADD_FAILURE() << "no outcome";
            return OrderOutcome::NotSent;
        }
        return static_cast<OrderOutcome>(finished.at(0).at(0).toInt());
    }
    void SelectRb() {
        ClickRow(*board->List(), 0);
        ASSERT_EQ(entry->ContractBox()->currentText(), QStringLiteral("rb2705"));
    }
    std::vector<QString> Messages() { return effects.Messages(); }
    // A resting order that the back-end cancels while the working-orders list still shows it;
    // the trader then selects it and presses 撤单.
    void ClickCancelOfAnOrderCancelledBehindTheList() {
        SelectRb();
        GivePrice(QStringLiteral("3100"));
        ASSERT_EQ(PlaceOrder(), OrderOutcome::Accepted);
        CListCtrlCl& list = *working->List();
        ASSERT_TRUE(WaitFor([&] { return list.GetItemCount() == 1; }));
        std::string answer;
        ASSERT_TRUE(PostForm(session, kCancelPath, CancelBody(list.GetItemText(0, 0)), answer));
        ClickRow(list, 0);
        QTest::mouseClick(working->CancelButton(), Qt::LeftButton);
    }
    static QString Text(const char* utf8) { return QString::fromUtf8(utf8); }

    CPriceSubDlg1* board = nullptr;
    CTradeDlg1* entry = nullptr;
    COrderSubDlg1* working = nullptr;
    COrderSubDlg2* all = nullptr;
    CTDetailSubDlg1* trades = nullptr;
};

TEST_F(TradingTest, ABoardRowFillsTheFormAndThePriceFollowsTheAsk) {
    ASSERT_TRUE(WaitFor(
        [&] { return frame->TopView()->FundsValue(7)->text() == QStringLiteral("1000000"); }));
    EXPECT_EQ(entry->PriceModeButton()->text(), QStringLiteral("指定价")) << "a fresh panel";
    EXPECT_EQ(entry->LotsHint()->text(), QStringLiteral("0手"));
    SelectRb();
    EXPECT_EQ(entry->PriceModeButton()->text(), QStringLiteral("跟盘价"));
    EXPECT_EQ(entry->LotsEdit()->text(), QStringLiteral("1"));
    EXPECT_EQ(entry->PriceEdit()->text(), QStringLiteral("3216"));
    EXPECT_EQ(entry->BidPrice()->text(), QStringLiteral("3214"));
    EXPECT_EQ(entry->AskPrice()->text(), QStringLiteral("3216"));
    EXPECT_EQ(entry->UpperLimit()->text(), QStringLiteral("3440"));
    EXPECT_EQ(entry->LowerLimit()->text(), QStringLiteral("2990"));
    // 1,000,000 × 100 ÷ 3216 ÷ 10 ÷ 10 (percent) = 310.9
    EXPECT_EQ(entry->LotsHint()->text(), QStringLiteral("310手"));

    BackEnd().SetQuote("rb2705", 3220, 3219, 3221);
    EXPECT_TRUE(WaitFor([&] { return entry->PriceEdit()->text() == QStringLiteral("3221"); }));
    EXPECT_EQ(entry->BidPrice()->text(), QStringLiteral("3219"));

    // Selling follows the bid; the choice labels show the choice in its colour.
    QTest::mouseClick(entry->SellLabel(), Qt::LeftButton);
    EXPECT_TRUE(entry->SellRadio()->isChecked());
    EXPECT_EQ(entry->PriceEdit()->text(), QStringLiteral("3219"));
    EXPECT_EQ(entry->SellLabel()->palette().color(QPalette::Window), QColor(0, 200, 0));
    EXPECT_EQ(entry->BuyLabel()->palette().color(QPalette::Window), QColor(255, 255, 245));
    QTest::mouseClick(entry->CloseLabel(), Qt::LeftButton);
    EXPECT_TRUE(entry->CloseRadio()->isChecked());
    EXPECT_EQ(entry->CloseLabel()->palette().color(QPalette::Window), QColor(255, 222, 1));
    EXPECT_EQ(entry->OpenLabel()->palette().color(QPalette::Window), QColor(255, 255, 245));
    EXPECT_EQ(entry->LotsHint()->text(), QStringLiteral("0手")) << "nothing held to close";

    // Clicking the contract already shown changes nothing but the price mode.
    Type(entry->LotsEdit(), QStringLiteral("4"));
    QTest::mouseClick(entry->PriceModeButton(), Qt::LeftButton);
    ClickRow(*board->List(), 0);
    EXPECT_EQ(entry->LotsEdit()->text(), QStringLiteral("4"));
    EXPECT_EQ(entry->PriceModeButton()->text(), QStringLiteral("跟盘价"));
}

TEST_F(TradingTest, AGivenPriceStaysWhileTheMarketMoves) {
    SelectRb();
    GivePrice(QStringLiteral("3200"));
    BackEnd().SetQuote("rb2705", 3230, 3229, 3231);
    ASSERT_TRUE(WaitFor([&] { return entry->AskPrice()->text() == QStringLiteral("3231"); }));
    const int ticks = entry->QuoteTicks();
    ASSERT_TRUE(WaitFor([&] { return entry->QuoteTicks() >= ticks + 3; }));
    EXPECT_EQ(entry->PriceEdit()->text(), QStringLiteral("3200"));
    // An empty given price is filled by the next tick; choosing a side replaces a typed one.
    Type(entry->PriceEdit(), QString());
    EXPECT_TRUE(WaitFor([&] { return entry->PriceEdit()->text() == QStringLiteral("3231"); }));
    Type(entry->PriceEdit(), QStringLiteral("3200"));
    QTest::mouseClick(entry->SellRadio(), Qt::LeftButton);
    EXPECT_EQ(entry->PriceEdit()->text(), QStringLiteral("3229"));
}

TEST_F(TradingTest, BuyOpenTwoLotsConfirmedShowsInAllOrdersAndTheFills) {
    SelectRb();
    QTest::mouseClick(entry->ConfirmBox(), Qt::LeftButton);
    ASSERT_TRUE(entry->ConfirmBox()->isChecked());
    Type(entry->LotsEdit(), QStringLiteral("2"));
    EXPECT_EQ(PlaceOrder(), OrderOutcome::Accepted);
    EXPECT_EQ(Messages(),
              std::vector<QString>{Text("确认下单|下单:开仓  买  rb2705  2手  于价格 3216")});
    EXPECT_EQ(LastOrderAccepted, 1);

    // The order fills at the ask at once; it is listed with its status and colours.
    CListCtrlCl& list = *all->List();
    ASSERT_TRUE(WaitFor([&] { return list.GetItemCount() == 1; }));
    EXPECT_EQ(list.GetItemText(0, AllOrderCol::Code), "rb2705");
    EXPECT_EQ(list.GetItemText(0, AllOrderCol::Volume), "2");
    ASSERT_TRUE(
        WaitFor([&] { return list.GetItemText(0, AllOrderCol::Status) == Ansi("全部成交"); }));
    EXPECT_EQ(list.CellTextColour(0, AllOrderCol::Status), QColor(0, 121, 0));
    EXPECT_EQ(list.CellTextColour(0, AllOrderCol::Direction), QColor(210, 47, 45));
    EXPECT_EQ(list.CellTextColour(0, AllOrderCol::Code), QColor(111, 94, 16));
    EXPECT_EQ(working->List()->GetItemCount(), 0);

    CListCtrlCl& fills = *trades->List();
    ASSERT_TRUE(WaitFor([&] { return fills.GetItemCount() == 1; }));
    EXPECT_EQ(fills.GetItemText(0, TradeCol::Direction), Ansi("买"));
    EXPECT_EQ(fills.CellTextColour(0, TradeCol::Direction), QColor(204, 51, 51));
    EXPECT_EQ(fills.GetItemText(0, TradeCol::Volume), "2");
    EXPECT_EQ(fills.GetItemText(0, TradeCol::Price), "3216");

    // Selling them again: the fill shows indented and green. The order panel splits a close
    // on 上期所 by the positions it holds, so it must hold the new one first.
    ASSERT_TRUE(WaitFor([&] { return frame->Trading().Positions().size() == 1; }));
    QTest::mouseClick(entry->SellRadio(), Qt::LeftButton);
    QTest::mouseClick(entry->CloseLabel(), Qt::LeftButton);
    QTest::mouseClick(entry->ConfirmBox(), Qt::LeftButton);
    Type(entry->LotsEdit(), QStringLiteral("2"));
    EXPECT_EQ(PlaceOrder(), OrderOutcome::Accepted);
    ASSERT_TRUE(WaitFor([&] { return fills.GetItemCount() == 2; }));
    EXPECT_EQ(fills.GetItemText(1, TradeCol::Direction), "  " + Ansi("卖"));
    EXPECT_EQ(fills.CellTextColour(1, TradeCol::Direction), QColor(0, 128, 0));
    EXPECT_EQ(Messages().size(), 1u) << "no confirmation once unchecked";
}

TEST_F(TradingTest, ARestingOrderIsCancelledByDoubleClickAfterTheQuestion) {
    SelectRb();
    GivePrice(QStringLiteral("3100"));
    Type(entry->LotsEdit(), QStringLiteral("2"));
    ASSERT_EQ(PlaceOrder(), OrderOutcome::Accepted);
    CListCtrlCl& list = *working->List();
    ASSERT_TRUE(WaitFor([&] { return list.GetItemCount() == 1; }));
    EXPECT_EQ(list.GetItemText(0, WorkingOrderCol::Unfilled), "2");
    EXPECT_EQ(list.GetItemText(0, WorkingOrderCol::Price), "3100");
    EXPECT_EQ(list.CellTextColour(0, WorkingOrderCol::Code), QColor(111, 94, 16));
    const std::string number = list.GetItemText(0, WorkingOrderCol::OrderNo);

    // Cancel answered first: nothing is sent.
    effects.answer = MessageResult::Cancel;
    DoubleClickRow(list, 0);
    ASSERT_TRUE(SettleAside());
    EXPECT_EQ(BackEnd().Requests("cancelweituo"), 0);
    EXPECT_EQ(list.GetItemCount(), 1);
    effects.answer = MessageResult::Ok;
    DoubleClickRow(list, 0);
    const QString question = Text("撤单|撤单:") + ToQt(number) + Text("  rb2705  2手");
    EXPECT_EQ(Messages(), (std::vector<QString>{question, question}));
    ASSERT_TRUE(WaitFor([&] { return list.GetItemCount() == 0; }));
    ASSERT_TRUE(
        WaitFor([&] { return all->List()->GetItemText(0, AllOrderCol::Status) == Ansi("已撤"); }));
    EXPECT_EQ(all->List()->CellTextColour(0, AllOrderCol::Status), QColor(122, 126, 0));
    EXPECT_EQ(Messages().size(), 2u);
}

TEST_F(TradingTest, CancelAllAsksOnceAndEmptiesTheWorkingOrders) {
    SelectRb();
    GivePrice(QStringLiteral("3100"));
    ASSERT_EQ(PlaceOrder(), OrderOutcome::Accepted);
    GivePrice(QStringLiteral("3101"));
    ASSERT_EQ(PlaceOrder(), OrderOutcome::Accepted);
    CListCtrlCl& list = *working->List();
    ASSERT_TRUE(WaitFor([&] { return list.GetItemCount() == 2; }));
    QTest::mouseClick(working->CancelAllButton(), Qt::LeftButton);
    EXPECT_EQ(Messages(), std::vector<QString>{Text("撤单|是否确认要撤销全部委托单?")});
    ASSERT_TRUE(WaitFor([&] { return list.GetItemCount() == 0; }));

    // With nothing listed the button asks nothing.
    QTest::mouseClick(working->CancelAllButton(), Qt::LeftButton);
    ASSERT_TRUE(Settle());
    EXPECT_EQ(Messages().size(), 1u);
}

TEST_F(TradingTest, AllOrdersFiltersAndCancelsOnlyWorkingRows) {
    SelectRb();
    Type(entry->LotsEdit(), QStringLiteral("1"));
    ASSERT_EQ(PlaceOrder(), OrderOutcome::Accepted);  // fills at the ask
    GivePrice(QStringLiteral("3100"));
    ASSERT_EQ(PlaceOrder(), OrderOutcome::Accepted);  // rests
    CListCtrlCl& list = *all->List();
    ASSERT_TRUE(WaitFor([&] { return list.GetItemCount() == 2; }));
    frame->OrderView()->Tabs()->setCurrentIndex(1);
    EXPECT_TRUE(all->isVisible());
    EXPECT_FALSE(working->isVisible());

    QTest::mouseClick(all->FilterButton(OrderFilter::Filled), Qt::LeftButton);
    ASSERT_EQ(list.GetItemCount(), 1);
    EXPECT_EQ(list.GetItemText(0, AllOrderCol::Status), Ansi("全部成交"));
    // A filled order cannot be cancelled: nothing is asked.
    ClickRow(list, 0);
    QTest::mouseClick(all->CancelButton(), Qt::LeftButton);
    EXPECT_TRUE(Messages().empty());
    QTest::mouseClick(all->FilterButton(OrderFilter::Cancelled), Qt::LeftButton);
    EXPECT_EQ(list.GetItemCount(), 0);
    QTest::mouseClick(all->CancelAllButton(), Qt::LeftButton);
    EXPECT_TRUE(Messages().empty()) << "no rows under this filter: nothing asked";

    QTest::mouseClick(all->FilterButton(OrderFilter::Working), Qt::LeftButton);
    ASSERT_EQ(list.GetItemCount(), 1);
    ClickRow(list, 0);
    QTest::mouseClick(all->CancelButton(), Qt::LeftButton);
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_TRUE(Messages()[0].endsWith(Text("  rb2705  1手")));
    // Under "全部单" the cancelled order shows its new status.
    QTest::mouseClick(all->FilterButton(OrderFilter::All), Qt::LeftButton);
    ASSERT_TRUE(WaitFor([&] { return list.GetItemText(1, AllOrderCol::Status) == Ansi("已撤"); }));
    EXPECT_EQ(list.GetItemCount(), 2);
}

// "nan" passed the limit check (every comparison with it is false) and was sent; "3500.."
// was checked as 3500 and sent as typed.
TEST_F(TradingTest, APriceOrLotsThatIsNoPlainNumberIsRefusedBeforeAnythingIsSent) {
    SelectRb();
    const int before = all->List()->GetItemCount();
    std::size_t messages = 0;
    for (const QString price : {"nan", "inf", "1e400", "-1", "3500.."}) {
        GivePrice(price);
        EXPECT_EQ(PlaceOrder(), OrderOutcome::NotSent) << price.toStdString();
        ASSERT_EQ(Messages().size(), ++messages) << price.toStdString();
        EXPECT_TRUE(Messages().back().startsWith(Text("通知|价格")) &&
                    Messages().back().endsWith(price))
            << Messages().back().toStdString();
    }
    GivePrice(QStringLiteral("3215"));
    // The lots box takes digits only; a number beyond any sane order is refused all the same.
    Type(entry->LotsEdit(), QStringLiteral("10001"));
    EXPECT_EQ(PlaceOrder(), OrderOutcome::NotSent);
    ASSERT_EQ(Messages().size(), ++messages);
    EXPECT_EQ(Messages().back(), Text("通知|手数必须在1到10000之间: 10001"));
    Type(entry->LotsEdit(), QStringLiteral("1"));
    EXPECT_EQ(PlaceOrder(), OrderOutcome::Accepted);
    loader.ReloadTables(0);
    EXPECT_TRUE(WaitFor([&] { return all->List()->GetItemCount() == before + 1; }))
        << "only the good order reached the back-end";
}

TEST_F(TradingTest, ARefusalShowsTheBackEndsReasonAndKeepsTheForm) {
    SelectRb();
    BackEnd().RejectNextOrder("保证金不足");
    Type(entry->LotsEdit(), QStringLiteral("3"));
    EXPECT_EQ(PlaceOrder(), OrderOutcome::Refused);
    EXPECT_EQ(Messages(), std::vector<QString>{Text("通知|保证金不足")});
    EXPECT_EQ(LastOrderAccepted, 0);
    EXPECT_EQ(entry->LotsEdit()->text(), QStringLiteral("3"));

    // The back-end's own checks come back the same way.
    GivePrice(QStringLiteral("3300"));
    QTest::mouseClick(entry->CloseLabel(), Qt::LeftButton);
    EXPECT_EQ(PlaceOrder(), OrderOutcome::Refused);
    EXPECT_EQ(Messages().back(), Text("通知|可平仓数量不足"));

    // 平今, a choice of its own on 上期所 (and chosen by other panels), closes today's lots only.
    entry->ChooseCloseToday();
    EXPECT_TRUE(entry->CloseTodayRadio()->isChecked());
    EXPECT_FALSE(entry->CloseRadio()->isChecked());
    EXPECT_EQ(entry->CloseTodayLabel()->palette().color(QPalette::Window), QColor(255, 222, 1));
    EXPECT_EQ(PlaceOrder(), OrderOutcome::Refused);
    EXPECT_EQ(Messages().back(), Text("通知|可平仓数量不足"));

    // Outside the day's limits the panel refuses before anything is sent.
    GivePrice(QStringLiteral("3500"));
    EXPECT_EQ(PlaceOrder(), OrderOutcome::NotSent);
    const auto messages = Messages();
    ASSERT_EQ(messages.size(), 5u);
    EXPECT_EQ(messages[3], Text("通知|报价超过涨停价,买入失败"));
    EXPECT_EQ(messages[4], Text("通知|挂单价格超出合约的涨跌幅限制"));
}

TEST_F(TradingTest, TheWindowTakesInputWhileAnOrderIsOut) {
    SelectRb();
    BackEnd().StallWeb(1500);
    QSignalSpy finished(entry, &CTradeDlg1::orderFinished);
    const auto started = std::chrono::steady_clock::now();
    QTest::mouseClick(entry->OrderButton(), Qt::LeftButton);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(300));
    EXPECT_TRUE(entry->OrderOut());
    EXPECT_EQ(entry->cursor().shape(), Qt::BusyCursor);
    // A second click while the first is out sends nothing.
    QTest::mouseClick(entry->OrderButton(), Qt::LeftButton);
    Type(entry->LotsEdit(), QStringLiteral("5"));
    EXPECT_EQ(entry->LotsEdit()->text(), QStringLiteral("5"));
    ClickRow(*board->List(), 1);
    EXPECT_EQ(entry->ContractBox()->currentText(), QStringLiteral("hc2705"));
    ASSERT_TRUE(finished.wait(5000));
    EXPECT_EQ(finished.count(), 1);
    EXPECT_NE(entry->cursor().shape(), Qt::BusyCursor);
    BackEnd().StallWeb(0);
    ASSERT_TRUE(WaitFor([&] { return all->List()->GetItemCount() == 1; }));
    ASSERT_TRUE(Settle());
    EXPECT_EQ(all->List()->GetItemCount(), 1) << "one order only";
    EXPECT_EQ(all->List()->GetItemText(0, AllOrderCol::Code), "rb2705");
}

// The order that found the back-end down marks the trading server in the pane (no reload has
// to fail first), and the mark goes by itself once the back-end answers again.
TEST_F(TradingTest, AFailedRequestSaysSystemErrorAndThePaneFollowsTheBackEnd) {
    QLabel* pane = frame->StatusPane(CMainFrame::kConnectionPane);
    SelectRb();
    BackEnd().CloseWebConnections(true);
    EXPECT_EQ(PlaceOrder(), OrderOutcome::Failed);
    EXPECT_EQ(Messages(), std::vector<QString>{Text("通知|系统错误")});
    EXPECT_TRUE(WaitFor([&] { return pane->text().contains(Text("交易服务器无法连接")); }))
        << pane->text().toStdString();
    const int ordersBefore = BackEnd().Requests("weituo");
    BackEnd().CloseWebConnections(false);
    EXPECT_TRUE(WaitFor([&] { return !pane->text().contains(Text("交易服务器无法连接")); }, 10000))
        << pane->text().toStdString();
    EXPECT_EQ(BackEnd().Requests("weituo"), ordersBefore) << "only tables are read again";
}

TEST_F(TradingTest, MissingInputsAreAskedFor) {
    EXPECT_EQ(PlaceOrder(), OrderOutcome::NotSent);
    SelectRb();
    Type(entry->LotsEdit(), QString());
    EXPECT_EQ(PlaceOrder(), OrderOutcome::NotSent);
    GivePrice(QString());
    Type(entry->LotsEdit(), QStringLiteral("1"));
    EXPECT_EQ(PlaceOrder(), OrderOutcome::NotSent);
    EXPECT_EQ(Messages(), (std::vector<QString>{Text("通知|请输入合约"), Text("通知|请输入手数"),
                                                Text("通知|请输入价格")}));
}

TEST_F(TradingTest, TheKeyboardPlacesAnOrderOnlyWithThePointerOverTheButton) {
    SelectRb();
    QSignalSpy finished(entry, &CTradeDlg1::orderFinished);
    QCursor::setPos(frame->mapToGlobal(QPoint(5, 5)));
    QTest::keyClick(entry->OrderButton(), Qt::Key_Return);
    QTest::keyClick(entry->OrderButton(), Qt::Key_Space);
    ASSERT_TRUE(Settle());
    EXPECT_EQ(finished.count(), 0);
    // Enter and Escape in a field do nothing either.
    QTest::keyClick(entry->PriceEdit(), Qt::Key_Return);
    QTest::keyClick(entry->PriceEdit(), Qt::Key_Escape);
    ASSERT_TRUE(Settle());
    EXPECT_EQ(finished.count(), 0);

    QCursor::setPos(entry->OrderButton()->mapToGlobal(entry->OrderButton()->rect().center()));
    ASSERT_EQ(QCursor::pos(),
              entry->OrderButton()->mapToGlobal(entry->OrderButton()->rect().center()));
    QTest::keyClick(entry->OrderButton(), Qt::Key_Return);
    ASSERT_TRUE(finished.wait(5000));
    EXPECT_EQ(static_cast<OrderOutcome>(finished.at(0).at(0).toInt()), OrderOutcome::Accepted);
}

TEST_F(TradingTest, ADoubleClickOnTheBoardBuysOneLotAtTheAsk) {
    QSignalSpy finished(entry, &CTradeDlg1::orderFinished);
    DoubleClickRow(*board->List(), 0);
    ASSERT_TRUE(finished.wait(5000));
    EXPECT_EQ(static_cast<OrderOutcome>(finished.at(0).at(0).toInt()), OrderOutcome::Accepted);
    ASSERT_TRUE(WaitFor([&] { return trades->List()->GetItemCount() == 1; }));
    EXPECT_EQ(trades->List()->GetItemText(0, TradeCol::Price), "3216");
    EXPECT_EQ(trades->List()->GetItemText(0, TradeCol::OpenClose), Ansi("开仓"));
}

TEST_F(TradingTest, TheContractBoxTakesATypedCodeAndTheBoardShowsItsRow) {
    QComboBox* box = entry->ContractBox();
    EXPECT_GE(box->count(), 30);
    EXPECT_EQ(box->itemText(0), QStringLiteral("a2705")) << "sorted regardless of case";
    const int rows = board->List()->GetItemCount();
    QTest::keyClicks(box->lineEdit(), QStringLiteral("zn270"));
    EXPECT_EQ(entry->CurrentContract(), "") << "not a whole code yet";
    QTest::keyClicks(box->lineEdit(), QStringLiteral("2"));
    EXPECT_EQ(entry->CurrentContract(), "zn2702");
    ASSERT_EQ(board->List()->GetItemCount(), rows + 1);
    EXPECT_EQ(board->List()->GetItemText(rows, QuoteCol::Code), "zn2702");
    EXPECT_EQ(board->List()->GetItemText(rows, QuoteCol::Name), Ansi("沪锌2702"));
    EXPECT_TRUE(quotes.JoinedCodes().find("zn2702") != std::string::npos);
    ASSERT_TRUE(WaitFor([&] { return !entry->AskPrice()->text().isEmpty(); }));
    EXPECT_EQ(entry->PriceEdit()->text(), entry->AskPrice()->text());

    // Another contract takes its place: the extra row and its subscription go.
    SelectRb();
    EXPECT_EQ(board->List()->GetItemCount(), rows);
    EXPECT_TRUE(quotes.JoinedCodes().find("zn2702") == std::string::npos);
    EXPECT_TRUE(quotes.JoinedCodes().find("rb2705") != std::string::npos) << "a custom one stays";
}

TEST_F(TradingTest, SpinnersStepLotsAndPrice) {
    SelectRb();
    QToolButton* lotsDown = entry->LotsSpinner()->DownButton();
    QTest::mouseClick(lotsDown, Qt::LeftButton);
    EXPECT_EQ(entry->LotsEdit()->text(), QStringLiteral("1"));
    QTest::mouseClick(entry->LotsSpinner()->UpButton(), Qt::LeftButton);
    QTest::mouseClick(entry->LotsSpinner()->UpButton(), Qt::LeftButton);
    EXPECT_EQ(entry->LotsEdit()->text(), QStringLiteral("3"));
    QTest::mouseClick(lotsDown, Qt::LeftButton);
    EXPECT_EQ(entry->LotsEdit()->text(), QStringLiteral("2"));

    GivePrice(QStringLiteral("3200"));
    QTest::mouseClick(entry->PriceSpinner()->UpButton(), Qt::LeftButton);
    EXPECT_EQ(entry->PriceEdit()->text(), QStringLiteral("3201"));
    QTest::mouseClick(entry->PriceSpinner()->DownButton(), Qt::LeftButton);
    QTest::mouseClick(entry->PriceSpinner()->DownButton(), Qt::LeftButton);
    EXPECT_EQ(entry->PriceEdit()->text(), QStringLiteral("3199"));
}

TEST_F(TradingTest, QuickReverseTurnsALongIntoAShortOfTheSameLots) {
    auto* positions = new PositionsStandIn;
    frame->LcView()->SetPanel(0, positions);
    ASSERT_EQ(frame->Positions(), positions);
    SelectRb();
    Type(entry->LotsEdit(), QStringLiteral("2"));
    ASSERT_EQ(PlaceOrder(), OrderOutcome::Accepted);
    const std::vector<LivePosition>& rows = frame->Trading().Positions();
    ASSERT_TRUE(WaitFor([&] { return rows.size() == 1 && rows[0].closableLots == "2"; }));

    // The lots hint reads the positions: selling closes the long's 2 lots.
    QTest::mouseClick(entry->SellLabel(), Qt::LeftButton);
    QTest::mouseClick(entry->CloseLabel(), Qt::LeftButton);
    EXPECT_EQ(entry->LotsHint()->text(), QStringLiteral("2手"));

    // Lots that do not match the position: refused with a message, nothing sent.
    QTest::mouseClick(entry->ConfirmBox(), Qt::LeftButton);
    Type(entry->LotsEdit(), QStringLiteral("1"));
    entry->ReverseButton()->click();
    EXPECT_EQ(Messages(), std::vector<QString>{Text("通知|交易失败，反手数量有误")});
    EXPECT_TRUE(entry->ConfirmBox()->isChecked()) << "the confirmation setting is kept";
    // Without a selected position nothing happens at all.
    positions->selected = false;
    entry->ReverseButton()->click();
    EXPECT_EQ(Messages().size(), 1u);
    positions->selected = true;

    Type(entry->LotsEdit(), QStringLiteral("2"));
    QSignalSpy finished(entry, &CTradeDlg1::orderFinished);
    const auto started = std::chrono::steady_clock::now();
    entry->ReverseButton()->click();
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(300));
    ASSERT_TRUE(WaitFor([&] { return finished.count() == 2; }));
    EXPECT_EQ(Messages().size(), 1u) << "neither order asked for confirmation";
    EXPECT_TRUE(entry->ConfirmBox()->isChecked());
    EXPECT_EQ(entry->LotsEdit()->text(), QString());
    ASSERT_TRUE(WaitFor([&] {
        return rows.size() == 1 && rows[0].direction == Ansi("卖") && rows[0].totalLots == "2";
    }));
    ASSERT_TRUE(WaitFor([&] { return trades->List()->GetItemCount() == 3; }));
    // Today's lots of a 上期所 contract are closed by 平今.
    EXPECT_EQ(trades->List()->GetItemText(1, TradeCol::OpenClose), Ansi("平今"));
    EXPECT_EQ(trades->List()->GetItemText(2, TradeCol::OpenClose), Ansi("开仓"));

    // The hidden "止盈止损" hands over to the positions panel.
    entry->StopRuleButton()->click();
    EXPECT_EQ(positions->stopRuleEditors, 1);
}

// A close prepared from a position's row belongs to that contract: the next contract picked
// starts as 买入 / 开仓, as a pick from the board does. A choice the trader clicked stays.
TEST_F(TradingTest, AClosePreparedForOneContractIsNotCarriedToTheNext) {
    auto* positions = qobject_cast<CLcSubDlg1*>(frame->LcView()->Panel(0));
    ASSERT_TRUE(positions);
    ASSERT_GE(board->List()->GetItemCount(), 2);
    SelectRb();
    ASSERT_EQ(PlaceOrder(), OrderOutcome::Accepted);
    CListCtrlCl& list = *positions->List();
    ASSERT_TRUE(WaitFor([&] { return list.GetItemCount() == 1; }));
    ClickRow(list, 0);
    ASSERT_TRUE(entry->SellRadio()->isChecked());
    ASSERT_TRUE(entry->CloseRadio()->isChecked());

    ClickRow(*board->List(), 1);
    EXPECT_NE(entry->ContractBox()->currentText(), QStringLiteral("rb2705"));
    EXPECT_TRUE(entry->BuyRadio()->isChecked());
    EXPECT_TRUE(entry->OpenRadio()->isChecked());

    QTest::mouseClick(entry->SellRadio(), Qt::LeftButton);
    QTest::mouseClick(entry->CloseRadio(), Qt::LeftButton);
    ClickRow(*board->List(), 0);
    EXPECT_EQ(entry->ContractBox()->currentText(), QStringLiteral("rb2705"));
    EXPECT_TRUE(entry->SellRadio()->isChecked()) << "the trader's own choice stays";
    EXPECT_TRUE(entry->CloseRadio()->isChecked());
}

// The quick reverse against the real positions panel: click the long's row, which prepares its
// close in the order-entry panel, and reverse it.
TEST_F(TradingTest, QuickReverseAgainstThePositionsPanel) {
    auto* positions = qobject_cast<CLcSubDlg1*>(frame->LcView()->Panel(0));
    ASSERT_TRUE(positions);
    SelectRb();
    Type(entry->LotsEdit(), QStringLiteral("2"));
    ASSERT_EQ(PlaceOrder(), OrderOutcome::Accepted);
    CListCtrlCl& list = *positions->List();
    ASSERT_TRUE(WaitFor([&] { return list.GetItemCount() == 1; }));
    EXPECT_EQ(list.GetItemText(0, PositionCol::Direction), Ansi("买"));

    ClickRow(list, 0);
    ASSERT_TRUE(positions->HasSelectedRow());
    EXPECT_EQ(entry->LotsEdit()->text(), QStringLiteral("2")) << "the click prepared the close";
    QSignalSpy finished(entry, &CTradeDlg1::orderFinished);
    entry->ReverseButton()->click();  // hidden button, reached from code only
    ASSERT_TRUE(WaitFor([&] { return finished.count() == 2; }, 8000));
    const bool reversed = WaitFor(
        [&] {
            return list.GetItemCount() == 1 &&
                   std::string(Trim(list.GetItemText(0, PositionCol::Direction))) == Ansi("卖") &&
                   list.GetItemText(0, PositionCol::TotalVolume) == "2";
        },
        10000);
    std::string shown;
    for (int r = 0; r < list.GetItemCount(); ++r) {
        shown += list.GetItemText(r, PositionCol::Direction) + "/" +
                 list.GetItemText(r, PositionCol::TotalVolume) + " ";
    }
    for (const QString& m : Messages()) {
        shown += m.toStdString() + "; ";
    }
    ASSERT_TRUE(reversed) << shown << " outcomes " << finished.at(0).at(0).toInt() << ","
                          << finished.at(1).at(0).toInt();
    EXPECT_TRUE(Messages().empty());
}

TEST_F(TradingTest, ARefusedCloseEndsTheQuickReverse) {
    auto* positions = new PositionsStandIn;
    frame->LcView()->SetPanel(0, positions);
    SelectRb();
    Type(entry->LotsEdit(), QStringLiteral("2"));
    ASSERT_EQ(PlaceOrder(), OrderOutcome::Accepted);
    ASSERT_TRUE(WaitFor([&] { return frame->Trading().Positions().size() == 1; }));
    QTest::mouseClick(entry->SellLabel(), Qt::LeftButton);
    QTest::mouseClick(entry->CloseLabel(), Qt::LeftButton);
    Type(entry->LotsEdit(), QStringLiteral("2"));
    BackEnd().RejectNextOrder("交易所休市");
    QSignalSpy finished(entry, &CTradeDlg1::orderFinished);
    entry->ReverseButton()->click();
    ASSERT_TRUE(finished.wait(5000));
    // Whatever was to follow the close has had its turn.
    ASSERT_TRUE(WaitFor([&] { return !entry->ReversePending(); }));
    ASSERT_TRUE(SettleAside());
    EXPECT_EQ(finished.count(), 1) << "no opening order after a refused close";
    EXPECT_EQ(Messages(), std::vector<QString>{Text("通知|交易所休市")});
    EXPECT_FALSE(entry->ConfirmBox()->isChecked()) << "restored as it was";
}

TEST_F(TradingTest, OrdersViewShowsOnePanelAtATime) {
    QTabWidget* tabs = frame->OrderView()->Tabs();
    EXPECT_EQ(tabs->tabText(0), QStringLiteral("未成交单(F2)"));
    EXPECT_EQ(tabs->tabText(1), QStringLiteral("所有委托单(F5)"));
    EXPECT_EQ(frame->TradeView()->Tabs()->tabText(0), QStringLiteral("标准下单板(小键盘+)"));
    EXPECT_EQ(frame->DetailView()->Tabs()->tabText(0), QStringLiteral("成交记录(F4)"));
    for (int round = 0; round < 2; ++round) {
        tabs->setCurrentIndex(1);
        EXPECT_TRUE(all->isVisible());
        EXPECT_FALSE(working->isVisible());
        tabs->setCurrentIndex(0);
        EXPECT_TRUE(working->isVisible());
        EXPECT_FALSE(all->isVisible());
    }
    EXPECT_EQ(working->List()->model()->headerData(5, Qt::Horizontal).toString(),
              QStringLiteral("未成交手数"));
    EXPECT_EQ(working->List()->columnWidth(7), 130);
    EXPECT_EQ(all->List()->CellAlignment(5), Qt::AlignRight);
    EXPECT_EQ(trades->List()->CellAlignment(4), Qt::AlignHCenter);
    EXPECT_TRUE(all->FilterButton(OrderFilter::All)->isChecked());
}

// An order the back-end no longer holds as working while the list still shows it.
TEST_F(TradingTest, ARefusedCancellationSaysWhy) {
    ClickCancelOfAnOrderCancelledBehindTheList();
    ASSERT_TRUE(WaitFor([&] { return Messages().size() == 2; }));
    EXPECT_EQ(Messages()[1], Text("通知|撤单失败，该委托不可撤销"));
}

TEST_F(TradingTest, TheCancelButtonsRefusalIsShownWhileItsTabIsHidden) {
    ClickCancelOfAnOrderCancelledBehindTheList();
    EXPECT_TRUE(working->Canceller().OneOut());
    frame->OrderView()->Tabs()->setCurrentIndex(1);
    ASSERT_TRUE(WaitFor([&] { return !working->Canceller().OneOut(); }));
    ASSERT_TRUE(WaitFor([&] { return Messages().size() == 2; }));
    EXPECT_EQ(Messages()[1], Text("通知|撤单失败，该委托不可撤销"));
}

// An order the back-end carries out while the terminal has given up waiting for its answer.
TEST_F(TradingTest, AnOrderTimingOutIsSaidUnknownAndShowsUpByItself) {
    ft::testing::ShortStallTimeout shortStall;
    SelectRb();
    BackEnd().StallWeb(4000);
    EXPECT_EQ(PlaceOrder(), OrderOutcome::Unknown);
    EXPECT_EQ(Messages(), std::vector<QString>{Text(
                              "通知|委托结果未知（交易服务器未应答），请核对委托列表；连接恢复后"
                              "将自动刷新")});
    EXPECT_TRUE(entry->Reconciling());
    // A trader unsure of the first order is not let send it again meanwhile.
    QSignalSpy finished(entry, &CTradeDlg1::orderFinished);
    QTest::mouseClick(entry->OrderButton(), Qt::LeftButton);
    EXPECT_EQ(Messages().back(), Text("通知|上一笔委托结果未知，正在核对委托列表，请稍候"));
    EXPECT_EQ(finished.count(), 0);

    BackEnd().StallWeb(0);
    ASSERT_TRUE(WaitFor([&] { return !entry->Reconciling(); }, 15000));
    EXPECT_TRUE(
        Messages().back().startsWith(Text("通知|委托结果已核对：这笔委托已被受理，委托号 ")))
        << Messages().back().toStdString();
    // The order shows without any other order forcing a reload.
    EXPECT_TRUE(WaitFor([&] { return all->List()->GetItemCount() == 1; }));
    EXPECT_EQ(all->List()->GetItemText(0, AllOrderCol::Code), "rb2705");
}

TEST_F(TradingTest, CancellationsLostInTransportOrStillOutAreSaid) {
    ft::testing::ShortStallTimeout shortStall;
    SelectRb();
    GivePrice(QStringLiteral("3100"));
    ASSERT_EQ(PlaceOrder(), OrderOutcome::Accepted);
    CListCtrlCl& list = *working->List();
    ASSERT_TRUE(WaitFor([&] { return list.GetItemCount() == 1; }));
    const QString orderNo = ToQt(list.GetItemText(0, 0));
    ClickRow(list, 0);
    const QString question = Text("撤单|撤单:") + orderNo + Text("  rb2705  1手");

    // Refused before it left: said, nothing cancelled.
    BackEnd().CloseWebConnections(true);
    QTest::mouseClick(working->CancelButton(), Qt::LeftButton);
    ASSERT_TRUE(WaitFor([&] { return Messages().size() == 2; }));
    EXPECT_EQ(Messages(),
              (std::vector<QString>{question, Text("通知|撤单失败，无法连接交易服务器")}));
    BackEnd().CloseWebConnections(false);

    // Sent, no answer: unknown; a second cancellation meanwhile is refused with a word.
    BackEnd().StallWeb(4000);
    QTest::mouseClick(working->CancelButton(), Qt::LeftButton);
    ASSERT_TRUE(working->Canceller().OneOut());
    QTest::mouseClick(working->CancelAllButton(), Qt::LeftButton);
    EXPECT_EQ(Messages().back(), Text("通知|上一笔撤单尚未返回结果，请稍候再撤"));
    ASSERT_TRUE(WaitFor([&] { return Messages().size() == 5; }));
    EXPECT_EQ(Messages()[4],
              Text("通知|撤单结果未知（交易服务器未应答），请核对委托列表；连接恢复后将自动刷新"));
    // Once the back-end answers again the order is looked up and its state said.
    BackEnd().StallWeb(0);
    ASSERT_TRUE(WaitFor([&] { return Messages().size() == 6; }, 15000));
    EXPECT_EQ(Messages()[5], Text("通知|撤单结果已核对：委托 ") + orderNo + Text(" 现为已撤"));
    EXPECT_TRUE(WaitFor([&] { return list.GetItemCount() == 0; }));
}

// The main window after a few orders: some filled, some resting, one cancelled. With
// FT_SCREENSHOT_DIR set it is saved there with the order-entry panel on its own.
TEST_F(TradingTest, TheMainWindowShowsOrdersAndFills) {
    frame->showNormal();
    frame->resize(1280, 800);
    SelectRb();
    Type(entry->LotsEdit(), QStringLiteral("2"));
    ASSERT_EQ(PlaceOrder(), OrderOutcome::Accepted);
    GivePrice(QStringLiteral("3190"));
    ASSERT_EQ(PlaceOrder(), OrderOutcome::Accepted);
    ClickRow(*board->List(), 2);
    QTest::mouseClick(entry->SellLabel(), Qt::LeftButton);
    ASSERT_EQ(PlaceOrder(), OrderOutcome::Accepted);
    GivePrice(QStringLiteral("79500"));
    Type(entry->LotsEdit(), QStringLiteral("3"));
    ASSERT_EQ(PlaceOrder(), OrderOutcome::Accepted);
    ClickRow(*board->List(), 0);
    QTest::mouseClick(entry->BuyLabel(), Qt::LeftButton);
    GivePrice(QStringLiteral("3150"));
    ASSERT_EQ(PlaceOrder(), OrderOutcome::Accepted);
    ASSERT_TRUE(WaitFor([&] { return working->List()->GetItemCount() == 3; }))
        << working->List()->GetItemCount() << " " << all->List()->GetItemCount() << " "
        << (Messages().empty() ? QString() : Messages().back()).toStdString();
    ClickRow(*working->List(), 2);
    QTest::mouseClick(working->CancelButton(), Qt::LeftButton);
    ASSERT_TRUE(WaitFor([&] { return working->List()->GetItemCount() == 2; }));
    ASSERT_TRUE(WaitFor([&] { return trades->List()->GetItemCount() == 2; }));
    ASSERT_TRUE(WaitFor([&] { return all->List()->GetItemCount() == 5; }));
    // The lots hint once the funds bar shows the available funds.
    ASSERT_TRUE(WaitFor([&] { return frame->TopView()->FundsValue(7)->text() != "--"; }));
    QTest::mouseClick(entry->BuyLabel(), Qt::LeftButton);
    EXPECT_NE(entry->LotsHint()->text(), QStringLiteral("0手"));
    GivePrice(QStringLiteral("3205"));
    // The picture once the work aside is in and the panel has shown a quote tick since.
    ASSERT_TRUE(SettleAside());
    const int ticks = entry->QuoteTicks();
    ASSERT_TRUE(WaitFor([&] { return entry->QuoteTicks() > ticks; }));

    const QPixmap window = frame->grab();
    const QPixmap panel = entry->grab();
    EXPECT_FALSE(window.isNull());
    EXPECT_EQ(panel.size(), entry->size());
    if (const char* where = std::getenv("FT_SCREENSHOT_DIR")) {
        EXPECT_TRUE(window.save(QString::fromLocal8Bit(where) + "/main-window-trading.png"));
        // The panel alone at the size of its controls.
        EXPECT_TRUE(entry->grab(QRect(0, 0, 300, 210))
                        .save(QString::fromLocal8Bit(where) + "/order-entry-panel.png"));
        frame->OrderView()->Tabs()->setCurrentIndex(1);
        QCoreApplication::sendPostedEvents();  // the shown tab's layout
        EXPECT_TRUE(frame->grab().save(QString::fromLocal8Bit(where) + "/all-orders.png"));
    }
}

// The order lists alone, over tables the test publishes, against a recording web server.
class OrderPanelsTest : public ft::testing::UiFixture {
protected:
    void SetUp() override {
        UiFixture::SetUp();
        for (int mode = 0; mode < kServerModeCount; ++mode) {
            server.Serve(session, static_cast<ServerMode>(mode));
        }
        server.Answer("0,ok");
        LogInSession();
    }
    static OrderRecord Order(const std::string& no, int volume, int unfilled, const char* status) {
        OrderRecord o{};
        CopyField(o.orderNo, 32, no);
        CopyField(o.contractCode, 16, "rb2705");
        CopyField(o.direction, 8, Ansi("买"));
        CopyField(o.openClose, 8, Ansi("开仓"));
        CopyField(o.volume, 8, std::to_string(volume));
        CopyField(o.unfilledVolume, 8, std::to_string(unfilled));
        CopyField(o.price, 16, "3100.000");
        CopyField(o.orderTime, 32, "2026-12-07 09:30:00");
        CopyField(o.status, 16, Ansi(status));
        CopyField(o.filledVolume, 8, std::to_string(volume - unfilled));
        return o;
    }
    void Publish(std::vector<OrderRecord> rows) {
        auto table = std::make_shared<OrderTable>();
        for (std::size_t i = 0; i < rows.size(); ++i) {
            table->rows[i] = rows[i];
        }
        session.orders.Publish(table);
    }
    int Requests(const char* action) {
        loader.WaitIdle();
        int n = 0;
        for (const auto& r : server.Requests()) {
            n += r.path.find(std::string("a=") + action) != std::string::npos;
        }
        return n;
    }
    PaneContext Context() { return {session, loader, quotes, nullptr}; }

    ft::testing::HttpTestServer server;
};

TEST_F(OrderPanelsTest, APartlyFilledOrderIsUpdatedInPlaceWithoutReloadingTheFunds) {
    Publish({Order("1", 3, 2, "部分成交"), Order("2", 1, 0, "全部成交")});
    COrderSubDlg1 panel(Context());
    panel.resize(700, 300);
    panel.show();
    ASSERT_EQ(panel.List()->GetItemCount(), 1);
    EXPECT_EQ(Requests("getusermoneyinfo"), 1) << "the first fill found a row";
    panel.List()->SelectRow(0);

    EXPECT_EQ(panel.Tick(), 0);
    Publish({Order("1", 3, 2, "部分成交"), Order("2", 1, 0, "全部成交")});  // a reload, same data
    EXPECT_EQ(panel.Tick(), 0);
    Publish({Order("1", 3, 1, "部分成交"), Order("2", 1, 0, "全部成交")});
    EXPECT_EQ(panel.Tick(), 1);
    EXPECT_EQ(panel.List()->GetItemText(0, WorkingOrderCol::Unfilled), "1");
    EXPECT_EQ(panel.List()->GetFirstSelectedRow(), 0) << "not rebuilt";
    EXPECT_EQ(Requests("getusermoneyinfo"), 1);

    // Filled at last: the row goes and the funds reload once.
    Publish({Order("1", 3, 0, "全部成交"), Order("2", 1, 0, "全部成交")});
    panel.Tick();
    EXPECT_EQ(panel.List()->GetItemCount(), 0);
    EXPECT_EQ(Requests("getusermoneyinfo"), 2);

    // "全撤" with nothing listed reloads the funds and asks and sends nothing.
    QTest::mouseClick(panel.CancelAllButton(), Qt::LeftButton);
    EXPECT_EQ(Requests("getusermoneyinfo"), 3);
    EXPECT_EQ(Requests("cancelallweituo"), 0);
    EXPECT_TRUE(effects.Messages().empty());
    // Double-clicking where there is no row does nothing.
    QTest::mouseDClick(panel.List()->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(20, 100));
    EXPECT_TRUE(effects.Messages().empty());
}

TEST_F(OrderPanelsTest, AStatusChangeIsWrittenInPlaceUnderAllOrders) {
    Publish({Order("1", 2, 2, "未成交"), Order("2", 1, 1, "未成交")});
    COrderSubDlg2 panel(Context());
    panel.resize(800, 300);
    panel.show();
    ASSERT_EQ(panel.List()->GetItemCount(), 2);
    panel.List()->SelectRow(1);
    Publish({Order("1", 2, 2, "未成交"), Order("2", 1, 0, "已撤")});
    EXPECT_EQ(panel.Tick(), 3) << "status, unfilled and filled lots";
    EXPECT_EQ(panel.List()->GetItemText(1, AllOrderCol::Status), Ansi("已撤"));
    EXPECT_EQ(panel.List()->CellTextColour(1, AllOrderCol::Status), QColor(122, 126, 0));
    EXPECT_EQ(panel.List()->GetFirstSelectedRow(), 1) << "not rebuilt";

    // Under "挂单" the cancelled order leaves the list; a partly filled one never shows.
    Publish({Order("1", 2, 2, "未成交"), Order("2", 1, 0, "已撤"), Order("3", 3, 1, "部分成交")});
    QTest::mouseClick(panel.FilterButton(OrderFilter::Working), Qt::LeftButton);
    ASSERT_EQ(panel.List()->GetItemCount(), 1);
    EXPECT_EQ(panel.List()->GetItemText(0, AllOrderCol::OrderNo), "1");
    // The cancellation asks with the unfilled lots and sends the order's number.
    panel.List()->SelectRow(0);
    QTest::mouseClick(panel.CancelButton(), Qt::LeftButton);
    EXPECT_EQ(effects.Messages(),
              std::vector<QString>{QString::fromUtf8("撤单|撤单:1  rb2705  2手")});
    ASSERT_TRUE(WaitFor([&] { return Requests("cancelweituo") == 1; }));
    for (const auto& request : server.Requests()) {
        if (request.path.find("a=cancelweituo") != std::string::npos) {
            EXPECT_EQ(request.body.substr(0, 5), "id=1&");
        }
    }
    // Accepted: the tables reload.
    EXPECT_TRUE(WaitFor([&] { return Requests("weituodetail") == 1; }));
}

TEST_F(OrderPanelsTest, CancelAllAnswersAndErrorStatusesAreShown) {
    Publish({Order("1", 2, 2, "未成交")});
    COrderSubDlg1 panel(Context());
    panel.resize(700, 300);
    panel.show();
    ASSERT_EQ(panel.List()->GetItemCount(), 1);
    server.Answer("1,非交易时间");
    QTest::mouseClick(panel.CancelAllButton(), Qt::LeftButton);
    ASSERT_TRUE(WaitFor([&] { return effects.Messages().size() == 2; }));
    EXPECT_EQ(effects.Messages()[1], QString::fromUtf8("通知|撤单失败，非交易时间"));

    server.SetStatus(502);
    panel.List()->SelectRow(0);
    QTest::mouseClick(panel.CancelButton(), Qt::LeftButton);
    ASSERT_TRUE(WaitFor([&] { return effects.Messages().size() == 4; }));
    EXPECT_EQ(effects.Messages()[3],
              QString::fromUtf8("通知|撤单失败（HTTP 502），请核对委托列表"));
}

TEST_F(OrderPanelsTest, TradeRecordsFollowTheNumberOfFills) {
    auto trades = std::make_shared<TradeTable>();
    auto fill = [](const char* no, const char* direction) {
        TradeRecord t{};
        CopyField(t.tradeNo, 16, no);
        CopyField(t.contractCode, 16, "rb2705");
        CopyField(t.direction, 8, Ansi(direction));
        CopyField(t.price, 16, "3216.000");
        return t;
    };
    CTDetailSubDlg1 panel(Context());
    EXPECT_EQ(panel.List()->GetItemCount(), 0);
    EXPECT_FALSE(panel.Tick()) << "an empty table: nothing to do";
    trades->rows[0] = fill("1", "买");
    session.trades.Publish(trades);
    EXPECT_TRUE(panel.Tick());
    EXPECT_EQ(panel.List()->GetItemCount(), 1);
    // The same number of fills with other contents leaves the list as it is.
    auto replaced = std::make_shared<TradeTable>();
    replaced->rows[0] = fill("9", "卖");
    session.trades.Publish(replaced);
    EXPECT_FALSE(panel.Tick());
    EXPECT_EQ(panel.List()->GetItemText(0, TradeCol::TradeNo), "1");
    replaced->rows[1] = fill("10", "卖");
    EXPECT_TRUE(panel.Tick());
    EXPECT_EQ(panel.List()->GetItemText(0, TradeCol::TradeNo), "9");
    EXPECT_EQ(panel.List()->GetItemText(1, TradeCol::Direction), "  " + Ansi("卖"));

    // A new fill is appended: the rows above stay (with the trader's selection), and only the
    // new row is written.
    panel.List()->SelectRow(0);
    QSignalSpy inserted(panel.List()->model(), &QAbstractItemModel::rowsInserted);
    QSignalSpy reset(panel.List()->model(), &QAbstractItemModel::modelReset);
    QSignalSpy changed(panel.List()->model(), &QAbstractItemModel::dataChanged);
    auto more = std::make_shared<TradeTable>(*replaced);
    more->rows[2] = fill("11", "买");
    session.trades.Publish(more);
    EXPECT_TRUE(panel.Tick());
    ASSERT_EQ(panel.List()->GetItemCount(), 3);
    EXPECT_EQ(panel.List()->GetItemText(2, TradeCol::TradeNo), "11");
    EXPECT_EQ(panel.List()->CellTextColour(2, TradeCol::Code), QColor(111, 94, 16));
    EXPECT_EQ(inserted.count(), 1);
    EXPECT_EQ(reset.count(), 0);
    EXPECT_EQ(changed.count(), 1) << "one row written";
    EXPECT_EQ(panel.List()->GetFirstSelectedRow(), 0);

    // Fewer fills (a new trading day): the rows past the last go, the rest are compared.
    auto day = std::make_shared<TradeTable>();
    day->rows[0] = fill("1", "买");
    session.trades.Publish(day);
    EXPECT_TRUE(panel.Tick());
    ASSERT_EQ(panel.List()->GetItemCount(), 1);
    EXPECT_EQ(panel.List()->GetItemText(0, TradeCol::TradeNo), "1");
    EXPECT_EQ(panel.List()->GetItemText(0, TradeCol::Direction), Ansi("买"));
}

}  // namespace
}  // namespace ft::ui
