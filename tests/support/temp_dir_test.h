// A fresh directory for each test, named after the test, handed to the program through an
// environment variable (FT_PROGRAM_DIR or FT_SYSTEM_ROOT) and removed afterwards.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <string>

namespace ft::testing {

class TempDirTest : public ::testing::Test {
protected:
    explicit TempDirTest(const char* variable = "FT_PROGRAM_DIR") : variable_(variable) {}
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir = std::filesystem::temp_directory_path() /
              ("ft-" + std::string(info->test_suite_name()) + "-" + info->name() + "-" +
               std::to_string(::getpid()));
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        setenv(variable_, dir.c_str(), 1);
    }
    void TearDown() override {
        unsetenv(variable_);
        std::filesystem::remove_all(dir);
    }

    std::filesystem::path dir;

private:
    const char* variable_;
};

}  // namespace ft::testing
