// The dialog "最新公告" that shows the back-end's latest announcement.
#pragma once

#include <QDialog>

class QPlainTextEdit;
class QPushButton;

namespace ft::ui {

class CGonggaoDlg : public QDialog {
    Q_OBJECT
public:
    explicit CGonggaoDlg(QWidget* parent = nullptr);

    void SetAnnouncement(const QString& text);
    QString Announcement() const;

    QPlainTextEdit* TextBox() const { return text_; }
    QPushButton* OkButton() const { return ok_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    QPlainTextEdit* text_;  // TODO(controls): CTEdit
    QPushButton* ok_;       // TODO(controls): CXPButton
    bool started_ = false;
};

}  // namespace ft::ui
