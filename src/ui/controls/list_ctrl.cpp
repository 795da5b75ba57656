#include "ui/controls/list_ctrl.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <map>

#include "ui/common/text_boundary.h"

namespace ft::ui {

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

// The list's data, as roles: GBK texts by row (shown as UTF-16), text and background colours,
// and the columns' alignment. Colours are kept by row index and column, apart from the rows,
// because panels set them by index: deleting a row leaves them where they are, and a row
// inserted later at that index shows them again. The "with colours" row operations (used by
// keyed rows) take a row's colours along instead.
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
        const int row = index.row();
        const int column = index.column();
        if (!Valid(row, column)) {
            return {};
        }
        switch (role) {
            case Qt::DisplayRole:
                return ToQt(Cell(row, column));
            case Qt::ForegroundRole:
                return ColourVariant(TextColour(row, column));
            case Qt::BackgroundRole:
                return ColourVariant(Background(row, column));
            case Qt::TextAlignmentRole:
                return QVariant::fromValue(Alignment(column) | Qt::AlignVCenter);
            default:
                return {};
        }
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
        emit dataChanged(index(row, first), index(row, last),
                         {Qt::DisplayRole, Qt::ForegroundRole});
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
    bool RemoveRow(int row, bool withColours) {
        if (row < 0 || row >= rowCount()) {
            return false;
        }
        beginRemoveRows({}, row, row);
        rows_.erase(rows_.begin() + row);
        if (withColours && static_cast<std::size_t>(row) < colours_.size()) {
            colours_.erase(colours_.begin() + row);
        }
        endRemoveRows();
        return true;
    }
    // `count` empty rows at `row` whose colours are their own: the rows below take theirs along.
    int InsertRowsWithColours(int row, int count) {
        row = std::clamp(row, 0, rowCount());
        if (count <= 0) {
            return row;
        }
        beginInsertRows({}, row, row + count - 1);
        rows_.insert(rows_.begin() + row, static_cast<std::size_t>(count), {});
        if (static_cast<std::size_t>(row) < colours_.size()) {
            colours_.insert(colours_.begin() + row, static_cast<std::size_t>(count), {});
        }
        endInsertRows();
        return row;
    }
    // Moves row `from` (texts and colours) to stand before row `before` of the list as it is.
    bool MoveRow(int from, int before) {
        if (from < 0 || from >= rowCount() || before < 0 || before > rowCount() || before == from ||
            before == from + 1) {
            return false;
        }
        beginMoveRows({}, from, from, {}, before);
        if (colours_.size() < rows_.size()) {
            colours_.resize(rows_.size());
        }
        const auto f = static_cast<std::ptrdiff_t>(from);
        const auto b = static_cast<std::ptrdiff_t>(before);
        if (before > from) {
            std::rotate(rows_.begin() + f, rows_.begin() + f + 1, rows_.begin() + b);
            std::rotate(colours_.begin() + f, colours_.begin() + f + 1, colours_.begin() + b);
        } else {
            std::rotate(rows_.begin() + b, rows_.begin() + f, rows_.begin() + f + 1);
            std::rotate(colours_.begin() + b, colours_.begin() + f, colours_.begin() + f + 1);
        }
        endMoveRows();
        return true;
    }
    void Clear() {
        beginResetModel();
        rows_.clear();
        endResetModel();
    }

    // Colours: a cell's own, else its column's; invalid when neither has one.
    QColor TextColour(int row, int column) const {
        if (const CellColours* cell = Colours(row, column); cell && cell->text.isValid()) {
            return cell->text;
        }
        auto it = columnText_.find(column);
        return it != columnText_.end() ? it->second : QColor();
    }
    QColor Background(int row, int column) const {
        if (const CellColours* cell = Colours(row, column); cell && cell->background.isValid()) {
            return cell->background;
        }
        auto it = columnBackground_.find(column);
        return it != columnBackground_.end() ? it->second : QColor();
    }
    // Returns whether the cell's text colour changed.
    bool SetTextColour(int row, int column, const QColor& colour) {
        CellColours* cell = ColoursAt(row, column);
        if (!cell || cell->text == colour) {
            return false;
        }
        cell->text = colour;
        return true;
    }
    // The first background given to a cell stays.
    bool AddBackground(int row, int column, const QColor& colour) {
        CellColours* cell = ColoursAt(row, column);
        if (!cell || cell->background.isValid()) {
            return false;
        }
        cell->background = colour;
        return true;
    }
    void AddColumnBackground(int column, const QColor& colour) {
        if (columnBackground_.emplace(column, colour).second) {
            ColumnChanged(column, Qt::BackgroundRole);
        }
    }
    void AddColumnTextColour(int column, const QColor& colour) {
        if (columnText_.emplace(column, colour).second) {
            ColumnChanged(column, Qt::ForegroundRole);
        }
    }
    void ColourChanged(int row, int column, int role) {
        if (Valid(row, column)) {
            emit dataChanged(index(row, column), index(row, column), {role});
        }
    }

