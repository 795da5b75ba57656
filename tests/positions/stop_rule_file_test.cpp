#include "positions/stop_rule_file.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/text.h"
#include "support/temp_dir_test.h"

#include "support/local_time.h"
namespace ft {
namespace {

std::time_t Local(int y, int mo, int d, int h, int mi, int s = 0) {
    return testing::LocalTime(y, mo, d, h, mi, s);
}

std::string Quote(const std::string& last) {
    std::vector<std::string> f(22, "0");
    f[1] = "rb2705";
    f[4] = last;
    f[16] = "3770";
    f[17] = "3230";
    std::string text;
    for (std::size_t i = 0; i < f.size(); ++i)
        text += (i ? "," : "") + f[i];
    return text;
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

class StopRuleFileTest : public ft::testing::TempDirTest {
protected:
    void SetUp() override {
        TempDirTest::SetUp();
        path = StopRuleFilePath("demo", ServerMode::IntradayFirstRound);
    }
    // Rules of position `id` saved at `when`.
    void SaveAt(std::time_t when, const std::string& id, const char* stopLoss,
                const char* lots = "1") {
        ASSERT_TRUE(SaveStopRules(table, "rb2705", Ansi("买"), id, Quote("3500"),
                                  {RuleGridRow{"", stopLoss, lots, "3600", "2"}}, when)
                        .message.empty());
    }

    std::string path;
    StopRuleTable table;
};

TEST_F(StopRuleFileTest, OneFilePerAccountAndModeBesideTheProgram) {
    EXPECT_EQ(path, (dir / "stoprules-0-demo.txt").string());
    EXPECT_NE(StopRuleFilePath("demo", ServerMode::Cooperation), path);
    const std::string odd = StopRuleFilePath("../a b/" + Ansi("张"), ServerMode::SecondRound);
    EXPECT_EQ(std::filesystem::path(odd).parent_path(), dir) << odd;
}

TEST_F(StopRuleFileTest, RulesSavedTodayComeBackInTheirSlotsForPositionsThatStillExist) {
    const std::time_t morning = Local(2026, 12, 8, 10, 0);
    SaveAt(morning, "9001", "3450");
    SaveAt(morning, "9002", "3440");
    SaveAt(morning, "9003", "3430");
    table.ClearSlot(1);  // a free slot between taken ones
    ASSERT_TRUE(WriteStopRuleFile(path, table));

    StopRuleTable restored;
    EXPECT_EQ(RestoreStopRules(path, {"9001", "9003"}, Local(2026, 12, 8, 14, 59), restored), 2);
    EXPECT_TRUE(restored.Slots()[0].BelongsTo("9001"));
    EXPECT_FALSE(restored.Slots()[1].Taken());
    EXPECT_TRUE(restored.Slots()[2].BelongsTo("9003"));
    EXPECT_EQ(std::memcmp(&restored.Slots()[2], &table.Slots()[2], sizeof(StopRule)), 0)
        << "every field as it was saved";
    EXPECT_EQ(LiveRuleColumns(restored, "9003"), (RuleColumns{"3430/1", "3600/2"}));

    // A position that vanished leaves its rules out.
    EXPECT_EQ(RestoreStopRules(path, {"9003"}, Local(2026, 12, 8, 14, 59), restored), 1);
    EXPECT_FALSE(restored.Slots()[0].Taken());
}

TEST_F(StopRuleFileTest, RulesExpireWhenTheNextTradingDayBegins) {
    // The night session of 7 December belongs to the trading day that begins at 16:40.
    SaveAt(Local(2026, 12, 7, 21, 30), "9001", "3450");
    SaveAt(Local(2026, 12, 7, 16, 20), "9002", "3440");
    ASSERT_TRUE(WriteStopRuleFile(path, table));
    StopRuleTable restored;
    EXPECT_EQ(RestoreStopRules(path, {"9001", "9002"}, Local(2026, 12, 8, 9, 5), restored), 1);
    EXPECT_TRUE(restored.Slots()[0].BelongsTo("9001"));
    EXPECT_EQ(RestoreStopRules(path, {"9001", "9002"}, Local(2026, 12, 8, 16, 29), restored), 1);
    EXPECT_EQ(RestoreStopRules(path, {"9001", "9002"}, Local(2026, 12, 8, 16, 30), restored), 0)
        << "from 16:30 the next trading day counts";
}

TEST_F(StopRuleFileTest, FiredAndClearedLegsStayClearedAfterARestart) {
    const std::time_t t = Local(2026, 12, 8, 10, 0);
    SaveAt(t, "9001", "3450", "2");
    std::vector<FiredLeg> fired;
    ASSERT_TRUE(EvaluateStopRules(table, {"rb2705", Ansi("买"), "9001", "5"}, "3449", "3449",
                                  "3450", fired));
    ASSERT_TRUE(WriteStopRuleFile(path, table));
    StopRuleTable restored;
    ASSERT_EQ(RestoreStopRules(path, {"9001"}, t + 60, restored), 1);
    fired.clear();
    EXPECT_FALSE(EvaluateStopRules(restored, {"rb2705", Ansi("买"), "9001", "5"}, "3400", "3400",
                                   "3401", fired));
    EXPECT_EQ(LiveRuleColumns(restored, "9001"), (RuleColumns{"", "3600/2"}));
}

TEST_F(StopRuleFileTest, TextsWithSeparatorsAndChineseSurviveTheFile) {
    const std::time_t t = Local(2026, 12, 8, 10, 0);
    ASSERT_TRUE(SaveStopRules(table, "rb2705", Ansi("买"), "9%01\t", Quote("3500"),
                              {RuleGridRow{"", "", "5\n" + Ansi("手"), "", "%41"}}, t)
                    .message.empty());
    ASSERT_TRUE(WriteStopRuleFile(path, table));
    StopRuleTable read;
    ASSERT_TRUE(ReadStopRuleFile(path, read));
    EXPECT_EQ(FieldText(read.Slots()[0].positionId), "9%01\t");
    EXPECT_EQ(FieldText(read.Slots()[0].stopLossLots), "5\n" + Ansi("手"));
    EXPECT_EQ(FieldText(read.Slots()[0].takeProfitLots), "%41");
}

TEST_F(StopRuleFileTest, AFailedWriteKeepsThePreviousFile) {
    const std::time_t t = Local(2026, 12, 8, 10, 0);
    SaveAt(t, "9001", "3450");
    ASSERT_TRUE(WriteStopRuleFile(path, table));
    const std::string before = ReadAll(path);

    // The temporary file cannot be made: the write fails and leaves the old file whole. Each
    // process has its own temporary file, so two writers never truncate each other's.
    const std::string temporary = path + "." + std::to_string(::getpid()) + ".tmp";
    std::filesystem::create_directory(temporary);
    SaveAt(t, "9001", "3300");
    EXPECT_FALSE(WriteStopRuleFile(path, table));
    EXPECT_EQ(ReadAll(path), before);
    StopRuleTable restored;
    EXPECT_EQ(RestoreStopRules(path, {"9001"}, t, restored), 1);
    EXPECT_EQ(LiveRuleColumns(restored, "9001").stopLoss, "3450/1");

    // Once it can be written again, the new rules replace the old.
    std::filesystem::remove(temporary);
    EXPECT_TRUE(WriteStopRuleFile(path, table));
    EXPECT_FALSE(std::filesystem::exists(temporary));
    EXPECT_EQ(RestoreStopRules(path, {"9001"}, t, restored), 1);
    EXPECT_EQ(LiveRuleColumns(restored, "9001").stopLoss, "3300/1");
}

TEST_F(StopRuleFileTest, AFileCutShortAnywhereIsNotTakenForRules) {
    const std::time_t t = Local(2026, 12, 8, 10, 0);
    SaveAt(t, "9001", "3450");
    SaveAt(t, "9002", "3440");
    ASSERT_TRUE(WriteStopRuleFile(path, table));
    const std::string whole = ReadAll(path);
    StopRuleTable read;
    for (std::size_t cut = 0; cut < whole.size(); ++cut) {
        std::ofstream(path, std::ios::binary | std::ios::trunc) << whole.substr(0, cut);
        EXPECT_FALSE(ReadStopRuleFile(path, read)) << cut;
        EXPECT_FALSE(read.AnyLiveLeg());
    }
    std::ofstream(path, std::ios::binary | std::ios::trunc) << whole;
    EXPECT_TRUE(ReadStopRuleFile(path, read));
    EXPECT_FALSE(ReadStopRuleFile((dir / "missing.txt").string(), read));
}

// One bad line used to drop every rule without a word.
TEST_F(StopRuleFileTest, ABadLineIsSkippedAndNamedAndTheGoodLinesStay) {
    const std::time_t t = Local(2026, 12, 8, 10, 0);
    SaveAt(t, "9001", "3450");
    SaveAt(t, "9002", "3440");
    SaveAt(t, "9003", "3430");
    ASSERT_TRUE(WriteStopRuleFile(path, table));
    std::string text = ReadAll(path);
    // Line 3 (the second rule) loses a field; a line is added by hand after the rules.
    const std::size_t second = text.find("\n1\t") + 1;
    const std::size_t tab = text.find('\t', text.find('\t', second) + 1);
    text.erase(tab, text.find('\n', second) - tab);
    text.insert(text.find("end "), "garbage\n");
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;

    std::vector<int> skipped;
    StopRuleTable read;
    ASSERT_TRUE(ReadStopRuleFile(path, read, &skipped));
    EXPECT_EQ(skipped, (std::vector<int>{3, 5, 6})) << "the end line no longer counts the lines";
    StopRuleTable restored;
    std::string problem;
    EXPECT_EQ(RestoreStopRules(path, {"9001", "9002", "9003"}, t, restored, &problem), 2);
    EXPECT_EQ(LiveRuleColumns(restored, "9001").stopLoss, "3450/1");
    EXPECT_EQ(LiveRuleColumns(restored, "9002").stopLoss, "");
    EXPECT_EQ(LiveRuleColumns(restored, "9003").stopLoss, "3430/1");
    EXPECT_EQ(problem, Ansi("止损止盈文件第3、5、6行无法读取，已跳过: ") +
                           std::filesystem::path(path).filename().string());

    // A file that is no rule file at all is said too; a missing one is no problem.
    std::ofstream(path, std::ios::binary | std::ios::trunc) << "hello\n";
    EXPECT_EQ(RestoreStopRules(path, {"9001"}, t, restored, &problem), 0);
    EXPECT_NE(problem.find(Ansi("未恢复任何设置")), std::string::npos);
    std::filesystem::remove(path);
    EXPECT_EQ(RestoreStopRules(path, {"9001"}, t, restored, &problem), 0);
    EXPECT_EQ(problem, "");
}

TEST_F(StopRuleFileTest, AnEmptyTableIsAFileWithoutRules) {
    ASSERT_TRUE(WriteStopRuleFile(path, table));
    SaveAt(Local(2026, 12, 8, 10, 0), "1", "3400");
    EXPECT_TRUE(ReadStopRuleFile(path, table));
    EXPECT_EQ(table.FirstFree(), 0u) << "what the table held before is gone";
}

TEST(RuleTimeTest, SetTimesReadBackAsTheirMoment) {
    const std::time_t t = Local(2026, 12, 8, 10, 11, 12);
    EXPECT_EQ(RuleTimeText(t), "2026-12-08 10:11:12");
    EXPECT_EQ(ParseRuleTime("2026-12-08 10:11:12"), t);
    EXPECT_EQ(ParseRuleTime("2026-12-08 10:11"), -1);
    EXPECT_EQ(ParseRuleTime("2026-13-08 10:11:12"), -1);
    EXPECT_EQ(ParseRuleTime(""), -1);
}

TEST_F(StopRuleFileTest, ARuleWhoseIdWouldBeCutIsLeftOutAndTheOthersKept) {
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        << "stoprules 1\n"
           "0\t1234567890123456-A\t2026-12-08 10:00:00\t3450\t2\t\t\n"
           "1\t9001\t2026-12-08 10:00:00\t3440\t1\t\t\n"
           "2\t\t2026-12-08 10:00:00\t3430\t1\t\t\n"
           "end 3\n";
    StopRuleTable read;
    ASSERT_TRUE(ReadStopRuleFile(path, read));
    EXPECT_FALSE(read.Slots()[0].Taken());
    EXPECT_TRUE(read.Slots()[1].Taken());
    EXPECT_FALSE(read.Slots()[2].Taken());
    EXPECT_FALSE(read.Slots()[0].BelongsTo("123456789012345"));
}

}  // namespace
}  // namespace ft
