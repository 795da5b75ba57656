#include "ui/trading/order_entry_panel.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QCursor>
#include <QEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <algorithm>
#include <cctype>
#include <optional>

#include "core/record_format.h"
#include "core/text.h"
#include "market/quote_board_rules.h"
#include "net/request_client.h"
#include "ui/common/effects.h"
#include "ui/common/run_aside.h"
#include "ui/common/text_boundary.h"
#include "ui/common/ui_thread.h"
#include "ui/controls/gradient_button.h"
#include "ui/controls/list_ctrl.h"
#include "ui/controls/spin_arrows.h"
#include "ui/controls/text_controls.h"

namespace ft::ui {
namespace {

const QColor kBuyColour(254, 94, 109);
const QColor kSellColour(0, 200, 0);
const QColor kOpenCloseColour(255, 222, 1);

QString FollowText() {
    return QStringLiteral("跟盘价");
}
QString GivenText() {
    return QStringLiteral("指定价");
}

// The panel's bold rounded face; Linux systems without it fall back to their CJK font.
QFont RoundFont(int pixels) {
    QFont font(QStringLiteral("幼圆"));
    font.setPixelSize(pixels);
    font.setWeight(QFont::Black);
    return font;
}

QFont DialogFont() {
    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(12);
    return font;
}

// A label that reacts to a click, as the choice labels beside the radio buttons do.
class ClickableStatic : public CTStatic {
public:
    ClickableStatic(const QString& text, QWidget* parent) : CTStatic(text, parent) {}
    std::function<void()> onClick;

protected:
    // The choice colour under the text (the label itself is drawn transparent).
    void paintEvent(QPaintEvent* event) override {
        if (autoFillBackground()) {
            QPainter p(this);
            p.fillRect(rect(), palette().color(QPalette::Window));
        }
        CTStatic::paintEvent(event);
    }
    void mouseReleaseEvent(QMouseEvent* event) override {
        CTStatic::mouseReleaseEvent(event);
        if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) &&
            onClick) {
            onClick();
        }
    }
};

void SetTextIfChanged(QLabel* label, const std::string& gbk) {
    const QString text = ToQt(gbk);
    if (label->text() != text) {
        label->setText(text);
    }
}

// Positions of the hidden controls, given in dialog units: the large-font layout's scale.
QRect FromDialogUnits(int x, int y, int w, int h) {
    return QRect(x * 3 / 2, y * 13 / 8, w * 3 / 2, h * 13 / 8);
}

}  // namespace

CTradeDlg1::CTradeDlg1(const PaneContext& context, QWidget* parent)
    : TabPanel(parent), context_(context) {
    BuildControls();
    FillContractBox();
    connect(&quoteTimer_, &QTimer::timeout, this, &CTradeDlg1::QuoteTick);
    reverseReload_.setSingleShot(true);
    connect(&reverseReload_, &QTimer::timeout, this,
            [this] { context_.loader.StartReloadTables(0); });
    // A fresh panel starts in "指定价".
    TogglePriceMode();
}