    void SetAlignment(const std::string& alignment) {
        alignment_ = alignment;
        if (rowCount() > 0 && columnCount() > 0) {
            emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1),
                             {Qt::TextAlignmentRole});
        }
    }
    Qt::Alignment Alignment(int column) const { return AlignmentOf(alignment_, column); }

private:
    // Invalid colours mean "none of its own".
    struct CellColours {
        QColor text;
        QColor background;
    };

    static QVariant ColourVariant(const QColor& colour) {
        return colour.isValid() ? QVariant(colour) : QVariant();
    }
    bool Valid(int row, int column) const {
        return row >= 0 && row < rowCount() && column >= 0 && column < columnCount();
    }
    const CellColours* Colours(int row, int column) const {
        if (row < 0 || column < 0 || static_cast<std::size_t>(row) >= colours_.size()) {
            return nullptr;
        }
        const auto& cells = colours_[static_cast<std::size_t>(row)];
        return static_cast<std::size_t>(column) < cells.size()
                   ? &cells[static_cast<std::size_t>(column)]
                   : nullptr;
    }
    CellColours* ColoursAt(int row, int column) {
        if (row < 0 || column < 0) {
            return nullptr;
        }
        if (static_cast<std::size_t>(row) >= colours_.size()) {
            colours_.resize(static_cast<std::size_t>(row) + 1);
        }
        auto& cells = colours_[static_cast<std::size_t>(row)];
        if (static_cast<std::size_t>(column) >= cells.size()) {
            cells.resize(static_cast<std::size_t>(column) + 1);
        }
        return &cells[static_cast<std::size_t>(column)];
    }
    void ColumnChanged(int column, int role) {
        if (rowCount() > 0 && column >= 0 && column < columnCount()) {
            emit dataChanged(index(0, column), index(rowCount() - 1, column), {role});
        }
    }

    std::vector<QString> titles_;
    std::vector<std::vector<std::string>> rows_;
    std::vector<std::vector<CellColours>> colours_;  // by row index, then column
    std::map<int, QColor> columnBackground_;
    std::map<int, QColor> columnText_;
    std::string alignment_;
};

QString FitCellText(const QString& text, const QFont& font, int width) {
    return QFontMetrics(font).elidedText(text, Qt::ElideRight, width);
}

namespace {

// Paints a cell from its roles; the list gives only its defaults and the selection colour.
class CellDelegate : public QStyledItemDelegate {
public:
    explicit CellDelegate(CListCtrlCl* list) : QStyledItemDelegate(list), list_(list) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const bool selected = option.state & QStyle::State_Selected;
        const QVariant background = index.data(Qt::BackgroundRole);
        painter->fillRect(option.rect, selected               ? list_->SelectionColour()
                                       : background.isValid() ? background.value<QColor>()
                                                              : list_->ListBackground());
        const QVariant text = index.data(Qt::ForegroundRole);
        painter->setPen(text.isValid() ? text.value<QColor>() : list_->DefaultTextColour());
        painter->setFont(list_->CellFont());
        const QRect area = option.rect.adjusted(5, 0, -5, 0);
        painter->drawText(
            area, index.data(Qt::TextAlignmentRole).value<Qt::Alignment>() | Qt::TextSingleLine,
            FitCellText(index.data(Qt::DisplayRole).toString().left(255), list_->CellFont(),
                        area.width()));
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
    // QTableView lays out and repaints the whole viewport at every change of the row count;
    // rows appended below the visible ones (a new fill under a long list) need only the
    // scroll range.
    const bool taken = disconnect(verticalHeader(), SIGNAL(sectionCountChanged(int, int)), this,
                                  SLOT(rowCountChanged(int, int)));
    connect(verticalHeader(), &QHeaderView::sectionCountChanged, this,
            [this, taken](int oldCount, int newCount) {
                if (taken) {
                    RowCountChanged(oldCount, newCount);
                }
            });
    setItemDelegate(new CellDelegate(this));
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setShowGrid(false);
    setWordWrap(false);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    cellFont_ = SongFont(12);
    SetListBackground(background_);

