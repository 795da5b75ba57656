#include "platform/paths.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace ft::platform {
namespace {

constexpr const char* kAppFolder = "/futures-terminal";

std::string StripSlash(std::string path) {
    while (path.size() > 1 && path.back() == '/') {
        path.pop_back();
    }
    return path;
}

std::string Created(std::string dir) {
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    return StripSlash(std::move(dir));
}

// $variable when set and absolute (the XDG rule: a relative value is ignored), else
// ~/fallback; /tmp when there is no home either.
std::string XdgBase(const char* variable, const char* fallback) {
    if (const char* dir = std::getenv(variable); dir && *dir == '/') {
        return dir;
    }
    if (const char* home = std::getenv("HOME"); home && *home) {
        return std::string(home) + "/" + fallback;
    }
    return "/tmp";
}

}  // namespace

std::string ProgramDir() {
    if (const char* dir = std::getenv("FT_PROGRAM_DIR"); dir && *dir) {
        return StripSlash(dir);
    }
    std::error_code ec;
    auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) {
        return ".";
    }
    return StripSlash(exe.parent_path().string());
}

std::string SystemRoot() {
    if (const char* dir = std::getenv("FT_SYSTEM_ROOT"); dir && *dir) {
        return Created(dir);
    }
    return XdgConfigDir();
}

std::string ProgramFile(const std::string& name) {
    return ProgramDir() + "/" + name;
}
std::string SystemFile(const std::string& name) {
    return SystemRoot() + "/" + name;
}

bool IsWritableBuildFolder(const std::string& dir) {
    std::error_code ec;
    return std::filesystem::is_directory(std::filesystem::path(dir) / "CMakeFiles", ec) &&
           ::access(dir.c_str(), W_OK) == 0;
}

bool FilesBesideProgram() {
    if (const char* dir = std::getenv("FT_PROGRAM_DIR"); dir && *dir) {
        return true;
    }
    return IsWritableBuildFolder(ProgramDir());
}

std::string XdgConfigDir() {
    return Created(XdgBase("XDG_CONFIG_HOME", ".config") + kAppFolder);
}
std::string XdgDataDir() {
    return Created(XdgBase("XDG_DATA_HOME", ".local/share") + kAppFolder);
}

std::string SettingsDir() {
    return FilesBesideProgram() ? ProgramDir() : XdgConfigDir();
}
std::string DataDir() {
    return FilesBesideProgram() ? ProgramDir() : XdgDataDir();
}
std::string SettingsFile(const std::string& name) {
    return SettingsDir() + "/" + name;
}
std::string DataFile(const std::string& name) {
    return DataDir() + "/" + name;
}

}  // namespace ft::platform
