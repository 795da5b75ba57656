#include "ui/frame/keyboard_trading.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTextEdit>
#include <QTime>
#include <QTimer>

#include "core/text.h"
#include "ui/common/effects.h"
#include "ui/common/text_boundary.h"
#include "ui/controls/list_ctrl.h"
#include "ui/controls/text_controls.h"
#include "ui/frame/hotkey_dialog.h"
#include "ui/frame/main_frame.h"
#include "ui/market/quote_board_panel.h"
#include "ui/market/top_view.h"
#include "ui/positions/positions_pane.h"
#include "ui/positions/positions_panel.h"
#include "ui/trading/order_entry_pane.h"
#include "ui/trading/order_entry_panel.h"
#include "ui/trading/orders_pane.h"
#include "ui/trading/working_orders_panel.h"

namespace ft::ui {
namespace {

std::string Clock() {
    return FromQt(QTime::currentTime().toString(QStringLiteral("HH:mm:ss")));
}

bool ReadOnly(QWidget* widget) {
    if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
        return edit->isReadOnly();
    }
    if (auto* text = qobject_cast<QTextEdit*>(widget)) {
        return text->isReadOnly();
    }
    if (auto* plain = qobject_cast<QPlainTextEdit*>(widget)) {
        return plain->isReadOnly();
    }
    if (auto* spin = qobject_cast<QAbstractSpinBox*>(widget)) {
        return spin->isReadOnly();
    }
    return false;
}

}  // namespace

std::optional<KeyChord> ChordOf(const QKeyEvent& event) {
    const int key = event.key();
    if (key == 0 || key == Qt::Key_unknown || key == Qt::Key_Control || key == Qt::Key_Shift ||
        key == Qt::Key_Alt || key == Qt::Key_Meta || key == Qt::Key_AltGr) {
        return std::nullopt;
    }
    const Qt::KeyboardModifiers modifiers =
        event.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier |
                             Qt::MetaModifier | Qt::KeypadModifier);
    const QKeySequence sequence(QKeyCombination(modifiers, static_cast<Qt::Key>(key)));
    return KeyChord::Parse(FromQt(sequence.toString(QKeySequence::PortableText)));
}

KeyboardTrading::KeyboardTrading(CMainFrame& frame) : QObject(&frame), frame_(frame) {
    map_ = ReadKeyMap(KeyMapFile());
    // Before any widget of the window: a key that is an action never reaches the list or
    // button that has the focus.
    qApp->installEventFilter(this);
    if (CTradeDlg1* panel = OrderPanel()) {
        connect(panel, &CTradeDlg1::orderAnswered, this, &KeyboardTrading::OnOrderAnswered);
    }
}

KeyboardTrading::~KeyboardTrading() {
    qApp->removeEventFilter(this);
}

CTradeDlg1* KeyboardTrading::OrderPanel() const {
    return frame_.TradeView() ? qobject_cast<CTradeDlg1*>(frame_.TradeView()->OrderEntryPanel())
                              : nullptr;
}

TextBox KeyboardTrading::FocusedBox() const {
    QWidget* focus = QApplication::focusWidget();
    if (!focus || ReadOnly(focus)) {
        return TextBox::None;
    }
    if (CTradeDlg1* panel = OrderPanel();
        panel && (focus == panel->LotsEdit() || focus == panel->PriceEdit())) {
        return TextBox::Numeric;
    }
    if (qobject_cast<QLineEdit*>(focus) || qobject_cast<QTextEdit*>(focus) ||
        qobject_cast<QPlainTextEdit*>(focus) || qobject_cast<QAbstractSpinBox*>(focus)) {
        return TextBox::Text;
    }
    if (auto* combo = qobject_cast<QComboBox*>(focus); combo && combo->isEditable()) {
        return TextBox::Text;
    }
    return TextBox::None;
}

bool KeyboardTrading::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) {
        return false;
    }
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != &frame_ || !frame_.isActiveWindow() ||
        QApplication::activeModalWidget() || QApplication::activePopupWidget()) {
        return false;
    }
    const auto* press = static_cast<QKeyEvent*>(event);
    const std::optional<KeyChord> chord = ChordOf(*press);
    const std::optional<KeyAction> action = chord ? map_.Find(*chord) : std::nullopt;
    if (!action || !OrderPanel() || BoxTakesKey(FocusedBox(), *chord)) {
        return false;
    }
    // A held key repeats steps and rows, never an order or a cancellation.
    if (!press->isAutoRepeat() || !KeyActionSends(*action)) {
        Run(*action, chord->Text());
    }
    return true;
}

