#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "core/list_table.h"

namespace ft {
namespace {

// Applies the steps to a list of keys as a list would.
std::vector<std::string> Apply(std::vector<std::string> keys, const std::vector<RowStep>& steps,
                               const std::vector<std::string_view>& wanted) {
    for (const RowStep& step : steps) {
        switch (step.kind) {
            case RowStep::Remove:
                keys.erase(keys.begin() + step.row);
                break;
            case RowStep::Insert:
                keys.insert(keys.begin() + step.row, "?");
                break;
            case RowStep::Move: {
                std::string key = keys[static_cast<std::size_t>(step.row)];
                keys.erase(keys.begin() + step.row);
                keys.insert(keys.begin() + (step.before > step.row ? step.before - 1 : step.before),
                            key);
                break;
            }
        }
    }
    // Inserted rows get their keys from the wanted order.
    for (std::size_t i = 0; i < keys.size() && i < wanted.size(); ++i) {
        if (keys[i] == "?") {
            keys[i] = std::string(wanted[i]);
        }
    }
    return keys;
}

int CountOf(const std::vector<RowStep>& steps, RowStep::Kind kind) {
    return static_cast<int>(std::count_if(steps.begin(), steps.end(),
                                          [kind](const RowStep& s) { return s.kind == kind; }));
}

struct PlanCase {
    std::vector<std::string> shown;
    std::vector<std::string_view> wanted;
    int removes, inserts, moves;
};

TEST(KeyedRowsPlanTest, ReachesTheWantedOrderWithTheFewestSteps) {
    const PlanCase cases[] = {
        {{}, {}, 0, 0, 0},
        {{"a", "b"}, {"a", "b"}, 0, 0, 0},
        {{}, {"a", "b", "c"}, 0, 3, 0},
        {{"a", "b"}, {"a", "b", "c"}, 0, 1, 0},
        {{"a", "b", "c"}, {}, 3, 0, 0},
        {{"a", "b", "c"}, {"a", "c"}, 1, 0, 0},
        {{"a", "b", "c", "d"}, {"b", "c", "d", "a"}, 0, 0, 1},  // top row to the bottom
        {{"a", "b", "c", "d"}, {"d", "a", "b", "c"}, 0, 0, 1},  // bottom row to the top
        {{"a", "b", "c"}, {"c", "b", "a"}, 0, 0, 2},
        {{"a", "b", "c", "d"}, {"d", "a", "e", "c"}, 1, 1, 1},
        {{"x", "a", "y", "b"}, {"b", "z", "a"}, 2, 1, 1},
        // Equal keys pair up in order: the second "a" goes, the first moves below "b".
        {{"a", "b", "a"}, {"b", "a"}, 1, 0, 1},
        {{"a", "a"}, {"a", "a", "a"}, 0, 1, 0},
    };
    for (const PlanCase& c : cases) {
        const std::vector<RowStep> steps = PlanKeyedRows(c.shown, c.wanted);
        const std::vector<std::string> result = Apply(c.shown, steps, c.wanted);
        EXPECT_EQ(result, std::vector<std::string>(c.wanted.begin(), c.wanted.end()))
            << ::testing::PrintToString(c.shown);
        EXPECT_EQ(CountOf(steps, RowStep::Remove), c.removes) << ::testing::PrintToString(c.shown);
        EXPECT_EQ(CountOf(steps, RowStep::Insert), c.inserts) << ::testing::PrintToString(c.shown);
        EXPECT_EQ(CountOf(steps, RowStep::Move), c.moves) << ::testing::PrintToString(c.shown);
    }
}

TEST(KeyedRowsPlanTest, AShuffleOfAThousandRowsMovesOnlyTheRowsOutOfOrder) {
    std::vector<std::string> shown;
    shown.reserve(1000);
    for (int i = 0; i < 1000; ++i) {
        shown.push_back("C" + std::to_string(i));
    }
    // Every tenth row goes to the end, in reverse; the rest keep their order.
    std::vector<std::string> order;
    std::vector<std::string> tail;
    for (int i = 0; i < 1000; ++i) {
        (i % 10 == 0 ? tail : order).push_back(shown[static_cast<std::size_t>(i)]);
    }
    order.insert(order.end(), tail.rbegin(), tail.rend());
    const std::vector<std::string_view> wanted(order.begin(), order.end());
    const std::vector<RowStep> steps = PlanKeyedRows(shown, wanted);
    EXPECT_EQ(Apply(shown, steps, wanted), order);
    EXPECT_EQ(CountOf(steps, RowStep::Move), 100);
    EXPECT_EQ(steps.size(), 100u);
}

}  // namespace
}  // namespace ft
