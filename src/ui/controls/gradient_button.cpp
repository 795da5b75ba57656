#include "ui/controls/gradient_button.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QPointer>

namespace ft::ui {
namespace {

bool IsEnter(const QKeyEvent* event) {
    return event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
}

void DrawEdges(QPainter& p, const QRect& r, const QColor& topLeft, const QColor& bottomRight) {
    p.setPen(topLeft);
    p.drawLine(r.topLeft(), r.topRight());
    p.drawLine(r.topLeft(), r.bottomLeft());
    p.setPen(bottomRight);
    p.drawLine(r.bottomLeft(), r.bottomRight());
    p.drawLine(r.topRight(), r.bottomRight());
}

// Which widget the last Enter key-down went to. It watches the whole application, ahead of any
// widget's own filter, so it also sees a key-down that a panel swallows before its button.
class EnterPressTracker : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) {
            auto* key = static_cast<QKeyEvent*>(event);
            if (IsEnter(key) && !key->isAutoRepeat() && watched->isWidgetType() && !pressed_) {
                target = static_cast<QWidget*>(watched);
                pressed_ = true;
            }
        } else if (event->type() == QEvent::KeyRelease) {
            pressed_ = false;
        }
        return false;
    }
    QPointer<QWidget> target;

private:
    // An unhandled key-down travels on to the parents; the first receiver is the target.
    bool pressed_ = false;
};

EnterPressTracker& Tracker() {
    static EnterPressTracker* tracker = [] {
        auto* t = new EnterPressTracker;
        QCoreApplication::instance()->installEventFilter(t);
        return t;
    }();
    return *tracker;
}

}  // namespace

void FillGradient(QPainter& painter, const QRect& rect, QColor top, QColor bottom) {
    const int h = rect.height();
    if (h <= 0) {
        return;
    }
    const int stepR = (top.red() - bottom.red()) / h;
    const int stepG = (top.green() - bottom.green()) / h;
    const int stepB = (top.blue() - bottom.blue()) / h;
    for (int k = 0; k < h; ++k) {
        // 8-bit component arithmetic, as the drawing always had.
        const auto component = [k](int a, int step) { return (a - (k + 1) * step) & 0xff; };
        painter.setPen(QColor(component(top.red(), stepR), component(top.green(), stepG),
                              component(top.blue(), stepB)));
        painter.drawLine(rect.left(), rect.top() + k, rect.right(), rect.top() + k);
    }
}

CXPButton::CXPButton(QWidget* parent) : QPushButton(parent) {
    Tracker();
    setAttribute(Qt::WA_Hover);
    setAutoDefault(false);
}

CXPButton::CXPButton(const QString& text, QWidget* parent) : CXPButton(parent) {
    setText(text);
}

void CXPButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QRect r = rect().adjusted(0, 0, -1, -1);
    QColor text = normalTextColour;
    if (hovering_ && gradientLook && isEnabled()) {
        const QColor raised(hoverColour.red(), (hoverColour.green() + 100) & 0xff,
                            (hoverColour.blue() + 100) & 0xff);
        FillGradient(p, rect(), raised, hoverColour);
        FillGradient(p, rect().adjusted(2, 2, -2, -2), gradientTop, gradientBottom);
        p.setPen(frameColour);
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(r, 3, 3);
        text = hoverTextColour;
    } else {
        const bool pressed = isDown();
        if (gradientLook && pressed) {
            FillGradient(p, rect(), gradientBottom, gradientTop);
            text = pressedTextColour;
        } else if (gradientLook) {
            FillGradient(p, rect(), gradientTop, gradientBottom);
        } else {
            p.fillRect(rect(), flatFill);
            text = pressedTextColour;
        }
        p.setPen(frameColour);
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(r, 3, 3);
        const bool raisedEdges = gradientLook && !pressed;
        DrawEdges(p, r.adjusted(1, 1, -1, -1), raisedEdges ? lightEdge : darkEdge, darkEdge);
    }
    if (!isEnabled()) {
        text = QColor(128, 128, 128);
    }
    p.setPen(text);
    const int flags = Qt::AlignCenter | (singleLine ? Qt::TextSingleLine : Qt::TextWordWrap);
    p.drawText(rect(), flags | Qt::TextShowMnemonic, QPushButton::text());
    if (hasFocus()) {
        QPen dotted(QColor(0, 0, 0));
        dotted.setStyle(Qt::DotLine);
        p.setPen(dotted);
        p.drawRect(rect().adjusted(3, 3, -4, -4));
    }
}

void CXPButton::enterEvent(QEnterEvent* event) {
    hovering_ = true;
    update();
    QPushButton::enterEvent(event);
}

void CXPButton::leaveEvent(QEvent* event) {
    hovering_ = false;
    update();
    QPushButton::leaveEvent(event);
}

void CXPButton::keyPressEvent(QKeyEvent* event) {
    // The click comes with the key-up; the press must not reach a dialog's default button.
    if (IsEnter(event)) {
        event->accept();
        return;
    }
    QPushButton::keyPressEvent(event);
}

void CXPButton::keyReleaseEvent(QKeyEvent* event) {
    if (IsEnter(event) && !event->isAutoRepeat()) {
        event->accept();
        // Only the key-up of a press this button saw: Enter that closed a message box over it
        // must not click it when the key comes up.
        const bool pressedHere = Tracker().target == this;
        Tracker().target = nullptr;
        if (pressedHere && isEnabled()) {
            click();
        }
        return;
    }
    QPushButton::keyReleaseEvent(event);
}

}  // namespace ft::ui
