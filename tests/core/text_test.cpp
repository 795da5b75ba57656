#include "core/text.h"

#include <gtest/gtest.h>

#include <limits>

#include <cstring>

namespace ft {
namespace {

TEST(Text, GbkRoundTripOfChineseText) {
    const std::string gbk = Utf8ToGbk("通知");
    EXPECT_EQ(gbk, "\xCD\xA8\xD6\xAA");
    EXPECT_EQ(GbkToUtf8(gbk), "通知");
    EXPECT_EQ(Utf8ToGbk("plain"), "plain");
    EXPECT_EQ(Utf8ToGbk(""), "");
}

TEST(Text, UnrepresentableCharactersBecomeTheDefaultCharacter) {
    // U+1F600 has no GBK form; the conversion goes on after it.
    EXPECT_EQ(Utf8ToGbk("a\xF0\x9F\x98\x80"
                        "b"),
              "a?b");
    // Malformed UTF-8 does not stop the conversion either.
    EXPECT_EQ(Utf8ToGbk("a\xFF"
                        "b"),
              "a?b");
}

TEST(Text, ConversionStopsAtTheFirstZeroByte) {
    EXPECT_EQ(Utf8ToGbk(std::string("ab\0cd", 5)), "ab");
}

TEST(Text, CopyFieldCutsAtACharacterBoundary) {
    char field[6];
    std::memset(field, 'x', sizeof field);
    // Width 6 holds 5 text bytes: "a" and two 2-byte characters fit exactly.
    CopyField(field, sizeof field, "a" + Ansi("通知"));
    EXPECT_EQ(std::string(field), "a" + Ansi("通知"));
    // "ab通知" is 6 bytes: the second character would be split, so it is dropped whole.
    CopyField(field, sizeof field, "ab" + Ansi("通知"));
    EXPECT_EQ(std::string(field), "ab" + Ansi("通"));
    EXPECT_EQ(field[4], '\0');
    EXPECT_EQ(field[5], '\0');
}

TEST(Text, NumberConversionFollowsAtoiAndAtof) {
    struct Case {
        const char* text;
        long long i;
        double d;
    } cases[] = {
        {"", 0, 0},   {"12", 12, 12},   {" 12abc", 12, 12}, {"-3.75", -3, -3.75},   {"abc", 0, 0},
        {"+7", 7, 7}, {"1e3", 1, 1000}, {"0.5", 0, 0.5},    {"3500.0", 3500, 3500},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ToInt(c.text), c.i) << c.text;
        EXPECT_DOUBLE_EQ(ToDouble(c.text), c.d) << c.text;
    }
    // Out of range, as atof: overflow gives infinity, underflow a value of about 0.
    EXPECT_EQ(ToDouble("1e400"), std::numeric_limits<double>::infinity());
    EXPECT_EQ(ToDouble("-1e400"), -std::numeric_limits<double>::infinity());
    EXPECT_NEAR(ToDouble("1e-400"), 0.0, 1e-300);
}

TEST(Text, FixedFormattingRoundsLikePrintf) {
    EXPECT_EQ(FormatFixed(12.345, 2), "12.35");  // 12.345 is stored slightly above
    EXPECT_EQ(FormatFixed(2.675, 2), "2.67");    // and 2.675 slightly below
    EXPECT_EQ(FormatFixed(-0.004, 2), "-0.00");
    EXPECT_EQ(FormatFixed(31.25, 1), "31.2");  // ties go to even, as printf does
    EXPECT_EQ(FormatFixed(960, 0), "960");
}

TEST(Text, OnlyOneSignStartsANumberAndNanOrInfinityIsNoNumber) {
    // A typed stop price "--3400" must not arm at 3400, nor "+-5" read as -5.
    for (const char* text :
         {"--5", "+-5", "-+5", "- 5", "nan", "-nan", "inf", " -inf", "Infinity", "NAN(1)"}) {
        EXPECT_EQ(ToDouble(text), 0.0) << text;
        EXPECT_EQ(ToInt(text), 0) << text;
    }
    EXPECT_DOUBLE_EQ(ToDouble("-.5"), -0.5);
    EXPECT_DOUBLE_EQ(ToDouble(" +3400x"), 3400);
}

TEST(Text, IntegersKeepEveryDigitAndSaturateLikeStrtoll) {
    EXPECT_EQ(ToInt("9223372036854775807"), std::numeric_limits<long long>::max());
    EXPECT_EQ(ToInt("9223372036854775806"), std::numeric_limits<long long>::max() - 1);
    EXPECT_EQ(ToInt("1234567890123456789"), 1234567890123456789LL);
    EXPECT_EQ(ToInt("-9223372036854775808"), std::numeric_limits<long long>::min());
    EXPECT_EQ(ToInt("99999999999999999999"), std::numeric_limits<long long>::max());
    EXPECT_EQ(ToInt("-99999999999999999999"), std::numeric_limits<long long>::min());
}

}  // namespace
}  // namespace ft
