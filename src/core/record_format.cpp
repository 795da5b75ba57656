#include "core/record_format.h"

namespace ft {

std::vector<std::string_view> SplitView(std::string_view separator, std::string_view source) {
    std::vector<std::string_view> pieces;
    if (separator.empty()) {
        pieces.push_back(source);
        return pieces;
    }
    std::size_t start = 0;
    while (true) {
        std::size_t pos = source.find(separator, start);
        if (pos == std::string_view::npos) {
            pieces.push_back(source.substr(start));
            return pieces;
        }
        pieces.push_back(source.substr(start, pos - start));
        start = pos + separator.size();
    }
}

void SplitText(std::string_view separator, std::string_view source,
               std::vector<std::string>& list) {
    for (auto piece : SplitView(separator, source)) {
        list.emplace_back(piece);
    }
}

std::string TrimZeros(std::string_view text) {
    std::size_t dot = text.find('.');
    if (dot == std::string_view::npos || dot == 0) {
        return std::string(text);
    }
    while (text.size() > dot + 1 && text.back() == '0') {
        text.remove_suffix(1);
    }
    if (text.back() == '.') {
        text.remove_suffix(1);
    }
    return std::string(text);
}

}  // namespace ft
