#!/usr/bin/env bash
# Checks the shipped program: a 32-bit GUI executable that loads on Windows 98,
# Me, NT 4.0, 2000, XP, 2003 and Vista, needs no MinGW runtime DLLs and carries
# its resources, version information and manifest.
set -u
exe=${1:-build/release/TallowFreeInstall.exe}
here="$(cd "$(dirname "$0")" && pwd)"
passed=0
failed=0
check() {
    local what=$1
    shift
    local out
    if out=$("$@" 2>&1); then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        echo "FAILED: $what"
        [ -z "$out" ] || sed 's/^/    /' <<<"$out"
    fi
}

file_info=$(file -b "$exe" 2>/dev/null)
check "PE32 GUI executable for Intel 80386" grep -q 'PE32 executable (GUI) Intel 80386' <<<"$file_info"
# A DLL imported by name is looked for in the program's own folder first; only
# the system's known DLLs are safe to import (and the C runtime's msvcrt,
# which the program cannot do without), the rest load by full path.
echo "imports: $(python3 "$here/pe.py" libraries "$exe" 2>&1 | paste -sd' ')"
check "imports only kernel32, user32, gdi32, advapi32, shell32 and msvcrt" python3 "$here/pe.py" libraries "$exe"

# The loader of the oldest supported system refuses a program whose import
# table names a function its DLLs lack; Wine never does, so only this shows it.
check "every import exists and works on 98, Me, NT 4.0, 2000, XP, 2003, Vista" \
    python3 "$here/pe.py" imports "$exe"
# The runtime survives the failure of these wide-character stubs on 98/Me;
# product code would not.
runtime_wide=$(awk -F'\t' '$2 == "runtime" {print $1}' "$here/winapi/wide.tsv" | paste -sd'|')
check "src/ calls none of the wide functions allowed only for the runtime ($runtime_wide)" \
    bash -c "cd '$here/../..' && ! grep -rnwE '$runtime_wide' src"
header=$(python3 "$here/pe.py" header "$exe" 2>&1)
check "GUI subsystem" grep -qx 'subsystem=2' <<<"$header"
check "OS version 4.0" grep -qx 'os_version=4.0' <<<"$header"
check "subsystem version 4.0" grep -qx 'subsystem_version=4.0' <<<"$header"
check "terminal-server aware" grep -qx 'tsaware=1' <<<"$header"
check "stripped: no symbols, no debug sections" grep -qx 'stripped=1' <<<"$header"
size=$(stat -c %s "$exe")
echo "size: $size bytes, $((size / 1024)) KiB stripped (goal: at most 320 KiB, skin images included)"
# What the stripped program's symbols were: the linker's map beside it.
map="${exe%.exe}.map"
check "linker map beside the program" test -s "$map"
disassembly=$(i686-w64-mingw32-objdump -d "$exe")
# The stack protector: functions call the failure handler, and the guard is
# our own (the support library's loads a cryptographic provider before WinMain).
chk_fail=$(awk '$1 ~ /^0x/ && $2 == "__stack_chk_fail" {sub(/^0x0*/, "", $1); print $1}' "$map")
guarded=$(grep -E -c "call +(0x)?${chk_fail:-none}\b" <<<"$disassembly")
check "stack protector in $guarded functions" test "$guarded" -gt 10
check "stack guard set up by the program, not the support library" grep -q 'SetUpStackGuard' "$map"

# The entry point is our processor check, which must run on any processor
# Windows runs on: nothing newer than the 386 before it goes on into the C
# runtime's start-up (CPUID is its probe, asked only where the ID flag of
# EFLAGS toggles).
entry=$(python3 "$here/pe.py" entry "$exe" 2>&1)
check "entry point is the processor check" grep -qx 'symbol=ProcessorCheckEntry' <<<"$entry"
routine=$(i686-w64-mingw32-objdump -d --no-show-raw-insn \
    --start-address="$(sed -n 's/^start=//p' <<<"$entry")" --stop-address="$(sed -n 's/^stop=//p' <<<"$entry")" \
    "$exe" | awk -F'\t' 'NF >= 2 && $1 ~ /^ *[0-9a-f]+:$/ {print $2}')
mnemonics=$(awk '{print $1}' <<<"$routine" | sort -u | paste -sd' ')
echo "entry routine $(sed -n 's/^symbol=//p' <<<"$entry") at $(sed -n 's/^entry=//p' <<<"$entry"):" \
    "$(wc -l <<<"$routine") instructions: $mnemonics"
check "entry routine holds no instruction newer than the 386" bash -c "! grep -E -i \
    '^(cmov|fcmov|fcomi|fucomi|cmpxchg|xadd|bswap|rdtsc|rdmsr|sysenter|emms|movd|movq|pshuf|prefetch|[sl]?fence)|%x?mm' \
    <<<'$routine'"
check "entry routine goes on into the start-up" \
    grep -E -q "^(jmp|call) +$(sed -n 's/^startup=//p' <<<"$entry")\$" <<<"$routine"

