#include <gtest/gtest.h>
#include <QApplication>
#include <QFontMetrics>
#include <QMessageBox>
#include <QPaintEvent>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <array>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "core/layout_store.h"
#include "core/session_state.h"
#include "core/text.h"
#include "net/quote_book.h"
#include "net/table_loaders.h"
#include "support/quote_records.h"
#include "support/recording_effects.h"
#include "support/temp_dir_test.h"
#include "ui/common/effects.h"
#include "ui/common/text_boundary.h"
#include "ui/controls/gradient_button.h"
#include "ui/controls/list_ctrl.h"
#include "ui/controls/list_kit.h"
#include "ui/controls/text_controls.h"
#include "ui/market/quote_board_panel.h"

namespace ft::ui {
namespace {

class ControlsTest : public ::testing::Test {
protected:
    void SetUp() override { ft::testing::TestApp(); }
};

void Fill(CListCtrlCl& list, int rows) {
    for (int r = 0; r < rows; ++r) {
        list.AppendItem("row" + std::to_string(r));
    }
}

TEST_F(ControlsTest, ColourListsSurviveRowDeletion) {
    CListCtrlCl list;
    list.InsertColumn(0, Ansi("合约"), 70);
    list.InsertColumn(1, Ansi("价"), 70);
    list.InsertColumn(2, "c", 70);
    list.InsertColumn(3, "d", 70);
    Fill(list, 4);
    list.SetCellTextColour(3, 2, QColor(255, 0, 0));
    list.AddCellBackground(1, 1, QColor(240, 240, 240));
    list.AddCellBackground(1, 1, QColor(1, 2, 3));  // appended after: the first one wins
    list.AddColumnBackground(1, QColor(9, 9, 9));
    list.SetColumnTextColour(0, QColor(111, 94, 16));

    list.DeleteAllItems();
    EXPECT_EQ(list.GetItemCount(), 0);
    Fill(list, 3);
    EXPECT_EQ(list.CellTextColour(2, 3), QColor(255, 0, 0)) << "kept by index";
    EXPECT_EQ(list.CellTextColour(1, 3), QColor(0, 0, 0));
    EXPECT_EQ(list.CellTextColour(2, 0), QColor(111, 94, 16));
    EXPECT_EQ(list.CellBackground(1, 1, false), QColor(240, 240, 240)) << "cell beats column";
    EXPECT_EQ(list.CellBackground(0, 1, false), QColor(9, 9, 9));
    EXPECT_EQ(list.CellBackground(0, 2, false), QColor(255, 255, 255));
    EXPECT_EQ(list.CellBackground(1, 1, true), QColor(200, 240, 240)) << "selection wins";
    EXPECT_EQ(list.CellTextColour(2, 3), QColor(255, 0, 0)) << "selected rows keep text colours";

    // Replacing a cell's text colour replaces its entry.
    list.SetCellTextColour(3, 2, QColor(0, 187, 0));
    EXPECT_EQ(list.CellTextColour(2, 3), QColor(0, 187, 0));

    // Deleting one row moves the texts up but leaves the colours at their indexes.
    list.SetItemText(1, 0, "one");
    list.SetItemText(2, 0, "two");
    ASSERT_TRUE(list.DeleteItem(1));
    EXPECT_EQ(list.GetItemText(1, 0), "two");
    EXPECT_EQ(list.GetItemCount(), 2);
    EXPECT_FALSE(list.DeleteItem(5));
}

TEST_F(ControlsTest, CellIsRewrittenOnlyWhenItsTextChanges) {
    CListCtrlCl list;
    list.InsertColumn(0, "a", 50);
    list.InsertColumn(1, "b", 50);
    Fill(list, 2);
    QSignalSpy changed(list.model(), &QAbstractItemModel::dataChanged);
    EXPECT_TRUE(list.SetItemTextIfChanged(1, 1, "3500"));
    EXPECT_FALSE(list.SetItemTextIfChanged(1, 1, "3500"));
    EXPECT_TRUE(list.SetItemTextIfChanged(1, 1, "3501"));
    EXPECT_FALSE(list.SetItemTextIfChanged(7, 1, "x")) << "outside the list nothing is written";
    EXPECT_FALSE(list.SetItemTextIfChanged(0, 9, "x"));
    EXPECT_EQ(changed.count(), 2);
    EXPECT_EQ(list.GetItemText(1, 1), "3501");
    EXPECT_EQ(list.GetItemText(9, 9), "");

    // GBK in, UTF-16 on screen.
    list.SetItemText(0, 1, Ansi("螺纹钢"));
    EXPECT_EQ(list.model()->data(list.model()->index(0, 1)).toString(), QStringLiteral("螺纹钢"));
    EXPECT_EQ(list.model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("b"));
}

// Collects the regions the viewport is asked to paint.
class PaintSpy : public QObject {
public:
    QRegion painted;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            painted += static_cast<QPaintEvent*>(event)->region();
        return false;
    }
};

TEST_F(ControlsTest, ACellWhoseColourChangesIsPaintedAgainEvenWithTheSameText) {
    CListCtrlCl list;
    list.InsertColumn(0, "a", 60);
    list.InsertColumn(1, "b", 60);
    Fill(list, 3);
    list.SetItemText(2, 1, "0.12%");
    list.resize(200, 120);
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    PaintSpy spy;
    list.viewport()->installEventFilter(&spy);
    const QRect cell = list.visualRect(list.model()->index(2, 1));

    list.SetCellTextColour(1, 2, QColor(0, 187, 0));
    QApplication::processEvents();
    EXPECT_TRUE(spy.painted.contains(cell.center()));

    spy.painted = QRegion();
    list.SetCellTextColour(1, 2, QColor(0, 187, 0));  // the same colour: nothing to paint
    QApplication::processEvents();
    EXPECT_TRUE(spy.painted.isEmpty());
}

// A two-field record and its row rule for the table-backed list.
struct Pair {
    char key[8];
    char value[8];
};
int ruleRuns = 0;
void PairRule(const std::array<std::string_view, 2>& shown, const Pair& record,
              std::vector<CellWrite>& writes) {
    ++ruleRuns;
    writes.clear();
    for (int c = 0; c < 2; ++c) {
        const std::string_view text = c == 0 ? record.key : record.value;
        if (shown[static_cast<std::size_t>(c)] != text) {
            writes.push_back({c, std::string(text), std::nullopt});
        }
    }
}

TEST_F(ControlsTest, ATableBackedListRewritesOnlyTheRowsWhoseRecordChanged) {
    CListCtrlCl list;
    list.InsertColumn(0, "k", 60);
    list.InsertColumn(1, "v", 60);
    list.AppendItem("old");
    EXPECT_EQ(list.AppendItems(2), 1);
    EXPECT_EQ(list.GetItemCount(), 3);
    EXPECT_EQ(list.ItemText(2, 0), "");

    auto table = std::make_shared<std::array<Pair, 3>>(
        std::array<Pair, 3>{{{"a", "1"}, {"b", "2"}, {"c", "3"}}});
    TableRows<Pair, 2> rows(PairRule);
    std::vector<const Pair*> records{&(*table)[0], &(*table)[1], &(*table)[2]};
    EXPECT_EQ(rows.Fill(list, table, records), 6);
    EXPECT_EQ(list.GetItemCount(), 3);
    EXPECT_EQ(list.ItemText(1, 1), "2");
    EXPECT_TRUE(rows.Shows(table.get()));

    // A reload with one record changed: only that row is looked at.
    auto next = std::make_shared<std::array<Pair, 3>>(*table);
    std::snprintf((*next)[2].value, 8, "%s", "9");
    EXPECT_FALSE(rows.Shows(next.get()));
    ruleRuns = 0;
    EXPECT_EQ(rows.Update(list, next, {&(*next)[0], &(*next)[1], &(*next)[2]}), 1);
    EXPECT_EQ(ruleRuns, 1);
    EXPECT_EQ(list.ItemText(2, 1), "9");
    EXPECT_TRUE(rows.Shows(next.get()));
}

// The model answers the delegate: texts, colours and alignment are roles, and a colour set
// on a cell reaches the screen.
TEST_F(ControlsTest, RolesCarryTextsColoursAndAlignmentAndTheDelegatePaintsThem) {
    CListCtrlCl list;
    list.InsertColumn(0, "a", 80);
    list.InsertColumn(1, "b", 80);
    list.SetAlignment("02");
    Fill(list, 3);
    list.SetItemText(1, 1, Ansi("螺纹"));
    list.SetCellTextColour(1, 1, QColor(255, 0, 0));
    list.AddCellBackground(2, 0, QColor(10, 200, 30));
    list.AddColumnBackground(1, QColor(240, 240, 240));
    const QAbstractItemModel& model = *list.model();
    const auto role = [&model](int row, int column, int r) {
        return model.data(model.index(row, column), r);
    };
    EXPECT_EQ(role(1, 1, Qt::DisplayRole).toString(), QStringLiteral("螺纹"));
    EXPECT_EQ(role(1, 1, Qt::ForegroundRole).value<QColor>(), QColor(255, 0, 0));
    EXPECT_FALSE(role(0, 0, Qt::ForegroundRole).isValid()) << "no colour: the list's default";
    EXPECT_EQ(role(2, 0, Qt::BackgroundRole).value<QColor>(), QColor(10, 200, 30));
    EXPECT_EQ(role(0, 1, Qt::BackgroundRole).value<QColor>(), QColor(240, 240, 240));
    EXPECT_EQ(role(0, 1, Qt::TextAlignmentRole).value<Qt::Alignment>() & Qt::AlignHorizontal_Mask,
              Qt::AlignRight);
    EXPECT_FALSE(role(7, 0, Qt::DisplayRole).isValid()) << "nothing outside the rows";

    list.resize(200, 120);
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    const QImage image = list.viewport()->grab().toImage();
    const QRect stripe = list.visualRect(model.index(2, 0));
    const QRect plain = list.visualRect(model.index(0, 0));
    // The cells' left margin holds no text: only the background shows there.
    EXPECT_EQ(image.pixelColor(stripe.left() + 2, stripe.center().y()), QColor(10, 200, 30));
    EXPECT_EQ(image.pixelColor(plain.left() + 2, plain.center().y()), QColor(255, 255, 255));
    bool red = false;
    const QRect cell = list.visualRect(model.index(1, 1));
    for (int x = cell.left(); x <= cell.right() && !red; ++x) {
        for (int y = cell.top(); y <= cell.bottom() && !red; ++y) {
            const QColor c = image.pixelColor(x, y);
            red = c.red() > 200 && c.green() < 80 && c.blue() < 80;
        }
    }
    EXPECT_TRUE(red) << "the text is drawn in its foreground colour";
}

// A record keyed by a string, and its row rule for the keyed list.
struct Keyed {
    std::string key;
    std::string value;
    friend bool operator==(const Keyed&, const Keyed&) = default;
};
int keyedRuleRuns = 0;
void KeyedRule(const std::array<std::string_view, 2>& shown, const Keyed& record,
               std::vector<CellWrite>& writes) {
    ++keyedRuleRuns;
    writes.clear();
    if (shown[0] != record.key) {
        writes.push_back({0, record.key, Rgb{1, 2, 3}});
    }
    if (shown[1] != record.value) {
        writes.push_back({1, record.value, std::nullopt});
    }
}
std::string_view KeyOf(const Keyed& record) {
    return record.key;
}

std::vector<std::string> Keys(const CListCtrlCl& list) {
    std::vector<std::string> keys;
    keys.reserve(static_cast<std::size_t>(list.GetItemCount()));
    for (int r = 0; r < list.GetItemCount(); ++r) {
        keys.push_back(list.ItemText(r, 0));
    }
    return keys;
}

TEST_F(ControlsTest, KeyedRowsInsertRemoveAndMoveWithTheFewestWrites) {
    CListCtrlCl list;
    list.InsertColumn(0, "k", 60);
    list.InsertColumn(1, "v", 60);
    KeyedRows<Keyed, 2> rows(KeyedRule, KeyOf);
    std::vector<Keyed> records{{"a", "1"}, {"b", "2"}, {"c", "3"}, {"d", "4"}};
    EXPECT_EQ(rows.Update(list, records), 8);
    EXPECT_EQ(Keys(list), (std::vector<std::string>{"a", "b", "c", "d"}));
    list.SetCellTextColour(1, 3, QColor(200, 0, 0));  // "d" shows its value in red

    QSignalSpy inserted(list.model(), &QAbstractItemModel::rowsInserted);
    QSignalSpy removed(list.model(), &QAbstractItemModel::rowsRemoved);
    QSignalSpy moved(list.model(), &QAbstractItemModel::rowsMoved);
    QSignalSpy reset(list.model(), &QAbstractItemModel::modelReset);

    // Nothing changed: no rule runs, nothing written.
    keyedRuleRuns = 0;
    EXPECT_EQ(rows.Update(list, records), 0);
    EXPECT_EQ(keyedRuleRuns, 0);

    // "d" moves to the top, "b" goes, "e" comes, "c" changes its value.
    records = {{"d", "4"}, {"a", "1"}, {"e", "5"}, {"c", "9"}};
    keyedRuleRuns = 0;
    EXPECT_EQ(rows.Update(list, records), 3) << "e's two cells and c's value";
    EXPECT_EQ(keyedRuleRuns, 2);
    EXPECT_EQ(Keys(list), (std::vector<std::string>{"d", "a", "e", "c"}));
    EXPECT_EQ(list.ItemText(3, 1), "9");
    EXPECT_EQ(moved.count(), 1);
    EXPECT_EQ(removed.count(), 1);
    EXPECT_EQ(inserted.count(), 1);
    EXPECT_EQ(reset.count(), 0);
    EXPECT_EQ(list.CellTextColour(0, 1), QColor(200, 0, 0)) << "a moved row keeps its colours";
    EXPECT_EQ(list.CellTextColour(2, 0), QColor(1, 2, 3));
    EXPECT_EQ(list.CellTextColour(2, 1), QColor(0, 0, 0)) << "a new row has no old colours";

    // Emptied and filled again.
    EXPECT_EQ(rows.Update(list, std::vector<Keyed>{}), 0);
    EXPECT_EQ(list.GetItemCount(), 0);
    EXPECT_EQ(rows.Update(list, std::vector<Keyed>{{"x", "1"}}), 2);
    EXPECT_EQ(Keys(list), (std::vector<std::string>{"x"}));
}

// Column widths registered under a name: restored when the list is built again, and written
// to layout.ini once the trader has stopped dragging, not on every step of the drag.
class ColumnWidthTest : public ft::testing::TempDirTest {
protected:
    void SetUp() override {
        TempDirTest::SetUp();
        ft::testing::TestApp();
    }
    static void BuildList(CListCtrlCl& list) {
        for (int c = 0; c < 3; ++c) {
            list.InsertColumn(c, "c", 60);
        }
    }
};

TEST_F(ColumnWidthTest, AWidthDraggedOnceIsWrittenOnceAndRestoredAtTheNextStart) {
    const std::filesystem::path file = dir / kLayoutFileName;
    {
        CListCtrlCl list;
        BuildList(list);
        KeepColumnWidths(list, "test_list");
        EXPECT_EQ(list.columnWidth(1), 60) << "nothing saved yet";
        list.resize(300, 100);
        list.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));

