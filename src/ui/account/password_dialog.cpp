#include "ui/account/password_dialog.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>
#include <utility>

#include "account/password_rules.h"
#include "core/text.h"
#include "net/request_client.h"
#include "ui/common/effects.h"
#include "ui/common/run_aside.h"
#include "ui/common/text_boundary.h"
#include "ui/controls/gradient_button.h"
#include "ui/controls/text_controls.h"

namespace ft::ui {
namespace {

CTEdit* PasswordEdit(QWidget* parent) {
    CTEdit* edit = NewPasswordEdit(parent);
    edit->setFixedHeight(22);
    return edit;
}

}  // namespace

CPwdDlg::CPwdDlg(const SessionState& session, QWidget* parent)
    : QDialog(parent),
      session_(session),
      old_(PasswordEdit(this)),
      new_(PasswordEdit(this)),
      confirmation_(PasswordEdit(this)),
      ok_(new CXPButton(QStringLiteral("确定"), this)) {
    setWindowTitle(QStringLiteral("密码修改"));
    resize(357, 194);

    auto* heading = new CTStatic(QStringLiteral("登录密码修改"), this);
    QFont headingFont = font();
    headingFont.setBold(true);
    heading->SetFont(headingFont);

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(8);
    const std::pair<const char*, CTEdit*> rows[] = {
        {"原密码", old_}, {"新密码", new_}, {"确认密码", confirmation_}};
    int row = 0;
    for (const auto& [label, edit] : rows) {
        grid->addWidget(new CTStatic(QString::fromUtf8(label), this), row, 0);
        grid->addWidget(edit, row, 1);
        ++row;
    }

    ok_->setFixedSize(75, 26);
    ok_->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok_);
    buttons->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(30, 12, 30, 12);
    layout->addWidget(heading);
    layout->addLayout(grid);
    layout->addLayout(buttons);

    connect(ok_, &QPushButton::clicked, this, &CPwdDlg::ChangePassword);
}

void CPwdDlg::ChangePassword() {
    if (sending_) {
        return;
    }
    const std::string oldPassword = FromQt(old_->text());
    const std::string newPassword = FromQt(new_->text());
    const std::string confirmation = FromQt(confirmation_->text());
    if (const auto message = PasswordInputMessage(oldPassword, newPassword, confirmation)) {
        Message(this, *message);
        return;
    }
    sending_ = true;
    ok_->setEnabled(false);
    const SessionState* session = &session_;
    const std::string body = PasswordChangeBody(oldPassword, newPassword);
    RunAside(
        this,
        [session, body] {
            std::string answer;
            const PostResult sent = PostRequest(*session, kChangePasswordPath, body, answer);
            return std::make_pair(sent, answer);
        },
        [this](const std::pair<PostResult, std::string>& ended) {
            sending_ = false;
            const PostResult& sent = ended.first;
            if (sent.ok()) {
                const PasswordOutcome outcome = ParsePasswordAnswer(ended.second);
                if (outcome.success) {
                    Message(this, PasswordChangedMessage());
                    // The old password signs every request of this process: start again.
                    CurrentEffects().ExitProcess(0);
                    return;
                }
                if (outcome.message) {
                    Message(this, *outcome.message);
                }
            } else if (sent.unknown() || sent.status == PostStatus::HttpError) {
                // Whether the old password still signs is unknown: going on could leave every
                // request, stop-loss closings included, refused. A new login settles it.
                const std::string status = HttpStatusText(sent);
                Message(this, Ansi("密码修改结果未知") +
                                  (status.empty() ? "" : Ansi("（") + status + Ansi("）")) +
                                  Ansi("，程序将退出；请重新登录，新密码或原密码之一有效"));
                CurrentEffects().ExitProcess(0);
                return;
            } else {
                Message(this, Ansi("密码修改失败，无法连接交易服务器"));
            }
            ok_->setEnabled(true);
            emit requestFinished();
        },
        this);
}

void CPwdDlg::done(int result) {
    if (sending_) {
        Message(this, Ansi("密码修改请求已发出，正在等待结果，请稍候再关闭"));
        return;
    }
    QDialog::done(result);
}

}  // namespace ft::ui
