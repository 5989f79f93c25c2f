#!/usr/bin/env bash
# Usage: ctest32.sh E2E_BUILD_DIR [--with BUILD_DIR]... [CTEST ARGS...]
# Runs the end-to-end entries of the 32-bit build (with --with, another
# build's entries too, in the same queue), then says loudly whether the
# x86_64 program stood in for the 32-bit one, and how many checks were
# skipped and why (CTest lists skipped entries but not their reason).
set -u
e2e="$(cd "$1" && pwd)" || exit 1
shift
dirs=("$e2e")
while [ "${1:-}" = --with ]; do
    dirs+=("$(cd "$2" && pwd)") || exit 1
    shift 2
done
cd "$e2e" || exit 1
rm -f skipped32.txt x86_64-instead.txt
if [ ${#dirs[@]} -gt 1 ]; then
    # One CTest queue over several builds: a folder whose tests are theirs.
    mkdir -p queue
    printf 'subdirs("%s")\n' "${dirs[@]}" >queue/CTestTestfile.cmake
    cd queue || exit 1
fi
ctest --output-on-failure "$@"
rc=$?
cd "$e2e" || exit 1
if [ -s x86_64-instead.txt ]; then
    echo "NOTE: NO 32-BIT CODE HERE: $(wc -l <x86_64-instead.txt) end-to-end runs used the x86_64 build of the same sources instead: $(head -n 1 x86_64-instead.txt)"
fi
if [ -s skipped32.txt ]; then
    echo "SKIPPED: $(wc -l <skipped32.txt) checks: $(sort -u skipped32.txt | paste -sd ';')"
fi
exit $rc
