#include "ui/positions/stop_rule_dialog.h"

#include <QLabel>
#include <QRadioButton>

#include "core/session_state.h"
#include "core/text.h"
#include "net/quote_book.h"
#include "platform/system.h"
#include "ui/common/effects.h"
#include "ui/common/text_boundary.h"
#include "ui/controls/editable_list.h"
#include "ui/controls/gradient_button.h"
#include "ui/controls/text_controls.h"

namespace ft::ui {
namespace {

QLabel* Note(const char* text, const QRect& rect, QWidget* parent) {
    auto* label = new QLabel(QString::fromUtf8(text), parent);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setGeometry(rect);
    return label;
}

}  // namespace

CLostProfitDlg::CLostProfitDlg(const StopRuleTarget& target, StopRuleTable& table,
                               const QuoteBook& quotes, QWidget* parent)
    : QDialog(parent),
      target_(target),
      table_(table),
      quotes_(quotes),
      headline_(new CTStatic(this)),
      grid_(new CListCtrlEx(this)),
      deleteAll_(new CXPButton(QStringLiteral("全部删除"), this)),
      addRow_(new CXPButton(QStringLiteral("新增一行"), this)),
      deleteRow_(new CXPButton(QStringLiteral("删除当前行"), this)),
      save_(new CXPButton(QStringLiteral("保存"), this)),
      cancel_(new CXPButton(QStringLiteral("取消"), this)) {
    setWindowTitle(QStringLiteral("止盈止损设置"));
    setFixedSize(555, 470);

    headline_->setGeometry(15, 10, 515, 18);
    auto* paused = new CTStatic(QStringLiteral("修改结束之前，该合约的止损止盈已暂停。"), this);
    paused->SetTextColour(QColor(255, 0, 0));
    paused->setGeometry(15, 32, 515, 18);

    grid_->setShowGrid(true);
    grid_->setGeometry(15, 56, 525, 190);
    const char* titles[] = {"设置时间", "止损价", "止损数量", "止盈价", "止盈数量", "有效期"};
    for (int c = 0; c < 6; ++c) {
        // The set time ("2026-12-08 10:11:12") needs more room in the fonts standing in for
        // 宋体 than the 105 pixels it had.
        grid_->InsertColumn(c, Ansi(titles[c]), c == SetTime ? 140 : 75);
    }
    grid_->SetAlignment("000000");
    for (int c = StopLossPrice; c <= TakeProfitLots; ++c) {
        grid_->SetColumnKind(c, CListCtrlEx::ColumnKind::Edit);
    }

    auto* unit = new CTStatic(QStringLiteral("单位数量："), this);
    unit->setGeometry(15, 256, 70, 20);
    const char* unitTexts[] = {"自动", "1手", "默认手数"};
    const int unitX[] = {90, 160, 220};
    for (int i = 0; i < 3; ++i) {
        units_[i] = new QRadioButton(QString::fromUtf8(unitTexts[i]), this);
        units_[i]->setGeometry(unitX[i], 256, i == 2 ? 90 : 65, 20);
    }
    units_[0]->setChecked(true);

    deleteAll_->setGeometry(15, 284, 90, 28);
    addRow_->setGeometry(115, 284, 90, 28);
    deleteRow_->setGeometry(215, 284, 100, 28);
    save_->setGeometry(355, 284, 80, 28);
    cancel_->setGeometry(445, 284, 80, 28);
    for (CXPButton* b : {deleteAll_, addRow_, deleteRow_, save_, cancel_}) {
        b->setAutoDefault(false);
    }

    Note("说明：", QRect(15, 324, 515, 18), this);
    Note("1.直接点击“数量”，“止损价”，“止盈价”进行修改。如不   填价格则表示不使用该功能",
         QRect(15, 344, 515, 34), this);
    Note(
        "2.“止损止盈“由本软件在用户机实现，如遇网络断线或软件被关闭则失效；开盘前请确认止损设置，"
        "以免跳空开盘导致损失。",
        QRect(15, 380, 515, 34), this);
    Note("3.“止损止盈“不能保证以指定价成交。", QRect(15, 418, 515, 18), this);

    for (const StopRule& rule : table_.Slots()) {
        if (rule.BelongsTo(target_.positionId)) {
            AppendRow({std::string(FieldText(rule.setTime)),
                       std::string(FieldText(rule.stopLossPrice)),
                       std::string(FieldText(rule.stopLossLots)),
                       std::string(FieldText(rule.takeProfitPrice)),
                       std::string(FieldText(rule.takeProfitLots))});
        }
    }
    headline_->setText(ToQt(Ansi("为 ") + target_.code + " " + target_.direction +
                            Ansi(" 可平数量为:") + target_.closableLots + Ansi(" 设置止损止盈。")));

    connect(addRow_, &QPushButton::clicked, this, &CLostProfitDlg::AddRow);
    connect(deleteRow_, &QPushButton::clicked, this, &CLostProfitDlg::DeleteRow);
    connect(deleteAll_, &QPushButton::clicked, this, &CLostProfitDlg::DeleteAll);
    connect(save_, &QPushButton::clicked, this, &CLostProfitDlg::Save);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
}

void CLostProfitDlg::AppendRow(const RuleGridRow& row) {
    const int r = grid_->AppendItem(row.setTime);
    grid_->SetItemText(r, StopLossPrice, row.stopLossPrice);
    grid_->SetItemText(r, StopLossLots, row.stopLossLots);
    grid_->SetItemText(r, TakeProfitPrice, row.takeProfitPrice);
    grid_->SetItemText(r, TakeProfitLots, row.takeProfitLots);
    grid_->SetItemText(r, Validity, Ansi("当日"));
    // Prices and lots are numbers by the input rule; anything else would be read as another
    // number, or as 0 and never fire.
    grid_->SetNumberInput(r, StopLossPrice, NumberKind::Price, target_.priceDecimals);
    grid_->SetNumberInput(r, TakeProfitPrice, NumberKind::Price, target_.priceDecimals);
    grid_->SetNumberInput(r, StopLossLots, NumberKind::Lots);
    grid_->SetNumberInput(r, TakeProfitLots, NumberKind::Lots);
}

void CLostProfitDlg::AddRow() {
    const std::tm t = platform::LocalTime(clock());
    AppendRow({Format("%04d-%02d-%02d %02d:%02d", t.tm_year + 1900, t.tm_mon + 1, t.tm_mday,
                      t.tm_hour, t.tm_min),
               "", "", "", ""});
}

void CLostProfitDlg::DeleteRow() {
    const int row = grid_->GetFirstSelectedRow();
    if (row >= 0) {
        grid_->DeleteItem(row);
    }
}

void CLostProfitDlg::DeleteAll() {
    if (Message(this, Ansi("确认是否删除设置?"), Ansi("止损止盈设置"), MessageButtons::YesNo) ==
        MessageResult::Yes) {
        grid_->DeleteAllItems();
    }
}

// The grid is this dialog's own input form: what the trader typed is read from it once, when
// saved, and checked by the rules before it is stored.
std::vector<RuleGridRow> CLostProfitDlg::GridRows() const {
    std::vector<RuleGridRow> rows;
    rows.reserve(static_cast<std::size_t>(grid_->GetItemCount()));
    for (int r = 0; r < grid_->GetItemCount(); ++r) {
        rows.push_back({grid_->GetItemText(r, SetTime), grid_->GetItemText(r, StopLossPrice),
                        grid_->GetItemText(r, StopLossLots), grid_->GetItemText(r, TakeProfitPrice),
                        grid_->GetItemText(r, TakeProfitLots)});
    }
    return rows;
}

void CLostProfitDlg::Save() {
    // A cell still being edited counts with what it shows.
    if (CInPlaceEdit* editor = grid_->Editor()) {
        editor->Commit();
    }
    std::vector<RuleGridRow> rows = GridRows();
    const LotsUnit unit = units_[1]->isChecked()   ? LotsUnit::OneLot
                          : units_[2]->isChecked() ? LotsUnit::Default
                                                   : LotsUnit::Auto;
    FillMissingLots(rows, unit, target_.closableLots);
    if (const std::string refused = CheckRuleInputs(rows, target_.priceDecimals);
        !refused.empty()) {
        Message(this, refused);
        return;
    }
    SaveOutcome outcome = SaveStopRules(table_, target_.code, target_.direction, target_.positionId,
                                        quotes_.FindQuote(target_.code), rows, clock());
    if (!outcome.message.empty()) {
        Message(this, outcome.message);
        return;
    }
    outcome_ = std::move(outcome);
    accept();
}

}  // namespace ft::ui
