// CLcSubDlg1, the positions panel: the account's open positions with their floating profit,
// closing by click and double-click through the order-entry panel, and the stop-loss and
// take-profit rules that it evaluates and fires itself.
#pragma once

#include <QPointer>
#include <QTimer>
#include <string>
#include <vector>

#include "positions/positions_rules.h"
#include "positions/stop_rules.h"
#include "ui/pane/pane_view.h"
#include "ui/positions/stop_rule_dialog.h"

class QMenu;

namespace ft::ui {

class CListCtrlCl;

class CLcSubDlg1 : public TabPanel, public PositionsSource {
    Q_OBJECT
public:
    static constexpr int kTickMs = 100;

    explicit CLcSubDlg1(const PaneContext& context, QWidget* parent = nullptr);
    ~CLcSubDlg1() override;

    CListCtrlCl* List() const { return list_; }
    StopRuleTable& Rules() { return rules_; }
    bool RulesSuspended() const { return suspended_; }
    // The records' extra1 and extra2, one per row.
    const std::vector<std::string>& Extra1() const { return extra1_; }
    const std::vector<std::string>& Extra2() const { return extra2_; }
    QMenu* ContextMenu() const { return menu_; }
    // The settings dialog while it is open.
    CLostProfitDlg* StopRuleDialog() const { return dialog_; }
    // Closing orders of fired rules whose answer has not come back yet.
    int CloseOrdersOut() const { return ordersOut_; }
    const std::string& RuleFilePath() const { return rulePath_; }

    // PositionsSource.
    std::vector<PositionRowView> PositionRows() const override;
    std::vector<std::string> ProfitTexts() const override;
    void OpenStopRuleEditor() override;
    bool HasSelectedRow() const override;
    bool StopRulesHeld() const override { return heldShown_; }
    std::string StopOrderProblem() const override;

    // Empties the list and fills it from the position table (at most 64 rows).
    void RebuildPositionList();
    // Columns 9 and 10 of a row from the rules, after a rebuild.
    void ShowRuleColumns(int row);
    // One timer step: the rows follow their records, the profits their quotes, and the rules
    // are evaluated. Returns the number of cells written.
    int RefreshPositionList();
    // A click: the order-entry panel prepares the closing order of the row.
    void PrepareCloseOrder(int row);
    // A double-click: the same, then the order is sent once the panel shows a price.
    void CloseOnDoubleClick(int row);

signals:
    // The answer to a fired rule's closing order has been handled.
    void closeOrderAnswered(bool accepted);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void Rebuild();
    void EvaluateRow(int row, std::string_view last, std::string_view bid, std::string_view ask);
    void SendAside(const CloseOrder& order);
    void SaveRuleFile();
    void OnStopRuleEditorClosed(int result, const std::string& positionId);
    int RowOfPosition(std::string_view positionId) const;
    void ForgetProblemsOfGonePositions();
    OrderEntryTarget* OrderEntry() const;

    PaneContext context_;
    CListCtrlCl* list_;
    QMenu* menu_;
    QTimer timer_;
    QPointer<CLostProfitDlg> dialog_;
    StopRuleTable rules_;
    std::string rulePath_;
    bool suspended_ = false;
    bool heldShown_ = false;
    int ordersOut_ = 0;
    std::vector<std::string> extra1_;
    std::vector<std::string> extra2_;
    MultiplierCache multipliers_;
    // Scratch space of the timer step.
    std::vector<CellWrite> writes_;
    std::vector<FiredLeg> fired_;
    // Closing orders that did not go through: position id and what the trader is told.
    struct Problem {
        std::string positionId;
        std::string text;
    };
    std::vector<Problem> problems_;
};

}  // namespace ft::ui