        // Drags the border between columns 1 and 2 by 40 px in several steps.
        QHeaderView* header = list.Header();
        const QPoint border(header->sectionViewportPosition(1) + 60 - 1, header->height() / 2);
        QTest::mousePress(header->viewport(), Qt::LeftButton, Qt::NoModifier, border);
        for (int step = 1; step <= 4; ++step) {
            const QPoint at = border + QPoint(10 * step, 0);
            QMouseEvent move(QEvent::MouseMove, at, header->viewport()->mapToGlobal(at),
                             Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(header->viewport(), &move);
            EXPECT_FALSE(std::filesystem::exists(file)) << "not while the drag goes on";
        }
        QTest::mouseRelease(header->viewport(), Qt::LeftButton, Qt::NoModifier,
                            border + QPoint(40, 0));
        ASSERT_EQ(list.columnWidth(1), 100);
        ASSERT_TRUE(QTest::qWaitFor([&] { return std::filesystem::exists(file); }, 3000));
        EXPECT_EQ(ReadColumnWidths("test_list"), (std::vector<int>{60, 100, 60}));
        std::filesystem::remove(file);
        // The keeper has nothing left to write: no second write can come.
        EXPECT_FALSE(ColumnWidthWritePending(list));
        EXPECT_FALSE(std::filesystem::exists(file)) << "one drag, one write";
        WriteColumnWidths("test_list", {60, 100, 60});
    }
    CListCtrlCl again;
    BuildList(again);
    KeepColumnWidths(again, "test_list");
    EXPECT_EQ(again.columnWidth(1), 100);
    EXPECT_EQ(again.columnWidth(2), 60);
}

