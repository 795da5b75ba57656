// The market views against the reference back-end started in the test.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>
#include <QFile>
#include <QLabel>
#include <QTest>

#include <chrono>
#include <filesystem>

#include "core/text.h"
#include "net/quote_feed.h"
#include "simulator.h"
#include "support/recording_effects.h"
#include "ui/controls/list_ctrl.h"
#include "ui/controls/text_controls.h"
#include "ui/controls/xp_button.h"
#include "ui/frame/main_frame.h"
#include "ui/market/contract_list_panel.h"
#include "ui/market/custom_contracts_dialog.h"
#include "ui/market/quote_board_panel.h"
#include "ui/common/text_boundary.h"

namespace ft::ui {
namespace {

class QuietFrame : public CMainFrame {
public:
    using CMainFrame::CMainFrame;

protected:
    void ShowAnnouncement(const QString&) override {}
};

class MarketTest : public ::testing::Test {
protected:
    void SetUp() override {
        ft::testing::TestApp();
        dir = std::filesystem::temp_directory_path() /
              ("ft-market-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir);
        setenv("FT_SYSTEM_ROOT", dir.c_str(), 1);
        SetEffects(std::make_unique<ft::testing::RecordingEffects>(effects));

        fsim::SimOptions options;
        options.webPorts = {0, 0, 0, 0};
        options.quotePorts = {0, 0, 0, 0};
        options.walkIntervalMs = 100;
        options.rngSeed = 3;
        sim = std::make_unique<fsim::Simulator>(options);
        std::string error;
        ASSERT_TRUE(sim->Start(&error)) << error;
        for (int mode = 0; mode < kServerModeCount; ++mode) {
            ServerProfile& p = session.profiles[static_cast<std::size_t>(mode)];
            p.webHost = p.quoteHost = "127.0.0.1";
            p.webPort = std::to_string(sim->WebPort(mode));
            p.quotePort = std::to_string(sim->QuotePort(mode));
        }
        LoginFields login;
        login.userName = "demo";
        login.password = "demo";
        session.SetLogin(login);
        loader.LoadAllTables();
        feed = std::make_unique<QuoteFeed>(session, quotes, [] {});
        frame = std::make_unique<QuietFrame>(session, loader, quotes, [this] { feed->Start(); });
        frame->show();
        board = frame->TopView()->QuoteBoard();
        ASSERT_TRUE(board);
        WaitFor([this] { return board->List()->GetItemCount() > 0; });
    }
    void TearDown() override {
        frame.reset();
        feed.reset();
        loader.WaitIdle();
        sim.reset();
        SetEffects(nullptr);
        unsetenv("FT_SYSTEM_ROOT");
        std::filesystem::remove_all(dir);
    }
    template <typename Condition>
    bool WaitFor(Condition condition, int ms = 5000) {
        for (int waited = 0; waited < ms && !condition(); waited += 20) {
            QTest::qWait(20);
        }
        return condition();
    }
    std::vector<std::string> Column(const CListCtrlCl& list, int column) {
        std::vector<std::string> texts;
        for (int r = 0; r < list.GetItemCount(); ++r)
            texts.push_back(list.GetItemText(r, column));
        return texts;
    }

    std::filesystem::path dir;
    ft::testing::RecordedEffects effects;
    std::unique_ptr<fsim::Simulator> sim;
    SessionState session;
    QuoteBook quotes;
    TableLoader loader{session, quotes};
    std::unique_ptr<QuoteFeed> feed;
    std::unique_ptr<QuietFrame> frame;
    CPriceSubDlg1* board = nullptr;
};

TEST_F(MarketTest, BoardShowsTheCustomListWithLiveQuotes) {
    CListCtrlCl& list = *board->List();
    ASSERT_EQ(list.GetItemCount(), 10);
    EXPECT_EQ(list.GetItemText(0, 0), "rb2705");
    EXPECT_EQ(list.GetItemText(0, 1), Ansi("螺纹钢2705"));
    EXPECT_EQ(list.CellTextColour(0, 0), QColor(111, 94, 16));
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

    ASSERT_TRUE(WaitFor([&] { return !list.GetItemText(0, 2).empty(); }));
    const std::vector<std::string> first = Column(list, 2);
    // The walk moves prices every 100 ms; within a second some row shows a new one.
    EXPECT_TRUE(WaitFor([&] { return Column(list, 2) != first; }, 1000));
    for (int r = 0; r < list.GetItemCount(); ++r) {
        const QColor c = list.CellTextColour(r, 2);
        EXPECT_TRUE(c == QColor(255, 0, 0) || c == QColor(0, 187, 0)) << r;
        EXPECT_FALSE(list.GetItemText(r, 13).empty()) << "limit-up shown";
    }
}

TEST_F(MarketTest, ContractListShowsTheCatalogueStriped) {
    const CListCtrlCl& list = *frame->TopView()->ContractList();
    EXPECT_EQ(list.GetItemCount(), 30);
    EXPECT_EQ(list.GetItemText(0, 1), "rb2705");
    EXPECT_EQ(list.CellBackground(0, 3, false), QColor(240, 240, 240));
    EXPECT_EQ(list.CellBackground(1, 3, false), QColor(255, 255, 245));
    EXPECT_EQ(list.CellBackground(2, 9, false), QColor(240, 240, 240));
    EXPECT_EQ(list.CellTextColour(4, 1), QColor(111, 94, 16));
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
    EXPECT_EQ(list.GetItemText(499, 1), "c499");
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
    COptHyDlg dialog(session, frame->TopView()->ContractList(), frame.get());
    EXPECT_EQ(dialog.CustomList()->GetItemCount(), 10);
    EXPECT_EQ(dialog.AllList()->GetItemCount(), 30);

    // The filter narrows the left list as the trader types.
    dialog.FilterBox()->setText(QStringLiteral("沪锌"));
    ASSERT_EQ(dialog.AllList()->GetItemCount(), 1);
    dialog.AllList()->SelectRow(0);
    dialog.OnAdd();
    dialog.OnAdd();  // already there: nothing happens
    EXPECT_EQ(dialog.CustomList()->GetItemCount(), 11);

    // Move the new contract up twice, then drop the first row.
    dialog.CustomList()->SelectRow(10);
    dialog.OnUp();
    dialog.OnUp();
    EXPECT_EQ(dialog.CustomList()->GetItemText(8, 0), "zn2702");
    EXPECT_EQ(dialog.CustomList()->GetFirstSelectedRow(), 8);
    dialog.CustomList()->SelectRow(0);
    dialog.OnUp();  // first row: nothing
    dialog.OnRemove();
    const auto expected = dialog.CustomContracts();
    ASSERT_EQ(expected.size(), 10u);
    dialog.OnOk();
    EXPECT_EQ(effects.Messages(), std::vector<QString>{QStringLiteral("通知|修改完成")});

    board->Reload();
    ASSERT_TRUE(WaitFor([&] { return board->List()->GetItemCount() == 10; }));
    QTest::qWait(200);
    EXPECT_EQ(Column(*board->List(), 0)[0], expected[0].code);
    EXPECT_EQ(Column(*board->List(), 0)[7], "zn2702");
    EXPECT_EQ(board->List()->CellTextColour(9, 0), QColor(111, 94, 16));
}

TEST_F(MarketTest, TheCustomListCannotBeSavedOverWhenItCouldNotBeRead) {
    sim->control(0).CloseWebConnections(true);
    {
        COptHyDlg dialog(session, frame->TopView()->ContractList(), frame.get());
        EXPECT_EQ(dialog.CustomList()->GetItemCount(), 0);
        EXPECT_FALSE(dialog.OkButton()->isEnabled());
        EXPECT_EQ(effects.Messages(),
                  std::vector<QString>{QStringLiteral("通知|读取自选合约失败，无法修改")});
    }
    sim->control(0).CloseWebConnections(false);
    COptHyDlg dialog(session, frame->TopView()->ContractList(), frame.get());
    EXPECT_EQ(dialog.CustomList()->GetItemCount(), 10) << "the back-end still has the list";
    EXPECT_TRUE(dialog.OkButton()->isEnabled());
}

TEST_F(MarketTest, AReloadWhileALoadIsSlowShowsTheListOnceAndDoesNotBlock) {
    sim->control(0).StallWeb(600);
    const auto started = std::chrono::steady_clock::now();
    board->Reload();
    board->Reload();
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(300));
    EXPECT_EQ(board->List()->GetItemCount(), 0);
    ASSERT_TRUE(WaitFor([&] { return board->List()->GetItemCount() > 0; }));
    QTest::qWait(1500);  // both stalled answers are in by now
    EXPECT_EQ(board->List()->GetItemCount(), 10);
    EXPECT_EQ(board->Codes().size(), 10u);
    sim->control(0).StallWeb(0);
}

TEST_F(MarketTest, ExportWritesTheRowsShownAsGbkCsv) {
    ASSERT_TRUE(WaitFor([&] { return !board->List()->GetItemText(9, 2).empty(); }));
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
