#include "ui/controls/editable_list.h"

#include <QApplication>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QToolTip>
#include <QValidator>

#include "ui/common/text_boundary.h"

namespace ft::ui {
namespace {

QPointer<CInPlaceEdit>& OpenEditor() {
    static QPointer<CInPlaceEdit> editor;
    return editor;
}

class ExCellDelegate : public QStyledItemDelegate {
public:
    explicit ExCellDelegate(CListCtrlEx* list) : QStyledItemDelegate(list), list_(list) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const int row = index.row();
        const int column = index.column();
        const bool selected = option.state & QStyle::State_Selected;
        const QPalette& palette = list_->palette();
        painter->fillRect(option.rect,
                          selected ? palette.color(QPalette::Highlight) : list_->ListBackground());
        const bool edit = list_->KindOf(column) == CListCtrlEx::ColumnKind::Edit;
        QColor text =
            selected ? palette.color(QPalette::HighlightedText) : palette.color(QPalette::Text);
        if (edit && !selected && !list_->State(row, column).Enabled()) {
            text = QColor(192, 192, 192);
        }
        Qt::Alignment align =
            index.data(Qt::TextAlignmentRole).value<Qt::Alignment>() & Qt::AlignHorizontal_Mask;
        // Plain cells of a left-aligned column are drawn centred.
        if (!edit && align == Qt::AlignLeft) {
            align = Qt::AlignHCenter;
        }
        painter->setPen(text);
        painter->setFont(list_->CellFont());
        const QRect area = option.rect.adjusted(3, 0, -3, 0);
        painter->drawText(
            area, align | Qt::AlignVCenter | Qt::TextSingleLine,
            FitCellText(index.data(Qt::DisplayRole).toString(), list_->CellFont(), area.width()));
    }

private:
    CListCtrlEx* list_;
};

}  // namespace

CListCtrlExSortHead::CListCtrlExSortHead(QWidget* parent) : CHeaderCtrlCl(parent) {}

void CListCtrlExSortHead::paintSection(QPainter* painter, const QRect& rect,
                                       int logicalIndex) const {
    painter->save();
    painter->fillRect(rect, palette().color(QPalette::Button));
    painter->setPen(palette().color(QPalette::Mid));
    painter->drawLine(rect.topRight(), rect.bottomRight());
    painter->drawLine(rect.bottomLeft(), rect.bottomRight());
    const QFontMetrics metrics(font());
    const int inset = 2 * metrics.horizontalAdvance(QLatin1Char(' '));
    const QRect text = rect.adjusted(inset, 0, -inset, 0);
    const QString title =
        model() ? model()->headerData(logicalIndex, Qt::Horizontal).toString() : QString();
    Qt::Alignment align = Qt::AlignLeft;
    if (logicalIndex >= 0 && static_cast<std::size_t>(logicalIndex) < alignment.size()) {
        const char c = alignment[static_cast<std::size_t>(logicalIndex)];
        align = c == '1' ? Qt::AlignHCenter : c == '2' ? Qt::AlignRight : Qt::AlignLeft;
    }
    painter->setPen(palette().color(QPalette::ButtonText));
    painter->drawText(text, align | Qt::AlignVCenter | Qt::TextSingleLine,
                      metrics.elidedText(title, Qt::ElideRight, text.width()));
    painter->restore();
}

namespace {

// The cell's rule as a validator: QLineEdit asks it about every change, whatever its source.
class CellValidator : public QValidator {
public:
    CellValidator(CellInput input, QObject* parent)
        : QValidator(parent), input_(std::move(input)), allowed_(ToQt(input_.allowed)) {}

    State validate(QString& text, int&) const override {
        if (!allowed_.isEmpty()) {
            for (QChar c : text) {
                if (!allowed_.contains(c)) {
                    return Invalid;
                }
            }
        }
        if (!input_.number) {
            return Acceptable;
        }
        // Non-ASCII text never makes a number; FromQt would turn it into GBK bytes.
        for (QChar c : text) {
            if (c.unicode() > 0x7f) {
                return Invalid;
            }
        }
        const std::string ascii = text.toStdString();
        if (!NumberMayGrow(*input_.number, ascii, input_.decimals)) {
            return Invalid;
        }
        return CheckNumber(*input_.number, ascii, input_.decimals).empty() ? Acceptable
                                                                           : Intermediate;
    }

private:
    CellInput input_;
    QString allowed_;
};

}  // namespace