TEST_F(ColumnWidthTest, AResizeRightBeforeTheListGoesAwayIsKept) {
    {
        CListCtrlCl list;
        BuildList(list);
        KeepColumnWidths(list, "test_list");
        list.Header()->resizeSection(2, 75);
    }
    EXPECT_EQ(ReadColumnWidths("test_list"), (std::vector<int>{60, 60, 75}));
}

// Columns that cut their texts grow while the list has room beside its columns and keep the
// original widths where it has none; a width the trader dragged (or kept from the last run)
// rules from then on, and the list's own fitting is never written to layout.ini.
TEST_F(ColumnWidthTest, RoomyColumnsGrowIntoFreeRoomUntilTheTraderSetsWidths) {
    static constexpr std::array<ColumnSpec, 3> kColumns{{
        {"code", 60, Align::Left},
        {"name", 60, Align::Left, kNoField, 100},
        {"time", 60, Align::Left, kNoField, 90},
    }};
    const std::filesystem::path file = dir / kLayoutFileName;
    CListCtrlCl list;
    BuildColumns(list, kColumns);
    KeepColumnWidths(list, "roomy_list");
    list.resize(200, 100);  // a viewport of under 200 px: 180 columns and no more than 20 spare
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    const int spare = list.viewport()->width() - 180;
    ASSERT_GE(spare, 0);
    ASSERT_LT(spare, 40);
    EXPECT_EQ(ColumnWidths(list), (std::vector<int>{60, 60 + spare, 60})) << "first come first";

    list.resize(400, 100);
    QApplication::processEvents();
    EXPECT_EQ(ColumnWidths(list), (std::vector<int>{60, 100, 90}));
    list.resize(150, 100);
    QApplication::processEvents();
    EXPECT_EQ(ColumnWidths(list), (std::vector<int>{60, 60, 60})) << "no room: the originals";
    EXPECT_FALSE(ColumnWidthWritePending(list)) << "the list's fitting is not the trader's";
    EXPECT_FALSE(std::filesystem::exists(file));

    list.resize(400, 100);
    QApplication::processEvents();
    list.Header()->resizeSection(0, 70);  // as a drag ends
    list.resize(150, 100);
    QApplication::processEvents();
    EXPECT_EQ(ColumnWidths(list), (std::vector<int>{70, 100, 90})) << "the trader's widths stay";
    EXPECT_TRUE(QTest::qWaitFor([&] { return std::filesystem::exists(file); }, 3000));
    EXPECT_EQ(ReadColumnWidths("roomy_list"), (std::vector<int>{70, 100, 90}));

    CListCtrlCl again;
    BuildColumns(again, kColumns);
    KeepColumnWidths(again, "roomy_list");
    again.resize(150, 100);
    again.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&again));
    EXPECT_EQ(ColumnWidths(again), (std::vector<int>{70, 100, 90})) << "kept from the last run";
}

