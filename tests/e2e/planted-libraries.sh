#!/usr/bin/env bash
# Usage: planted-libraries.sh E2E_BUILD_DIR DRIVER_BUILD_DIR
# A download folder may hold anything: DLLs named like every library that the
# assistant or the system libraries it uses load by name are planted beside a
# copy of the program, Wine is told to prefer such files to its own (as
# Windows does with libraries that are not known DLLs), and a whole XP
# installation runs. None may be loaded. A control program that asks for
# WinINet by name must load its planted copy. The program is the 32-bit one,
# or the x86_64 one where 32-bit code cannot run.
#
# The names come from Wine's trace of the loader (WINEDEBUG=+module) over a
# whole installation; this run traces it too and fails on a library loaded
# by name that is neither planted nor listed as left out below, so a new one
# cannot slip past.
set -u
. "$(dirname "$0")/../slot.sh"
build="$(cd "$1" && pwd)"
drivers="$(cd "$2" && pwd)"
top="$(cd "$(dirname "$0")/../.." && pwd)"
# The program's own, each loaded from the system folder by full path.
own="comctl32 ole32 oleaut32 ws2_32 wininet iphlpapi"
# What the program loads from the system folder first thing on XP.
preloaded="uxtheme userenv setupapi apphelp propsys dwmapi cryptbase oleacc clbcatq rsaenh rsabase"
# What the system libraries ask for by name during the installation.
systems="combase rpcrt4 windowscodecs urlmon mpr bcrypt crypt32 dnsapi nsi"
libraries="$own $preloaded $systems"
# Left out: the known DLLs the program imports and what Wine loads with them
# before the program's first instruction, which Windows takes from the system
# folder whatever lies beside the program (Wine protects no known DLL, so a
# planted copy would load here though it cannot there); imm32, which Wine's
# user32 loads by name as it starts and Windows' by its full path; and Wine's
# own display driver.
left_out="kernel32 user32 gdi32 advapi32 shell32 msvcrt ntdll kernelbase win32u sechost ucrtbase shlwapi shcore
          version zlib1 imm32 winex11.drv"
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

trace="$build/planted.trace"
TALLOW_E2E_PROGRAM=$(winepath_w "$dir/TallowFreeInstall.exe") WINEDEBUG=-all,+pid,trace+module \
    "$top/tests/win/run-wine.sh" --build "$from" --standin 180 "$drivers/wintests.exe" \
    --gtest_filter='Families/InstallOn.InstallsAndStartsTheSetupProgram/winxp' 2>"$trace"
rc=$?
grep -v ':trace:' "$trace" >&2
loaded=$(ls "$dir" | grep -i '\.loaded$')
if [ -n "$loaded" ]; then
    echo "FAILED: the assistant loaded planted libraries from its own folder: $loaded" >&2
    exit 1
fi
# Every library the program's process asked for by name (no folder given).
pid=$(grep -m1 -i 'got main exe .*planted.*TallowFreeInstall\.exe"' "$trace" | cut -d: -f1)
if [ -z "$pid" ]; then
    echo "FAILED: the loader's trace does not show the program starting ($trace)" >&2
    exit 1
fi
by_name=$(grep "^$pid:" "$trace" | sed -n 's/.*:load_dll looking for L"\([^"\\]*\)".*/\1/p' | tr A-Z a-z |
    sed 's/\.dll$//' | sort -u)
unplanted=$(comm -23 <(echo "$by_name") <(echo $libraries $left_out | tr ' ' '\n' | sort -u))
if [ -n "$unplanted" ]; then
    echo "FAILED: loaded by name but neither planted nor left out: $(echo $unplanted)" >&2
    exit 1
fi
[ $rc -eq 0 ] || exit $rc
echo "loaded by name: $(echo $by_name)"
echo "no planted library was loaded ($libraries)"
