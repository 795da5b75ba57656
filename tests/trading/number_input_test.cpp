#include "trading/number_input.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/text.h"

namespace ft {
namespace {

TEST(NumberInputTest, PricesAreFinitePositivePlainDecimalsWithinTheTick) {
    for (const char* good : {"3500", "3500.2", "0.5", "3500.25", "007"}) {
        EXPECT_EQ(CheckNumber(NumberKind::Price, good, 2), "") << good;
        EXPECT_TRUE(NumberMayGrow(NumberKind::Price, good, 2)) << good;
    }
    // Texts a reader might take for another number than the one sent, or for none at all.
    for (const char* bad :
         {"nan", "NaN", "inf", "-inf", "1e400", "1e3", "-1", "+1", "3500..", "3500.1.", ".5", "0",
          "0.00", " 3500", "3500 ", "0x10", "1234567890", "3,500", "3500.125"}) {
        EXPECT_NE(CheckNumber(NumberKind::Price, bad, 2), "") << bad;
    }
    // Still being typed: "3500." and "" may become good; "3500.." and letters never do.
    EXPECT_TRUE(NumberMayGrow(NumberKind::Price, "", 2));
    EXPECT_TRUE(NumberMayGrow(NumberKind::Price, "3500.", 2));
    EXPECT_NE(CheckNumber(NumberKind::Price, "3500.", 2), "");
    for (const char* never : {"3500..", "nan", "-", "1e", "3500.125", "1234567890"}) {
        EXPECT_FALSE(NumberMayGrow(NumberKind::Price, never, 2)) << never;
    }
    // A whole-number tick takes no decimals at all.
    EXPECT_FALSE(NumberMayGrow(NumberKind::Price, "3500.", 0));
    EXPECT_NE(CheckNumber(NumberKind::Price, "3500.5", 0), "");
    EXPECT_EQ(CheckNumber(NumberKind::Price, "", 2), Ansi("请输入价格"));
}

TEST(NumberInputTest, AMessageQuotesALongInputByItsStartOnly) {
    EXPECT_EQ(CheckNumber(NumberKind::Price, "3500..", 2), Ansi("价格不是有效的数字: 3500.."));
    // A pasted page, GBK, whose 32nd byte is the first half of a character.
    std::string page = "3500.5e";
    while (page.size() < 5000) {
        page += Ansi("中") + "9";
    }
    for (const NumberKind kind : {NumberKind::Price, NumberKind::Lots}) {
        const std::string message = CheckNumber(kind, page, 2);
        const std::string lead =
            Ansi(kind == NumberKind::Lots ? "手数必须是正整数: " : "价格不是有效的数字: ");
        ASSERT_EQ(message.rfind(lead, 0), 0u) << message;
        const std::string quoted = message.substr(lead.size());
        EXPECT_EQ(quoted, page.substr(0, 31) + Ansi("…")) << "cut before the half character";
        EXPECT_EQ(GbkToUtf8(quoted).find("\xEF\xBF\xBD"), std::string::npos);
    }
}

TEST(NumberInputTest, LotsAreWholeNumbersFromOneToTheBound) {
    for (const char* good : {"1", "25", "10000"}) {
        EXPECT_EQ(CheckNumber(NumberKind::Lots, good, 0), "") << good;
    }
    for (const char* bad :
         {"0", "00", "-1", "1.5", "1.", "10001", "nan", "1e3", "99999999999999999999"}) {
        EXPECT_NE(CheckNumber(NumberKind::Lots, bad, 0), "") << bad;
    }
    EXPECT_FALSE(NumberMayGrow(NumberKind::Lots, "1.", 0));
    EXPECT_FALSE(NumberMayGrow(NumberKind::Lots, "10001", 0));
    EXPECT_TRUE(NumberMayGrow(NumberKind::Lots, "", 0));
}

TEST(NumberInputTest, TheTickGivesTheDecimals) {
    ProductTable products{};
    const std::vector<std::pair<const char*, const char*>> ticks = {
        {"rb2705", "1"}, {"au2706", "0.02"}, {"ag2706", "0.50"}, {"bad", "x"}, {"none", ""}};
    for (std::size_t i = 0; i < ticks.size(); ++i) {
        CopyField(products.rows[i].contractCode, 16, ticks[i].first);
        CopyField(products.rows[i].tickSize, 8, ticks[i].second);
    }
    EXPECT_EQ(TickDecimals(products, "rb2705"), 0);
    EXPECT_EQ(TickDecimals(products, "au2706"), 2);
    EXPECT_EQ(TickDecimals(products, "ag2706"), 1);
    EXPECT_EQ(TickDecimals(products, "bad"), kAnyTickDecimals);
    EXPECT_EQ(TickDecimals(products, "none"), kAnyTickDecimals);
    EXPECT_EQ(TickDecimals(products, "missing"), kAnyTickDecimals);
}

}  // namespace
}  // namespace ft
