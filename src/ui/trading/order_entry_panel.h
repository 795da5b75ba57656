// CTradeDlg1, the standard order-entry panel: contract, buy or sell, open or close, lots and
// price, the day's limits and the best prices of the contract, and the 下单 button. Other
// panels fill it through OrderEntryTarget.
#pragma once

#include <QTimer>
#include <functional>
#include <string>
#include <vector>

#include "positions/close_split.h"
#include "trading/order_rules.h"
#include "ui/pane/pane_view.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace ft::ui {

class Reconciler;
class CTEdit;
class CTStatic;
class CXPButton;
class SpinArrows;

class CTradeDlg1 : public TabPanel, public OrderEntryTarget {
    Q_OBJECT
public:
    static constexpr int kQuoteTickMs = 80;
    static constexpr int kReversePauseMs = 800;
    static constexpr int kReverseReloadMs = 2000;

    explicit CTradeDlg1(const PaneContext& context, QWidget* parent = nullptr);

    // What other panels do with the form.
    void SelectContract(const std::string& code, const std::string& name, int force) override;
    void ChooseBuy() override;
    void ChooseSell() override;
    void ChooseOpen() override;
    void ChooseCloseToday() override;
    void ChooseClose() override;
    void SetLots(const std::string& lots) override;
    bool HasPrice() const override;
    void SubmitOrder(SubmitFrom from) override;

    // "快捷反手": closes the selected position and opens as many lots the other way.
    void QuickReverse();
    // The price mode toggle: "跟盘价" (the price follows the market) or "指定价" (it stays).
    void TogglePriceMode();
    void RefreshAvailableLots();
    void RefreshChoiceColours();
    // One quote update of the current contract (the 80 ms timer).
    void QuoteTick();

    // What the trading keys use besides OrderEntryTarget: the arrows' steps, the price mode,
    // and the form as an order reads it.
    void StepLotsField(bool up);
    void StepPriceField(bool up);
    bool FollowMode() const;
    OrderForm ReadForm() const;

    // Keys the frame passes on from other panels change nothing here.
    void HandleForwardedKey(int key, Qt::KeyboardModifiers modifiers) override;

    const std::string& CurrentContract() const { return current_; }
    bool OrderOut() const { return orderOut_; }
    // Rounds of the quote timer run so far, and whether a quick reverse's opening order still
    // waits for its pause (for tests: the point after which nothing more can come).
    int QuoteTicks() const { return quoteTicks_; }
    bool ReversePending() const { return reversesWaiting_ > 0; }
    // An order of unknown outcome is being checked against the back-end's tables.
    bool Reconciling() const;

    // The controls, by their role.
    QComboBox* ContractBox() const { return contract_; }
    QRadioButton* BuyRadio() const { return buy_; }
    QRadioButton* SellRadio() const { return sell_; }
    QRadioButton* OpenRadio() const { return open_; }
    QRadioButton* CloseTodayRadio() const { return closeToday_; }
    QRadioButton* CloseRadio() const { return close_; }
    CTStatic* BuyLabel() const { return buyLabel_; }
    CTStatic* SellLabel() const { return sellLabel_; }
    CTStatic* OpenLabel() const { return openLabel_; }
    CTStatic* CloseTodayLabel() const { return closeTodayLabel_; }
    CTStatic* CloseLabel() const { return closeLabel_; }
    CTEdit* LotsEdit() const { return lots_; }
    CTEdit* PriceEdit() const { return price_; }
    SpinArrows* LotsSpinner() const { return lotsSpin_; }
    SpinArrows* PriceSpinner() const { return priceSpin_; }
    QPushButton* PriceModeButton() const { return priceMode_; }
    CXPButton* OrderButton() const { return order_; }
    QCheckBox* ConfirmBox() const { return confirm_; }
    QLabel* LotsHint() const { return lotsHint_; }
    QLabel* UpperLimit() const { return upper_; }
    QLabel* LowerLimit() const { return lower_; }
    QLabel* BidPrice() const { return bid_; }
    QLabel* AskPrice() const { return ask_; }
    CXPButton* StopRuleButton() const { return stopRules_; }
    CXPButton* ReverseButton() const { return reverse_; }
    CTStatic* ConfirmLabel() const { return confirmLabel_; }

signals:
    // An order's worker has finished (its outcome as OrderOutcome).
    void orderFinished(int outcome);
    // The same, with the form the order was sent from.
    void orderAnswered(const ft::OrderForm& form, int outcome);

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    using Continuation = std::function<void(OrderOutcome)>;

    void BuildControls();
    void FillContractBox();
    void OnContractTyped(const QString& text);
    void OnOrderButton();
    // Starts the order worker on a snapshot of the form; `then` gets the outcome on the UI thread.
    void StartOrder(Continuation then);
    // Sends leg `index` of the order `whole` (one leg: the form as it is); the next leg starts
    // once this one is accepted, and `then` gets the outcome of the last leg sent.
    void StartLeg(const OrderForm& whole, std::vector<CloseLeg> legs, std::size_t index,
                  Continuation then);
    // Reads the tables again once the back-end answers and says whether the order is there.
    void Reconcile(const OrderForm& form, std::shared_ptr<const OrderTable> before);
    bool IsListedCode(const std::string& code) const;
    std::vector<HeldPosition> HeldPositions() const;
    void ApplyQuote(const EntryQuote& quote);
    void ShowCloseTodayFor(const std::string& code);
    void ClearQuote();

    PaneContext context_;
    std::string current_;
    std::string bidText_;
    std::string askText_;
    bool orderOut_ = false;
    // An open/close choice made since the last contract pick (by the trader or by the pick's
    // caller): a close prepared for one contract is not carried over to the next.
    bool choiceSincePick_ = false;
    Reconciler* reconciler_ = nullptr;
    // The 下单 button was last pressed with the mouse (not from the keyboard).
    bool mouseClick_ = false;

    QComboBox* contract_ = nullptr;
    QRadioButton* buy_ = nullptr;
    QRadioButton* sell_ = nullptr;
    QRadioButton* open_ = nullptr;
    QRadioButton* closeToday_ = nullptr;
    QRadioButton* close_ = nullptr;
    CTStatic* buyLabel_ = nullptr;
    CTStatic* sellLabel_ = nullptr;
    CTStatic* openLabel_ = nullptr;
    CTStatic* closeTodayLabel_ = nullptr;
    CTStatic* closeLabel_ = nullptr;
    CTStatic* confirmLabel_ = nullptr;
    CTEdit* lots_ = nullptr;
    CTEdit* price_ = nullptr;
    SpinArrows* lotsSpin_ = nullptr;
    SpinArrows* priceSpin_ = nullptr;
    QPushButton* priceMode_ = nullptr;
    CXPButton* order_ = nullptr;
    QCheckBox* confirm_ = nullptr;
    QLabel* lotsHint_ = nullptr;
    QLabel* upper_ = nullptr;
    QLabel* lower_ = nullptr;
    QLabel* bid_ = nullptr;
    QLabel* ask_ = nullptr;
    CXPButton* stopRules_ = nullptr;
    CXPButton* reverse_ = nullptr;

    QTimer quoteTimer_;
    QTimer reverseReload_;
    int quoteTicks_ = 0;
    int reversesWaiting_ = 0;
};

}  // namespace ft::ui
