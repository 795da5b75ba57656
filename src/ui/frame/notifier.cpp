#include "ui/frame/notifier.h"

#include <QApplication>
#include <QIcon>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QWidget>

#include "platform/sound.h"

namespace ft::ui {

QIcon ProgramIcon() {
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        icon.addFile(QStringLiteral(":/icons/futures-terminal-%1.png").arg(size),
                     QSize(size, size));
    }
    return icon;
}

TrayNotifier::TrayNotifier(QWidget* window, std::function<void()> quit)
    : QObject(window),
      window_(window),
      player_(platform::FindSoundPlayer()),
      soundDir_(platform::SoundDir()) {
    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
        return;
    }
    menu_ = std::make_unique<QMenu>();
    menu_->addAction(QStringLiteral("显示窗口"), this, &TrayNotifier::ShowWindow);
    menu_->addSeparator();
    menu_->addAction(QStringLiteral("退出"), this, [quit = std::move(quit)] {
        if (quit) {
            quit();
        }
    });
    icon_ = new QSystemTrayIcon(ProgramIcon(), this);
    icon_->setToolTip(window ? window->windowTitle() : QString());
    icon_->setContextMenu(menu_.get());
    connect(icon_, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick) {
                    ShowWindow();
                }
            });
    // A click on the balloon brings the window up as well.
    connect(icon_, &QSystemTrayIcon::messageClicked, this, &TrayNotifier::ShowWindow);
    icon_->show();
}

TrayNotifier::~TrayNotifier() {
    if (icon_) {
        // The menu goes before the icon that shows it.
        icon_->setContextMenu(nullptr);
        icon_->hide();
    }
}

void TrayNotifier::ShowWindow() {
    if (!window_) {
        return;
    }
    if (window_->isMinimized()) {
        window_->showNormal();
    }
    window_->show();
    window_->raise();
    window_->activateWindow();
}

QString WithoutMarkup(const QString& text) {
    QString plain = text;
    plain.replace(QLatin1Char('<'), QChar(0xFF1C));
    plain.replace(QLatin1Char('>'), QChar(0xFF1E));
    plain.replace(QLatin1Char('&'), QChar(0xFF06));
    return plain;
}

void TrayNotifier::Notify(NotifyKind kind, const QString& title, const QString& text) {
    if (!icon_) {
        return;
    }
    const bool warning = kind == NotifyKind::CloseFailed || kind == NotifyKind::OrderUnknown ||
                         kind == NotifyKind::ConnectionLost;
    icon_->showMessage(WithoutMarkup(title), WithoutMarkup(text),
                       warning ? QSystemTrayIcon::Warning : QSystemTrayIcon::Information, 8000);
}

void TrayNotifier::PlaySound(NotifyKind kind) {
    const char* name = kind == NotifyKind::Fill ? "/fill.wav" : "/rule.wav";
    if (soundDir_.empty() || !platform::PlaySoundFile(player_, soundDir_ + name)) {
        QApplication::beep();
    }
}

}  // namespace ft::ui
