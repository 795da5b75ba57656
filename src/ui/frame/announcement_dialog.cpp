#include "ui/frame/announcement_dialog.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

#include "ui/common/text_boundary.h"
#include "ui/controls/gradient_button.h"
#include "ui/controls/text_controls.h"

namespace ft::ui {

CGonggaoDlg::CGonggaoDlg(QWidget* parent)
    : QDialog(parent), text_(new MultiLineEdit(this)), ok_(new CXPButton(this)) {
    setWindowTitle(QStringLiteral("最新公告"));
    resize(520, 360);

    text_->setReadOnly(true);
    text_->setLineWrapMode(QPlainTextEdit::NoWrap);
    text_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    text_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    ok_->setText(QStringLiteral("确定"));
    ok_->setFixedSize(75, 26);
    ok_->setDefault(true);
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    refocus_.setSingleShot(true);
    refocus_.setInterval(300);
    connect(&refocus_, &QTimer::timeout, this, [this] { ok_->setFocus(Qt::OtherFocusReason); });

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok_);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text_);
    layout->addLayout(buttons);
}

void CGonggaoDlg::SetAnnouncement(const QString& text) {
    text_->setPlainText(CutLongLines(text));
}

QString CGonggaoDlg::Announcement() const {
    return text_->toPlainText();
}

void CGonggaoDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (started_) {
        return;
    }
    started_ = true;
    ok_->setFocus(Qt::OtherFocusReason);
    // Once more after the window has settled, so the text is not left selected and Enter
    // closes the dialog.
    refocus_.start();
}

}  // namespace ft::ui
