// CListCtrlCl, the report list of every data panel, with its painted header CHeaderCtrlCl.
// Its model holds the cells as roles: GBK texts (the session tables' encoding, UTF-16 only as
// the display role), text and background colours, and alignment; its delegate paints a cell
// from those roles. Colours are kept by row index and column, apart from the rows, so they
// survive deleting rows: a row inserted later at the same index shows them again.
#pragma once

#include <QAbstractTableModel>
#include <QColor>
#include <QHeaderView>
#include <QStyledItemDelegate>
#include <QTableView>
#include <string>
#include <vector>

#include "core/list_table.h"

namespace ft::ui {

class CHeaderCtrlCl : public QHeaderView {
    Q_OBJECT
public:
    explicit CHeaderCtrlCl(QWidget* parent = nullptr);

    // One character per column: '0' left, '1' centre, '2' right (shared with the cells).
    std::string alignment;
    int r = 236, g = 243, b = 246;
    int gradientStep = 0;
    float heightFactor = 1.0f;
    int fontHeight = 12;
    int fontWidth = 0;
    QColor textColour{0, 0, 0};
    bool topLine = false;

    // The height the header lays itself out with: the standard one times the factor.
    int StandardHeight() const;
    QSize sizeHint() const override;

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;
};

class ListModel;

// What a cell shows of `text` in `width` pixels: the text when it fits, else its start and "…",
// so a right-aligned number too wide for its column is never shown without its first digits.
QString FitCellText(const QString& text, const QFont& font, int width);

class CListCtrlCl : public QTableView {
    Q_OBJECT
public:
    explicit CListCtrlCl(QWidget* parent = nullptr);
    ~CListCtrlCl() override;

    CHeaderCtrlCl* Header() const { return header_; }

    // Columns and rows. Texts are GBK.
    int InsertColumn(int column, const std::string& title, int width);
    int GetColumnCount() const;
    int InsertItem(int row, const std::string& text);  // returns the row index
    int AppendItem(const std::string& text) { return InsertItem(GetItemCount(), text); }
    // Appends `count` empty rows at once (a list filled whole); returns the first one's index.
    int AppendItems(int count);
    void SetItemText(int row, int column, const std::string& text);
    // The one way panels rewrite a cell on their timers: only a different text is written
    // (and repainted). Returns whether it wrote.
    bool SetItemTextIfChanged(int row, int column, const std::string& text);
    // A row rule's writes in one go: colours and changed texts are stored, and the row is
    // repainted once over the columns that changed. Returns the number of texts written.
    int WriteRow(int row, const std::vector<CellWrite>& writes);
    std::string GetItemText(int row, int column) const;
    const std::string& ItemText(int row, int column) const;  // empty for cells outside
    bool DeleteItem(int row);
    void DeleteAllItems();
    // Rows that carry their colours: inserting, deleting or moving one moves the colours of
    // the rows after it with them (InsertItem and DeleteItem leave colours at their index).
    // `before` is an index of the list as it is before the move.
    int InsertRowsWithColours(int row, int count);
    bool DeleteRowWithColours(int row);
    bool MoveRow(int from, int before);
    int GetItemCount() const;
    // First selected row, -1 when none.
    int GetFirstSelectedRow() const;
    void SelectRow(int row);
    void ClearSelection();

    // Appearance.
    void UseTallRows();  // 22 px rows
    void SetRowHeight(int pixels);
    void SetListBackground(const QColor& colour);
    QColor ListBackground() const { return background_; }
    void SetSelectionColour(const QColor& colour) { selection_ = colour; }
    QColor SelectionColour() const { return selection_; }
    void SetDefaultTextColour(const QColor& colour) { defaultText_ = colour; }
    QColor DefaultTextColour() const { return defaultText_; }
    void SetCellFont(int height, int width);
    void SetLockColumnWidths(bool locked);
    // Columns that may grow from `widths` towards `roomy` (where larger) while the list has
    // room beside its columns, in column order; they stay at `widths` where it has none. Once
    // a width is set from outside (the trader's drag, the widths kept from the last run) the
    // list leaves all widths alone.
    void SetRoomyWidths(std::vector<int> widths, std::vector<int> roomy);
    // True while the list itself is widening or narrowing its roomy columns.
    bool FittingColumns() const { return fitting_; }
    void SetAlignment(const std::string& alignment);

    void AddColumnBackground(int column, const QColor& colour);
    void AddCellBackground(int row, int column, const QColor& colour);
    void SetColumnTextColour(int column, const QColor& colour);
    void SetCellTextColour(int column, int row, const QColor& colour);

    // The colours a cell is drawn with (its roles, else the list's defaults).
    QColor CellBackground(int row, int column, bool selected) const;
    QColor CellTextColour(int row, int column) const;
    Qt::Alignment CellAlignment(int column) const;
    const QFont& CellFont() const { return cellFont_; }

    // Every cell of the list, as shown (UTF-16), for exports.
    QString DisplayText(int row, int column) const;

signals:
    void itemClicked(int row, int column);
    void itemDoubleClicked(int row, int column);
    void itemRightClicked(int row, int column, const QPoint& globalPos);

protected:
    // A list with a header of its own kind (which the list takes over).
    CListCtrlCl(QWidget* parent, CHeaderCtrlCl* header);
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    // A change across cells of one row repaints just those cells (the item view would repaint
    // the whole list for any range).
    void dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                     const QList<int>& roles = QList<int>()) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void RowCountChanged(int oldCount, int newCount);
    void FitRoomyColumns();
    std::vector<int> baseWidths_;
    std::vector<int> roomyWidths_;
    bool fitting_ = false;
    bool widthsSetOutside_ = false;
    ListModel* model_;
    CHeaderCtrlCl* header_;
    QColor background_{255, 255, 255};
    QColor selection_{200, 240, 240};
    QColor defaultText_{0, 0, 0};
    QFont cellFont_;
    bool repaintingRow_ = false;
};

}  // namespace ft::ui
