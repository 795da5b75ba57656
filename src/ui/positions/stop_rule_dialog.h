// CLostProfitDlg, the stop-loss and take-profit settings of one position: a grid of rules that
// the trader edits in place, stored into the positions panel's rule table on 保存.
#pragma once

#include <QDialog>
#include <ctime>
#include <functional>
#include <string>

#include "positions/stop_rules.h"

class QLabel;
class QRadioButton;

namespace ft {
class QuoteBook;
}

namespace ft::ui {

class CListCtrlEx;
class CTStatic;
class CXPButton;

// What the dialog is opened for (GBK texts as the positions row shows them).
struct StopRuleTarget {
    std::string code;
    std::string direction;
    std::string closableLots;
    std::string positionId;
    int priceDecimals = kAnyTickDecimals;  // of the contract's tick
};

class CLostProfitDlg : public QDialog {
    Q_OBJECT
public:
    // The grid's columns.
    enum Column { SetTime, StopLossPrice, StopLossLots, TakeProfitPrice, TakeProfitLots, Validity };

    CLostProfitDlg(const StopRuleTarget& target, StopRuleTable& table, const QuoteBook& quotes,
                   QWidget* parent = nullptr);

    CListCtrlEx* Grid() const { return grid_; }
    CTStatic* Headline() const { return headline_; }
    CXPButton* DeleteAllButton() const { return deleteAll_; }
    CXPButton* AddRowButton() const { return addRow_; }
    CXPButton* DeleteRowButton() const { return deleteRow_; }
    CXPButton* SaveButton() const { return save_; }
    CXPButton* CancelButton() const { return cancel_; }
    QRadioButton* UnitButton(int index) const { return units_[index]; }
    // After 保存: the first stop-loss and take-profit of the grid.
    const SaveOutcome& Outcome() const { return outcome_; }

    // The grid's rows as typed.
    std::vector<RuleGridRow> GridRows() const;

    // The clock the new rows and the save read (tests replace it).
    std::function<std::time_t()> clock = [] { return std::time(nullptr); };

private:
    void AppendRow(const RuleGridRow& row);
    void AddRow();
    void DeleteRow();
    void DeleteAll();
    void Save();

    StopRuleTarget target_;
    StopRuleTable& table_;
    const QuoteBook& quotes_;
    SaveOutcome outcome_;
    CTStatic* headline_;
    CListCtrlEx* grid_;
    QRadioButton* units_[3];
    CXPButton* deleteAll_;
    CXPButton* addRow_;
    CXPButton* deleteRow_;
    CXPButton* save_;
    CXPButton* cancel_;
};

}  // namespace ft::ui
