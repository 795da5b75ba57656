#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <utility>
#include <vector>

#include "core/text.h"
#include "platform/file_lock.h"
#include "platform/ini_file.h"
#include "platform/paths.h"
#include "platform/system.h"

namespace ft::platform {
namespace {

class IniFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = std::filesystem::temp_directory_path() / ("ft-ini-" + std::to_string(::getpid()));
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        file = (dir / "client.ini").string();
    }
    void TearDown() override { std::filesystem::remove_all(dir); }
    std::filesystem::path dir;
    std::string file;
};

TEST_F(IniFileTest, MissingFileSectionOrKeyGivesTheDefault) {
    EXPECT_EQ(GetPrivateProfileString("user", "username", "0", file), "0");
    EXPECT_EQ(GetPrivateProfileInt("loginfo", "saveuser", 7, file), 7);
    ASSERT_TRUE(WritePrivateProfileString("loginfo", "user", "demo", file));
    EXPECT_EQ(GetPrivateProfileString("loginfo", "td", "", file), "");
    EXPECT_EQ(GetPrivateProfileString("other", "user", "d", file), "d");
}

TEST_F(IniFileTest, WritesKeepOtherKeysAndSectionsAndGbkValues) {
    ASSERT_TRUE(WritePrivateProfileString("login_rn", "20261207", Ansi("张三"), file));
    ASSERT_TRUE(WritePrivateProfileString("login_rn", "lasttime", "1765000000", file));
    ASSERT_TRUE(WritePrivateProfileString("login_gy", "lasttime", "1", file));
    ASSERT_TRUE(WritePrivateProfileString("login_rn", "lasttime", "1765000002", file));
    EXPECT_EQ(GetPrivateProfileString("login_rn", "20261207", "", file), Ansi("张三"));
    EXPECT_EQ(GetPrivateProfileString("login_rn", "lasttime", "", file), "1765000002");
    EXPECT_EQ(GetPrivateProfileInt("login_gy", "lasttime", 0, file), 1);
    // No temporary file is left behind.
    int files = 0;
    for ([[maybe_unused]] auto& entry : std::filesystem::directory_iterator(dir)) {
        ++files;
    }
    EXPECT_EQ(files, 1);
}

TEST_F(IniFileTest, AFileThatCannotBeWrittenReportsFailure) {
    EXPECT_FALSE(
        WritePrivateProfileString("loginfo", "user", "x", (dir / "no" / "f.ini").string()));
    // A directory in place of the file: the rename fails and nothing is left behind.
    std::filesystem::create_directories(dir / "taken.ini");
    EXPECT_FALSE(WritePrivateProfileString("loginfo", "user", "x", (dir / "taken.ini").string()));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir),
                            std::filesystem::directory_iterator()),
              1);
}

// Whether another process could take the lock on `path` now.
bool ChildTakes(const std::string& path) {
    const pid_t child = ::fork();
    if (child == 0) {
        ::_exit(FileLock::TryTake(path) ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST(FileLockTest, OneHolderAtATimeAcrossAndWithinProcesses) {
    const std::string path = (std::filesystem::temp_directory_path() /
                              ("ft-lock-" + std::to_string(::getpid()) + ".lock"))
                                 .string();
    {
        std::unique_ptr<FileLock> held = FileLock::TryTake(path);
        ASSERT_TRUE(held);
        EXPECT_FALSE(FileLock::TryTake(path));
        EXPECT_FALSE(ChildTakes(path));
    }
    EXPECT_TRUE(ChildTakes(path));
    EXPECT_TRUE(FileLock::TryTake(path));
    EXPECT_FALSE(FileLock::TryTake("/nonexistent-dir/x.lock"));
    std::filesystem::remove(path);
}

TEST(Paths, EnvironmentOverridesBothDirectories) {
    setenv("FT_PROGRAM_DIR", "/tmp/ft-prog/", 1);
    auto root = std::filesystem::temp_directory_path() / ("ft-root-" + std::to_string(::getpid()));
    setenv("FT_SYSTEM_ROOT", root.c_str(), 1);
    EXPECT_EQ(ProgramDir(), "/tmp/ft-prog");
    EXPECT_EQ(ProgramFile("client.ini"), "/tmp/ft-prog/client.ini");
    EXPECT_EQ(SystemFile("fs.ini"), root.string() + "/fs.ini");
    EXPECT_TRUE(std::filesystem::is_directory(root));  // created on first use
    unsetenv("FT_PROGRAM_DIR");
    unsetenv("FT_SYSTEM_ROOT");
    std::filesystem::remove_all(root);
    EXPECT_FALSE(ProgramDir().empty());
}

// Runs with HOME and the XDG and program variables pointed at a fresh directory, and puts the
// caller's values back afterwards.
class PathsTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = std::filesystem::temp_directory_path() / ("ft-paths-" + std::to_string(::getpid()));
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        for (const char* name : kVariables) {
            const char* value = std::getenv(name);
            saved.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
            unsetenv(name);
        }
        setenv("HOME", (dir / "home").c_str(), 1);
    }
    void TearDown() override {
        for (const auto& [name, value] : saved) {
            value ? setenv(name, value->c_str(), 1) : unsetenv(name);
        }
        std::filesystem::remove_all(dir);
    }
    static constexpr const char* kVariables[] = {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME",
                                                 "FT_PROGRAM_DIR", "FT_SYSTEM_ROOT"};
    std::filesystem::path dir;
    std::vector<std::pair<const char*, std::optional<std::string>>> saved;
};

TEST_F(PathsTest, ProgramDirectoryOverrideKeepsEveryWrittenFileBesideIt) {
    setenv("FT_PROGRAM_DIR", (dir / "prog/").c_str(), 1);
    EXPECT_TRUE(FilesBesideProgram());
    EXPECT_EQ(SettingsFile("layout.ini"), (dir / "prog" / "layout.ini").string());
    EXPECT_EQ(DataFile("log20210426.txt"), (dir / "prog" / "log20210426.txt").string());
    EXPECT_FALSE(std::filesystem::exists(dir / "home"));  // nothing strays into the XDG folders
}

TEST_F(PathsTest, XdgFoldersFollowTheirVariablesAndIgnoreRelativeValues) {
    setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1);
    setenv("XDG_DATA_HOME", (dir / "data").c_str(), 1);
    EXPECT_EQ(XdgConfigDir(), (dir / "config" / "futures-terminal").string());
    EXPECT_EQ(XdgDataDir(), (dir / "data" / "futures-terminal").string());
    EXPECT_TRUE(std::filesystem::is_directory(dir / "data" / "futures-terminal"));
    // Without FT_SYSTEM_ROOT the system-root files share the settings folder.
    EXPECT_EQ(SystemRoot(), XdgConfigDir());

    setenv("XDG_CONFIG_HOME", "relative/config", 1);
    setenv("XDG_DATA_HOME", "", 1);
    EXPECT_EQ(XdgConfigDir(), (dir / "home" / ".config" / "futures-terminal").string());
    EXPECT_EQ(XdgDataDir(), (dir / "home" / ".local/share" / "futures-terminal").string());
}