void CTradeDlg1::BuildControls() {
    const QFont round20 = RoundFont(20);
    const QFont round13 = RoundFont(13);
    const QFont dialog = DialogFont();
    setFont(dialog);

    auto label = [this](const char* text, const QRect& place, const QFont& font) {
        auto* l = new CTStatic(QString::fromUtf8(text), this);
        l->setGeometry(place);
        l->SetFont(font);
        return l;
    };
    auto choice = [this, &round13](const char* text, const QRect& place,
                                   std::function<void()> onClick) {
        auto* l = new ClickableStatic(QString::fromUtf8(text), this);
        l->setGeometry(place);
        l->SetFont(round13);
        l->setAutoFillBackground(true);
        l->onClick = std::move(onClick);
        return l;
    };
    auto radio = [this](const QRect& place) {
        auto* r = new QRadioButton(this);
        r->setGeometry(place);
        return r;
    };

    label("合约", {9, 13, 32, 13}, round13);
    label("买卖", {9, 42, 32, 13}, round13);
    label("开平", {9, 65, 30, 13}, round13);
    label("手数", {9, 94, 32, 13}, round13);

    contract_ = new QComboBox(this);
    contract_->setEditable(true);
    contract_->setInsertPolicy(QComboBox::NoInsert);
    // A typed code is taken as typed; no completion runs ahead of the trader.
    contract_->setCompleter(nullptr);
    contract_->setFont(round20);
    contract_->setGeometry(50, 8, 153, 28);

    buy_ = radio({54, 42, 17, 16});
    sell_ = radio({117, 42, 15, 16});
    auto* sides = new QButtonGroup(this);
    sides->addButton(buy_);
    sides->addButton(sell_);
    buyLabel_ = choice("买入", {72, 42, 38, 15}, [this] { ChooseBuy(); });
    sellLabel_ = choice("卖出", {134, 42, 38, 15}, [this] { ChooseSell(); });

    open_ = radio({54, 65, 17, 16});
    close_ = radio({117, 65, 17, 16});
    closeToday_ = radio(FromDialogUnits(152, 38, 11, 10));
    auto* openClose = new QButtonGroup(this);
    for (QRadioButton* r : {open_, closeToday_, close_}) {
        openClose->addButton(r);
    }
    openLabel_ = choice("开仓", {71, 65, 38, 15}, [this] { ChooseOpen(); });
    closeLabel_ = choice("平仓", {134, 65, 38, 15}, [this] { ChooseClose(); });
    closeTodayLabel_ =
        choice("平今", FromDialogUnits(160, 39, 18, 8), [this] { ChooseCloseToday(); });

    lots_ = new CTEdit(this);
    lots_->setGeometry(54, 88, 98, 26);
    lots_->setFont(round20);
    lots_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lots_->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), lots_));
    lotsSpin_ = new SpinArrows(this);
    lotsSpin_->setGeometry(150, 86, 17, 28);

    priceMode_ = new QPushButton(FollowText(), this);
    priceMode_->setCheckable(true);
    priceMode_->setGeometry(0, 122, 51, 21);
    priceMode_->setFont(round13);
    QPalette red = priceMode_->palette();
    red.setColor(QPalette::ButtonText, QColor(255, 0, 0));
    priceMode_->setPalette(red);

    price_ = new CTEdit(this);
    price_->setGeometry(54, 120, 96, 26);
    price_->setFont(round20);
    price_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    priceSpin_ = new SpinArrows(this);
    priceSpin_->setGeometry(150, 119, 17, 28);

    order_ = new CXPButton(QStringLiteral("下单"), this);
    order_->setGeometry(3, 148, 195, 54);
    order_->setFont(RoundFont(22));
    order_->setFocusPolicy(Qt::StrongFocus);

    confirm_ = new QCheckBox(QStringLiteral("下单确认"), this);
    confirm_->setGeometry(201, 184, 80, 18);

    lotsHint_ = label("0手", {183, 86, 33, 13}, dialog);
    upper_ = label("", {185, 102, 41, 13}, dialog);
    lower_ = label("", {242, 102, 47, 13}, dialog);
    label("买", {168, 119, 12, 13}, dialog);
    bid_ = label("", {185, 120, 45, 13}, dialog);
    label("卖", {168, 133, 12, 13}, dialog);
    ask_ = label("", {186, 133, 45, 13}, dialog);

    // Created hidden, as the form has always had them.
    stopRules_ = new CXPButton(QStringLiteral("止盈止损"), this);
    stopRules_->setGeometry(FromDialogUnits(122, 66, 54, 9));
    reverse_ = new CXPButton(QStringLiteral("快捷反手"), this);
    reverse_->setGeometry(FromDialogUnits(122, 74, 54, 12));
    auto* hedge = new QCheckBox(QStringLiteral("保值"), this);
    hedge->setGeometry(FromDialogUnits(141, 2, 33, 10));
    auto* arbitrage = new QCheckBox(QStringLiteral("套利"), this);
    arbitrage->setGeometry(FromDialogUnits(141, 14, 33, 10));
    auto* check1 = new QCheckBox(QStringLiteral("Check1"), this);
    check1->setGeometry(FromDialogUnits(124, 26, 30, 13));
    auto* listBox = new QListWidget(this);
    listBox->setGeometry(FromDialogUnits(137, 50, 8, 9));
    auto* confirmLabel = new ClickableStatic(QStringLiteral("下单前确认"), this);
    confirmLabel->setGeometry(FromDialogUnits(123, 95, 41, 10));
    confirmLabel->onClick = [this] { confirm_->setChecked(!confirm_->isChecked()); };
    confirmLabel_ = confirmLabel;
    for (QWidget* hidden :
         std::initializer_list<QWidget*>{stopRules_, reverse_, hedge, arbitrage, check1, listBox,
                                         confirmLabel_, closeToday_, closeTodayLabel_}) {
        hidden->hide();
    }

    buy_->setChecked(true);
    open_->setChecked(true);
    confirm_->setChecked(false);
    RefreshChoiceColours();

    connect(buy_, &QRadioButton::clicked, this, [this] { ChooseBuy(); });
    connect(sell_, &QRadioButton::clicked, this, [this] { ChooseSell(); });
    for (QRadioButton* r : {open_, closeToday_, close_}) {
        connect(r, &QRadioButton::clicked, this, [this] {
            RefreshChoiceColours();
            RefreshAvailableLots();
        });
    }
    connect(contract_, &QComboBox::textActivated, this,
            [this](const QString& text) { SelectContract(FromQt(text), std::string(), 1); });
    connect(contract_->lineEdit(), &QLineEdit::textEdited, this, &CTradeDlg1::OnContractTyped);
    connect(priceMode_, &QPushButton::clicked, this, &CTradeDlg1::TogglePriceMode);
    connect(order_, &QPushButton::clicked, this, &CTradeDlg1::OnOrderButton);
    connect(reverse_, &QPushButton::clicked, this, &CTradeDlg1::QuickReverse);
    connect(stopRules_, &QPushButton::clicked, this, [this] {
        if (PositionsSource* positions = context_.links ? context_.links->Positions() : nullptr) {
            positions->OpenStopRuleEditor();
        }
    });
    connect(lotsSpin_, &SpinArrows::up, this, [this] { StepLotsField(true); });
    connect(lotsSpin_, &SpinArrows::down, this, [this] { StepLotsField(false); });
    connect(priceSpin_, &SpinArrows::up, this, [this] { StepPriceField(true); });
    connect(priceSpin_, &SpinArrows::down, this, [this] { StepPriceField(false); });
    // Whether the 下单 button was pressed with the mouse or from the keyboard.
    order_->installEventFilter(this);
}

