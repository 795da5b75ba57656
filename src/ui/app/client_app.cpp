#include "ui/app/client_app.h"

#include <QApplication>
#include <QComboBox>
#include <QLibraryInfo>
#include <QScreen>
#include <QTimer>
#include <QTranslator>
#include <chrono>

#include "platform/system.h"
#include "ui/app/login_dialog.h"
#include "ui/common/run_aside.h"
#include "ui/common/text_boundary.h"
#include "ui/controls/text_controls.h"
#include "ui/frame/main_frame.h"

namespace ft::ui {

bool LoadQtChineseTranslations() {
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"),
                          QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

CClientApp::CClientApp(AppOptions options) : options_(std::move(options)) {
    ReadScreen();
}

CClientApp::~CClientApp() {
    // The windows go first, then every thread that reads the session ends before it does.
    frame_.reset();
    heartbeat_.reset();
    if (quoteFeed_) {
        quoteFeed_->Stop();
    }
    FinishAsideWork();
    loader_.WaitIdle();
}

void CClientApp::ReadScreen() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    session_.screenDpi = screen ? static_cast<int>(screen->logicalDotsPerInchX()) : 0;
    session_.largeFonts = session_.screenDpi > 96;
}

bool CClientApp::InitInstance() {
    FillServerProfiles(session_, options_.hosts);
    for (int mode = 0; mode < kServerModeCount; ++mode) {
        if (const auto& ports = options_.ports[mode]) {
            ServerProfile& profile = session_.profiles[mode];
            profile.quotePort = std::to_string(ports->first);
            profile.webPort = std::to_string(ports->second);
        }
    }

    CFLoginDlg login(session_, loader_);
    if (options_.serverIndex) {
        login.serverList()->setCurrentIndex(*options_.serverIndex);
    }
    if (!options_.account.empty()) {
        login.accountEdit()->setText(ToQt(options_.account));
        login.passwordEdit()->setText(ToQt(options_.password));
    }
    if (options_.autoLogin) {
        QTimer::singleShot(0, &login, &CFLoginDlg::StartLogin);
    }
    if (login.exec() != QDialog::Accepted) {
        return false;
    }
    accountLock_ = login.TakeAccountLock();

    frame_ = std::make_unique<CMainFrame>(session_, loader_, quotes_, [this] { StartServices(); });
    if (!options_.screenshotFile.isEmpty()) {
        frame_->resize(kScreenshotWidth, kScreenshotHeight);
        frame_->show();
        ScheduleScreenshot();
    } else {
        frame_->ShowAsSaved();
    }
    return true;
}

void CClientApp::StartServices() {
    quoteFeed_ =
        std::make_unique<QuoteFeed>(session_, quotes_, [this] { loader_.StartReloadTables(100); });
    quoteFeed_->Start();
    heartbeat_ = std::make_unique<HeartbeatWriter>(session_.serverMode());
}

void CClientApp::ScheduleScreenshot() {
    using Clock = std::chrono::steady_clock;
    const auto started = Clock::now();
    auto* poll = new QTimer(frame_.get());
    QObject::connect(poll, &QTimer::timeout, frame_.get(), [this, poll, started] {
        const bool subscribed = !quotes_.Codes().empty();
        const bool quoted = !subscribed || !quotes_.QuoteText().empty();
        const bool timedOut = Clock::now() - started > std::chrono::seconds(20);
        if (!(quoted && session_.tablesLoading == 0) && !timedOut) {
            return;
        }
        poll->stop();
        // A few board ticks so the first quotes are on screen, not only in the book.
        QTimer::singleShot(1500, frame_.get(), [this, timedOut] {
            const bool saved = frame_->grab().save(options_.screenshotFile, "PNG");
            exitCode_ = saved && !timedOut ? 0 : 1;
            QApplication::exit(exitCode_);
        });
    });
    poll->start(100);
}

int CClientApp::Run() {
    const int code = QApplication::exec();
    return exitCode_ != 0 ? exitCode_ : code;
}

}  // namespace ft::ui
