#!/usr/bin/env bash
# Usage: check-signature.sh EXE PKI_DIR
# The shipped program as `make release` signs it when given a certificate and
# key (here the throwaway ones of PKI_DIR, tools/pki/make-test-pki.sh): an
# Authenticode signature with a SHA-1 digest by that signer, which verifies up
# to that authority and to no other, and which a changed byte breaks.
set -u
exe=$1
pki=$2
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
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

report=$(osslsigncode verify -CAfile "$pki/root.crt" -in "$exe" 2>&1)
check "signature verifies up to the authority" grep -q '^Signature verification: ok' <<<"$report"
check "SHA-1 digest" grep -q 'Message digest algorithm *: SHA1' <<<"$report"
check "signed by $(cat "$pki/signer.cn")" grep -q "Subject: .*CN=$(cat "$pki/signer.cn")" <<<"$report"
check "not trusted through another authority" bash -c "! osslsigncode verify -CAfile '$pki/rogue-root.crt' -in '$exe'"
python3 -c 'import sys; d = bytearray(open(sys.argv[1], "rb").read()); d[0x600] ^= 1; open(sys.argv[2], "wb").write(d)' \
    "$exe" "$tmp/changed.exe"
check "a changed byte breaks it" bash -c "! osslsigncode verify -CAfile '$pki/root.crt' -in '$tmp/changed.exe'"

echo "signature: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
