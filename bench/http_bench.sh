#!/usr/bin/env bash
# Usage: bench/http_bench.sh [ROUNDS] [SIZE_MIB] [BUILD_DIR]
#        bench/http_bench.sh --smoke [BUILD_DIR]
# Serves a file of SIZE_MIB (default 64) from a loopback nginx started for the
# run and downloads it ROUNDS times (default 5) with our HTTP exchange and
# with curl, alternating, both writing the same file under BENCH_TMPFS
# (default /dev/shm; curl also discarding the bytes); prints the throughputs,
# the ratios and our peak memory. A benchmark, not a test: it judges nothing.
# Our side is the http_bench target of the native build, from the product's
# sources: an optimised tree BUILD_DIR/bench-native made for the run; with
# --smoke (1 round of 1 MiB, to show that it still builds and runs) the
# sanitized BUILD_DIR/native of `make native`.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
smoke=0
if [ "${1:-}" = --smoke ]; then
    smoke=1 rounds=1 size=1 build=${2:-$top/build}
else
    rounds=${1:-5} size=${2:-64} build=${3:-$top/build}
fi
build="$(realpath -m "$build")"
work="$build/bench"
nginx=/usr/sbin/nginx
[ -x "$nginx" ] || { echo "needs nginx (Debian package nginx-light)" >&2; exit 1; }
command -v curl >/dev/null || { echo "needs curl" >&2; exit 1; }

mkdir -p "$work/files" "$work/nginx"
. "$top/bench/native-target.bash"
bench_native_target http_bench
[ "$(stat -c %s "$work/files/big-$size.bin" 2>/dev/null || echo 0)" -eq $((size * 1024 * 1024)) ] ||
    head -c $((size * 1024 * 1024)) /dev/urandom >"$work/files/big-$size.bin"

port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
cat >"$work/nginx/nginx.conf" <<CONF
daemon off;
master_process off;
worker_processes 1;
pid $work/nginx/nginx.pid;
error_log $work/nginx/error.log;
events { worker_connections 32; }
http {
    access_log off;
    sendfile on;
    client_body_temp_path $work/nginx;
    server { listen 127.0.0.1:$port; root $work/files; }
}
CONF
"$nginx" -e "$work/nginx/error.log" -p "$work/nginx" -c "$work/nginx/nginx.conf" &
nginx_pid=$!
trap 'kill $nginx_pid 2>/dev/null; wait $nginx_pid 2>/dev/null' EXIT
for _ in $(seq 50); do
    curl -s --noproxy '*' -o /dev/null "http://127.0.0.1:$port/" && break
    sleep 0.1
done
"$tree/http_bench" "$port" /big-$size.bin "$rounds" "${BENCH_TMPFS:-/dev/shm}/tallow-bench.$$"
