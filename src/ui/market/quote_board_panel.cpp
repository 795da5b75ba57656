#include "ui/market/quote_board_panel.h"

#include <QFile>
#include <QMenu>

#include "core/text.h"
#include "net/request_client.h"
#include "ui/common/effects.h"
#include "ui/common/run_aside.h"
#include "ui/common/text_boundary.h"
#include "ui/controls/list_kit.h"
#include "ui/market/custom_contracts_dialog.h"
#include "ui/pane/submit_when_priced.h"

namespace ft::ui {
namespace {

std::string CsvCell(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) {
        return text;
    }
    std::string quoted = "\"";
    for (char c : text) {
        quoted += c;
        if (c == '"')
            quoted += '"';
    }
    return quoted + "\"";
}

}  // namespace

CPriceSubDlg1::CPriceSubDlg1(const PaneContext& context, QWidget* parent)
    : TabPanel(parent), context_(context), list_(new CListCtrlCl(this)) {
    StyleMarketList(*list_);
    BuildColumns(*list_, kQuoteColumns);
    KeepColumnWidths(*list_, "quote_board");
    SetSoleWidget(list_);
    connect(list_, &CListCtrlCl::itemClicked, this, [this] { OnClick(); });
    connect(list_, &CListCtrlCl::itemDoubleClicked, this, [this] { OnDoubleClick(); });
    connect(list_, &CListCtrlCl::itemRightClicked, this,
            [this](int, int, const QPoint& pos) { ShowMenu(pos); });
    connect(&timer_, &QTimer::timeout, this, &CPriceSubDlg1::Tick);
    LoadCustomList();
    timer_.start(kTickMs);
}

void CPriceSubDlg1::LoadCustomList() {
    const unsigned generation = ++loadGeneration_;
    const std::string user = context_.session.Login().userName;
    SessionState* session = &context_.session;
    RunAside(
        this,
        [session, user] {
            std::string answer;
            const bool ok =
                PostForm(*session, kGetUserFuturesPath, GetUserFuturesBody(user), answer);
            return std::make_pair(ok, ParseCustomContracts(answer));
        },
        [this, generation](const std::pair<bool, std::vector<CustomContract>>& result) {
            if (generation != loadGeneration_) {
                return;
            }
            if (result.first) {
                AddRows(result.second);
            }
            emit loaded();
        });
}

void CPriceSubDlg1::AddRows(const std::vector<CustomContract>& contracts) {
    for (const CustomContract& contract : contracts) {
        entries_.push_back({contract.code, contract.name, {}});
        codes_.push_back(contract.code);
    }
    context_.quotes.HoldOnly(kCustomListOwner, codes_);
    rows_.Update(*list_, entries_);
}

void CPriceSubDlg1::Reload() {
    timer_.stop();
    rows_.Clear(*list_);
    entries_.clear();
    codes_.clear();
    LoadCustomList();
    timer_.start(kTickMs);
}

bool CPriceSubDlg1::IsCustomCode(const std::string& code) const {
    for (const std::string& c : codes_) {
        if (c == code)
            return true;
    }
    return false;
}

void CPriceSubDlg1::EnsureRow(const std::string& code, const std::string& name) {
    for (const QuoteBoardEntry& entry : entries_) {
        if (entry.code == code) {
            return;
        }
    }
    entries_.push_back({code, name, {}});
    rows_.Update(*list_, entries_);
}

void CPriceSubDlg1::RemoveRow(const std::string& code) {
    for (auto it = entries_.begin(); it != entries_.end(); ++it) {
        if (it->code == code) {
            entries_.erase(it);
            rows_.Update(*list_, entries_);
            return;
        }
    }
}

int CPriceSubDlg1::Tick() {
    for (QuoteBoardEntry& entry : entries_) {
        entry.quote = context_.quotes.FindQuote(entry.code);
    }
    return rows_.Update(*list_, entries_);
}

OrderEntryTarget* CPriceSubDlg1::OrderEntry() const {
    return context_.links ? context_.links->OrderEntry() : nullptr;
}

const QuoteBoardEntry* CPriceSubDlg1::SelectedEntry() const {
    const int row = list_->GetFirstSelectedRow();
    // The rows follow the entries one for one.
    return row >= 0 && static_cast<std::size_t>(row) < entries_.size()
               ? &entries_[static_cast<std::size_t>(row)]
               : nullptr;
}

void CPriceSubDlg1::OnClick() {
    const QuoteBoardEntry* entry = SelectedEntry();
    OrderEntryTarget* target = OrderEntry();
    if (!entry || !target) {
        return;
    }
    const QuoteBoardEntry picked = *entry;
    target->SelectContract(picked.code, picked.name, 0);
}

void CPriceSubDlg1::OnDoubleClick() {
    const QuoteBoardEntry* entry = SelectedEntry();
    OrderEntryTarget* target = OrderEntry();
    if (!entry || !target) {
        return;
    }
    // A copy: selecting on the order panel may add or remove board rows.
    const QuoteBoardEntry picked = *entry;
    target->ChooseBuy();
    target->ChooseOpen();
    target->SelectContract(picked.code, picked.name, 0);
    SubmitWhenPriced(this, context_.links, picked.code);
}

void CPriceSubDlg1::ShowMenu(const QPoint& globalPos) {
    QMenu menu(this);
    menu.addAction(QStringLiteral("设置自选合约"), this, &CPriceSubDlg1::EditCustomList);
    menu.addSeparator();
    menu.addAction(QStringLiteral("导出列表"), this, &CPriceSubDlg1::ExportList);
    menu.exec(globalPos);
}

void CPriceSubDlg1::EditCustomList() {
    COptHyDlg dialog(context_.session, this);
    if (dialog.exec() == QDialog::Accepted) {
        Reload();
    }
}

std::string QuoteBoardCsv(const CListCtrlCl& list) {
    std::string csv;
    const int columns = list.GetColumnCount();
    for (int c = 0; c < columns; ++c) {
        csv += (c ? "," : "") +
               CsvCell(FromQt(list.model()->headerData(c, Qt::Horizontal).toString()));
    }
    csv += "\r\n";
    for (int r = 0; r < list.GetItemCount(); ++r) {
        for (int c = 0; c < columns; ++c) {
            csv += (c ? "," : "") + CsvCell(list.ItemText(r, c));
        }
        csv += "\r\n";
    }
    return csv;
}

bool CPriceSubDlg1::ExportList() {
    const QString name = CurrentEffects().AskSaveFileName(
        this, QStringLiteral("报价表.csv"), QStringLiteral("CSV (*.csv)"), QStringLiteral("csv"));
    if (name.isEmpty()) {
        return false;
    }
    QFile file(name);
    const std::string csv = QuoteBoardCsv(*list_);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(csv.data(), static_cast<qint64>(csv.size())) !=
            static_cast<qint64>(csv.size())) {
        Message(this, Ansi("导出失败: ") + FromQt(file.errorString()));
        return false;
    }
    return true;
}

}  // namespace ft::ui
