#include "platform/sound.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

#include "support/temp_dir_test.h"

namespace ft::platform {
namespace {

class SoundTest : public ft::testing::TempDirTest {
protected:
    void SetUp() override {
        TempDirTest::SetUp();
        const char* path = std::getenv("PATH");
        oldPath_ = path ? path : "";
    }
    void TearDown() override {
        setenv("PATH", oldPath_.c_str(), 1);
        TempDirTest::TearDown();
    }
    // A stand-in player that writes the file it was given into `played`.
    std::string Player(const std::string& folder, const std::string& name, bool executable) {
        std::filesystem::create_directories(dir / folder);
        std::string path = (dir / folder / name).string();
        std::ofstream(path) << "#!/bin/sh\necho \"$1\" > '" << (dir / "played").string() << "'\n";
        ::chmod(path.c_str(), executable ? 0755 : 0644);
        return path;
    }
    std::string oldPath_;
};

TEST_F(SoundTest, ThePlayerIsFoundOnPathInItsOrderAndStartedWithoutWaiting) {
    setenv("PATH", "", 1);
    EXPECT_EQ(FindSoundPlayer(), "");

    Player("a", "pw-play", false);  // not executable: skipped
    const std::string aplay = Player("b", "aplay", true);
    setenv("PATH", ((dir / "a").string() + "::" + (dir / "b").string()).c_str(), 1);
    EXPECT_EQ(FindSoundPlayer(), aplay);
    const std::string paplay = Player("c", "paplay", true);
    setenv("PATH", ((dir / "b").string() + ":" + (dir / "c").string()).c_str(), 1);
    EXPECT_EQ(FindSoundPlayer(), paplay) << "paplay comes before aplay wherever it is";

    EXPECT_FALSE(PlaySoundFile(paplay, (dir / "missing.wav").string()));
    EXPECT_FALSE(PlaySoundFile("", (dir / "missing.wav").string()));
    const std::string wav = (dir / "fill.wav").string();
    std::ofstream(wav) << "RIFF";
    ASSERT_TRUE(PlaySoundFile(paplay, wav));
    std::string played;
    for (int i = 0; i < 300 && played.empty(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        std::ifstream in(dir / "played");
        std::getline(in, played);
    }
    EXPECT_EQ(played, wav);
}

}  // namespace
}  // namespace ft::platform
