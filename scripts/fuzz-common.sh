# Shared by scripts/fuzz.sh and scripts/fuzz-coverage.sh, sourced from the repository's root.

# Configures the fuzz targets in build folder $1 with clang (further arguments go to cmake) and
# builds them, through ccache when it is installed.
fuzz_build() {
    local build=$1
    shift
    local launcher=()
    if command -v ccache >/dev/null; then
        launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
        export CCACHE_BASEDIR="$PWD"
    fi
    CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DFT_FUZZ=ON -DFT_WERROR=ON -DFT_BUILD_TESTS=OFF -DFT_BUILD_BENCH=OFF "${launcher[@]}" \
        "$@" >/dev/null
    cmake --build "$build" --target fuzz_all
}

# The names of every fuzz target, as fuzz/CMakeLists.txt lists them.
fuzz_all_targets() {
    sed -n '/^set(FT_FUZZ_TARGETS/,/)/p' fuzz/CMakeLists.txt | tr -d '()' | tr ' ' '\n' |
        grep -v -e '^set' -e '^FT_FUZZ_TARGETS' -e '^$'
}
