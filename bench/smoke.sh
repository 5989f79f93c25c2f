#!/usr/bin/env bash
# Usage: bench/smoke.sh [BUILD_DIR]
# Runs every benchmark of this folder once in its smoke mode (`NAME.sh --smoke
# BUILD_DIR`: the smallest run it has, from the builds `make test` made), so
# that a benchmark that no longer builds or runs fails the suite. The figures
# are printed and judged by nobody.
set -u
here="$(cd "$(dirname "$0")" && pwd)"
build="$(realpath -m "${1:-$here/../build}")"
failed=()
for bench in "$here"/*.sh; do
    name=$(basename "$bench" .sh)
    [ "$name" = smoke ] && continue
    echo "== bench/$name.sh --smoke"
    if ! "$bench" --smoke "$build"; then
        failed+=("$name")
    fi
done
if [ ${#failed[@]} -gt 0 ]; then
    echo "BENCHMARKS THAT NO LONGER RUN: ${failed[*]}" >&2
    exit 1
fi
echo "every benchmark ran once (smoke mode; figures not judged)"
