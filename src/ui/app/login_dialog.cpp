#include "ui/app/login_dialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>
#include <QPushButton>
#include <QRegion>
#include <chrono>
#include <thread>

#include "core/login.h"
#include "core/session_state.h"
#include "core/text.h"
#include "net/request_client.h"
#include "net/table_loaders.h"
#include "positions/stop_rule_file.h"
#include "ui/common/effects.h"
#include "ui/common/run_aside.h"
#include "ui/common/text_boundary.h"
#include "ui/common/ui_thread.h"
#include "ui/controls/gradient_button.h"
#include "ui/controls/text_controls.h"

namespace ft::ui {
namespace {

using ui::ToQt;

constexpr int kWidth = 435;
constexpr int kHeight = 304;

// Stands in for the dialog's bitmap: a light panel under a dark title band.
QPixmap PaintBackground() {
    QPixmap pixmap(kWidth, kHeight);
    QPainter p(&pixmap);
    QLinearGradient body(0, 0, 0, kHeight);
    body.setColorAt(0, QColor(245, 249, 253));
    body.setColorAt(1, QColor(214, 230, 245));
    p.fillRect(pixmap.rect(), body);
    QLinearGradient band(0, 0, 0, 70);
    band.setColorAt(0, QColor(34, 78, 140));
    band.setColorAt(1, QColor(18, 52, 104));
    p.fillRect(QRect(0, 0, kWidth, 70), band);
    p.setPen(QColor(255, 255, 255));
    QFont title(QStringLiteral("宋体"));
    title.setPixelSize(22);
    title.setBold(true);
    p.setFont(title);
    p.drawText(QRect(24, 0, kWidth - 48, 70), Qt::AlignVCenter | Qt::AlignLeft,
               QStringLiteral("期货交易终端"));
    p.setPen(QColor(120, 150, 190));
    p.drawRect(pixmap.rect().adjusted(0, 0, -1, -1));
    return pixmap;
}

}  // namespace

CFLoginDlg::CFLoginDlg(SessionState& session, TableLoader& loader, QWidget* parent)
    : QDialog(parent, Qt::FramelessWindowHint | Qt::Dialog), session_(session), loader_(loader) {
    machineCode_ = MachineCode();
    background_ = PaintBackground();
    setWindowTitle(QStringLiteral("登录"));
    setFixedSize(kWidth, kHeight);

    serverList_ = new QComboBox(this);
    account_ = new CTEdit(this);
    password_ = new CTEdit(this);
    password_->setEchoMode(QLineEdit::Password);
    login_ = new CXPButton(this);
    login_->setText(QStringLiteral("登录"));
    login_->setDefault(true);
    exit_ = new CXPButton(this);
    exit_->setText(QStringLiteral("退出"));
    serverLabel_ = new CTStatic(this);
    serverLabel_->setText(QStringLiteral("服务器"));
    accountLabel_ = new CTStatic(this);
    accountLabel_->setText(QStringLiteral("账号"));
    passwordLabel_ = new CTStatic(this);
    passwordLabel_->setText(QStringLiteral("密码"));
    saveAccount_ = new QCheckBox(QStringLiteral("保存帐号"), this);
    register_ = new QPushButton(QStringLiteral("注册用户"), this);
    register_->setCheckable(true);
    close_ = new QPushButton(QStringLiteral("×"), this);
    close_->setFlat(true);
    close_->setStyleSheet(QStringLiteral("color: white; font-weight: bold; border: none;"));

    struct Place {
        QWidget* widget;
        int x, y, w, h;
    };
    for (const Place& place :
         {Place{close_, 410, 6, 17, 18}, Place{serverLabel_, 81, 93, 54, 14},
          Place{serverList_, 143, 90, 149, 20}, Place{accountLabel_, 81, 128, 54, 14},
          Place{account_, 143, 122, 149, 23}, Place{passwordLabel_, 83, 161, 54, 14},
          Place{password_, 143, 155, 149, 23}, Place{saveAccount_, 141, 189, 71, 18},
          Place{register_, 216, 189, 72, 18}, Place{login_, 299, 122, 75, 24},
          Place{exit_, 299, 155, 75, 24}}) {
        place.widget->setGeometry(place.x, place.y, place.w, place.h);
    }
    if (session_.largeFonts) {
        QFont small(QStringLiteral("宋体"));
        small.setPixelSize(13);
        for (QWidget* w : std::initializer_list<QWidget*>{
                 serverLabel_, accountLabel_, passwordLabel_, saveAccount_, register_}) {
            w->setFont(small);
        }
    }
    // A palette, not a style sheet: a style sheet on the check box drops its indicator.
    QPalette black = saveAccount_->palette();
    black.setColor(QPalette::WindowText, Qt::black);
    saveAccount_->setPalette(black);

    connect(login_, &QPushButton::clicked, this, &CFLoginDlg::StartLogin);
    connect(exit_, &QPushButton::clicked, this, &QDialog::reject);
    connect(close_, &QPushButton::clicked, this, [] { ui::CurrentEffects().ExitProcess(0); });
    connect(register_, &QPushButton::clicked, this,
            [this] { ui::CurrentEffects().OpenUrl(ToQt(registrationUrl_)); });
    connect(serverList_, qOverload<int>(&QComboBox::currentIndexChanged), this,
            &CFLoginDlg::ChoosePages);
    OnInitDialog();
}

void CFLoginDlg::OnInitDialog() {
    for (const char* name : {"内盘日内初赛", "内盘隔夜初赛", "复赛与实盘", "合作赛"}) {
        serverList_->addItem(QString::fromUtf8(name));
    }
    serverList_->setCurrentIndex(0);
    ChoosePages(0);

    const AutoLogin autoLogin = TakeAutoLogin();
    if (autoLogin.triggered) {
        serverList_->setCurrentIndex(autoLogin.serverIndex);
        account_->setText(ToQt(autoLogin.userName));
        password_->setText(QString::fromLatin1(kAutoLoginPassword));
        StartLogin();
        return;
    }
    const SavedLogin saved = ReadSavedLogin();
    saveAccount_->setChecked(saved.saveAccount);
    account_->setText(ToQt(saved.userName));
    // An index outside the list shows no selection, as the list control did.
    serverList_->setCurrentIndex(saved.serverIndex >= 0 && saved.serverIndex < 4 ? saved.serverIndex
                                                                                 : -1);
    if (saved.serverIndex == 4) {
        ChoosePages(4);
    }
}

void CFLoginDlg::ChoosePages(int serverIndex) {
    registrationUrl_ = RegistrationUrl(serverIndex);
    session_.chatUrl = ChatUrl(serverIndex);
}

void CFLoginDlg::StartLogin() {
    if (loginRunning_) {
        return;
    }
    loginRunning_ = true;
    login_->setEnabled(false);
    login_->setText(QStringLiteral("正在登陆"));
    Typed typed{serverList_->currentIndex(), ui::FromQt(account_->text()),
                ui::FromQt(password_->text())};
    // The worker reads only the session, the loader and the fingerprint; it reaches the
    // dialog's controls and message boxes through the hand-over.
    ui::RunAside(
        this, [this, typed] { return LoginWorker(typed); },
        [this](bool loggedIn) {
            if (loggedIn) {
                accept();
            }
        },
        this);
}

void CFLoginDlg::EnableLogin() {
    ui::RunOnUiThread([this] {
        loginRunning_ = false;
        login_->setEnabled(true);
        login_->setText(QStringLiteral("登陆"));
        emit loginFailed();
    });
}

bool CFLoginDlg::LoginWorker(const Typed& typed) {
    if (typed.account.empty()) {
        ui::Message(this, Ansi("用户名不能为空"));
        EnableLogin();
        return false;
    }
    if (typed.password.empty()) {
        ui::Message(this, Ansi("密码不能为空"));
        EnableLogin();
        return false;
    }
    // No selection counts as the first mode rather than an index outside every table.
    const int index =
        typed.serverIndex >= 0 && typed.serverIndex < kServerModeCount ? typed.serverIndex : 0;
    const auto mode = static_cast<ServerMode>(index);
    LoginFields login;
    login.userName = typed.account;
    login.password = typed.password;
    login.serverMode = mode;
    session_.SetLogin(login);

    std::string answer;
    if (!PostForm(session_, kLoginPath, LoginBody(typed.account, typed.password, machineCode_),
                  answer) ||
        answer.empty()) {
        ui::Message(this, Ansi("服务器连接失败!"));
        EnableLogin();
        return false;
    }
    const LoginAnswer parsed = ParseLoginAnswer(answer, mode);
    switch (parsed.kind) {
        case LoginAnswer::Kind::Refused:
            ui::Message(this, parsed.message);
            EnableLogin();
            return false;
        case LoginAnswer::Kind::VersionMismatch:
            ui::Message(this, Ansi("发现新版本，请先更新!"));
            ui::CurrentEffects().StartUpdater(parsed.updaterCommand);
            ui::CurrentEffects().ExitProcess(0);
            return false;
        case LoginAnswer::Kind::TooFewFields:
            // The answer lacks fields the session needs; say so instead of hanging.
            ui::Message(this, Ansi("服务器应答不完整，登录失败，请重试!"));
            EnableLogin();
            return false;
        case LoginAnswer::Kind::Accepted:
            break;
    }
    // One terminal per account and mode on this machine: two would restore and fire the same
    // stop rules and overwrite each other's files.
    accountLock_ = platform::FileLock::TryTake(AccountLockPath(parsed.userName, mode));
    if (!accountLock_) {
        ui::Message(this, Ansi("账号 ") + parsed.userName +
                              Ansi(" 已在本机另一个终端登录本服务器，不能重复登录。"
                                   "请使用已打开的终端，或先将其退出。"));
        EnableLogin();
        return false;
    }
    login.displayName = parsed.displayName;
    login.priceLimitBuffer = parsed.priceLimitBuffer;
    login.bankName = parsed.bankName;
    login.userName = parsed.userName;
    if (mode == ServerMode::OvernightFirstRound) {
        login.forcedCloseCount = parsed.forcedCloseCount;
    }
    session_.SetLogin(login);

    bool saveAccount = false;
    std::string typedAccount;
    ui::RunOnUiThread([&] {
        saveAccount = saveAccount_->isChecked();
        typedAccount = ui::FromQt(account_->text());
    });
    SaveLoginInfo(mode, typedAccount, saveAccount, std::time(nullptr));

    session_.tablesLoading = 1;
    loader_.StartLoadAllTables();
    while (session_.tablesLoading != 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    return true;
}

void CFLoginDlg::reject() {
    if (loginRunning_) {
        ui::CurrentEffects().ExitProcess(0);
        return;
    }
    QDialog::reject();
}

void CFLoginDlg::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawPixmap(0, 0, background_);
}

void CFLoginDlg::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    QPainterPath path;
    path.addRoundedRect(QRectF(rect()), 2.5, 2.5);
    setMask(QRegion(path.toFillPolygon().toPolygon()));
}

void CFLoginDlg::mousePressEvent(QMouseEvent* event) {
    // The whole dialog drags the window, as its caption would.
    if (event->button() == Qt::LeftButton) {
        dragOffset_ = event->globalPosition().toPoint() - frameGeometry().topLeft();
    }
    QDialog::mousePressEvent(event);
}

void CFLoginDlg::mouseMoveEvent(QMouseEvent* event) {
    if (event->buttons() & Qt::LeftButton) {
        move(event->globalPosition().toPoint() - dragOffset_);
    }
    QDialog::mouseMoveEvent(event);
}

}  // namespace ft::ui
