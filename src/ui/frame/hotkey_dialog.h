// CHotKeyDlg, "快捷键设置": every trading action with its keypad key and its main-keyboard key.
// Select a cell and press a key to give it to that action; a key that is taken, reserved or
// needed by text boxes is refused with the reason. Nothing is kept before "确定".
#pragma once

#include <QDialog>

#include "trading/key_map.h"

class QLabel;
class QTableWidget;
class QPushButton;

namespace ft::ui {

class CHotKeyDlg : public QDialog {
    Q_OBJECT
public:
    // The table's columns after the action's name.
    static constexpr int kKeypadColumn = 1;
    static constexpr int kMainColumn = 2;

    explicit CHotKeyDlg(const KeyMap& map, QWidget* parent = nullptr);

    // The keys as the dialog holds them now.
    const KeyMap& Map() const { return map_; }
    QTableWidget* Table() const { return table_; }
    // The reason the last key was refused (empty after a key was taken).
    QLabel* Refusal() const { return refusal_; }
    QPushButton* ClearButton() const { return clear_; }
    QPushButton* DefaultsButton() const { return defaults_; }
    QPushButton* OkButton() const { return ok_; }
    QPushButton* CancelButton() const { return cancel_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Fill();
    // The key pressed on the selected cell.
    void TakeKey(const KeyChord& chord);
    void ClearSelected();
    void SayRefusal(const std::string& gbk);

    KeyMap map_;
    QTableWidget* table_;
    QLabel* refusal_;
    QPushButton* clear_;
    QPushButton* defaults_;
    QPushButton* ok_;
    QPushButton* cancel_;
};

}  // namespace ft::ui
