#include "ui/pane/pane_view.h"

#include <QChildEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QTabWidget>
#include <QVBoxLayout>

namespace ft::ui {
namespace {

bool IsSwallowedKey(int key) {
    return key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape;
}

}  // namespace

QColor PanelBackground() {
    return QColor(255, 255, 245);
}

TabPanel::TabPanel(QWidget* parent) : QWidget(parent) {
    // An empty panel can still hold the focus, so the key rule applies to it too.
    setFocusPolicy(Qt::ClickFocus);
    installEventFilter(this);
}

void TabPanel::HandleForwardedKey(int /*key*/, Qt::KeyboardModifiers /*modifiers*/) {}

void TabPanel::SetSoleWidget(QWidget* widget) {
    sole_ = widget;
    if (sole_) {
        sole_->setGeometry(rect());
    }
}

void TabPanel::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (sole_) {
        sole_->setGeometry(rect());
    }
}

void TabPanel::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.fillRect(rect(), PanelBackground());
}

void TabPanel::childEvent(QChildEvent* event) {
    if (event->added()) {
        Watch(event->child());
    } else if (event->removed()) {
        Unwatch(event->child());
    }
    QWidget::childEvent(event);
}

// A window the panel owns (a menu, a dialog, a message box) is not one of its controls; nor is
// anything inside such a window.
bool TabPanel::OwnControl(QObject* object) const {
    auto* widget = qobject_cast<QWidget*>(object);
    return !widget || widget == this || widget->window() == window();
}

// Key presses go to the focused child first; watching every descendant lets the panel see
// them before the child acts on them, at any depth and for children added later.
void TabPanel::Watch(QObject* object) {
    if (auto* widget = qobject_cast<QWidget*>(object); widget && widget->isWindow()) {
        return;
    }
    object->installEventFilter(this);
    for (QObject* child : object->children()) {
        Watch(child);
    }
}

void TabPanel::Unwatch(QObject* object) {
    object->removeEventFilter(this);
    for (QObject* child : object->children()) {
        Unwatch(child);
    }
}

bool TabPanel::eventFilter(QObject* watched, QEvent* event) {
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
            if (!OwnControl(watched)) {
                break;
            }
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

TabPanel* CTFormView::Panel(int index) const {
    return qobject_cast<TabPanel*>(tabs_->widget(index));
}

TabPanel* CTFormView::CurrentPanel() const {
    return qobject_cast<TabPanel*>(tabs_->currentWidget());
}

void CTFormView::SetPanel(int index, TabPanel* panel) {
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
    if (context_.links) {
        context_.links->PanelPlaced(panel);
    }
}

TabPanel* CTFormView::AddTab(const QString& label) {
    auto* panel = new TabPanel;
    tabs_->addTab(panel, label);
    Adopt(panel);
    return panel;
}

void CTFormView::Adopt(TabPanel* panel) {
    connect(panel, &TabPanel::keyDown, this, &CTFormView::keyDown, Qt::UniqueConnection);
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
    painter.fillRect(rect(), PanelBackground());
}

}  // namespace ft::ui
