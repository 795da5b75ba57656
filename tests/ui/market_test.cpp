// The market views against the reference back-end started in the test.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>
#include <QFile>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>

#include <chrono>
#include <filesystem>

#include "core/text.h"
#include "net/quote_feed.h"
#include "simulator.h"
#include "support/ui_fixture.h"
#include "ui/common/text_boundary.h"
#include "ui/controls/gradient_button.h"
#include "ui/controls/list_ctrl.h"
#include "ui/controls/text_controls.h"
#include "ui/frame/main_frame.h"
#include "ui/market/contract_list_panel.h"
#include "ui/market/custom_contracts_dialog.h"
#include "ui/market/quote_board_panel.h"
#include "ui/market/top_view.h"

namespace ft::ui {
namespace {

class MarketTest : public ft::testing::UiFixture {
protected:
    void SetUp() override {
        UiFixture::SetUp();
        OpenDemoFrame();
        board = frame->TopView()->QuoteBoard();
        ASSERT_TRUE(board);
        ASSERT_TRUE(WaitFor([this] { return board->List()->GetItemCount() > 0; }));
    }
    std::vector<std::string> Column(const CListCtrlCl& list, int column) {
        std::vector<std::string> texts;
        texts.reserve(static_cast<std::size_t>(list.GetItemCount()));
        for (int r = 0; r < list.GetItemCount(); ++r)
            texts.push_back(list.GetItemText(r, column));
        return texts;
    }

