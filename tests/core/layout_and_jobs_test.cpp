#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "core/job_group.h"
#include "core/layout_store.h"
#include "platform/paths.h"

#include "support/temp_dir_test.h"

namespace ft {
namespace {

TEST(JobGroupTest, RunsJobsAsideAndWaitsForAllOfThem) {
    std::atomic<int> done{0};
    JobGroup group;
    const auto started = std::chrono::steady_clock::now();
    for (int i = 0; i < 4; ++i) {
        group.Run([&done] {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            ++done;
        });
    }
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(80))
        << "Run returns at once";
    EXPECT_EQ(group.Running(), 4u);
    EXPECT_FALSE(group.WaitIdleFor(10));
    group.WaitIdle();
    EXPECT_EQ(done, 4);
    EXPECT_EQ(group.Running(), 0u);
    // Parallel, not one after the other.
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(350));
}

TEST(JobGroupTest, DestroyingTheGroupWaitsForItsJobs) {
    std::atomic<bool> finished{false};
    {
        JobGroup group;
        group.Run([&finished] {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            finished = true;
        });
    }
    EXPECT_TRUE(finished);
}

TEST(LayoutListTest, IntegerListsRoundTripAndAnythingElseIsEmpty) {
    EXPECT_EQ(ParseIntList("220,240,300"), (std::vector<int>{220, 240, 300}));
    EXPECT_EQ(ParseIntList("0"), (std::vector<int>{0}));
    EXPECT_EQ(IntListText({70, 90, 60}), "70,90,60");
    EXPECT_EQ(ParseIntList(IntListText({1, -2, 3})), (std::vector<int>{1, -2, 3}));
    for (const char* bad : {"", "a", "1,,2", "1,", "1;2", "99999999999", "1 2"}) {
        EXPECT_TRUE(ParseIntList(bad).empty()) << bad;
    }
}

using LayoutFileTest = testing::TempDirTest;

TEST_F(LayoutFileTest, WithoutTheFileNothingIsRestored) {
    const SavedLayout layout = ReadLayout({"main"}, {"quote_board"});
    EXPECT_FALSE(layout.maximized);
    EXPECT_TRUE(layout.normalGeometry.empty());
    EXPECT_TRUE(layout.splitters.empty());
    EXPECT_TRUE(layout.columns.empty());
}

TEST_F(LayoutFileTest, WhatIsWrittenIsReadBackAndBrokenValuesAreIgnored) {
    SavedLayout layout;
    layout.maximized = false;
    layout.normalGeometry = {10, 20, 1024, 690};
    layout.splitters["main"] = {220, 400, 300};
    layout.columns["quote_board"] = {70, 90, 70};
    ASSERT_TRUE(WriteLayout(layout));
    EXPECT_FALSE(std::filesystem::exists(dir / ("layout.ini.tmp" + std::to_string(::getpid()))))
        << "written through a temporary file that is renamed";

    SavedLayout read = ReadLayout({"main", "middle"}, {"quote_board"});
    EXPECT_EQ(read.maximized, std::optional<bool>(false));
    EXPECT_EQ(read.normalGeometry, layout.normalGeometry);
    EXPECT_EQ(read.splitters, layout.splitters);
    EXPECT_EQ(read.columns, layout.columns);

    std::ofstream(dir / "layout.ini") << "[window]\nmaximized=yes\ngeometry=1,2,3\n"
                                         "[splitters]\nmain=220,x\n";
    read = ReadLayout({"main"}, {});
    EXPECT_FALSE(read.maximized);
    EXPECT_TRUE(read.normalGeometry.empty());
    EXPECT_TRUE(read.splitters.empty());
}

}  // namespace
}  // namespace ft
