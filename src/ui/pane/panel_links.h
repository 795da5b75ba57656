// What the panels ask of each other. The frame implements PanelLinks and hands out the
// panels' operations; each may be missing (nullptr), so a panel works alone in a test.
#pragma once

#include <string>
#include <vector>

namespace ft::ui {

class CListCtrlCl;

// The order-entry panel's operations that the market and positions panels use.
class OrderEntryTarget {
public:
    virtual ~OrderEntryTarget() = default;
    // Texts are GBK.
    virtual void SelectContract(const std::string& code, const std::string& name, int force) = 0;
    virtual void ChooseBuy() = 0;
    virtual void ChooseOpen() = 0;
    // Whether the price box holds text (the double-click waits for it before submitting).
    virtual bool HasPrice() const = 0;
    virtual void SubmitOrder() = 0;
};

class PanelLinks {
public:
    virtual ~PanelLinks() = default;
    virtual OrderEntryTarget* OrderEntry() const = 0;
    // The contract list of the top view (the custom contracts dialog offers its contracts).
    virtual const CListCtrlCl* ContractList() const = 0;
    // The funds bar's "查询(&Q)": the settlement statement.
    virtual void OpenSettlementQuery() = 0;
    // The texts of the positions panel's profit column (GBK); false while there is no
    // positions view.
    virtual bool PositionProfits(std::vector<std::string>& texts) const = 0;
};

}  // namespace ft::ui