bool CTradeDlg1::eventFilter(QObject* watched, QEvent* event) {
    if (watched == order_) {
        switch (event->type()) {
            case QEvent::MouseButtonRelease:
                mouseClick_ =
                    order_->rect().contains(static_cast<QMouseEvent*>(event)->position().toPoint());
                break;
            case QEvent::KeyPress:
            case QEvent::KeyRelease:
                mouseClick_ = false;
                break;
            default:
                break;
        }
    }
    return TabPanel::eventFilter(watched, event);
}

void CTradeDlg1::FillContractBox() {
    std::vector<std::string> codes;
    const CListCtrlCl* list = context_.links ? context_.links->ContractList() : nullptr;
    if (list) {
        for (int row = 0; row < list->GetItemCount(); ++row) {
            codes.push_back(list->ItemText(row, ContractCol::Code));
        }
    } else {
        const auto products = context_.session.products.Snapshot();
        for (std::size_t i = 0; i < products->Count(); ++i) {
            codes.emplace_back(FieldText(products->rows[i].contractCode));
        }
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
    if (const CListCtrlCl* list = context_.links ? context_.links->ContractList() : nullptr) {
        for (int row = 0; row < list->GetItemCount(); ++row) {
            if (list->ItemText(row, ContractCol::Code) == code) {
                return true;
            }
        }
        return false;
    }
    return FindProduct(*context_.session.products.Snapshot(), code) != nullptr;
}

void CTradeDlg1::OnContractTyped(const QString& text) {
    const std::string code = FromQt(text);
    if (IsListedCode(code)) {
        SelectContract(code, std::string(), 1);
    }
}

void CTradeDlg1::HandleForwardedKey(int /*key*/, Qt::KeyboardModifiers /*modifiers*/) {}

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
        return;
    }
    contract_->setEditText(ToQt(code));
    lots_->setText(QStringLiteral("1"));
    price_->clear();
    // The labels belonged to the previous contract; until this one's first quote they show
    // nothing, so no price is checked against another contract's limits.
    ClearQuote();

    QuoteBoardRows* board = context_.links ? context_.links->QuoteBoard() : nullptr;
    if (!current_.empty() && !(board && board->IsCustomCode(current_))) {
        context_.quotes.Unsubscribe(current_);
        if (board) {
            board->RemoveRow(current_);
        }
    }
    current_ = code;
    context_.quotes.Subscribe(code);
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

