// CPwdDlg, "密码修改": changes the login password; a successful change ends the terminal.
#pragma once

#include <QDialog>

#include "core/session_state.h"

namespace ft::ui {

class CTEdit;
class CXPButton;

class CPwdDlg : public QDialog {
    Q_OBJECT
public:
    explicit CPwdDlg(const SessionState& session, QWidget* parent = nullptr);

    CTEdit* OldPassword() const { return old_; }
    CTEdit* NewPassword() const { return new_; }
    CTEdit* Confirmation() const { return confirmation_; }
    CXPButton* OkButton() const { return ok_; }

    // "确定": checks the fields, sends the change and reports the answer. A press while the
    // request is out does nothing.
    void ChangePassword();
    bool Sending() const { return sending_; }

    // Refused, with the reason, while the change is out: a change that went through must end
    // the session, or every later request would be signed with the old password.
    void done(int result) override;

signals:
    // The request has ended without ending the process.
    void requestFinished();

private:
    const SessionState& session_;
    CTEdit* old_;
    CTEdit* new_;
    CTEdit* confirmation_;
    CXPButton* ok_;
    bool sending_ = false;
};

}  // namespace ft::ui
