// The back-end's flat answer format: records at "|", fields at ",", no quoting.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace ft {

// Appends the pieces of `source` cut at `separator` (which may have several characters) to
// `list`. Always appends at least one piece, also an empty one after a trailing separator.
void SplitText(std::string_view separator, std::string_view source, std::vector<std::string>& list);
// The same, returning views into `source` (no copies) for the hot paths.
std::vector<std::string_view> SplitView(std::string_view separator, std::string_view source);

// The number display rule of every view: 1.500 -> 1.5, 2.000 -> 2, 0.0 -> 0; a text without
// "." or starting with "." is returned unchanged.
std::string TrimZeros(std::string_view text);

}  // namespace ft