CInPlaceEdit::CInPlaceEdit(QWidget* parent, int row, int column, const QString& text,
                           CellInput input)
    : QLineEdit(parent), row_(row), column_(column), input_(std::move(input)), before_(text) {
    setObjectName(QStringLiteral("CInPlaceEdit"));
    setFrame(false);
    setText(text);
    if (!input_.allowed.empty() || input_.number) {
        setValidator(new CellValidator(input_, this));
        connect(this, &QLineEdit::inputRejected, this, &CInPlaceEdit::Refused);
    }
    OpenEditor() = this;
}

void CInPlaceEdit::Refused() {
    QApplication::beep();
    QString tip = QStringLiteral("只能输入数字");
    if (input_.number == NumberKind::Lots) {
        tip = QStringLiteral("手数只能是1到%1之间的整数").arg(kMaxLots);
    } else if (input_.number == NumberKind::Price) {
        tip = input_.decimals > 0
                  ? QStringLiteral("价格只能是正数，最多%1位小数").arg(input_.decimals)
                  : QStringLiteral("价格只能是正整数");
    }
    setToolTip(tip);
    QToolTip::showText(mapToGlobal(QPoint(0, height())), tip, this);
}

CInPlaceEdit* CInPlaceEdit::Current() {
    return OpenEditor();
}

bool CInPlaceEdit::event(QEvent* event) {
    // Tab would move the focus on before the box sees the key.
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
            End();
            return true;
        }
    }
    return QLineEdit::event(event);
}

void CInPlaceEdit::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Escape:
            cancelled_ = true;
            [[fallthrough]];
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_Left:
        case Qt::Key_Right:
            End();
            return;
        default:
            break;
    }
    QLineEdit::keyPressEvent(event);
}

void CInPlaceEdit::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    // The box's own context menu takes the focus while it is open: the edit goes on.
    if (event->reason() != Qt::PopupFocusReason) {
        Finish();
    }
}

void CInPlaceEdit::End() {
    Finish();
    if (parentWidget() && parentWidget()->parentWidget()) {
        parentWidget()->parentWidget()->setFocus(Qt::OtherFocusReason);
    }
}

void CInPlaceEdit::Finish() {
    if (finished_) {
        return;
    }
    finished_ = true;
    emit editEnded(row_, column_, cancelled_ ? before_ : text());
    hide();
    deleteLater();
}

CListCtrlEx::CListCtrlEx(QWidget* parent) : CListCtrlCl(parent, new CListCtrlExSortHead) {
    QAbstractItemDelegate* old = itemDelegate();
    setItemDelegate(new ExCellDelegate(this));
    delete old;
}

CListCtrlEx::~CListCtrlEx() {
    // The box goes with the list, without writing into a list that is going away.
    if (editor_) {
        editor_->disconnect(this);
        delete editor_;
    }
}

void CListCtrlEx::SetColumnKind(int column, ColumnKind kind) {
    kinds_[column] = kind;
}

CListCtrlEx::ColumnKind CListCtrlEx::KindOf(int column) const {
    auto it = kinds_.find(column);
    return it == kinds_.end() ? ColumnKind::Text : it->second;
}

CListCtrlEx::CellState CListCtrlEx::State(int row, int column) const {
    auto it = states_.find({row, column});
    return it == states_.end() ? CellState{} : it->second;
}

void CListCtrlEx::SetCellEnabled(int row, int column, bool enabled) {
    CellState& state = states_[{row, column}];
    state.flags = enabled ? (state.flags | 1u) : (state.flags & ~1u);
    update(model()->index(row, column));
}

void CListCtrlEx::SetNumberInput(int row, int column, NumberKind kind, int decimals) {
    CellInput& input = states_[{row, column}].input;
    input.number = kind;
    input.decimals = decimals;
}

