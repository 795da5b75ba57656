// CTEdit (and its multi-line form MultiLineEdit), edit boxes with a flat frame that follows focus
// and hover, and CTStatic, a label that draws its own text on a transparent background.
#pragma once

#include <QColor>
#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <optional>

class QPainter;

namespace ft::ui {

// The flat frame of the edit boxes: an outer line whose colour follows the focus and an inner
// line that turns white, or orange under the mouse, while the box can be edited.
class EditFrame {
public:
    bool focused = false;
    bool hovering = false;

    QColor OuterColour() const;
    QColor InnerColour(bool editable, const QColor& background) const;
    // Draws both lines along `rect`, the whole widget.
    void Paint(QPainter& painter, const QRect& rect, bool editable, const QColor& background) const;
};

class CTEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit CTEdit(QWidget* parent = nullptr);

    bool focused() const { return frame_.focused; }
    bool hovering() const { return frame_.hovering; }
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
    EditFrame frame_;
};

// A password field: echo hidden and no input method, so what is typed goes nowhere but the
// field.
CTEdit* NewPasswordEdit(QWidget* parent);

// The multi-line form of CTEdit (the announcement text): the same frame around a plain text
// box with its scroll bars.
class MultiLineEdit : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit MultiLineEdit(QWidget* parent = nullptr);

    bool focused() const { return frame_.focused; }
    bool hovering() const { return frame_.hovering; }
    QColor OuterColour() const;
    QColor InnerColour() const;

protected:
    bool event(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    EditFrame frame_;
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