TEST_F(ControlsTest, TooWideACellTextKeepsItsStartAndEndsInAnEllipsis) {
    CListCtrlCl list;
    const QFont& font = list.CellFont();
    const QString turnover = QStringLiteral("13385270");
    const int wide = QFontMetrics(font).horizontalAdvance(turnover) + 2;
    EXPECT_EQ(FitCellText(turnover, font, wide), turnover);
    const QString cut = FitCellText(turnover, font, wide / 2);
    EXPECT_TRUE(cut.startsWith(QStringLiteral("13"))) << cut.toStdString();
    EXPECT_TRUE(cut.endsWith(QChar(0x2026))) << cut.toStdString();
}

TEST_F(ControlsTest, SelectionAlignmentRowsAndHeader) {
    CListCtrlCl list;
    list.InsertColumn(0, "a", 70);
    list.InsertColumn(1, "b", 90);
    list.InsertColumn(2, "c", 60);
    list.SetAlignment("012");
    EXPECT_EQ(list.CellAlignment(0), Qt::AlignLeft);
    EXPECT_EQ(list.CellAlignment(1), Qt::AlignHCenter);
    EXPECT_EQ(list.CellAlignment(2), Qt::AlignRight);
    EXPECT_EQ(list.CellAlignment(3), Qt::AlignLeft) << "a missing character means left";

    Fill(list, 5);
    EXPECT_EQ(list.GetFirstSelectedRow(), -1);
    list.SelectRow(3);
    EXPECT_EQ(list.GetFirstSelectedRow(), 3);
    list.ClearSelection();
    EXPECT_EQ(list.GetFirstSelectedRow(), -1);

    list.UseTallRows();
    EXPECT_EQ(list.rowHeight(0), 22);
    EXPECT_EQ(list.columnWidth(1), 90);

    const int standard = list.Header()->StandardHeight();
    list.Header()->heightFactor = 1.5f;
    EXPECT_EQ(list.Header()->sizeHint().height(), static_cast<int>(standard * 1.5));

    list.SetLockColumnWidths(true);
    EXPECT_EQ(list.Header()->sectionResizeMode(0), QHeaderView::Fixed);
    list.resize(400, 200);
    list.show();
    list.grab().save(QStringLiteral("/tmp/ft-list.png"));
}

