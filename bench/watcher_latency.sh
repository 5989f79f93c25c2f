#!/usr/bin/env bash
# Usage: bench/watcher_latency.sh [ROUNDS] [BUILD_DIR]
# Runs the download watcher's latency benchmark (watcherbench.exe of the Wine
# build, `make wine`) under Wine and prints its figures.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
build="$(realpath -m "${2:-$top/build}")/wine"
[ -x "$build/watcherbench.exe" ] || { echo "build it first: make wine" >&2; exit 1; }
cd "$build"
exec "$top/tests/win/run-wine.sh" 300 ./watcherbench.exe "${1:-50}"