resources=$(wrestool -l "$exe")
for id in 100 102 140; do
    check "dialog $id" grep -q -- "--type=5 --name=$id " <<<"$resources"
done
check "icon 128" grep -q -- "--type=14 --name=128 " <<<"$resources"
# The install dialog: a hidden popup with its own font, 187 x 94 units, the
# percentage text and the progress bar.
dialog142=$(wrestool -x -R --type=5 --name=142 "$exe" 2>/dev/null | od -An -tx1 -v | tr -d ' \n')
check "dialog 142 hidden popup of 187 x 94" grep -q '^4000008000000000020000000000bb005e00' <<<"$dialog142"
# Its texts, one per line (window class names are not case-sensitive).
dialog142_texts=$(wrestool -x -R --type=5 --name=142 "$exe" 2>/dev/null | iconv -f UTF-16LE -t UTF-8 -c | tr '\0' '\n')
for text in System " 0%" msctls_progress32 Progress1; do
    check "dialog 142 text \"$text\"" grep -q -i -F -- "$text" <<<"$dialog142_texts"
done
check "string table block 1 (ids 0-15)" grep -q -- "--type=6 --name=1 " <<<"$resources"
for id in 131 132 133 134 135 136 137 139 143 144 145; do
    check "JPEG image $id" grep -q -- "--type='JPGS' --name=$id " <<<"$resources"
done
version_file=$(mktemp)
wrestool -x -R --type=16 --name=1 "$exe" >"$version_file" 2>/dev/null
version=$(python3 "$here/pe.py" version "$version_file" 2>&1)
rm -f "$version_file"
check "version resource" grep -qx 'signature=0xfeef04bd' <<<"$version"
check "version resource in Korean, Unicode (041204b0)" grep -qx 'translation=041204b0' <<<"$version"
check "version resource product name" grep -qx 'StringFileInfo/041204b0/ProductName=탈로 FREE' <<<"$version"
for name in CompanyName FileDescription FileVersion ProductVersion; do
    check "version resource $name" grep -q "^StringFileInfo/041204b0/$name=." <<<"$version"
done
manifest_file=$(mktemp)
wrestool -x -R --type=24 --name=1 "$exe" >"$manifest_file" 2>/dev/null
manifest=$(python3 "$here/manifest.py" "$manifest_file" 2>&1)
rm -f "$manifest_file"
check "manifest assembly TallowFreeInstall.Application 6.0.0.0 x86" \
    grep -qx 'identity=TallowFreeInstall.Application 6.0.0.0 X86' <<<"$manifest"
check "manifest common controls 6" grep -qx 'dependency=Microsoft.Windows.Common-Controls 6.0.0.0' <<<"$manifest"
# Vista elevates the program whatever its names say, so the private folder
# and the setup program are out of any other process's reach.
check "manifest asks for administrator rights" grep -qx 'execution_level=requireAdministrator' <<<"$manifest"
check "manifest asks for no UI access" grep -qx 'ui_access=false' <<<"$manifest"
# Each namespace declared once, without a prefix: a manifest that declares
# the trust information's namespace again restarts an unpatched XP SP2.
check "manifest declares asm.v1 at its root and asm.v3 on trustInfo, nothing more" \
    diff <(grep '^declaration=' <<<"$manifest") <(printf '%s\n' 'declaration=assembly xmlns=urn:schemas-microsoft-com:asm.v1' \
        'declaration=trustInfo xmlns=urn:schemas-microsoft-com:asm.v3')
# The transport sits below the installation: nothing in net/ leans on install/ or app/.
check "src/net includes nothing from install/ or app/" \
    bash -c "cd '$here/../..' && ! grep -rnE '#include \"(install|app)/' src/net"

# check-release.sh EXE PKI_DIR: the signature that `make release` adds when
# given SIGN_CERT and SIGN_KEY, here the throwaway ones of PKI_DIR
# (tools/pki/make-test-pki.sh) that `make test` uses. SHA-1 Authenticode by
# that signer, trusted through that authority and no other, broken by one
# changed byte.
pki=${2:-}
if [ -n "$pki" ]; then
    signature=$(osslsigncode verify -CAfile "$pki/root.crt" -in "$exe" 2>&1)
    check "signature verifies up to the authority" grep -q '^Signature verification: ok' <<<"$signature"
    check "signature with a SHA-1 digest" grep -q 'Message digest algorithm *: SHA1' <<<"$signature"
    check "signed by $(cat "$pki/signer.cn")" grep -q "Subject: .*CN=$(cat "$pki/signer.cn")\$" <<<"$signature"
    check "signature not trusted through another authority" \
        bash -c "! osslsigncode verify -CAfile '$pki/other-root.crt' -in '$exe'"
    changed=$(mktemp)
    python3 -c 'import sys; d = bytearray(open(sys.argv[1], "rb").read()); d[0x600] ^= 1; open(sys.argv[2], "wb").write(d)' \
        "$exe" "$changed"
    check "signature broken by a changed byte" bash -c "! osslsigncode verify -CAfile '$pki/root.crt' -in '$changed'"
    rm -f "$changed"
fi

echo "release: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
