#include "ui/market/custom_contracts_dialog.h"

#include <algorithm>

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "core/text.h"
#include "net/request_client.h"
#include "ui/common/effects.h"
#include "ui/common/run_aside.h"
#include "ui/common/text_boundary.h"
#include "ui/controls/gradient_button.h"
#include "ui/controls/list_ctrl.h"
#include "ui/controls/text_controls.h"

namespace ft::ui {
namespace {

CListCtrlCl* MakeList(QWidget* parent, const char* codeTitle, int codeWidth, int nameWidth) {
    auto* list = new CListCtrlCl(parent);
    list->setShowGrid(true);
    list->SetAlignment("11");
    list->InsertColumn(0, Ansi(codeTitle), codeWidth);
    list->InsertColumn(1, Ansi("合约名称"), nameWidth);
    list->setMinimumSize(codeWidth + nameWidth + 24, 300);
    return list;
}

}  // namespace

COptHyDlg::COptHyDlg(const SessionState& session, QWidget* parent)
    : QDialog(parent),
      session_(session),
      filter_(new CTEdit(this)),
      all_(MakeList(this, "合约代码", 90, 105)),
      custom_(MakeList(this, "自选合约代码", 100, 100)),
      add_(new CXPButton(QStringLiteral("→"), this)),
      remove_(new CXPButton(QStringLiteral("←"), this)),
      up_(new CXPButton(QStringLiteral("↑"), this)),
      down_(new CXPButton(QStringLiteral("↓"), this)),
      ok_(new CXPButton(QStringLiteral("确定"), this)),
      cancel_(new CXPButton(QStringLiteral("取消"), this)) {
    setWindowTitle(QStringLiteral("自选合约设置"));

    auto* filterRow = new QHBoxLayout;
    filterRow->addWidget(new QLabel(QStringLiteral("输入合约"), this));
    filterRow->addWidget(filter_);
    auto* left = new QVBoxLayout;
    left->addLayout(filterRow);
    left->addWidget(all_);
    auto* middle = new QVBoxLayout;
    middle->addStretch();
    for (CXPButton* b : {add_, remove_, up_, down_}) {
        b->setFixedSize(40, 26);
        middle->addWidget(b);
    }
    middle->addStretch();
    auto* bottom = new QHBoxLayout;
    bottom->addStretch();
    for (CXPButton* b : {ok_, cancel_}) {
        b->setFixedSize(75, 26);
        bottom->addWidget(b);
    }
    auto* lists = new QHBoxLayout;
    lists->addLayout(left);
    lists->addLayout(middle);
    lists->addWidget(custom_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(lists);
    layout->addLayout(bottom);

    connect(add_, &QPushButton::clicked, this, &COptHyDlg::OnAdd);
    connect(remove_, &QPushButton::clicked, this, &COptHyDlg::OnRemove);
    connect(up_, &QPushButton::clicked, this, &COptHyDlg::OnUp);
    connect(down_, &QPushButton::clicked, this, &COptHyDlg::OnDown);
    connect(ok_, &QPushButton::clicked, this, &COptHyDlg::OnOk);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
    connect(filter_, &QLineEdit::textChanged, this, &COptHyDlg::ApplyFilter);
    connect(all_, &CListCtrlCl::itemDoubleClicked, this, &COptHyDlg::OnAdd);

    catalogue_ = Catalogue(*session_.products.Snapshot());
    ApplyFilter(QString());
    LoadCustomList();
}

void COptHyDlg::LoadCustomList() {
    // 确定 waits for the list: saving before it is read would store an empty one.
    ok_->setEnabled(false);
    const SessionState* session = &session_;
    RunAside(
        this,
        [session] {
            std::string answer;
            const bool ok = PostForm(*session, kGetUserFuturesPath,
                                     GetUserFuturesBody(session->Login().userName), answer);
            return std::make_pair(ok, ParseCustomContracts(answer));
        },
        [this](std::pair<bool, std::vector<CustomContract>> result) {
            if (!result.first) {
                // Saving the empty right list now would erase the list the back-end holds.
                Message(this, Ansi("读取自选合约失败，无法修改"));
                return;
            }
            custom_contracts_ = std::move(result.second);
            ShowCustomList(-1);
            loaded_ = true;
            ok_->setEnabled(true);
            emit customListLoaded();
        },
        this);
}

void COptHyDlg::ApplyFilter(const QString& text) {
    const QString needle = text.trimmed();
    all_->DeleteAllItems();
    shown_.clear();
    for (const CustomContract& c : catalogue_) {
        if (!needle.isEmpty() && !ToQt(c.code).contains(needle, Qt::CaseInsensitive) &&
            !ToQt(c.name).contains(needle, Qt::CaseInsensitive)) {
            continue;
        }
        shown_.push_back(c);
        const int row = all_->AppendItem(c.code);
        all_->SetItemText(row, 1, c.name);
    }
}

void COptHyDlg::ShowCustomList(int selected) {
    custom_->ClearSelection();
    custom_->DeleteAllItems();
    for (const CustomContract& c : custom_contracts_) {
        const int row = custom_->AppendItem(c.code);
        custom_->SetItemText(row, 1, c.name);
    }
    if (selected >= 0) {
        custom_->SelectRow(selected);
        custom_->setFocus();
    }
}

void COptHyDlg::OnAdd() {
    const int row = all_->GetFirstSelectedRow();
    if (row < 0 || static_cast<std::size_t>(row) >= shown_.size()) {
        return;
    }
    const CustomContract& picked = shown_[static_cast<std::size_t>(row)];
    if (std::any_of(custom_contracts_.begin(), custom_contracts_.end(),
                    [&](const CustomContract& c) { return c.code == picked.code; })) {
        return;
    }
    custom_contracts_.push_back(picked);
    const int added = custom_->AppendItem(picked.code);
    custom_->SetItemText(added, 1, picked.name);
}

void COptHyDlg::OnRemove() {
    const int row = custom_->GetFirstSelectedRow();
    if (row >= 0 && static_cast<std::size_t>(row) < custom_contracts_.size()) {
        custom_contracts_.erase(custom_contracts_.begin() + row);
        // The selection goes with the deleted row; a second ← must not remove the next one.
        ShowCustomList(-1);
    }
}

void COptHyDlg::Swap(int row, int other) {
    std::swap(custom_contracts_[static_cast<std::size_t>(row)],
              custom_contracts_[static_cast<std::size_t>(other)]);
    ShowCustomList(other);
}

void COptHyDlg::OnUp() {
    const int row = custom_->GetFirstSelectedRow();
    if (row >= 1 && static_cast<std::size_t>(row) < custom_contracts_.size()) {
        Swap(row, row - 1);
    }
}

void COptHyDlg::OnDown() {
    const int row = custom_->GetFirstSelectedRow();
    if (row >= 0 && static_cast<std::size_t>(row) + 1 < custom_contracts_.size()) {
        Swap(row, row + 1);
    }
}

std::vector<CustomContract> COptHyDlg::CustomContracts() const {
    return custom_contracts_;
}

void COptHyDlg::OnOk() {
    if (!loaded_ || saving_) {
        return;
    }
    saving_ = true;
    ok_->setEnabled(false);
    const SessionState* session = &session_;
    const std::string body = SetUserFuturesBody(session_.Login().userName, CustomContracts());
    RunAside(
        this,
        [session, body] {
            std::string answer;
            return PostForm(*session, kSetUserFuturesPath, body, answer);
        },
        [this](bool ok) {
            Message(this, Ansi(ok ? "修改完成" : "修改失败，请重试"));
            saving_ = false;
            accept();
        },
        this);
}

}  // namespace ft::ui
