#include "ui/positions/positions_panel.h"

#include <QMenu>

#include "core/text.h"
#include "ui/controls/list_kit.h"
#include "ui/pane/submit_when_priced.h"
#include "ui/positions/stop_rule_dialog.h"

namespace ft::ui {
namespace {

// The cells the state decides beyond the record: profit and rule columns.
void StateCells(const LivePosition& p, std::vector<CellWrite>& writes) {
    writes.push_back({PositionCol::Profit, p.profitText, p.profitColour});
    writes.push_back({PositionCol::StopLoss, p.ruleColumns.stopLoss, std::nullopt});
    writes.push_back({PositionCol::TakeProfit, p.ruleColumns.takeProfit, std::nullopt});
}

}  // namespace

CLcSubDlg1::CLcSubDlg1(const PaneContext& context, QWidget* parent)
    : TabPanel(parent), context_(context), list_(new CListCtrlCl(this)), menu_(new QMenu(this)) {
    StyleMarketList(*list_);
    BuildColumns(*list_, kPositionColumns);
    // The list keeps one pixel of the panel free on its left.
    list_->setGeometry(rect().adjusted(1, 0, 0, 0));

    menu_->addAction(QStringLiteral("设置止损止盈"), this, &CLcSubDlg1::OpenStopRuleEditor);
    connect(list_, &CListCtrlCl::itemClicked, this,
            [this] { PrepareCloseOrder(list_->GetFirstSelectedRow()); });
    connect(list_, &CListCtrlCl::itemDoubleClicked, this,
            [this] { CloseOnDoubleClick(list_->GetFirstSelectedRow()); });
    connect(list_, &CListCtrlCl::itemRightClicked, this,
            [this](int, int, const QPoint& pos) { menu_->popup(pos); });
    connect(context_.trading, &TradingStepper::stepped, this, &CLcSubDlg1::Render);
    Refill();
}

CLcSubDlg1::~CLcSubDlg1() = default;

void CLcSubDlg1::resizeEvent(QResizeEvent* event) {
    TabPanel::resizeEvent(event);
    list_->setGeometry(rect().adjusted(1, 0, 0, 0));
}

int CLcSubDlg1::Refill() {
    list_->DeleteAllItems();
    for (const LivePosition& p : State().Positions()) {
        PositionRowFill(p.record, writes_);
        std::erase_if(writes_, [](const CellWrite& w) { return w.column == PositionCol::Profit; });
        StateCells(p, writes_);
        const int row = list_->AppendItem(std::string());
        ApplyRowWrites(*list_, row, writes_);
    }
    return list_->GetItemCount() * (PositionCol::Count - 2);
}

int CLcSubDlg1::Render() {
    const std::vector<LivePosition>& positions = State().Positions();
    if (context_.trading->LastStep().rebuilt ||
        static_cast<std::size_t>(list_->GetItemCount()) != positions.size()) {
        return Refill();
    }
    int written = 0;
    ShownPositionRow shown;
    for (int row = 0; row < list_->GetItemCount(); ++row) {
        const LivePosition& p = positions[static_cast<std::size_t>(row)];
        ReadRow(*list_, row, shown);
        if (PositionRowWrites(shown, p.record, writes_).otherPosition) {
            return Refill();
        }
        if (shown[PositionCol::Profit] != p.profitText) {
            writes_.push_back({PositionCol::Profit, p.profitText, p.profitColour});
        }
        if (shown[PositionCol::StopLoss] != p.ruleColumns.stopLoss) {
            writes_.push_back({PositionCol::StopLoss, p.ruleColumns.stopLoss, std::nullopt});
        }
        if (shown[PositionCol::TakeProfit] != p.ruleColumns.takeProfit) {
            writes_.push_back({PositionCol::TakeProfit, p.ruleColumns.takeProfit, std::nullopt});
        }
        written += ApplyRowWrites(*list_, row, writes_);
    }
    return written;
}

const LivePosition* CLcSubDlg1::PositionAt(int row) const {
    const std::vector<LivePosition>& positions = State().Positions();
    if (row < 0 || row >= list_->GetItemCount() ||
        static_cast<std::size_t>(row) >= positions.size()) {
        return nullptr;
    }
    return &positions[static_cast<std::size_t>(row)];
}

OrderEntryTarget* CLcSubDlg1::OrderEntry() const {
    return context_.links ? context_.links->OrderEntry() : nullptr;
}

void CLcSubDlg1::PrepareCloseOrder(int row) {
    OrderEntryTarget* target = OrderEntry();
    const LivePosition* p = PositionAt(row);
    if (!p || !target) {
        return;
    }
    // Copies: choosing on the order-entry panel may run a step meanwhile.
    const std::string code = p->code;
    const std::string lots = p->closableLots;
    if (p->direction == Ansi("买")) {
        target->ChooseSell();
    } else {
        target->ChooseBuy();
    }
    target->ChooseClose();
    target->SetLots(lots);
    target->SelectContract(code, "", 0);
    target->SetLots(lots);
}

void CLcSubDlg1::CloseOnDoubleClick(int row) {
    OrderEntryTarget* target = OrderEntry();
    const LivePosition* p = PositionAt(row);
    if (!p || !target) {
        return;
    }
    const std::string code = p->code;
    const std::string lots = p->closableLots;
    if (p->direction == Ansi("买")) {
        target->ChooseSell();
    } else {
        target->ChooseBuy();
    }
    target->ChooseClose();
    target->SelectContract(code, "", 0);
    target->SetLots(lots);
    SubmitWhenPriced(this, context_.links, code);
}

bool CLcSubDlg1::HasSelectedRow() const {
    return list_->GetFirstSelectedRow() >= 0;
}

void CLcSubDlg1::OpenStopRuleEditor() {
    const LivePosition* p = PositionAt(list_->GetFirstSelectedRow());
    if (!p) {
        return;
    }
    if (dialog_) {
        dialog_->raise();
        dialog_->activateWindow();
        return;
    }
    // The direction as the list shows it, blanks included, as the dialog has always had it.
    const std::string shownDirection =
        p->direction == Ansi("买") ? p->direction : "  " + p->direction;
    const StopRuleTarget target{p->code, shownDirection, p->closableLots, p->positionNo,
                                TickDecimals(*State().Session().products.Snapshot(), p->code)};
    State().ForgetProblemsOf(target.positionId);
    State().FreeSlotsOfClosedPositions();
    State().SuspendRules(true);
    dialog_ = new CLostProfitDlg(target, State().Rules(), context_.quotes, this);
    dialog_->setAttribute(Qt::WA_DeleteOnClose);
    const std::string id = target.positionId;
    connect(dialog_, &QDialog::finished, this,
            [this, id](int result) { OnStopRuleEditorClosed(result, id); });
    dialog_->open();
}

void CLcSubDlg1::OnStopRuleEditorClosed(int result, const std::string& positionId) {
    if (result == QDialog::Accepted && dialog_) {
        // The rows may have been rebuilt meanwhile: the position is found by its id.
        State().RulesSaved(positionId);
        Render();
    }
    // The dialog deletes itself; the next one is a new one.
    dialog_ = nullptr;
    State().SuspendRules(false);
}

}  // namespace ft::ui
