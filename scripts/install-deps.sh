#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the demo need, and
# fetches BearSSL's source package into deps/bearssl (never committed; the
# build takes its version and checksums from scripts/bearssl.sha256 and
# refuses anything else). Idempotent: does only what is missing, as root.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"

packages=(
    cmake make g++ clang libgtest-dev googletest
    g++-mingw-w64-i686 g++-mingw-w64-x86-64
    wine wine64 xvfb xauth x11-utils imagemagick fonts-nanum icoutils
    python3 curl nginx-light libssl3 locales php-cli openssl osslsigncode iproute2 ccache dpkg-dev
)
# The shipped program is 32-bit: 32-bit Wine runs it beside the 64-bit one.
packages_i386=(wine32:i386)
export DEBIAN_FRONTEND=noninteractive

missing=()
for p in "${packages[@]}" "${packages_i386[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "installing: ${missing[*]}"
    if [ "$(id -u)" -ne 0 ]; then
        echo "missing packages and not root: run as root or install them: ${missing[*]}" >&2
        exit 1
    fi
    dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# BearSSL: the version and the files the build accepts.
pins="$top/scripts/bearssl.sha256"
deps="$top/deps/bearssl"
version=$(sed -n 's/^[0-9a-f]\{64\}  bearssl_\(.*\)\.dsc$/\1/p' "$pins")
(cd "$deps" 2>/dev/null && sha256sum --quiet --status -c "$pins") && exit 0
if [ "$(id -u)" -ne 0 ]; then
    echo "BearSSL's source is missing from $deps and not root: run scripts/install-deps.sh as root" >&2
    exit 1
fi
# Source packages come from the archive the machine takes its binary ones
# from: a deb-src entry for each of its sources of this release's main.
if [ -z "$(apt-cache showsrc "bearssl=$version" 2>/dev/null)" ]; then
    python3 "$top/scripts/deb-src-entries.py" /etc/apt/sources.list.d/tallow-deb-src.sources
    apt-get update -qq
fi
rm -rf "$deps"
mkdir -p "$deps"
(cd "$deps" && apt-get source --download-only -qq "bearssl=$version" >/dev/null 2>&1) || {
    echo "apt-get source bearssl=$version failed" >&2
    exit 1
}
if ! (cd "$deps" && sha256sum --quiet -c "$pins"); then
    echo "BearSSL's source package differs from scripts/bearssl.sha256: refused" >&2
    rm -rf "$deps"
    exit 1
fi
echo "fetched BearSSL $version into $deps"