void KeyboardTrading::Run(KeyAction action, const std::string& keyText) {
    CTradeDlg1* panel = OrderPanel();
    if (!panel) {
        return;
    }
    // A key does not move the focus (the price mode's button puts it into the price box), so
    // the next key acts as the trader expects; only 合约框 is meant to.
    QPointer<QWidget> focus = QApplication::focusWidget();
    switch (action) {
        case KeyAction::Buy:
            panel->ChooseBuy();
            break;
        case KeyAction::Sell:
            panel->ChooseSell();
            break;
        case KeyAction::Open:
            panel->ChooseOpen();
            break;
        case KeyAction::CloseToday:
            panel->ChooseCloseToday();
            break;
        case KeyAction::Close:
            panel->ChooseClose();
            break;
        case KeyAction::LotsUp:
        case KeyAction::LotsDown:
            panel->StepLotsField(action == KeyAction::LotsUp);
            break;
        case KeyAction::Lots1:
            panel->SetLots("1");
            break;
        case KeyAction::Lots5:
            panel->SetLots("5");
            break;
        case KeyAction::Lots10:
            panel->SetLots("10");
            break;
        case KeyAction::PriceUp:
        case KeyAction::PriceDown:
            // A stepped price must stay: the market would overwrite it at the next quote.
            if (panel->FollowMode()) {
                panel->TogglePriceMode();
            }
            panel->StepPriceField(action == KeyAction::PriceUp);
            break;
        case KeyAction::FollowPrice:
            if (!panel->FollowMode()) {
                panel->TogglePriceMode();
            }
            break;
        case KeyAction::Submit:
        case KeyAction::CancelAll:
        case KeyAction::ClosePosition:
        case KeyAction::ReversePosition:
            RunOrderKey(action, keyText);
            break;
        case KeyAction::FocusContract:
            panel->ContractBox()->setFocus(Qt::ShortcutFocusReason);
            if (QLineEdit* edit = panel->ContractBox()->lineEdit()) {
                edit->selectAll();
            }
            return;
        case KeyAction::BoardPrevious:
        case KeyAction::BoardNext:
            MoveBoardRow(action == KeyAction::BoardNext ? 1 : -1);
            break;
        case KeyAction::Count:
            break;
    }
    if (focus && QApplication::focusWidget() != focus) {
        focus->setFocus(Qt::OtherFocusReason);
    }
}

