#include "ui/market/contract_list_panel.h"

#include "market/quote_board_rules.h"
#include "ui/controls/list_kit.h"

namespace ft::ui {

CPriceSubDlg2::CPriceSubDlg2(const PaneContext& context, QWidget* parent)
    : TabPanel(parent), context_(context), list_(new CListCtrlCl(this)) {
    StyleMarketList(*list_);
    BuildColumns(*list_, kContractColumns);
    KeepColumnWidths(*list_, "contract_list");
    SetSoleWidget(list_);
    connect(list_, &CListCtrlCl::itemClicked, this, [this] { OnClick(); });
    Fill();
}

void CPriceSubDlg2::Fill() {
    list_->DeleteAllItems();
    products_ = context_.session.products.Snapshot();
    const auto& products = products_;
    const std::size_t rows = products->Count(kMaxRows);
    for (std::size_t i = 0; i < rows; ++i) {
        const int row = AppendRow(*list_, ContractRowTexts(products->rows[i]));
        list_->SetCellTextColour(ContractCol::Code, row, ToColour(kCodeColour));
        if (row % 2 == 0) {
            for (int c = 0; c < ContractCol::Count; ++c) {
                list_->AddCellBackground(row, c, ToColour(kStripeColour));
            }
        }
    }
}

void CPriceSubDlg2::OnClick() {
    const int row = list_->GetFirstSelectedRow();
    OrderEntryTarget* target = context_.links ? context_.links->OrderEntry() : nullptr;
    if (row < 0 || !target) {
        return;
    }
    // The row's product, from the table the list was filled with.
    if (!products_ || static_cast<std::size_t>(row) >= products_->Count(kMaxRows)) {
        return;
    }
    const ProductRecord& product = products_->rows[static_cast<std::size_t>(row)];
    target->SelectContract(std::string(FieldText(product.contractCode)),
                           std::string(FieldText(product.contractName)), 0);
}

}  // namespace ft::ui
