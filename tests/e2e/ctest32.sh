#!/usr/bin/env bash
# Usage: ctest32.sh E2E_BUILD_DIR [CTEST ARGS...]
# Runs the end-to-end entries of the 32-bit build, then says loudly whether
# the x86_64 program stood in for it, and how many checks were skipped and
# why (CTest lists skipped entries but not their reason).
set -u
cd "$1" || exit 1
shift
rm -f skipped32.txt x86_64-instead.txt
ctest --output-on-failure "$@"
rc=$?
if [ -s x86_64-instead.txt ]; then
    echo "NOTE: NO 32-BIT CODE HERE: $(wc -l <x86_64-instead.txt) end-to-end runs used the x86_64 build of the same sources instead: $(head -n 1 x86_64-instead.txt)"
fi
if [ -s skipped32.txt ]; then
    echo "SKIPPED: $(wc -l <skipped32.txt) checks: $(sort -u skipped32.txt | paste -sd ';')"
fi
exit $rc
