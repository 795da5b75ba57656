// CTEdit, an edit box with a flat frame that follows focus and hover, and CTStatic, a label
// that draws its own text on a transparent background.
#pragma once

#include <QColor>
#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <optional>

namespace ft::ui {

class CTEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit CTEdit(QWidget* parent = nullptr);

    bool focused() const { return focused_; }
    bool hovering() const { return hovering_; }
    // The two frame colours the edit draws now (for tests and for the look).
    QColor OuterColour() const;
    QColor InnerColour() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    bool focused_ = false;
    bool hovering_ = false;
};

class CTStatic : public QLabel {
    Q_OBJECT
public:
    explicit CTStatic(QWidget* parent = nullptr);
    explicit CTStatic(const QString& text, QWidget* parent = nullptr);

    // Without a font of its own the label draws in its parent's font.
    void SetFont(const QFont& font);
    void SetTextColour(const QColor& colour);
    QColor TextColour() const { return colour_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::optional<QFont> font_;
    QColor colour_{0, 0, 0};
};

}  // namespace ft::ui
