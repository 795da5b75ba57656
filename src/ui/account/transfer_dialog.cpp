#include "ui/account/transfer_dialog.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QTabWidget>
#include <QVBoxLayout>
#include <memory>
#include <optional>
#include <utility>

#include "core/text.h"
#include "net/request_client.h"
#include "ui/common/effects.h"
#include "ui/common/reconciler.h"
#include "ui/common/run_aside.h"
#include "ui/common/text_boundary.h"
#include "ui/controls/gradient_button.h"
#include "ui/controls/list_kit.h"
#include "ui/controls/text_controls.h"

namespace ft::ui {
namespace {

CTEdit* ReadOnlyEdit(QWidget* parent) {
    auto* edit = new CTEdit(parent);
    edit->setReadOnly(true);
    return edit;
}

// The answer of a request, or nothing when it failed.
std::optional<std::string> Post(const SessionState* session, const char* path,
                                const std::string& body) {
    std::string answer;
    if (!PostForm(*session, path, body, answer)) {
        return std::nullopt;
    }
    return answer;
}

}  // namespace

CZZDlg1::CZZDlg1(const SessionState& session, QWidget* parent)
    : QWidget(parent),
      session_(session),
      bank_(new QComboBox(this)),
      card_(new CTStatic(this)),
      credit_(new CTStatic(QStringLiteral("信用资产："), this)),
      transferable_(new CTStatic(QStringLiteral("可转金额："), this)),
      fundPassword_(NewPasswordEdit(this)),
      futuresFunds_(ReadOnlyEdit(this)),
      futuresQuery_(new CXPButton(QStringLiteral("查询"), this)),
      bankPassword_(NewPasswordEdit(this)),
      bankFunds_(ReadOnlyEdit(this)),
      bankQuery_(new CXPButton(QStringLiteral("查询"), this)),
      amount_(new CTEdit(this)),
      toBank_(new CXPButton(QStringLiteral("期货 -> 银行"), this)),
      toFutures_(new CXPButton(QStringLiteral("银行 -> 期货"), this)) {
    reconciler_ = new Reconciler(this);
    auto* grid = new QGridLayout(this);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(8);
    grid->addWidget(new CTStatic(QStringLiteral("转帐银行："), this), 0, 0);
    grid->addWidget(bank_, 0, 1);
    grid->addWidget(card_, 0, 2, 1, 3);
    grid->addWidget(credit_, 1, 0, 1, 2);
    grid->addWidget(transferable_, 1, 2, 1, 3);
    grid->addWidget(new CTStatic(QStringLiteral("资金密码："), this), 2, 0);
    grid->addWidget(fundPassword_, 2, 1);
    grid->addWidget(new CTStatic(QStringLiteral("期货资金："), this), 2, 2);
    grid->addWidget(futuresFunds_, 2, 3);
    grid->addWidget(futuresQuery_, 2, 4);
    grid->addWidget(new CTStatic(QStringLiteral("银行密码："), this), 3, 0);
    grid->addWidget(bankPassword_, 3, 1);
    grid->addWidget(new CTStatic(QStringLiteral("银行资金："), this), 3, 2);
    grid->addWidget(bankFunds_, 3, 3);
    grid->addWidget(bankQuery_, 3, 4);
    grid->addWidget(new CTStatic(QStringLiteral("转账金额："), this), 4, 0);
    grid->addWidget(amount_, 4, 1);
    auto* transfers = new QHBoxLayout;
    transfers->addWidget(toBank_);
    transfers->addWidget(toFutures_);
    grid->addLayout(transfers, 4, 2, 1, 3);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    grid->setRowStretch(5, 1);
    for (CXPButton* b : {futuresQuery_, bankQuery_}) {
        b->setFixedSize(60, 24);
        b->setAutoDefault(false);
    }
    for (CXPButton* b : {toBank_, toFutures_}) {
        b->setFixedHeight(24);
        b->setAutoDefault(false);
    }
    for (CTEdit* e : {fundPassword_, futuresFunds_, bankPassword_, bankFunds_, amount_}) {
        e->setFixedHeight(22);
    }

    connect(futuresQuery_, &QPushButton::clicked, this, &CZZDlg1::QueryFuturesFunds);
    connect(bankQuery_, &QPushButton::clicked, this, &CZZDlg1::QueryBankFunds);
    connect(toBank_, &QPushButton::clicked, this, &CZZDlg1::TransferToBank);
    connect(toFutures_, &QPushButton::clicked, this, &CZZDlg1::TransferToFutures);
    Start();
}

void CZZDlg1::Start() {
    for (const char* bank : kBanks) {
        bank_->addItem(QString::fromUtf8(bank));
    }
    bank_->setCurrentIndex(BankIndex(session_.Login().bankName));
    card_->setText(QStringLiteral("银行卡号:"));
    connect(bank_, &QComboBox::currentIndexChanged, this, &CZZDlg1::OnBankChanged);

    const SessionState* session = &session_;
    RunAside(
        this, [session] { return Post(session, kTransferStartPath, std::string()); },
        [this](std::optional<std::string> answer) {
            if (answer) {
                const TransferStart start = ParseTransferStart(*answer);
                ShowStart(start);
                cardNumber_ = start.cardNumber;
            }
            card_->setText(ToQt(Ansi("银行卡号:") + cardNumber_));
            emit started();
        },
        window());
}

void CZZDlg1::ShowStart(const TransferStart& start) {
    if (start.creditLine) {
        transferableLine_ = *start.transferableLine;
        credit_->setText(ToQt(*start.creditLine));
        transferable_->setText(ToQt(transferableLine_));
    }
}

void CZZDlg1::OnBankChanged() {
    const std::string selected = bank_->currentIndex() >= 0 ? FromQt(bank_->currentText()) : "";
    card_->setText(ToQt(ft::CardLine(selected, session_.Login().bankName, cardNumber_)));
}

void CZZDlg1::QueryFuturesFunds() {
    QueryBalance(futuresQuery_, fundPassword_, futuresFunds_, kFuturesFundsPath, false);
}

void CZZDlg1::QueryBankFunds() {
    QueryBalance(bankQuery_, bankPassword_, bankFunds_, kBankFundsPath, true);
}

void CZZDlg1::QueryBalance(CXPButton* button, CTEdit* passwordEdit, CTEdit* result,
                           const char* path, bool bank) {
    if (!button->isEnabled()) {
        return;
    }
    const std::string password = FromQt(passwordEdit->text());
    if (password.empty()) {
        Message(this, MissingPasswordMessage());
        return;
    }
    const std::string user = session_.Login().userName;
    const std::string body =
        bank ? BankFundsBody(user, password) : FuturesFundsBody(user, password);
    button->setEnabled(false);
    const SessionState* session = &session_;
    RunAside(
        this, [session, path, body] { return Post(session, path, body); },
        [this, button, result](std::optional<std::string> answer) {
            button->setEnabled(true);
            if (answer) {
                const BalanceOutcome outcome = ParseBalanceAnswer(*answer);
                if (outcome.balance) {
                    result->setText(ToQt(*outcome.balance));
                } else {
                    Message(this, *outcome.message);
                }
            }
            emit requestFinished();
        },
        window());
}

void CZZDlg1::TransferToBank() {
    Transfer(TransferKind::ToBank, toBank_);
}

void CZZDlg1::TransferToFutures() {
    Transfer(TransferKind::ToFutures, toFutures_);
}

void CZZDlg1::Transfer(TransferKind kind, CXPButton* button) {
    // A second press while the first transfer is out must never move the money twice.
    if (!button->isEnabled()) {
        return;
    }
    // Blanks around a pasted amount are not part of the number.
    const std::string amount(Trim(FromQt(amount_->text())));
    const std::string password =
        FromQt((kind == TransferKind::ToBank ? fundPassword_ : bankPassword_)->text());
    if (const auto message = TransferInputMessage(kind, amount, password)) {
        Message(this, *message);
        return;
    }
    const std::string body = TransferBody(kind, session_.Login().userName, amount, password);
    const char* path = kind == TransferKind::ToBank ? kToBankPath : kToFuturesPath;
    // Both directions wait: a transfer back before the first is known could move money twice.
    EnableTransfers(false);
    transferOut_ = true;
    const SessionState* session = &session_;
    RunAside(
        this,
        [session, path, body] {
            std::string answer;
            const PostResult sent = PostRequest(*session, path, body, answer);
            return std::make_pair(sent, answer);
        },
        [this](const std::pair<PostResult, std::string>& ended) {
            transferOut_ = false;
            TransferEnded(ended.first, ended.second);
            emit requestFinished();
        },
        window());
}

void CZZDlg1::TransferEnded(const PostResult& sent, const std::string& answer) {
    if (sent.ok() && TransferAnswerVerdict(answer) != TransferVerdict::Unknown) {
        Message(this, TransferAnswerMessage(answer));
        EnableTransfers(true);
        return;
    }
    if (sent.status == PostStatus::NotSent) {
        Message(this, Ansi("转账失败，无法连接交易服务器"));
        EnableTransfers(true);
        return;
    }
    const std::string status = HttpStatusText(sent);
    Message(this,
            TransferUnknownMessage() + (status.empty() ? "" : Ansi("（") + status + Ansi("）")));
    Reconcile();
}

bool CZZDlg1::Reconciling() const {
    return reconciler_->Running();
}

void CZZDlg1::EnableTransfers(bool on) {
    toBank_->setEnabled(on);
    toFutures_->setEnabled(on);
}

void CZZDlg1::Reconcile() {
    const SessionState* session = &session_;
    const std::string before = transferableLine_;
    auto start = std::make_shared<std::optional<std::string>>();
    reconciler_->Start(
        [session, start] {
            *start = Post(session, kTransferStartPath, std::string());
            return start->has_value();
        },
        [this, before, start] {
            const TransferStart read = ParseTransferStart(**start);
            ShowStart(read);
            EnableTransfers(true);
            Message(this, TransferReconcileReport(before, transferableLine_));
        });
}

CZZDlg2::CZZDlg2(const SessionState& session, QWidget* parent)
    : QWidget(parent), session_(session), list_(new CListCtrlCl(this)) {
    list_->setShowGrid(true);
    list_->SetListBackground(QColor(255, 255, 255));
    BuildColumns(*list_, kTransferColumns);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(list_);
    LoadTransferHistory();
}

void CZZDlg2::LoadTransferHistory() {
    const SessionState* session = &session_;
    const std::string body = TransferHistoryBody(session_.Login().userName);
    RunAside(
        this, [session, body] { return Post(session, kTransferHistoryPath, body); },
        [this](std::optional<std::string> answer) {
            if (answer) {
                for (const TransferRow& row : ParseTransferHistory(*answer)) {
                    AppendRow(*list_, row);
                }
            }
            emit historyLoaded();
        },
        window());
}

void CZZDlg::done(int result) {
    if (transfer_->TransferOut()) {
        Message(this, Ansi("转账请求已发出，正在等待结果，请稍候再关闭"));
        return;
    }
    QDialog::done(result);
}

CZZDlg::CZZDlg(const SessionState& session, QWidget* parent)
    : QDialog(parent),
      tabs_(new QTabWidget(this)),
      ok_(new CXPButton(QStringLiteral("确定"), this)),
      cancel_(new CXPButton(QStringLiteral("取消"), this)) {
    setWindowTitle(QStringLiteral("银期转帐"));
    resize(572, 320);
    // The panels start their requests with this dialog as the window that waits.
    transfer_ = new CZZDlg1(session, this);
    history_ = new CZZDlg2(session, this);
    tabs_->addTab(transfer_, QStringLiteral("  转帐  "));
    tabs_->addTab(history_, QStringLiteral("查转帐记录"));
    tabs_->setCurrentIndex(0);

    for (CXPButton* b : {ok_, cancel_}) {
        b->setFixedSize(75, 26);
    }
    ok_->setDefault(true);
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok_);
    buttons->addWidget(cancel_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs_);
    layout->addLayout(buttons);
}

}  // namespace ft::ui
