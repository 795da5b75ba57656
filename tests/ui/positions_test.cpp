// The positions panel and the stop-loss / take-profit settings against the reference back-end
// started in the test, and standing alone over a session the test fills.
#include <gtest/gtest.h>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSplitter>
#include <QTabWidget>
#include <QTest>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "core/text.h"
#include "net/request_client.h"
#include "platform/system.h"
#include "positions/stop_rule_file.h"
#include "support/ui_fixture.h"
#include "ui/common/text_boundary.h"
#include "ui/common/trading_stepper.h"
#include "ui/controls/editable_list.h"
#include "ui/controls/gradient_button.h"
#include "ui/controls/retry_timer.h"
#include "ui/controls/text_controls.h"
#include "ui/market/top_view.h"
#include "ui/positions/positions_pane.h"
#include "ui/positions/positions_panel.h"
#include "ui/positions/stop_rule_dialog.h"
#include "ui/trading/order_entry_pane.h"
#include "ui/trading/order_entry_panel.h"

namespace ft::ui {
namespace {

// Stands in for the order-entry panel: records what the positions panel asks of it.
class StandInOrderEntry : public TabPanel, public OrderEntryTarget {
public:
    void SelectContract(const std::string& code, const std::string& name, int force) override {
        calls.push_back("SelectContract " + code + "|" + name + "|" + std::to_string(force));
    }
    void ChooseBuy() override { calls.push_back("ChooseBuy"); }
    void ChooseSell() override { calls.push_back("ChooseSell"); }
    void ChooseOpen() override { calls.push_back("ChooseOpen"); }
    void ChooseCloseToday() override { calls.push_back("ChooseCloseToday"); }
    void ChooseClose() override { calls.push_back("ChooseClose"); }
    void SetLots(const std::string& lots) override { calls.push_back("SetLots " + lots); }
    bool HasPrice() const override {
        ++priceChecks;
        return hasPrice;
    }
    void SubmitOrder(SubmitFrom from) override {
        calls.push_back(from == SubmitFrom::Code ? "SubmitOrder Code" : "SubmitOrder Button");
    }
    std::vector<std::string> calls;
    bool hasPrice = true;
    mutable int priceChecks = 0;
};

std::string ReadLog(const std::filesystem::path& dir) {
    const std::tm t = platform::LocalNow();
    std::ifstream in(dir / Format("log%04d%02d%02d.txt", t.tm_year + 1900, t.tm_mon + 1, t.tm_mday),
                     std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

int Occurrences(const std::string& text, const std::string& part) {
    int n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

QPoint CellCentre(const CListCtrlCl& list, int row, int column) {
    return list.visualRect(list.model()->index(row, column)).center();
}

class PositionsTest : public ft::testing::UiFixture {
protected:
    void SetUp() override {
        UiFixture::SetUp();
        fsim::SimOptions options = BackEndOptions();
        options.seedPosition = seedPosition;
        StartBackEnd(options);
        BackEnd().SetRandomWalk(false);
        BackEnd().SetQuote("rb2705", 3200, 3199, 3201);
        BackEnd().SetQuote("cu2702", 78650, 78640, 78660);
        OpenDemoFrame();
        panel = frame->LcView()->PositionsPanel();
        ASSERT_TRUE(panel);
        list = panel->List();
        // The first quote answer is in.
        ASSERT_TRUE(WaitFor([this] { return !quotes.FindQuote("cu2702").empty(); }));
    }

    // Lets the trading stepper run `steps` more rounds and the orders they sent aside come
    // back: a rule that was to fire has fired and been answered by then.
    bool StepsRun(int steps = 2) {
        QSignalSpy stepped(frame->Stepper(), &TradingStepper::stepped);
        return WaitFor([&] { return stepped.count() >= steps; }) && SettleAside();
    }

    // Opens a position at the back-end (as a filled order would) and reloads the tables.
    void OpenPosition(const std::string& code, int updown, int lots, int price) {
        BackEnd().FillNextOrder();
        std::string answer;
        ASSERT_TRUE(PostForm(session, "index.php?m=client&a=weituo",
                             "user_name=demo&code=" + code + "&type=1&updown=" +
                                 std::to_string(updown) + "&num=" + std::to_string(lots) +
                                 "&price=" + std::to_string(price) + "&pricetype=2&src=tradedlg1",
                             answer));
        ASSERT_EQ(answer.substr(0, 2), "0,") << answer;
        const int before = list->GetItemCount();
        loader.ReloadTables(0);
        ASSERT_TRUE(WaitFor([&] { return list->GetItemCount() > before; }));
    }

    StandInOrderEntry* InstallStandIn() {
        auto* standIn = new StandInOrderEntry;
        frame->TradeView()->SetPanel(0, standIn);
        return standIn;
    }

    // Opens the settings of row `row` through its right-click menu.
    CLostProfitDlg* OpenSettings(int row) {
        ClickRow(*list, row, 0, Qt::RightButton);
        QMenu* menu = panel->ContextMenu();
        if (!WaitFor([&] { return menu->isVisible(); }, 2000)) {
            return nullptr;
        }
        QAction* action = menu->actions().value(0);
        EXPECT_EQ(action->text(), QStringLiteral("设置止损止盈"));
        QTest::mouseClick(menu, Qt::LeftButton, Qt::NoModifier,
                          menu->actionGeometry(action).center());
        WaitFor([&] { return panel->StopRuleDialog() && panel->StopRuleDialog()->isVisible(); },
                2000);
        return panel->StopRuleDialog();
    }

    // Types `text` into a cell of the rule grid, ending the edit with `endKey`.
    static void TypeInto(CListCtrlEx& grid, int row, int column, const QString& text,
                         Qt::Key endKey = Qt::Key_Return) {
        grid.scrollTo(grid.model()->index(row, column));
        QTest::mouseClick(grid.viewport(), Qt::LeftButton, Qt::NoModifier,
                          CellCentre(grid, row, column));
        CInPlaceEdit* editor = grid.Editor();
        ASSERT_TRUE(editor) << row << "," << column;
        QTest::keyClicks(editor, text);
        QTest::keyClick(editor, endKey);
    }

    // Sets one stop-loss and one take-profit on `row` through the dialog.
    void SetRules(int row, const QString& stopLoss, const QString& stopLots,
                  const QString& takeProfit = {}, const QString& takeLots = {}) {
        CLostProfitDlg* dialog = OpenSettings(row);
        ASSERT_TRUE(dialog);
        QTest::mouseClick(dialog->AddRowButton(), Qt::LeftButton);
        CListCtrlEx& grid = *dialog->Grid();
        const int r = grid.GetItemCount() - 1;
        if (!stopLoss.isEmpty()) {
            TypeInto(grid, r, CLostProfitDlg::StopLossPrice, stopLoss, Qt::Key_Tab);
            TypeInto(grid, r, CLostProfitDlg::StopLossLots, stopLots);
        }
        if (!takeProfit.isEmpty()) {
            TypeInto(grid, r, CLostProfitDlg::TakeProfitPrice, takeProfit, Qt::Key_Tab);
            TypeInto(grid, r, CLostProfitDlg::TakeProfitLots, takeLots);
        }
        QSignalSpy finished(dialog, &QDialog::finished);
        QTest::mouseClick(dialog->SaveButton(), Qt::LeftButton);
        ASSERT_EQ(finished.count(), 1)
            << (effects.Messages().empty() ? std::string()
                                           : effects.Messages().back().toStdString());
    }

    QString ConnectionPane() const {
        return frame->StatusPane(CMainFrame::kConnectionPane)->text();
    }

    bool seedPosition = false;  // the demo's rb2705 long of 3 earlier and 2 of today's lots
    CLcSubDlg1* panel = nullptr;
    CListCtrlCl* list = nullptr;
};

TEST_F(PositionsTest, PositionsShowLiveProfitAndTheFundsBarFollows) {
    EXPECT_EQ(frame->LcView()->Tabs()->tabText(0), QStringLiteral("持仓(F3)"));
    EXPECT_EQ(frame->Positions(), static_cast<PositionsSource*>(panel));
    const char* titles[] = {"合约", "买卖",   "总持仓",    "昨仓",      "今仓",   "可平量", "均价",
                            "盈亏", "保证金", "止损/数量", "止盈/数量", "交易所", "编号"};
    for (int c = 0; c < 13; ++c) {
        EXPECT_EQ(list->model()->headerData(c, Qt::Horizontal).toString(),
                  QString::fromUtf8(titles[c]));
    }
    EXPECT_EQ(list->columnWidth(7), 90);
    EXPECT_EQ(list->CellAlignment(0), Qt::AlignHCenter);
    EXPECT_EQ(list->CellAlignment(1), Qt::AlignLeft);
    EXPECT_EQ(list->CellAlignment(12), Qt::AlignRight);
    EXPECT_EQ(list->ListBackground(), QColor(255, 255, 245));

    OpenPosition("rb2705", 1, 3, 3200);
    OpenPosition("cu2702", 2, 2, 78650);
    ASSERT_EQ(list->GetItemCount(), 2);
    EXPECT_EQ(list->GetItemText(0, 0), "rb2705");
    EXPECT_EQ(list->CellTextColour(0, 0), QColor(111, 94, 16));
    EXPECT_EQ(list->GetItemText(0, 1), Ansi("买"));
    EXPECT_EQ(list->CellTextColour(0, 1), QColor(204, 51, 51));
    EXPECT_EQ(list->GetItemText(1, 1), "  " + Ansi("卖"));
    EXPECT_EQ(list->CellTextColour(1, 1), QColor(0, 128, 0));
    EXPECT_EQ(list->GetItemText(0, 2), "3");
    EXPECT_EQ(list->GetItemText(0, 5), "3");
    EXPECT_EQ(list->GetItemText(0, 11), Ansi("上期所"));
    EXPECT_FALSE(list->GetItemText(0, 12).empty());

    // Long 3 x (3210 - 3200) x 10 and short 2 x (78650 - 78700) x 5.
    BackEnd().SetQuote("rb2705", 3210, 3209, 3211);
    BackEnd().SetQuote("cu2702", 78700, 78690, 78710);
    ASSERT_TRUE(WaitFor([&] { return list->GetItemText(0, 7) == "300"; }));
    ASSERT_TRUE(WaitFor([&] { return list->GetItemText(1, 7) == "-500"; }));
    EXPECT_EQ(list->CellTextColour(0, 7), QColor(204, 51, 51));
    EXPECT_EQ(list->CellTextColour(1, 7), QColor(0, 128, 0));
    CTopView* top = frame->TopView();
    EXPECT_TRUE(WaitFor([&] { return top->FundsValue(2)->text() == QStringLiteral("-200"); }));

    BackEnd().SetQuote("rb2705", 3200, 3199, 3201);
    ASSERT_TRUE(WaitFor([&] { return list->GetItemText(0, 7) == "0"; }));
    EXPECT_EQ(list->CellTextColour(0, 7), QColor(204, 51, 51)) << "zero is red";
    EXPECT_TRUE(WaitFor([&] { return top->FundsValue(2)->text() == QStringLiteral("-500"); }));
    const double equity = top->FundsValue(3)->text().toDouble();
    const double available = top->FundsValue(7)->text().toDouble();
    EXPECT_LT(available, equity) << "the margin of the positions is taken off";
}

TEST_F(PositionsTest, AClickPreparesTheClosingOrderAndADoubleClickSendsIt) {
    OpenPosition("rb2705", 1, 3, 3200);
    StandInOrderEntry* entry = InstallStandIn();
    ClickRow(*list, 0, 3);
    EXPECT_EQ(entry->calls, (std::vector<std::string>{"ChooseSell", "ChooseClose", "SetLots 3",
                                                      "SelectContract rb2705||0", "SetLots 3"}));

    // The double-click waits for the order panel's price before it sends.
    entry->calls.clear();
    entry->hasPrice = false;
    DoubleClickRow(*list, 0, 2);
    ASSERT_TRUE(WaitFor([&] { return entry->priceChecks >= 3; })) << "asked again and again";
    EXPECT_TRUE(Retrying(*panel));
    EXPECT_EQ(std::count(entry->calls.begin(), entry->calls.end(), "SubmitOrder Code"), 0);
    const std::vector<std::string> prepared{"ChooseSell", "ChooseClose", "SelectContract rb2705||0",
                                            "SetLots 3"};
    EXPECT_NE(
        std::search(entry->calls.begin(), entry->calls.end(), prepared.begin(), prepared.end()),
        entry->calls.end());
    entry->hasPrice = true;
    ASSERT_TRUE(WaitFor([&] { return entry->calls.back() == "SubmitOrder Code"; }));
    EXPECT_FALSE(Retrying(*panel)) << "the wait ends with the order";
    EXPECT_EQ(std::count(entry->calls.begin(), entry->calls.end(), "SubmitOrder Code"), 1);

    // A short position is closed by buying.
    OpenPosition("cu2702", 2, 2, 78650);
    entry->calls.clear();
    ClickRow(*list, 1, 0);
    EXPECT_EQ(entry->calls.front(), "ChooseBuy");
    EXPECT_EQ(entry->calls.back(), "SetLots 2");
}

// No price within the wait: nothing is sent, and the trader is told so rather than left
// wondering.
TEST_F(PositionsTest, ADoubleClickThatGetsNoPriceSaysNothingWasSent) {
    OpenPosition("rb2705", 1, 3, 3200);
    StandInOrderEntry* entry = InstallStandIn();
    entry->hasPrice = false;
    DoubleClickRow(*list, 0, 2);
    ASSERT_TRUE(WaitFor([&] { return !Retrying(*panel); }, 10000));
    EXPECT_EQ(std::count(entry->calls.begin(), entry->calls.end(), "SubmitOrder Code"), 0);
    EXPECT_EQ(
        effects.Messages(),
        std::vector<QString>{QStringLiteral("通知|4秒内未取得 rb2705 的行情价格，委托未发出")});
}

TEST_F(PositionsTest, AStopLossSetInTheDialogClosesThePositionWhenTheMarketCrossesIt) {
    OpenPosition("rb2705", 1, 3, 3200);
    const std::string id = list->GetItemText(0, 12);
    CLostProfitDlg* dialog = OpenSettings(0);
    ASSERT_TRUE(dialog);
    EXPECT_TRUE(panel->State().RulesSuspended());
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("止盈止损设置"));
    EXPECT_EQ(dialog->Headline()->text(),
              QStringLiteral("为 rb2705 买 可平数量为:3 设置止损止盈。"));
    EXPECT_TRUE(dialog->UnitButton(0)->isChecked());
    CListCtrlEx& grid = *dialog->Grid();
    EXPECT_EQ(grid.GetItemCount(), 0);
    EXPECT_EQ(grid.model()->headerData(5, Qt::Horizontal).toString(), QStringLiteral("有效期"));

    QTest::mouseClick(dialog->AddRowButton(), Qt::LeftButton);
    ASSERT_EQ(grid.GetItemCount(), 1);
    EXPECT_EQ(grid.GetItemText(0, 5), Ansi("当日"));
    EXPECT_EQ(grid.GetItemText(0, 0).size(), 16u) << grid.GetItemText(0, 0);
    TypeInto(grid, 0, CLostProfitDlg::StopLossPrice, QStringLiteral("3190"), Qt::Key_Tab);
    TypeInto(grid, 0, CLostProfitDlg::StopLossLots, QStringLiteral("3"));
    EXPECT_EQ(grid.GetItemText(0, 1), "3190");
    EXPECT_EQ(grid.GetItemText(0, 2), "3");
    QSignalSpy finished(dialog, &QDialog::finished);
    QTest::mouseClick(dialog->SaveButton(), Qt::LeftButton);
    ASSERT_EQ(finished.count(), 1) << ::testing::PrintToString(effects.Messages());
    EXPECT_FALSE(panel->State().RulesSuspended());
    EXPECT_EQ(list->GetItemText(0, 9), "3190/3");
    EXPECT_EQ(list->GetItemText(0, 10), "");
    EXPECT_TRUE(std::filesystem::exists(panel->State().RuleFilePath()));

    // The bid falls to the stop: one closing order at the stop's price, then the position
    // is gone.
    QSignalSpy answered(frame->Stepper(), &TradingStepper::closeOrderAnswered);
    BackEnd().SetQuote("rb2705", 3189, 3188, 3190);
    ASSERT_TRUE(answered.wait(5000));
    EXPECT_EQ(answered.at(0).at(0).toBool(), true);
    EXPECT_EQ(list->GetItemText(0, 9), "") << "the fired leg is gone";
    const std::string log = ReadLog(ProgramDir());
    EXPECT_NE(log.find("to weituo A 111...,strCode:rb2705,optnum:3,,price:3189\r\n"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("to weituo trade...,post:user_name=demo&code=rb2705&type=2&updown=2&num="
                       "3&price=3190&pricetype=3&src=lctrade&dsid=" +
                       id + "\r\n"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("to weituo trade...,result:0,"), std::string::npos) << log;
    // The pane says what fired, where the trader looks for the connection's news.
    EXPECT_TRUE(WaitFor([&] {
        return ConnectionPane().contains(QStringLiteral("止损触发: rb2705 卖出平仓 3手 价3190 "));
    })) << ConnectionPane().toStdString();
    EXPECT_TRUE(WaitFor([&] { return list->GetItemCount() == 0; }));
    ASSERT_TRUE(Settle());
    EXPECT_EQ(Occurrences(ReadLog(ProgramDir()), ",post:"), 1);
    EXPECT_TRUE(effects.Messages().empty());
}

TEST_F(PositionsTest, ARefusedClosingOrderIsLoggedAndShownWithoutABox) {
    OpenPosition("rb2705", 1, 3, 3200);
    SetRules(0, QStringLiteral("3190"), QStringLiteral("2"));
    BackEnd().RejectNextOrder("资金账户冻结");
    QSignalSpy answered(frame->Stepper(), &TradingStepper::closeOrderAnswered);
    BackEnd().SetQuote("rb2705", 3190, 3190, 3191);
    ASSERT_TRUE(answered.wait(5000));
    EXPECT_FALSE(answered.at(0).at(0).toBool());
    EXPECT_NE(ReadLog(ProgramDir()).find("to weituo trade...,result:" + Ansi("1,资金账户冻结")),
              std::string::npos);
    EXPECT_TRUE(effects.Messages().empty());
    QLabel* pane = frame->StatusPane(CMainFrame::kConnectionPane);
    ASSERT_TRUE(WaitFor([&] {
        return pane->text().contains(QStringLiteral("止损止盈平仓失败: rb2705 资金账户冻结"));
    })) << pane->text().toStdString();
    EXPECT_EQ(pane->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    EXPECT_EQ(list->GetItemCount(), 1) << "the position is still open";
    EXPECT_EQ(list->GetItemText(0, 9), "");

    // Looking at the position's rules again acknowledges it.
    ASSERT_TRUE(OpenSettings(0));
    panel->StopRuleDialog()->reject();
    EXPECT_TRUE(WaitFor([&] { return !pane->text().contains(QStringLiteral("平仓失败")); }));
}

// A closing order that went out and got no answer is said as of unknown outcome, not as failed;
// it is not sent again, and once the back-end answers the list shows what became of it.
TEST_F(PositionsTest, AClosingOrderWithoutAnAnswerIsSaidUnknownAndTheListCatchesUp) {
    ft::testing::ShortStallTimeout shortStall;
    OpenPosition("rb2705", 1, 3, 3200);
    SetRules(0, QStringLiteral("3190"), QStringLiteral("3"));
    QSignalSpy answered(frame->Stepper(), &TradingStepper::closeOrderAnswered);
    BackEnd().StallWeb(4000);
    BackEnd().SetQuote("rb2705", 3189, 3188, 3190);
    ASSERT_TRUE(answered.wait(10000));
    EXPECT_FALSE(answered.at(0).at(0).toBool());
    EXPECT_TRUE(frame->Stepper()->LastCloseUnknown());
    EXPECT_NE(ReadLog(ProgramDir()).find("to weituo trade...,unknown:"), std::string::npos);
    QLabel* pane = frame->StatusPane(CMainFrame::kConnectionPane);
    EXPECT_TRUE(WaitFor([&] {
        return pane->text().contains(QStringLiteral("止损止盈平仓结果未知: rb2705"));
    })) << pane->text().toStdString();
    EXPECT_TRUE(effects.Messages().empty());

    // The back-end took the order in its stall: the position goes without the trader acting.
    BackEnd().StallWeb(0);
    EXPECT_TRUE(WaitFor([&] { return list->GetItemCount() == 0; }, 20000));
    ASSERT_TRUE(Settle());
    EXPECT_EQ(Occurrences(ReadLog(ProgramDir()), ",post:"), 1) << "sent once";
}

TEST_F(PositionsTest, ASlowAnswerHoldsNeitherTheWindowNorSendsTwice) {
    OpenPosition("rb2705", 1, 3, 3200);
    OpenPosition("cu2702", 1, 1, 78650);
    SetRules(0, QStringLiteral("3190"), QStringLiteral("1"));
    BackEnd().StallWeb(1500);
    QSignalSpy answered(frame->Stepper(), &TradingStepper::closeOrderAnswered);
    BackEnd().SetQuote("rb2705", 3185, 3185, 3186);
    ASSERT_TRUE(WaitFor([&] { return panel->State().CloseOrdersOut() == 1; }, 2000));
    // While the order is out, the other rows keep following the market.
    BackEnd().SetQuote("cu2702", 78700, 78690, 78710);
    EXPECT_TRUE(WaitFor([&] { return list->GetItemText(1, 7) == "250"; }, 1000));
    EXPECT_EQ(panel->State().CloseOrdersOut(), 1);
    ASSERT_TRUE(answered.wait(5000));
    BackEnd().StallWeb(0);
    ASSERT_TRUE(Settle());
    const std::string log = ReadLog(ProgramDir());
    EXPECT_EQ(Occurrences(log, "to weituo A 111"), 1);
    EXPECT_EQ(Occurrences(log, ",post:"), 1);
    EXPECT_EQ(Occurrences(log, ",result:"), 1);
}

TEST_F(PositionsTest, RulesArePausedWhileQuotesAreStaleAndResumeOnTheNextAnswer) {
    OpenPosition("rb2705", 1, 3, 3200);
    SetRules(0, QStringLiteral("3190"), QStringLiteral("1"));
    EXPECT_FALSE(ConnectionPane().contains(QStringLiteral("止损止盈已暂停")));
    // The last price the terminal saw crosses the stop while the dialog holds the rules...
    CLostProfitDlg* dialog = OpenSettings(0);
    ASSERT_TRUE(dialog);
    QSignalSpy answered(frame->Stepper(), &TradingStepper::closeOrderAnswered);
    BackEnd().SetQuote("rb2705", 3185, 3185, 3186);
    ASSERT_TRUE(WaitFor([&] { return list->GetItemText(0, 7) == "-450"; }));
    // ...and the feed goes away, so that price grows old.
    BackEnd().CloseQuoteConnections(true);
    ASSERT_TRUE(WaitFor([&] { return !panel->State().HeldRuleCodes().empty(); }, 8000));
    EXPECT_TRUE(
        WaitFor([&] { return ConnectionPane().contains(QStringLiteral("止损止盈已暂停")); }, 2000))
        << ConnectionPane().toStdString();
    // With the dialog closed the rules are live again, but nothing fires on a price that old.
    QTest::mouseClick(dialog->CancelButton(), Qt::LeftButton);
    ASSERT_FALSE(panel->State().RulesSuspended());
    ASSERT_TRUE(StepsRun());
    EXPECT_EQ(panel->State().CloseOrdersOut(), 0);
    EXPECT_EQ(answered.count(), 0);
    // The next answer carries the same price, fresh: the stop fires.
    BackEnd().CloseQuoteConnections(false);
    ASSERT_TRUE(answered.wait(10000));
    EXPECT_TRUE(panel->State().HeldRuleCodes().empty());
    EXPECT_TRUE(WaitFor(
        [&] { return !ConnectionPane().contains(QStringLiteral("止损止盈已暂停")); }, 2000));
}

TEST_F(PositionsTest, RulesComeBackAfterARestartWithinTheDay) {
    OpenPosition("rb2705", 1, 3, 3200);
    OpenPosition("cu2702", 1, 1, 78650);
    SetRules(0, QStringLiteral("3190"), QStringLiteral("2"), QStringLiteral("3300"),
             QStringLiteral("1"));
    SetRules(1, QStringLiteral("78000"), QStringLiteral("1"));
    const std::string rbId = list->GetItemText(0, 12);

    // The terminal ends and starts again; the copper position is closed meanwhile (today's lot
    // of a 上期所 contract: a 平今).
    frame.reset();
    std::string answer;
    ASSERT_TRUE(PostForm(session, "index.php?m=client&a=weituo",
                         "user_name=demo&code=cu2702&type=2&updown=2&num=1&price=78640&"
                         "pricetype=2&src=tradedlg1",
                         answer));
    loader.ReloadTables(0);
    frame = std::make_unique<ft::testing::TestFrame>(session, loader, quotes, nullptr);
    frame->show();
    panel = frame->LcView()->PositionsPanel();
    list = panel->List();
    ASSERT_EQ(list->GetItemCount(), 1);
    EXPECT_EQ(list->GetItemText(0, 12), rbId);
    EXPECT_EQ(list->GetItemText(0, 9), "3190/2");
    EXPECT_EQ(list->GetItemText(0, 10), "3300/1");
    int taken = 0;
    for (const StopRule& rule : panel->State().Rules().Slots())
        taken += rule.Taken();
    EXPECT_EQ(taken, 1) << "the closed position's rules stayed behind";

    // And they still fire.
    QSignalSpy answered(frame->Stepper(), &TradingStepper::closeOrderAnswered);
    BackEnd().SetQuote("rb2705", 3300, 3300, 3301);
    ASSERT_TRUE(answered.wait(5000));
    EXPECT_TRUE(WaitFor([&] { return list->GetItemText(0, 2) == "2"; }));
}

TEST_F(PositionsTest, CancellingTheDialogChangesNothingAndResumesTheRules) {
    OpenPosition("rb2705", 1, 3, 3200);
    SetRules(0, QStringLiteral("3190"), QStringLiteral("1"));
    CLostProfitDlg* dialog = OpenSettings(0);
    ASSERT_TRUE(dialog);
    CListCtrlEx& grid = *dialog->Grid();
    ASSERT_EQ(grid.GetItemCount(), 1);
    EXPECT_EQ(grid.GetItemText(0, 1), "3190");
    EXPECT_EQ(grid.GetItemText(0, 2), "1");
    EXPECT_EQ(grid.GetItemText(0, 0).size(), 19u) << "the set time of the save";
    TypeInto(grid, 0, CLostProfitDlg::StopLossPrice, QStringLiteral("3000"));
    EXPECT_EQ(grid.GetItemText(0, 1), "3000");

    // While the dialog is open the rules wait, even where the market crosses them.
    QSignalSpy answered(frame->Stepper(), &TradingStepper::closeOrderAnswered);
    BackEnd().SetQuote("rb2705", 3185, 3185, 3186);
    // 3 x (3185 - 3200) x 10: the step that shows it is the one that would have fired.
    ASSERT_TRUE(WaitFor([&] { return list->GetItemText(0, 7) == "-450"; }));
    ASSERT_TRUE(StepsRun());
    EXPECT_EQ(panel->State().CloseOrdersOut(), 0);
    EXPECT_EQ(answered.count(), 0);

    QTest::mouseClick(dialog->CancelButton(), Qt::LeftButton);
    EXPECT_FALSE(panel->State().RulesSuspended());
    EXPECT_EQ(list->GetItemText(0, 9), "3190/1");
    ASSERT_TRUE(answered.wait(3000)) << "evaluation resumed with the old rule";
}

TEST_F(PositionsTest, TheDialogRefusesBadPricesAndDeletesRowsOnlyWhenConfirmed) {
    OpenPosition("rb2705", 1, 3, 3200);
    CLostProfitDlg* dialog = OpenSettings(0);
    ASSERT_TRUE(dialog);
    CListCtrlEx& grid = *dialog->Grid();
    QTest::mouseClick(dialog->AddRowButton(), Qt::LeftButton);
    TypeInto(grid, 0, CLostProfitDlg::StopLossPrice, QStringLiteral("3210"));
    TypeInto(grid, 0, CLostProfitDlg::StopLossLots, QStringLiteral("1x"));
    EXPECT_EQ(grid.GetItemText(0, 2), "1") << "lots take digits only";
    QTest::mouseClick(dialog->SaveButton(), Qt::LeftButton);
    EXPECT_EQ(effects.Messages(), std::vector<QString>{QStringLiteral("通知|止损价格设置错误!")});
    EXPECT_TRUE(dialog->isVisible());
    TypeInto(grid, 0, CLostProfitDlg::StopLossPrice, QStringLiteral("9999"));
    QTest::mouseClick(dialog->SaveButton(), Qt::LeftButton);
    EXPECT_EQ(effects.Messages().back(),
              QStringLiteral("通知|设置的止损止盈价格超出了当天的涨跌停范围!"));

    QTest::mouseClick(dialog->AddRowButton(), Qt::LeftButton);
    QTest::mouseClick(dialog->AddRowButton(), Qt::LeftButton);
    ClickRow(grid, 1, 0);
    QTest::mouseClick(dialog->DeleteRowButton(), Qt::LeftButton);
    EXPECT_EQ(grid.GetItemCount(), 2);
    effects.answer = MessageResult::No;
    QTest::mouseClick(dialog->DeleteAllButton(), Qt::LeftButton);
    EXPECT_EQ(effects.Messages().back(), QStringLiteral("止损止盈设置|确认是否删除设置?"));
    EXPECT_EQ(grid.GetItemCount(), 2);
    effects.answer = MessageResult::Yes;
    QTest::mouseClick(dialog->DeleteAllButton(), Qt::LeftButton);
    EXPECT_EQ(grid.GetItemCount(), 0);
    // An empty grid saves: the position has no rules left.
    QSignalSpy finished(dialog, &QDialog::finished);
    QTest::mouseClick(dialog->SaveButton(), Qt::LeftButton);
    ASSERT_EQ(finished.count(), 1);
    EXPECT_EQ(list->GetItemText(0, 9), "");
    EXPECT_EQ(panel->State().Rules().FirstFree(), 0u);
}

// A full table used to drop the saved row while the column showed it; "3500.." was stored
// as typed and read as 3500.
TEST_F(PositionsTest, AFullTableIsRefusedWithAMessageAndTheGridTakesOnlyTheTicksDecimals) {
    OpenPosition("rb2705", 1, 3, 3200);
    const std::string id = list->GetItemText(0, 12);
    std::vector<RuleGridRow> rows(StopRuleTable::kSlots, RuleGridRow{"", "3100", "1", "", ""});
    ASSERT_EQ(SaveStopRules(panel->State().Rules(), "rb2705", Ansi("买"), id,
                            quotes.FindQuote("rb2705"), rows, std::time(nullptr))
                  .message,
              "");
    panel->State().RulesSaved(id);
    EXPECT_TRUE(WaitFor([&] { return list->GetItemText(0, 9) == "3100/1"; }));

    CLostProfitDlg* dialog = OpenSettings(0);
    ASSERT_TRUE(dialog);
    CListCtrlEx& grid = *dialog->Grid();
    ASSERT_EQ(grid.GetItemCount(), 100);
    QTest::mouseClick(dialog->AddRowButton(), Qt::LeftButton);
    TypeInto(grid, 100, CLostProfitDlg::StopLossPrice, QStringLiteral("3190"), Qt::Key_Tab);
    TypeInto(grid, 100, CLostProfitDlg::StopLossLots, QStringLiteral("2"));
    QTest::mouseClick(dialog->SaveButton(), Qt::LeftButton);
    EXPECT_EQ(effects.Messages(),
              std::vector<QString>{QStringLiteral(
                  "通知|止损止盈设置已满(最多100条)，本次设置未保存。请先删除不再需要的设置。")});
    EXPECT_TRUE(dialog->isVisible());

    // The extra row goes. rb2705 ticks by whole points: no dot gets into its prices.
    ClickRow(grid, 100, 0);
    QTest::mouseClick(dialog->DeleteRowButton(), Qt::LeftButton);
    TypeInto(grid, 0, CLostProfitDlg::StopLossPrice, QStringLiteral("3180..5"));
    EXPECT_EQ(grid.GetItemText(0, 1), "31805") << "the dots were refused";
    EXPECT_TRUE(dialog->isVisible());
    dialog->reject();
    EXPECT_EQ(list->GetItemText(0, 9), "3100/1") << "the column shows what is stored";
    EXPECT_EQ(panel->State().Rules().FirstFree(), StopRuleTable::kSlots);
}

TEST_F(PositionsTest, AHeldContractOutsideTheCustomListStaysQuotedWhenTheOrderPanelMovesOn) {
    // al2702 is not one of the demo account's custom contracts.
    BackEnd().SetQuote("al2702", 20300, 20295, 20305);
    OpenPosition("al2702", 1, 2, 20300);
    ASSERT_EQ(list->GetItemText(0, PositionCol::Code), "al2702");
    auto* entry = dynamic_cast<CTradeDlg1*>(frame->TradeView()->OrderEntryPanel());
    ASSERT_TRUE(entry);
    // The trader looks at al2702 on the order panel, then picks another contract.
    QTest::keyClicks(entry->ContractBox()->lineEdit(), QStringLiteral("al2702"));
    ASSERT_EQ(entry->CurrentContract(), "al2702");
    entry->ContractBox()->lineEdit()->clear();
    QTest::keyClicks(entry->ContractBox()->lineEdit(), QStringLiteral("cu2702"));
    ASSERT_EQ(entry->CurrentContract(), "cu2702");
    EXPECT_FALSE(quotes.Holds(kOrderEntryOwner, "al2702")) << "the panel let go of its claim";
    const std::vector<std::string> codes = quotes.Codes();
    EXPECT_NE(std::find(codes.begin(), codes.end(), "al2702"), codes.end())
        << "the position still holds it";

    ASSERT_TRUE(WaitFor([&] { return !quotes.FindQuote("al2702").empty(); }))
        << quotes.JoinedCodes() << " | " << quotes.QuoteText().substr(0, 300);
    SetRules(0, QStringLiteral("20200"), QStringLiteral("2"));
    EXPECT_TRUE(quotes.Holds(kStopRulesOwner, "al2702"));
    // 2 lots x (20350 - 20300) x 5: the profit and the funds bar follow the market.
    BackEnd().SetQuote("al2702", 20350, 20345, 20355);
    ASSERT_TRUE(WaitFor([&] { return list->GetItemText(0, PositionCol::Profit) == "500"; }))
        << list->GetItemText(0, PositionCol::Profit);
    CTopView* top = frame->TopView();
    EXPECT_TRUE(WaitFor([&] { return top->FundsValue(2)->text() == QStringLiteral("500"); }))
        << top->FundsValue(2)->text().toStdString();

    // Through the stop: it fires once.
    QSignalSpy answered(frame->Stepper(), &TradingStepper::closeOrderAnswered);
    BackEnd().SetQuote("al2702", 20190, 20190, 20195);
    ASSERT_TRUE(answered.wait(5000));
    EXPECT_TRUE(answered.at(0).at(0).toBool());
    EXPECT_TRUE(WaitFor([&] { return list->GetItemCount() == 0; }));
    ASSERT_TRUE(StepsRun());
    EXPECT_EQ(answered.count(), 1);
    EXPECT_EQ(Occurrences(ReadLog(ProgramDir()), ",post:"), 1);
    // Gone with its position and its rule, the contract is no longer asked for.
    EXPECT_TRUE(WaitFor([&] {
        const std::vector<std::string> now = quotes.Codes();
        return std::find(now.begin(), now.end(), "al2702") == now.end();
    }));
}

// The panel alone over a session the test fills: no back-end, quotes set by hand.
class PositionsPanelTest : public ft::testing::UiFixture {
protected:
    void SetUp() override {
        UiFixture::SetUp();
        LogInSession();
        auto products = std::make_shared<ProductTable>();
        CopyField(products->rows[0].contractCode, 16, "rb2705");
        CopyField(products->rows[0].multiplier, 8, "10");
        session.products.Publish(products);
    }
    static void Put(PositionTable& table, std::size_t i, const std::string& code,
                    const std::string& id, const char* direction = "买") {
        PositionRecord& r = table.rows[i];
        CopyField(r.contractCode, 16, code);
        CopyField(r.direction, 8, Ansi(direction));
        CopyField(r.totalVolume, 8, "2");
        CopyField(r.closableVolume, 8, "2");
        CopyField(r.avgPrice, 16, "3200");
        CopyField(r.positionNo, 16, id);
    }
    static std::string Quote(const std::string& code, const std::string& last,
                             const std::string& bid, const std::string& ask) {
        std::vector<std::string> f(22, "0");
        f[1] = code;
        f[4] = last;
        f[16] = "3400";
        f[17] = "3000";
        f[18] = bid;
        f[20] = ask;
        std::string text;
        for (std::size_t i = 0; i < f.size(); ++i)
            text += (i ? "," : "") + f[i];
        return text;
    }
    std::unique_ptr<CLcSubDlg1> MakePanel() {
        state = std::make_unique<TradingState>(session, quotes);
        state->RestoreRules((ProgramDir() / "rules.txt").string(), std::time(nullptr));
        stepper = std::make_unique<TradingStepper>(*state, loader);
        return std::make_unique<CLcSubDlg1>(
            PaneContext{session, loader, quotes, nullptr, stepper.get()});
    }
    std::unique_ptr<TradingState> state;
    std::unique_ptr<TradingStepper> stepper;
    // A long rb2705 position (id 7) with a stop-loss of 1 lot at 3100.
    std::unique_ptr<CLcSubDlg1> PanelWithALongAndItsStop() {
        auto table = std::make_shared<PositionTable>();
        Put(*table, 0, "rb2705", "7");
        session.positions.Publish(table);
        auto panel = MakePanel();
        EXPECT_TRUE(SaveStopRules(panel->State().Rules(), "rb2705", Ansi("买"), "7",
                                  Quote("rb2705", "3200", "3199", "3201"),
                                  {RuleGridRow{"", "3100", "1", "", ""}}, std::time(nullptr))
                        .message.empty());
        state->RulesSaved("7");
        return panel;
    }
};

TEST_F(PositionsPanelTest, MoreThanSixtyFourPositionsShowTheFirstWithoutRebuildingEveryTick) {
    auto table = std::make_shared<PositionTable>();
    for (std::size_t i = 0; i < 70; ++i)
        Put(*table, i, "c" + std::to_string(i), std::to_string(1000 + i));
    session.positions.Publish(table);
    auto panel = MakePanel();
    CListCtrlCl& list = *panel->List();
    ASSERT_EQ(list.GetItemCount(), 64);
    EXPECT_EQ(list.GetItemText(63, 0), "c63");
    EXPECT_EQ(panel->State().Positions().size(), 64u);
    list.SelectRow(5);
    stepper->Step();
    EXPECT_EQ(panel->Render(), 0);
    EXPECT_EQ(list.GetFirstSelectedRow(), 5) << "no rebuild, the selection stays";
}

TEST_F(PositionsPanelTest, ANewPositionRebuildsAndARowTakenOverByAnotherFollowsItsId) {
    auto panel = PanelWithALongAndItsStop();
    CListCtrlCl& list = *panel->List();

    // The same number of positions, but the row now holds another one.
    auto next = std::make_shared<PositionTable>();
    Put(*next, 0, "rb2705", "8", "卖");
    session.positions.Publish(next);
    stepper->Step();
    EXPECT_EQ(list.GetItemText(0, 12), "8");
    EXPECT_EQ(list.GetItemText(0, 1), "  " + Ansi("卖")) << "rebuilt, not patched in place";
    EXPECT_EQ(list.GetItemText(0, 9), "") << "position 7's rule is not shown for 8";

    auto both = std::make_shared<PositionTable>(*next);
    Put(*both, 1, "rb2705", "7");
    session.positions.Publish(both);
    quotes.Hold(kCustomListOwner, "rb2705");
    quotes.SetQuoteText(Quote("rb2705", "3210", "3209", "3211"));
    stepper->Step();
    ASSERT_EQ(list.GetItemCount(), 2);
    EXPECT_EQ(list.GetItemText(1, 9), "3100/1");
    EXPECT_EQ(list.GetItemText(1, 7), "200");
    EXPECT_EQ(list.GetItemText(0, 7), "-200");
    const std::vector<LivePosition>& rows = panel->State().Positions();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].direction, Ansi("卖")) << "trimmed for its readers";
    EXPECT_EQ(rows[1].positionNo, "7");
    EXPECT_EQ(rows[1].profitText, "200");
}

TEST_F(PositionsPanelTest, AFrozenQuoteNeverFiresAStop) {
    auto panel = PanelWithALongAndItsStop();
    quotes.Hold(kCustomListOwner, "rb2705");
    // A quote through the stop arrives, and then nothing more for over three seconds.
    quotes.SetQuoteText(Quote("rb2705", "3090", "3090", "3091"));
    platform::AdvanceTickCount(3100);
    stepper->Step();
    EXPECT_TRUE(!panel->State().HeldRuleCodes().empty());
    EXPECT_EQ(panel->State().CloseOrdersOut(), 0);
    EXPECT_EQ(panel->List()->GetItemText(0, 9), "3100/1");
    EXPECT_EQ(panel->List()->GetItemText(0, 7), "-2200") << "the profit still follows";

    // The next answer is fresh: the stop fires once.
    quotes.SetQuoteText(Quote("rb2705", "3090", "3090", "3091"));
    stepper->Step();
    EXPECT_FALSE(!panel->State().HeldRuleCodes().empty());
    EXPECT_EQ(panel->State().CloseOrdersOut(), 1);
    EXPECT_EQ(panel->List()->GetItemText(0, 9), "");
    QSignalSpy answered(stepper.get(), &TradingStepper::closeOrderAnswered);
    ASSERT_TRUE(answered.wait(20000));
    EXPECT_FALSE(answered.at(0).at(0).toBool()) << "no back-end here";
    EXPECT_NE(panel->State().StopOrderProblem().find(Ansi("交易服务器无应答")), std::string::npos);
}

// 上期所 takes today's and earlier lots by separate instructions: every close path sends today's
// lots with 平今 first and the rest with 平仓 only once the first is accepted.
class ShanghaiCloseTest : public PositionsTest {
protected:
    void SetUp() override {
        seedPosition = true;
        PositionsTest::SetUp();
        entry = dynamic_cast<CTradeDlg1*>(frame->TradeView()->OrderEntryPanel());
        ASSERT_TRUE(entry);
        ASSERT_TRUE(WaitFor([this] { return list->GetItemCount() == 1; }));
        ASSERT_EQ(list->GetItemText(0, 3), "3");
        ASSERT_EQ(list->GetItemText(0, 4), "2");
        ASSERT_EQ(list->GetItemText(0, 11), Ansi("上期所"));
    }
    // Clicks the row, which prepares its whole close, and waits for the panel's price.
    void PrepareClose(int row = 0) {
        ClickRow(*list, row);
        ASSERT_TRUE(WaitFor([this] { return entry->HasPrice(); }));
    }
    // "type/num" of the orders the back-end received, oldest first.
    std::vector<std::string> Sent() {
        std::vector<std::string> sent;
        for (const auto& form : BackEnd().Forms("weituo")) {
            sent.push_back(form.at("type") + "/" + form.at("num"));
        }
        return sent;
    }
    using Sends = std::vector<std::string>;

    CTradeDlg1* entry = nullptr;
};

TEST_F(ShanghaiCloseTest, TheOrderPanelConfirmsTheSplitOnceAndSendsTodaysLotsFirst) {
    PrepareClose();
    EXPECT_TRUE(entry->CloseRadio()->isChecked());
    EXPECT_EQ(entry->LotsEdit()->text(), QStringLiteral("5"));
    EXPECT_TRUE(entry->CloseTodayLabel()->isVisible()) << "平今 is a choice on 上期所";
    QTest::mouseClick(entry->CloseTodayLabel(), Qt::LeftButton);
    EXPECT_EQ(entry->LotsHint()->text(), QStringLiteral("2手")) << "平今 closes today's lots";
    QTest::mouseClick(entry->CloseLabel(), Qt::LeftButton);
    EXPECT_EQ(entry->LotsHint()->text(), QStringLiteral("5手"));

    // The trader cancels the confirmation: nothing goes out.
    QTest::mouseClick(entry->ConfirmBox(), Qt::LeftButton);
    effects.answer = MessageResult::Cancel;
    QSignalSpy finished(entry, &CTradeDlg1::orderFinished);
    QTest::mouseClick(entry->OrderButton(), Qt::LeftButton);
    ASSERT_TRUE(finished.wait(5000));
    EXPECT_EQ(finished.at(0).at(0).toInt(), static_cast<int>(OrderOutcome::NotSent));
    ASSERT_EQ(effects.Messages().size(), 1u);
    const QString shown = effects.Messages()[0];
    EXPECT_TRUE(shown.startsWith(QStringLiteral("确认下单|下单:平仓  卖  rb2705  5手  于价格 ")))
        << shown.toStdString();
    EXPECT_TRUE(shown.endsWith(QStringLiteral("（平今 2手 + 平仓 3手）"))) << shown.toStdString();
    ASSERT_TRUE(Settle());
    EXPECT_EQ(BackEnd().Requests("weituo"), 0);

    // Confirmed once, both legs go.
    effects.answer = MessageResult::Ok;
    QTest::mouseClick(entry->OrderButton(), Qt::LeftButton);
    ASSERT_TRUE(WaitFor([&] { return finished.count() == 3; }));
    EXPECT_EQ(finished.at(1).at(0).toInt(), static_cast<int>(OrderOutcome::Accepted));
    EXPECT_EQ(finished.at(2).at(0).toInt(), static_cast<int>(OrderOutcome::Accepted));
    EXPECT_EQ(effects.Messages().size(), 2u) << "one confirmation for both legs";
    EXPECT_EQ(Sent(), (Sends{"2/2", "3/3"}));
    EXPECT_TRUE(WaitFor([&] { return list->GetItemCount() == 0; })) << "closed in one action";
}

TEST_F(ShanghaiCloseTest, ElsewhereACloseGoesOutAsBefore) {
    BackEnd().SetQuote("m2705", 2850, 2849, 2851);
    OpenPosition("m2705", 1, 2, 2850);
    ASSERT_EQ(list->GetItemText(1, 0), "m2705");
    PrepareClose(1);
    EXPECT_FALSE(entry->CloseTodayLabel()->isVisible());
    QSignalSpy finished(entry, &CTradeDlg1::orderFinished);
    QTest::mouseClick(entry->OrderButton(), Qt::LeftButton);
    ASSERT_TRUE(finished.wait(5000));
    ASSERT_TRUE(Settle());
    EXPECT_EQ(finished.count(), 1);
    EXPECT_EQ(Sent(), (Sends{"1/2", "3/2"})) << "the opening order, then one 平仓";
    EXPECT_TRUE(entry->CloseTodayLabel()->isHidden());
}

TEST_F(ShanghaiCloseTest, TheSecondLegWaitsForTheFirstAnswerAndARefusedFirstSendsNone) {
    PrepareClose();
    BackEnd().RejectNextOrder("交易所休市");
    QSignalSpy finished(entry, &CTradeDlg1::orderFinished);
    QTest::mouseClick(entry->OrderButton(), Qt::LeftButton);
    ASSERT_TRUE(finished.wait(5000));
    // The second leg would have been sent from the first one's answer, before this.
    ASSERT_TRUE(Settle());
    EXPECT_EQ(finished.count(), 1);
    EXPECT_EQ(finished.at(0).at(0).toInt(), static_cast<int>(OrderOutcome::Refused));
    EXPECT_EQ(Sent(), (Sends{"2/2"}));
    EXPECT_EQ(effects.Messages(),
              (std::vector<QString>{QStringLiteral("通知|交易所休市"),
                                    QStringLiteral("通知|平仓 3手未发送（平今 2手未被受理）")}));
    EXPECT_FALSE(entry->OrderOut());

    // A slow back-end: the 平仓 leaves only after the 平今's answer is in.
    BackEnd().StallWeb(800);
    QTest::mouseClick(entry->OrderButton(), Qt::LeftButton);
    ASSERT_TRUE(WaitFor([&] { return BackEnd().Requests("weituo") == 2; }));
    EXPECT_TRUE(entry->OrderOut());
    ASSERT_TRUE(WaitFor([&] { return finished.count() == 3; }, 8000));
    BackEnd().StallWeb(0);
    EXPECT_EQ(BackEnd().Traffic("weituo"), "><><><") << "the 平仓 waits for the 平今's answer";
    EXPECT_EQ(Sent(), (Sends{"2/2", "2/2", "3/3"}));
    EXPECT_EQ(finished.at(2).at(0).toInt(), static_cast<int>(OrderOutcome::Accepted));
    EXPECT_TRUE(WaitFor([&] { return list->GetItemCount() == 0; }));
}

TEST_F(ShanghaiCloseTest, ADoubleClickClosesBothDaysInOneAction) {
    QSignalSpy finished(entry, &CTradeDlg1::orderFinished);
    DoubleClickRow(*list, 0);
    ASSERT_TRUE(WaitFor([&] { return finished.count() == 2; }));
    EXPECT_EQ(Sent(), (Sends{"2/2", "3/3"}));
    EXPECT_TRUE(WaitFor([&] { return list->GetItemCount() == 0; }));
    EXPECT_TRUE(effects.Messages().empty());
}

TEST_F(ShanghaiCloseTest, TheQuickReverseClosesBothDaysBeforeItOpens) {
    PrepareClose();
    QSignalSpy finished(entry, &CTradeDlg1::orderFinished);
    entry->ReverseButton()->click();  // hidden button, reached from code only
    ASSERT_TRUE(WaitFor([&] { return finished.count() == 3; }, 8000));
    EXPECT_EQ(Sent(), (Sends{"2/2", "3/3", "1/5"}));
    EXPECT_EQ(BackEnd().Forms("weituo").back().at("updown"), "2");
    EXPECT_TRUE(WaitFor([&] {
        return list->GetItemCount() == 1 && Trim(list->GetItemText(0, 1)) == Ansi("卖") &&
               list->GetItemText(0, 2) == "5";
    }));
    EXPECT_TRUE(effects.Messages().empty());
}

TEST_F(ShanghaiCloseTest, AFiredStopClosesTodaysLotsThenEarlierOnesNamingThePosition) {
    const std::string id = list->GetItemText(0, 12);
    SetRules(0, QStringLiteral("3190"), QStringLiteral("4"));
    QSignalSpy answered(frame->Stepper(), &TradingStepper::closeOrderAnswered);
    BackEnd().SetQuote("rb2705", 3189, 3188, 3190);
    ASSERT_TRUE(WaitFor([&] { return answered.count() == 2; }));
    EXPECT_TRUE(answered.at(0).at(0).toBool());
    EXPECT_TRUE(answered.at(1).at(0).toBool());
    EXPECT_EQ(Sent(), (Sends{"2/2", "3/2"}));
    for (const auto& form : BackEnd().Forms("weituo")) {
        EXPECT_EQ(form.at("dsid"), id);
    }
    ASSERT_TRUE(Settle());
    const std::string log = ReadLog(ProgramDir());
    EXPECT_EQ(Occurrences(log, "to weituo A 111...,strCode:rb2705,optnum:4,"), 1) << log;
    EXPECT_EQ(Occurrences(log, ",post:"), 2) << log;
    EXPECT_TRUE(WaitFor([&] {
        return ConnectionPane().contains(QStringLiteral("止损触发: rb2705 卖出平仓 4手 价3190 "));
    })) << ConnectionPane().toStdString();
    EXPECT_TRUE(
        WaitFor([&] { return list->GetItemCount() == 1 && list->GetItemText(0, 2) == "1"; }));
}

TEST_F(ShanghaiCloseTest, ARefusedFirstLegOfAFiredStopSendsNoSecondAndSaysSo) {
    SetRules(0, QStringLiteral("3190"), QStringLiteral("5"));
    BackEnd().RejectNextOrder("资金账户冻结");
    QSignalSpy answered(frame->Stepper(), &TradingStepper::closeOrderAnswered);
    BackEnd().SetQuote("rb2705", 3189, 3188, 3190);
    ASSERT_TRUE(answered.wait(5000));
    ASSERT_TRUE(StepsRun());
    EXPECT_EQ(answered.count(), 1);
    EXPECT_FALSE(answered.at(0).at(0).toBool());
    EXPECT_EQ(Sent(), (Sends{"2/2"}));
    EXPECT_TRUE(WaitFor([&] {
        return ConnectionPane().contains(QStringLiteral("止损止盈平仓失败: rb2705 资金账户冻结")) &&
               ConnectionPane().contains(QStringLiteral("平仓 3手未发送"));
    })) << ConnectionPane().toStdString();
    EXPECT_EQ(list->GetItemText(0, 2), "5") << "nothing was closed";
    EXPECT_EQ(panel->State().CloseOrdersOut(), 0);
}

}  // namespace
}  // namespace ft::ui