// A list with no row selected is worked from the keyboard: the first Up or Down selects a
// row the trader sees, the next ones move it.
TEST_F(ControlsTest, UpOrDownSelectsARowWhenNoneIsSelected) {
    CListCtrlCl list;
    list.InsertColumn(0, "c", 80);
    Fill(list, 3);
    list.resize(200, 160);
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    list.setCurrentIndex(list.model()->index(2, 0));  // a current cell, no selection
    list.ClearSelection();
    ASSERT_EQ(list.GetFirstSelectedRow(), -1);
    QTest::keyClick(&list, Qt::Key_Down);
    EXPECT_EQ(list.GetFirstSelectedRow(), 2) << "the current row, not a row past the end";
    QTest::keyClick(&list, Qt::Key_Up);
    EXPECT_EQ(list.GetFirstSelectedRow(), 1);

    CListCtrlCl fresh;
    fresh.InsertColumn(0, "c", 80);
    Fill(fresh, 2);
    fresh.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&fresh));
    fresh.setCurrentIndex(QModelIndex());
    QTest::keyClick(&fresh, Qt::Key_Up);
    EXPECT_EQ(fresh.GetFirstSelectedRow(), 0);
}

TEST_F(ControlsTest, ClickSignalsCarryRowAndColumn) {
    CListCtrlCl list;
    list.InsertColumn(0, "a", 70);
    list.InsertColumn(1, "b", 70);
    list.UseTallRows();
    Fill(list, 3);
    list.resize(200, 150);
    list.show();
    QSignalSpy clicked(&list, &CListCtrlCl::itemClicked);
    QSignalSpy right(&list, &CListCtrlCl::itemRightClicked);
    const QRect cell = list.visualRect(list.model()->index(1, 1));
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, cell.center());
    ASSERT_EQ(clicked.count(), 1);
    EXPECT_EQ(clicked[0][0].toInt(), 1);
    EXPECT_EQ(clicked[0][1].toInt(), 1);
    EXPECT_EQ(list.GetFirstSelectedRow(), 1);
    const QRect other = list.visualRect(list.model()->index(2, 0));
    QTest::mouseClick(list.viewport(), Qt::RightButton, {}, other.center());
    ASSERT_EQ(right.count(), 1);
    EXPECT_EQ(right[0][0].toInt(), 2);
    EXPECT_EQ(list.GetFirstSelectedRow(), 2);
}

