// The entry point of the widget benchmarks: the offscreen platform, a temporary program
// directory (panels write files beside the program), and the aside work finished at the end.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>
#include <QApplication>

#include <filesystem>
#include <string>

#include "ui/common/run_aside.h"

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("ft-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    setenv("FT_PROGRAM_DIR", dir.c_str(), 1);
    {
        QApplication app(argc, argv);
        benchmark::Initialize(&argc, argv);
        benchmark::RunSpecifiedBenchmarks();
        benchmark::Shutdown();
        ft::ui::FinishAsideWork();
    }
    std::filesystem::remove_all(dir);
    return 0;
}
