// What the panels ask of each other, as narrow interfaces. The frame implements PanelLinks
// and finds the panels that offer these; each may be missing (nullptr), so a panel works
// alone and in tests against a stand-in.
#pragma once

#include <string>
#include <vector>

namespace ft::ui {

class CListCtrlCl;

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

// One row of the positions panel as others read it (GBK texts as shown; direction trimmed).
struct PositionRowView {
    std::string code;
    std::string direction;  // "买" or "卖"
    std::string totalVolume;
    std::string closableVolume;
    std::string positionNo;
};

// The positions panel's side.
class PositionsSource {
public:
    virtual ~PositionsSource() = default;
    virtual std::vector<PositionRowView> PositionRows() const = 0;
    // The texts of the profit column "盈亏", row by row.
    virtual std::vector<std::string> ProfitTexts() const = 0;
    // The stop-loss / take-profit settings of the selected row (nothing without a selection).
    virtual void OpenStopRuleEditor() = 0;
    // Whether stop-loss / take-profit rules are waiting, unevaluated, for fresh quotes.
    virtual bool StopRulesHeld() const { return false; }
    // A closing order of a fired rule that the back-end refused or never answered, for the
    // trader to see (GBK); empty when there is none.
    virtual std::string StopOrderProblem() const { return {}; }
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

class PanelLinks {
public:
    virtual ~PanelLinks() = default;
    virtual OrderEntryTarget* OrderEntry() const = 0;
    virtual PositionsSource* Positions() const = 0;
    virtual QuoteBoardRows* QuoteBoard() const = 0;
    // The contract list of the top view (the custom contracts dialog and the order-entry
    // panel's contract box offer its contracts).
    virtual const CListCtrlCl* ContractList() const = 0;
    // The funds bar's "查询(&Q)": the settlement statement.
    virtual void OpenSettlementQuery() = 0;
    // The texts of the positions panel's profit column (GBK); false while there is no
    // positions view.
    virtual bool PositionProfits(std::vector<std::string>& texts) const = 0;
    // The funds bar's "可用资金" as shown (GBK); empty before the first update.
    virtual std::string AvailableFunds() const = 0;
};

}  // namespace ft::ui
