// COptHyDlg, "自选合约设置": edits the account's custom contract list.
#pragma once

#include <QDialog>
#include <vector>

#include "core/session_state.h"
#include "market/quote_board_rules.h"

namespace ft::ui {

class CListCtrlCl;
class CTEdit;
class CXPButton;

class COptHyDlg : public QDialog {
    Q_OBJECT
public:
    // `catalogue` is the contract list panel's list (codes in column 1, names in column 2);
    // nullptr leaves the left list empty.
    COptHyDlg(const SessionState& session, const CListCtrlCl* catalogue, QWidget* parent = nullptr);

    CListCtrlCl* AllList() const { return all_; }
    CListCtrlCl* CustomList() const { return custom_; }
    CTEdit* FilterBox() const { return filter_; }
    CXPButton* AddButton() const { return add_; }
    CXPButton* RemoveButton() const { return remove_; }
    CXPButton* UpButton() const { return up_; }
    CXPButton* DownButton() const { return down_; }
    CXPButton* OkButton() const { return ok_; }
    CXPButton* CancelButton() const { return cancel_; }

    void OnAdd();
    void OnRemove();
    void OnUp();
    void OnDown();
    void OnOk();
    // Shows only the catalogue rows whose code or name holds the typed text.
    void ApplyFilter(const QString& text);
    std::vector<CustomContract> CustomContracts() const;

signals:
    // The back-end's custom list is in the right list (确定 is enabled from now on).
    void customListLoaded();

private:
    void LoadCustomList();
    void Swap(int row, int other);

    const SessionState& session_;
    std::vector<CustomContract> catalogue_;
    CTEdit* filter_;
    CListCtrlCl* all_;
    CListCtrlCl* custom_;
    CXPButton* add_;
    CXPButton* remove_;
    CXPButton* up_;
    CXPButton* down_;
    CXPButton* ok_;
    CXPButton* cancel_;
    bool loaded_ = false;
    bool saving_ = false;
};

}  // namespace ft::ui