    connect(header_, &QHeaderView::sectionResized, this, [this] {
        if (!fitting_) {
            widthsSetOutside_ = true;
        }
    });
    connect(this, &QTableView::clicked, this,
            [this](const QModelIndex& i) { emit itemClicked(i.row(), i.column()); });
    connect(this, &QTableView::doubleClicked, this,
            [this](const QModelIndex& i) { emit itemDoubleClicked(i.row(), i.column()); });
}

CListCtrlCl::~CListCtrlCl() = default;

void CListCtrlCl::RowCountChanged(int oldCount, int newCount) {
    const bool appendedOutOfSight = newCount > oldCount && oldCount > 0 &&
                                    rowViewportPosition(oldCount) >= viewport()->height();
    if (!appendedOutOfSight) {
        rowCountChanged(oldCount, newCount);
        return;
    }
    updateGeometries();
}

int CListCtrlCl::InsertColumn(int column, const std::string& title, int width) {
    column = std::clamp(column, 0, GetColumnCount());
    model_->InsertColumn(column, ToQt(title));
    fitting_ = true;
    header_->resizeSection(column, width);
    fitting_ = false;
    return column;
}

void CListCtrlCl::SetRoomyWidths(std::vector<int> widths, std::vector<int> roomy) {
    baseWidths_ = std::move(widths);
    roomyWidths_ = std::move(roomy);
    FitRoomyColumns();
}

void CListCtrlCl::resizeEvent(QResizeEvent* event) {
    QTableView::resizeEvent(event);
    FitRoomyColumns();
}

void CListCtrlCl::FitRoomyColumns() {
    const auto count = std::min(
        {baseWidths_.size(), roomyWidths_.size(), static_cast<std::size_t>(GetColumnCount())});
    if (widthsSetOutside_ || count == 0 || !isVisible()) {
        return;
    }
    int spare = viewport()->width();
    for (std::size_t c = 0; c < count; ++c) {
        spare -= baseWidths_[c];
    }
    fitting_ = true;
    for (std::size_t c = 0; c < count; ++c) {
        const int grow = std::clamp(roomyWidths_[c] - baseWidths_[c], 0, std::max(spare, 0));
        spare -= grow;
        const int width = baseWidths_[c] + grow;
        if (header_->sectionSize(static_cast<int>(c)) != width) {
            header_->resizeSection(static_cast<int>(c), width);
        }
    }
    fitting_ = false;
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
    return model_->RemoveRow(row, false);
}

int CListCtrlCl::InsertRowsWithColours(int row, int count) {
    return model_->InsertRowsWithColours(row, count);
}

bool CListCtrlCl::DeleteRowWithColours(int row) {
    return model_->RemoveRow(row, true);
}

bool CListCtrlCl::MoveRow(int from, int before) {
    return model_->MoveRow(from, before);
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
    model_->SetAlignment(alignment);
}

void CListCtrlCl::AddColumnBackground(int column, const QColor& colour) {
    model_->AddColumnBackground(column, colour);
}

void CListCtrlCl::AddCellBackground(int row, int column, const QColor& colour) {
    if (model_->AddBackground(row, column, colour)) {
        model_->ColourChanged(row, column, Qt::BackgroundRole);
    }
}

void CListCtrlCl::SetColumnTextColour(int column, const QColor& colour) {
    model_->AddColumnTextColour(column, colour);
}

void CListCtrlCl::SetCellTextColour(int column, int row, const QColor& colour) {
    // The text may stay the same while its colour changes; the cell is painted anew.
    if (model_->SetTextColour(row, column, colour)) {
        model_->ColourChanged(row, column, Qt::ForegroundRole);
    }
}

int CListCtrlCl::WriteRow(int row, const std::vector<CellWrite>& writes) {
    // A row scrolled out of sight needs no repaint at all.
    const int top = rowViewportPosition(row);
    const bool visible = top + rowHeight(row) > 0 && top < viewport()->height();
    int written = 0;
    int first = -1;
    int last = -1;
    QRegion dirty;
    for (const CellWrite& write : writes) {
        bool changed = false;
        if (write.colour) {
            const Rgb& c = *write.colour;
            changed = model_->SetTextColour(row, write.column, QColor(c.r, c.g, c.b));
        }
        if (model_->Store(row, write.column, write.text, true)) {
            ++written;
            changed = true;
        }
        if (changed) {
            first = first < 0 ? write.column : std::min(first, write.column);
            last = std::max(last, write.column);
            if (visible) {
                dirty += visualRect(model_->index(row, write.column));
            }
        }
    }
    if (first >= 0) {
        // One announcement for the row; the repaint covers the changed cells only.
        repaintingRow_ = true;
        model_->Changed(row, first, last);
        repaintingRow_ = false;
        if (!dirty.isEmpty()) {
            viewport()->update(dirty);
        }
    }
    return written;
}

QColor CListCtrlCl::CellBackground(int row, int column, bool selected) const {
    if (selected) {
        return selection_;
    }
    const QColor colour = model_->Background(row, column);
    return colour.isValid() ? colour : background_;
}

QColor CListCtrlCl::CellTextColour(int row, int column) const {
    const QColor colour = model_->TextColour(row, column);
    return colour.isValid() ? colour : defaultText_;
}

Qt::Alignment CListCtrlCl::CellAlignment(int column) const {
    return model_->Alignment(column);
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

void CListCtrlCl::keyPressEvent(QKeyEvent* event) {
    // With no row selected the item view moves from a current cell the trader cannot see (or
    // from none): the first Up or Down selects the current row, else the first, so a list can
    // be worked from the keyboard alone.
    const bool upOrDown = event->key() == Qt::Key_Up || event->key() == Qt::Key_Down;
    if (upOrDown && event->modifiers() == Qt::NoModifier && GetFirstSelectedRow() < 0 &&
        GetItemCount() > 0) {
        const int current = currentIndex().row();
        SelectRow(current >= 0 && current < GetItemCount() ? current : 0);
        return;
    }
    QTableView::keyPressEvent(event);
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