void KeyboardTrading::RunOrderKey(KeyAction action, const std::string& keyText) {
    CTradeDlg1* panel = OrderPanel();
    if (action == KeyAction::CancelAll) {
        auto* working = frame_.OrderView()
                            ? qobject_cast<COrderSubDlg1*>(frame_.OrderView()->Panel(0))
                            : nullptr;
        if (!working) {
            return;
        }
        if (working->List()->GetItemCount() == 0) {
            Say(Ansi("快捷键 ") + keyText + Ansi(" 全撤：没有未成交单 ") + Clock());
        } else {
            Say(KeyOrderNotice(keyText, action, nullptr, std::nullopt, Clock()));
        }
        // The button's path: the funds reload and the question "是否确认要撤销全部委托单?".
        working->CancelAllOrders();
        return;
    }
    // One order at a time: a key pressed while one is out sends nothing, and says so.
    if (panel->OrderOut() || panel->Reconciling()) {
        Say(Ansi("快捷键 ") + keyText + " " + KeyActionName(action) +
            Ansi("：上一笔委托尚未有结果，未发出 ") + Clock());
        if (panel->Reconciling()) {
            panel->SubmitOrder(SubmitFrom::Code);  // says why, as the button does
        }
        return;
    }
    CLcSubDlg1* positions = frame_.LcView() ? frame_.LcView()->PositionsPanel() : nullptr;
    PositionsSource* selection = frame_.Positions();
    if (action != KeyAction::Submit && (!selection || !selection->HasSelectedRow() ||
                                        (action == KeyAction::ClosePosition && !positions))) {
        Say(Ansi("快捷键 ") + keyText + " " + KeyActionName(action) +
            Ansi("：请先在持仓列表中选中一行 ") + Clock());
        return;
    }
    if (action == KeyAction::ClosePosition) {
        // The double-click's path: the closing order is prepared, then sent once priced.
        positions->CloseOnDoubleClick(positions->List()->GetFirstSelectedRow());
    }
    keyOrder_ = KeyOrder{keyText, action, panel->ReadForm(), ++keyOrderCount_};
    Say(KeyOrderNotice(keyText, action, &keyOrder_->form, std::nullopt, Clock()));
    if (action == KeyAction::ClosePosition) {
        // When no price comes the double-click's path says so in a box; the pane's line of the
        // key's order ends here too, so a later order is not taken for this one.
        QTimer::singleShot(kClosePriceWaitMs, this, [this, count = keyOrderCount_] {
            CTradeDlg1* entry = OrderPanel();
            if (keyOrder_ && keyOrder_->count == count && entry && !entry->OrderOut()) {
                Say(KeyOrderNotice(keyOrder_->keyText, keyOrder_->action, &keyOrder_->form,
                                   OrderOutcome::NotSent, Clock()));
                keyOrder_.reset();
            }
        });
        return;
    }
    if (action == KeyAction::Submit) {
        // The 下单 button's order without its pointer test; 下单确认 asks as it does.
        panel->SubmitOrder(SubmitFrom::Code);
    } else {
        panel->QuickReverse();
    }
    // Refused before any worker started (the reverse's lots do not fit): the panel said why.
    if (!panel->OrderOut()) {
        Say(KeyOrderNotice(keyText, action, &keyOrder_->form, OrderOutcome::NotSent, Clock()));
        keyOrder_.reset();
    }
}

void KeyboardTrading::OnOrderAnswered(const OrderForm& form, int outcome) {
    if (!keyOrder_) {
        return;
    }
    // Each request as it went out: a close split into 平今 and 平仓 shows both legs.
    const auto result = static_cast<OrderOutcome>(outcome);
    Say(KeyOrderNotice(keyOrder_->keyText, keyOrder_->action, &form, result, Clock()));
    if (keyOrder_->action == KeyAction::ReversePosition && result == OrderOutcome::Accepted &&
        form.openClose != OpenClose::Open) {
        return;  // the opening order follows the accepted close
    }
    // The next leg of a split close starts right after this answer; once none is out, the
    // key's order is over and a later one is not taken for it.
    QTimer::singleShot(0, this, [this, count = keyOrder_->count] {
        CTradeDlg1* panel = OrderPanel();
        if (keyOrder_ && keyOrder_->count == count && (!panel || !panel->OrderOut())) {
            keyOrder_.reset();
        }
    });
}

void KeyboardTrading::MoveBoardRow(int step) {
    CPriceSubDlg1* board = frame_.TopView() ? frame_.TopView()->QuoteBoard() : nullptr;
    if (!board || board->List()->GetItemCount() == 0) {
        return;
    }
    CListCtrlCl* list = board->List();
    const int current = list->GetFirstSelectedRow();
    const int row = current < 0 ? 0 : std::clamp(current + step, 0, list->GetItemCount() - 1);
    list->SelectRow(row);
    list->scrollTo(list->model()->index(row, 0));
    // The click's path: the order-entry panel takes the row's contract.
    board->OnClick();
}

void KeyboardTrading::Say(const std::string& gbk) {
    notice_ = gbk;
}

void CMainFrame::OnHotKeys() {
    auto* dialog = new CHotKeyDlg(keyboard_->Map(), this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QDialog::accepted, this, [this, dialog] {
        const KeyMap& map = dialog->Map();
        keyboard_->SetMap(map);
        if (!WriteKeyMap(map, KeyMapFile())) {
            Message(this, Ansi("快捷键设置已生效，但未能保存到 ") + KeyMapFile() +
                              Ansi("，下次启动将恢复原来的设置"));
        }
    });
    // Window-modal without a nested event loop: the window behind keeps painting.
    dialog->open();
}

}  // namespace ft::ui