void CListCtrlEx::SetAllowedCharacters(int row, int column, const std::string& allowed) {
    states_[{row, column}].input.allowed = allowed;
}

bool CListCtrlEx::DeleteItem(int row) {
    // An open edit is written into its row before the rows move.
    if (editor_) {
        editor_->Commit();
        editor_ = nullptr;
    }
    if (!CListCtrlCl::DeleteItem(row)) {
        return false;
    }
    std::map<std::pair<int, int>, CellState> moved;
    for (auto& [key, state] : states_) {
        if (key.first < row) {
            moved.emplace(key, std::move(state));
        } else if (key.first > row) {
            moved.emplace(std::make_pair(key.first - 1, key.second), std::move(state));
        }
    }
    states_ = std::move(moved);
    return true;
}

void CListCtrlEx::DeleteAllItems() {
    if (editor_) {
        editor_->disconnect(this);
        editor_->Commit();
        editor_ = nullptr;
    }
    CListCtrlCl::DeleteAllItems();
    states_.clear();
}

std::pair<int, int> CListCtrlEx::HitTest(const QPoint& point) const {
    const QModelIndex at = indexAt(point);
    if (!at.isValid()) {
        return {-1, -1};
    }
    return {at.row(), at.column()};
}

CInPlaceEdit* CListCtrlEx::Editor() const {
    return editor_;
}

void CListCtrlEx::EditCell(int row, int column) {
    if (row < 0 || row >= GetItemCount() || column < 0 || column >= GetColumnCount()) {
        return;
    }
    const QModelIndex index = model()->index(row, column);
    scrollTo(index);
    emit cellEditStarting(row, column);
    if (CInPlaceEdit* open = CInPlaceEdit::Current()) {
        // One box at a time: the one still open ends first.
        open->Commit();
    }
    auto* editor = new CInPlaceEdit(viewport(), row, column, DisplayText(row, column),
                                    State(row, column).input);
    editor->setFont(CellFont());
    editor->setGeometry(visualRect(index));
    connect(editor, &CInPlaceEdit::editEnded, this, &CListCtrlEx::OnEditEnded);
    editor_ = editor;
    editor->show();
    editor->selectAll();
    editor->setFocus(Qt::MouseFocusReason);
}

void CListCtrlEx::OnEditEnded(int row, int column, const QString& text) {
    if (row < 0 || row >= GetItemCount()) {
        return;
    }
    const std::string gbk = FromQt(text);
    SetItemText(row, column, gbk);
    emit cellEdited(row, column, gbk);
}

void CListCtrlEx::mousePressEvent(QMouseEvent* event) {
    const auto [row, column] = HitTest(event->position().toPoint());
    if (event->button() == Qt::RightButton) {
        // Copied by name: the clang of clang-tidy (14) cannot capture a structured binding.
        QMetaObject::invokeMethod(
            this, [this, row = row, column = column] { emit cellRightClicked(row, column); },
            Qt::QueuedConnection);
        CListCtrlCl::mousePressEvent(event);
        return;
    }
    CListCtrlCl::mousePressEvent(event);
    if (event->button() != Qt::LeftButton ||
        (event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier))) {
        return;
    }
    if (row >= 0 && State(row, column).Enabled() && KindOf(column) == ColumnKind::Edit) {
        EditCell(row, column);
    }
    emit cellClicked(row, column);
}

void CListCtrlEx::mouseDoubleClickEvent(QMouseEvent* event) {
    const auto [row, column] = HitTest(event->position().toPoint());
    if (row >= 0 && State(row, column).Enabled()) {
        viewport()->update(visualRect(model()->index(row, 0))
                               .united(visualRect(model()->index(row, GetColumnCount() - 1))));
    }
    QMetaObject::invokeMethod(
        this, [this, row = row, column = column] { emit cellDoubleClicked(row, column); },
        Qt::QueuedConnection);
    CListCtrlCl::mouseDoubleClickEvent(event);
}

}  // namespace ft::ui
