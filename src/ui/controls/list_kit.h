// The shared kit of the list panels: a list built from its column table, the market lists'
// look, rows read and filled, and a row rule's writes applied. A list panel is its column
// table, its row rule and these.
#pragma once

#include <QColor>
#include <algorithm>
#include <array>
#include <span>
#include <string>
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

// Appends a row showing `texts` (column 0 first); returns its index.
int AppendRow(CListCtrlCl& list, std::span<const std::string> texts);

// Applies a row rule's writes to `row`: only changed texts are written and the row repaints
// once. Returns the number of texts written.
inline int ApplyRowWrites(CListCtrlCl& list, int row, const std::vector<CellWrite>& writes) {
    return list.WriteRow(row, writes);
}

// Rebuilds `list` with one row per record, in order: every row is written by the row rule
// `rule(shown, record, writes)` from an empty row. Returns the number of texts written.
template <std::size_t N, typename Record, typename Rule>
int FillRows(CListCtrlCl& list, std::span<const Record* const> records, Rule rule,
             std::vector<CellWrite>& writes) {
    static const std::array<std::string, N> kEmptyRow{};
    list.DeleteAllItems();
    int written = 0;
    for (const Record* record : records) {
        const int row = list.AppendItem(std::string());
        rule(kEmptyRow, *record, writes);
        written += ApplyRowWrites(list, row, writes);
    }
    return written;
}

// Brings row i of `list` in step with record i (the list already has a row per record): only
// the cells whose text differs are written. Returns the number of texts written.
template <std::size_t N, typename Record, typename Rule>
int RewriteRows(CListCtrlCl& list, std::span<const Record* const> records, Rule rule,
                std::array<std::string, N>& shown, std::vector<CellWrite>& writes) {
    int written = 0;
    const int rows = std::min(list.GetItemCount(), static_cast<int>(records.size()));
    for (int row = 0; row < rows; ++row) {
        ReadRow(list, row, shown);
        rule(shown, *records[static_cast<std::size_t>(row)], writes);
        if (!writes.empty()) {
            written += ApplyRowWrites(list, row, writes);
        }
    }
    return written;
}

// The column widths as they are now (the trader may have dragged them).
std::vector<int> ColumnWidths(const CListCtrlCl& list);
// Sets the widths that are given and positive; the others keep theirs.
void SetColumnWidths(CListCtrlCl& list, const std::vector<int>& widths);

}  // namespace ft::ui
