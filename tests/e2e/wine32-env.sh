# Sourced after tests/wine-env.sh: can this machine run the 32-bit program?
# wine32_probe BUILD_DIR prints the reason and returns 77 where the machine
# cannot execute 32-bit code, 1 where it can but a 32-bit program does not
# start in the prefix (a fault to mend, not a skip), 0 otherwise.
# The probe program is the setup stand-in built with the program. Call it
# with the display set (wine_env_display): Wine's desktop process that the
# probe starts stays for the programs run right after it, with its display.
wine32_probe() {
    local build=$1 out rc record
    if [ ! -x "$WINE32_BIN" ]; then
        echo "FAILED: no 32-bit Wine ($WINE32_BIN); scripts/install-deps.sh installs wine32:i386" >&2
        return 1
    fi
    # The 32-bit Wine loader is itself a 32-bit Linux program.
    out=$("$WINE32_BIN" --version 2>&1)
    rc=$?
    if [ $rc -eq 126 ]; then
        WINE32_UNAVAILABLE="this machine cannot execute 32-bit code ($WINE32_BIN: ${out##*: })"
        return 77
    elif [ $rc -ne 0 ]; then
        echo "FAILED: $WINE32_BIN --version: exit $rc: $out" >&2
        return 1
    fi
    wine_env_prefix
    record="$build/probe32.record"
    rm -f "$record"
    TALLOW_SETUPSTUB_RECORD=$(winepath_w "$(dirname "$record")")\\probe32.record \
        timeout 60 $WINE32 "$build/tools/setupstub/setupstub.exe" >/dev/null 2>&1
    rc=$?
    if [ ! -s "$record" ]; then
        echo "FAILED: a 32-bit program did not run in $WINEPREFIX (exit $rc)" >&2
        return 1
    fi
    rm -f "$record"
    return 0
}

# e2e_choose_program E2E_BUILD_DIR DRIVER_BUILD_DIR picks the program a whole
# installation runs with and sets E2E_PROGRAM_BUILD to the build that holds
# it, its stand-ins and its stand-in server's folder. That is the 32-bit
# program where this machine can run it. Where it cannot, the x86_64 build of
# the same sources (the driver's build) stands in, and one loud line says so:
# the scenarios are the same, only what needs 32-bit code itself is skipped.
# Returns 1 on a fault, as wine32_probe does.
e2e_choose_program() {
    local rc
    E2E_PROGRAM_BUILD=$1
    E2E_PROGRAM_BITS=32
    wine32_probe "$1"
    rc=$?
    [ $rc -eq 77 ] || return $rc
    E2E_PROGRAM_BUILD="$(cd "$2" && pwd)"
    E2E_PROGRAM_BITS=64
    echo "NOTE: NO 32-BIT CODE HERE: $WINE32_UNAVAILABLE; running the x86_64 build instead ($E2E_PROGRAM_BUILD/TallowFreeInstall.exe)"
    # Also noted in the build, for the summary of a whole run (tests/e2e/ctest32.sh).
    echo "$WINE32_UNAVAILABLE" >>"$1/x86_64-instead.txt"
    wine_env_prefix
    return 0
}

# e2e_skip_without_32bit E2E_BUILD_DIR WHAT, where wine32_probe returned 77: a
# check that exists only for the 32-bit program exits 77 with the reason.
e2e_skip_without_32bit() {
    echo "$2 needs the 32-bit program: $WINE32_UNAVAILABLE" >>"$1/skipped32.txt"
    echo "SKIPPED: $2 needs the 32-bit program: $WINE32_UNAVAILABLE"
    exit 77
}
