#!/usr/bin/env bash
# Usage: ctest32.sh E2E_BUILD_DIR [CTEST ARGS...]
# Runs the end-to-end entries of the 32-bit build, then says how many were
# skipped and why (CTest lists skipped entries but not their reason).
set -u
cd "$1" || exit 1
shift
rm -f skipped32.txt
ctest --output-on-failure "$@"
rc=$?
if [ -s skipped32.txt ]; then
    echo "SKIPPED: $(wc -l <skipped32.txt) runs of the 32-bit program: $(head -n 1 skipped32.txt)"
fi
exit $rc
