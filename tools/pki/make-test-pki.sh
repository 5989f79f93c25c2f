#!/usr/bin/env bash
# Usage: make-test-pki.sh OUT_DIR SIGNER_CN
# A throwaway certificate authority and code-signing certificates for the
# tests and the demo, made once per build tree (never committed):
#   root.crt, root.der      the authority the test machine trusts
#   signer.crt, signer.key  SIGNER_CN, issued by it: what the vendor signs with
#   other.crt, other.key    another publisher's name, issued by the same authority
#   rogue-*                 SIGNER_CN again, under an authority nobody trusts
#   impostor-*              SIGNER_CN under an authority that copies the trusted one's name
# Everything is SHA-1, as the oldest systems can check only that.
set -euo pipefail
out=$1
cn=$2
mkdir -p "$out"
cd "$out"
# Made again when the name the build expects changes.
if [ -f signer.crt ] && [ "$(cat signer.cn 2>/dev/null)" = "$cn" ]; then
    exit 0
fi
rm -f ./*.crt ./*.key ./*.der ./*.srl ./*.cnf signer.cn

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
CNF

authority() { # NAME CN
    openssl req -x509 -new -newkey rsa:2048 -nodes -sha1 -days 3650 -subj "/O=Tallow Test/CN=$2" \
        -keyout "$1.key" -out "$1.crt" -extensions v3_ca -config <(cat /etc/ssl/openssl.cnf ca.cnf) 2>/dev/null
}
leaf() { # NAME CN AUTHORITY
    openssl req -new -newkey rsa:2048 -nodes -subj "/O=Tallow Test/CN=$2" -keyout "$1.key" -out "$1.csr" 2>/dev/null
    openssl x509 -req -sha1 -days 3650 -in "$1.csr" -CA "$3.crt" -CAkey "$3.key" -CAcreateserial \
        -extfile ca.cnf -extensions v3_sign -out "$1.crt" 2>/dev/null
    rm -f "$1.csr"
}
authority root "Tallow Test Root Authority"
authority rogue-root "Tallow Rogue Root Authority"
authority impostor-root "Tallow Test Root Authority"
leaf signer "$cn" root
leaf other "Some Other Publisher" root
leaf rogue "$cn" rogue-root
leaf impostor "$cn" impostor-root
# A signature carries the chain up to (not including) a trusted root; the
# untrusted ones bring their own root along, as an attacker would.
cat rogue.crt rogue-root.crt >rogue-chain.crt
cat impostor.crt impostor-root.crt >impostor-chain.crt
openssl x509 -in root.crt -outform DER -out root.der
printf '%s' "$cn" >signer.cn
