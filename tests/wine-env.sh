# Sourced by the scripts that run Windows programs under Wine: a private prefix
# in the build tree (created once), a private X display, Korean code page,
# no proxies (WinINet would use them), and a clean-up that ends every process.
# Expects WINE_BUILD_DIR (the build directory the prefix belongs to).
# WINE runs 64-bit programs, WINE32 32-bit ones, in the same prefix.

# A slot (tests/slot.sh) has a prefix of its own.
export WINEPREFIX="${WINEPREFIX:-$WINE_BUILD_DIR/wineprefix${TALLOW_SLOT:+-$TALLOW_SLOT}}"
# WINE_EXTRA_OVERRIDES: more overrides for one run (the planted-library check).
export WINEDLLOVERRIDES="mscoree,mshtml=${WINE_EXTRA_OVERRIDES:+;$WINE_EXTRA_OVERRIDES}"
export WINEDEBUG="${WINEDEBUG:--all}"
unset http_proxy HTTP_PROXY https_proxy HTTPS_PROXY no_proxy NO_PROXY all_proxy ALL_PROXY
WINE_BIN=/usr/lib/wine/wine64
[ -x "$WINE_BIN" ] || WINE_BIN=wine
# Korean code page 949 for the Windows side only. Wine takes the code page from
# the locale's name; a private copy of the locale itself (when Debian's locale
# sources are there) also gives Korean file names their proper Unix names.
WINE_LOCALE_DIR="$WINE_BUILD_DIR/locale"
if [ ! -d "$WINE_LOCALE_DIR/ko_KR.UTF-8" ] && [ -f /usr/share/i18n/locales/ko_KR ]; then
    mkdir -p "$WINE_LOCALE_DIR"
    localedef -i ko_KR -f UTF-8 "$WINE_LOCALE_DIR/ko_KR.UTF-8" >/dev/null 2>&1 || true
fi
WINE="env LOCPATH=$WINE_LOCALE_DIR LANG=ko_KR.UTF-8 LC_ALL=ko_KR.UTF-8 $WINE_BIN"
WINE32_BIN="${WINE32_BIN:-/usr/lib/wine/wine}"
WINE32="env LOCPATH=$WINE_LOCALE_DIR LANG=ko_KR.UTF-8 LC_ALL=ko_KR.UTF-8 $WINE32_BIN"

# Every prefix is a copy of one made once (wineboot takes ten seconds and more
# on a loaded machine, and `make test` uses a prefix per build and slot);
# `make` shares that one among all of its builds.
WINE_PREFIX_MASTER="${WINE_PREFIX_MASTER:-$WINE_BUILD_DIR/wineprefix-master}"

# A prefix made before 32-bit Wine was installed has no syswow64, and 32-bit
# programs cannot start in it (where the machine can execute them at all).
wine_env_prefix_ready() {
    [ -f "$1/.tallow-ready" ] || return 1
    [ ! -x "$WINE32_BIN" ] || [ -d "$1/drive_c/windows/syswow64" ] || ! "$WINE32_BIN" --version >/dev/null 2>&1
}

wine_env_make_prefix() {
    local WINEPREFIX=$1
    export WINEPREFIX
    rm -rf "$WINEPREFIX"
    $WINE wineboot -i >/dev/null 2>&1
    # Dialog fonts name "굴림", which Wine lacks: let a Nanum font stand in.
    python3 - "$WINEPREFIX/fonts.reg" <<'PY'
import sys
text = ('Windows Registry Editor Version 5.00\r\n\r\n'
        '[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontSubstitutes]\r\n'
        '"굴림"="NanumGothic"\r\n"Gulim"="NanumGothic"\r\n"굴림체"="NanumGothicCoding"\r\n'
        '"MS Shell Dlg"="NanumGothic"\r\n"MS Shell Dlg 2"="NanumGothic"\r\n\r\n')
open(sys.argv[1], 'wb').write(b'\xff\xfe' + text.encode('utf-16-le'))
PY
    $WINE regedit /S "$(winepath_w "$WINEPREFIX/fonts.reg")" >/dev/null 2>&1
    wineserver -w
    touch "$WINEPREFIX/.tallow-ready"
}

wine_env_prefix() {
    mkdir -p "$WINE_BUILD_DIR" "$(dirname "$WINE_PREFIX_MASTER")"
    (
        flock 9
        wine_env_prefix_ready "$WINEPREFIX" && exit 0
        (
            flock 8
            wine_env_prefix_ready "$WINE_PREFIX_MASTER" || wine_env_make_prefix "$WINE_PREFIX_MASTER"
        ) 8>"$WINE_PREFIX_MASTER.lock"
        rm -rf "$WINEPREFIX"
        cp -a "$WINE_PREFIX_MASTER" "$WINEPREFIX"
    ) 9>"$WINEPREFIX.lock"
}

winepath_w() {
    printf 'Z:%s' "$(realpath "$1" | sed 's|/|\\|g')"
}

# Xvfb picks a free display itself (-displayfd) and says which once it
# accepts connections: other test runs on this machine choose at the same time.
wine_env_display() {
    [ -n "${DISPLAY:-}" ] && return 0
    local file n=
    file=$(mktemp)
    Xvfb -displayfd 3 -screen 0 "${WINE_ENV_SCREEN:-1024x768}x24" -nolisten tcp 3>"$file" >/dev/null 2>&1 &
    WINE_ENV_XVFB=$!
    for _ in $(seq 100); do
        read -r n <"$file" && [ -n "$n" ] && break
        n=
        sleep 0.1
    done
    rm -f "$file"
    if [ -z "$n" ]; then
        echo "Xvfb did not start" >&2
        return 1
    fi
    export DISPLAY=":$n"
}

wine_env_cleanup() {
    wineserver -k >/dev/null 2>&1 || true
    [ -n "${WINE_ENV_XVFB:-}" ] && kill "$WINE_ENV_XVFB" 2>/dev/null
    WINE_ENV_XVFB=
}