TEST_F(ControlsTest, EnterClicksTheButtonOnKeyUpOnly) {
    QWidget window;
    auto* button = new CXPButton(QStringLiteral("登陆"), &window);
    button->resize(75, 24);
    window.show();
    button->setFocus();
    QSignalSpy clicked(button, &QPushButton::clicked);
    QTest::keyPress(button, Qt::Key_Return);
    EXPECT_EQ(clicked.count(), 0);
    QTest::keyRelease(button, Qt::Key_Return);
    EXPECT_EQ(clicked.count(), 1);
    QTest::keyClick(button, Qt::Key_Enter);
    EXPECT_EQ(clicked.count(), 2);
    button->setEnabled(false);
    QTest::keyClick(button, Qt::Key_Return);
    EXPECT_EQ(clicked.count(), 2);
    button->setEnabled(true);
    button->grab().save(QStringLiteral("/tmp/ft-button.png"));
}

// Enter that dismissed a message box comes up on the button that has the focus afterwards
// (on the login dialog: 退出, once 登录 is disabled while it logs in); that must not click it.
TEST_F(ControlsTest, AnEnterKeyUpWithoutItsPressDoesNotClick) {
    QWidget window;
    auto* button = new CXPButton(QStringLiteral("退出"), &window);
    button->resize(75, 24);
    auto* other = new QPushButton(QStringLiteral("确定"), &window);
    other->move(0, 30);
    window.show();
    QSignalSpy clicked(button, &QPushButton::clicked);
    QTest::keyRelease(button, Qt::Key_Return);
    EXPECT_EQ(clicked.count(), 0);
    // The key went down on another window's button (a message box that closed on it).
    QTest::keyPress(other, Qt::Key_Return);
    QTest::keyRelease(button, Qt::Key_Return);
    EXPECT_EQ(clicked.count(), 0) << "the press belonged to another button";
    QTest::keyClick(button, Qt::Key_Return);
    EXPECT_EQ(clicked.count(), 1);
}

// A panel swallows Enter's key-down on its own controls; its buttons still click on the key-up.
TEST_F(ControlsTest, AButtonWhoseKeyDownAFilterSwallowedStillClicks) {
    QWidget window;
    auto* button = new CXPButton(QStringLiteral("下单"), &window);
    struct Swallow : QObject {
        bool eventFilter(QObject*, QEvent* event) override {
            return event->type() == QEvent::KeyPress;
        }
    } swallow;
    button->installEventFilter(&swallow);
    window.show();
    QSignalSpy clicked(button, &QPushButton::clicked);
    QTest::keyClick(button, Qt::Key_Return);
    EXPECT_EQ(clicked.count(), 1);
}

TEST_F(ControlsTest, EditFrameFollowsFocusHoverAndReadOnly) {
    QWidget window;
    auto* edit = new CTEdit(&window);
    auto* other = new CTEdit(&window);
    other->move(0, 40);
    window.show();
    EXPECT_EQ(edit->OuterColour(), QColor(127, 157, 185));
    EXPECT_EQ(edit->InnerColour(), QColor(255, 255, 255));
    edit->setFocus();
    QCoreApplication::processEvents();
    EXPECT_EQ(edit->OuterColour(), QColor(127, 157, 255));
    QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
    QCoreApplication::sendEvent(edit, &enter);
    EXPECT_EQ(edit->InnerColour(), QColor(253, 216, 137));
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(edit, &leave);
    EXPECT_EQ(edit->InnerColour(), QColor(255, 255, 255));

    other->setReadOnly(true);
    QCoreApplication::sendEvent(other, &enter);
    EXPECT_EQ(other->InnerColour(), other->palette().color(QPalette::Base))
        << "a read-only edit never turns white or orange";

    CTStatic label(QStringLiteral("账号"));
    EXPECT_EQ(label.TextColour(), QColor(0, 0, 0));
}

// A row rule's writes: only changed texts are written, colours are kept, and the list repaints
// the cells of that row only, once.
TEST_F(ControlsTest, RowWritesRepaintOnlyTheirRowOnce) {
    CListCtrlCl list;
    for (int c = 0; c < 4; ++c) {
        list.InsertColumn(c, "c", 50);
    }
    Fill(list, 4);
    list.SetItemText(1, 1, "3500");
    list.SetItemText(1, 3, "7");
    list.resize(260, 160);
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    PaintSpy spy;
    list.viewport()->installEventFilter(&spy);
    int changes = 0;
    QObject::connect(list.model(), &QAbstractItemModel::dataChanged, [&changes] { ++changes; });

    const std::vector<CellWrite> writes{
        {1, "3501", Rgb{255, 0, 0}}, {2, "x", std::nullopt}, {3, "7", std::nullopt}};
    EXPECT_EQ(list.WriteRow(1, writes), 2) << "column 3 already shows 7";
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(list.GetItemText(1, 1), "3501");
    EXPECT_EQ(list.CellTextColour(1, 1), QColor(255, 0, 0));
    QApplication::processEvents();
    const QRect row = list.visualRect(list.model()->index(1, 1))
                          .united(list.visualRect(list.model()->index(1, 3)));
    EXPECT_TRUE(spy.painted.contains(row.center()));
    EXPECT_TRUE(row.contains(spy.painted.boundingRect())) << "other rows are not repainted";

    spy.painted = QRegion();
    EXPECT_EQ(list.WriteRow(1, writes), 0);
    EXPECT_EQ(changes, 1) << "nothing changed: nothing announced";
    QApplication::processEvents();
    EXPECT_TRUE(spy.painted.isEmpty());
}

