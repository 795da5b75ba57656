#!/usr/bin/env bash
# The habits CI keeps: every source formatted by the project's .clang-format, and clang-tidy
# (.clang-tidy) silent over the terminal, the widgets, the back-end, the tests and the
# benchmarks, and the headers they include. The fuzz targets are left out: only their clang
# build (scripts/fuzz.sh) knows how to compile them.
#   scripts/lint.sh [build dir with compile_commands.json, default build/test]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/test}
mapfile -t sources < <(git ls-files '*.cpp' '*.h' | grep -E '^(src|sim|tests|bench|fuzz)/')
echo "== clang-format over ${#sources[@]} files"
clang-format --dry-run -Werror "${sources[@]}"
if [ ! -f "$build/compile_commands.json" ]; then
    echo "no $build/compile_commands.json: configure the build first (./test.sh does)" >&2
    exit 1
fi
mapfile -t units < <(git ls-files '*.cpp' | grep -E '^(src|sim|tests|bench)/')
echo "== clang-tidy over ${#units[@]} files"
# The compile commands are GCC's: clang knows not all of its warning options, and reads
# -Wconversion with sign conversions that GCC leaves out.
run-clang-tidy -quiet -p "$build" -j "$(nproc)" -extra-arg=-Wno-unknown-warning-option \
    -extra-arg=-Wno-sign-conversion "${units[@]/#/$PWD/}" >"$build/clang-tidy.log" 2>&1 ||
    { grep -E 'error:|warning:' "$build/clang-tidy.log" | sort -u | head -50; exit 1; }
echo "clang-tidy: no findings"
