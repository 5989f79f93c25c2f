#!/usr/bin/env bash
# Usage: fuzz/run.sh [SECONDS] [BUILD_DIR]
# Builds every libFuzzer target in fuzz/ with clang, ASan and UBSan and runs
# each for SECONDS (default 20) from its seeds in fuzz/corpus/<target>/.
# A crash fails the run and leaves its input in BUILD_DIR/fuzz/crashes/.
set -u
seconds=${1:-20}
top="$(cd "$(dirname "$0")/.." && pwd)"
build="$(realpath -m "${2:-$top/build}")/fuzz"

cmake -S "$top" -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang -DTALLOW_FUZZ=ON >/dev/null &&
    cmake --build "$build" -j"$(nproc)" >/dev/null || exit 1

passed=0
failed=0
mkdir -p "$build/crashes"
for src in "$top"/fuzz/*.cpp; do
    name=$(basename "$src" .cpp)
    corpus="$build/corpus/$name"
    mkdir -p "$corpus"
    [ -d "$top/fuzz/corpus/$name" ] && cp -n "$top/fuzz/corpus/$name"/* "$corpus"/ 2>/dev/null
    if "$build/$name" -max_total_time="$seconds" -max_len=70000 -timeout=10 \
        -artifact_prefix="$build/crashes/$name-" "$corpus" >"$build/$name.log" 2>&1; then
        echo "fuzz: $name ran $(grep -o 'Done [0-9]* runs' "$build/$name.log" | tail -1 | cut -d' ' -f2) inputs, no finding"
        passed=$((passed + 1))
    else
        echo "fuzz: $name FAILED (see $build/$name.log)"
        failed=$((failed + 1))
    fi
done
echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
