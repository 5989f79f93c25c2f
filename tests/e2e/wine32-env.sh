# Sourced after tests/wine-env.sh: can this machine run the 32-bit program?
# wine32_probe BUILD_DIR prints the reason and returns 77 (skip) where the
# machine cannot execute 32-bit code, 1 where it can but a 32-bit program
# does not start in the prefix (a fault to mend, not a skip), 0 otherwise.
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
        # Also noted in the build, for the summary of a whole run (tests/e2e/ctest32.sh).
        echo "this machine cannot execute 32-bit code ($WINE32_BIN: ${out##*: })" | tee -a "$build/skipped32.txt" |
            sed 's/^/SKIPPED: /'
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
