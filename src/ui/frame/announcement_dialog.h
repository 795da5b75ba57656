// The dialog "最新公告" that shows the back-end's latest announcement.
#pragma once

#include <QDialog>
#include <QTimer>

namespace ft::ui {

class MultiLineEdit;
class CXPButton;

class CGonggaoDlg : public QDialog {
    Q_OBJECT
public:
    explicit CGonggaoDlg(QWidget* parent = nullptr);

    void SetAnnouncement(const QString& text);
    QString Announcement() const;

    MultiLineEdit* TextBox() const { return text_; }
    CXPButton* OkButton() const { return ok_; }
    // Whether the focus is still to be moved once more after the first show (for tests).
    bool Refocusing() const { return refocus_.isActive(); }

protected:
    void showEvent(QShowEvent* event) override;

private:
    MultiLineEdit* text_;
    CXPButton* ok_;
    QTimer refocus_;
    bool started_ = false;
};

}  // namespace ft::ui
