#!/usr/bin/env bash
# Whole set-up on a fresh Debian 12 machine, then the terminal against the built-in demo
# back-end. Extra arguments go to futures-terminal (for example --screenshot main.png).
set -euo pipefail
cd "$(dirname "$0")"
./scripts/install-deps.sh
build=build/release
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target futures-terminal
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    echo "No display found: set DISPLAY, or QT_QPA_PLATFORM=offscreen together with --screenshot FILE." >&2
    exit 1
fi
exec "$build/src/app/futures-terminal" --demo "$@"
