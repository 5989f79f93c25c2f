#!/usr/bin/env bash
# Usage: planted-libraries.sh E2E_BUILD_DIR DRIVER_BUILD_DIR
# A download folder may hold anything: DLLs named like every library the
# assistant loads (and the certificate libraries, which it never needs) are
# planted beside a copy of the program, Wine is told to prefer such files to
# its own (as Windows does with libraries that are not known DLLs), and a
# whole installation runs. None may be loaded. A control program that asks
# for WinINet by name must load its planted copy. The program is the 32-bit
# one, or the x86_64 one where 32-bit code cannot run.
set -u
. "$(dirname "$0")/../slot.sh"
build="$(cd "$1" && pwd)"
drivers="$(cd "$2" && pwd)"
top="$(cd "$(dirname "$0")/../.." && pwd)"
libraries="wininet iphlpapi crypt32 wintrust"
export WINE_EXTRA_OVERRIDES="$(echo $libraries | tr ' ' ',')=n,b"

WINE_BUILD_DIR=$build
. "$top/tests/wine-env.sh"
. "$top/tests/e2e/wine32-env.sh"
trap wine_env_cleanup EXIT
wine_env_display || exit 1
e2e_choose_program "$build" "$drivers" || exit $?
from=$E2E_PROGRAM_BUILD
wine=$WINE32
[ "$E2E_PROGRAM_BITS" = 32 ] || wine=$WINE

dir="$build/planted"
rm -rf "$dir"
mkdir -p "$dir"
cp "$from/TallowFreeInstall.exe" "$from/loadsbyname.exe" "$dir/"
for lib in $libraries; do
    cp "$from/planted.dll" "$dir/$lib.dll"
done

timeout 60 $wine "$dir/loadsbyname.exe" >/dev/null 2>&1
# The marker takes the name the loader gave the module, in whatever case.
if ! ls "$dir" | grep -qix 'wininet\.dll\.loaded'; then
    echo "FAILED: the control program's planted wininet.dll was not loaded; the check proves nothing here" >&2
    exit 1
fi
find "$dir" -iname "*.loaded" -delete

TALLOW_E2E_PROGRAM=$(winepath_w "$dir/TallowFreeInstall.exe") \
    "$top/tests/win/run-wine.sh" --build "$from" --standin 180 "$drivers/wintests.exe" \
    --gtest_filter='Families/InstallOn.InstallsAndStartsTheSetupProgram/winxp'
rc=$?
loaded=$(ls "$dir" | grep -i '\.loaded$')
if [ -n "$loaded" ]; then
    echo "FAILED: the assistant loaded planted libraries from its own folder: $loaded" >&2
    exit 1
fi
[ $rc -eq 0 ] || exit $rc
echo "no planted library was loaded ($libraries)"
