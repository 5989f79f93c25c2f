#!/usr/bin/env bash
# Usage: make-root.sh BUILD_DIR OUT_DIR
# Lays out OUT_DIR like the vendor's download server, under the folder names
# that the web-service stand-in hands out at sign-in (its DEFAULT_INSTALL_INFO):
#   <product>/win98/<v98>/TallowSetup98.exe          copies of the setup stand-in
#   <product>/win2000/<v2000>/TLFreeSetup.exe         (BUILD_DIR/tools/setupstub)
#   <product>/winvista/<vista>/TLFreeSetupVista.exe
#   data/<data>/cvxpdf.lst, data/<data>/dbverify.dat  the data lists and check files
#   tlfree_sdata/<sdata>/cvspdf.lst, .../sdbverify.dat
#   pldata/<pldata>/tflowprd.lst
#   mdb/ODBCJT32.DLL                                  the ODBC Access driver library
#   tlfree/data/VestaINet.dll                         the partner library
#                                                     (BUILD_DIR/tools/partnerdll)
# A program that has not been built is replaced by a small placeholder file.
# When the build has test pins (TEST_PKI_DIR in its cache, tools/pki), the
# driver is the pinned one the authority's step made, the programs are signed
# with the pinned key (SHA-256), and payloads/ holds signed variants for tests
# to serve instead (`/_control/set?only=TLFreeSetup&file=payloads/...`, or
# copied over the served file):
#   {sha256,sha1,dual}-NAME  SHA-256, SHA-1, and SHA-1 with a nested SHA-256 signature,
#                            for the served programs and every partner library build
#   reissued-NAME            the pinned key under another authority and another name
#   dual-spoiled-NAME        the pinned key's SHA-1 signature, with a nested one that fails
# and, for NAME = TLFreeSetup.exe and VestaINet.dll, ones every check must refuse:
#   impostor-NAME            another key carrying the vendor's name
#   serverauth-NAME          the pinned key in a certificate for server authentication only
#   tampered-NAME            one byte of the code changed after signing
#   appended-NAME            bytes added inside the certificate table
#   second-entry-NAME        a second certificate table entry
#   truncated-NAME           cut inside the signature
#   unsigned-NAME
# and payloads/unpinned-ODBCJT32.DLL, a library that is not the pinned driver.
set -euo pipefail
build=$1
out=$2
here="$(cd "$(dirname "$0")" && pwd)"

IFS='|' read -r _ _ _ _ product _ v98 v2000 vista data sdata pldata _ < <(
    cd "$here" && python3 -B -c 'import webservice; print(webservice.DEFAULT_INSTALL_INFO)')

copy_or_placeholder() { # SOURCE DEST
    mkdir -p "$(dirname "$2")"
    if [ -f "$1" ]; then
        cp -f "$1" "$2"
    else
        printf 'placeholder for %s\n' "$(basename "$2")" >"$2"
    fi
}

text_file() { # DEST
    mkdir -p "$(dirname "$1")"
    printf '%s from the download stand-in\r\n' "$(basename "$1")" >"$1"
}

mkdir -p "$out"
stub="$build/tools/setupstub/setupstub.exe"
copy_or_placeholder "$stub" "$out/$product/win98/$v98/TallowSetup98.exe"
copy_or_placeholder "$stub" "$out/$product/win2000/$v2000/TLFreeSetup.exe"
copy_or_placeholder "$stub" "$out/$product/winvista/$vista/TLFreeSetupVista.exe"
text_file "$out/data/$data/cvxpdf.lst"
text_file "$out/data/$data/dbverify.dat"
text_file "$out/tlfree_sdata/$sdata/cvspdf.lst"
text_file "$out/tlfree_sdata/$sdata/sdbverify.dat"
text_file "$out/pldata/$pldata/tflowprd.lst"
# The driver must be a PE image like the real one; any library of ours will do
# where nothing is pinned.
copy_or_placeholder "$build/tools/partnerdll/VestaINet.dll" "$out/mdb/ODBCJT32.DLL"
copy_or_placeholder "$build/tools/partnerdll/VestaINet.dll" "$out/tlfree/data/VestaINet.dll"

