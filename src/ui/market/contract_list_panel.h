// CPriceSubDlg2, the contract list: every product of the catalogue with its parameters.
#pragma once

#include "ui/pane/pane_view.h"

namespace ft::ui {

class CListCtrlCl;

class CPriceSubDlg2 : public TabPanel {
    Q_OBJECT
public:
    static constexpr int kMaxRows = 500;

    explicit CPriceSubDlg2(const PaneContext& context, QWidget* parent = nullptr);
    CListCtrlCl* List() const { return list_; }
    // Refills the list from the products table.
    void Fill();
    void OnClick();

private:
    PaneContext context_;
    CListCtrlCl* list_;
};

}  // namespace ft::ui
