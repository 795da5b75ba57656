#!/usr/bin/env bash
# Builds the fuzz targets (clang, libFuzzer) and runs each: first over its whole corpus, so a
# kept regression input fails at once, then a bounded run of [seconds] (default 5) per target.
#   scripts/fuzz.sh [seconds] [target...]      e.g. scripts/fuzz.sh 600 quotes positions
# New inputs of the bounded run go to build/fuzz/new-corpus/<target>, findings to
# build/fuzz/findings/; the corpus in the repository is never written.
# FT_FUZZ_RUNS=N bounds each run by N executions instead (the long run: N=10000000, seconds
# then only caps it).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-5}
shift || true
build=build/fuzz
source scripts/fuzz-common.sh
fuzz_build "$build"
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    mapfile -t targets < <(fuzz_all_targets)
fi
mkdir -p "$build/findings"
# One allocation above 64 MB is a finding: no answer of a few megabytes may cost more.
common=(-malloc_limit_mb=64 -rss_limit_mb=2048 -timeout=10 -print_final_stats=1)
failed=()
for t in "${targets[@]}"; do
    bin="$build/fuzz/fuzz_$t"
    echo "== $t: corpus"
    if ! "$bin" "${common[@]}" -runs=0 -artifact_prefix="$build/findings/$t-" "fuzz/corpus/$t" 2>"$build/$t.corpus.log"; then
        tail -n 30 "$build/$t.corpus.log"
        failed+=("$t(corpus)")
        continue
    fi
    bound=(-max_total_time="$seconds")
    if [ -n "${FT_FUZZ_RUNS:-}" ]; then
        bound+=(-runs="$FT_FUZZ_RUNS")
    fi
    echo "== $t: ${seconds}s${FT_FUZZ_RUNS:+ or $FT_FUZZ_RUNS runs}"
    mkdir -p "$build/new-corpus/$t"
    if ! "$bin" "${common[@]}" -max_len=16384 "${bound[@]}" \
        -dict="fuzz/dict/$t.dict" -artifact_prefix="$build/findings/$t-" \
        "$build/new-corpus/$t" "fuzz/corpus/$t" 2>"$build/$t.run.log"; then
        tail -n 30 "$build/$t.run.log"
        failed+=("$t")
        continue
    fi
    grep -E '^stat::number_of_executed_units|^#[0-9]+.*DONE' "$build/$t.run.log" | tr '\n' ' '
    echo
done
if [ ${#failed[@]} -gt 0 ]; then
    echo "fuzz findings in: ${failed[*]} (inputs in $build/findings/)" >&2
    exit 1
fi
