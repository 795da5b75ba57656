#include "ui/market/contract_list_panel.h"

#include <QResizeEvent>
#include <cstring>

#include "core/text.h"
#include "ui/controls/list_ctrl.h"
#include "ui/frame/main_frame.h"
#include "ui/frame/order_entry_target.h"

namespace ft::ui {
namespace {

struct Column {
    const char* title;
    int width;
    std::size_t field;  // of ProductRecord
};
// varietyCode, contractCode, contractName, exchange, multiplier, tickSize, productType,
// lastDate, margin, commission.
constexpr Column kColumns[] = {{"品种代码", 80, 0}, {"合约", 110, 1},
                               {"合约名", 120, 2},  {"交易所", 90, 3},
                               {"合约乘数", 80, 4}, {"最小价格变动单位", 120, 5},
                               {"品种类型", 80, 6}, {"最后日期", 110, 7},
                               {"保证金", 80, 8},   {"手续费", 190, 9}};

std::string Field(const ProductRecord& record, std::size_t index) {
    const char* data = FieldData(const_cast<ProductRecord&>(record), index);
    return std::string(data, strnlen(data, ProductRecord::kWidths[index]));
}

}  // namespace

// Shared look of the two market lists.
void StyleMarketList(CListCtrlCl& list, const std::string& alignment) {
    list.UseTallRows();
    list.SetListBackground(QColor(255, 255, 245));
    list.SetCellFont(14, 8);
    CHeaderCtrlCl* header = list.Header();
    header->r = 255;
    header->g = 255;
    header->b = 225;
    header->gradientStep = 0;
    header->heightFactor = 1.5f;
    list.SetAlignment(alignment);
}

CPriceSubDlg2::CPriceSubDlg2(const PaneContext& context, QWidget* parent)
    : CTPanel(parent), context_(context), list_(new CListCtrlCl(this)) {
    StyleMarketList(*list_, std::string(9, '1') + "2");
    int index = 0;
    for (const Column& c : kColumns) {
        list_->InsertColumn(index++, Ansi(c.title), c.width);
    }
    connect(list_, &CListCtrlCl::itemClicked, this, [this] { OnClick(); });
    Fill();
}

void CPriceSubDlg2::Fill() {
    list_->DeleteAllItems();
    const auto products = context_.session.products.Snapshot();
    const std::size_t rows = products->Count(kMaxRows);
    for (std::size_t i = 0; i < rows; ++i) {
        const ProductRecord& record = products->rows[i];
        const int row = list_->AppendItem(Field(record, kColumns[0].field));
        for (int c = 1; c < 10; ++c) {
            list_->SetItemText(row, c, Field(record, kColumns[c].field));
        }
        list_->SetCellTextColour(1, row, QColor(111, 94, 16));
        if (list_->GetItemCount() % 2 == 1) {
            for (int c = 0; c < 10; ++c) {
                list_->AddCellBackground(row, c, QColor(240, 240, 240));
            }
        }
    }
}

void CPriceSubDlg2::OnClick() {
    const int row = list_->GetFirstSelectedRow();
    OrderEntryTarget* target = context_.frame ? context_.frame->OrderEntry() : nullptr;
    if (row < 0 || !target) {
        return;
    }
    target->SelectContract(list_->GetItemText(row, 1), list_->GetItemText(row, 2), 0);
}

void CPriceSubDlg2::resizeEvent(QResizeEvent* event) {
    CTPanel::resizeEvent(event);
    list_->setGeometry(rect());
}

}  // namespace ft::ui
