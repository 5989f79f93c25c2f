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
manifest=$(wrestool -x -R --type=24 --name=1 "$exe" 2>/dev/null)
check "manifest assembly" grep -q 'name="TallowFreeInstall.Application"' <<<"$manifest"
check "manifest x86 6.0.0.0" grep -q 'version="6.0.0.0" processorArchitecture="X86" name="TallowFreeInstall' <<<"$manifest"
check "manifest common controls 6" grep -q 'name="Microsoft.Windows.Common-Controls" version="6.0.0.0"' <<<"$manifest"
check "manifest without execution level" bash -c "! grep -q requestedExecutionLevel <<<'$manifest'"

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
        bash -c "! osslsigncode verify -CAfile '$pki/rogue-root.crt' -in '$exe'"
    changed=$(mktemp)
    python3 -c 'import sys; d = bytearray(open(sys.argv[1], "rb").read()); d[0x600] ^= 1; open(sys.argv[2], "wb").write(d)' \
        "$exe" "$changed"
    check "signature broken by a changed byte" bash -c "! osslsigncode verify -CAfile '$pki/root.crt' -in '$changed'"
    rm -f "$changed"
fi

echo "release: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
