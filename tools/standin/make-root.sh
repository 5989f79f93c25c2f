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
