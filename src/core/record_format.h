// The back-end's flat answer format: records at "|", fields at ",", no quoting.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace ft {

// Appends the pieces of `source` cut at `separator` (which may have several characters) to
// `list`. Always appends at least one piece, also an empty one after a trailing separator.
void SplitText(std::string_view separator, std::string_view source, std::vector<std::string>& list);
// The same, returning views into `source` (no copies) for the hot paths.
std::vector<std::string_view> SplitView(std::string_view separator, std::string_view source);

// Calls `fn(fields)` with the fields (at ",") of every record (at "|") of `text`, in order, each
// record read in place when its turn comes: an answer of millions of separators never becomes
// millions of strings at once.
template <typename Fn>
void ForEachRecordFields(std::string_view text, Fn fn) {
    std::vector<std::string_view> fields;
    while (true) {
        const std::size_t end = text.find('|');
        const std::string_view record = text.substr(0, end);
        fields.clear();
        for (std::size_t start = 0;;) {
            const std::size_t comma = record.find(',', start);
            fields.push_back(
                record.substr(start, comma == std::string_view::npos ? comma : comma - start));
            if (comma == std::string_view::npos) {
                break;
            }
            start = comma + 1;
        }
        fn(std::span<const std::string_view>(fields));
        if (end == std::string_view::npos) {
            return;
        }
        text.remove_prefix(end + 1);
    }
}

// The number display rule of every view: 1.500 -> 1.5, 2.000 -> 2, 0.0 -> 0; a text without
// "." or starting with "." is returned unchanged.
std::string TrimZeros(std::string_view text);

}  // namespace ft
