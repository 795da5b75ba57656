// CListCtrlEx and its in-place edit, clicked and typed into as the trader does.
#include <gtest/gtest.h>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QInputMethodEvent>
#include <QKeySequence>
#include <QMenu>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>

#include "core/text.h"
#include "support/recording_effects.h"
#include "ui/controls/editable_list.h"

namespace ft::ui {
namespace {

// The 粘贴 entry of a line edit's context menu: its text ends with the paste shortcut.
QAction* PasteAction(const QMenu& menu) {
    const QString key = QKeySequence(QKeySequence::Paste).toString(QKeySequence::NativeText);
    for (QAction* action : menu.actions()) {
        if (action->objectName() == QStringLiteral("edit-paste") ||
            action->text().endsWith(QLatin1Char('\t') + key)) {
            return action;
        }
    }
    return nullptr;
}

// Text dragged over the box and dropped on it.
void Drop(QWidget& target, const QString& text) {
    QMimeData mime;
    mime.setText(text);
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&target, &enter);
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&target, &drop);
}

class EditableListTest : public ::testing::Test {
protected:
    void SetUp() override {
        ft::testing::TestApp();
        for (int c = 0; c < 4; ++c) {
            list.InsertColumn(c, "c" + std::to_string(c), 80);
        }
        list.SetAlignment("0020");
        list.SetColumnKind(1, CListCtrlEx::ColumnKind::Edit);
        list.SetColumnKind(2, CListCtrlEx::ColumnKind::Edit);
        for (int r = 0; r < 3; ++r) {
            const int row = list.AppendItem("time" + std::to_string(r));
            list.SetItemText(row, 1, "100" + std::to_string(r));
            list.SetItemText(row, 3, Ansi("当日"));
        }
        list.resize(400, 200);
        list.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    }
    void Click(int row, int column, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::mouseClick(list.viewport(), Qt::LeftButton, modifiers,
                          list.visualRect(list.model()->index(row, column)).center());
    }

    // The application comes before the list, also when this test runs alone.
    QApplication& app = ft::testing::TestApp();
    CListCtrlEx list;
};

TEST_F(EditableListTest, AClickOnAnEditCellOpensABoxOverItWithItsTextSelected) {
    QSignalSpy starting(&list, &CListCtrlEx::cellEditStarting);
    QSignalSpy clicked(&list, &CListCtrlEx::cellClicked);
    Click(1, 1);
    CInPlaceEdit* editor = list.Editor();
    ASSERT_TRUE(editor);
    EXPECT_EQ(editor->geometry(), list.visualRect(list.model()->index(1, 1)));
    EXPECT_EQ(editor->text(), QStringLiteral("1001"));
    EXPECT_EQ(editor->selectedText(), QStringLiteral("1001"));
    EXPECT_EQ(editor->font(), list.CellFont());
    EXPECT_EQ(CInPlaceEdit::Current(), editor);
    ASSERT_EQ(starting.count(), 1);
    EXPECT_EQ(starting.at(0).at(0).toInt(), 1);
    EXPECT_EQ(starting.at(0).at(1).toInt(), 1);
    ASSERT_EQ(clicked.count(), 1) << "the click is announced after the box opened";
    EXPECT_EQ(list.GetFirstSelectedRow(), 1);
}

TEST_F(EditableListTest, EscapeKeepsTheTextFromBeforeAndTabKeepsWhatWasTyped) {
    QSignalSpy edited(&list, &CListCtrlEx::cellEdited);
    Click(0, 1);
    QTest::keyClicks(list.Editor(), QStringLiteral("3500"));
    QPointer<CInPlaceEdit> first = list.Editor();
    QTest::keyClick(first, Qt::Key_Escape);
    EXPECT_EQ(list.GetItemText(0, 1), "1000");
    ASSERT_EQ(edited.count(), 1) << "a cancelled edit still ends with its notice";
    EXPECT_EQ(edited.at(0).at(2).value<std::string>(), "1000");
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(first) << "the box closes itself";

    Click(0, 2);
    QTest::keyClicks(list.Editor(), QStringLiteral("7"));
    QTest::keyClick(list.Editor(), Qt::Key_Tab);
    EXPECT_EQ(list.GetItemText(0, 2), "7");
    ASSERT_EQ(edited.count(), 2);
    EXPECT_EQ(edited.at(1).at(0).toInt(), 0);
    EXPECT_EQ(edited.at(1).at(1).toInt(), 2);
    EXPECT_EQ(edited.at(1).at(2).value<std::string>(), "7");

    // The arrow keys and Enter end an edit too.
    for (Qt::Key key : {Qt::Key_Up, Qt::Key_Left, Qt::Key_Return}) {
        Click(2, 1);
        QTest::keyClicks(list.Editor(), QStringLiteral("9"));
        QTest::keyClick(list.Editor(), key);
        EXPECT_EQ(list.GetItemText(2, 1), "9") << key;
    }
}

