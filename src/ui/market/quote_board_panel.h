// CPriceSubDlg1, the quote board: the account's custom contracts with their live quotes.
#pragma once

#include <QTimer>
#include <string>
#include <vector>

#include "market/quote_board_rules.h"
#include "ui/controls/list_kit.h"
#include "ui/pane/pane_view.h"

namespace ft::ui {

class OrderEntryTarget;

class CPriceSubDlg1 : public TabPanel, public QuoteBoardRows {
    Q_OBJECT
public:
    static constexpr int kTickMs = 80;

    explicit CPriceSubDlg1(const PaneContext& context, QWidget* parent = nullptr);

    CListCtrlCl* List() const { return list_; }
    // Codes of the custom list's rows, in the order they were added (rows the order-entry
    // panel appends are not in it).
    const std::vector<std::string>& Codes() const { return codes_; }
    bool IsCustomCode(const std::string& code) const override;
    // The order-entry panel's row of a contract outside the custom list.
    void EnsureRow(const std::string& code, const std::string& name) override;
    void RemoveRow(const std::string& code) override;

    // Empties the board and loads the custom list again (after the custom list was edited).
    void Reload();
    // One refresh of every row from the quote book; returns the number of cells written.
    int Tick();
    // "导出列表": writes the rows as shown to a CSV file (GBK) chosen through the save dialog.
    bool ExportList();
    // "设置自选合约": the custom contracts dialog; reloads after OK.
    void EditCustomList();

    // The contract hand-over of a click and of a double-click.
    void OnClick();
    void OnDoubleClick();

signals:
    // The custom list answer has been applied (or the request failed).
    void loaded();

private:
    void LoadCustomList();
    void AddRows(const std::vector<CustomContract>& contracts);
    void ShowMenu(const QPoint& globalPos);
    OrderEntryTarget* OrderEntry() const;
    const QuoteBoardEntry* SelectedEntry() const;

    PaneContext context_;
    CListCtrlCl* list_;
    QTimer timer_;
    std::vector<std::string> codes_;
    // The rows in order, each with the quote record of the last tick.
    std::vector<QuoteBoardEntry> entries_;
    KeyedRows<QuoteBoardEntry, QuoteCol::Count> rows_{QuoteBoardRowWrites, QuoteBoardKey};
    // Only the newest load's answer is applied.
    unsigned loadGeneration_ = 0;
};

// The board's rows as CSV lines (GBK): a title line, then one line per row, cells quoted when
// they hold a comma or a quote.
std::string QuoteBoardCsv(const CListCtrlCl& list);

}  // namespace ft::ui