pki=$(sed -n 's/^TEST_PKI_DIR:[A-Z]*=//p' "$build/CMakeCache.txt" 2>/dev/null || true)
[ -n "$pki" ] && [ -f "$pki/signer.pin" ] || exit 0
cp -f "$pki/odbcjt32.dll" "$out/mdb/ODBCJT32.DLL"
payloads="$out/payloads"
rm -rf "$payloads"
mkdir -p "$payloads"
[ "$(head -c 2 "$out/tlfree/data/VestaINet.dll")" = MZ ] && cp -f "$out/tlfree/data/VestaINet.dll" "$payloads/unpinned-ODBCJT32.DLL"

sign() { # CERT KEY DIGEST IN OUT [-nest]
    osslsigncode sign ${6:-} -h "$3" -certs "$1" -key "$2" -n "Tallow test" -in "$4" -out "$5.new" >/dev/null
    mv -f "$5.new" "$5"
}
# Every way a file may be signed and accepted: SHA-256 (served), SHA-1, both.
signed_variants() { # IN NAME
    sign "$pki/signer.crt" "$pki/signer.key" sha256 "$1" "$payloads/sha256-$2"
    sign "$pki/signer.crt" "$pki/signer.key" sha1 "$1" "$payloads/sha1-$2"
    sign "$pki/signer.crt" "$pki/signer.key" sha256 "$payloads/sha1-$2" "$payloads/dual-$2" -nest
}
# Changes inside the certificate table that leave the signed digest as it was.
edit_table() { # HOW IN OUT
    python3 - "$@" <<'PY'
import struct, sys
how, src, dst = sys.argv[1:]
d = bytearray(open(src, 'rb').read())
pe = struct.unpack_from('<I', d, 0x3C)[0]
entry = pe + 24 + (96 if struct.unpack_from('<H', d, pe + 24)[0] == 0x10B else 112) + 4 * 8
at, size = struct.unpack_from('<II', d, entry)
if how == 'appended':  # inside the one entry, after its signature
    extra = b'appended payload'
    struct.pack_into('<I', d, at, struct.unpack_from('<I', d, at)[0] + len(extra))
    d += extra
else:  # the same entry once more
    d += d[at:at + size]
struct.pack_into('<II', d, entry, at, len(d) - at)
open(dst, 'wb').write(d)
PY
}

setup=
for f in "$out/$product/win98/$v98/TallowSetup98.exe" "$out/$product/win2000/$v2000/TLFreeSetup.exe" \
    "$out/$product/winvista/$vista/TLFreeSetupVista.exe" "$out/tlfree/data/VestaINet.dll"; do
    # Placeholders are no programs and stay unsigned.
    [ "$(head -c 2 "$f")" = MZ ] || continue
    name=$(basename "$f")
    unsigned="$payloads/unsigned-$name"
    cp -f "$f" "$unsigned"
    # The three setup programs are one stand-in: signed once.
    if [ "$name" != VestaINet.dll ] && [ -n "$setup" ]; then
        for kind in sha256 sha1 dual; do cp -f "$payloads/$kind-$setup" "$payloads/$kind-$name"; done
    else
        signed_variants "$unsigned" "$name"
        [ "$name" != VestaINet.dll ] && setup=$name
    fi
    cp -f "$payloads/sha256-$name" "$f"
    case $name in
    TLFreeSetup.exe | VestaINet.dll) ;;
    *) rm -f "$unsigned"; continue ;;
    esac
    sign "$pki/reissued.crt" "$pki/signer.key" sha256 "$unsigned" "$payloads/reissued-$name"
    sign "$pki/impostor.crt" "$pki/impostor.key" sha256 "$unsigned" "$payloads/impostor-$name"
    sign "$pki/serverauth.crt" "$pki/signer.key" sha256 "$unsigned" "$payloads/serverauth-$name"
    # The pinned key's signature with a nested one that fails (made for server authentication).
    sign "$pki/serverauth.crt" "$pki/signer.key" sha256 "$payloads/sha1-$name" "$payloads/dual-spoiled-$name" -nest
    # One changed byte in the code, after signing.
    python3 -c 'import sys; d = bytearray(open(sys.argv[1], "rb").read()); d[0x600] ^= 1; open(sys.argv[2], "wb").write(d)' \
        "$f" "$payloads/tampered-$name"
    edit_table appended "$f" "$payloads/appended-$name"
    edit_table second "$f" "$payloads/second-entry-$name"
    head -c $(($(stat -c %s "$f") - 100)) "$f" >"$payloads/truncated-$name"
done
for name in VestaINetNoRelease.dll VestaINetStdcall.dll; do
    lib="$build/tools/partnerdll/$name"
    [ -f "$lib" ] && signed_variants "$lib" "$name"
done
exit 0
