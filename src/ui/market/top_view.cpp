#include "ui/market/top_view.h"

#include <QPainter>
#include <QTabWidget>
#include <QTimer>

#include "market/funds_bar.h"
#include "ui/common/text_boundary.h"
#include "ui/common/trading_stepper.h"
#include "ui/controls/gradient_button.h"
#include "ui/controls/list_ctrl.h"
#include "ui/market/contract_list_panel.h"
#include "ui/market/quote_board_panel.h"

namespace ft::ui {
namespace {

const QColor kBandColour(109, 109, 109);

}  // namespace

CTopView::CTopView(const PaneContext& context, QWidget* parent) : CTFormView(context, parent) {
    SetTabTopMargin(kBandHeight);
    AddTab(QStringLiteral("报价表(F1)"));
    AddTab(QStringLiteral("合约列表(F6)"));
    SetPanel(0, new CPriceSubDlg1(context));
    SetPanel(1, new CPriceSubDlg2(context));
    Tabs()->setCurrentIndex(0);
    BuildFundsBar();
}

CPriceSubDlg1* CTopView::QuoteBoard() const {
    return qobject_cast<CPriceSubDlg1*>(Panel(0));
}

CPriceSubDlg2* CTopView::ContractListPanel() const {
    return qobject_cast<CPriceSubDlg2*>(Panel(1));
}

const CListCtrlCl* CTopView::ContractList() const {
    const CPriceSubDlg2* panel = ContractListPanel();
    return panel ? panel->List() : nullptr;
}

void CTopView::BuildFundsBar() {
    struct Field {
        const char* label;
        QRect labelRect;
        QRect valueRect;
        const char* start;
    };
    // Pixel rectangles of the bar (the large-font layout, which suits today's screens).
    const Field fields[kFundsFields] = {
        {"静态权益", {36, 7, 53, 15}, {3, 28, 114, 15}, ""},
        {"平仓盈亏", {155, 7, 50, 15}, {123, 28, 114, 15}, ""},
        {"持仓盈亏", {279, 7, 50, 15}, {243, 28, 114, 15}, "--"},
        {"动态权益", {396, 7, 54, 15}, {365, 29, 113, 15}, "--"},
        {"手续费", {518, 7, 54, 15}, {486, 28, 113, 15}, "--"},
        {"占用保证金", {629, 7, 60, 15}, {608, 28, 111, 15}, "--"},
        {"下单冻结", {755, 7, 53, 15}, {726, 29, 113, 15}, "--"},
        {"可用资金", {869, 7, 53, 15}, {845, 29, 111, 15}, "--"},
        {"风险度", {984, 8, 39, 15}, {968, 28, 80, 15}, ""},
    };
    QFont valueFont(QStringLiteral("宋体"));
    // 宋体 at 18 pixels has 9-pixel digits; the fonts standing in for it on Linux have wider
    // ones, and at 16 pixels "1000000.00" still fits its field as it did.
    valueFont.setPixelSize(16);
    valueFont.setWeight(QFont::Black);
    QFont labelFont(QStringLiteral("宋体"));
    labelFont.setPixelSize(12);
    for (int i = 0; i < kFundsFields; ++i) {
        const Field& f = fields[i];
        auto* label = new QLabel(QString::fromUtf8(f.label), this);
        auto* value = new QLabel(QString::fromUtf8(f.start), this);
        label->setGeometry(f.labelRect.adjusted(-8, -2, 8, 2));
        value->setGeometry(f.valueRect.adjusted(0, -2, 0, 3));
        label->setFont(labelFont);
        value->setFont(valueFont);
        for (QLabel* l : {label, value}) {
            l->setTextFormat(Qt::PlainText);
            l->setAlignment(Qt::AlignCenter);
            l->setAttribute(Qt::WA_TranslucentBackground);
            QPalette p = l->palette();
            p.setColor(QPalette::WindowText, Qt::white);
            l->setPalette(p);
        }
        labels_[static_cast<std::size_t>(i)] = label;
        values_[static_cast<std::size_t>(i)] = value;
    }
    QPalette gold = values_[7]->palette();
    gold.setColor(QPalette::WindowText, QColor(230, 193, 4));
    values_[7]->setPalette(gold);

    query_ = new CXPButton(QStringLiteral("查询(&Q)"), this);
    query_->setGeometry(1049, 5, 66, 42);
    connect(query_, &QPushButton::clicked, this, [this] {
        if (Context().links) {
            Context().links->OpenSettlementQuery();
        }
    });

    // The first update after 800 ms, then every 300 ms.
    fundsTimer_ = new QTimer(this);
    connect(fundsTimer_, &QTimer::timeout, this, &CTopView::UpdateFunds);
    QTimer::singleShot(800, this, [this] { fundsTimer_->start(300); });
}

void CTopView::SetValue(int index, const std::string& gbk) {
    QLabel* value = values_[static_cast<std::size_t>(index)];
    const QString text = ToQt(gbk);
    if (value->text() != text) {
        value->setText(text);
    }
}

void CTopView::UpdateFunds() {
    const PaneContext& context = Context();
    // Without the trading state (a view on its own) only the figures of the tables are known.
    const FundsBarTexts t = context.trading
                                ? context.trading->State().Funds()
                                : ComputeFundsBar(*context.session.money.Snapshot(),
                                                  *context.session.positions.Snapshot(), nullptr,
                                                  context.session.serverMode());
    SetValue(0, t.staticEquity);
    SetValue(1, t.closeProfit);
    SetValue(6, t.frozen);
    SetValue(5, t.margin);
    if (!t.positionProfit) {
        return;
    }
    SetValue(2, *t.positionProfit);
    SetValue(3, *t.dynamicEquity);
    SetValue(4, *t.commission);
    SetValue(7, *t.available);
    SetValue(8, *t.risk);
}

void CTopView::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    // The tab widget covers everything from y = 48 down; the band reaches to y = 50 below it.
    painter.fillRect(rect(), PanelBackground());
    painter.fillRect(QRect(0, 0, width(), 50), kBandColour);
    QPen pen(Qt::white);
    pen.setWidth(1);
    pen.setStyle(Qt::DashLine);
    painter.setPen(pen);
    for (int x = 120; x <= 960; x += 120) {
        painter.drawLine(x, 5, x, 45);
    }
}

}  // namespace ft::ui
