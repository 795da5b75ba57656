// CPriceSubDlg2, the contract list: every product of the catalogue with its parameters.
#pragma once

#include "market/quote_board_rules.h"
#include "ui/pane/pane_view.h"

namespace ft::ui {

class CListCtrlCl;

class CPriceSubDlg2 : public TabPanel {
    Q_OBJECT
public:
    static constexpr std::size_t kMaxRows = kContractListRows;

    explicit CPriceSubDlg2(const PaneContext& context, QWidget* parent = nullptr);
    CListCtrlCl* List() const { return list_; }
    // Refills the list from the products table.
    void Fill();
    void OnClick();

private:
    PaneContext context_;
    CListCtrlCl* list_;
    // The products the rows show, row by row.
    std::shared_ptr<const ProductTable> products_;
};

}  // namespace ft::ui
