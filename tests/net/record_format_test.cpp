#include "core/record_format.h"

#include <gtest/gtest.h>

namespace ft {
namespace {

TEST(SplitText, AlwaysYieldsAtLeastOnePiece) {
    struct Case {
        const char* separator;
        const char* source;
        std::vector<std::string> pieces;
    } cases[] = {
        {"|", "", {""}},
        {"|", "a|b", {"a", "b"}},
        {"|", "a|", {"a", ""}},
        {"|", "|a", {"", "a"}},
        {",", "a,,b", {"a", "", "b"}},
        {"||", "x**y||1", {"x**y", "1"}},
        {"**", "a**b**", {"a", "b", ""}},
        {"||", "a|b", {"a|b"}},
    };
    for (const auto& c : cases) {
        std::vector<std::string> list;
        SplitText(c.separator, c.source, list);
        EXPECT_EQ(list, c.pieces) << c.source;
    }
}

TEST(SplitText, AppendsToTheGivenList) {
    std::vector<std::string> list{"kept"};
    SplitText(",", "a,b", list);
    EXPECT_EQ(list, (std::vector<std::string>{"kept", "a", "b"}));
}

TEST(SplitText, RecordFieldsComeAsSplitTextWouldCutThem) {
    for (const char* text : {"", "a", "a,b|", "|", "a||b,c", "1,2,3|4,5,6|,,", ",|,"}) {
        std::vector<std::vector<std::string>> read;
        ForEachRecordFields(text, [&](std::span<const std::string_view> fields) {
            read.emplace_back(fields.begin(), fields.end());
        });
        std::vector<std::string> records;
        SplitText("|", text, records);
        ASSERT_EQ(read.size(), records.size()) << text;
        for (std::size_t i = 0; i < records.size(); ++i) {
            std::vector<std::string> fields;
            SplitText(",", records[i], fields);
            EXPECT_EQ(read[i], fields) << text;
        }
    }
}

TEST(TrimZeros, DropsTrailingZerosAfterAPointOnly) {
    struct Case {
        const char* in;
        const char* out;
    } cases[] = {
        {"1.500", "1.5"},    {"2.000", "2"},    {"0.0", "0"},     {"100", "100"},
        {"2300.00", "2300"}, {"12.50", "12.5"}, {".500", ".500"}, {"", ""},
        {"3500.0", "3500"},  {"-0.50", "-0.5"}, {"10", "10"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TrimZeros(c.in), c.out) << c.in;
    }
}

}  // namespace
}  // namespace ft