    CPriceSubDlg1* board = nullptr;
};

TEST_F(MarketTest, BoardShowsTheCustomListWithLiveQuotes) {
    CListCtrlCl& list = *board->List();
    ASSERT_EQ(list.GetItemCount(), 10);
    EXPECT_EQ(list.GetItemText(0, QuoteCol::Code), "rb2705");
    EXPECT_EQ(list.GetItemText(0, QuoteCol::Name), Ansi("螺纹钢2705"));
    EXPECT_EQ(list.CellTextColour(0, QuoteCol::Code), QColor(111, 94, 16));
    EXPECT_EQ(board->Codes().size(), 10u);
    const char* titles[] = {"合约",   "合约名", "最新价", "涨跌",   "买价",   "买量",   "卖价",
                            "卖量",   "成交量", "持仓量", "涨跌幅", "昨收盘", "成交额", "涨停价",
                            "跌停价", "今开盘", "昨结算", "最高价", "最低价"};
    const int widths[] = {70, 90, 70, 60, 70, 70, 70, 70, 70, 70,
                          70, 70, 70, 80, 80, 80, 80, 80, 80};
    for (int c = 0; c < 19; ++c) {
        EXPECT_EQ(list.model()->headerData(c, Qt::Horizontal).toString(),
                  QString::fromUtf8(titles[c]));
        EXPECT_EQ(list.columnWidth(c), widths[c]) << c;
        EXPECT_EQ(list.CellAlignment(c), c < 2 ? Qt::AlignLeft : Qt::AlignRight) << c;
    }

    ASSERT_TRUE(WaitFor([&] { return !list.GetItemText(0, QuoteCol::LastPrice).empty(); }));
    const std::vector<std::string> first = Column(list, QuoteCol::LastPrice);
    // The walk moves prices every 100 ms; within a second some row shows a new one.
    EXPECT_TRUE(WaitFor([&] { return Column(list, QuoteCol::LastPrice) != first; }, 1000));
    for (int r = 0; r < list.GetItemCount(); ++r) {
        const QColor c = list.CellTextColour(r, QuoteCol::LastPrice);
        EXPECT_TRUE(c == QColor(255, 0, 0) || c == QColor(0, 187, 0)) << r;
        EXPECT_FALSE(list.GetItemText(r, QuoteCol::UpperLimit).empty()) << "limit-up shown";
    }
}

TEST_F(MarketTest, ContractListShowsTheCatalogueStriped) {
    const CListCtrlCl& list = *frame->TopView()->ContractList();
    EXPECT_EQ(list.GetItemCount(), 30);
    EXPECT_EQ(list.GetItemText(0, ContractCol::Code), "rb2705");
    EXPECT_EQ(list.CellBackground(0, ContractCol::Exchange, false), QColor(240, 240, 240));
    EXPECT_EQ(list.CellBackground(1, ContractCol::Exchange, false), QColor(255, 255, 245));
    EXPECT_EQ(list.CellBackground(2, ContractCol::Commission, false), QColor(240, 240, 240));
    EXPECT_EQ(list.CellTextColour(4, ContractCol::Code), QColor(111, 94, 16));
}

TEST(ContractListTest, ShowsAtMostFiveHundredRowsUnderItsTitles) {
    ft::testing::TestApp();
    SessionState session;
    QuoteBook quotes;
    TableLoader loader{session, quotes};
    auto products = std::make_shared<ProductTable>();
    for (std::size_t i = 0; i < ProductTable::kCapacity; ++i) {
        CopyField(products->rows[i].contractCode, 16, "c" + std::to_string(i));
    }
    session.products.Publish(products);
    CPriceSubDlg2 panel(PaneContext{session, loader, quotes, nullptr});
    const CListCtrlCl& list = *panel.List();
    EXPECT_EQ(list.GetItemCount(), 500);
    EXPECT_EQ(list.GetItemText(499, ContractCol::Code), "c499");
    const char* titles[] = {"品种代码",         "合约",     "合约名",   "交易所", "合约乘数",
                            "最小价格变动单位", "品种类型", "最后日期", "保证金", "手续费"};
    const int widths[] = {80, 110, 120, 90, 80, 120, 80, 110, 80, 190};
    for (int c = 0; c < 10; ++c) {
        EXPECT_EQ(list.model()->headerData(c, Qt::Horizontal).toString(),
                  QString::fromUtf8(titles[c]));
        EXPECT_EQ(list.columnWidth(c), widths[c]) << c;
        EXPECT_EQ(list.CellAlignment(c), c < 9 ? Qt::AlignHCenter : Qt::AlignRight) << c;
    }
}

TEST_F(MarketTest, EditingTheCustomListChangesTheBoard) {
    COptHyDlg dialog(session, frame.get());
    QSignalSpy loaded(&dialog, &COptHyDlg::customListLoaded);
    dialog.show();
    EXPECT_FALSE(dialog.OkButton()->isEnabled()) << "确定 waits for the back-end's list";
    ASSERT_TRUE(loaded.wait(5000));
    EXPECT_EQ(dialog.CustomList()->GetItemCount(), 10);
    EXPECT_EQ(dialog.AllList()->GetItemCount(), 30);

    // The filter narrows the left list as the trader types.
    QTest::keyClicks(dialog.FilterBox(), QStringLiteral("zn"));
    ASSERT_EQ(dialog.AllList()->GetItemCount(), 1);
    ClickRow(*dialog.AllList(), 0);
    QTest::mouseClick(dialog.AddButton(), Qt::LeftButton);
    QTest::mouseClick(dialog.AddButton(), Qt::LeftButton);  // already there: nothing happens
    EXPECT_EQ(dialog.CustomList()->GetItemCount(), 11);

    // Move the new contract up twice, then drop the first row.
    ClickRow(*dialog.CustomList(), 10);
    QTest::mouseClick(dialog.UpButton(), Qt::LeftButton);
    QTest::mouseClick(dialog.UpButton(), Qt::LeftButton);
    EXPECT_EQ(dialog.CustomList()->GetItemText(8, 0), "zn2702");
    EXPECT_EQ(dialog.CustomList()->GetFirstSelectedRow(), 8);
    ClickRow(*dialog.CustomList(), 0);
    QTest::mouseClick(dialog.UpButton(), Qt::LeftButton);  // first row: nothing
    const std::string second = dialog.CustomList()->GetItemText(1, 0);
    QTest::mouseClick(dialog.RemoveButton(), Qt::LeftButton);
    // The selection went with the removed row: a second ← removes nothing more.
    QTest::mouseClick(dialog.RemoveButton(), Qt::LeftButton);
    ASSERT_EQ(dialog.CustomList()->GetItemCount(), 10);
    EXPECT_EQ(dialog.CustomList()->GetItemText(0, 0), second);
    const auto expected = dialog.CustomContracts();

    QSignalSpy accepted(&dialog, &QDialog::accepted);
    QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
    ASSERT_TRUE(accepted.wait(5000));
    EXPECT_EQ(effects.Messages(), std::vector<QString>{QStringLiteral("通知|修改完成")});

    board->Reload();
    ASSERT_TRUE(WaitFor([&] { return board->List()->GetItemCount() == 10; }));
    // The rows take their colours with the board's next tick.
    EXPECT_TRUE(WaitFor(
        [&] { return board->List()->CellTextColour(9, QuoteCol::Code) == QColor(111, 94, 16); }));
    EXPECT_EQ(Column(*board->List(), QuoteCol::Code)[0], expected[0].code);
    EXPECT_EQ(Column(*board->List(), QuoteCol::Code)[7], "zn2702");
    EXPECT_EQ(board->List()->CellTextColour(9, QuoteCol::Code), QColor(111, 94, 16));
}

TEST_F(MarketTest, TheCustomListCannotBeSavedOverWhenItCouldNotBeRead) {
    BackEnd().CloseWebConnections(true);
    {
        COptHyDlg dialog(session, frame.get());
        ASSERT_TRUE(WaitFor([&] { return !effects.Messages().empty(); }));
        EXPECT_EQ(dialog.CustomList()->GetItemCount(), 0);
        EXPECT_FALSE(dialog.OkButton()->isEnabled());
        EXPECT_EQ(effects.Messages(),
                  std::vector<QString>{QStringLiteral("通知|读取自选合约失败，无法修改")});
    }
    BackEnd().CloseWebConnections(false);
    COptHyDlg dialog(session, frame.get());
    QSignalSpy loaded(&dialog, &COptHyDlg::customListLoaded);
    ASSERT_TRUE(loaded.wait(5000));
    EXPECT_EQ(dialog.CustomList()->GetItemCount(), 10) << "the back-end still has the list";
    EXPECT_TRUE(dialog.OkButton()->isEnabled());
}

TEST_F(MarketTest, TheDialogTakesInputWhileTheBackEndIsSlow) {
    BackEnd().StallWeb(1500);
    COptHyDlg dialog(session, frame.get());
    dialog.show();
    // The request is out: the dialog shows that it waits and still takes typing.
    EXPECT_EQ(dialog.cursor().shape(), Qt::BusyCursor);
    QTest::keyClicks(dialog.FilterBox(), QStringLiteral("cu"));
    EXPECT_EQ(dialog.FilterBox()->text(), QStringLiteral("cu"));
    EXPECT_EQ(dialog.CustomList()->GetItemCount(), 0);
    QSignalSpy loaded(&dialog, &COptHyDlg::customListLoaded);
    ASSERT_TRUE(loaded.wait(5000));
    EXPECT_NE(dialog.cursor().shape(), Qt::BusyCursor);
    EXPECT_EQ(dialog.CustomList()->GetItemCount(), 10);
}

TEST_F(MarketTest, AReloadWhileALoadIsSlowShowsTheListOnceAndDoesNotBlock) {
    BackEnd().StallWeb(600);
    const auto started = std::chrono::steady_clock::now();
    board->Reload();
    board->Reload();
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(300));
    EXPECT_EQ(board->List()->GetItemCount(), 0);
    ASSERT_TRUE(WaitFor([&] { return board->List()->GetItemCount() > 0; }));
    ASSERT_TRUE(Settle());  // both stalled answers are in
    EXPECT_EQ(board->List()->GetItemCount(), 10);
    EXPECT_EQ(board->Codes().size(), 10u);
    BackEnd().StallWeb(0);
}

TEST_F(MarketTest, ExportWritesTheRowsShownAsGbkCsv) {
    ASSERT_TRUE(
        WaitFor([&] { return !board->List()->GetItemText(9, QuoteCol::LastPrice).empty(); }));
    const std::filesystem::path file = dir / "board.csv";
    effects.saveFileName = QString::fromStdString(file.string());
    board->Tick();
    ASSERT_TRUE(board->ExportList());
    QFile f(effects.saveFileName);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    const std::string text(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    const std::vector<std::string> lines = [&] {
        std::vector<std::string> out;
        std::size_t start = 0, at;
        while ((at = text.find("\r\n", start)) != std::string::npos) {
            out.push_back(text.substr(start, at - start));
            start = at + 2;
        }
        return out;
    }();
    ASSERT_EQ(lines.size(), 11u);
    EXPECT_EQ(lines[0].substr(0, Ansi("合约,合约名").size()), Ansi("合约,合约名"));
    EXPECT_EQ(lines[1].substr(0, 7), "rb2705,");
    EXPECT_NE(lines[1].find(Ansi("螺纹钢2705")), std::string::npos);

    effects.saveFileName.clear();
    EXPECT_FALSE(board->ExportList()) << "cancelled: nothing written";
}

TEST_F(MarketTest, FundsBarShowsTheAccountFigures) {
    CTopView* top = frame->TopView();
    ASSERT_TRUE(WaitFor([&] { return top->FundsValue(8)->text() != QString(); }, 3000));
    EXPECT_EQ(top->FundsValue(0)->text(), QStringLiteral("1000000.00"));
    EXPECT_EQ(top->FundsValue(2)->text(), QStringLiteral("0"));
    EXPECT_EQ(top->FundsValue(3)->text(), QStringLiteral("1000000"));
    EXPECT_EQ(top->FundsValue(5)->text(), QStringLiteral("0"));
    EXPECT_EQ(top->FundsValue(7)->text(), QStringLiteral("1000000"));
    EXPECT_EQ(top->FundsValue(8)->text(), QStringLiteral("0.0%"));
    EXPECT_EQ(top->FundsValue(7)->palette().color(QPalette::WindowText), QColor(230, 193, 4));
    EXPECT_EQ(top->FundsLabel(0)->text(), QStringLiteral("静态权益"));
    EXPECT_EQ(top->Tabs()->tabText(1), QStringLiteral("合约列表(F6)"));
}

}  // namespace
}  // namespace ft::ui
