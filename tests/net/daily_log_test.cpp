#include "net/daily_log.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "support/temp_dir_test.h"

#include "support/local_time.h"
namespace ft {
namespace {

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::time_t Local(int y, int mo, int d, int h, int mi, int s = 0) {
    return testing::LocalTime(y, mo, d, h, mi, s);
}

using DailyLogTest = testing::TempDirTest;

TEST_F(DailyLogTest, FirstEntryCreatesTheDayFileAndLaterOnesAppend) {
    WriteLog("to weituo trade...,post:a=1", Local(2021, 4, 26, 9, 30, 5));
    WriteLog("second", Local(2021, 4, 26, 9, 30, 6));
    EXPECT_EQ(ReadFile(dir / "log20210426.txt"),
              "2021-04-26 09:30:05      to weituo trade...,post:a=1\r\n"
              "2021-04-26 09:30:06      second\r\n");
}

TEST_F(DailyLogTest, MidnightStartsANewFile) {
    WriteLog("late", Local(2021, 4, 26, 23, 59, 59));
    WriteLog("early", Local(2021, 4, 27, 0, 0, 0));
    EXPECT_EQ(ReadFile(dir / "log20210426.txt"), "2021-04-26 23:59:59      late\r\n");
    EXPECT_EQ(ReadFile(dir / "log20210427.txt"), "2021-04-27 00:00:00      early\r\n");
}

TEST_F(DailyLogTest, LineFeedsInsideAMessageBecomeCrLf) {
    WriteLog("a\nb", Local(2021, 4, 26, 1, 2, 3));
    EXPECT_EQ(ReadFile(dir / "log20210426.txt"), "2021-04-26 01:02:03      a\r\nb\r\n");
}

TEST_F(DailyLogTest, AnUnwritableDirectoryLosesTheEntrySilently) {
    setenv("FT_PROGRAM_DIR", (dir / "missing" / "deeper").c_str(), 1);
    WriteLog("lost", Local(2021, 4, 26, 1, 2, 3));
    EXPECT_FALSE(std::filesystem::exists(dir / "missing"));
}

}  // namespace
}  // namespace ft
