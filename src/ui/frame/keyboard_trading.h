// Keyboard trading: the keys of hotkeys.ini run their actions in the main window, each through
// the entry point its button, click or double-click uses. A key acts only while the main window
// is the active one with no dialog or menu open, and never while the focused text box takes
// that key for itself (digits in the lots box, letters in the contract box).
#pragma once

#include <QObject>
#include <optional>
#include <string>

#include "trading/key_map.h"

class QKeyEvent;

namespace ft::ui {

class CMainFrame;
class CTradeDlg1;

// The key of a key press as the key map writes it; nothing for a modifier pressed alone.
std::optional<KeyChord> ChordOf(const QKeyEvent& event);

class KeyboardTrading : public QObject {
    Q_OBJECT
public:
    // Reads hotkeys.ini and starts listening to the keys of `frame`.
    explicit KeyboardTrading(CMainFrame& frame);
    ~KeyboardTrading() override;

    const KeyMap& Map() const { return map_; }
    // Takes effect with the next key press.
    void SetMap(const KeyMap& map) { map_ = map; }
    // The connection pane's line about the last order or cancellation a key started (GBK).
    const std::string& Notice() const { return notice_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // An order a key started, until its last request is answered (both legs of a split close;
    // the closing and the opening order of the quick reverse).
    struct KeyOrder {
        std::string keyText;
        KeyAction action;
        OrderForm form;  // as prepared when the key was pressed
        unsigned count;  // which key order this is
    };
    // How long the positions' double-click waits for a price (20 ms × 200), and a margin.
    static constexpr int kClosePriceWaitMs = 4500;

    void Run(KeyAction action, const std::string& keyText);
    void RunOrderKey(KeyAction action, const std::string& keyText);
    void MoveBoardRow(int step);
    void OnOrderAnswered(const OrderForm& form, int outcome);
    void Say(const std::string& gbk);
    TextBox FocusedBox() const;
    CTradeDlg1* OrderPanel() const;

    CMainFrame& frame_;
    KeyMap map_;
    std::string notice_;
    std::optional<KeyOrder> keyOrder_;
    unsigned keyOrderCount_ = 0;
};

}  // namespace ft::ui
