#include "ui/controls/list_ctrl.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>

#include "ui/common/text_boundary.h"

namespace ft::ui {

// The rows of the list: GBK texts, converted only for display.
class ListModel : public QAbstractTableModel {
public:
    explicit ListModel(QObject* parent) : QAbstractTableModel(parent) {}

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : static_cast<int>(rows_.size());
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : static_cast<int>(titles_.size());
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (role != Qt::DisplayRole || !Valid(index.row(), index.column())) {
            return {};
        }
        return ToQt(Cell(index.row(), index.column()));
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
            section < static_cast<int>(titles_.size())) {
            return titles_[static_cast<std::size_t>(section)];
        }
        return {};
    }

    void InsertColumn(int column, const QString& title) {
        column = std::clamp(column, 0, columnCount());
        beginInsertColumns({}, column, column);
        titles_.insert(titles_.begin() + column, title);
        for (auto& row : rows_) {
            if (static_cast<int>(row.size()) > column) {
                row.insert(row.begin() + column, std::string());
            }
        }
        endInsertColumns();
    }
    int InsertRow(int row, const std::string& text) {
        row = std::clamp(row, 0, rowCount());
        beginInsertRows({}, row, row);
        rows_.insert(rows_.begin() + row, std::vector<std::string>{text});
        endInsertRows();
        return row;
    }
    // Appends `count` empty rows in one insertion; returns the index of the first.
    int AppendRows(int count) {
        const int first = rowCount();
        if (count <= 0) {
            return first;
        }
        beginInsertRows({}, first, first + count - 1);
        rows_.resize(rows_.size() + static_cast<std::size_t>(count));
        endInsertRows();
        return first;
    }
    bool SetText(int row, int column, const std::string& text, bool onlyIfChanged) {
        if (!Store(row, column, text, onlyIfChanged)) {
            return false;
        }
        Changed(row, column, column);
        return true;
    }
    // Stores the text without announcing it; false when the cell is outside or (with
    // `onlyIfChanged`) already shows it.
    bool Store(int row, int column, const std::string& text, bool onlyIfChanged) {
        if (!Valid(row, column)) {
            return false;
        }
        auto& cells = rows_[static_cast<std::size_t>(row)];
        if (onlyIfChanged && Cell(row, column) == text) {
            return false;
        }
        if (static_cast<int>(cells.size()) <= column) {
            cells.resize(static_cast<std::size_t>(column) + 1);
        }
        cells[static_cast<std::size_t>(column)] = text;
        return true;
    }
    void Changed(int row, int first, int last) {
        emit dataChanged(index(row, first), index(row, last), {Qt::DisplayRole});
    }
    const std::string& Cell(int row, int column) const {
        static const std::string kEmpty;
        if (!Valid(row, column)) {
            return kEmpty;
        }
        const auto& cells = rows_[static_cast<std::size_t>(row)];
        return static_cast<std::size_t>(column) < cells.size()
                   ? cells[static_cast<std::size_t>(column)]
                   : kEmpty;
    }
    bool RemoveRow(int row) {
        if (row < 0 || row >= rowCount()) {
            return false;
        }
        beginRemoveRows({}, row, row);
        rows_.erase(rows_.begin() + row);
        endRemoveRows();
        return true;
    }
    void Clear() {
        beginResetModel();
        rows_.clear();
        endResetModel();
    }

private:
    bool Valid(int row, int column) const {
        return row >= 0 && row < rowCount() && column >= 0 && column < columnCount();
    }
    std::vector<QString> titles_;
    std::vector<std::vector<std::string>> rows_;
};

namespace {

Qt::Alignment AlignmentOf(const std::string& alignment, int column) {
    const char c = column >= 0 && static_cast<std::size_t>(column) < alignment.size()
                       ? alignment[static_cast<std::size_t>(column)]
                       : '0';
    switch (c) {
        case '1':
            return Qt::AlignHCenter;
        case '2':
            return Qt::AlignRight;
        default:
            return Qt::AlignLeft;
    }
}

QFont SongFont(int height) {
    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(std::max(1, height));
    return font;
}

}  // namespace

QString FitCellText(const QString& text, const QFont& font, int width) {
    return QFontMetrics(font).elidedText(text, Qt::ElideRight, width);
}

namespace {

class CellDelegate : public QStyledItemDelegate {
public:
    explicit CellDelegate(CListCtrlCl* list) : QStyledItemDelegate(list), list_(list) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const int row = index.row();
        const int column = index.column();
        const bool selected = option.state & QStyle::State_Selected;
        painter->fillRect(option.rect, list_->CellBackground(row, column, selected));
        painter->setPen(list_->CellTextColour(row, column));
        painter->setFont(list_->CellFont());
        const QRect text = option.rect.adjusted(5, 0, -5, 0);
        painter->drawText(text,
                          list_->CellAlignment(column) | Qt::AlignVCenter | Qt::TextSingleLine,
                          FitCellText(list_->DisplayText(row, column).left(255), list_->CellFont(),
                                      text.width()));
    }

private:
    CListCtrlCl* list_;
};

}  // namespace

