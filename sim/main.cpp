// futures-sim: the reference back-end as a program of its own.
#include <signal.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "simulator.h"

namespace {

void Usage() {
    std::puts(
        "usage: futures-sim [--bind ADDR] [--port-offset N] [--web-port MODE PORT]\n"
        "                   [--quote-port MODE PORT] [--db PATH] [--seed | --no-seed]\n"
        "                   [--version TEXT] [--announcement TEXT] [--no-walk]\n"
        "A new database gets the demo data (--seed, the default); --no-seed leaves it empty.");
}

std::string DefaultDatabase() {
    const char* data = std::getenv("XDG_DATA_HOME");
    const char* home = std::getenv("HOME");
    std::filesystem::path dir = data && *data
                                    ? std::filesystem::path(data)
                                    : std::filesystem::path(home ? home : ".") / ".local/share";
    dir /= "futures-sim";
    std::error_code ignored;
    std::filesystem::create_directories(dir, ignored);
    return (dir / "futures-sim.sqlite").string();
}

}  // namespace

int main(int argc, char** argv) {
    fsim::SimOptions options;
    options.dbPath = DefaultDatabase();
    options.seedPosition = true;
    int offset = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto next = [&]() -> std::string {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "futures-sim: %s needs a value\n", arg.c_str());
                std::exit(2);
            }
            return argv[++i];
        };
        auto modeArg = [&]() {
            const int mode = std::atoi(next().c_str());
            if (mode < 0 || mode > 3) {
                std::fprintf(stderr, "futures-sim: the mode is 0 to 3\n");
                std::exit(2);
            }
            return mode;
        };
        if (arg == "--bind") {
            options.bind = next();
        } else if (arg == "--port-offset") {
            offset = std::atoi(next().c_str());
        } else if (arg == "--web-port") {
            const int mode = modeArg();
            options.webPorts[mode] = std::atoi(next().c_str());
        } else if (arg == "--quote-port") {
            const int mode = modeArg();
            options.quotePorts[mode] = std::atoi(next().c_str());
        } else if (arg == "--db") {
            options.dbPath = next();
        } else if (arg == "--seed") {
            options.seed = true;
        } else if (arg == "--no-seed") {
            options.seed = false;
        } else if (arg == "--version") {
            options.version = next();
        } else if (arg == "--announcement") {
            options.announcement = next();
        } else if (arg == "--no-walk") {
            options.randomWalk = false;
        } else if (arg == "--help" || arg == "-h") {
            Usage();
            return 0;
        } else {
            std::fprintf(stderr, "futures-sim: unknown option %s\n", arg.c_str());
            Usage();
            return 2;
        }
    }
    for (int mode = 0; mode < 4; ++mode) {
        if (options.webPorts[mode])
            options.webPorts[mode] += offset;
        if (options.quotePorts[mode])
            options.quotePorts[mode] += offset;
    }

    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);  // every thread inherits the mask

    fsim::Simulator sim(options);
    std::string error;
    if (!sim.Start(&error)) {
        std::fprintf(stderr, "futures-sim: %s\n", error.c_str());
        return 1;
    }
    for (int mode = 0; mode < 4; ++mode) {
        std::printf("mode %d: web %s:%d, quotes %s:%d\n", mode, options.bind.c_str(),
                    sim.WebPort(mode), options.bind.c_str(), sim.QuotePort(mode));
    }
    std::printf("database %s\n", options.dbPath.c_str());
    std::fflush(stdout);
    int received = 0;
    sigwait(&signals, &received);
    sim.Stop();
    return 0;
}
