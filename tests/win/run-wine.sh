#!/usr/bin/env bash
# Usage: run-wine.sh [--build DIR] [--standin] SECONDS PROGRAM.exe [ARGS...]
# Runs a test program under Wine with a time limit; a hung program fails.
# With --standin the vendor stand-in runs on the build's loopback ports for
# the duration (its download folder: BUILD/standin-root). The build is the one
# PROGRAM.exe belongs to, or DIR (its Wine prefix, stand-in ports and files).
set -u
. "$(dirname "$0")/../slot.sh"
standin=0
WINE_BUILD_DIR=
if [ "$1" = --build ]; then
    WINE_BUILD_DIR="$(cd "$2" && pwd)"
    shift 2
fi
if [ "$1" = --standin ]; then
    standin=1
    shift
fi
limit=$1
shift
if [ -z "$WINE_BUILD_DIR" ]; then
    WINE_BUILD_DIR="$(cd "$(dirname "$1")" && pwd)"
    while [ ! -f "$WINE_BUILD_DIR/CMakeCache.txt" ] && [ "$WINE_BUILD_DIR" != / ]; do
        WINE_BUILD_DIR=$(dirname "$WINE_BUILD_DIR")
    done
fi
. "$(dirname "$0")/../wine-env.sh"
cleanup() {
    [ -n "${STANDIN_PID:-}" ] && kill "$STANDIN_PID" 2>/dev/null
    wine_env_cleanup
}
trap cleanup EXIT
if [ $standin -eq 1 ]; then
    . "$(dirname "$0")/../standin-env.sh"
    standin_start "$WINE_BUILD_DIR" || exit 1
fi
wine_env_prefix
wine_env_display || exit 1
artifacts="${TALLOW_ARTIFACTS:-$WINE_BUILD_DIR/artifacts}"
mkdir -p "$artifacts"
TALLOW_ARTIFACTS=$(winepath_w "$artifacts")
export TALLOW_ARTIFACTS
wine=$WINE
file -b "$1" | grep -q '^PE32 ' && wine=$WINE32 # a 32-bit program
timeout --kill-after=10 "$limit" $wine "$@"
rc=$?
[ $rc -eq 124 ] && echo "TIMEOUT: $1 did not finish within $limit s" >&2
exit $rc
