#include "ui/market/quote_board_panel.h"

#include <QFile>
#include <QMenu>
#include <QResizeEvent>

#include "core/text.h"
#include "net/request_client.h"
#include "ui/app/effects.h"
#include "ui/controls/list_ctrl.h"
#include "ui/frame/main_frame.h"
#include "ui/frame/order_entry_target.h"
#include "ui/market/contract_list_panel.h"
#include "ui/market/custom_contracts_dialog.h"
#include "ui/text_boundary.h"

namespace ft::ui {
namespace {

struct Column {
    const char* title;
    int width;
};
constexpr Column kColumns[kQuoteBoardColumns] = {
    {"合约", 70},   {"合约名", 90}, {"最新价", 70}, {"涨跌", 60},   {"买价", 70},
    {"买量", 70},   {"卖价", 70},   {"卖量", 70},   {"成交量", 70}, {"持仓量", 70},
    {"涨跌幅", 70}, {"昨收盘", 70}, {"成交额", 70}, {"涨停价", 80}, {"跌停价", 80},
    {"今开盘", 80}, {"昨结算", 80}, {"最高价", 80}, {"最低价", 80}};

QColor ToColour(const Rgb& c) {
    return QColor(c.r, c.g, c.b);
}

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
    : CTPanel(parent), context_(context), list_(new CListCtrlCl(this)) {
    BuildColumns();
    connect(list_, &CListCtrlCl::itemClicked, this, [this] { OnClick(); });
    connect(list_, &CListCtrlCl::itemDoubleClicked, this, [this] { OnDoubleClick(); });
    connect(list_, &CListCtrlCl::itemRightClicked, this,
            [this](int, int, const QPoint& pos) { ShowMenu(pos); });
    connect(&timer_, &QTimer::timeout, this, &CPriceSubDlg1::Tick);
    LoadCustomList();
    timer_.start(kTickMs);
}

void CPriceSubDlg1::BuildColumns() {
    StyleMarketList(*list_, "00" + std::string(17, '2'));
    for (int c = 0; c < kQuoteBoardColumns; ++c) {
        list_->InsertColumn(c, Ansi(kColumns[c].title), kColumns[c].width);
    }
}

CPriceSubDlg1::~CPriceSubDlg1() {
    for (std::thread& load : loads_) {
        load.join();
    }
}

void CPriceSubDlg1::LoadCustomList() {
    const unsigned generation = ++loadGeneration_;
    const std::string user = context_.session.Login().userName;
    // The request runs aside so a slow back-end never holds the window; the rows are added on
    // the UI thread when the answer is there, unless a newer load has started meanwhile.
    loads_.emplace_back([this, generation, user, session = &context_.session] {
        std::string answer;
        const bool ok = PostForm(*session, kGetUserFuturesPath, GetUserFuturesBody(user), answer);
        QMetaObject::invokeMethod(
            this,
            [this, generation, ok, contracts = ParseCustomContracts(answer)] {
                if (generation != loadGeneration_) {
                    return;
                }
                if (ok) {
                    AddRows(contracts);
                }
                emit loaded();
            },
            Qt::QueuedConnection);
    });
}

void CPriceSubDlg1::AddRows(const std::vector<CustomContract>& contracts) {
    for (const CustomContract& contract : contracts) {
        const int row = list_->AppendItem(contract.code);
        list_->SetItemText(row, 1, contract.name);
        list_->SetCellTextColour(0, row, ToColour(kCodeColour));
        context_.quotes.Subscribe(contract.code);
        codes_.push_back(contract.code);
    }
}

void CPriceSubDlg1::Reload() {
    timer_.stop();
    list_->DeleteAllItems();
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

void CPriceSubDlg1::Tick() {
    // The row count is read again for every row: a hand-over may add or drop one meanwhile.
    for (int row = 0; row < list_->GetItemCount(); ++row) {
        for (int c = 0; c < kQuoteBoardColumns; ++c) {
            shown_[static_cast<std::size_t>(c)] = list_->ItemText(row, c);
        }
        QuoteRowWrites(shown_, context_.quotes.FindQuote(shown_[0]), writes_);
        for (const CellWrite& write : writes_) {
            if (write.colour) {
                list_->SetCellTextColour(write.column, row, ToColour(*write.colour));
            }
            list_->SetItemTextIfChanged(row, write.column, write.text);
        }
    }
}

OrderEntryTarget* CPriceSubDlg1::OrderEntry() const {
    return context_.frame ? context_.frame->OrderEntry() : nullptr;
}

void CPriceSubDlg1::OnClick() {
    const int row = list_->GetFirstSelectedRow();
    OrderEntryTarget* target = OrderEntry();
    if (row < 0 || !target) {
        return;
    }
    target->SelectContract(list_->GetItemText(row, 0), list_->GetItemText(row, 1), 0);
}

void CPriceSubDlg1::OnDoubleClick() {
    const int row = list_->GetFirstSelectedRow();
    OrderEntryTarget* target = OrderEntry();
    if (row < 0 || !target) {
        return;
    }
    target->ChooseBuy();
    target->ChooseOpen();
    target->SelectContract(list_->GetItemText(row, 0), list_->GetItemText(row, 1), 0);
    // Wait (on the UI thread, without blocking it) up to 4 s for the panel's price.
    auto* poll = new QTimer(this);
    auto tries = std::make_shared<int>(0);
    connect(poll, &QTimer::timeout, this, [this, poll, tries] {
        OrderEntryTarget* entry = OrderEntry();
        if (entry && entry->HasPrice()) {
            poll->deleteLater();
            poll->stop();
            entry->SubmitOrder();
        } else if (++*tries >= 200 || !entry) {
            poll->stop();
            poll->deleteLater();
        }
    });
    poll->start(20);
}

void CPriceSubDlg1::ShowMenu(const QPoint& globalPos) {
    QMenu menu(this);
    menu.addAction(QStringLiteral("设置自选合约"), this, &CPriceSubDlg1::EditCustomList);
    menu.addSeparator();
    menu.addAction(QStringLiteral("导出列表"), this, &CPriceSubDlg1::ExportList);
    menu.exec(globalPos);
}

void CPriceSubDlg1::EditCustomList() {
    const CListCtrlCl* catalogue = nullptr;
    if (context_.frame && context_.frame->TopView()) {
        catalogue = context_.frame->TopView()->ContractList();
    }
    COptHyDlg dialog(context_.session, catalogue, this);
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

void CPriceSubDlg1::resizeEvent(QResizeEvent* event) {
    CTPanel::resizeEvent(event);
    list_->setGeometry(rect());
}

}  // namespace ft::ui
