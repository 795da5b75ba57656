// SpinArrows, the up-down arrows beside an edit box: two arrow buttons stacked, repeating while
// held. What an arrow does to the box is the owner's business.
#pragma once

#include <QWidget>

class QToolButton;

namespace ft::ui {

class SpinArrows : public QWidget {
    Q_OBJECT
public:
    explicit SpinArrows(QWidget* parent = nullptr);

    QToolButton* UpButton() const { return up_; }
    QToolButton* DownButton() const { return down_; }

signals:
    void up();
    void down();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QToolButton* up_;
    QToolButton* down_;
};

}  // namespace ft::ui
