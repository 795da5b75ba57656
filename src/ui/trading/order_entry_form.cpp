// CTradeDlg1's form: the contract, the choices, the price that follows the market, the lots and
// the hint of the lots the order can take.
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <algorithm>
#include <cctype>

#include "core/record_format.h"
#include "core/text.h"
#include "market/quote_board_rules.h"
#include "ui/common/trading_stepper.h"
#include "ui/controls/text_controls.h"
#include "ui/trading/order_entry_look.h"
#include "ui/trading/order_entry_panel.h"

namespace ft::ui {

using namespace order_entry;

void CTradeDlg1::FillContractBox() {
    std::vector<std::string> codes;
    for (CustomContract& c : Catalogue(*context_.session.products.Snapshot())) {
        codes.push_back(std::move(c.code));
    }
    // The box keeps its list sorted, regardless of case.
    std::stable_sort(codes.begin(), codes.end(), [](const std::string& a, const std::string& b) {
        return std::lexicographical_compare(
            a.begin(), a.end(), b.begin(), b.end(),
            [](unsigned char x, unsigned char y) { return std::tolower(x) < std::tolower(y); });
    });
    for (const std::string& code : codes) {
        contract_->addItem(ToQt(code));
    }
    contract_->setCurrentIndex(-1);
    contract_->setEditText(QString());
}

bool CTradeDlg1::IsListedCode(const std::string& code) const {
    return IsListedContract(*context_.session.products.Snapshot(), code);
}

void CTradeDlg1::OnContractTyped(const QString& text) {
    const std::string code = FromQt(text);
    if (IsListedCode(code)) {
        SelectContract(code, std::string(), 1);
    }
}

bool CTradeDlg1::FollowMode() const {
    return priceMode_->text() == FollowText();
}

void CTradeDlg1::TogglePriceMode() {
    priceMode_->setText(FollowMode() ? GivenText() : FollowText());
    priceMode_->setChecked(!FollowMode());
    price_->setFocus(Qt::OtherFocusReason);
    priceMode_->update();
}

void CTradeDlg1::SelectContract(const std::string& code, const std::string& name, int force) {
    priceMode_->setText(FollowText());
    priceMode_->setChecked(false);
    if (FromQt(contract_->currentText()) == code && force == 0) {
        choiceSincePick_ = false;
        return;
    }
    contract_->setEditText(ToQt(code));
    lots_->setText(QStringLiteral("1"));
    price_->clear();
    // The labels belonged to the previous contract; until this one's first quote they show
    // nothing, so no price is checked against another contract's limits.
    ClearQuote();
    if (!choiceSincePick_ && !open_->isChecked()) {
        // A close was chosen for the previous contract: the new one starts as any pick does.
        ChooseBuy();
        ChooseOpen();
    }
    choiceSincePick_ = false;

    QuoteBoardRows* board = context_.links ? context_.links->QuoteBoard() : nullptr;
    if (!current_.empty()) {
        // Only this panel's own claim goes: a held or custom contract stays quoted.
        context_.quotes.Release(kOrderEntryOwner, current_);
        if (board && !board->IsCustomCode(current_)) {
            board->RemoveRow(current_);
        }
    }
    current_ = code;
    ShowCloseTodayFor(code);
    context_.quotes.Hold(kOrderEntryOwner, code);
    if (board) {
        std::string shownName = name;
        if (shownName.empty()) {
            const auto products = context_.session.products.Snapshot();
            if (const ProductRecord* product = FindProduct(*products, code)) {
                shownName = std::string(FieldText(product->contractName));
            }
        }
        board->EnsureRow(code, shownName);
    }
    QuoteTick();
    quoteTimer_.start(kQuoteTickMs);
}

void CTradeDlg1::ShowCloseTodayFor(const std::string& code) {
    // Only where the exchange tells today's lots from earlier ones is 平今 a choice of its own.
    const auto products = context_.session.products.Snapshot();
    const ProductRecord* product = FindProduct(*products, code);
    const bool byDay = product && ClosesByDay(FieldText(product->exchange));
    closeToday_->setVisible(byDay);
    closeTodayLabel_->setVisible(byDay);
}

void CTradeDlg1::ClearQuote() {
    bidText_.clear();
    askText_.clear();
    for (QLabel* label : {bid_, ask_, upper_, lower_}) {
        label->clear();
    }
}

void CTradeDlg1::QuoteTick() {
    ++quoteTicks_;
    if (current_.empty()) {
        return;
    }
    if (const auto quote = ParseEntryQuote(context_.quotes.FindQuote(current_), current_)) {
        ApplyQuote(*quote);
    }
}

void CTradeDlg1::ApplyQuote(const EntryQuote& quote) {
    bidText_ = quote.bid;
    askText_ = quote.ask;
    SetTextIfChanged(bid_, TrimZeros(quote.bid));
    SetTextIfChanged(ask_, TrimZeros(quote.ask));
    SetTextIfChanged(upper_, TrimZeros(quote.upperLimit));
    SetTextIfChanged(lower_, TrimZeros(quote.lowerLimit));
    if (!price_->text().isEmpty() && !FollowMode()) {
        return;  // a given price stays
    }
    const QString follow = ToQt(TrimZeros(buy_->isChecked() ? askText_ : bidText_));
    if ((buy_->isChecked() || sell_->isChecked()) && follow != price_->text()) {
        price_->setText(follow);
        RefreshAvailableLots();
    }
}

void CTradeDlg1::ChooseBuy() {
    buy_->setChecked(true);
    price_->setText(ToQt(TrimZeros(askText_)));
    RefreshChoiceColours();
    RefreshAvailableLots();
}

void CTradeDlg1::ChooseSell() {
    sell_->setChecked(true);
    price_->setText(ToQt(TrimZeros(bidText_)));
    RefreshChoiceColours();
    RefreshAvailableLots();
}

void CTradeDlg1::ChooseOpen() {
    choiceSincePick_ = true;
    open_->setChecked(true);
    RefreshChoiceColours();
    RefreshAvailableLots();
}

void CTradeDlg1::ChooseCloseToday() {
    choiceSincePick_ = true;
    closeToday_->setChecked(true);
    RefreshChoiceColours();
    RefreshAvailableLots();
}

void CTradeDlg1::ChooseClose() {
    choiceSincePick_ = true;
    close_->setChecked(true);
    RefreshChoiceColours();
    RefreshAvailableLots();
}

void CTradeDlg1::SetLots(const std::string& lots) {
    lots_->setText(ToQt(lots));
}

bool CTradeDlg1::HasPrice() const {
    return !price_->text().isEmpty();
}

void CTradeDlg1::RefreshChoiceColours() {
    const std::pair<CTStatic*, std::pair<QRadioButton*, QColor>> choices[] = {
        {buyLabel_, {buy_, kBuyColour}},
        {sellLabel_, {sell_, kSellColour}},
        {openLabel_, {open_, kOpenCloseColour}},
        {closeTodayLabel_, {closeToday_, kOpenCloseColour}},
        {closeLabel_, {close_, kOpenCloseColour}},
    };
    for (const auto& [label, radioAndColour] : choices) {
        const QColor colour =
            radioAndColour.first->isChecked() ? radioAndColour.second : PanelBackground();
        QPalette palette = label->palette();
        if (palette.color(QPalette::Window) != colour) {
            palette.setColor(QPalette::Window, colour);
            label->setPalette(palette);
        }
    }
    update();
}

std::vector<HeldPosition> CTradeDlg1::HeldPositions() const {
    return context_.trading ? context_.trading->State().HeldPositions()
                            : std::vector<HeldPosition>{};
}

void CTradeDlg1::RefreshAvailableLots() {
    std::string hint = NoLotsHint();
    const std::string code = FromQt(contract_->currentText());
    if (open_->isChecked()) {
        const auto products = context_.session.products.Snapshot();
        if (context_.trading && IsListedContract(*products, code)) {
            const ProductRecord* product = FindProduct(*products, code);
            const FundsBarTexts funds = context_.trading->State().Funds();
            hint = OpenLotsHint(funds.available.value_or(std::string()), FromQt(price_->text()),
                                std::string(FieldText(product->multiplier)),
                                std::string(FieldText(product->margin)));
        }
    } else {
        const std::vector<HeldPosition> held = HeldPositions();
        if (const HeldPosition* position =
                ClosedPosition(held, code, buy_->isChecked() ? OrderSide::Buy : OrderSide::Sell)) {
            // On 上期所 a 平今 takes today's lots only.
            const bool todayOnly = closeToday_->isChecked() && ClosesByDay(position->exchange) &&
                                   !position->today.empty();
            hint = (todayOnly ? position->today : position->closable) + Ansi("手");
        }
    }
    SetTextIfChanged(lotsHint_, hint);
}

void CTradeDlg1::StepLotsField(bool up) {
    if (auto next = StepLots(FromQt(lots_->text()), up)) {
        lots_->setText(ToQt(*next));
    }
}

void CTradeDlg1::StepPriceField(bool up) {
    const auto products = context_.session.products.Snapshot();
    if (auto next =
            StepPrice(*products, FromQt(contract_->currentText()), FromQt(price_->text()), up)) {
        price_->setText(ToQt(*next));
    }
}

}  // namespace ft::ui
