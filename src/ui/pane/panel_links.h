// What the panels ask of each other, as narrow interfaces. The frame implements PanelLinks
// and finds the panels that offer these; each may be missing (nullptr), so a panel works
// alone and in tests against a stand-in.
#pragma once

#include <string>
#include <vector>

namespace ft::ui {

// Who asks the order-entry panel to submit: its own 下单 button (which keeps its pointer
// test), or code (a double-click on a quote or position row, the quick reverse), which
// submits without it; the confirmation box stays the safeguard.
enum class SubmitFrom { Button, Code };

// The order-entry panel's operations that the market and positions panels use.
class OrderEntryTarget {
public:
    virtual ~OrderEntryTarget() = default;
    // Texts are GBK.
    virtual void SelectContract(const std::string& code, const std::string& name, int force) = 0;
    virtual void ChooseBuy() = 0;
    virtual void ChooseSell() = 0;
    virtual void ChooseOpen() = 0;
    virtual void ChooseCloseToday() = 0;
    virtual void ChooseClose() = 0;
    // Writes the lots field.
    virtual void SetLots(const std::string& lots) = 0;
    // Whether the price box holds text (a double-click waits for it before submitting).
    virtual bool HasPrice() const = 0;
    virtual void SubmitOrder(SubmitFrom from) = 0;
};

// The positions panel's side.
class PositionsSource {
public:
    virtual ~PositionsSource() = default;
    // The stop-loss / take-profit settings of the selected row (nothing without a selection).
    virtual void OpenStopRuleEditor() = 0;
    // Whether a row is selected (the quick reverse acts only then).
    virtual bool HasSelectedRow() const = 0;
};

// The quote board's side: the order-entry panel shows the contract it trades on the board,
// in a row of its own when the contract is not one of the account's custom contracts.
class QuoteBoardRows {
public:
    virtual ~QuoteBoardRows() = default;
    // Texts are GBK.
    virtual bool IsCustomCode(const std::string& code) const = 0;
    // Appends a row for `code` unless some row shows it already.
    virtual void EnsureRow(const std::string& code, const std::string& name) = 0;
    // Deletes the first row showing `code`.
    virtual void RemoveRow(const std::string& code) = 0;
};

class TabPanel;

class PanelLinks {
public:
    virtual ~PanelLinks() = default;
    // A view placed `panel` on one of its tabs (it may offer one of the parts below).
    virtual void PanelPlaced(TabPanel* /*panel*/) {}
    virtual OrderEntryTarget* OrderEntry() const = 0;
    virtual PositionsSource* Positions() const = 0;
    virtual QuoteBoardRows* QuoteBoard() const = 0;
    // The funds bar's "查询(&Q)": the settlement statement.
    virtual void OpenSettlementQuery() = 0;
};

}  // namespace ft::ui
