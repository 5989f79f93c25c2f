#!/usr/bin/env bash
# Usage: bench/authenticode_bench.sh [ROUNDS] [SIZE_MIB] [BUILD_DIR]
#        bench/authenticode_bench.sh --smoke [BUILD_DIR]
# Signs a program of SIZE_MIB (default 10) with a throwaway key (SHA-256) and
# verifies it ROUNDS times (default 10) with our publisher check and with
# `osslsigncode verify`, alternating, each as a process of its own, and
# osslsigncode once more without the processor's SHA instructions (which no
# processor of the supported systems has); prints the figures (the goal: ours
# takes no longer). A benchmark, not a test: it
# judges nothing. Our side is the authenticode_bench target of the native
# build, from the product's sources: an optimised tree BUILD_DIR/bench-native
# made for the run; with --smoke (one round of a tiny program, to show that it
# still builds and runs) the sanitized BUILD_DIR/native of `make native`.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
smoke=0
if [ "${1:-}" = --smoke ]; then
    smoke=1 rounds=1 size=0 build=${2:-$top/build}
else
    rounds=${1:-10} size=${2:-10} build=${3:-$top/build}
fi
build="$(realpath -m "$build")"
work="$build/bench/authenticode"
command -v osslsigncode >/dev/null || { echo "needs osslsigncode" >&2; exit 1; }

. "$top/bench/native-target.bash"
bench_native_target authenticode_bench

mkdir -p "$work"
cd "$work"
if [ ! -f signer.key ]; then
    openssl req -x509 -new -newkey rsa:2048 -nodes -sha256 -days 3650 -subj "/CN=Bench Authority" \
        -keyout root.key -out root.crt -addext basicConstraints=critical,CA:true 2>/dev/null
    openssl req -new -newkey rsa:2048 -nodes -subj "/CN=Bench Publisher" -keyout signer.key -out signer.csr 2>/dev/null
    openssl x509 -req -sha256 -days 3650 -in signer.csr -CA root.crt -CAkey root.key -CAcreateserial \
        -extfile <(printf 'extendedKeyUsage = codeSigning\n') -out signer.crt 2>/dev/null
fi
pin=$(openssl x509 -in signer.crt -pubkey -noout | openssl pkey -pubin -outform DER | openssl dgst -sha256 -r | cut -d' ' -f1)
# A program whose data makes it SIZE_MIB large (at least a few kilobytes).
program="program-$size.exe"
if [ ! -f "signed-$program" ]; then
    printf 'const unsigned char data[%d] = {1};\nint main(int argc, char** argv) { return data[argc * 4096] != 0; }\n' \
        $((size * 1024 * 1024 + 1)) >program.c
    i686-w64-mingw32-gcc -O2 -s program.c -o "$program"
    osslsigncode sign -h sha256 -certs signer.crt -key signer.key -in "$program" -out "signed-$program" >/dev/null
fi
echo "verifying $(stat -c %s "signed-$program") bytes, SHA-256 signed:"
"$tree/authenticode_bench" "signed-$program" "$pin" "$rounds" root.crt