void CTradeDlg1::ClearQuote() {
    bidText_.clear();
    askText_.clear();
    for (QLabel* label : {bid_, ask_, upper_, lower_}) {
        label->clear();
    }
}

void CTradeDlg1::QuoteTick() {
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
    open_->setChecked(true);
    RefreshChoiceColours();
    RefreshAvailableLots();
}

void CTradeDlg1::ChooseCloseToday() {
    closeToday_->setChecked(true);
    RefreshChoiceColours();
    RefreshAvailableLots();
}

void CTradeDlg1::ChooseClose() {
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
    std::vector<HeldPosition> held;
    if (PositionsSource* positions = context_.links ? context_.links->Positions() : nullptr) {
        for (const PositionRowView& row : positions->PositionRows()) {
            held.push_back({row.code, row.direction, row.closableVolume});
        }
    }
    return held;
}

void CTradeDlg1::RefreshAvailableLots() {
    std::string hint = NoLotsHint();
    const std::string code = FromQt(contract_->currentText());
    if (open_->isChecked()) {
        const std::string funds = context_.links ? context_.links->AvailableFunds() : std::string();
        const std::string price = FromQt(price_->text());
        if (const CListCtrlCl* list = context_.links ? context_.links->ContractList() : nullptr) {
            for (int row = 0; row < list->GetItemCount(); ++row) {
                if (list->ItemText(row, ContractCol::Code) == code) {
                    hint = OpenLotsHint(funds, price, list->ItemText(row, ContractCol::Multiplier),
                                        list->ItemText(row, ContractCol::Margin));
                    break;
                }
            }
        }
    } else {
        const std::vector<HeldPosition> held = HeldPositions();
        if (const HeldPosition* position =
                ClosedPosition(held, code, buy_->isChecked() ? OrderSide::Buy : OrderSide::Sell)) {
            hint = position->closable + Ansi("手");
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

OrderForm CTradeDlg1::ReadForm() const {
    OrderForm form;
    // The one way a worker may see the form: a copy made on the UI thread.
    RunOnUiThread([this, &form] {
        form.code = FromQt(contract_->currentText());
        form.side = buy_->isChecked() ? OrderSide::Buy : OrderSide::Sell;
        form.openClose = open_->isChecked()         ? OpenClose::Open
                         : closeToday_->isChecked() ? OpenClose::CloseToday
                                                    : OpenClose::Close;
        form.lots = FromQt(lots_->text());
        form.price = FromQt(price_->text());
        form.followPrice = FollowMode();
        form.confirm = confirm_->isChecked();
        form.upperLimit = FromQt(upper_->text());
        form.lowerLimit = FromQt(lower_->text());
    });
    return form;
}

void CTradeDlg1::OnOrderButton() {
    const bool byMouse = mouseClick_;
    mouseClick_ = false;
    // A click from the keyboard places an order only while the pointer is over the button,
    // as a guard against a stray key.
    if (!byMouse && !order_->rect().contains(order_->mapFromGlobal(QCursor::pos()))) {
        return;
    }
    SubmitOrder(SubmitFrom::Code);
}

void CTradeDlg1::SubmitOrder(SubmitFrom from) {
    if (from == SubmitFrom::Button) {
        OnOrderButton();
        return;
    }
    StartOrder({});
}

void CTradeDlg1::StartOrder(Continuation then) {
    // One order at a time: a second click while one is out is refused.
    if (orderOut_) {
        return;
    }
    const OrderForm form = ReadForm();
    const LoginFields login = context_.session.Login();
    OrderAccount account{login.userName, login.serverMode, login.priceLimitBuffer,
                         context_.session.products.Snapshot()};
    orderOut_ = true;
    SessionState* session = &context_.session;
    TableLoader* loader = &context_.loader;
    QPointer<QWidget> owner(this);
    RunAside(
        this,
        [form, account, session, loader, owner] {
            OrderSteps steps;
            steps.notify = [owner](const std::string& text) { Message(owner.data(), text); };
            steps.confirm = [owner](const std::string& text) {
                // A hand-over refused while the program shuts down counts as Cancel: no
                // order leaves without the trader's OK.
                MessageResult answer = MessageResult::Cancel;
                RunOnUiThread([&] {
                    answer = CurrentEffects().ShowMessage(owner.data(), ToQt(text),
                                                          QStringLiteral("确认下单"),
                                                          MessageButtons::OkCancel);
                });
                return answer == MessageResult::Ok;
            };
            steps.post = [session](const std::string& body, std::string& answer) {
                return PostForm(*session, kOrderPath, body, answer);
            };
            steps.reloadTables = [loader] { loader->StartReloadTables(0); };
            return RunOrder(form, account, steps);
        },
        [this, then = std::move(then)](OrderOutcome outcome) {
            orderOut_ = false;
            emit orderFinished(static_cast<int>(outcome));
            if (then) {
                then(outcome);
            }
        },
        this);
}

void CTradeDlg1::QuickReverse() {
    PositionsSource* positions = context_.links ? context_.links->Positions() : nullptr;
    if (!positions || !positions->HasSelectedRow() || orderOut_) {
        return;
    }
    const bool confirmWas = confirm_->isChecked();
    confirm_->setChecked(false);
    const QString lots = lots_->text();
    const std::string code = FromQt(contract_->currentText());
    const OrderSide side = buy_->isChecked() ? OrderSide::Buy : OrderSide::Sell;
    const std::vector<HeldPosition> held = HeldPositions();
    if (!ReversiblePosition(held, code, side, FromQt(lots))) {
        Message(this, Ansi("交易失败，反手数量有误"));
        confirm_->setChecked(confirmWas);
        return;
    }
    // The closing order with the form as it is; the opening order follows its acceptance.
    StartOrder([this, confirmWas, lots, code, side](OrderOutcome outcome) {
        if (outcome != OrderOutcome::Accepted) {
            confirm_->setChecked(confirmWas);
            return;
        }
        QTimer::singleShot(kReversePauseMs, this, [this, confirmWas, lots, code, side] {
            // The trader may have picked another contract meanwhile: the opening order is the
            // one the closed position calls for.
            if (FromQt(contract_->currentText()) != code) {
                SelectContract(code, std::string(), 1);
            }
            ChooseOpen();
            if (side == OrderSide::Buy) {
                ChooseBuy();
            } else {
                ChooseSell();
            }
            lots_->setText(lots);
            StartOrder({});
            confirm_->setChecked(confirmWas);
            lots_->clear();
            reverseReload_.start(kReverseReloadMs);
        });
    });
}

void CTradeDlg1::paintEvent(QPaintEvent* event) {
    TabPanel::paintEvent(event);
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    // The three small marks beside the lots hint and the two limits (11 × 12 pixels).
    auto triangle = [&p](int x, int y, bool up, const QColor& colour) {
        QPainterPath path;
        if (up) {
            path.moveTo(x + 5.5, y + 2);
            path.lineTo(x + 10, y + 10);
            path.lineTo(x + 1, y + 10);
        } else {
            path.moveTo(x + 1, y + 2);
            path.lineTo(x + 10, y + 2);
            path.lineTo(x + 5.5, y + 10);
        }
        path.closeSubpath();
        p.fillPath(path, colour);
    };
    p.setBrush(QColor(40, 90, 170));
    p.drawEllipse(QRectF(169, 89, 9, 9));
    triangle(168, 103, true, QColor(220, 0, 0));
    triangle(225, 105, false, QColor(0, 150, 0));
}

}  // namespace ft::ui
