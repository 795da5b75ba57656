#!/usr/bin/env bash
# Whole set-up on a fresh Debian 12 machine, then every test (sanitizer build). Arguments go to
# ctest (e.g. -R Fault).
set -euo pipefail
cd "$(dirname "$0")"
./scripts/install-deps.sh
build=build/test
# The build compiles through ccache (see CMakeLists.txt), so a fresh clone reuses the objects of
# any other checkout on the machine.
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DFT_SANITIZE=ON -DFT_WERROR=ON
cmake --build "$build"
export QT_QPA_PLATFORM=offscreen
unset http_proxy https_proxy HTTP_PROXY HTTPS_PROXY all_proxy ALL_PROXY
# One entry per test case; every test uses free ports and a directory of its own. Three per
# core: most widget and network cases spend their time waiting on sockets and answer time-outs,
# not on the processor (2 cores: 169 s at -j2, 65 s at -j6).
ctest --test-dir "$build" --output-on-failure --timeout 600 -j "$((3 * $(nproc)))" "$@"
# The benchmarks are not run here, but they must keep compiling.
cmake --build "$build" --target benchmarks
