// The seam through which the frame tells the trader of an event outside the window: a desktop
// notification and, for some kinds, a short sound. The real one uses the system tray; tests
// put a recording one in its place.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "positions/notification_rules.h"

class QMenu;
class QSystemTrayIcon;
class QWidget;

namespace ft::ui {

class Notifier {
public:
    virtual ~Notifier() = default;
    virtual void Notify(NotifyKind kind, const QString& title, const QString& text) = 0;
    virtual void PlaySound(NotifyKind kind) = 0;
};

// `text` for a desktop notification: many notification servers read "<a href=…>", "<img …>"
// and "&…;" in a message as markup, and a back-end's refusal reaches the message, so "<", ">"
// and "&" become their full-width forms, which read the same.
QString WithoutMarkup(const QString& text);

struct NotifyOptions {
    // Null: the tray (TrayNotifier).
    std::shared_ptr<Notifier> notifier;
    // How long a connection must stay down (or up again) before it is news.
    std::chrono::milliseconds settle{5000};
    // How often the fills and the connection state are looked at.
    std::chrono::milliseconds interval{250};
};

// A tray icon with the program's icon and a menu (显示窗口, 退出), and its balloon messages.
// Where the desktop has no tray there is no icon and no message: the status panes say what
// went on. Sounds are played by the desktop's command-line player when there is one.
class TrayNotifier : public QObject, public Notifier {
    Q_OBJECT
public:
    TrayNotifier(QWidget* window, std::function<void()> quit);
    ~TrayNotifier() override;

    void Notify(NotifyKind kind, const QString& title, const QString& text) override;
    void PlaySound(NotifyKind kind) override;

    // Null where the desktop has no tray.
    QSystemTrayIcon* Icon() const { return icon_; }
    QMenu* Menu() const { return menu_.get(); }

private:
    void ShowWindow();

    QPointer<QWidget> window_;
    QSystemTrayIcon* icon_ = nullptr;
    std::unique_ptr<QMenu> menu_;
    std::string player_;
    std::string soundDir_;
};

// The program's icon in the sizes the package installs (built into the program).
QIcon ProgramIcon();

}  // namespace ft::ui
