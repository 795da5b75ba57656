#include "platform/system.h"

#include <ifaddrs.h>
#include <linux/if_packet.h>
#include <net/if.h>
#include <spawn.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#endif

extern char** environ;

namespace ft::platform {

namespace {
std::atomic<std::uint64_t> tickOffset{0};
}  // namespace

std::uint64_t TickCount() {
    using namespace std::chrono;
    return static_cast<std::uint64_t>(
               duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count()) +
           tickOffset.load(std::memory_order_relaxed);
}

void AdvanceTickCount(std::uint64_t ms) {
    tickOffset.fetch_add(ms, std::memory_order_relaxed);
}

std::tm LocalTime(std::time_t t) {
    std::tm out{};
    localtime_r(&t, &out);
    return out;
}

std::tm LocalNow() {
    return LocalTime(std::time(nullptr));
}

int ProcessId() {
    return static_cast<int>(::getpid());
}

std::vector<std::vector<unsigned char>> AdapterHardwareAddresses() {
    std::vector<std::vector<unsigned char>> out;
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) {
        return out;
    }
    for (ifaddrs* it = list; it; it = it->ifa_next) {
        if (!it->ifa_addr || it->ifa_addr->sa_family != AF_PACKET) {
            continue;
        }
        if (it->ifa_flags & IFF_LOOPBACK) {
            continue;
        }
        const auto* ll = reinterpret_cast<const sockaddr_ll*>(it->ifa_addr);
        out.emplace_back(ll->sll_addr, ll->sll_addr + ll->sll_halen);
    }
    freeifaddrs(list);
    return out;
}

std::vector<unsigned char> ProcessorFeatureBytes() {
    std::vector<unsigned char> out;
#if defined(__x86_64__) || defined(__i386__)
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    if (__get_cpuid(1, &eax, &ebx, &ecx, &edx)) {
        for (int i = 0; i < 4; ++i) {
            out.push_back(static_cast<unsigned char>((edx >> (8 * i)) & 0xFF));
        }
    }
#endif
    return out;
}

std::string ComputerName() {
    char name[500] = {};
    if (gethostname(name, sizeof name - 1) != 0) {
        return {};
    }
    return name;
}

bool StartProgram(const std::string& program, const std::string& argument) {
    std::string arg0 = program;
    std::string arg1 = argument;
    char* argv[] = {arg0.data(), arg1.data(), nullptr};
    pid_t pid = 0;
    return posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, environ) == 0;
}

bool OpenWithDesktop(const std::string& url) {
    std::string opener = "xdg-open";
    std::string arg = url;
    char* argv[] = {opener.data(), arg.data(), nullptr};
    pid_t pid = 0;
    return posix_spawnp(&pid, opener.c_str(), nullptr, nullptr, argv, environ) == 0;
}

}  // namespace ft::platform
