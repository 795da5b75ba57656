// CXPButton: a push button with a vertical gradient, a rounded frame and an orange hover glow,
// which clicks itself when Enter is released over it.
#pragma once

#include <QColor>
#include <QPushButton>

class QPainter;

namespace ft::ui {

class CXPButton : public QPushButton {
    Q_OBJECT
public:
    explicit CXPButton(QWidget* parent = nullptr);
    explicit CXPButton(const QString& text, QWidget* parent = nullptr);

    QColor frameColour{0, 64, 128};
    QColor hoverColour{255, 120, 80};
    QColor hoverTextColour{0, 0, 0};
    QColor normalTextColour{0, 0, 0};
    QColor pressedTextColour{0, 0, 0};
    QColor lightEdge{230, 230, 230};
    QColor darkEdge{128, 128, 128};
    QColor gradientTop{255, 255, 255};
    QColor gradientBottom{224, 237, 245};
    QColor flatFill{240, 240, 240};
    bool gradientLook = true;
    bool singleLine = true;

    bool hovering() const { return hovering_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    bool hovering_ = false;
};

// Fills `rect` line by line from `top` to `bottom` with the integer step per component that
// the button's look is made of.
void FillGradient(QPainter& painter, const QRect& rect, QColor top, QColor bottom);

}  // namespace ft::ui
