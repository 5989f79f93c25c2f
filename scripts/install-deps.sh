#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the demo need.
# Idempotent: installs only what is missing, and only as root.
set -euo pipefail

packages=(
    cmake make g++ clang libgtest-dev googletest
    g++-mingw-w64-i686 g++-mingw-w64-x86-64
    wine wine64 xvfb xauth x11-utils imagemagick fonts-nanum icoutils
    python3 curl nginx-light libssl3 locales php-cli openssl osslsigncode iproute2
)
# The shipped program is 32-bit: 32-bit Wine runs it beside the 64-bit one.
packages_i386=(wine32:i386)

missing=()
for p in "${packages[@]}" "${packages_i386[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "installing: ${missing[*]}"
if [ "$(id -u)" -ne 0 ]; then
    echo "missing packages and not root: run as root or install them: ${missing[*]}" >&2
    exit 1
fi
export DEBIAN_FRONTEND=noninteractive
dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}"
