# Sourced first by the scripts that CTest runs three at a time: `make test`
# hands CTest three "slot" resources (tests/slots.json), and every Wine entry
# asks for one. A run given a slot re-runs itself in a network namespace of
# its own, so that its stand-in has the loopback ports the build was
# configured with to itself, and names the slot in TALLOW_SLOT: its Wine
# prefix and stand-in folder are the slot's own (tests/wine-env.sh,
# tests/standin-env.sh), its display its own anyway. Without a slot (a run by
# hand, CTest without the resource file) nothing changes.
if [ -z "${TALLOW_SLOT+set}" ]; then
    export TALLOW_SLOT=
    case "${CTEST_RESOURCE_GROUP_0_SLOT:-}" in
    id:*)
        TALLOW_SLOT=${CTEST_RESOURCE_GROUP_0_SLOT#id:}
        TALLOW_SLOT=${TALLOW_SLOT%%,*}
        exec unshare --net -- bash -c 'ip link set lo up && exec "$@"' slot "$0" "$@"
        ;;
    esac
fi
