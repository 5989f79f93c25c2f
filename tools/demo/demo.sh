#!/usr/bin/env bash
# The setup assistant's main job, shown end to end: the vendor stand-in on
# loopback, a visitor's machine (a Wine prefix with the partner cookie), the
# assistant under Wine on a private X display, and the visitor's download.
# Prints each step, saves screenshots under build/demo/ and ends with a verdict.
# The assistant is the shipped 32-bit program pointed at the stand-in
# (E2E_BUILD_DIR, `make e2e`); the visitor is played by the x86_64 demo driver
# (WINE_BUILD_DIR, `make wine`). Where the machine cannot execute 32-bit code,
# the x86_64 build of the same sources is the assistant, and the demo says so.
set -u
top="$(cd "$(dirname "$0")/../.." && pwd)"
WINE_BUILD_DIR="${WINE_BUILD_DIR:-$top/build/wine}"
E2E_BUILD_DIR="${E2E_BUILD_DIR:-$top/build/e2e}"
out="${DEMO_OUT:-$top/build/demo}"
export WINEPREFIX="$E2E_BUILD_DIR/demo-prefix"
export WINE_ENV_SCREEN=1280x1280 # tall enough for the whole 801-pixel window placed low
. "$top/tests/wine-env.sh"
. "$top/tests/standin-env.sh"
. "$top/tests/e2e/wine32-env.sh"

cleanup() {
    [ -n "${STANDIN_PID:-}" ] && kill "$STANDIN_PID" 2>/dev/null
    wine_env_cleanup
}
trap cleanup EXIT

rm -rf "$out"
mkdir -p "$out"
echo "== preparing the visitor's machine (Wine prefix $WINEPREFIX)"
wine_env_display || exit 1
if ! e2e_choose_program "$E2E_BUILD_DIR" "$WINE_BUILD_DIR"; then
    echo "DEMO FAILED: see above"
    exit 1
fi
assistant=$E2E_PROGRAM_BUILD
python3 "$top/tools/demo/visitor.py" "$WINEPREFIX" || exit 1
$WINE regedit /S "$(winepath_w "$WINEPREFIX/visitor.reg")" >/dev/null 2>&1

echo "== starting the vendor stand-in"
standin_start "$assistant" || exit 1
echo "   web service on 127.0.0.1:$STANDIN_WEB_PORT, downloads on 127.0.0.1:$STANDIN_DOWNLOAD_PORT"
# A slow line, so the progress bar can be watched.
curl -s --noproxy '*' "http://127.0.0.1:$STANDIN_WEB_PORT/_control/set?rate=200000" >/dev/null

echo "== running the setup assistant"
# The setup stand-in that the assistant downloads and starts records how it was started.
TALLOW_SETUPSTUB_RECORD="$(winepath_w "$out")\\setup-started.txt"
export TALLOW_SETUPSTUB_RECORD
$WINE "$WINE_BUILD_DIR/tools/demodriver/demodriver.exe" "$(winepath_w "$assistant/TallowFreeInstall.exe")" \
    "$(winepath_w "$out")" 150 | tr -d '\r'
rc=${PIPESTATUS[0]}

echo "== what the vendor's servers saw"
curl -s --noproxy '*' "http://127.0.0.1:$STANDIN_WEB_PORT/_control/requests" |
    python3 -c 'import json,sys; [print("   %-8s %s" % (r["server"], r["path"])) for r in map(json.loads, sys.stdin)]'

record="$out/setup-started.txt"
if [ -s "$record" ]; then
    echo "== the setup program was started:"
    tr -d '\r' <"$record" | sed -n 's/^\(path\|args\|elevated\)=/   \1: /p'
else
    echo "== the setup program was not started"
    rc=1
fi

for bmp in "$out"/*.bmp; do
    [ -e "$bmp" ] || continue
    convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"
done
echo "== screenshots: $(cd "$out" && ls *.png 2>/dev/null | tr '\n' ' ')"
if [ "$rc" -eq 0 ]; then
    echo "DEMO PASSED: signed in, downloaded with progress, started the setup program and ended" \
        "($E2E_PROGRAM_BITS-bit program)"
else
    echo "DEMO FAILED: see the steps above"
fi
exit "$rc"
