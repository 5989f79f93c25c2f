#!/usr/bin/env bash
# Runs the demo against a Wine build and checks what it shows: a passing
# verdict, and the install dialog photographed in the middle of the download
# with its progress bar partly green (so its percentage is between 1% and 99%).
# Usage: demo-test.sh E2E_BUILD_DIR DRIVER_BUILD_DIR (the 32-bit program's
# build, the x86_64 build with the demo driver).
set -u -o pipefail
. "$(dirname "$0")/../slot.sh"
build=$1
top="$(cd "$(dirname "$0")/../.." && pwd)"
out="$build/demo-out"
export E2E_BUILD_DIR="$build" WINE_BUILD_DIR="$2" DEMO_OUT="$out"
"$top/tools/demo/demo.sh" | tee "$build/demo.log"
[ $? -eq 0 ] || exit 1
grep -q '^DEMO PASSED' "$build/demo.log" || exit 1
python3 - "$out/install-dialog.png" <<'PY'
import subprocess, sys
# The bar's middle row, inside its outline: (110..487, 241) of the dialog.
ppm = subprocess.run(["convert", sys.argv[1], "-crop", "378x1+110+241", "+repage", "ppm:-"],
                     check=True, capture_output=True).stdout
pixels = ppm.split(b"\n", 3)[3]
green = sum(1 for i in range(0, len(pixels), 3)
            if abs(pixels[i] - 109) < 40 and abs(pixels[i + 1] - 204) < 40 and abs(pixels[i + 2] - 48) < 40)
share = green / (len(pixels) // 3)
print("install dialog mid-download: %.0f%% of the bar green" % (100 * share))
sys.exit(0 if 0.01 <= share <= 0.99 else 1)
PY
