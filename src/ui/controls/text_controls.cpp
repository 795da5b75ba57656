#include "ui/controls/text_controls.h"

#include <QPainter>

namespace ft::ui {

CTEdit::CTEdit(QWidget* parent) : QLineEdit(parent) {
    // The frame is drawn here; the text keeps clear of it.
    setFrame(false);
    setTextMargins(3, 1, 3, 1);
    setAttribute(Qt::WA_Hover);
}

QColor CTEdit::OuterColour() const {
    return focused_ ? QColor(127, 157, 255) : QColor(127, 157, 185);
}

QColor CTEdit::InnerColour() const {
    if (!isReadOnly() && isEnabled()) {
        return hovering_ ? QColor(253, 216, 137) : QColor(255, 255, 255);
    }
    return palette().color(QPalette::Base);
}

void CTEdit::paintEvent(QPaintEvent* event) {
    QLineEdit::paintEvent(event);
    QPainter p(this);
    p.setBrush(Qt::NoBrush);
    p.setPen(OuterColour());
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    p.setPen(InnerColour());
    p.drawRect(rect().adjusted(1, 1, -2, -2));
}

void CTEdit::focusInEvent(QFocusEvent* event) {
    focused_ = true;
    QLineEdit::focusInEvent(event);
    update();
}

void CTEdit::focusOutEvent(QFocusEvent* event) {
    focused_ = false;
    QLineEdit::focusOutEvent(event);
    update();
}

void CTEdit::enterEvent(QEnterEvent* event) {
    hovering_ = true;
    update();
    QLineEdit::enterEvent(event);
}

void CTEdit::leaveEvent(QEvent* event) {
    hovering_ = false;
    update();
    QLineEdit::leaveEvent(event);
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
