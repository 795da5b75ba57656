// The modal login dialog: server list, account, password; logs in on a worker thread.
#pragma once

#include <QDialog>
#include <QPixmap>
#include <QPoint>
#include <QPointer>
#include <memory>
#include <string>

#include "platform/file_lock.h"

class QCheckBox;
class QComboBox;
class QPushButton;

namespace ft {
class SessionState;
class TableLoader;
}  // namespace ft

namespace ft::ui {
class CXPButton;
class CTEdit;
class CTStatic;

class CFLoginDlg : public QDialog {
    Q_OBJECT
public:
    CFLoginDlg(SessionState& session, TableLoader& loader, QWidget* parent = nullptr);

    // Starts LoginWorker as the 登录 button does.
    void StartLogin();

    // Controls, for the tests and the demo start-up.
    QComboBox* serverList() const { return serverList_; }
    CTEdit* accountEdit() const { return account_; }
    CTEdit* passwordEdit() const { return password_; }
    CXPButton* loginButton() const { return login_; }
    CXPButton* exitButton() const { return exit_; }
    QCheckBox* saveAccountBox() const { return saveAccount_; }
    QPushButton* closeButton() const { return close_; }
    QPushButton* registerButton() const { return register_; }
    const std::string& registrationUrl() const { return registrationUrl_; }

    // After a successful login: the lock on the account's files, which the caller holds for
    // the session (released with the dialog otherwise).
    std::unique_ptr<platform::FileLock> TakeAccountLock() { return std::move(accountLock_); }

    // Esc, 退出 and closing the window. While a login is under way the worker still uses the
    // dialog and the session, so the process ends at once instead, as 关闭 does.
    void reject() override;

signals:
    // The worker has ended without logging in (the button is usable again).
    void loginFailed();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    struct Typed {
        int serverIndex;
        std::string account;
        std::string password;
    };
    void OnInitDialog();
    void ChoosePages(int serverIndex);
    // True when logged in and the tables are loaded.
    bool LoginWorker(const Typed& typed);
    void EnableLogin();  // from the worker, through the UI thread

    SessionState& session_;
    TableLoader& loader_;
    std::string machineCode_;
    std::string registrationUrl_;
    bool loginRunning_ = false;  // UI thread only
    // Written by the worker before it hands its outcome over, read on the UI thread after.
    std::unique_ptr<platform::FileLock> accountLock_;
    QPixmap background_;
    QPoint dragOffset_;

    QComboBox* serverList_ = nullptr;
    CTEdit* account_ = nullptr;
    CTEdit* password_ = nullptr;
    CXPButton* login_ = nullptr;
    CXPButton* exit_ = nullptr;
    CTStatic* serverLabel_ = nullptr;
    CTStatic* accountLabel_ = nullptr;
    CTStatic* passwordLabel_ = nullptr;
    QCheckBox* saveAccount_ = nullptr;
    QPushButton* register_ = nullptr;
    QPushButton* close_ = nullptr;
};

}  // namespace ft::ui
