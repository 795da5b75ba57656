// CTopView, the top row of the main frame: the funds bar over the tabs "报价表(F1)" (quote
// board) and "合约列表(F6)" (contract list).
#pragma once

#include <QLabel>
#include <array>
#include <string>

#include "ui/pane/pane_view.h"

class QTimer;

namespace ft::ui {

class CListCtrlCl;
class CPriceSubDlg1;
class CPriceSubDlg2;
class CXPButton;

class CTopView : public CTFormView {
    Q_OBJECT
public:
    static constexpr int kBandHeight = 48;
    static constexpr int kFundsFields = 9;
    explicit CTopView(const PaneContext& context, QWidget* parent = nullptr);

    CPriceSubDlg1* QuoteBoard() const;
    CPriceSubDlg2* ContractListPanel() const;
    const CListCtrlCl* ContractList() const;
    // The value fields in the bar's order: 静态权益, 平仓盈亏, 持仓盈亏, 动态权益, 手续费,
    // 占用保证金, 下单冻结, 可用资金, 风险度. For tests of what the bar shows: the program takes
    // the figures from TradingState::Funds(), never from these labels.
    QLabel* FundsValue(int index) const { return values_[static_cast<std::size_t>(index)]; }
    QLabel* FundsLabel(int index) const { return labels_[static_cast<std::size_t>(index)]; }
    CXPButton* QueryButton() const { return query_; }
    // One funds bar update from the session tables.
    void UpdateFunds();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void BuildFundsBar();
    void SetValue(int index, const std::string& gbk);

    std::array<QLabel*, kFundsFields> labels_{};
    std::array<QLabel*, kFundsFields> values_{};
    CXPButton* query_ = nullptr;
    QTimer* fundsTimer_ = nullptr;
};

}  // namespace ft::ui