CHeaderCtrlCl::CHeaderCtrlCl(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {
    setSectionsClickable(false);
    setHighlightSections(false);
    setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

int CHeaderCtrlCl::StandardHeight() const {
    const int standard = QHeaderView::sizeHint().height();
    return static_cast<int>(static_cast<float>(standard) * heightFactor);
}

QSize CHeaderCtrlCl::sizeHint() const {
    QSize size = QHeaderView::sizeHint();
    size.setHeight(StandardHeight());
    return size;
}

void CHeaderCtrlCl::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const {
    painter->save();
    const QRect item = logicalIndex > 0 ? rect.adjusted(1, 0, 0, 0) : rect;
    int cr = r, cg = g, cb = b;
    for (int y = item.top(); y <= item.bottom(); ++y) {
        painter->setPen(
            QColor(std::clamp(cr, 0, 255), std::clamp(cg, 0, 255), std::clamp(cb, 0, 255)));
        painter->drawLine(item.left(), y, item.right(), y);
        cr = std::max(0, cr - gradientStep);
        cg = std::max(0, cg - gradientStep);
        cb = std::max(0, cb - gradientStep);
    }
    QFont font = SongFont(fontHeight);
    font.setWeight(QFont::Light);
    painter->setFont(font);
    painter->setPen(textColour);
    const Qt::Alignment align = AlignmentOf(alignment, logicalIndex);
    const QRect text =
        item.adjusted(align == Qt::AlignLeft ? 3 : 0, 0, align == Qt::AlignRight ? -3 : 0, 0);
    painter->drawText(
        text, align | Qt::AlignVCenter | Qt::TextSingleLine,
        model() ? model()->headerData(logicalIndex, Qt::Horizontal).toString() : QString());
    painter->setPen(QColor(192, 192, 192));
    if (topLine) {
        painter->drawLine(rect.topLeft(), rect.topRight());
    }
    painter->drawLine(rect.topRight(), rect.bottomRight());
    painter->drawLine(rect.bottomLeft(), rect.bottomRight());
    painter->restore();
}

CListCtrlCl::CListCtrlCl(QWidget* parent) : CListCtrlCl(parent, new CHeaderCtrlCl) {}

CListCtrlCl::CListCtrlCl(QWidget* parent, CHeaderCtrlCl* header)
    : QTableView(parent), model_(new ListModel(this)), header_(header) {
    header_->setParent(this);
    setModel(model_);
    setHorizontalHeader(header_);
    header_->setStretchLastSection(false);
    header_->setSectionResizeMode(QHeaderView::Interactive);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    setItemDelegate(new CellDelegate(this));
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setShowGrid(false);
    setWordWrap(false);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    cellFont_ = SongFont(12);
    SetListBackground(background_);

    connect(this, &QTableView::clicked, this,
            [this](const QModelIndex& i) { emit itemClicked(i.row(), i.column()); });
    connect(this, &QTableView::doubleClicked, this,
            [this](const QModelIndex& i) { emit itemDoubleClicked(i.row(), i.column()); });
}

CListCtrlCl::~CListCtrlCl() = default;

int CListCtrlCl::InsertColumn(int column, const std::string& title, int width) {
    column = std::clamp(column, 0, GetColumnCount());
    model_->InsertColumn(column, ToQt(title));
    header_->resizeSection(column, width);
    return column;
}

int CListCtrlCl::GetColumnCount() const {
    return model_->columnCount();
}

int CListCtrlCl::InsertItem(int row, const std::string& text) {
    return model_->InsertRow(row, text);
}

int CListCtrlCl::AppendItems(int count) {
    return model_->AppendRows(count);
}

void CListCtrlCl::SetItemText(int row, int column, const std::string& text) {
    model_->SetText(row, column, text, false);
}

bool CListCtrlCl::SetItemTextIfChanged(int row, int column, const std::string& text) {
    return model_->SetText(row, column, text, true);
}

std::string CListCtrlCl::GetItemText(int row, int column) const {
    return model_->Cell(row, column);
}

const std::string& CListCtrlCl::ItemText(int row, int column) const {
    return model_->Cell(row, column);
}

QString CListCtrlCl::DisplayText(int row, int column) const {
    return ToQt(model_->Cell(row, column));
}

bool CListCtrlCl::DeleteItem(int row) {
    return model_->RemoveRow(row);
}

void CListCtrlCl::DeleteAllItems() {
    model_->Clear();
}

int CListCtrlCl::GetItemCount() const {
    return model_->rowCount();
}

int CListCtrlCl::GetFirstSelectedRow() const {
    const QModelIndexList rows = selectionModel()->selectedRows();
    int first = -1;
    for (const QModelIndex& index : rows) {
        if (first < 0 || index.row() < first) {
            first = index.row();
        }
    }
    return first;
}

void CListCtrlCl::SelectRow(int row) {
    if (row >= 0 && row < GetItemCount()) {
        selectRow(row);
        setCurrentIndex(model_->index(row, 0));
    }
}

void CListCtrlCl::ClearSelection() {
    clearSelection();
}

void CListCtrlCl::UseTallRows() {
    SetRowHeight(22);
}

void CListCtrlCl::SetRowHeight(int pixels) {
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setDefaultSectionSize(pixels);
}

void CListCtrlCl::SetListBackground(const QColor& colour) {
    background_ = colour;
    QPalette p = palette();
    p.setColor(QPalette::Base, colour);
    setPalette(p);
}

void CListCtrlCl::SetCellFont(int height, int /*width*/) {
    cellFont_ = SongFont(height);
    viewport()->update();
}

void CListCtrlCl::SetLockColumnWidths(bool locked) {
    header_->setSectionResizeMode(locked ? QHeaderView::Fixed : QHeaderView::Interactive);
}

void CListCtrlCl::SetAlignment(const std::string& alignment) {
    header_->alignment = alignment;
    viewport()->update();
}

void CListCtrlCl::AddColumnBackground(int column, const QColor& colour) {
    columnBackground_.emplace(column, colour);
}

void CListCtrlCl::AddCellBackground(int row, int column, const QColor& colour) {
    // Entries are only appended and the first one wins.
    cellBackground_.emplace(std::make_pair(row, column), colour);
}

void CListCtrlCl::SetColumnTextColour(int column, const QColor& colour) {
    columnText_.emplace(column, colour);
}

void CListCtrlCl::SetCellTextColour(int column, int row, const QColor& colour) {
    if (StoreTextColour(column, row, colour)) {
        // The text may stay the same while its colour changes; the cell must be painted anew.
        update(model()->index(row, column));
    }
}

bool CListCtrlCl::StoreTextColour(int column, int row, const QColor& colour) {
    auto [it, added] = cellText_.try_emplace({row, column}, colour);
    if (!added && it->second == colour) {
        return false;
    }
    it->second = colour;
    return true;
}

int CListCtrlCl::WriteRow(int row, const std::vector<CellWrite>& writes) {
    int written = 0;
    int first = -1;
    int last = -1;
    QRegion dirty;
    for (const CellWrite& write : writes) {
        bool changed = false;
        if (write.colour) {
            const Rgb& c = *write.colour;
            changed = StoreTextColour(write.column, row, QColor(c.r, c.g, c.b));
        }
        if (model_->Store(row, write.column, write.text, true)) {
            ++written;
            changed = true;
        }
        if (changed) {
            first = first < 0 ? write.column : std::min(first, write.column);
            last = std::max(last, write.column);
            dirty += visualRect(model_->index(row, write.column));
        }
    }
    if (first >= 0) {
        // One announcement for the row; the repaint covers the changed cells only.
        repaintingRow_ = true;
        model_->Changed(row, first, last);
        repaintingRow_ = false;
        viewport()->update(dirty);
    }
    return written;
}

QColor CListCtrlCl::CellBackground(int row, int column, bool selected) const {
    if (selected) {
        return selection_;
    }
    if (auto it = cellBackground_.find({row, column}); it != cellBackground_.end()) {
        return it->second;
    }
    if (auto it = columnBackground_.find(column); it != columnBackground_.end()) {
        return it->second;
    }
    return background_;
}

QColor CListCtrlCl::CellTextColour(int row, int column) const {
    if (auto it = cellText_.find({row, column}); it != cellText_.end()) {
        return it->second;
    }
    if (auto it = columnText_.find(column); it != columnText_.end()) {
        return it->second;
    }
    return defaultText_;
}

Qt::Alignment CListCtrlCl::CellAlignment(int column) const {
    return AlignmentOf(header_->alignment, column);
}

void CListCtrlCl::dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                              const QList<int>& roles) {
    if (repaintingRow_) {
        return;  // WriteRow repaints the cells it changed
    }
    if (topLeft.isValid() && bottomRight.isValid() && topLeft != bottomRight &&
        topLeft.row() == bottomRight.row()) {
        viewport()->update(visualRect(topLeft).united(visualRect(bottomRight)));
        return;
    }
    QTableView::dataChanged(topLeft, bottomRight, roles);
}

void CListCtrlCl::mousePressEvent(QMouseEvent* event) {
    QTableView::mousePressEvent(event);
    if (event->button() == Qt::RightButton) {
        const QModelIndex at = indexAt(event->position().toPoint());
        if (at.isValid()) {
            SelectRow(at.row());
        }
        emit itemRightClicked(at.isValid() ? at.row() : -1, at.isValid() ? at.column() : -1,
                              event->globalPosition().toPoint());
    }
}

}  // namespace ft::ui
