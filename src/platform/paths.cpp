#include "platform/paths.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace ft::platform {
namespace {

std::string StripSlash(std::string path) {
    while (path.size() > 1 && path.back() == '/') {
        path.pop_back();
    }
    return path;
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
    std::string root;
    if (const char* dir = std::getenv("FT_SYSTEM_ROOT"); dir && *dir) {
        root = dir;
    } else if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && *config) {
        root = std::string(config) + "/futures-terminal";
    } else if (const char* home = std::getenv("HOME"); home && *home) {
        root = std::string(home) + "/.config/futures-terminal";
    } else {
        root = "/tmp/futures-terminal";
    }
    std::error_code ec;
    std::filesystem::create_directories(root, ec);
    return StripSlash(root);
}

std::string ProgramFile(const std::string& name) {
    return ProgramDir() + "/" + name;
}
std::string SystemFile(const std::string& name) {
    return SystemRoot() + "/" + name;
}

}  // namespace ft::platform
