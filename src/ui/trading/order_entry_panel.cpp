// CTradeDlg1's controls and their layout, and its painting.
#include "ui/trading/order_entry_panel.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>

#include "ui/controls/gradient_button.h"
#include "ui/controls/spin_arrows.h"
#include "ui/controls/text_controls.h"
#include "ui/trading/order_entry_look.h"

namespace ft::ui {
namespace {

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

// Positions of the hidden controls, given in dialog units: the large-font layout's scale.
QRect FromDialogUnits(int x, int y, int w, int h) {
    return QRect(x * 3 / 2, y * 13 / 8, w * 3 / 2, h * 13 / 8);
}

}  // namespace
using order_entry::FollowText;

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
    // Shown for 上期所 contracts only: in the row of 开仓 and 平仓.
    closeToday_ = radio({178, 65, 17, 16});
    auto* openClose = new QButtonGroup(this);
    for (QRadioButton* r : {open_, closeToday_, close_}) {
        openClose->addButton(r);
    }
    openLabel_ = choice("开仓", {71, 65, 38, 15}, [this] { ChooseOpen(); });
    closeLabel_ = choice("平仓", {134, 65, 38, 15}, [this] { ChooseClose(); });
    closeTodayLabel_ = choice("平今", {195, 65, 38, 15}, [this] { ChooseCloseToday(); });

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

void CTradeDlg1::HandleForwardedKey(int /*key*/, Qt::KeyboardModifiers /*modifiers*/) {}

}  // namespace ft::ui
