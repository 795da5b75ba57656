#include "ui/positions/positions_panel.h"

#include <QMenu>
#include <set>

#include "core/text.h"
#include "net/daily_log.h"
#include "platform/system.h"
#include "positions/close_order.h"
#include "positions/stop_rule_file.h"
#include "ui/common/run_aside.h"
#include "ui/controls/list_kit.h"
#include "ui/pane/submit_when_priced.h"
#include "ui/positions/stop_rule_dialog.h"

namespace ft::ui {
namespace {

std::string ClockNow() {
    const std::tm t = platform::LocalNow();
    return Format("%02d:%02d:%02d", t.tm_hour, t.tm_min, t.tm_sec);
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

    // Rules of this account survive a restart within their trading day, for the positions
    // that are still open.
    const LoginFields login = context_.session.Login();
    rulePath_ = StopRuleFilePath(login.userName, login.serverMode);
    const auto positions = context_.session.positions.Snapshot();
    std::set<std::string, std::less<>> ids;
    for (std::size_t i = 0; i < positions->Count(); ++i) {
        ids.emplace(FieldText(positions->rows[i].positionNo));
    }
    RestoreStopRules(rulePath_, ids, std::time(nullptr), rules_);

    RebuildPositionList();
    for (int row = 0; row < list_->GetItemCount(); ++row) {
        ShowRuleColumns(row);
    }
    connect(&timer_, &QTimer::timeout, this, &CLcSubDlg1::RefreshPositionList);
    timer_.start(kTickMs);
}

CLcSubDlg1::~CLcSubDlg1() = default;

void CLcSubDlg1::resizeEvent(QResizeEvent* event) {
    TabPanel::resizeEvent(event);
    list_->setGeometry(rect().adjusted(1, 0, 0, 0));
}

std::vector<PositionRowView> CLcSubDlg1::PositionRows() const {
    std::vector<PositionRowView> rows;
    for (int r = 0; r < list_->GetItemCount(); ++r) {
        rows.push_back({list_->GetItemText(r, PositionCol::Code),
                        std::string(Trim(list_->ItemText(r, PositionCol::Direction))),
                        list_->GetItemText(r, PositionCol::TotalVolume),
                        list_->GetItemText(r, PositionCol::ClosableVolume),
                        list_->GetItemText(r, PositionCol::PositionNo)});
    }
    return rows;
}

std::vector<std::string> CLcSubDlg1::ProfitTexts() const {
    std::vector<std::string> texts;
    for (int r = 0; r < list_->GetItemCount(); ++r) {
        texts.push_back(list_->GetItemText(r, PositionCol::Profit));
    }
    return texts;
}

void CLcSubDlg1::RebuildPositionList() {
    list_->DeleteAllItems();
    extra1_.clear();
    extra2_.clear();
    const auto positions = context_.session.positions.Snapshot();
    const std::size_t count = positions->Count(kMaxPositionRows);
    for (std::size_t i = 0; i < count; ++i) {
        const PositionRecord& record = positions->rows[i];
        PositionRowFill(record, writes_);
        const int row = list_->AppendItem(std::string());
        ApplyRowWrites(*list_, row, writes_);
        extra1_.emplace_back(FieldText(record.extra1));
        extra2_.emplace_back(FieldText(record.extra2));
    }
    ForgetProblemsOfGonePositions();
}

void CLcSubDlg1::ShowRuleColumns(int row) {
    const RuleColumns columns =
        ShownRuleColumns(rules_, list_->ItemText(row, PositionCol::PositionNo));
    if (list_->ItemText(row, PositionCol::StopLoss).empty()) {
        list_->SetItemTextIfChanged(row, PositionCol::StopLoss, columns.stopLoss);
    }
    if (list_->ItemText(row, PositionCol::TakeProfit).empty()) {
        list_->SetItemTextIfChanged(row, PositionCol::TakeProfit, columns.takeProfit);
    }
}

void CLcSubDlg1::Rebuild() {
    RebuildPositionList();
    // The funds follow the positions; the request runs aside.
    context_.loader.StartReloadMoney();
    for (int row = 0; row < list_->GetItemCount(); ++row) {
        ShowRuleColumns(row);
    }
}

int CLcSubDlg1::RefreshPositionList() {
    const auto positions = context_.session.positions.Snapshot();
    const int rows = list_->GetItemCount();
    // Beyond the 64 rows shown, more positions change nothing the list could show.
    if (static_cast<int>(positions->Count(kMaxPositionRows)) != rows) {
        Rebuild();
        return list_->GetItemCount() * (PositionCol::Count - 2);
    }

    int written = 0;
    bool fundsChanged = false;
    ShownPositionRow shown;
    for (int row = 0; row < rows; ++row) {
        const PositionRecord& record = positions->rows[static_cast<std::size_t>(row)];
        ReadRow(*list_, row, shown);
        const PositionRowSync sync = PositionRowWrites(shown, record, writes_);
        if (sync.otherPosition) {
            Rebuild();
            return list_->GetItemCount() * (PositionCol::Count - 2);
        }
        fundsChanged |= sync.fundsChanged;
        written += ApplyRowWrites(*list_, row, writes_);
        const auto i = static_cast<std::size_t>(row);
        if (extra1_[i] != FieldText(record.extra1)) {
            extra1_[i] = FieldText(record.extra1);
        }
        if (extra2_[i] != FieldText(record.extra2)) {
            extra2_[i] = FieldText(record.extra2);
        }
    }
    if (fundsChanged) {
        context_.loader.StartReloadMoney();
    }

    const bool held =
        ft::StopRulesHeld(context_.quotes.Health().lastAnswerTick, platform::TickCount());
    heldShown_ = held && rules_.AnyLiveLeg();
    const auto products = context_.session.products.Snapshot();
    for (int row = 0; row < list_->GetItemCount(); ++row) {
        ReadRow(*list_, row, shown);
        const std::string_view code = shown[PositionCol::Code];
        const std::string record = context_.quotes.FindQuote(code);
        const std::optional<QuotePrices> prices = ReadQuotePrices(record, code);
        if (!prices) {
            continue;
        }
        const double profit =
            FloatingProfit(shown[PositionCol::Direction], ToInt(shown[PositionCol::TotalVolume]),
                           ToDouble(shown[PositionCol::AvgPrice]), ToDouble(prices->last),
                           multipliers_.Get(products, code));
        if (std::optional<CellWrite> write = ProfitWrite(shown[PositionCol::Profit], profit)) {
            writes_.assign(1, std::move(*write));
            written += ApplyRowWrites(*list_, row, writes_);
        }
        if (!suspended_ && !held) {
            EvaluateRow(row, prices->last, prices->bid, prices->ask);
        }
    }
    return written;
}

void CLcSubDlg1::EvaluateRow(int row, std::string_view last, std::string_view bid,
                             std::string_view ask) {
    const std::string id = list_->GetItemText(row, PositionCol::PositionNo);
    const StopRuleRow target{list_->ItemText(row, PositionCol::Code),
                             Trim(list_->ItemText(row, PositionCol::Direction)), id,
                             list_->ItemText(row, PositionCol::ClosableVolume)};
    fired_.clear();
    if (!EvaluateStopRules(rules_, target, last, bid, ask, fired_)) {
        return;
    }
    // The cleared legs are on disk before any order goes out, so not even a restart can send
    // one twice.
    SaveRuleFile();
    for (const FiredLeg& leg : fired_) {
        WriteLog(leg.logLine);
        SendAside(leg.order);
    }
    const RuleColumns columns = LiveRuleColumns(rules_, id);
    list_->SetItemTextIfChanged(row, PositionCol::StopLoss, columns.stopLoss);
    list_->SetItemTextIfChanged(row, PositionCol::TakeProfit, columns.takeProfit);
}

void CLcSubDlg1::SendAside(const CloseOrder& order) {
    ++ordersOut_;
    const SessionState* session = &context_.session;
    RunAside(
        this, [session, order] { return SendCloseOrder(*session, order); },
        [this, order](CloseOutcome outcome) {
            --ordersOut_;
            std::erase_if(problems_,
                          [&](const Problem& p) { return p.positionId == order.positionId; });
            if (!outcome.accepted) {
                problems_.push_back({order.positionId, Ansi("止损止盈平仓失败: ") + order.code +
                                                           " " + outcome.problem + " (" +
                                                           ClockNow() + ")"});
            }
            emit closeOrderAnswered(outcome.accepted);
        });
}

std::string CLcSubDlg1::StopOrderProblem() const {
    if (problems_.empty()) {
        return {};
    }
    std::string text = problems_.back().text;
    if (problems_.size() > 1) {
        text += Ansi("，另有") + std::to_string(problems_.size() - 1) + Ansi("笔未成功");
    }
    return text;
}

void CLcSubDlg1::ForgetProblemsOfGonePositions() {
    std::erase_if(problems_, [this](const Problem& p) { return RowOfPosition(p.positionId) < 0; });
}

void CLcSubDlg1::SaveRuleFile() {
    WriteStopRuleFile(rulePath_, rules_);
}

int CLcSubDlg1::RowOfPosition(std::string_view positionId) const {
    for (int row = 0; row < list_->GetItemCount(); ++row) {
        if (list_->ItemText(row, PositionCol::PositionNo) == positionId) {
            return row;
        }
    }
    return -1;
}

OrderEntryTarget* CLcSubDlg1::OrderEntry() const {
    return context_.links ? context_.links->OrderEntry() : nullptr;
}

void CLcSubDlg1::PrepareCloseOrder(int row) {
    OrderEntryTarget* target = OrderEntry();
    if (row < 0 || row >= list_->GetItemCount() || !target) {
        return;
    }
    const std::string code = list_->GetItemText(row, PositionCol::Code);
    const std::string lots = list_->GetItemText(row, PositionCol::ClosableVolume);
    if (Trim(list_->ItemText(row, PositionCol::Direction)) == Ansi("买")) {
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
    if (row < 0 || row >= list_->GetItemCount() || !target) {
        return;
    }
    if (Trim(list_->ItemText(row, PositionCol::Direction)) == Ansi("买")) {
        target->ChooseSell();
    } else {
        target->ChooseBuy();
    }
    target->ChooseClose();
    target->SelectContract(list_->GetItemText(row, PositionCol::Code), "", 0);
    target->SetLots(list_->GetItemText(row, PositionCol::ClosableVolume));
    SubmitWhenPriced(this, context_.links);
}

bool CLcSubDlg1::HasSelectedRow() const {
    return list_->GetFirstSelectedRow() >= 0;
}

void CLcSubDlg1::OpenStopRuleEditor() {
    const int row = list_->GetFirstSelectedRow();
    if (row < 0) {
        return;
    }
    if (dialog_) {
        dialog_->raise();
        dialog_->activateWindow();
        return;
    }
    const StopRuleTarget target{list_->GetItemText(row, PositionCol::Code),
                                list_->GetItemText(row, PositionCol::Direction),
                                list_->GetItemText(row, PositionCol::ClosableVolume),
                                list_->GetItemText(row, PositionCol::PositionNo)};
    // The trader is looking at this position's rules: its failed order has been seen.
    std::erase_if(problems_, [&](const Problem& p) { return p.positionId == target.positionId; });
    suspended_ = true;
    dialog_ = new CLostProfitDlg(target, rules_, context_.quotes, this);
    dialog_->setAttribute(Qt::WA_DeleteOnClose);
    const std::string id = target.positionId;
    connect(dialog_, &QDialog::finished, this,
            [this, id](int result) { OnStopRuleEditorClosed(result, id); });
    dialog_->open();
}

void CLcSubDlg1::OnStopRuleEditorClosed(int result, const std::string& positionId) {
    if (result == QDialog::Accepted && dialog_) {
        SaveRuleFile();
        // The rows may have been rebuilt meanwhile: the position is found by its id.
        const int row = RowOfPosition(positionId);
        if (row >= 0) {
            const RuleColumns columns = SavedRuleColumns(dialog_->Outcome());
            list_->SetItemTextIfChanged(row, PositionCol::StopLoss, columns.stopLoss);
            list_->SetItemTextIfChanged(row, PositionCol::TakeProfit, columns.takeProfit);
        }
    }
    // The dialog deletes itself; the next one is a new one.
    dialog_ = nullptr;
    suspended_ = false;
}

}  // namespace ft::ui
