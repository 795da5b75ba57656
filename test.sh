#!/usr/bin/env bash
# Whole set-up on a fresh Debian 12 machine, then every test (sanitizer build).
set -euo pipefail
cd "$(dirname "$0")"
./scripts/install-deps.sh
build=build/test
# ccache, where the machine has it, makes a rebuild after a small change quick.
launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    export CCACHE_BASEDIR="$PWD"
fi
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DFT_SANITIZE=ON -DFT_WERROR=ON "${launcher[@]}"
cmake --build "$build"
export QT_QPA_PLATFORM=offscreen
unset http_proxy https_proxy HTTP_PROXY HTTPS_PROXY all_proxy ALL_PROXY
ctest --test-dir "$build" --output-on-failure --timeout 600 "$@"
