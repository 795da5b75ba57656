// The shared kit of the list panels: a list built from its column table, the market lists'
// look, rows read and filled, and a row rule's writes applied. A list panel is its column
// table, its row rule and these.
#pragma once

#include <QColor>
#include <algorithm>
#include <array>
#include <concepts>
#include <cstring>
#include <memory>
#include <optional>
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
    // The record row `row` shows (kept alive with its table), or nullptr.
    const Record* At(int row) const {
        return row >= 0 && static_cast<std::size_t>(row) < records_.size()
                   ? records_[static_cast<std::size_t>(row)]
                   : nullptr;
    }

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
        const int written = Refresh(list, records);
        table_ = std::move(table);
        records_ = std::move(records);
        return written;
    }

    // The same for any number of records: the rows in common as Update does, rows past the
    // last record deleted, and the new records' rows appended (a fill arriving costs one row,
    // not a rebuilt list). Returns the number of texts written.
    int Sync(CListCtrlCl& list, std::shared_ptr<const void> table,
             std::vector<const Record*> records) {
        static const std::array<std::string_view, N> kEmptyRow{};
        const auto wanted = static_cast<int>(records.size());
        while (list.GetItemCount() > wanted) {
            list.DeleteItem(list.GetItemCount() - 1);
        }
        int written = Refresh(list, records);
        const int have = list.GetItemCount();
        int row = list.AppendItems(wanted - have);
        for (std::size_t i = static_cast<std::size_t>(have); i < records.size(); ++i) {
            rule_(kEmptyRow, *records[i], writes_);
            written += ApplyRowWrites(list, row++, writes_);
        }
        table_ = std::move(table);
        records_ = std::move(records);
        return written;
    }

private:
    // Rewrites the rows in common whose record differs from the one shown.
    int Refresh(CListCtrlCl& list, const std::vector<const Record*>& records) {
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
        return written;
    }

    Rule rule_;
    std::shared_ptr<const void> table_;
    std::vector<const Record*> records_;
    std::array<std::string_view, N> shown_{};
    std::vector<CellWrite> writes_;
};

// A list over rows the client keeps itself (not a published table), each row keyed by a
// string: the quote board's contracts, the positions by position id. Given the records in row
// order, it inserts, removes and moves rows so the keys stand in that order, and runs the row
// rule `rule(shown, record, writes)` only on rows whose record differs from the one it last
// wrote; the rule's unchanged cells are not written. Rows carry their colours when they move.
template <typename Record, std::size_t N>
class KeyedRows {
public:
    using Rule = void (*)(const std::array<std::string_view, N>&, const Record&,
                          std::vector<CellWrite>&);
    using Key = std::string_view (*)(const Record&);
    KeyedRows(Rule rule, Key key) : rule_(rule), key_(key) {}

    std::size_t Count() const { return keys_.size(); }

    // Brings the list in step with `records`; returns the number of texts written.
    int Update(CListCtrlCl& list, std::span<const Record> records) {
        if (!SameKeys(records)) {
            Arrange(list, records);
        }
        int written = 0;
        for (std::size_t i = 0; i < records.size(); ++i) {
            if (written_[i] && Same(*written_[i], records[i])) {
                continue;
            }
            const int row = static_cast<int>(i);
            ReadRow(list, row, shown_);
            rule_(shown_, records[i], writes_);
            written += list.WriteRow(row, writes_);
            written_[i] = records[i];
        }
        return written;
    }

    // Empties the list.
    void Clear(CListCtrlCl& list) {
        list.DeleteAllItems();
        keys_.clear();
        written_.clear();
    }

private:
    static bool Same(const Record& a, const Record& b) {
        if constexpr (std::equality_comparable<Record>) {
            return a == b;
        } else {
            // Fixed-width records are zero-filled after their text: equal bytes, equal records.
            return std::memcmp(&a, &b, sizeof(Record)) == 0;
        }
    }
    bool SameKeys(std::span<const Record> records) const {
        if (records.size() != keys_.size()) {
            return false;
        }
        for (std::size_t i = 0; i < records.size(); ++i) {
            if (key_(records[i]) != keys_[i]) {
                return false;
            }
        }
        return true;
    }
    void Arrange(CListCtrlCl& list, std::span<const Record> records) {
        std::vector<std::string_view> wanted;
        wanted.reserve(records.size());
        for (const Record& record : records) {
            wanted.push_back(key_(record));
        }
        // Rows added below the ones shown (a list filled row by row) need no plan.
        const bool appended =
            wanted.size() > keys_.size() &&
            std::equal(keys_.begin(), keys_.end(), wanted.begin(),
                       [](const std::string& shown, std::string_view key) { return shown == key; });
        const std::vector<RowStep> steps =
            appended ? std::vector<RowStep>(wanted.size() - keys_.size(),
                                            {RowStep::Insert, static_cast<int>(keys_.size())})
                     : PlanKeyedRows(keys_, wanted);
        for (std::size_t s = 0; s < steps.size(); ++s) {
            const RowStep& step = steps[s];
            const auto at = static_cast<std::ptrdiff_t>(step.row);
            switch (step.kind) {
                case RowStep::Remove:
                    list.DeleteRowWithColours(step.row);
                    keys_.erase(keys_.begin() + at);
                    written_.erase(written_.begin() + at);
                    break;
                case RowStep::Insert: {
                    // Inserts at one place come in a run (bottom first): one insertion.
                    std::size_t run = 1;
                    while (s + run < steps.size() && steps[s + run].kind == RowStep::Insert &&
                           steps[s + run].row == step.row) {
                        ++run;
                    }
                    s += run - 1;
                    list.InsertRowsWithColours(step.row, static_cast<int>(run));
                    keys_.insert(keys_.begin() + at, run, std::string());
                    written_.insert(written_.begin() + at, run, std::nullopt);
                    break;
                }
                case RowStep::Move: {
                    list.MoveRow(step.row, step.before);
                    const std::ptrdiff_t to =
                        step.before > step.row ? step.before - 1 : step.before;
                    MoveEntry(keys_, at, to);
                    MoveEntry(written_, at, to);
                    break;
                }
            }
        }
        for (std::size_t i = 0; i < records.size(); ++i) {
            keys_[i] = wanted[i];
        }
    }
    template <typename T>
    static void MoveEntry(std::vector<T>& v, std::ptrdiff_t from, std::ptrdiff_t to) {
        if (from < to) {
            std::rotate(v.begin() + from, v.begin() + from + 1, v.begin() + to + 1);
        } else {
            std::rotate(v.begin() + to, v.begin() + from, v.begin() + from + 1);
        }
    }

    Rule rule_;
    Key key_;
    std::vector<std::string> keys_;
    std::vector<std::optional<Record>> written_;  // the record each row last got writes from
    std::array<std::string_view, N> shown_{};
    std::vector<CellWrite> writes_;
};

// Keeps a list's column widths in layout.ini under `name`: the saved widths are applied now,
// and a resize is written once the trader has stopped dragging (as the splitters are).
void KeepColumnWidths(CListCtrlCl& list, const std::string& name);
// Whether a resize of the kept list still waits to be written (for tests).
bool ColumnWidthWritePending(const CListCtrlCl& list);

// The column widths as they are now (the trader may have dragged them).
std::vector<int> ColumnWidths(const CListCtrlCl& list);
// Sets the widths that are given and positive; the others keep theirs.
void SetColumnWidths(CListCtrlCl& list, const std::vector<int>& widths);

}  // namespace ft::ui