TEST_F(EditableListTest, PlainCellsAndCtrlClicksOpenNothing) {
    QSignalSpy clicked(&list, &CListCtrlEx::cellClicked);
    Click(1, 0);
    Click(1, 3);
    EXPECT_FALSE(list.Editor());
    EXPECT_EQ(clicked.count(), 2);
    Click(2, 1, Qt::ControlModifier);
    EXPECT_FALSE(list.Editor());
    EXPECT_EQ(list.GetFirstSelectedRow(), 2) << "the row is selected all the same";
    EXPECT_EQ(clicked.count(), 2) << "no notice for a click with Ctrl";
    list.SetCellEnabled(0, 1, false);
    Click(0, 1);
    EXPECT_FALSE(list.Editor());
}

TEST_F(EditableListTest, OnlyAllowedCharactersCanBeTypedOrPasted) {
    list.SetAllowedCharacters(0, 1, "0123456789.");
    Click(0, 1);
    CInPlaceEdit* editor = list.Editor();
    ASSERT_TRUE(editor);
    QTest::keyClicks(editor, QStringLiteral("3a5-0.5"));
    EXPECT_EQ(editor->text(), QStringLiteral("350.5"));
    QTest::keyClick(editor, Qt::Key_Backspace);
    EXPECT_EQ(editor->text(), QStringLiteral("350."));
    QApplication::clipboard()->setText(QStringLiteral("12x"));
    QTest::keyClick(editor, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(editor->text(), QStringLiteral("350.")) << "a paste is refused as a whole";
    QApplication::clipboard()->setText(QStringLiteral("12"));
    QTest::keyClick(editor, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(editor->text(), QStringLiteral("350.12"));
    QTest::keyClick(editor, Qt::Key_Return);
    EXPECT_EQ(list.GetItemText(0, 1), "350.12");

    Click(1, 1);
    QTest::keyClicks(list.Editor(), QStringLiteral("ab"));
    EXPECT_EQ(list.Editor()->text(), QStringLiteral("ab")) << "other cells take anything";
}

// The grid filtered typed keys and Ctrl+V only: the menu's paste, the middle button, a drop
// and an input method's text got through, and "3500.." was stored as typed.
TEST_F(EditableListTest, ANumberCellRefusesEveryWayOfEnteringWhatIsNoNumber) {
    list.SetNumberInput(0, 1, NumberKind::Price, 2);
    list.SetNumberInput(0, 2, NumberKind::Lots);
    Click(0, 1);
    CInPlaceEdit* editor = list.Editor();
    ASSERT_TRUE(editor);
    QTest::keyClick(editor, Qt::Key_Backspace);
    QTest::keyClicks(editor, QStringLiteral("3500..5-e"));
    EXPECT_EQ(editor->text(), QStringLiteral("3500.5"));
    QTest::keyClicks(editor, QStringLiteral("55"));
    EXPECT_EQ(editor->text(), QStringLiteral("3500.55")) << "a third decimal is refused";
    editor->clear();

    for (const QString bad : {"nan", "inf", "1e400", "-1", "3500.."}) {
        QApplication::clipboard()->setText(bad);
        QTest::keyClick(editor, Qt::Key_V, Qt::ControlModifier);
        EXPECT_TRUE(editor->text().isEmpty()) << bad.toStdString();

        // The context menu's 粘贴, as a right click opens it.
        QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, QPoint(5, 5),
                                    editor->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(editor, &menuEvent);
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_TRUE(menu);
        QAction* paste = PasteAction(*menu);
        ASSERT_TRUE(paste);
        paste->trigger();
        menu->close();
        EXPECT_TRUE(editor->text().isEmpty()) << bad.toStdString();

        // The middle button pastes the selection where the system has one.
        if (QApplication::clipboard()->supportsSelection()) {
            QApplication::clipboard()->setText(bad, QClipboard::Selection);
            QTest::mouseClick(editor, Qt::MiddleButton, Qt::NoModifier, QPoint(5, 5));
            EXPECT_TRUE(editor->text().isEmpty()) << bad.toStdString();
        }

        Drop(*editor, bad);
        EXPECT_TRUE(editor->text().isEmpty()) << bad.toStdString();

        // Text composed by an input method.
        QInputMethodEvent composed;
        composed.setCommitString(bad);
        QApplication::sendEvent(editor, &composed);
        EXPECT_TRUE(editor->text().isEmpty()) << bad.toStdString();
    }

    // The same ways take a good number.
    QApplication::clipboard()->setText(QStringLiteral("3400.5"));
    QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, QPoint(5, 5),
                                editor->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(editor, &menuEvent);
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_TRUE(menu);
    ASSERT_TRUE(PasteAction(*menu));
    PasteAction(*menu)->trigger();
    menu->close();
    EXPECT_EQ(editor->text(), QStringLiteral("3400.5"));
    editor->clear();
    Drop(*editor, QStringLiteral("3300"));
    EXPECT_EQ(editor->text(), QStringLiteral("3300"));
    QTest::keyClick(editor, Qt::Key_Return);
    EXPECT_EQ(list.GetItemText(0, 1), "3300");

    // Lots: whole numbers only.
    Click(0, 2);
    ASSERT_TRUE(list.Editor());
    QTest::keyClicks(list.Editor(), QStringLiteral("2.5"));
    EXPECT_EQ(list.Editor()->text(), QStringLiteral("25"));
    QInputMethodEvent composed;
    composed.setCommitString(QStringLiteral("五"));
    QApplication::sendEvent(list.Editor(), &composed);
    EXPECT_EQ(list.Editor()->text(), QStringLiteral("25"));
}

TEST_F(EditableListTest, DeletingARowMovesTheStatesOfTheRowsBelow) {
    list.SetCellEnabled(2, 1, false);
    list.SetAllowedCharacters(1, 2, "9");
    ASSERT_TRUE(list.DeleteItem(0));
    EXPECT_EQ(list.GetItemCount(), 2);
    EXPECT_FALSE(list.State(1, 1).Enabled());
    EXPECT_TRUE(list.State(0, 1).Enabled());
    EXPECT_EQ(list.State(0, 2).input.allowed, "9");
    EXPECT_FALSE(list.DeleteItem(7));

    // An edit still open is written into its row before the rows move.
    Click(1, 2);
    QTest::keyClicks(list.Editor(), QStringLiteral("99"));
    ASSERT_TRUE(list.DeleteItem(0));
    EXPECT_EQ(list.GetItemText(0, 2), "99");
    list.DeleteAllItems();
    EXPECT_EQ(list.GetItemCount(), 0);
    EXPECT_TRUE(list.State(0, 1).Enabled());
}

TEST_F(EditableListTest, DoubleAndRightClicksArePostedWithTheirCell) {
    QSignalSpy doubled(&list, &CListCtrlEx::cellDoubleClicked);
    QSignalSpy right(&list, &CListCtrlEx::cellRightClicked);
    const QPoint at = list.visualRect(list.model()->index(2, 3)).center();
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseClick(list.viewport(), Qt::RightButton, Qt::NoModifier, at);
    EXPECT_EQ(doubled.count(), 0) << "posted, not sent";
    EXPECT_EQ(right.count(), 0);
    QCoreApplication::sendPostedEvents(&list, QEvent::MetaCall);
    ASSERT_EQ(doubled.count(), 1);
    EXPECT_EQ(doubled.at(0).at(0).toInt(), 2);
    EXPECT_EQ(doubled.at(0).at(1).toInt(), 3);
    ASSERT_EQ(right.count(), 1);
    EXPECT_EQ(right.at(0).at(1).toInt(), 3);
}

}  // namespace
}  // namespace ft::ui
