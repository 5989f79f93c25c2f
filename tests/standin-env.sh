# Sourced: starts the vendor stand-in for a Wine build on the loopback ports
# that build was configured with, and waits until it answers.
standin_port() {
    sed -n "s/^$1:STRING=//p" "$2/CMakeCache.txt"
}

# The download folder as tools/standin/make-root.sh lays it out, signing
# every payload, made once per build and again when what it is made of
# changes; each run gets a fresh copy (tests change what is served).
standin_master() {
    local build=$1 top=$2 master="$1/standin-master" pki
    pki=$(sed -n 's/^TEST_PKI_DIR:[A-Z]*=//p' "$build/CMakeCache.txt")
    (
        flock 9
        if [ -f "$master/.made" ] && [ -z "$(find "$top/tools/standin" "$build/CMakeCache.txt" "$build/tools" \
            ${pki:+"$pki"} -newer "$master/.made" -print -quit 2>/dev/null)" ]; then
            exit 0
        fi
        rm -rf "$master"
        "$top/tools/standin/make-root.sh" "$build" "$master" && touch "$master/.made"
    ) 9>"$master.lock"
}

standin_start() {
    local build=$1 top
    top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
    STANDIN_WEB_PORT=$(standin_port WEB_SERVICE_PORT "$build")
    STANDIN_DOWNLOAD_PORT=$(standin_port DOWNLOAD_SERVER_PORT "$build")
    STANDIN_ROOT="$build/standin-root${TALLOW_SLOT:+-$TALLOW_SLOT}"
    standin_master "$build" "$top" || return 1
    rm -rf "$STANDIN_ROOT"
    cp -a "$build/standin-master" "$STANDIN_ROOT" || return 1
    python3 "$top/tools/standin/standin.py" --web-port "$STANDIN_WEB_PORT" \
        --download-port "$STANDIN_DOWNLOAD_PORT" --root "$STANDIN_ROOT" >"$STANDIN_ROOT.log" 2>&1 &
    STANDIN_PID=$!
    STANDIN_ROOT_W=$(printf "Z:%s" "$(realpath "$STANDIN_ROOT")" | sed "s|/|\\\\|g")
    export STANDIN_WEB_PORT STANDIN_DOWNLOAD_PORT STANDIN_ROOT STANDIN_ROOT_W
    for _ in $(seq 100); do
        curl -s --noproxy '*' "http://127.0.0.1:$STANDIN_WEB_PORT/_control/ping" >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    echo "the vendor stand-in did not start (see $STANDIN_ROOT.log)" >&2
    return 1
}
