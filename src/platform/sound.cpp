#include "platform/sound.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string_view>
#include <thread>

#include "platform/paths.h"

extern char** environ;

namespace ft::platform {
namespace {

bool IsFolder(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsRegularFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// The path of the executable's own folder, whatever FT_PROGRAM_DIR says: the sounds belong to
// the program, not to the folder it keeps its files in.
std::string ExecutableDir() {
    char buffer[4096];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0) {
        return ProgramDir();
    }
    std::string path(buffer, static_cast<std::size_t>(n));
    return path.substr(0, path.rfind('/'));
}

}  // namespace

std::string FindSoundPlayer() {
    const char* path = std::getenv("PATH");
    if (!path) {
        return {};
    }
    for (const char* name : {"pw-play", "paplay", "aplay"}) {
        std::string_view rest(path);
        while (!rest.empty()) {
            const std::size_t colon = rest.find(':');
            const std::string_view dir = rest.substr(0, colon);
            rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
            if (dir.empty()) {
                continue;
            }
            std::string candidate = std::string(dir) + "/" + name;
            if (IsRegularFile(candidate) && ::access(candidate.c_str(), X_OK) == 0) {
                return candidate;
            }
        }
    }
    return {};
}

std::string SoundDir() {
    const std::string dir = ExecutableDir();
    for (const std::string& candidate :
         {dir + "/sounds", dir + "/../share/futures-terminal/sounds"}) {
        if (IsFolder(candidate)) {
            return candidate;
        }
    }
    return {};
}

bool PlaySoundFile(const std::string& player, const std::string& file) {
    if (player.empty() || !IsRegularFile(file)) {
        return false;
    }
    std::string arg0 = player;
    std::string arg1 = file;
    char* argv[] = {arg0.data(), arg1.data(), nullptr};
    // The player's output would only clutter the terminal the program was started from.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int failed = posix_spawn(&pid, player.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (failed != 0) {
        return false;
    }
    // A short sound ends in a moment; its exit status is collected aside so no zombie stays.
    std::thread([pid] { ::waitpid(pid, nullptr, 0); }).detach();
    return true;
}

}  // namespace ft::platform
