#!/usr/bin/env bash
# Line coverage reached by each fuzz target's corpus: builds the targets with clang's source-based
# coverage, replays the corpus in the repository plus what earlier runs of scripts/fuzz.sh found
# (build/fuzz/new-corpus/<target>), and prints per target and source file the functions the
# corpus entered and the share of their code regions it ran. Needs python3 (not used by CI).
#   scripts/fuzz-coverage.sh [target...]
set -euo pipefail
cd "$(dirname "$0")/.."
build=build/fuzz-cov
source scripts/fuzz-common.sh
fuzz_build "$build" -DFT_FUZZ_COVERAGE=ON
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    mapfile -t targets < <(fuzz_all_targets)
fi
mkdir -p "$build/profiles"
for t in "${targets[@]}"; do
    bin="$build/fuzz/fuzz_$t"
    corpora=("fuzz/corpus/$t")
    if [ -d "build/fuzz/new-corpus/$t" ]; then
        corpora+=("build/fuzz/new-corpus/$t")
    fi
    inputs=$(find "${corpora[@]}" -type f | wc -l)
    rm -f "$build/profiles/$t".*
    LLVM_PROFILE_FILE="$build/profiles/$t.profraw" "$bin" -runs=0 "${corpora[@]}" \
        >/dev/null 2>"$build/profiles/$t.log"
    llvm-profdata merge -sparse "$build/profiles/$t.profraw" -o "$build/profiles/$t.profdata"
    echo "== $t ($inputs inputs)"
    # Per project source file: the functions the corpus entered and the share of their code
    # regions it ran (files it never entered are linked in but not this target's to reach).
    llvm-cov export "$bin" -instr-profile="$build/profiles/$t.profdata" \
        -ignore-filename-regex='^/usr/' | python3 -c '
import json, re, sys
files = {}
for f in json.load(sys.stdin)["data"][0]["functions"]:
    name = re.sub(r".*/(src|sim)/", r"\1/", f["filenames"][0])
    if f["count"] == 0 or not re.match(r"(src|sim)/", name):
        continue
    code = [r for r in f["regions"] if r[7] == 0 and r[5] == 0]
    entry = files.setdefault(name, [0, 0, 0])
    entry[0] += 1
    entry[1] += sum(1 for r in code if r[4] > 0)
    entry[2] += len(code)
total = [0, 0, 0]
for name, (functions, ran, regions) in sorted(files.items()):
    print(f"   {name:44} {functions:3} functions  {ran:5} of {regions:5} regions  {100 * ran / regions:6.2f}%")
    total = [a + b for a, b in zip(total, (functions, ran, regions))]
label = "all reached"
if total[2]:
    print(f"   {label:44} {total[0]:3} functions  {total[1]:5} of {total[2]:5} regions  {100 * total[1] / total[2]:6.2f}%")
'
done
