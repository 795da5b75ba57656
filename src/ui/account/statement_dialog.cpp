#include "ui/account/statement_dialog.h"

#include <QDateEdit>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QResizeEvent>
#include <optional>

#include "account/statement_rules.h"
#include "core/text.h"
#include "net/request_client.h"
#include "platform/system.h"
#include "ui/common/effects.h"
#include "ui/common/run_aside.h"
#include "ui/common/text_boundary.h"
#include "ui/controls/gradient_button.h"
#include "ui/controls/text_controls.h"

namespace ft::ui {
namespace {

constexpr int kTextLeft = 3;
constexpr int kTextTop = 36;

QFont StatementFont() {
    // 宋体 where it exists; elsewhere a monospaced CJK font, so a Chinese character is as wide
    // as two digits and the columns stay aligned.
    QFont font(QStringLiteral("宋体"));
    font.setFamilies({QStringLiteral("宋体"), QStringLiteral("SimSun"),
                      QStringLiteral("WenQuanYi Zen Hei Mono"), QStringLiteral("monospace")});
    font.setPixelSize(13);
    font.setWeight(QFont::Thin);
    font.setFixedPitch(true);
    font.setStyleHint(QFont::TypeWriter);
    return font;
}

}  // namespace

CJiesDlg::CJiesDlg(const SessionState& session, QWidget* parent, QDate today)
    : QDialog(parent),
      session_(session),
      date_(new QDateEdit(today, this)),
      query_(new CXPButton(QStringLiteral("查询日结算单"), this)),
      save_(new CXPButton(QStringLiteral("保存到文件"), this)),
      text_(new MultiLineEdit(this)) {
    setWindowTitle(QStringLiteral("历史结算单查询"));
    resize(818, 596);

    auto* label = new CTStatic(QStringLiteral("日期"), this);
    label->setGeometry(10, 8, 30, 22);
    date_->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    date_->setCalendarPopup(true);
    date_->setGeometry(44, 7, 120, 24);
    query_->setGeometry(180, 6, 110, 26);
    save_->setGeometry(300, 6, 100, 26);

    text_->setReadOnly(true);
    text_->setLineWrapMode(QPlainTextEdit::NoWrap);
    text_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    text_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    text_->setFont(StatementFont());
    QPalette palette = text_->palette();
    palette.setColor(QPalette::Base, QColor(255, 255, 245));
    text_->setPalette(palette);
    PlaceTextBox();

    connect(query_, &QPushButton::clicked, this, &CJiesDlg::FetchStatement);
    connect(save_, &QPushButton::clicked, this, &CJiesDlg::SaveStatement);
    FetchStatement();
}

void CJiesDlg::PlaceTextBox() {
    text_->setGeometry(kTextLeft, kTextTop, std::max(0, width() - kTextLeft),
                       std::max(0, height() - kTextTop));
}

void CJiesDlg::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    PlaceTextBox();
}

void CJiesDlg::FetchStatement() {
    if (fetching_) {
        return;
    }
    fetching_ = true;
    query_->setEnabled(false);
    const QDate date = date_->date();
    const std::string userName = session_.Login().userName;
    const std::string body = StatementBody(userName, date.year(), date.month(), date.day());
    const std::string asked = FromQt(date.toString(QStringLiteral("yyyy-MM-dd")));
    const SessionState* session = &session_;
    struct Fetched {
        std::optional<std::string> statement;
        std::string why;  // when there is none
    };
    RunAside(
        this,
        [session, userName, body] {
            Fetched fetched;
            std::string answer;
            const PostResult sent = PostRequest(*session, kStatementPath, body, answer);
            if (!sent.ok()) {
                const std::string status = HttpStatusText(sent);
                fetched.why = !status.empty() ? Ansi("交易服务器出错（") + status + Ansi("）")
                              : sent.status == PostStatus::NotSent ? Ansi("无法连接交易服务器")
                                                                   : Ansi("交易服务器无应答");
                return fetched;
            }
            fetched.statement = LayOutStatement(answer, userName);
            if (!fetched.statement) {
                fetched.why = StatementRefusal(answer);
            }
            return fetched;
        },
        [this, asked](Fetched fetched) {
            fetching_ = false;
            query_->setEnabled(true);
            if (fetched.statement) {
                statement_ = std::move(*fetched.statement);
                QString shown = ToQt(statement_);
                shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
                // Saved as it came; shown with no line long enough to stall the window.
                text_->setPlainText(CutLongLines(shown));
            } else {
                // The text stays, but under another date it would pass for that day's.
                Message(this, StatementFailureMessage(asked, fetched.why, !statement_.empty()));
            }
            emit fetchFinished();
        },
        this);
}

void CJiesDlg::SaveStatement() {
    const QString proposed = ToQt(ProposedStatementName(platform::LocalNow()));
    const QString chosen = CurrentEffects().AskSaveFileName(
        this, proposed, QStringLiteral("txt文件(*.txt)"), QStringLiteral("txt"));
    if (chosen.isEmpty()) {
        return;
    }
    const std::string chosenPath = QFile::encodeName(chosen).toStdString();
    const std::string path = StatementFilePath(chosenPath);
    const std::string shownName = FromQt(QFile::decodeName(QByteArray::fromStdString(path)));
    // The save dialog asked about the name it returned; a name this adds ".txt" to is asked
    // about here.
    if (path != chosenPath &&
        QFileInfo::exists(QFile::decodeName(QByteArray::fromStdString(path)))) {
        const MessageResult answer = Message(
            this, Ansi("文件 ") + shownName + Ansi(" 已存在，要替换它吗？"), MessageButtons::YesNo);
        if (answer != MessageResult::Yes) {
            return;
        }
    }
    if (!WriteFileReplacing(path, statement_)) {
        Message(this, Ansi("结算单未能保存到文件 ") + shownName);
    }
}

}  // namespace ft::ui
