#!/usr/bin/env bash
# ThreadSanitizer lane: builds the test programs of the Qt-free logic, the network code, the
# reference back-end and the widgets with -DFT_TSAN=ON and runs them; any report fails the lane.
#   scripts/tsan.sh [gtest arguments...]
set -euo pipefail
cd "$(dirname "$0")/.."
build=build/tsan
launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    export CCACHE_BASEDIR="$PWD"
fi
programs=(core_tests platform_tests request_tests quote_tests account_rules_tests
          positions_tests trading_tests sim_tests
          controls_tests frame_tests market_tests trading_ui_tests positions_ui_tests
          account_tests login_tests fault_tests notify_tests keyboard_tests)
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DFT_TSAN=ON -DFT_WERROR=ON \
    -DFT_BUILD_BENCH=OFF "${launcher[@]}" >/dev/null
cmake --build "$build" --target "${programs[@]}"
unset http_proxy https_proxy HTTP_PROXY HTTPS_PROXY all_proxy ALL_PROXY
# Widgets draw offscreen whatever display the caller has. setarch -R: TSan of this compiler
# cannot map its shadow under the kernel's larger address randomisation.
export QT_QPA_PLATFORM=offscreen
export TSAN_OPTIONS="suppressions=$PWD/tests/tsan.supp halt_on_error=1 second_deadlock_stack=1"
# The programs are run whole (ctest lists each test case on its own, by its case name); one that
# is missing or fails fails the lane, so the lane can never pass having run nothing.
status=0
for program in "${programs[@]}"; do
    binary=$(find "$build/tests" -type f -name "$program" -perm -u+x | head -n 1)
    if [ -z "$binary" ]; then
        echo "tsan: $program was not built" >&2
        exit 1
    fi
    echo "== $program"
    setarch "$(uname -m)" -R timeout 900 "$binary" "$@" || status=1
done
exit $status
