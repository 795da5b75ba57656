// The shared kit of the list panels: a list built from its column table, the market lists'
// look, rows read and filled, and a row rule's writes applied. A list panel is its column
// table, its row rule and these.
#pragma once

#include <QColor>
#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
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

// The same as views into the list's cells, valid until the list changes.
template <std::size_t N>
void ReadRow(const CListCtrlCl& list, int row, std::array<std::string_view, N>& shown) {
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

// A list that shows rows of a published session table, one row per record, written by a row
// rule `rule(shown, record, writes)`. It keeps the table it last showed, so a tick over a table
// that was not replaced costs nothing, and after a reload only the rows whose record changed
// are compared cell by cell.
template <typename Record, std::size_t N>
class TableRows {
public:
    using Rule = void (*)(const std::array<std::string_view, N>&, const Record&,
                          std::vector<CellWrite>&);
    explicit TableRows(Rule rule) : rule_(rule) {}

    // Whether the list shows rows of exactly this table.
    bool Shows(const void* table) const { return table && table == table_.get(); }
    std::size_t Count() const { return records_.size(); }

    // Rebuilds the list from `records` (rows of `table`, which is kept while they are shown).
    // Returns the number of texts written.
    int Fill(CListCtrlCl& list, std::shared_ptr<const void> table,
             std::vector<const Record*> records) {
        static const std::array<std::string_view, N> kEmptyRow{};
        table_ = std::move(table);
        records_ = std::move(records);
        list.DeleteAllItems();
        int row = list.AppendItems(static_cast<int>(records_.size()));
        int written = 0;
        for (const Record* record : records_) {
            rule_(kEmptyRow, *record, writes_);
            written += ApplyRowWrites(list, row++, writes_);
        }
        return written;
    }

    // Brings the rows in step with as many records (rows of `table`): a row whose record is the
    // same as before is left alone, any other gets the writes of its cells that differ. Returns
    // the number of texts written.
    int Update(CListCtrlCl& list, std::shared_ptr<const void> table,
               std::vector<const Record*> records) {
        int written = 0;
        const std::size_t rows = std::min(
            {records.size(), records_.size(), static_cast<std::size_t>(list.GetItemCount())});
        for (std::size_t i = 0; i < rows; ++i) {
            // The fields are zero-filled after their text, so equal bytes are equal records.
            if (std::memcmp(records[i], records_[i], sizeof(Record)) == 0) {
                continue;
            }
            const int row = static_cast<int>(i);
            ReadRow(list, row, shown_);
            rule_(shown_, *records[i], writes_);
            written += ApplyRowWrites(list, row, writes_);
        }
        table_ = std::move(table);
        records_ = std::move(records);
        return written;
    }

private:
    Rule rule_;
    std::shared_ptr<const void> table_;
    std::vector<const Record*> records_;
    std::array<std::string_view, N> shown_{};
    std::vector<CellWrite> writes_;
};

// The column widths as they are now (the trader may have dragged them).
std::vector<int> ColumnWidths(const CListCtrlCl& list);
// Sets the widths that are given and positive; the others keep theirs.
void SetColumnWidths(CListCtrlCl& list, const std::vector<int>& widths);

}  // namespace ft::ui