// The whole market on the board: a tick repaints the cells that changed in the rows in sight
// and nothing for rows scrolled away, and a tick with nothing new writes nothing.
TEST_F(ControlsTest, AThousandRowBoardRepaintsOnlyTheChangedCellsInSight) {
    SessionState session;
    QuoteBook quotes;
    TableLoader loader{session, quotes};
    CPriceSubDlg1 board(PaneContext{session, loader, quotes, nullptr});
    board.resize(900, 300);
    for (int i = 0; i < 1000; ++i) {
        board.EnsureRow("C" + std::to_string(i), Ansi("合约"));
    }
    ASSERT_EQ(board.List()->GetItemCount(), 1000);
    const auto setQuotes = [&quotes](const char* last0, const char* last900) {
        std::string text;
        for (int i = 0; i < 1000; ++i) {
            const char* last = i == 0 ? last0 : i == 900 ? last900 : "3500";
            text += (i ? "**" : "") +
                    ft::testing::QuoteRecordText(
                        22, "C" + std::to_string(i),
                        {{QuoteField::LastPrice, last}, {QuoteField::PreSettlement, "3490"}});
        }
        quotes.SetQuoteText(text);
    };
    setQuotes("3500", "3500");
    board.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&board));
    board.Tick();
    QApplication::processEvents();
    ASSERT_EQ(board.List()->ItemText(999, QuoteCol::LastPrice), "3500");
    EXPECT_EQ(board.Tick(), 0) << "nothing new: nothing written";

    CListCtrlCl& list = *board.List();
    PaintSpy spy;
    list.viewport()->installEventFilter(&spy);
    setQuotes("3501", "3501");  // row 0 in sight, row 900 far below
    EXPECT_EQ(board.Tick(), 6) << "last price, change and change percentage of two rows";
    QApplication::processEvents();
    const QRect price = list.visualRect(list.model()->index(0, QuoteCol::LastPrice));
    const QRect changed =
        price.united(list.visualRect(list.model()->index(0, QuoteCol::ChangePercent)));
    EXPECT_TRUE(spy.painted.contains(price.center()));
    EXPECT_TRUE(changed.contains(spy.painted.boundingRect()))
        << "only row 0's changed cells; row 900 costs no paint";
    EXPECT_EQ(list.ItemText(900, QuoteCol::LastPrice), "3501");
    EXPECT_EQ(list.CellTextColour(900, QuoteCol::LastPrice), QColor(255, 0, 0));
}

// A row appended below the rows in sight (a new fill under a long list) costs the scroll range,
// not a repaint of the list; one appended in sight is painted; either can be scrolled to.
TEST_F(ControlsTest, ARowAppendedOutOfSightRepaintsNothingInSight) {
    // Lists lay themselves out and repaint on zero-time timers: a few rounds finish that.
    const auto drain = [] {
        for (int i = 0; i < 3; ++i) {
            QApplication::processEvents();
        }
    };
    const auto show = [&drain](CListCtrlCl& list, int rows) {
        list.InsertColumn(0, "c", 80);
        Fill(list, rows);
        list.resize(200, 160);
        list.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&list));
        drain();
    };
    CListCtrlCl list;
    show(list, 100);
    PaintSpy spy;
    list.viewport()->installEventFilter(&spy);
    const int rangeBefore = list.verticalScrollBar()->maximum();

    list.AppendItem("new");
    drain();
    EXPECT_TRUE(spy.painted.isEmpty()) << "nothing in sight changed";
    EXPECT_GT(list.verticalScrollBar()->maximum(), rangeBefore);
    list.scrollToBottom();
    drain();
    const QModelIndex last = list.indexAt(QPoint(10, list.viewport()->height() - 2));
    EXPECT_EQ(last.row(), 100);
    EXPECT_EQ(list.GetItemText(100, 0), "new");

    CListCtrlCl few;
    show(few, 2);
    PaintSpy fewSpy;
    few.viewport()->installEventFilter(&fewSpy);
    few.AppendItem("new");
    drain();
    EXPECT_TRUE(fewSpy.painted.contains(few.visualRect(few.model()->index(2, 0)).center()));
}

