#include "ui/controls/list_kit.h"

#include <QTimer>

#include "core/layout_store.h"
#include "core/text.h"

namespace ft::ui {

QColor ToColour(const Rgb& rgb) {
    return QColor(rgb.r, rgb.g, rgb.b);
}

void BuildColumns(CListCtrlCl& list, std::span<const ColumnSpec> columns) {
    int index = 0;
    std::vector<int> widths;
    std::vector<int> roomy;
    for (const ColumnSpec& column : columns) {
        list.InsertColumn(index++, Ansi(column.title), column.width);
        widths.push_back(column.width);
        roomy.push_back(std::max(column.width, column.roomyWidth));
    }
    list.SetAlignment(AlignmentText(columns));
    if (widths != roomy) {
        list.SetRoomyWidths(std::move(widths), std::move(roomy));
    }
}

void StyleMarketList(CListCtrlCl& list) {
    list.UseTallRows();
    list.SetListBackground(QColor(255, 255, 245));
    list.SetCellFont(14, 8);
    CHeaderCtrlCl* header = list.Header();
    header->r = 255;
    header->g = 255;
    header->b = 225;
    header->gradientStep = 0;
    header->heightFactor = 1.5f;
}

int AppendRow(CListCtrlCl& list, std::span<const std::string> texts) {
    const int row = list.AppendItem(texts.empty() ? std::string() : texts.front());
    for (std::size_t c = 1; c < texts.size(); ++c) {
        list.SetItemText(row, static_cast<int>(c), texts[c]);
    }
    return row;
}

namespace {

// Saves a list's widths once a resize has stopped: a drag sends a stream of resizes. It
// follows the widths as they change, so it never reads a list that is going away.
class ColumnWidthKeeper : public QObject {
public:
    ColumnWidthKeeper(CListCtrlCl& list, std::string name)
        : QObject(&list), name_(std::move(name)), widths_(ColumnWidths(list)) {
        timer_.setSingleShot(true);
        timer_.setInterval(kQuietMs);
        connect(&timer_, &QTimer::timeout, this, [this] { Save(); });
        connect(list.Header(), &QHeaderView::sectionResized, this, [this, &list] {
            // The list's own fitting to its room is not the trader's choice; a drag
            // keeps every width as shown.
            if (!list.FittingColumns()) {
                widths_ = ColumnWidths(list);
                timer_.start();
            }
        });
    }
    ~ColumnWidthKeeper() override {
        // A drag that ended just before the window went away is kept all the same.
        if (timer_.isActive()) {
            Save();
        }
    }
    bool Pending() const { return timer_.isActive(); }

private:
    static constexpr int kQuietMs = 400;
    void Save() {
        timer_.stop();
        WriteColumnWidths(name_, widths_);
    }

    std::string name_;
    std::vector<int> widths_;
    QTimer timer_;
};

}  // namespace

void KeepColumnWidths(CListCtrlCl& list, const std::string& name) {
    SetColumnWidths(list, ReadColumnWidths(name));
    new ColumnWidthKeeper(list, name);
}

bool ColumnWidthWritePending(const CListCtrlCl& list) {
    for (const QObject* child : list.children()) {
        if (const auto* keeper = dynamic_cast<const ColumnWidthKeeper*>(child)) {
            return keeper->Pending();
        }
    }
    return false;
}

std::vector<int> ColumnWidths(const CListCtrlCl& list) {
    std::vector<int> widths;
    widths.reserve(static_cast<std::size_t>(list.GetColumnCount()));
    for (int c = 0; c < list.GetColumnCount(); ++c) {
        widths.push_back(list.Header()->sectionSize(c));
    }
    return widths;
}

void SetColumnWidths(CListCtrlCl& list, const std::vector<int>& widths) {
    const int count = std::min(list.GetColumnCount(), static_cast<int>(widths.size()));
    for (int c = 0; c < count; ++c) {
        if (widths[static_cast<std::size_t>(c)] > 0) {
            list.Header()->resizeSection(c, widths[static_cast<std::size_t>(c)]);
        }
    }
}

}  // namespace ft::ui
