// CListCtrlEx, a report list whose cells can be edited in place: a click on an edit cell opens
// a one-line box (CInPlaceEdit) over it, and leaving the box writes its text back. It is the
// list of the data panels (same rows, texts and columns) with a state per cell, a kind per
// column, its own cell drawing and its own header CListCtrlExSortHead.
//
// Left out, as no window of this system uses them: check-box, radio, drop-down and progress
// cells, cell images and sorting.
#pragma once

#include <QLineEdit>
#include <QPointer>
#include <map>
#include <optional>
#include <string>
#include <utility>

#include "trading/number_input.h"
#include "ui/controls/list_ctrl.h"

namespace ft::ui {

// The header of the editable list: items in the button face colour, titles elided to fit.
class CListCtrlExSortHead : public CHeaderCtrlCl {
    Q_OBJECT
public:
    explicit CListCtrlExSortHead(QWidget* parent = nullptr);

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;
};

// What a cell takes: any text, only some characters, or a price or lots by the input rule.
struct CellInput {
    std::string allowed;  // characters that may be entered (GBK); empty: any
    std::optional<NumberKind> number;
    int decimals = kAnyTickDecimals;  // of a price
};

// The in-place edit box: one at a time in the whole program. Enter ends the edit, Escape
// cancels it, Tab and the arrow keys end it; so does losing the focus. Its validator holds the
// cell's input rule for every way text comes in (typed, pasted by keys, menu or middle
// button, dropped, composed by an input method): what breaks it is refused with a tip.
class CInPlaceEdit : public QLineEdit {
    Q_OBJECT
public:
    static constexpr int kControlId = 1000001;

    CInPlaceEdit(QWidget* parent, int row, int column, const QString& text, CellInput input);

    int Row() const { return row_; }
    int Column() const { return column_; }
    bool Cancelled() const { return cancelled_; }
    // Ends the edit now, as leaving the box does.
    void Commit() { Finish(); }
    // The box that is open now, if any.
    static CInPlaceEdit* Current();

signals:
    // The edit ended: the text to write (the text from before when cancelled).
    void editEnded(int row, int column, const QString& text);

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void Refused();
    void End();
    void Finish();

    int row_;
    int column_;
    CellInput input_;
    QString before_;
    bool cancelled_ = false;
    bool finished_ = false;
};

class CListCtrlEx : public CListCtrlCl {
    Q_OBJECT
public:
    enum class ColumnKind { Text = 0, Edit = 4 };
    struct CellState {
        unsigned flags = 1;  // bit 0: the cell may be edited
        int image = -1;
        CellInput input;
        bool Enabled() const { return flags & 1u; }
    };

    explicit CListCtrlEx(QWidget* parent = nullptr);
    ~CListCtrlEx() override;

    // Set before the list is filled; a column without a kind is plain text.
    void SetColumnKind(int column, ColumnKind kind);
    ColumnKind KindOf(int column) const;
    // The state of a cell (the defaults until one is set).
    CellState State(int row, int column) const;
    void SetCellEnabled(int row, int column, bool enabled);
    void SetAllowedCharacters(int row, int column, const std::string& allowed);
    // The cell takes a price (at most `decimals` decimals) or lots by the input rule.
    void SetNumberInput(int row, int column, NumberKind kind, int decimals = kAnyTickDecimals);

    // Deletes the row and its cell states; the states of the rows below move up with them.
    bool DeleteItem(int row);
    void DeleteAllItems();

    // The cell (row, column) under a point of the viewport; (-1, -1) when none.
    std::pair<int, int> HitTest(const QPoint& point) const;
    // The open edit box of this list, if any.
    CInPlaceEdit* Editor() const;
    // Opens the edit box over a cell (as a click on it does).
    void EditCell(int row, int column);

signals:
    // After a left click without Shift or Ctrl.
    void cellClicked(int row, int column);
    // Posted after a double-click and a right click.
    void cellDoubleClicked(int row, int column);
    void cellRightClicked(int row, int column);
    // Just before an edit box opens, and after an edit was written into its cell.
    void cellEditStarting(int row, int column);
    void cellEdited(int row, int column, const std::string& text);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void OnEditEnded(int row, int column, const QString& text);

    std::map<int, ColumnKind> kinds_;
    std::map<std::pair<int, int>, CellState> states_;
    QPointer<CInPlaceEdit> editor_;
};

}  // namespace ft::ui
