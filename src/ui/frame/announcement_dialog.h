// The dialog "最新公告" that shows the back-end's latest announcement.
#pragma once

#include <QDialog>

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

protected:
    void showEvent(QShowEvent* event) override;

private:
    MultiLineEdit* text_;
    CXPButton* ok_;
    bool started_ = false;
};

}  // namespace ft::ui
