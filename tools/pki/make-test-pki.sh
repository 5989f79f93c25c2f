#!/usr/bin/env bash
# Usage: make-test-pki.sh OUT_DIR
# Throwaway keys and certificates for the tests and the demo, and the ODBC
# driver stand-in, made once per build tree before the builds are configured
# (never committed), with the pins the test builds are configured with:
#   signer.crt, signer.key  "Tallow Test Publisher" (code signing), issued by root: the vendor's key
#   signer.pin              SHA-256 of signer.key's DER SubjectPublicKeyInfo (VENDOR_KEY_PINS)
#   reissued.crt            the same key under another authority (other-root) and another name
#   serverauth.crt          the same key, for server authentication only
#   impostor.crt/.key       another key carrying the vendor's name, under an authority named as root
#   root.crt, other-root.crt
#   odbcjt32.dll            the ODBC driver the stand-in serves; driver.sha256 its SHA-256 (ODBC_DRIVER_SHA256)
set -euo pipefail
out=$1
# Made again when what this script makes changes.
version=2
mkdir -p "$out"
cd "$out"
if [ "$(cat pki.version 2>/dev/null)" = "$version" ] && [ -f signer.pin ] && [ -f driver.sha256 ]; then
    exit 0
fi
rm -f ./*.crt ./*.key ./*.der ./*.srl ./*.cnf ./*.pin ./*.sha256 ./*.dll ./*.cn pki.version

cat >ca.cnf <<'CNF'
[v3_ca]
basicConstraints = critical, CA:true
keyUsage = critical, keyCertSign, cRLSign
subjectKeyIdentifier = hash
[v3_sign]
basicConstraints = critical, CA:false
keyUsage = critical, digitalSignature
extendedKeyUsage = codeSigning
subjectKeyIdentifier = hash
authorityKeyIdentifier = keyid
[v3_server]
basicConstraints = critical, CA:false
keyUsage = critical, digitalSignature
extendedKeyUsage = serverAuth
CNF

authority() { # NAME CN
    openssl req -x509 -new -newkey rsa:2048 -nodes -sha256 -days 3650 -subj "/O=Tallow Test/CN=$2" \
        -keyout "$1.key" -out "$1.crt" -extensions v3_ca -config <(cat /etc/ssl/openssl.cnf ca.cnf) 2>/dev/null
}
leaf() { # NAME CN AUTHORITY KEY EXTENSIONS
    [ -f "$4.key" ] || openssl genrsa -out "$4.key" 2048 2>/dev/null
    openssl req -new -key "$4.key" -subj "/O=Tallow Test/CN=$2" -out "$1.csr"
    openssl x509 -req -sha256 -days 3650 -in "$1.csr" -CA "$3.crt" -CAkey "$3.key" -CAcreateserial \
        -extfile ca.cnf -extensions "$5" -out "$1.crt" 2>/dev/null
    rm -f "$1.csr"
}
authority root "Tallow Test Root Authority"
authority other-root "Tallow Other Authority"
authority impostor-root "Tallow Test Root Authority"
leaf signer "Tallow Test Publisher" root signer v3_sign
leaf reissued "Tallow Reissued Publisher" other-root signer v3_sign
leaf serverauth "Tallow Test Publisher" root signer v3_server
leaf impostor "Tallow Test Publisher" impostor-root impostor v3_sign
printf '%s' "Tallow Test Publisher" >signer.cn
# How a vendor computes its pin (README, "Signed programs").
openssl x509 -in signer.crt -pubkey -noout | openssl pkey -pubin -outform DER | openssl dgst -sha256 -r |
    cut -d' ' -f1 >signer.pin

# The driver only has to be a 32-bit library like the real one; nothing loads it.
printf 'int __stdcall DllMain(void* h, unsigned reason, void* reserved) { return 1; }\n' >driver.c
i686-w64-mingw32-gcc -O2 -shared -nostdlib -s -Wl,--entry,_DllMain@12 driver.c -o odbcjt32.dll
rm -f driver.c
sha256sum odbcjt32.dll | cut -d' ' -f1 >driver.sha256
printf '%s' "$version" >pki.version
