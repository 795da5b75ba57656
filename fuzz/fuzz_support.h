// Shared pieces of the fuzz targets: the input as text and a property check that stops the
// run, so that libFuzzer keeps the input that broke it.
#pragma once

#include <unistd.h>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "property broken: %s (%s:%d)\n", #condition, __FILE__, __LINE__); \
            std::abort();                                                                          \
        }                                                                                          \
    } while (0)

namespace ft::fuzz {

inline std::string_view Text(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

// Splits one input into `n` parts at "\x01", so one target can feed several texts; parts the
// input lacks are empty.
inline std::vector<std::string_view> Parts(std::string_view input, std::size_t n) {
    std::vector<std::string_view> parts;
    while (parts.size() + 1 < n) {
        const std::size_t cut = input.find('\x01');
        if (cut == std::string_view::npos) {
            break;
        }
        parts.push_back(input.substr(0, cut));
        input.remove_prefix(cut + 1);
    }
    parts.push_back(input);
    parts.resize(n);
    return parts;
}

// A fresh directory for targets that read files, in memory where the machine has /dev/shm so
// that the fsync of a replacing write costs nothing.
inline std::string ScratchDir() {
    std::string pattern =
        ::access("/dev/shm", W_OK) == 0 ? "/dev/shm/ft-fuzz-XXXXXX" : "/tmp/ft-fuzz-XXXXXX";
    const char* made = ::mkdtemp(pattern.data());
    return made ? std::string(made) : std::string("/tmp");
}

// A fixed-width field always ends inside its width.
template <std::size_t N>
bool Terminated(const char (&field)[N]) {
    return field[N - 1] == '\0';
}

}  // namespace ft::fuzz
