// An exclusive lock on a file, held while the object lives: one process (one open of the file)
// at a time. The system drops it when the process ends, however it ends.
#pragma once

#include <memory>
#include <string>

namespace ft::platform {

class FileLock {
public:
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    // The lock on `path` (created when missing), or nothing when another holder has it or the
    // file cannot be opened. Never waits.
    static std::unique_ptr<FileLock> TryTake(const std::string& path);

private:
    explicit FileLock(int fd) : fd_(fd) {}
    int fd_;
};

}  // namespace ft::platform
