#include "ui/frame/hotkey_dialog.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>

#include "core/text.h"
#include "ui/common/text_boundary.h"
#include "ui/controls/gradient_button.h"
#include "ui/frame/keyboard_trading.h"

namespace ft::ui {
namespace {

KeySlot SlotOf(int column) {
    return column == CHotKeyDlg::kKeypadColumn ? KeySlot::Keypad : KeySlot::Main;
}

// Keys that move around the table or close the dialog rather than being given to an action.
bool IsDialogKey(const QKeyEvent& event) {
    if (event.modifiers() & ~(Qt::ShiftModifier)) {
        return false;
    }
    switch (event.key()) {
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_Left:
        case Qt::Key_Right:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
        case Qt::Key_Home:
        case Qt::Key_End:
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
        case Qt::Key_Escape:
        case Qt::Key_Return:
            return true;
        default:
            return false;
    }
}

}  // namespace

CHotKeyDlg::CHotKeyDlg(const KeyMap& map, QWidget* parent)
    : QDialog(parent),
      map_(map),
      table_(new QTableWidget(kKeyActionCount, 3, this)),
      refusal_(new QLabel(this)),
      clear_(new CXPButton(QStringLiteral("清除"), this)),
      defaults_(new CXPButton(QStringLiteral("恢复默认"), this)),
      ok_(new CXPButton(QStringLiteral("确定"), this)),
      cancel_(new CXPButton(QStringLiteral("取消"), this)) {
    setWindowTitle(QStringLiteral("快捷键设置"));
    resize(440, 640);

    auto* hint = new QLabel(
        QStringLiteral("选中一格后按下新的键。输入框中打字用的键照常输入（手数、价格框中的小键盘"
                       "数字也是），小键盘的 + - * / 和 Enter 仍起作用；主键盘请用 Ctrl、Alt "
                       "组合键或 F7 以后的功能键。"),
        this);
    hint->setWordWrap(true);

    table_->setHorizontalHeaderLabels(
        {QStringLiteral("操作"), QStringLiteral("小键盘"), QStringLiteral("主键盘")});
    table_->verticalHeader()->hide();
    table_->verticalHeader()->setDefaultSectionSize(22);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setSelectionBehavior(QAbstractItemView::SelectItems);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    table_->setColumnWidth(kKeypadColumn, 110);
    table_->setColumnWidth(kMainColumn, 130);
    table_->installEventFilter(this);
    Fill();
    table_->setCurrentCell(0, kKeypadColumn);

    QPalette red = refusal_->palette();
    red.setColor(QPalette::WindowText, QColor(255, 0, 0));
    refusal_->setPalette(red);
    refusal_->setWordWrap(true);

    for (QPushButton* button : {clear_, defaults_, ok_, cancel_}) {
        button->setFixedSize(75, 26);
        button->setAutoDefault(false);
    }
    ok_->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(clear_);
    buttons->addWidget(defaults_);
    buttons->addStretch();
    buttons->addWidget(ok_);
    buttons->addWidget(cancel_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(hint);
    layout->addWidget(table_);
    layout->addWidget(refusal_);
    layout->addLayout(buttons);

    connect(clear_, &QPushButton::clicked, this, &CHotKeyDlg::ClearSelected);
    connect(defaults_, &QPushButton::clicked, this, [this] {
        map_ = KeyMap::Defaults();
        SayRefusal({});
        Fill();
    });
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
}

void CHotKeyDlg::Fill() {
    for (int row = 0; row < kKeyActionCount; ++row) {
        const auto action = static_cast<KeyAction>(row);
        const QString texts[] = {
            ToQt(KeyActionName(action)),
            map_.Key(action, KeySlot::Keypad) ? ToQt(map_.Key(action, KeySlot::Keypad)->Text())
                                              : QString(),
            map_.Key(action, KeySlot::Main) ? ToQt(map_.Key(action, KeySlot::Main)->Text())
                                            : QString()};
        for (int column = 0; column < 3; ++column) {
            QTableWidgetItem* item = table_->item(row, column);
            if (!item) {
                item = new QTableWidgetItem;
                table_->setItem(row, column, item);
            }
            if (item->text() != texts[column]) {
                item->setText(texts[column]);
            }
        }
    }
}

bool CHotKeyDlg::eventFilter(QObject* watched, QEvent* event) {
    if (watched == table_ && event->type() == QEvent::KeyPress) {
        const auto* press = static_cast<QKeyEvent*>(event);
        if (IsDialogKey(*press)) {
            return false;
        }
        if (const std::optional<KeyChord> chord = ChordOf(*press)) {
            TakeKey(*chord);
        }
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void CHotKeyDlg::TakeKey(const KeyChord& chord) {
    const int row = table_->currentRow();
    const int column = table_->currentColumn();
    if (row < 0 || column < kKeypadColumn) {
        SayRefusal(Ansi("请先选中“小键盘”或“主键盘”一列中的一格"));
        return;
    }
    const auto action = static_cast<KeyAction>(row);
    KeyAction holder = action;
    const KeyRefusal refusal = map_.Check(action, SlotOf(column), chord, &holder);
    if (refusal != KeyRefusal::None) {
        SayRefusal(KeyRefusalText(refusal, chord.Text(), KeyActionName(holder)));
        return;
    }
    map_.Assign(action, SlotOf(column), chord);
    SayRefusal({});
    Fill();
}

void CHotKeyDlg::ClearSelected() {
    const int row = table_->currentRow();
    const int column = table_->currentColumn();
    if (row >= 0 && column >= kKeypadColumn) {
        map_.Clear(static_cast<KeyAction>(row), SlotOf(column));
        SayRefusal({});
        Fill();
    }
}

void CHotKeyDlg::SayRefusal(const std::string& gbk) {
    refusal_->setText(ToQt(gbk));
}

}  // namespace ft::ui
