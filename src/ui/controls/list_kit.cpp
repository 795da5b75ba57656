#include "ui/controls/list_kit.h"

#include "core/text.h"

namespace ft::ui {

QColor ToColour(const Rgb& rgb) {
    return QColor(rgb.r, rgb.g, rgb.b);
}

void BuildColumns(CListCtrlCl& list, std::span<const ColumnSpec> columns) {
    int index = 0;
    for (const ColumnSpec& column : columns) {
        list.InsertColumn(index++, Ansi(column.title), column.width);
    }
    list.SetAlignment(AlignmentText(columns));
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

std::vector<int> ColumnWidths(const CListCtrlCl& list) {
    std::vector<int> widths;
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
