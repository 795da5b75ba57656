#include "ui/controls/text_controls.h"

#include <QEvent>
#include <QPainter>

namespace ft::ui {

QColor EditFrame::OuterColour() const {
    return focused ? QColor(127, 157, 255) : QColor(127, 157, 185);
}

QColor EditFrame::InnerColour(bool editable, const QColor& background) const {
    if (editable) {
        return hovering ? QColor(253, 216, 137) : QColor(255, 255, 255);
    }
    return background;
}

void EditFrame::Paint(QPainter& painter, const QRect& rect, bool editable,
                      const QColor& background) const {
    painter.setBrush(Qt::NoBrush);
    painter.setPen(OuterColour());
    painter.drawRect(rect.adjusted(0, 0, -1, -1));
    painter.setPen(InnerColour(editable, background));
    painter.drawRect(rect.adjusted(1, 1, -2, -2));
}

CTEdit* NewPasswordEdit(QWidget* parent) {
    auto* edit = new CTEdit(parent);
    edit->setEchoMode(QLineEdit::Password);
    edit->setAttribute(Qt::WA_InputMethodEnabled, false);
    return edit;
}

CTEdit::CTEdit(QWidget* parent) : QLineEdit(parent) {
    // The frame is drawn here; the text keeps clear of it.
    setFrame(false);
    setTextMargins(3, 1, 3, 1);
    setAttribute(Qt::WA_Hover);
}

QColor CTEdit::OuterColour() const {
    return frame_.OuterColour();
}

QColor CTEdit::InnerColour() const {
    return frame_.InnerColour(!isReadOnly() && isEnabled(), palette().color(QPalette::Base));
}

void CTEdit::paintEvent(QPaintEvent* event) {
    QLineEdit::paintEvent(event);
    QPainter p(this);
    frame_.Paint(p, rect(), !isReadOnly() && isEnabled(), palette().color(QPalette::Base));
}

void CTEdit::focusInEvent(QFocusEvent* event) {
    frame_.focused = true;
    QLineEdit::focusInEvent(event);
    update();
}

void CTEdit::focusOutEvent(QFocusEvent* event) {
    frame_.focused = false;
    QLineEdit::focusOutEvent(event);
    update();
}

void CTEdit::enterEvent(QEnterEvent* event) {
    frame_.hovering = true;
    update();
    QLineEdit::enterEvent(event);
}

void CTEdit::leaveEvent(QEvent* event) {
    frame_.hovering = false;
    update();
    QLineEdit::leaveEvent(event);
}

MultiLineEdit::MultiLineEdit(QWidget* parent) : QPlainTextEdit(parent) {
    // A two-pixel frame that the two lines are painted over; the scroll bars sit inside it.
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(2);
    setAttribute(Qt::WA_Hover);
}

QColor MultiLineEdit::OuterColour() const {
    return frame_.OuterColour();
}

QColor MultiLineEdit::InnerColour() const {
    return frame_.InnerColour(!isReadOnly() && isEnabled(), palette().color(QPalette::Base));
}

bool MultiLineEdit::event(QEvent* event) {
    switch (event->type()) {
        case QEvent::HoverEnter:
            frame_.hovering = true;
            update();
            break;
        case QEvent::HoverLeave:
            frame_.hovering = false;
            update();
            break;
        default:
            break;
    }
    const bool handled = QPlainTextEdit::event(event);
    // Paint events of the widget itself (not of its viewport) draw the frame.
    if (event->type() == QEvent::Paint) {
        QPainter p(this);
        frame_.Paint(p, rect(), !isReadOnly() && isEnabled(), palette().color(QPalette::Base));
    }
    return handled;
}

void MultiLineEdit::focusInEvent(QFocusEvent* event) {
    frame_.focused = true;
    QPlainTextEdit::focusInEvent(event);
    update();
}

void MultiLineEdit::focusOutEvent(QFocusEvent* event) {
    frame_.focused = false;
    QPlainTextEdit::focusOutEvent(event);
    update();
}

CTStatic::CTStatic(QWidget* parent) : QLabel(parent) {
    setAttribute(Qt::WA_TranslucentBackground);
}

CTStatic::CTStatic(const QString& text, QWidget* parent) : CTStatic(parent) {
    setText(text);
}

void CTStatic::SetFont(const QFont& font) {
    font_ = font;
    update();
}

void CTStatic::SetTextColour(const QColor& colour) {
    colour_ = colour;
    update();
}

void CTStatic::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setFont(font_ ? *font_ : (parentWidget() ? parentWidget()->font() : font()));
    p.setPen(colour_);
    p.drawText(rect(), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextShowMnemonic,
               text());
}

}  // namespace ft::ui
