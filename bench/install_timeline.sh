#!/usr/bin/env bash
# Usage: bench/install_timeline.sh [ROUNDS] [WINE_BUILD_DIR]
#        bench/install_timeline.sh --smoke [BUILD_DIR]
# The timeline of one installation against the vendor stand-in (program
# started, window shown, start posted, install dialog shown, each request,
# setup program started, process ended) beside the same steps of a minimal
# Win32 dialog program under the same Wine (bench/floor.cpp), ROUNDS times
# (default 3). Windows are unmanaged ("Managed"="N" in the bench prefix), as on
# Windows: otherwise Wine's X11 driver waits about 2 s for each window it hides
# without a window manager. The figure that counts is how long each program
# takes to end after the setup program has started; the goal is the assistant
# within 0.5 s of the floor. A benchmark, not a test: it judges nothing.
# BENCH_MANAGED=Y shows the same with Wine's managed windows, for comparison.
# --smoke: one round, to show that it still builds and runs.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
if [ "${1:-}" = --smoke ]; then
    rounds=1 WINE_BUILD_DIR=${2:-$top/build}/wine
else
    rounds=${1:-3} WINE_BUILD_DIR=${2:-$top/build/wine}
fi
WINE_BUILD_DIR="$(realpath -m "$WINE_BUILD_DIR")"
for prog in TallowFreeInstall timeline floor; do
    [ -x "$WINE_BUILD_DIR/$prog.exe" ] || { echo "build it first: make wine" >&2; exit 1; }
done
export WINEPREFIX="$WINE_BUILD_DIR/bench-prefix"
. "$top/tests/wine-env.sh"
. "$top/tests/standin-env.sh"
cleanup() {
    [ -n "${STANDIN_PID:-}" ] && kill "$STANDIN_PID" 2>/dev/null
    wine_env_cleanup
}
trap cleanup EXIT

work="$WINE_BUILD_DIR/bench"
mkdir -p "$work"
cp -f "$WINE_BUILD_DIR/tools/setupstub/setupstub.exe" "$work/setup.exe"

wine_env_prefix
wine_env_display
python3 "$top/tools/demo/visitor.py" "$WINEPREFIX" >/dev/null
$WINE regedit /S "$(winepath_w "$WINEPREFIX/visitor.reg")" >/dev/null 2>&1
python3 - "$work/unmanaged.reg" "${BENCH_MANAGED:-N}" <<'PY'
import sys
text = ('Windows Registry Editor Version 5.00\r\n\r\n'
        '[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\r\n"Managed"="%s"\r\n\r\n' % sys.argv[2])
open(sys.argv[1], 'wb').write(b'\xff\xfe' + text.encode('utf-16-le'))
PY
$WINE regedit /S "$(winepath_w "$work/unmanaged.reg")" >/dev/null 2>&1
standin_start "$WINE_BUILD_DIR"
control() { curl -s --noproxy '*' "http://127.0.0.1:$STANDIN_WEB_PORT/_control/$1"; }

echo "Wine $($WINE --version 2>/dev/null || true), $(nproc) cores, Managed=${BENCH_MANAGED:-N}, $rounds rounds;" \
    "seconds after the program was started"
for round in $(seq "$rounds"); do
    for who in assistant floor; do
        control reset >/dev/null
        record="$work/setup-$who.txt"
        rm -f "$record"
        TALLOW_SETUPSTUB_RECORD="$(winepath_w "$work")\\setup-$who.txt"
        export TALLOW_SETUPSTUB_RECORD
        if [ $who = assistant ]; then
            $WINE "$WINE_BUILD_DIR/timeline.exe" 120 "$(winepath_w "$WINE_BUILD_DIR/TallowFreeInstall.exe")"
        else
            $WINE "$WINE_BUILD_DIR/timeline.exe" 60 "$(winepath_w "$WINE_BUILD_DIR/floor.exe")" "$(winepath_w "$work/setup.exe")"
        fi | tr -d '\r' >"$work/steps-$who.txt" || true
        control requests >"$work/requests-$who.json"
        wineserver -w
    done
    python3 - "$work" "$round" <<'PY'
import json, os, re, sys
work, round_ = sys.argv[1], sys.argv[2]

def timeline(who):
    steps = []
    for line in open(os.path.join(work, "steps-%s.txt" % who)):
        ms, _, name = line.strip().partition(" ")
        steps.append((int(ms), name))
    for line in open(os.path.join(work, "requests-%s.json" % who)):
        r = json.loads(line)
        if r["path"] != "/tlfree/TLuserInfo.php":  # the page the browser asks for
            steps.append((int(r["time"] * 1000), "request %s %s" % (r["server"], r["path"].split("?")[0])))
    record = os.path.join(work, "setup-%s.txt" % who)
    if os.path.exists(record):
        for m in re.finditer(r"started=(\d+)", open(record).read()):
            steps.append((int(m.group(1)), "setup program started"))
    steps.sort(key=lambda step: step[0])  # stable: same-millisecond steps keep their order
    start = next(ms for ms, name in steps if name == "process started")
    return [(name, (ms - start) / 1000.0) for ms, name in steps]

a, f = timeline("assistant"), timeline("floor")
floor = dict(f)
print("round %s %-62s %9s %9s" % (round_, "step", "assistant", "floor"))
for name, t in a:
    print("        %-62s %9.3f %9s" % (name, t, "%.3f" % floor[name] if name in floor else "-"))
for name, t in f:
    if name not in dict(a):
        print("        %-62s %9s %9.3f" % (name, "-", t))

def tail(steps):
    d = dict(steps)
    if "setup program started" in d and "process ended" in d:
        return d["process ended"] - d["setup program started"]
    return None

ta, tf = tail(a), tail(f)
if ta is None or tf is None:
    print("        ended after setup started: not measured (a step is missing: FAILED)")
else:
    print("        %-62s %9.3f %9.3f" % ("ended after the setup program started", ta, tf))
    print("        the assistant against the floor: %+.3f s (goal: at most +0.500 s)" % (ta - tf))
PY
done
