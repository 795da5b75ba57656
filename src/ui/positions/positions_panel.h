// CLcSubDlg1, the positions panel: shows the trading state's open positions with their
// floating profit and stop rules, prepares and sends their closing orders through the
// order-entry panel, and opens the stop-loss and take-profit settings of a position.
#pragma once

#include <QPointer>
#include <string>
#include <vector>

#include "positions/positions_rules.h"
#include "ui/common/trading_stepper.h"
#include "ui/pane/pane_view.h"
#include "ui/positions/stop_rule_dialog.h"

class QMenu;

namespace ft::ui {

class CListCtrlCl;

class CLcSubDlg1 : public TabPanel, public PositionsSource {
    Q_OBJECT
public:
    // `context.trading` must be set: the panel renders its state.
    explicit CLcSubDlg1(const PaneContext& context, QWidget* parent = nullptr);
    ~CLcSubDlg1() override;

    CListCtrlCl* List() const { return list_; }
    TradingState& State() const { return context_.trading->State(); }
    QMenu* ContextMenu() const { return menu_; }
    // The settings dialog while it is open.
    CLostProfitDlg* StopRuleDialog() const { return dialog_; }

    // PositionsSource.
    void OpenStopRuleEditor() override;
    bool HasSelectedRow() const override;

    // Brings the list up to date with the state (after each step). Returns the cells written.
    int Render();
    // A click: the order-entry panel prepares the closing order of the row.
    void PrepareCloseOrder(int row);
    // A double-click: the same, then the order is sent once the panel shows a price.
    void CloseOnDoubleClick(int row);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    int Refill();
    void OnStopRuleEditorClosed(int result, const std::string& positionId);
    const LivePosition* PositionAt(int row) const;
    OrderEntryTarget* OrderEntry() const;

    PaneContext context_;
    CListCtrlCl* list_;
    QMenu* menu_;
    QPointer<CLostProfitDlg> dialog_;
    // Scratch space of a render.
    std::vector<CellWrite> writes_;
};

}  // namespace ft::ui
