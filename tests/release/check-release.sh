#!/usr/bin/env bash
# Checks the shipped program: a 32-bit GUI executable that needs no MinGW
# runtime DLLs and carries its resources and manifest.
set -u
exe=${1:-build/release/TallowFreeInstall.exe}
passed=0
failed=0
check() {
    local what=$1
    shift
    if "$@" >/dev/null 2>&1; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        echo "FAILED: $what"
    fi
}

file_info=$(file -b "$exe" 2>/dev/null)
check "PE32 GUI executable for Intel 80386" grep -q 'PE32 executable (GUI) Intel 80386' <<<"$file_info"
imports=$(i686-w64-mingw32-objdump -p "$exe" | awk '/DLL Name:/ {print tolower($3)}')
check "no MinGW runtime DLLs" bash -c "! grep -E -q 'libgcc|libstdc|libwinpthread' <<<'$imports'"

resources=$(wrestool -l "$exe")
for id in 100 102; do
    check "dialog $id" grep -q -- "--type=5 --name=$id " <<<"$resources"
done
check "icon 128" grep -q -- "--type=14 --name=128 " <<<"$resources"
check "string table block 1 (ids 0-15)" grep -q -- "--type=6 --name=1 " <<<"$resources"
for id in 131 132 133 134 135 136 137 139 143 144 145; do
    check "JPEG image $id" grep -q -- "--type='JPGS' --name=$id " <<<"$resources"
done
manifest=$(wrestool -x -R --type=24 --name=1 "$exe" 2>/dev/null)
check "manifest assembly" grep -q 'name="TallowFreeInstall.Application"' <<<"$manifest"
check "manifest x86 6.0.0.0" grep -q 'version="6.0.0.0" processorArchitecture="X86" name="TallowFreeInstall' <<<"$manifest"
check "manifest common controls 6" grep -q 'name="Microsoft.Windows.Common-Controls" version="6.0.0.0"' <<<"$manifest"
check "manifest without execution level" bash -c "! grep -q requestedExecutionLevel <<<'$manifest'"

echo "release: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
