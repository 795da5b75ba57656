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
    // The catalogue is the contract list's: the session's products.
    COptHyDlg(const SessionState& session, QWidget* parent = nullptr);

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
    // Redraws the right list from the custom contracts, `selected` selected (-1: none).
    void ShowCustomList(int selected);

    const SessionState& session_;
    std::vector<CustomContract> catalogue_;
    // The catalogue rows the left list shows, and the custom list being edited.
    std::vector<CustomContract> shown_;
    std::vector<CustomContract> custom_contracts_;
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
