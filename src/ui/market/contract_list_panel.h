// CPriceSubDlg2, the contract list: every product of the catalogue with its parameters.
#pragma once

#include "ui/frame/pane_views.h"

namespace ft::ui {

class CListCtrlCl;

// The look both market lists share: tall rows, the panel colour, the flat tall header.
void StyleMarketList(CListCtrlCl& list, const std::string& alignment);

class CPriceSubDlg2 : public CTPanel {
    Q_OBJECT
public:
    static constexpr int kMaxRows = 500;

    explicit CPriceSubDlg2(const PaneContext& context, QWidget* parent = nullptr);
    CListCtrlCl* List() const { return list_; }
    // Refills the list from the products table.
    void Fill();
    void OnClick();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    PaneContext context_;
    CListCtrlCl* list_;
};

}  // namespace ft::ui
