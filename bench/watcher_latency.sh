#!/usr/bin/env bash
# Usage: bench/watcher_latency.sh [ROUNDS] [BUILD_DIR]
#        bench/watcher_latency.sh --smoke [BUILD_DIR]
# Runs the download watcher's latency benchmark (watcherbench.exe of the Wine
# build, `make wine`) under Wine and prints its figures (--smoke: 3 rounds,
# to show that it still builds and runs).
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
if [ "${1:-}" = --smoke ]; then
    rounds=3 build=${2:-$top/build}
else
    rounds=${1:-50} build=${2:-$top/build}
fi
build="$(realpath -m "$build")/wine"
[ -x "$build/watcherbench.exe" ] || { echo "build it first: make wine" >&2; exit 1; }
cd "$build"
exec "$top/tests/win/run-wine.sh" 300 ./watcherbench.exe "$rounds"
