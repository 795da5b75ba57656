// Quote records for tests: `fields` comma-separated fields, each holding its own number, the
// contract code at field 1, and the given fields replaced.
#pragma once

#include <initializer_list>
#include <string>
#include <utility>

namespace ft::testing {

inline std::string QuoteRecordText(int fields, const std::string& code,
                                   std::initializer_list<std::pair<int, const char*>> values) {
    std::string text;
    for (int i = 0; i < fields; ++i) {
        std::string field = i == 1 ? code : std::to_string(i);
        for (const auto& [index, value] : values) {
            if (index == i) {
                field = value;
            }
        }
        text += (i ? "," : "") + field;
    }
    return text;
}

}  // namespace ft::testing
