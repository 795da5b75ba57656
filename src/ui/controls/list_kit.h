// The shared kit of the list panels: a list built from its column table, the market lists'
// look, rows read and filled, and a row rule's writes applied. A list panel is its column
// table, its row rule and these.
#pragma once

#include <QColor>
#include <array>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/list_table.h"
#include "ui/controls/list_ctrl.h"

namespace ft::ui {

QColor ToColour(const Rgb& rgb);

// Titles, widths and the alignment string of `columns`, in order.
void BuildColumns(CListCtrlCl& list, std::span<const ColumnSpec> columns);

// The look of the market lists (quote board, contract list): 22 px rows, the panel colour, the
// flat header one and a half times as tall.
void StyleMarketList(CListCtrlCl& list);

// The texts row `row` shows, one per entry of `shown`.
template <std::size_t N>
void ReadRow(const CListCtrlCl& list, int row, std::array<std::string, N>& shown) {
    for (std::size_t c = 0; c < N; ++c) {
        shown[c] = list.ItemText(row, static_cast<int>(c));
    }
}

// The same as views into the list's cells, without copies; valid until the list changes.
template <std::size_t N>
void ViewRow(const CListCtrlCl& list, int row, std::array<std::string_view, N>& shown) {
    for (std::size_t c = 0; c < N; ++c) {
        shown[c] = list.ItemText(row, static_cast<int>(c));
    }
}

// Appends a row showing `texts` (column 0 first); returns its index.
int AppendRow(CListCtrlCl& list, std::span<const std::string> texts);

// Applies a row rule's writes to `row`: only changed texts are written and the row repaints
// once. Returns the number of texts written.
inline int ApplyRowWrites(CListCtrlCl& list, int row, const std::vector<CellWrite>& writes) {
    return list.WriteRow(row, writes);
}

// The column widths as they are now (the trader may have dragged them).
std::vector<int> ColumnWidths(const CListCtrlCl& list);
// Sets the widths that are given and positive; the others keep theirs.
void SetColumnWidths(CListCtrlCl& list, const std::vector<int>& widths);

}  // namespace ft::ui