TEST(TextBoundaryTest, OnlyLinesLongerThanTheBoundAreCut) {
    EXPECT_EQ(CutLongLines(QStringLiteral("明天休市\n请注意\n")),
              QStringLiteral("明天休市\n请注意\n"));
    EXPECT_EQ(CutLongLines(QString()), QString());
    EXPECT_EQ(CutLongLines(QStringLiteral("12345\n123456\n\n1234567"), 6),
              QStringLiteral("12345\n123456\n\n123456…"));
    // Never half of a surrogate pair: the emoji goes whole or not at all.
    EXPECT_EQ(CutLongLines(QStringLiteral("12345😀6\nab"), 6), QStringLiteral("12345…\nab"));
    const QString line(qsizetype{3} * 1024 * 1024, QLatin1Char('9'));
    const QString shown = CutLongLines(QStringLiteral("公告\n") + line + QStringLiteral("\n完"));
    EXPECT_EQ(shown, QStringLiteral("公告\n") + line.left(kMaxShownLine) + QStringLiteral("…\n完"));
}

TEST(TextBoundaryTest, GbkAndAsciiBothArriveAsTheirCharacters) {
    EXPECT_EQ(ToQt("3215.5"), QStringLiteral("3215.5"));
    EXPECT_EQ(ToQt(Ansi("螺纹钢2705")), QStringLiteral("螺纹钢2705"));
    EXPECT_EQ(ToQt(std::string("rb\0xx", 5)), QStringLiteral("rb")) << "a zero byte ends the text";
    EXPECT_EQ(ToQt(std::string("1") + Ansi("手")), QStringLiteral("1手"));
    EXPECT_EQ(ToQt(""), QString());
    EXPECT_EQ(FromQt(QStringLiteral("止损")), Ansi("止损"));
}

TEST_F(ControlsTest, APageLongMessageIsCutAndKeptWholeInTheDetails) {
    EXPECT_EQ(FitMessage(QStringLiteral("请输入手数")).shown, QStringLiteral("请输入手数"));
    EXPECT_TRUE(FitMessage(QStringLiteral("请输入手数")).details.isEmpty());

    // One unbroken line, as a pasted page quoted back; the cut never halves an emoji.
    QString unbroken;
    while (unbroken.size() < 5000) {
        unbroken += QStringLiteral("3.5e+中😀");
    }
    for (int shift = 0; shift < 3; ++shift) {
        const QString text = unbroken.mid(shift);
        const FittedMessage fitted = FitMessage(text);
        EXPECT_TRUE(fitted.shown.endsWith(QStringLiteral("…")));
        EXPECT_LE(fitted.shown.size(), 601);
        EXPECT_FALSE(fitted.shown.chopped(1).back().isHighSurrogate()) << shift;
        EXPECT_TRUE(text.startsWith(fitted.shown.chopped(1)));
        EXPECT_EQ(fitted.details, text);
    }

    // Many short lines, as a back-end's page of refusal: cut after the fifteenth.
    QString lines;
    for (int i = 0; i < 200; ++i) {
        lines += QStringLiteral("第%1行\n").arg(i);
    }
    const FittedMessage fitted = FitMessage(lines);
    EXPECT_EQ(fitted.shown.count(QLatin1Char('\n')), 14);
    EXPECT_TRUE(fitted.shown.endsWith(QStringLiteral("第14行…")));
    EXPECT_EQ(fitted.details, lines);
    const QString fifteen = lines.left(lines.indexOf(QStringLiteral("第15行")));
    EXPECT_EQ(FitMessage(fifteen).shown, fifteen) << "fifteen lines and their closing newline fit";
    EXPECT_TRUE(FitMessage(fifteen).details.isEmpty());

    // Behind the details button the text is a text box too: an answer's megabyte on one line
    // is cut there as well, and the whole stays bounded.
    const QString megabyte =
        QStringLiteral("拒绝：") + QString(qsizetype{1024} * 1024, QLatin1Char('x'));
    const FittedMessage huge = FitMessage(megabyte + QStringLiteral("\n") + lines.repeated(40));
    EXPECT_TRUE(huge.details.startsWith(megabyte.left(kMaxShownLine) + QStringLiteral("…\n")));
    EXPECT_LE(huge.details.size(), 64 * 1024 + 1);

    // The real box with such a text fits on the screen, its button in reach.
    ui::SetEffects(nullptr);
    QWidget owner;
    owner.resize(400, 300);
    owner.show();
    bool seen = false;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) {
            ADD_FAILURE() << "no message box";
            if (QWidget* modal = QApplication::activeModalWidget()) {
                modal->close();
            }
            return;
        }
        const QRect screen = box->screen()->availableGeometry();
        EXPECT_LE(box->frameGeometry().height(), screen.height());
        EXPECT_EQ(box->detailedText(), unbroken);
        EXPECT_EQ(box->textFormat(), Qt::PlainText);
        QAbstractButton* ok = box->button(QMessageBox::Ok);
        seen = true;
        if (!ok) {
            ADD_FAILURE() << "no 确定 button";
            box->close();
            return;
        }
        EXPECT_TRUE(screen.contains(ok->mapToGlobal(ok->rect().center())));
        QTest::mouseClick(ok, Qt::LeftButton);
    });
    EXPECT_EQ(
        CurrentEffects().ShowMessage(&owner, unbroken, QStringLiteral("通知"), MessageButtons::Ok),
        MessageResult::Ok);
    EXPECT_TRUE(seen);
}

}  // namespace
}  // namespace ft::ui
