#!/usr/bin/env bash
# Usage: run32.sh E2E_BUILD_DIR SECONDS DRIVER.exe [ARGS...]
# Runs the end-to-end driver (the x86_64 test program) against the 32-bit
# program of E2E_BUILD_DIR, in that build's Wine prefix with its stand-in (so
# the 32-bit stand-ins are served). Exits 77 with the reason printed where the
# machine cannot execute 32-bit code.
set -u
build="$(cd "$1" && pwd)"
limit=$2
shift 2
top="$(cd "$(dirname "$0")/../.." && pwd)"
WINE_BUILD_DIR=$build
. "$top/tests/wine-env.sh"
. "$top/tests/e2e/wine32-env.sh"
trap wine_env_cleanup EXIT
wine_env_display || exit 1
wine32_probe "$build" || exit $?
TALLOW_E2E_PROGRAM=${TALLOW_E2E_PROGRAM:-$(winepath_w "$build/TallowFreeInstall.exe")}
export TALLOW_E2E_PROGRAM
"$top/tests/win/run-wine.sh" --build "$build" --standin "$limit" "$@"
