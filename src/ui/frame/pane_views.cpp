#include "ui/frame/pane_views.h"

#include <QChildEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QTabWidget>
#include <QVBoxLayout>

namespace ft::ui {
namespace {

const QColor kPanelBackground(255, 255, 245);
const QColor kBandColour(109, 109, 109);

bool IsSwallowedKey(int key) {
    return key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape;
}

}  // namespace

CTPanel::CTPanel(QWidget* parent) : QWidget(parent) {
    // An empty panel can still hold the focus, so the key rule applies to it too.
    setFocusPolicy(Qt::ClickFocus);
    installEventFilter(this);
}

void CTPanel::HandleForwardedKey(int /*key*/, Qt::KeyboardModifiers /*modifiers*/) {}

void CTPanel::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.fillRect(rect(), kPanelBackground);
}

void CTPanel::childEvent(QChildEvent* event) {
    if (event->added()) {
        Watch(event->child());
    } else if (event->removed()) {
        Unwatch(event->child());
    }
    QWidget::childEvent(event);
}

// Key presses go to the focused child first; watching every descendant lets the panel see
// them before the child acts on them, at any depth and for children added later.
void CTPanel::Watch(QObject* object) {
    object->installEventFilter(this);
    for (QObject* child : object->children()) {
        Watch(child);
    }
}

void CTPanel::Unwatch(QObject* object) {
    object->removeEventFilter(this);
    for (QObject* child : object->children()) {
        Unwatch(child);
    }
}

bool CTPanel::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::ChildAdded:
            if (watched != this) {
                Watch(static_cast<QChildEvent*>(event)->child());
            }
            break;
        case QEvent::ChildRemoved:
            if (watched != this) {
                Unwatch(static_cast<QChildEvent*>(event)->child());
            }
            break;
        case QEvent::KeyRelease:
            propagating_ = nullptr;
            break;
        case QEvent::KeyPress: {
            auto* key = static_cast<QKeyEvent*>(event);
            if (IsSwallowedKey(key->key())) {
                return true;
            }
            auto* widget = qobject_cast<QWidget*>(watched);
            // An unhandled press travels on to the parents; announce it at its first stop.
            if (event == propagating_ && firstReceiver_ && widget &&
                widget->isAncestorOf(firstReceiver_)) {
                break;
            }
            propagating_ = event;
            firstReceiver_ = widget;
            emit keyDown(key->key(), key->modifiers());
            break;
        }
        default:
            break;
    }
    return QWidget::eventFilter(watched, event);
}

CTFormView::CTFormView(const PaneContext& context, QWidget* parent)
    : QWidget(parent),
      context_(context),
      layout_(new QVBoxLayout(this)),
      tabs_(new QTabWidget(this)) {
    layout_->setContentsMargins(0, 5, 0, 0);
    layout_->setSpacing(0);
    layout_->addWidget(tabs_);
    tabs_->setTabPosition(QTabWidget::North);
}

int CTFormView::PanelCount() const {
    return tabs_->count();
}

CTPanel* CTFormView::Panel(int index) const {
    return qobject_cast<CTPanel*>(tabs_->widget(index));
}

CTPanel* CTFormView::CurrentPanel() const {
    return qobject_cast<CTPanel*>(tabs_->currentWidget());
}

void CTFormView::SetPanel(int index, CTPanel* panel) {
    if (index < 0 || index >= tabs_->count() || !panel) {
        return;
    }
    QWidget* old = tabs_->widget(index);
    const QString label = tabs_->tabText(index);
    const bool shown = tabs_->currentIndex() == index;
    tabs_->removeTab(index);
    tabs_->insertTab(index, panel, label);
    if (shown) {
        tabs_->setCurrentIndex(index);
    }
    Adopt(panel);
    delete old;
}

CTPanel* CTFormView::AddTab(const QString& label) {
    auto* panel = new CTPanel;
    tabs_->addTab(panel, label);
    Adopt(panel);
    return panel;
}

void CTFormView::Adopt(CTPanel* panel) {
    connect(panel, &CTPanel::keyDown, this, &CTFormView::keyDown, Qt::UniqueConnection);
}

void CTFormView::SetTabTopMargin(int pixels) {
    layout_->setContentsMargins(0, pixels, 0, 0);
}

void CTFormView::RequestListRepaint() {
    emit listsRepaintRequested();
    RepaintLists();
}

void CTFormView::RepaintLists() {
    for (int i = 0; i < tabs_->count(); ++i) {
        QWidget* page = tabs_->widget(i);
        page->update();
        for (QWidget* child : page->findChildren<QWidget*>()) {
            child->update();
        }
    }
}

void CTFormView::FocusPane() {
    QWidget* panel = tabs_->currentWidget();
    if (!panel) {
        tabs_->setFocus(Qt::OtherFocusReason);
        return;
    }
    for (QWidget* child : panel->findChildren<QWidget*>()) {
        if ((child->focusPolicy() & Qt::TabFocus) && child->isEnabled() &&
            child->isVisibleTo(panel)) {
            child->setFocus(Qt::OtherFocusReason);
            return;
        }
    }
    panel->setFocus(Qt::OtherFocusReason);
}

void CTFormView::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.fillRect(rect(), kPanelBackground);
}

CTopView::CTopView(const PaneContext& context, QWidget* parent) : CTFormView(context, parent) {
    SetTabTopMargin(kBandHeight);
    AddTab(QStringLiteral("报价表(F1)"));
    AddTab(QStringLiteral("合约列表(F6)"));
    Tabs()->setCurrentIndex(0);
}

void CTopView::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    // The tab widget covers everything from y = 48 down; the band reaches to y = 50 below it.
    painter.fillRect(rect(), kPanelBackground);
    painter.fillRect(QRect(0, 0, width(), 50), kBandColour);
    QPen pen(Qt::white);
    pen.setWidth(1);
    pen.setStyle(Qt::DashLine);
    painter.setPen(pen);
    for (int x = 120; x <= 960; x += 120) {
        painter.drawLine(x, 5, x, 45);
    }
}

CTradeView::CTradeView(const PaneContext& context, QWidget* parent) : CTFormView(context, parent) {
    AddTab(QStringLiteral("标准下单板(小键盘+)"));
}

COrderView::COrderView(const PaneContext& context, QWidget* parent) : CTFormView(context, parent) {
    AddTab(QStringLiteral("未成交单(F2)"));
    AddTab(QStringLiteral("所有委托单(F5)"));
    Tabs()->setCurrentIndex(0);
}

CLcView::CLcView(const PaneContext& context, QWidget* parent) : CTFormView(context, parent) {
    AddTab(QStringLiteral("持仓(F3)"));
}

CTDetailView::CTDetailView(const PaneContext& context, QWidget* parent)
    : CTFormView(context, parent) {
    AddTab(QStringLiteral("成交记录(F4)"));
}

}  // namespace ft::ui
