# Sourced: starts the vendor stand-in for a Wine build on the loopback ports
# that build was configured with, and waits until it answers.
standin_port() {
    sed -n "s/^$1:STRING=//p" "$2/CMakeCache.txt"
}

standin_start() {
    local build=$1 top
    top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
    STANDIN_WEB_PORT=$(standin_port WEB_SERVICE_PORT "$build")
    STANDIN_DOWNLOAD_PORT=$(standin_port DOWNLOAD_SERVER_PORT "$build")
    STANDIN_ROOT="$build/standin-root${TALLOW_SLOT:+-$TALLOW_SLOT}"
    if [ -x "$top/tools/standin/make-root.sh" ]; then
        "$top/tools/standin/make-root.sh" "$build" "$STANDIN_ROOT" || return 1
    fi
    mkdir -p "$STANDIN_ROOT"
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
