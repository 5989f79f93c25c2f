#!/usr/bin/env bash
# Usage: run32.sh [--needs-32-bit WHAT] E2E_BUILD_DIR SECONDS DRIVER.exe [ARGS...]
# Runs the end-to-end driver (the x86_64 test program) against the 32-bit
# program of E2E_BUILD_DIR, in that build's Wine prefix with its stand-in (so
# the 32-bit stand-ins are served). Where the machine cannot execute 32-bit
# code, the x86_64 program of the driver's build runs instead, with that
# build's stand-ins, and one loud line says so; a check that needs the 32-bit
# program itself (--needs-32-bit) then exits 77 with the reason.
set -u
. "$(dirname "$0")/../slot.sh"
needs32=
if [ "$1" = --needs-32-bit ]; then
    needs32=$2
    shift 2
fi
build="$(cd "$1" && pwd)"
limit=$2
shift 2
drivers="$(cd "$(dirname "$1")" && pwd)"
top="$(cd "$(dirname "$0")/../.." && pwd)"
WINE_BUILD_DIR=$build
. "$top/tests/wine-env.sh"
. "$top/tests/e2e/wine32-env.sh"
trap wine_env_cleanup EXIT
wine_env_display || exit 1
if [ -n "$needs32" ]; then
    wine32_probe "$build"
    rc=$?
    [ $rc -eq 77 ] && e2e_skip_without_32bit "$build" "$needs32"
    [ $rc -eq 0 ] || exit $rc
    E2E_PROGRAM_BUILD=$build
else
    e2e_choose_program "$build" "$drivers" || exit $?
fi
if [ "$E2E_PROGRAM_BUILD" = "$build" ]; then
    TALLOW_E2E_PROGRAM=${TALLOW_E2E_PROGRAM:-$(winepath_w "$build/TallowFreeInstall.exe")}
    export TALLOW_E2E_PROGRAM
else
    # The driver takes the program beside it.
    unset TALLOW_E2E_PROGRAM
fi
"$top/tests/win/run-wine.sh" --build "$E2E_PROGRAM_BUILD" --standin "$limit" "$@"
