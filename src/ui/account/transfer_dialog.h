// CZZDlg, "银期转帐": moves money between the bank and the futures account (CZZDlg1, tab
// "  转帐  ") and lists earlier transfers (CZZDlg2, tab "查转帐记录").
#pragma once

#include <QDialog>
#include <QWidget>
#include <string>

#include "account/transfer_rules.h"
#include "core/session_state.h"
#include "core/text.h"
#include "net/request_client.h"

class QComboBox;
class QTabWidget;

namespace ft::ui {

class CListCtrlCl;
class Reconciler;
class CTEdit;
class CTStatic;
class CXPButton;

// The transfer panel: both balances, both transfers, the bank and its card.
class CZZDlg1 : public QWidget {
    Q_OBJECT
public:
    explicit CZZDlg1(const SessionState& session, QWidget* parent = nullptr);

    QComboBox* BankList() const { return bank_; }
    CTStatic* CardLine() const { return card_; }
    CTStatic* CreditLine() const { return credit_; }
    CTStatic* TransferableLine() const { return transferable_; }
    CTEdit* FundPassword() const { return fundPassword_; }
    CTEdit* FuturesFunds() const { return futuresFunds_; }
    CXPButton* FuturesQueryButton() const { return futuresQuery_; }
    CTEdit* BankPassword() const { return bankPassword_; }
    CTEdit* BankFunds() const { return bankFunds_; }
    CXPButton* BankQueryButton() const { return bankQuery_; }
    CTEdit* Amount() const { return amount_; }
    CXPButton* ToBankButton() const { return toBank_; }
    CXPButton* ToFuturesButton() const { return toFutures_; }

    // A transfer is out, or its outcome is unknown until the balance is read again.
    bool TransferOut() const { return transferOut_; }
    bool Reconciling() const;

    void QueryFuturesFunds();
    void QueryBankFunds();
    void TransferToBank();
    void TransferToFutures();

signals:
    // The start request has been answered (or failed).
    void started();
    // A balance query or a transfer has ended.
    void requestFinished();

private:
    void Start();
    void OnBankChanged();
    void QueryBalance(CXPButton* button, CTEdit* password, CTEdit* result, const char* path,
                      bool bank);
    void Transfer(TransferKind kind, CXPButton* button);
    void TransferEnded(const PostResult& sent, const std::string& answer);
    // Keeps both transfers guarded until the start request has read the balance again.
    void Reconcile();
    void EnableTransfers(bool on);
    void ShowStart(const TransferStart& start);

    const SessionState& session_;
    std::string cardNumber_;
    std::string transferableLine_ = Ansi("可转金额：");
    bool transferOut_ = false;
    Reconciler* reconciler_;
    QComboBox* bank_;
    CTStatic* card_;
    CTStatic* credit_;
    CTStatic* transferable_;
    CTEdit* fundPassword_;
    CTEdit* futuresFunds_;
    CXPButton* futuresQuery_;
    CTEdit* bankPassword_;
    CTEdit* bankFunds_;
    CXPButton* bankQuery_;
    CTEdit* amount_;
    CXPButton* toBank_;
    CXPButton* toFutures_;
};

// The transfer history, loaded once when the dialog opens.
class CZZDlg2 : public QWidget {
    Q_OBJECT
public:
    explicit CZZDlg2(const SessionState& session, QWidget* parent = nullptr);

    CListCtrlCl* List() const { return list_; }

signals:
    // The history request has ended (the list is filled when it succeeded).
    void historyLoaded();

private:
    void LoadTransferHistory();

    const SessionState& session_;
    CListCtrlCl* list_;
};

class CZZDlg : public QDialog {
    Q_OBJECT
public:
    explicit CZZDlg(const SessionState& session, QWidget* parent = nullptr);

    QTabWidget* Tabs() const { return tabs_; }
    CZZDlg1* TransferPanel() const { return transfer_; }
    CZZDlg2* HistoryPanel() const { return history_; }
    CXPButton* OkButton() const { return ok_; }
    CXPButton* CancelButton() const { return cancel_; }

    // Refused, with the reason, while a transfer is out: its answer must be seen.
    void done(int result) override;

private:
    QTabWidget* tabs_;
    CZZDlg1* transfer_;
    CZZDlg2* history_;
    CXPButton* ok_;
    CXPButton* cancel_;
};

}  // namespace ft::ui
