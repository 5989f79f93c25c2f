# Sourced after tests/wine-env.sh: can this machine run the 32-bit program?
# wine32_probe BUILD_DIR prints the reason and returns 77 (skip) where the
# machine cannot execute 32-bit code, 1 where it can but a 32-bit program
# does not start in the prefix (a fault to mend, not a skip), 0 otherwise.
# The probe program is the setup stand-in built with the program.
wine32_probe() {
    local build=$1 out rc record
    if [ ! -x "$WINE32_BIN" ]; then
        echo "FAILED: no 32-bit Wine ($WINE32_BIN); scripts/install-deps.sh installs wine32:i386" >&2
        return 1
    fi
    out=$("$WINE32_BIN" --version 2>&1)
    rc=$?
    if [ $rc -ne 0 ]; then
        echo "SKIPPED: this machine cannot execute 32-bit code ($WINE32_BIN --version: exit $rc, ${out:-no output})"
        return 77
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
