# Sourced by the benchmarks whose side of a comparison is a target of the
# native build, from the product's sources; expects top, build and smoke.
# bench_native_target TARGET builds it in the sanitized BUILD_DIR/native of
# `make native` for a smoke run, else in an optimised tree BUILD_DIR/bench-native
# made for the run, and sets tree to the tree that holds it.
bench_native_target() {
    if [ "$smoke" -eq 1 ]; then
        tree="$build/native"
        cmake -S "$top" -B "$tree" >/dev/null
    else
        tree="$build/bench-native"
        cmake -S "$top" -B "$tree" -DCMAKE_BUILD_TYPE=Release >/dev/null
    fi
    cmake --build "$tree" --target "$1" -j"$(nproc)" >/dev/null
}
