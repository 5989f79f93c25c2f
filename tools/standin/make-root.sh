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
# When the build has a throwaway authority (TEST_PKI_DIR in its cache), the
# setup programs and the partner library are signed with its signer, and
# payloads/ holds the ones a check must refuse, for tests to serve instead:
#   payloads/{tampered,unsigned,other,rogue,impostor}-{TLFreeSetup.exe,VestaINet.dll}
# and signed copies of the partner library, its broken and its __stdcall builds:
#   payloads/signed-VestaINet.dll, payloads/signed-VestaINetNoRelease.dll, payloads/signed-VestaINetStdcall.dll
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
# The driver must be a PE image like the real one; any library of ours will do.
copy_or_placeholder "$build/tools/partnerdll/VestaINet.dll" "$out/mdb/ODBCJT32.DLL"
copy_or_placeholder "$build/tools/partnerdll/VestaINet.dll" "$out/tlfree/data/VestaINet.dll"

pki=$(sed -n 's/^TEST_PKI_DIR:[A-Z]*=//p' "$build/CMakeCache.txt" 2>/dev/null || true)
[ -n "$pki" ] && [ -f "$pki/signer.crt" ] || exit 0
sign() { # CERTS KEY IN OUT
    osslsigncode sign -h sha1 -certs "$1" -key "$2" -n "Tallow test" -in "$3" -out "$4.new" >/dev/null
    mv -f "$4.new" "$4"
}
payloads="$out/payloads"
rm -rf "$payloads"
mkdir -p "$payloads"
for f in "$out/$product/win98/$v98/TallowSetup98.exe" "$out/$product/win2000/$v2000/TLFreeSetup.exe" \
    "$out/$product/winvista/$vista/TLFreeSetupVista.exe" "$out/tlfree/data/VestaINet.dll"; do
    # Placeholders are no programs and stay unsigned.
    [ "$(head -c 2 "$f")" = MZ ] || continue
    name=$(basename "$f")
    cp -f "$f" "$payloads/unsigned-$name"
    sign "$pki/signer.crt" "$pki/signer.key" "$f" "$f"
    sign "$pki/other.crt" "$pki/other.key" "$f" "$payloads/other-$name"
    sign "$pki/rogue-chain.crt" "$pki/rogue.key" "$f" "$payloads/rogue-$name"
    sign "$pki/impostor-chain.crt" "$pki/impostor.key" "$f" "$payloads/impostor-$name"
    # One changed byte in the code, after signing.
    python3 -c 'import sys; d = bytearray(open(sys.argv[1], "rb").read()); d[0x600] ^= 1; open(sys.argv[2], "wb").write(d)' \
        "$f" "$payloads/tampered-$name"
done
for name in VestaINet.dll VestaINetNoRelease.dll VestaINetStdcall.dll; do
    lib="$build/tools/partnerdll/$name"
    [ -f "$lib" ] && sign "$pki/signer.crt" "$pki/signer.key" "$lib" "$payloads/signed-$name"
done
