#!/usr/bin/env bash
# Usage: run-wine.sh SECONDS PROGRAM.exe [ARGS...]
# Runs a test program under Wine with a time limit; a hung program fails.
set -u
limit=$1
shift
WINE_BUILD_DIR="$(cd "$(dirname "$1")" && pwd)"
while [ ! -f "$WINE_BUILD_DIR/CMakeCache.txt" ] && [ "$WINE_BUILD_DIR" != / ]; do
    WINE_BUILD_DIR=$(dirname "$WINE_BUILD_DIR")
done
. "$(dirname "$0")/../wine-env.sh"
trap wine_env_cleanup EXIT
wine_env_prefix
wine_env_display || exit 1
artifacts="${TALLOW_ARTIFACTS:-$WINE_BUILD_DIR/artifacts}"
mkdir -p "$artifacts"
TALLOW_ARTIFACTS=$(winepath_w "$artifacts")
export TALLOW_ARTIFACTS
timeout --kill-after=10 "$limit" $WINE "$@"
rc=$?
[ $rc -eq 124 ] && echo "TIMEOUT: $1 did not finish within $limit s" >&2
exit $rc