TEST_F(PathsTest, OnlyAWritableFolderThatCMakeGeneratedCountsAsABuildFolder) {
    const auto folder = dir / "bin";
    std::filesystem::create_directories(folder);
    EXPECT_FALSE(IsWritableBuildFolder(folder.string()));  // an installed program's folder
    std::filesystem::create_directories(folder / "CMakeFiles");
    EXPECT_TRUE(IsWritableBuildFolder(folder.string()));
    EXPECT_FALSE(IsWritableBuildFolder((dir / "missing").string()));
    if (::geteuid() != 0) {  // root may write anywhere
        std::filesystem::permissions(folder, std::filesystem::perms::owner_write,
                                     std::filesystem::perm_options::remove);
        EXPECT_FALSE(IsWritableBuildFolder(folder.string()));
        std::filesystem::permissions(folder, std::filesystem::perms::owner_write,
                                     std::filesystem::perm_options::add);
    }
    // This test program runs from its build folder, so it keeps its files beside itself.
    EXPECT_TRUE(FilesBesideProgram());
    EXPECT_EQ(DataDir(), ProgramDir());
    EXPECT_EQ(SettingsDir(), ProgramDir());
}

TEST(System, TheTickCountMovesOnByWhatATestAdvancesAndNeverBack) {
    const std::uint64_t before = TickCount();
    AdvanceTickCount(60000);
    const std::uint64_t after = TickCount();
    EXPECT_GE(after - before, 60000u);
    EXPECT_LT(after - before, 70000u);
    EXPECT_GE(TickCount(), after);
}

TEST(System, FingerprintSourcesAndStartingAProgramWithoutAShell) {
    EXPECT_FALSE(ComputerName().empty());
#if defined(__x86_64__)
    EXPECT_EQ(ProcessorFeatureBytes().size(), 4u);
#endif
    auto dir = std::filesystem::temp_directory_path() / ("ft-spawn-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const auto marker = dir / "argument.txt";
    const auto script = dir / "update";
    {
        std::ofstream out(script);
        // Written aside and renamed, so the marker holds the whole argument once it exists.
        out << "#!/bin/sh\nprintf '%s' \"$1\" > '" << marker.string() << ".part' && mv '"
            << marker.string() << ".part' '" << marker.string() << "'\n";
    }
    std::filesystem::permissions(script, std::filesystem::perms::owner_all);
    // One argument, blanks and shell characters included, reaches the program untouched.
    ASSERT_TRUE(StartProgram(script.string(), "a b;$(x)"));
    for (int i = 0; i < 200 && !std::filesystem::exists(marker); ++i) {
        ::usleep(10000);
    }
    std::ifstream in(marker);
    std::stringstream s;
    s << in.rdbuf();
    EXPECT_EQ(s.str(), "a b;$(x)");
    EXPECT_FALSE(StartProgram((dir / "missing").string(), ""));
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace ft::platform
