#include "core/list_table.h"

#include <algorithm>
#include <unordered_map>

namespace ft {

std::string AlignmentText(std::span<const ColumnSpec> columns) {
    std::string text;
    text.reserve(columns.size());
    for (const ColumnSpec& column : columns) {
        text += static_cast<char>(column.align);
    }
    return text;
}

namespace {

// Marks the values of the longest strictly increasing run (not necessarily contiguous) of
// `values`; the result is indexed by value, `size` long.
std::vector<bool> LongestIncreasing(const std::vector<int>& values, std::size_t size) {
    std::vector<int> tails;  // index into values of the smallest tail of each run length
    std::vector<int> previous(values.size(), -1);
    for (std::size_t i = 0; i < values.size(); ++i) {
        auto at = std::lower_bound(tails.begin(), tails.end(), values[i],
                                   [&values](int t, int v) { return values[t] < v; });
        if (at != tails.begin()) {
            previous[i] = *(at - 1);
        }
        if (at == tails.end()) {
            tails.push_back(static_cast<int>(i));
        } else {
            *at = static_cast<int>(i);
        }
    }
    std::vector<bool> kept(size, false);
    for (int i = tails.empty() ? -1 : tails.back(); i >= 0; i = previous[i]) {
        kept[static_cast<std::size_t>(values[i])] = true;
    }
    return kept;
}

}  // namespace

std::vector<RowStep> PlanKeyedRows(std::span<const std::string> shown,
                                   std::span<const std::string_view> wanted) {
    // Each shown row becomes the index of the wanted row it is, or -1.
    std::unordered_map<std::string_view, std::vector<int>> wantedAt;
    for (std::size_t w = 0; w < wanted.size(); ++w) {
        wantedAt[wanted[w]].push_back(static_cast<int>(w));
    }
    std::unordered_map<std::string_view, std::size_t> taken;
    std::vector<int> rows;
    rows.reserve(shown.size());
    for (const std::string& key : shown) {
        auto it = wantedAt.find(key);
        std::size_t& n = taken[key];
        rows.push_back(it != wantedAt.end() && n < it->second.size() ? it->second[n] : -1);
        ++n;
    }

    std::vector<RowStep> steps;
    for (int r = static_cast<int>(rows.size()) - 1; r >= 0; --r) {
        if (rows[static_cast<std::size_t>(r)] < 0) {
            steps.push_back({RowStep::Remove, r});
            rows.erase(rows.begin() + r);
        }
    }
    const int count = static_cast<int>(wanted.size());
    std::size_t same = 0;  // the rows already in place at the top are left alone
    while (same < rows.size() && rows[same] == static_cast<int>(same)) {
        ++same;
    }
    if (same == rows.size() && rows.size() == wanted.size()) {
        return steps;
    }
    std::vector<bool> present(wanted.size(), false);
    for (int w : rows) {
        present[static_cast<std::size_t>(w)] = true;
    }
    const std::vector<bool> kept = LongestIncreasing(rows, wanted.size());

    // From the bottom up, each wanted row is put just before the one that follows it.
    int anchor = static_cast<int>(rows.size());
    for (int w = count - 1; w >= static_cast<int>(same); --w) {
        const auto wi = static_cast<std::size_t>(w);
        if (!present[wi]) {
            steps.push_back({RowStep::Insert, anchor});
            rows.insert(rows.begin() + anchor, w);
        } else if (!kept[wi]) {
            const int from =
                static_cast<int>(std::find(rows.begin(), rows.end(), w) - rows.begin());
            steps.push_back({RowStep::Move, from, anchor});
            rows.erase(rows.begin() + from);
            anchor = from < anchor ? anchor - 1 : anchor;
            rows.insert(rows.begin() + anchor, w);
        } else {
            // Rows still to be moved may stand between it and its follower: look back.
            int at = anchor - 1;
            while (rows[static_cast<std::size_t>(at)] != w) {
                --at;
            }
            anchor = at;
        }
    }
    return steps;
}

}  // namespace ft
