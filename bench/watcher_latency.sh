#!/usr/bin/env bash
# Usage: bench/watcher_latency.sh [--smoke] [ROUNDS] [BUILD_DIR]
# Runs the download watcher's latency benchmark (watcherbench.exe of the Wine
# build, `make wine`, from the product's sources and include paths) under Wine
# and prints its figures: median and 90th percentile among them. --smoke runs
# three rounds, only to show that it runs.
set -euo pipefail
rounds=50
if [ "${1:-}" = --smoke ]; then
    rounds=3
    shift
fi
top="$(cd "$(dirname "$0")/.." && pwd)"
build="$(realpath -m "${2:-$top/build}")/wine"
[ -x "$build/watcherbench.exe" ] || { echo "build it first: make wine" >&2; exit 1; }
cd "$build"
exec "$top/tests/win/run-wine.sh" 300 ./watcherbench.exe "${1:-$rounds}"
